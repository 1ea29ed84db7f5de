#include "numeric/besj.h"

#include <cmath>

#include "numeric/constants.h"
#include "numeric/gami.h"

namespace quaven {
namespace {

constexpr float pi = legacy::pi;

// 1/Gamma(nu + 1), the first term's factor. The orders 1 and 2 of the
// pattern's forms take gami's value made once (a function-local static is
// made exactly once, also under threads); others call gami every time.
float first_factor(const float& nu) {
  auto of = [](float order) {
    float arg = order + 1.0f;  // gami overwrites its argument
    return gami(arg);
  };
  static const float order1 = of(1.0f);
  static const float order2 = of(2.0f);
  if (nu == 1.0f) return order1;
  if (nu == 2.0f) return order2;
  return of(nu);
}

// Ascending series (A&S 9.1.10), each term made from the one before and the
// sum tested for change once per block of five terms, at most 20 blocks.
float series(const float& x, const float& nu) {
  const float y = x / 2.0f;
  const float q = y * y;
  float first = 1.0f;
  if (nu != 0.0f) first = first_factor(nu) * std::pow(y, nu);
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

// A negative integer order, which besj takes through J_-n = (-1)^n J_n.
bool negative_integer(const float& nu) { return nu < 0.0f && std::floor(nu) == nu; }

// series(x, nu1) and series(x, nu2) side by side: each sum gets exactly the
// operations, in the same order, that series gives it alone, and stops
// changing at the block where series would stop; the other goes on. The two
// chains of dependent divisions are independent of each other, so the
// processor works on both at once.
void series_pair(const float& x, const float& nu1, const float& nu2, float& j1, float& j2) {
  const float y = x / 2.0f;
  const float q = y * y;
  float first1 = 1.0f;
  if (nu1 != 0.0f) first1 = first_factor(nu1) * std::pow(y, nu1);
  float first2 = 1.0f;
  if (nu2 != 0.0f) first2 = first_factor(nu2) * std::pow(y, nu2);
  float sum1 = first1;
  float sum2 = first2;
  float term1 = first1;
  float term2 = first2;
  bool open1 = true;
  bool open2 = true;
  float k = 1.0f;
  for (int block_no = 1; block_no <= 20 && (open1 || open2); ++block_no) {
    float block1 = 0.0f;
    float block2 = 0.0f;
    for (int i = 1; i <= 5; ++i) {
      term1 = -(term1 * q) / ((nu1 + k) * k);
      term2 = -(term2 * q) / ((nu2 + k) * k);
      k = k + 1.0f;
      block1 = block1 + term1;
      block2 = block2 + term2;
    }
    if (open1) {
      const float next = sum1 + block1;
      if (next == sum1) {
        open1 = false;
      } else {
        sum1 = next;
      }
    }
    if (open2) {
      const float next = sum2 + block2;
      if (next == sum2) {
        open2 = false;
      } else {
        sum2 = next;
      }
    }
  }
  j1 = sum1;
  j2 = sum2;
}

}  // namespace

void besj_pair(const float& x, const float& nu1, const float& nu2, float& j1, float& j2) {
  if (x > 6.0f || negative_integer(nu1) || negative_integer(nu2)) {
    j1 = besj(x, nu1);
    j2 = besj(x, nu2);
    return;
  }
  series_pair(x, nu1, nu2, j1, j2);
}

float besj(const float& x, const float& nu) {
  if (x > 6.0f) return hankel(x, nu);
  // A negative integer order makes the series' first term 0 and its first
  // divisor nu + k vanish (0/0); J_-n = (-1)^n J_n (A&S 9.1.5) instead.
  if (negative_integer(nu)) {
    const float order = -nu;
    const float j = series(x, order);
    return std::fmod(order, 2.0f) == 0.0f ? j : -j;
  }
  return series(x, nu);
}

}  // namespace quaven
