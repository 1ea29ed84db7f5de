// The TE11 aperture integral in double precision: the far field of a horn,
// and the aperture efficiency.
#include <cmath>

#include "horn/exact.h"
#include "numeric/constants.h"

namespace quaven {
namespace exact {
namespace {

constexpr double kPi = physical::pi;

// J1(z)/z and J1'(z) = J0(z) - J1(z)/z (A&S 9.1.27). Below 1e-3 the ratio is
// its series 1/2 - z^2/16 + z^4/384 (A&S 9.1.10), exact to double there.
// J0 and J1 of the angle-dependent argument come from the C library's j0 and
// j1 (the long-kept fdlibm implementations, absolute error near 1e-16): they
// are ten times faster than std::cyl_bessel_j, which an exact design line
// could not afford at two calls per node and angle.
inline void j1_forms(double z, double& lam, double& d1) {
  const double j0 = ::j0(z);
  if (z < 1e-3) {
    const double z2 = z * z;
    lam = 0.5 - z2 / 16.0 + z2 * z2 / 384.0;
  } else {
    lam = ::j1(z) / z;
  }
  d1 = j0 - lam;
}

// The orders the exact mode uses; rules are built on first use.
constexpr int kOrders[] = {12, 16, 20, 24, 32, 40, 48, 64, 80, 96, 128, 160, 192, 256};

}  // namespace

// The integrand oscillates at most like e^{j W x} with W = u + chi + 4 pi s
// (the Bessel functions of ux and chi x, and the chirp of psi). On [0, 1] an
// n-point Gauss rule integrates such a function to double precision once
// n exceeds about W/2 + 12; the convergence test of the exact-mode tests
// checks the margin against a rule of twice the order.
int aperture_order(double umax, double s) {
  const double w = std::fabs(umax) + chi + 4.0 * kPi * std::fabs(s);
  const double need = 0.5 * w + 12.0;
  for (int n : kOrders) {
    if (n >= need) return n;
  }
  return kOrders[sizeof(kOrders) / sizeof(kOrders[0]) - 1];
}

Horn::Horn(double aw, double s) : aw_(aw), s_(s) {
  const double umax = 2.0 * kPi * aw;
  const int n = std::isfinite(umax) && std::isfinite(s) ? aperture_order(umax, s) : 12;
  const GaussRule& rule = gauss_rule(n);
  nodes_.resize(n);
  for (int i = 0; i < n; ++i) {
    Node& nd = nodes_[i];
    nd.x = 0.5 * (rule.x[i] + 1.0);
    nd.w = 0.5 * rule.w[i];
    const double cx = chi * nd.x;
    nd.j1c = std::cyl_bessel_j(1.0, cx);
    const double d1c = std::cyl_bessel_j(0.0, cx) - nd.j1c / cx;
    nd.cj1pc = cx * d1c;
    const double psi = 2.0 * kPi * s * nd.x * nd.x;
    nd.ph = nd.w * std::complex<double>(std::cos(psi), -std::sin(psi));
  }
}

Field Horn::field(double theta) const {
  if (!(aw_ > 0.0 && std::isfinite(aw_) && std::isfinite(s_) && std::isfinite(theta))) {
    const double nan = std::nan("");
    return Field{{nan, nan}, {nan, nan}};
  }
  const double u = 2.0 * kPi * aw_ * std::fabs(std::sin(theta));
  std::complex<double> ie = 0.0, ih = 0.0;
  for (const Node& nd : nodes_) {
    double lam, d1;
    j1_forms(u * nd.x, lam, d1);
    const double fe = d1 * nd.j1c + nd.cj1pc * lam;
    const double fh = nd.j1c * lam + nd.cj1pc * d1;
    ie += fe * nd.ph;
    ih += fh * nd.ph;
  }
  const double ob = 0.5 * (1.0 + std::cos(theta));
  return Field{ob * ie, ob * ih};
}

void Horn::power_db(double theta, double& pe, double& ph) const {
  const Field f = field(theta);
  pe = 10.0 * std::log10(std::norm(f.e));
  ph = 10.0 * std::log10(std::norm(f.h));
}

// With E_rho = J1(chi x)/(chi x) cos phi and E_phi = -J1'(chi x) sin phi,
// the copolar field integrates over phi to pi J0(chi x), and the power
// through the aperture is pi int_0^1 [(J1(chi x)/(chi x))^2 + J1'(chi x)^2] x dx
// = (pi/2)(1 - 1/chi^2) J1(chi)^2 (Marcuvitz, Waveguide Handbook, 2.3). So
//   eta = |int_0^1 J0(chi x) e^{-j psi} x dx|^2 / ((1 - 1/chi^2) J1(chi)^2 / 2),
// which is 2/(chi^2 - 1) at s = 0.
double aperture_efficiency(double s) {
  if (!std::isfinite(s)) return std::nan("");
  const GaussRule& rule = gauss_rule(aperture_order(0.0, s));
  std::complex<double> sum = 0.0;
  for (std::size_t i = 0; i < rule.x.size(); ++i) {
    const double x = 0.5 * (rule.x[i] + 1.0);
    const double psi = 2.0 * kPi * s * x * x;
    sum += 0.5 * rule.w[i] * x * std::cyl_bessel_j(0.0, chi * x) *
           std::complex<double>(std::cos(psi), -std::sin(psi));
  }
  const double j1 = std::cyl_bessel_j(1.0, chi);
  const double power = 0.5 * (1.0 - 1.0 / (chi * chi)) * j1 * j1;
  return std::norm(sum) / power;
}

double gain_db(double aw, double s) {
  const double ka = 2.0 * kPi * aw;
  return 10.0 * std::log10(ka * ka * aperture_efficiency(s));
}

}  // namespace exact
}  // namespace quaven
