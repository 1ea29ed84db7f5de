#include "pattern_plain.h"

#include <cmath>

#include "legacy/chp11.h"
#include "legacy/chpce.h"
#include "numeric/besj.h"
#include "numeric/constants.h"
#include "numeric/glina.h"

namespace quaven {
namespace {
constexpr float chi = legacy::chi;
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

}  // namespace quaven

namespace quaven::plain {
namespace {

constexpr float acon = legacy::pi_squared;
constexpr float alf = legacy::db_per_neper_pattern;
constexpr float pi2 = legacy::two_pi;
constexpr float tr = legacy::rad_per_deg;
constexpr float clight = legacy::c_in_per_ns;
constexpr float threshold = 1e-6f;
constexpr float floor_db = -120.0f;

}  // namespace

void chp11(const float& f, const float& a, const float& r, const float& th, float& ampe, float& amph,
           float& phe, float& phh) {
  const float wl = clight / f;
  const float s = a * a / (2.0f * wl * r);
  const float u = std::fabs(std::sin(th)) * (pi2 * a) / wl;
  float record[4] = {0.0f, 0.0f, pi2 * s, u};
  float res[4];
  Fintc integrand;  // the integrand as defined: five Bessel values at every node
  glina(0.0f, 1.0f, record, integrand, 16, res, 4);

  float me = std::sqrt(res[0] * res[0] + res[1] * res[1]);
  float mh = std::sqrt(res[2] * res[2] + res[3] * res[3]);
  ampe = floor_db;
  amph = floor_db;
  phe = 0.0f;
  phh = 0.0f;
  const float g = (1.0f + std::cos(th)) * acon * a / wl;
  me = me * g;
  mh = mh * g;
  if (!(me < threshold)) {
    ampe = alf * std::log(me);
    phe = std::atan2(res[1], res[0]) / tr;
  }
  if (!(mh < threshold)) {
    amph = alf * std::log(mh);
    phh = std::atan2(res[3], res[2]) / tr;
  }
}

void chpce(const float& f, const float& a, const float& r, const float& be, float& pe, const float& bh,
           float& ph) {
  const float delta = std::sqrt(be * bh) * tr / 8.0f;
  float ampe = 0.0f;
  float amph = 0.0f;
  float phe_prev = 0.0f;
  float phh_prev = 0.0f;
  const float th0 = 0.0f;
  chp11(f, a, r, th0, ampe, amph, phe_prev, phh_prev);
  float sume = 0.0f;
  float sumh = 0.0f;
  for (int i = 1; i <= 4; ++i) {
    const float th = static_cast<float>(i) * delta;
    float phe = 0.0f;
    float phh = 0.0f;
    chp11(f, a, r, th, ampe, amph, phe, phh);
    sume = sume + rela(phe, phe_prev);
    sumh = sumh + rela(phh, phh_prev);
    phe_prev = phe;
    phh_prev = phh;
  }
  pe = sume / ((1.0f - std::cos(be * tr / 2.0f)) * 360.0f);
  ph = sumh / ((1.0f - std::cos(bh * tr / 2.0f)) * 360.0f);
}

}  // namespace quaven::plain
