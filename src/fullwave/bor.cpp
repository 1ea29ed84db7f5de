// Body-of-revolution moment method for the harmonics m = +-1 (see bor.h).
#include "fullwave/bor.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "numeric/constants.h"
#include "numeric/gauss_legendre.h"

namespace quaven {
namespace bor {
namespace {

constexpr double kPi = physical::pi;
constexpr double kEta = physical::eta;
constexpr cd kJ(0.0, 1.0);

// Complete elliptic integrals K and E of modulus kappa, from kappa^2 and the
// complementary kappa'^2 = 1 - kappa^2 (passed separately so that a small
// kappa'^2 keeps its digits), by the arithmetic-geometric mean (A&S 17.6).
void elliptic_ke(double k2, double kp2, double& kk, double& ee) {
  double a = 1.0, b = std::sqrt(kp2), c = std::sqrt(k2);
  double sum = 0.5 * k2, pow2 = 0.5;
  for (int i = 0; i < 60 && std::fabs(c) > 1e-17 * a; ++i) {
    const double an = 0.5 * (a + b), bn = std::sqrt(a * b), cn = 0.5 * (a - b);
    pow2 *= 2.0;
    sum += pow2 * cn * cn;
    a = an;
    b = bn;
    c = cn;
  }
  kk = kPi / (2.0 * a);
  ee = kk * (1.0 - sum);
}

// The trapezoidal rule over the angle in [0, 2 pi), folded onto [0, pi] by
// the evenness of the integrand.
struct AngleRule {
  std::vector<double> w, cos1, cos2, sh2;  // weight, cos a, cos 2a, sin^2(a/2)
  explicit AngleRule(int n) {
    n = std::max(4, n + (n & 1));
    const int half = n / 2;
    const double h = 2.0 * kPi / n;
    for (int i = 0; i <= half; ++i) {
      const double a = i * h, s = std::sin(0.5 * a);
      w.push_back(i == 0 || i == half ? h : 2.0 * h);
      cos1.push_back(std::cos(a));
      cos2.push_back(std::cos(2.0 * a));
      sh2.push_back(s * s);
    }
  }
};

void green(double k, const AngleRule& rule, double r1, double z1, double r2, double z2, cd out[3]) {
  const double dz = z1 - z2;
  const double d2 = (r1 - r2) * (r1 - r2) + dz * dz;
  const double b4 = 4.0 * r1 * r2;
  // Close to the other ring (compared with the radii) the integrand peaks
  // sharply at a = 0 and the static part is taken out; elsewhere it is
  // analytic in a strip of half-width about d / sqrt(r1 r2) >= 1/2, where the
  // trapezoidal rule converges like exp(-n/2).
  const bool split = d2 < 0.25 * r1 * r2;
  double s0r = 0.0, s0i = 0.0, s1r = 0.0, s1i = 0.0, s2r = 0.0, s2i = 0.0;
  const int m = static_cast<int>(rule.w.size());
  for (int i = 0; i < m; ++i) {
    const double r = std::sqrt(d2 + b4 * rule.sh2[i]);
    const double kr = k * r;
    double fr, fi;
    if (split) {
      // (exp(-jkR) - 1 + (kR)^2/2)/R, whose limit at R = 0 is -jk.
      if (r > 0.0) {
        const double sh = std::sin(0.5 * kr);
        fr = (0.5 * kr * kr - 2.0 * sh * sh) / r;
        fi = -std::sin(kr) / r;
      } else {
        fr = 0.0;
        fi = -k;
      }
    } else {
      fr = std::cos(kr) / r;
      fi = -std::sin(kr) / r;
    }
    const double w = rule.w[i], w1 = w * rule.cos1[i], w2 = w * rule.cos2[i];
    s0r += w * fr;
    s0i += w * fi;
    s1r += w1 * fr;
    s1i += w1 * fi;
    s2r += w2 * fr;
    s2i += w2 * fi;
  }
  if (split) {
    // The terms 1/R - k^2 R/2 taken out above, integrated in closed form:
    // with R^2 = A - B cos a and a = pi - 2 psi, R = sqrt(A+B) Delta,
    // Delta = sqrt(1 - kappa^2 sin^2 psi), kappa^2 = 2B/(A+B), the integrals
    // reduce to L_m = int_0^{pi/2} sin^{2m} psi / Delta dpsi, with L_0 = K,
    // L_1 = (K - E)/kappa^2 and, from d/dpsi(sin^{2m-1} cos Delta) = ...,
    // (2m+1) kappa^2 L_{m+1} = 2m (1 + kappa^2) L_m - (2m-1) L_{m-1};
    // int sin^{2m} Delta = L_m - kappa^2 L_{m+1}. cos a = 2 s^2 - 1 and
    // cos 2a = 8 s^4 - 8 s^2 + 1 with s = sin psi.
    const double dd2 = (r1 + r2) * (r1 + r2) + dz * dz;
    const double k2 = b4 / dd2, kp2 = d2 / dd2;
    double kk, ee;
    elliptic_ke(k2, kp2, kk, ee);
    const double l0 = kk, l1 = (kk - ee) / k2;
    const double l2 = (2.0 * (1.0 + k2) * l1 - l0) / (3.0 * k2);
    const double l3 = (4.0 * (1.0 + k2) * l2 - 3.0 * l1) / (5.0 * k2);
    const double j0 = l0 - k2 * l1, j1 = l1 - k2 * l2, j2 = l2 - k2 * l3;
    const double dd = std::sqrt(dd2);
    const double f = 4.0 / dd, g = -0.5 * k * k * 4.0 * dd;
    s0r += f * l0 + g * j0;
    s1r += f * (2.0 * l1 - l0) + g * (2.0 * j1 - j0);
    s2r += f * (8.0 * l2 - 8.0 * l1 + l0) + g * (8.0 * j2 - 8.0 * j1 + j0);
  }
  const double c = 1.0 / (4.0 * kPi);
  out[0] = cd(c * s0r, c * s0i);
  out[1] = cd(c * s1r, c * s1i);
  out[2] = cd(c * s2r, c * s2i);
}

double point_segment(const Point& p, const Point& a, const Point& b) {
  const double dr = b.rho - a.rho, dz = b.z - a.z;
  const double l2 = dr * dr + dz * dz;
  double u = l2 > 0.0 ? ((p.rho - a.rho) * dr + (p.z - a.z) * dz) / l2 : 0.0;
  u = std::clamp(u, 0.0, 1.0);
  return std::hypot(p.rho - a.rho - u * dr, p.z - a.z - u * dz);
}

// J0, J1 and J2 at x >= 0.
void bessel012(double x, double& j0, double& j1, double& j2) {
  j0 = ::j0(x);
  j1 = ::j1(x);
  if (x > 1e-2) {
    j2 = 2.0 * j1 / x - j0;
  } else {
    const double q = 0.25 * x * x;
    j2 = 0.5 * q * (1.0 - q / 3.0 + q * q / 24.0);
  }
}

}  // namespace

std::vector<Point> mesh_polyline(const std::vector<Point>& corners, double h) {
  std::vector<Point> out;
  if (corners.empty()) return out;
  out.push_back(corners[0]);
  for (std::size_t i = 1; i < corners.size(); ++i) {
    const Point& a = corners[i - 1];
    const Point& b = corners[i];
    const double len = std::hypot(b.rho - a.rho, b.z - a.z);
    if (!(len > 0.0)) continue;
    const int n = std::max(1, static_cast<int>(std::ceil(len / h - 1e-9)));
    for (int j = 1; j <= n; ++j) {
      const double u = static_cast<double>(j) / n;
      out.push_back(Point{a.rho + u * (b.rho - a.rho), a.z + u * (b.z - a.z)});
    }
  }
  return out;
}

void modal_green(double k, double r1, double z1, double r2, double z2, int n, cd out[3]) {
  const AngleRule rule(n);
  green(k, rule, r1, z1, r2, z2, out);
}

Body::Body(std::vector<Point> nodes, double k, const Options& opt) : nodes_(std::move(nodes)), k_(k) {
  const int nn = static_cast<int>(nodes_.size());
  it_.assign(nn, -1);
  ip_.assign(nn, -1);
  int count = 0;
  for (int i = 1; i + 1 < nn; ++i) it_[i] = count++;
  for (int i = 0; i < nn; ++i) {
    const bool end = i == 0 || i == nn - 1;
    // A phi current along a free edge stays finite; at a pole it has no
    // basis of its own (T vanishes there).
    if (!end || nodes_[i].rho > 0.0) ip_[i] = count++;
  }
  const numeric::GaussRule& g = numeric::gauss_rule(opt.gauss);
  for (int s = 0; s + 1 < nn; ++s) {
    const Point& a = nodes_[s];
    const Point& b = nodes_[s + 1];
    const double len = std::hypot(b.rho - a.rho, b.z - a.z);
    for (int i = 0; i < opt.gauss; ++i) {
      const double u = 0.5 * (g.x[i] + 1.0);
      quad_.push_back(Quad{s, a.rho + u * (b.rho - a.rho), a.z + u * (b.z - a.z), 0.5 * g.w[i] * len, u});
    }
  }
  z_ = Eigen::MatrixXcd::Zero(count, count);
  fill(opt);
}

void Body::fill(const Options& opt) {
  const int nseg = static_cast<int>(nodes_.size()) - 1;
  std::vector<double> len(nseg), dr(nseg), dz(nseg);
  double rmax = 0.0;
  for (int s = 0; s < nseg; ++s) {
    const Point& a = nodes_[s];
    const Point& b = nodes_[s + 1];
    len[s] = std::hypot(b.rho - a.rho, b.z - a.z);
    dr[s] = (b.rho - a.rho) / len[s];
    dz[s] = (b.z - a.z) / len[s];
    rmax = std::max({rmax, a.rho, b.rho});
  }
  const AngleRule angle(std::max(32, 4 * static_cast<int>(std::ceil(k_ * rmax)) + 24));
  const double k = k_;
  const cd jk(0.0, k), mjk(0.0, -1.0 / k);
  const double ik = 1.0 / k;

  // Test point p (segment sp, fraction up, radius rp, weight wp) against
  // source point q, with the modal kernels at that pair.
  const auto add = [&](int sp, double up, double rp, double wp, int sq, double uq, double rq, double wq,
                       const cd* kn) {
    const cd g1 = kn[1];
    const cd gc = 0.5 * (kn[0] + kn[2]);
    const cd gs = kJ * 0.5 * (kn[0] - kn[2]);
    const double w = 2.0 * kPi * wp * wq;
    for (int a = 0; a < 2; ++a) {
      const int na = sp + a;
      const double ta = a ? up : 1.0 - up;
      const double dta = (a ? 1.0 : -1.0) / len[sp];
      const int ita = it_[na], ipa = ip_[na];
      for (int b = 0; b < 2; ++b) {
        const int nb = sq + b;
        const double tb = b ? uq : 1.0 - uq;
        const double dtb = (b ? 1.0 : -1.0) / len[sq];
        const int itb = it_[nb], ipb = ip_[nb];
        const double tt = w * ta * tb;
        if (ita >= 0 && itb >= 0)
          z_(ita, itb) += jk * tt * (dr[sp] * dr[sq] * gc + dz[sp] * dz[sq] * g1) + mjk * (w * dta * dtb) * g1;
        if (ita >= 0 && ipb >= 0) z_(ita, ipb) += -jk * (tt * dr[sp]) * gs + (ik * w * dta * tb / rq) * g1;
        if (ipa >= 0 && itb >= 0) z_(ipa, itb) += jk * (tt * dr[sq]) * gs - (ik * w * ta * dtb / rp) * g1;
        if (ipa >= 0 && ipb >= 0) z_(ipa, ipb) += jk * tt * gc + mjk * (tt / (rp * rq)) * g1;
      }
    }
  };

  // Which segment pairs need the graded rule.
  std::vector<char> near(static_cast<std::size_t>(nseg) * nseg, 0);
  for (int s = 0; s < nseg; ++s)
    for (int t = s; t < nseg; ++t) {
      const double lim = opt.near * std::max(len[s], len[t]);
      const double d = std::min({point_segment(nodes_[s], nodes_[t], nodes_[t + 1]),
                                 point_segment(nodes_[s + 1], nodes_[t], nodes_[t + 1]),
                                 point_segment(nodes_[t], nodes_[s], nodes_[s + 1]),
                                 point_segment(nodes_[t + 1], nodes_[s], nodes_[s + 1])});
      near[s * nseg + t] = near[t * nseg + s] = d < lim;
    }

  // Well separated pairs: the product Gauss rule, each kernel used twice.
  const int ng = opt.gauss;
  cd kn[3];
  for (int s = 0; s < nseg; ++s)
    for (int t = s; t < nseg; ++t) {
      if (near[s * nseg + t]) continue;
      for (int i = 0; i < ng; ++i) {
        const Quad& p = quad_[s * ng + i];
        for (int j = 0; j < ng; ++j) {
          const Quad& q = quad_[t * ng + j];
          green(k, angle, p.rho, p.z, q.rho, q.z, kn);
          add(s, p.u, p.rho, p.w, t, q.u, q.rho, q.w, kn);
          if (t != s) add(t, q.u, q.rho, q.w, s, p.u, p.rho, p.w, kn);
        }
      }
    }

  // Close pairs: Gauss in the test point; for the source a graded rule
  // t = t* -+ l v^3 on each side of the point t* of the source segment
  // nearest to the test point, which turns the logarithmic singularity of the
  // kernel into a smooth integrand.
  const numeric::GaussRule& gr = numeric::gauss_rule(opt.graded);
  for (int s = 0; s < nseg; ++s)
    for (int t = 0; t < nseg; ++t) {
      if (!near[s * nseg + t]) continue;
      const Point& a = nodes_[t];
      for (int i = 0; i < ng; ++i) {
        const Quad& p = quad_[s * ng + i];
        const double proj = (p.rho - a.rho) * dr[t] + (p.z - a.z) * dz[t];
        const double ts = std::clamp(proj, 0.0, len[t]);
        const double piece[2] = {ts, len[t] - ts};
        for (int side = 0; side < 2; ++side) {
          const double l = piece[side];
          if (!(l > 1e-12 * len[t])) continue;
          const double sign = side == 0 ? -1.0 : 1.0;
          for (int j = 0; j < opt.graded; ++j) {
            const double v = 0.5 * (gr.x[j] + 1.0);
            const double pos = ts + sign * l * v * v * v;
            const double wq = 0.5 * gr.w[j] * 3.0 * l * v * v;
            const double rq = a.rho + pos * dr[t], zq = a.z + pos * dz[t];
            green(k, angle, p.rho, p.z, rq, zq, kn);
            add(s, p.u, p.rho, p.w, t, pos / len[t], rq, wq, kn);
          }
        }
      }
    }
}

void Body::add_rhs(Eigen::VectorXcd& v, const Quad& q, const IncidentSample& s) const {
  const Point& a = nodes_[q.seg];
  const Point& b = nodes_[q.seg + 1];
  const double len = std::hypot(b.rho - a.rho, b.z - a.z);
  const double c = (b.rho - a.rho) / len, d = (b.z - a.z) / len;
  // The phi integrals of exp(-j phi) cos(phi) and -exp(-j phi) sin(phi)
  // are pi and j pi.
  const cd tangential = kPi * q.w * (c * s.er + d * s.ez);
  const cd azimuthal = kJ * kPi * q.w * s.ephi;
  for (int e = 0; e < 2; ++e) {
    const int n = q.seg + e;
    const double t = e ? q.u : 1.0 - q.u;
    if (it_[n] >= 0) v[it_[n]] += t * tangential;
    if (ip_[n] >= 0) v[ip_[n]] += t * azimuthal;
  }
}

void Body::solve_rhs(const Eigen::VectorXcd& v) { x_ = z_.partialPivLu().solve(v / kEta); }

cd Body::rho_jt(int node) const { return it_[node] >= 0 && x_.size() ? x_[it_[node]] : cd(0.0); }
cd Body::rho_jphi(int node) const { return ip_[node] >= 0 && x_.size() ? x_[ip_[node]] : cd(0.0); }

FarField Body::far_field(double theta, double z0) const {
  const double ct = std::cos(theta), st = std::sin(theta);
  cd nt(0.0), np(0.0);
  for (const Quad& q : quad_) {
    const Point& a = nodes_[q.seg];
    const Point& b = nodes_[q.seg + 1];
    const double len = std::hypot(b.rho - a.rho, b.z - a.z);
    const double c = (b.rho - a.rho) / len, d = (b.z - a.z) / len;
    const cd ft = (1.0 - q.u) * rho_jt(q.seg) + q.u * rho_jt(q.seg + 1);
    const cd fp = (1.0 - q.u) * rho_jphi(q.seg) + q.u * rho_jphi(q.seg + 1);
    double j0, j1, j2;
    bessel012(k_ * q.rho * st, j0, j1, j2);
    const double ph = k_ * (q.z - z0) * ct;
    const cd e = q.w * cd(std::cos(ph), std::sin(ph));
    nt += e * (ft * (c * ct * (j0 - j2)) - kJ * (2.0 * d * st * j1) * ft - kJ * (ct * (j0 + j2)) * fp);
    np += e * (-ft * (c * (j0 + j2)) + kJ * (j0 - j2) * fp);
  }
  // E = -j omega mu exp(-jkr)/(4 pi r) N, with N carrying a factor 2 pi.
  const cd f = kJ * (k_ * kEta / (4.0 * kPi)) * 2.0 * kPi;
  return FarField{-f * nt, f * np};
}

}  // namespace bor
}  // namespace quaven
