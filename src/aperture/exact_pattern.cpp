// The TE11 aperture integral in double precision: the far field of a horn,
// and the aperture efficiency.
#include <cmath>
#include <map>
#include <mutex>
#include <type_traits>

#include "aperture/exact.h"
#include "numeric/bessel_poly.h"
#include "numeric/constants.h"

namespace quaven {
namespace exact {
namespace {

using physical::pi;

// J_n(x) for x >= 0. The C++17 special functions are missing from some
// standard libraries (LLVM's libc++, used by the WebAssembly build); there
// the C library's jn (fdlibm's, agreeing with it to about 1e-15) stands in.
inline double bessel_j(int n, double x) {
#if defined(__cpp_lib_math_special_functions)
  return std::cyl_bessel_j(static_cast<double>(n), x);
#else
  return ::jn(n, x);
#endif
}

// J0(z) and J1(z)/z. Up to z = 8 (the whole main beam of every horn) both come
// from one pair of polynomials in z^2; beyond, from the C library's j0 and j1
// (the long-kept fdlibm implementations, absolute error near 1e-16), which
// are ten times faster than std::cyl_bessel_j.
inline void j0_j1z(double z, double& j0, double& lam) {
  if (z <= kBesselPolyMax) {
    bessel_j0_j1z(z, j0, lam);
  } else {
    j0 = ::j0(z);
    lam = ::j1(z) / z;
  }
}

// The aperture nodes of the n-point rule on [0, 1] with the Bessel values of
// chi x there, which no horn changes: made once per order and kept.
struct ApertureNode {
  double x, w;
  double j0c;    // J0(chi x)
  double j1c;    // J1(chi x)
  double cj1pc;  // chi x J1'(chi x)
};

const std::vector<ApertureNode>& aperture_nodes(int n) {
  static std::map<int, std::vector<ApertureNode>> tables;
  static std::mutex lock;
  const GaussRule& rule = gauss_rule(n);
  std::lock_guard<std::mutex> guard(lock);
  auto it = tables.find(n);
  if (it == tables.end()) {
    std::vector<ApertureNode> t(n);
    for (int i = 0; i < n; ++i) {
      ApertureNode& nd = t[i];
      nd.x = 0.5 * (rule.x[i] + 1.0);
      nd.w = 0.5 * rule.w[i];
      const double cx = chi * nd.x;
      nd.j0c = bessel_j(0, cx);
      nd.j1c = bessel_j(1, cx);
      nd.cj1pc = cx * (nd.j0c - nd.j1c / cx);
    }
    it = tables.emplace(n, std::move(t)).first;
  }
  return it->second;
}

// Largest order a horn uses; the integral is then good to about 1e-12 up to
// u = 480 (an aperture of some 75 wavelengths).
constexpr int kMaxOrder = 256;

// u = k a |sin theta|, the argument of the pattern.
double u_of(double aw, double theta) { return 2.0 * pi * aw * std::fabs(std::sin(theta)); }

}  // namespace

// The integrand oscillates at most like e^{j W x} with W = u + chi + 4 pi s
// (the Bessel functions of ux and chi x, and the chirp of psi). On [0, 1] an
// n-point Gauss rule integrates it to 1e-12 of the peak once n exceeds
// W/2 + 7 over u up to 40 and s up to 4 (against a 300-point rule); one more
// node is the margin. The exact-mode tests check it against 256 points.
int aperture_order(double umax, double s) {
  const double w = std::fabs(umax) + chi + 4.0 * pi * std::fabs(s);
  const double need = std::ceil(0.5 * w + 8.0);
  return need < kMaxOrder ? static_cast<int>(need) : kMaxOrder;
}

Horn::Horn(double aw, double s) : aw_(aw), s_(s) {
  const double ka = 2.0 * pi * aw;
  const bool finite = std::isfinite(ka) && std::isfinite(s);
  far_order_ = finite ? aperture_order(ka, s) : 12;
  if (!finite) return;
  for (double u : {4.0, kNearU * (1.0 + std::fabs(s))}) {
    u = std::min(u, ka);
    const int n = aperture_order(u, s);
    if (!tiers_.empty() && static_cast<int>(tiers_.back().nodes.size()) == n) {
      tiers_.back().u = std::max(tiers_.back().u, u);
      continue;
    }
    Tier t{u, std::vector<Node>(n)};
    const std::vector<ApertureNode>& table = aperture_nodes(n);
    for (int i = 0; i < n; ++i) {
      const ApertureNode& a = table[i];
      const double psi = 2.0 * pi * s * a.x * a.x;
      t.nodes[i] = Node{a.x, a.j1c, a.cj1pc, a.w * std::complex<double>(std::cos(psi), -std::sin(psi))};
    }
    tiers_.push_back(std::move(t));
  }
}

int Horn::order_at(double theta) const {
  const double u = u_of(aw_, theta);
  for (const Tier& t : tiers_) {
    if (u <= t.u) return static_cast<int>(t.nodes.size());
  }
  return far_order_;
}

// The integrals of the planes asked for at u (without the obliquity factor)
// and, with D, the u-derivative of the one plane asked for in *di: by the
// first tier whose rule serves u, else by the rule of the whole visible range
// with its phase factors made as they are needed.
template <bool E, bool H, bool D>
void Horn::integrals(double u, std::complex<double>& ie, std::complex<double>& ih, std::complex<double>* di) const {
  ie = ih = 0.0;
  std::complex<double> sd = 0.0;
  const auto add = [&](double x, double j1c, double cj1pc, std::complex<double> ph, auto small) {
    const double z = u * x;
    double j0, lam;
    if (decltype(small)::value) {
      bessel_j0_j1z_small(z, j0, lam);
    } else {
      j0_j1z(z, j0, lam);
    }
    const double d1 = j0 - lam;
    if (E) ie += (d1 * j1c + cj1pc * lam) * ph;
    if (H) ih += (j1c * lam + cj1pc * d1) * ph;
    if (D) {
      // J2(z)/z = (2 J1(z)/z - J0(z))/z, its series z/8 (1 - z^2/12) near 0;
      // d lam/dz = -J2/z and d J1'/dz = J2/z - z lam.
      const double j2z = z < 1e-3 ? 0.125 * z * (1.0 - z * z / 12.0) : (2.0 * lam - j0) / z;
      const double dlam = -x * j2z, dd1 = x * (j2z - z * lam);
      if (E) sd += (dd1 * j1c + cj1pc * dlam) * ph;
      if (H) sd += (j1c * dlam + cj1pc * dd1) * ph;
    }
  };
  for (const Tier& t : tiers_) {
    if (u <= t.u) {
      if (u <= kBesselPolySmall) {  // every z = u x is within the short pair's range
        for (const Node& nd : t.nodes) add(nd.x, nd.j1c, nd.cj1pc, nd.ph, std::true_type());
      } else {
        for (const Node& nd : t.nodes) add(nd.x, nd.j1c, nd.cj1pc, nd.ph, std::false_type());
      }
      if (D) *di = sd;
      return;
    }
  }
  for (const ApertureNode& a : aperture_nodes(far_order_)) {
    const double psi = 2.0 * pi * s_ * a.x * a.x;
    add(a.x, a.j1c, a.cj1pc, a.w * std::complex<double>(std::cos(psi), -std::sin(psi)), std::false_type());
  }
  if (D) *di = sd;
}

double Horn::power_db(double theta, int plane, double& slope, double* per_log_aw) const {
  if (!(aw_ > 0.0 && std::isfinite(aw_) && std::isfinite(s_) && std::isfinite(theta))) {
    slope = std::nan("");
    return slope;
  }
  const double ka = 2.0 * pi * aw_;
  const double sn = std::sin(theta), cs = std::cos(theta);
  std::complex<double> ie, ih, di;
  if (plane == 0) {
    integrals<true, false, true>(ka * std::fabs(sn), ie, ih, &di);
  } else {
    integrals<false, true, true>(ka * std::fabs(sn), ie, ih, &di);
  }
  const std::complex<double> i = plane == 0 ? ie : ih;
  const double ob = 0.5 * (1.0 + cs);
  // d/dtheta of 10 log10 |ob I(u)|^2 = (20/ln 10) (ob'/ob + Re(I'/I) du/dtheta).
  const double dudth = sn < 0.0 ? -ka * cs : ka * cs;
  const double rate = 20.0 / std::log(10.0) * (di / i).real();  // dB per unit u
  slope = 20.0 / std::log(10.0) * (-0.5 * sn / ob) + rate * dudth;
  if (per_log_aw) *per_log_aw = rate * ka * std::fabs(sn);  // du/dlog(aw) = u
  return 10.0 * std::log10(std::norm(ob * i));
}

Field Horn::field(double theta) const {
  if (!(aw_ > 0.0 && std::isfinite(aw_) && std::isfinite(s_) && std::isfinite(theta))) {
    const double nan = std::nan("");
    return Field{{nan, nan}, {nan, nan}};
  }
  std::complex<double> ie, ih;
  integrals<true, true>(u_of(aw_, theta), ie, ih);
  const double ob = 0.5 * (1.0 + std::cos(theta));
  return Field{ob * ie, ob * ih};
}

std::complex<double> Horn::field(double theta, int plane) const {
  if (!(aw_ > 0.0 && std::isfinite(aw_) && std::isfinite(s_) && std::isfinite(theta))) {
    const double nan = std::nan("");
    return {nan, nan};
  }
  std::complex<double> ie, ih;
  if (plane == 0) {
    integrals<true, false>(u_of(aw_, theta), ie, ih);
  } else {
    integrals<false, true>(u_of(aw_, theta), ie, ih);
  }
  return 0.5 * (1.0 + std::cos(theta)) * (plane == 0 ? ie : ih);
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
  std::complex<double> sum = 0.0;
  for (const ApertureNode& a : aperture_nodes(aperture_order(0.0, s))) {
    const double psi = 2.0 * pi * s * a.x * a.x;
    sum += a.w * a.x * a.j0c * std::complex<double>(std::cos(psi), -std::sin(psi));
  }
  const double j1 = bessel_j(1, chi);
  const double power = 0.5 * (1.0 - 1.0 / (chi * chi)) * j1 * j1;
  return std::norm(sum) / power;
}

double gain_db(double aw, double s) {
  const double ka = 2.0 * pi * aw;
  return 10.0 * std::log10(ka * ka * aperture_efficiency(s));
}

}  // namespace exact
}  // namespace quaven
