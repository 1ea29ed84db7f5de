#include "numeric/besj.h"

#include <cmath>

#include "numeric/gami.h"

namespace quaven {
namespace {

constexpr float pi = 3.141593f;

// Ascending series (A&S 9.1.10), each term made from the one before and the
// sum tested for change once per block of five terms, at most 20 blocks.
float series(const float& x, const float& nu) {
  const float y = x / 2.0f;
  const float q = y * y;
  float first = 1.0f;
  if (nu != 0.0f) {
    float arg = nu + 1.0f;  // gami overwrites its argument
    first = gami(arg) * std::pow(y, nu);
  }
  float sum = first;
  float term = first;
  float k = 1.0f;
  for (int block_no = 1; block_no <= 20; ++block_no) {
    float block = 0.0f;
    for (int i = 1; i <= 5; ++i) {
      term = -(term * q) / ((nu + k) * k);
      k = k + 1.0f;
      block = block + term;
    }
    const float next = sum + block;
    if (next == sum) break;
    sum = next;
  }
  return sum;
}

// Hankel's expansion (A&S 9.2.5, 9.2.9, 9.2.10): P to z^-10, Q to z^-9.
float hankel(const float& x, const float& nu) {
  const float mu = 4.0f * nu * nu;
  const float z = 8.0f * x;
  const float z2 = z * z;
  const float a1 = (mu - 1.0f) * (mu - 9.0f) / (-2.0f * z2);
  const float a2 = (mu - 25.0f) * (mu - 49.0f) / (-12.0f * z2);
  const float a3 = (mu - 81.0f) * (mu - 121.0f) / (-30.0f * z2);
  const float a4 = (mu - 169.0f) * (mu - 225.0f) / (-56.0f * z2);
  const float a5 = (mu - 289.0f) * (mu - 361.0f) / (-90.0f * z2);
  const float b1 = (mu - 1.0f) / z;
  const float b2 = (mu - 9.0f) * (mu - 25.0f) / (-6.0f * z2);
  const float b3 = (mu - 49.0f) * (mu - 81.0f) / (-20.0f * z2);
  const float b4 = (mu - 121.0f) * (mu - 169.0f) / (-42.0f * z2);
  const float b5 = (mu - 225.0f) * (mu - 289.0f) / (-72.0f * z2);
  const float p = 1.0f + a1 * (1.0f + a2 * (1.0f + a3 * (1.0f + a4 * (1.0f + a5))));
  const float q = b1 * (1.0f + b2 * (1.0f + b3 * (1.0f + b4 * (1.0f + b5))));
  const float phi = x - (nu / 2.0f + 0.25f) * pi;
  const float amplitude = std::sqrt(2.0f / (pi * x));
  const float pc = p * std::cos(phi);
  return (pc - q * std::sin(phi)) * amplitude;
}

}  // namespace

float besj(const float& x, const float& nu) {
  if (x > 6.0f) return hankel(x, nu);
  // A negative integer order makes the series' first term 0 and its first
  // divisor nu + k vanish (0/0); J_-n = (-1)^n J_n (A&S 9.1.5) instead.
  if (nu < 0.0f && std::floor(nu) == nu) {
    const float order = -nu;
    const float j = series(x, order);
    return std::fmod(order, 2.0f) == 0.0f ? j : -j;
  }
  return series(x, nu);
}

}  // namespace quaven
