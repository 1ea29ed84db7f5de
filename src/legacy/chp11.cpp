#include "legacy/chp11.h"

#include <cmath>
#include <limits>

#include "numeric/besj.h"
#include "numeric/constants.h"
#include "numeric/glina.h"

namespace quaven {
namespace {

// The pattern's constants: pi^2 scales the amplitude, 20/ln 10 turns a
// natural logarithm into dB, 2*pi, radians per degree, c and the TE11 root.
constexpr float acon = legacy::pi_squared;
constexpr float alf = legacy::db_per_neper_pattern;
constexpr float pi2 = legacy::two_pi;
constexpr float tr = legacy::rad_per_deg;

constexpr float clight = legacy::c_in_per_ns;
constexpr float chi = legacy::chi;
constexpr float threshold = 1e-6f;   // scaled magnitudes below it are not converted
constexpr float floor_db = -120.0f;  // what such a plane reports
constexpr float order0 = 0.0f;       // Bessel orders of the forms in u x
constexpr float order2 = 2.0f;

}  // namespace

namespace {

// What the pattern needs at the nodes of the 16-point rule on [0, 1], in the
// order in which glina visits them (pairs from the midpoint outwards, the
// lower node first): the node, its weight, x^2, the Bessel values of chi*x
// and the two forms at u = 0. None of them depends on the horn or the angle,
// so they are made once, by the same besj on the same float arguments as the
// integrand evaluated afresh at every node would use, and so are the same bits.
struct NodeTable {
  float x[Te11Pattern::nodes];
  float w[Te11Pattern::nodes];
  float xx[Te11Pattern::nodes];          // x * x
  float j1c[Te11Pattern::nodes];         // J1(chi x)
  float dc[Te11Pattern::nodes];          // J0(chi x) - J2(chi x)
  float dc_chi[Te11Pattern::nodes];      // (J0(chi x) - J2(chi x)) * chi
  float fe_axis[Te11Pattern::nodes];     // FE(x) at u = +0
  float fh_axis[Te11Pattern::nodes];     // FH(x) at u = +0
  float half_width = 0.0f;               // (upper - lower) / 2
};

// FE and FH at node k from J0(ux) and J2(ux), in the integrand's order of
// operations: FE = ((J0u - J2u) J1c + (J0c - J2c) chi (J0u + J2u)/2 x)/2,
// FH = J1c (J0u + J2u)/2 + (J0c - J2c)(J0u - J2u) chi x/4.
inline void forms(const NodeTable& t, int k, float j0u, float j2u, float& fe, float& fh) {
  const float x = t.x[k];
  const float h = (j0u + j2u) / 2.0f;
  fe = ((j0u - j2u) * t.j1c[k] + t.dc_chi[k] * h * x) / 2.0f;
  fh = t.j1c[k] * h + t.dc[k] * (j0u - j2u) * chi * x / 4.0f;
}

NodeTable make_node_table() {
  NodeTable t{};
  detail::GaussRule rule;
  const int order = Te11Pattern::nodes;
  detail::gauss_rule(order, rule);  // tabulated, and even: no centre node
  const float lower = 0.0f;
  const float upper = 1.0f;
  const float h = (upper - lower) / 2.0f;
  const float mid = (upper + lower) / 2.0f;
  t.half_width = h;
  for (int j = 0; j < rule.half; ++j) {
    t.x[2 * j] = mid - h * rule.t[j];
    t.x[2 * j + 1] = mid + h * rule.t[j];
    t.w[2 * j] = rule.w[j];
    t.w[2 * j + 1] = rule.w[j];
  }
  for (int k = 0; k < order; ++k) {
    const float x = t.x[k];
    const float cx = chi * x;
    t.xx[k] = x * x;
    t.j1c[k] = besj(cx, 1.0f);
    const float j0c = besj(cx, 0.0f);
    const float j2c = besj(cx, 2.0f);
    t.dc[k] = j0c - j2c;
    t.dc_chi[k] = t.dc[k] * chi;
    const float ux = 0.0f * x;  // u x on the axis, +0 at every node
    forms(t, k, besj(ux, 0.0f), besj(ux, 2.0f), t.fe_axis[k], t.fh_axis[k]);
  }
  return t;
}

// Made on first use; a function-local static is initialised exactly once
// even when several threads get here together.
const NodeTable& node_table() {
  static const NodeTable table = make_node_table();
  return table;
}

}  // namespace

Te11Pattern::Te11Pattern(const float& f, const float& a, const float& r) : a_(a), wl_(clight / f) {
  const NodeTable& t = node_table();
  const float s = a * a / (2.0f * wl_ * r);
  const float rim = pi2 * s;  // psi at x = 1
  for (int k = 0; k < nodes; ++k) {
    const float psi = t.xx[k] * rim;
    cos_psi_[k] = std::cos(psi);
    sin_psi_[k] = std::sin(psi);
  }
}

// The far field at theta is g * integral_0^1 F(x) e^{-j psi(x)} dx for each
// plane, g = (1 + cos theta) pi^2 a / lambda, the integral taken with the
// 16-point Gauss-Legendre rule over the real and imaginary parts of FE e^{-j psi}
// and FH e^{-j psi}, node by node and with each sum rounded as glina rounds it. Only J0 and J2 of u x
// are left to work out, and on the axis (u = +0) not even those.
void Te11Pattern::at(const float& th, float& ampe, float& amph, float& phe, float& phh) const {
  const NodeTable& t = node_table();
  const float u = std::fabs(std::sin(th)) * (pi2 * a_) / wl_;
  if (std::isnan(u)) {
    // A NaN angle or horn makes every form, every sum and so all four
    // outputs NaN; the Bessel series would run all its blocks to get there.
    ampe = amph = phe = phh = std::numeric_limits<float>::quiet_NaN();
    return;
  }
  const bool on_axis = u == 0.0f && !std::signbit(u);

  float res[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  for (int k = 0; k < nodes; ++k) {
    float fe = 0.0f;
    float fh = 0.0f;
    if (on_axis) {
      fe = t.fe_axis[k];
      fh = t.fh_axis[k];
    } else {
      const float ux = u * t.x[k];
      float j0u = 0.0f;
      float j2u = 0.0f;
      besj_pair(ux, order0, order2, j0u, j2u);
      forms(t, k, j0u, j2u, fe, fh);
    }
    const float w = t.w[k];
    res[0] = res[0] + cos_psi_[k] * fe * w;
    res[1] = res[1] + -sin_psi_[k] * fe * w;
    res[2] = res[2] + cos_psi_[k] * fh * w;
    res[3] = res[3] + -sin_psi_[k] * fh * w;
  }
  for (int i = 0; i < 4; ++i) res[i] = res[i] * t.half_width;

  float me = std::sqrt(res[0] * res[0] + res[1] * res[1]);
  float mh = std::sqrt(res[2] * res[2] + res[3] * res[3]);

  ampe = floor_db;
  amph = floor_db;
  phe = 0.0f;
  phh = 0.0f;

  const float g = (1.0f + std::cos(th)) * acon * a_ / wl_;
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

void chp11(const float& f, const float& a, const float& r, const float& th, float& ampe, float& amph,
           float& phe, float& phh) {
  Te11Pattern(f, a, r).at(th, ampe, amph, phe, phh);
}

}  // namespace quaven
