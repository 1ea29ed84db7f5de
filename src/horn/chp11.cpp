#include "horn/chp11.h"

#include <cmath>

#include "numeric/besj.h"
#include "numeric/glina.h"

namespace quaven {
namespace {

// The pattern's own constants: pi^2 scales the amplitude, 20/ln 10 turns a
// natural logarithm into dB, 2*pi, and radians per degree.
constexpr float acon = 9.869604f;
constexpr float alf = 8.68589f;
constexpr float pi2 = 6.2831855f;
constexpr float tr = 0.0174532905f;

constexpr float clight = 11.80285f;  // speed of light, inches per nanosecond
constexpr float chi = 1.84118f;      // first zero of J1', the TE11 root
constexpr float threshold = 1e-6f;   // scaled magnitudes below it are not converted
constexpr float floor_db = -120.0f;  // what such a plane reports

}  // namespace

// Component k (record[1]) at x = record[0] of the TE11 aperture integrand
// with quadratic phase psi = x^2 * record[2], for u = record[3]:
//   1, 2: real and imaginary part of FE(x) e^{-j psi}  (E-plane)
//   3, 4: real and imaginary part of FH(x) e^{-j psi}  (H-plane)
// Component 1 makes the five Bessel values of the abscissa and keeps FE, FH
// and psi; 2 to 4 reuse them. (J0 + J2)/2 = J1(z)/z and J0 - J2 = 2 J1'(z)
// (A&S 9.1.27) keep the forms finite at z = 0 without a division.
// An index outside 1..4 yields 0.
float Fintc::operator()(const float* record) {
  const float kf = record[1] + 0.1f;
  if (!(kf >= 1.0f && kf < 5.0f)) return 0.0f;  // also keeps the cast below defined
  switch (static_cast<int>(kf)) {
    case 1: {
      const float x = record[0];
      const float u = record[3];
      const float cx = chi * x;
      const float ux = u * x;
      const float j1c = besj(cx, 1.0f);
      const float j0c = besj(cx, 0.0f);
      const float j2c = besj(cx, 2.0f);
      const float j0u = besj(ux, 0.0f);
      const float j2u = besj(ux, 2.0f);
      const float h = (j0u + j2u) / 2.0f;
      fe_ = ((j0u - j2u) * j1c + (j0c - j2c) * chi * h * x) / 2.0f;
      fh_ = j1c * h + (j0c - j2c) * (j0u - j2u) * chi * x / 4.0f;
      psi_ = x * x * record[2];
      return std::cos(psi_) * fe_;
    }
    case 2:
      return -std::sin(psi_) * fe_;
    case 3:
      return std::cos(psi_) * fh_;
    case 4:
      return -std::sin(psi_) * fh_;
    default:
      return 0.0f;
  }
}

// The far field at theta is g * integral_0^1 F(x) e^{-j psi(x)} dx for each
// plane, g = (1 + cos theta) pi^2 a / lambda, the integral taken with the
// 16-point Gauss-Legendre rule over the four components of Fintc.
void chp11(const float& f, const float& a, const float& r, const float& th, float& ampe, float& amph,
           float& phe, float& phh) {
  const float wl = clight / f;
  const float s = a * a / (2.0f * wl * r);
  const float u = std::fabs(std::sin(th)) * (pi2 * a) / wl;

  float record[4] = {0.0f, 0.0f, pi2 * s, u};
  float res[4];
  Fintc fintc;
  const float lower = 0.0f;
  const float upper = 1.0f;
  const int order = 16;
  const int ncomp = 4;
  glina(lower, upper, record, fintc, order, res, ncomp);

  float me = std::sqrt(res[0] * res[0] + res[1] * res[1]);
  float mh = std::sqrt(res[2] * res[2] + res[3] * res[3]);

  ampe = floor_db;
  amph = floor_db;
  phe = 0.0f;
  phh = 0.0f;

  const float g = (1.0f + std::cos(th)) * acon * a / wl;
  me = me * g;
  mh = mh * g;

  // Each plane against the threshold on its own; NaN is not below it and
  // passes on.
  if (!(me < threshold)) {
    ampe = alf * std::log(me);
    phe = std::atan2(res[1], res[0]) / tr;
  }
  if (!(mh < threshold)) {
    amph = alf * std::log(mh);
    phh = std::atan2(res[3], res[2]) / tr;
  }
}

}  // namespace quaven
