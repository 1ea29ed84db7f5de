// Body-of-revolution moment method for the harmonics m = +-1 (see bor.h).
#include "fullwave/bor.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "numeric/constants.h"
#include "numeric/gauss_legendre.h"
#include "fullwave/ring_sums.h"
#include "numeric/parallel.h"

namespace quaven {
namespace bor {
namespace {

constexpr double kPi = physical::pi;
constexpr double kEta = physical::eta;
constexpr cd kJ(0.0, 1.0);

// The CFIE's weights: kCombination times the EFIE (divided by eta) plus
// 1 - kCombination times the MFIE, the combined-field equation of Mautz &
// Harrington (1978). Any value strictly between 0 and 1 gives a unique
// solution at every frequency; with the equal weighting taken here the
// currents on the sphere of bor_test stay within 0.5 % of the Mie series
// and the condition number does not move across its cavity resonance.
constexpr double kCombination = 0.5;

// The most Gauss nodes per segment the outer integrals take.
constexpr int kMaxGauss = 16;

// z times j c, written out (the product of two std::complex values checks
// for infinities on every call).
inline cd times_j(double c, const cd& z) { return cd(-c * z.imag(), c * z.real()); }

// Graded test nodes on a segment next to a corner, and Gauss nodes on each
// geometric panel of a source segment near a test point (MFIE and CFIE).
constexpr int kCornerGauss = 6;
constexpr int kPanelGauss = 4;

// Complete elliptic integrals K and E of modulus kappa, from kappa^2 and the
// complementary kappa'^2 = 1 - kappa^2 (passed separately so that a small
// kappa'^2 keeps its digits), by the arithmetic-geometric mean (A&S 17.6).
void elliptic_ke_agm(double k2, double kp2, double& kk, double& ee) {
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

// The coefficients of the expansions of K and E about kappa' = 0 (DLMF
// 19.12.1, 19.12.2), with m = kappa'^2 and L = ln(4/kappa'):
//   K = sum_n a_n^2 m^n (L - b_n),
//   E = 1 + (m/2) sum_n c_n m^n (L - b_n - 1/((2n+1)(2n+2))),
// a_n = (1/2)_n/n!, c_n = (1/2)_n (3/2)_n/((2)_n n!), b_0 = 0, b_n = b_{n-1}
// + 2/((2n-1) 2n). For m <= 1/16 the terms fall by 16 each and kKeTerms of
// them reach 1e-19.
constexpr int kKeTerms = 16;
struct KeSeries {
  double kl[kKeTerms] = {}, k0[kKeTerms] = {}, el[kKeTerms] = {}, e0[kKeTerms] = {};
  constexpr KeSeries() {
    double a = 1.0, c = 1.0, b = 0.0;
    for (int n = 0; n < kKeTerms; ++n) {
      if (n > 0) {
        a *= (n - 0.5) / n;
        c *= (n - 0.5) * (n + 0.5) / ((n + 1.0) * n);
        b += 2.0 / ((2.0 * n - 1.0) * 2.0 * n);
      }
      kl[n] = a * a;
      k0[n] = a * a * b;
      el[n] = 0.5 * c;
      e0[n] = 0.5 * c * (b + 1.0 / ((2.0 * n + 1.0) * (2.0 * n + 2.0)));
    }
  }
};
constexpr KeSeries kKe;

// K and E as above: by the expansions where kappa'^2 <= 1/16 (every pair of
// rings whose static part is taken out; four times faster than the mean,
// and E without its cancellation), else by the mean.
void elliptic_ke(double k2, double kp2, double& kk, double& ee) {
  if (!(kp2 > 0.0 && kp2 <= 0.0625)) {
    elliptic_ke_agm(k2, kp2, kk, ee);
    return;
  }
  const double l = std::log(4.0) - 0.5 * std::log(kp2);
  double pk = kKe.kl[kKeTerms - 1], qk = kKe.k0[kKeTerms - 1];
  double pe = kKe.el[kKeTerms - 1], qe = kKe.e0[kKeTerms - 1];
  for (int n = kKeTerms - 2; n >= 0; --n) {
    pk = kKe.kl[n] + kp2 * pk;
    qk = kKe.k0[n] + kp2 * qk;
    pe = kKe.el[n] + kp2 * pe;
    qe = kKe.e0[n] + kp2 * qe;
  }
  kk = l * pk - qk;
  ee = 1.0 + kp2 * (l * pe - qe);
}

// The angle rules of one fill. A pair of rings close enough for the static
// part to be taken out (R small against sqrt(r1 r2)) keeps the body's own
// count, set by its largest radius: what is left after the static part is
// not analytic where R vanishes, and the rule converges slowly there. Any
// other pair gets the fewest samples (in whole blocks of kAngleLanes) that
// its own integrand needs: exp(-jkR)/R is analytic in a strip about the real
// axis of half-width sigma = 2 asinh(d / (2 sqrt(r1 r2))) (R^2 = d^2 + 4 r1
// r2 sin^2(a/2) vanishes at a = +-j sigma), where the trapezoidal rule's
// error falls like exp(-n sigma), and its phase k R swings by k sqrt(r1 r2)
// min(1, sqrt(r1 r2)/d) round the ring, which takes about twice as many
// samples. n = 36/sigma + 2 k rho min(1, rho/d) + 8 (rho = sqrt(r1 r2)) kept
// every K_n and gradient moment within 4e-14 of the converged sums (relative
// to K_0 and to the largest moment) over k rho from 0.2 to 32, d/rho from
// 0.5 to 15 and r1/r2 up to 5, where the body's largest radius set the count
// for every pair before, and a pair of small rings far apart now takes 14
// points where it took 52.
class AngleRules {
 public:
  // One rule of n points for every pair.
  explicit AngleRules(int n) : split_(n) {}
  // The body's own count where the static part is taken out, n elsewhere.
  AngleRules(double k, double rmax, int n)
      : split_(std::max(32, 4 * static_cast<int>(std::ceil(k * rmax)) + 24)), far_(1, detail::AngleRule(n)), fixed_(true) {}
  // The rules of a body of largest radius rmax at wavenumber k.
  AngleRules(double k, double rmax) : split_(std::max(32, 4 * static_cast<int>(std::ceil(k * rmax)) + 24)) {
    const int most = static_cast<int>(std::ceil(36.0 / (2.0 * std::asinh(0.25)) + 2.0 * k * rmax + 8.0));
    for (int m = detail::kAngleLanes; m < detail::angle_samples(most) + detail::kAngleLanes; m += detail::kAngleLanes)
      far_.emplace_back(2 * (m - 1));
  }
  // The rule of a pair whose static part is taken out.
  const detail::AngleRule& split() const { return split_; }
  // The rule of any other pair of rings of radii whose product is r1r2, a
  // distance d apart in the rho-z plane; and, since n grows with rho and
  // falls with d, one that serves every pair of points on two segments
  // from the segments' distance and their largest radii.
  const detail::AngleRule& pick(double k, double d, double r1r2) const {
    if (far_.empty()) return split_;
    if (fixed_) return far_.front();
    const double rho = std::sqrt(r1r2);
    if (!(rho > 0.0)) return far_.front();
    if (!(d > 0.0)) return far_.back();
    const double n = 36.0 / (2.0 * std::asinh(0.5 * d / rho)) + 2.0 * k * rho * std::min(1.0, rho / d) + 8.0;
    const double j = std::ceil((0.5 * n + 1.0) / detail::kAngleLanes) - 1.0;
    return j < static_cast<double>(far_.size()) ? far_[static_cast<std::size_t>(j)] : far_.back();
  }

 private:
  detail::AngleRule split_;
  std::vector<detail::AngleRule> far_;  // far_[j] holds (j + 1) kAngleLanes samples
  bool fixed_ = false;                   // far_ holds one rule, for every pair
};

// The EFIE's K_0, K_1, K_2 into `out` and, with Mfie, the MFIE's M_1, N_0,
// N_1 into `grad`, between the rings through (r1, z1) and (r2, z2).
// `pair`, where given, is the angle rule for the two rings unless their
// static part is taken out; else it is picked for them alone.
template <bool Mfie>
void green(double k, const AngleRules& rules, const detail::AngleRule* pair, double r1, double z1, double r2, double z2,
           cd out[3], cd grad[3]) {
  const double dz = z1 - z2;
  const double d2 = (r1 - r2) * (r1 - r2) + dz * dz;
  const double b4 = 4.0 * r1 * r2;
  // Close to the other ring (compared with the radii) the integrand peaks
  // sharply at a = 0 and the static part is taken out; elsewhere it is
  // analytic in a strip of half-width about d / sqrt(r1 r2) >= 1/2, where the
  // trapezoidal rule converges like exp(-n/2).
  const bool split = d2 < 0.25 * r1 * r2;
  double sum[12];
  const detail::AngleRule& rule = split ? rules.split() : pair ? *pair : rules.pick(k, std::sqrt(d2), r1 * r2);
  detail::angle_sums(k, rule, d2, b4, split, Mfie, sum);
  double s0r = sum[0], s0i = sum[1], s1r = sum[2], s1i = sum[3], s2r = sum[4], s2i = sum[5];
  double m1r = sum[6], m1i = sum[7], n0r = sum[8], n0i = sum[9], n1r = sum[10], n1i = sum[11];
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
    if (Mfie) {
      // The terms 1/R^3 + k^2/(2R) - k^4 R/8 taken out above. With
      // 1 - cos a = 2 cos^2 psi the moments of 1/R^3 need
      //   int cos^2 / Delta^3 = (K - E)/kappa^2,
      //   int cos^2 sin^2 / Delta^3 = ((1 + kappa'^2) K - 2E)/kappa^4,
      //   int (2 sin^2 - 1) / Delta^3 = ((1 + kappa'^2) E - 2 kappa'^2 K)/(kappa^2 kappa'^2),
      // (from int 1/Delta^3 = E/kappa'^2 and int sin^{2m+2}/Delta^3 =
      // (int sin^{2m}/Delta^3 - L_m)/kappa^2), and those of 1/R, with
      // int cos^2 / Delta = (E - kappa'^2 K)/kappa^2, are finite as the
      // rings meet (kappa' -> 0) but for M_1, whose every use is multiplied
      // by a distance from the source's line that vanishes with it.
      const double c2_3 = (kk - ee) / k2;
      const double c2s2_3 = ((1.0 + kp2) * kk - 2.0 * ee) / (k2 * k2);
      const double m1_3 = kp2 > 0.0 ? ((1.0 + kp2) * ee - 2.0 * kp2 * kk) / (k2 * kp2) : 0.0;
      const double c2_1 = (ee - kp2 * kk) / k2;
      const double f3 = 4.0 / (dd2 * dd), f1 = 0.5 * k * k * f, fm = -0.125 * k * k * k * k * 4.0 * dd;
      m1r += f3 * m1_3 + f1 * (2.0 * l1 - l0) + fm * (2.0 * j1 - j0);
      n0r += f3 * 2.0 * c2_3 + f1 * 2.0 * c2_1 + fm * 2.0 * (j0 - j1);
      n1r += f3 * 2.0 * (2.0 * c2s2_3 - c2_3) + f1 * 2.0 * (2.0 * (l1 - l2) - c2_1) +
             fm * 2.0 * (2.0 * (j1 - j2) - (j0 - j1));
    }
  }
  const double c = 1.0 / (4.0 * kPi);
  out[0] = cd(c * s0r, c * s0i);
  out[1] = cd(c * s1r, c * s1i);
  out[2] = cd(c * s2r, c * s2i);
  if (Mfie) {
    grad[0] = cd(c * m1r, c * m1i);
    grad[1] = cd(c * n0r, c * n0i);
    grad[2] = cd(c * n1r, c * n1i);
  }
}

double point_segment(const Point& p, const Point& a, const Point& b) {
  const double dr = b.rho - a.rho, dz = b.z - a.z;
  const double l2 = dr * dr + dz * dz;
  double u = l2 > 0.0 ? ((p.rho - a.rho) * dr + (p.z - a.z) * dz) / l2 : 0.0;
  u = std::clamp(u, 0.0, 1.0);
  // (Lengths of a body in metres: no overflow for hypot to guard against.)
  const double x = p.rho - a.rho - u * dr, y = p.z - a.z - u * dz;
  return std::sqrt(x * x + y * y);
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

std::vector<Point> mesh_polyline(const std::vector<Point>& corners, double h, int min_segments) {
  std::vector<Point> out;
  if (corners.empty()) return out;
  out.push_back(corners[0]);
  for (std::size_t i = 1; i < corners.size(); ++i) {
    const Point& a = corners[i - 1];
    const Point& b = corners[i];
    const double len = std::hypot(b.rho - a.rho, b.z - a.z);
    if (!(len > 0.0)) continue;
    const int n = std::max(min_segments, static_cast<int>(std::ceil(len / h - 1e-9)));
    for (int j = 1; j <= n; ++j) {
      const double u = static_cast<double>(j) / n;
      out.push_back(Point{a.rho + u * (b.rho - a.rho), a.z + u * (b.z - a.z)});
    }
  }
  return out;
}

void modal_green(double k, double r1, double z1, double r2, double z2, int n, cd out[3]) {
  const AngleRules rules(n);
  green<false>(k, rules, nullptr, r1, z1, r2, z2, out, nullptr);
}

void modal_green_gradient(double k, double r1, double z1, double r2, double z2, int n, cd out[3]) {
  const AngleRules rules(n);
  cd kn[3];
  green<true>(k, rules, nullptr, r1, z1, r2, z2, kn, out);
}

const char* name(Formulation f) {
  switch (f) {
    case Formulation::efie:
      return "EFIE";
    case Formulation::mfie:
      return "MFIE";
    case Formulation::cfie:
      return "CFIE";
    case Formulation::automatic:
      break;
  }
  return "automatic";
}

Body::Body(std::vector<Point> nodes, double k, const Options& opt) : nodes_(std::move(nodes)), k_(k) {
  const int nn = static_cast<int>(nodes_.size());
  closed_ = nn >= 3 && nodes_.front().rho == 0.0 && nodes_.back().rho == 0.0;
  formulation_ = opt.formulation == Formulation::automatic ? (closed_ ? Formulation::cfie : Formulation::efie)
                                                           : opt.formulation;
  if (formulation_ != Formulation::efie && !closed_)
    throw std::invalid_argument(std::string("the ") + name(formulation_) +
                                " needs a closed surface (a generating curve from the axis to the axis)");
  if (!(opt.gauss >= 1 && opt.gauss <= kMaxGauss && opt.graded >= 1))
    throw std::invalid_argument("Gauss nodes per segment must be 1 to " + std::to_string(kMaxGauss) +
                                " and graded nodes at least 1");
  // The curve closed along the axis runs counter-clockwise in the (rho, z)
  // plane (positive area) when the body lies on its left, and then phi^ x t^
  // points out of the metal.
  double area = 0.0;
  for (int i = 0; i + 1 < nn; ++i) area += nodes_[i].rho * nodes_[i + 1].z - nodes_[i + 1].rho * nodes_[i].z;
  side_ = area < 0.0 ? -1.0 : 1.0;
  switch (formulation_) {
    case Formulation::mfie:
      we_ = 0.0;
      wm_ = 1.0;
      break;
    case Formulation::cfie:
      we_ = kCombination;
      wm_ = 1.0 - kCombination;
      break;
    default:
      break;
  }
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
  n_ = count;
  z_ = Eigen::MatrixXcd::Zero(count, count);
  if (wm_ > 0.0)
    fill<true>(opt);
  else
    fill<false>(opt);
  lu_.compute(z_);
}

namespace {

// What one ordered pair of segments (test s, source t) adds to the moment
// matrix, summed over the pair's quadrature points as moments and added to
// the matrix once. Each block of the pair (kinds: 0 the current along the
// curve, 1 round it; tt, tp, pt, pp) is the product of the triangles T_a(u)
// T_b(v) (u along the test segment, v along the source, T_0 = 1 - u, T_1 =
// u) times a factor A, plus, where a triangle's derivative (-+1 / length)
// enters, the derivatives' signs times a factor B: kept as sums of A, u A,
// v A and u v A, and of B (with v or u where the other triangle enters).
struct Moments {
  cd a[4][4] = {};           // [2 ka + kb][1, u, v, u v] of A
  cd btt = 0.0;              // of B, tt (s_a s_b)
  cd btp[2] = {0.0, 0.0};    // [1, v] of B, tp (s_a T_b)
  cd bpt[2] = {0.0, 0.0};    // [1, u] of B, pt (T_a s_b)

  // The sums over the source points of one test point u (a Row) into the
  // moments.
  struct Row {
    cd a[4][2] = {};         // [block][1, v] of A
    cd btt = 0.0;            // of B, tt
    cd btp[2] = {0.0, 0.0};  // [1, v] of B, tp
    cd bpt = 0.0;            // of B, pt
    // The factors A of the four blocks at the source point v.
    void add(double v, const cd (&f)[4]) {
      for (int k = 0; k < 4; ++k) {
        a[k][0] += f[k];
        a[k][1] += v * f[k];
      }
    }
    // The factors A and B.
    void add(double v, const cd (&f)[4], const cd& tt, const cd& tp, const cd& pt) {
      add(v, f);
      btt += tt;
      btp[0] += tp;
      btp[1] += v * tp;
      bpt += pt;
    }
  };
  void add(double u, const Row& r) {
    for (int k = 0; k < 4; ++k) {
      a[k][0] += r.a[k][0];
      a[k][1] += u * r.a[k][0];
      a[k][2] += r.a[k][1];
      a[k][3] += u * r.a[k][1];
    }
    btt += r.btt;
    btp[0] += r.btp[0];
    btp[1] += r.btp[1];
    bpt[0] += r.bpt;
    bpt[1] += u * r.bpt;
  }
  void add(const Moments& o) {
    for (int k = 0; k < 4; ++k)
      for (int i = 0; i < 4; ++i) a[k][i] += o.a[k][i];
    btt += o.btt;
    for (int i = 0; i < 2; ++i) {
      btp[i] += o.btp[i];
      bpt[i] += o.bpt[i];
    }
  }
  // The EFIE's moments of the mirror pair (test t, source s) from this
  // pair's: the EFIE's matrix is symmetric in its tt and pp blocks and
  // antisymmetric across tp and pt (Mautz & Harrington's reciprocity), so
  // the mirror swaps u and v, tp and pt, and changes the sign of those.
  Moments mirror() const {
    Moments m;
    static constexpr int from[4] = {0, 2, 1, 3};
    static constexpr double sign[4] = {1.0, -1.0, -1.0, 1.0};
    for (int k = 0; k < 4; ++k)
      for (int i = 0; i < 4; ++i) m.a[k][from[i]] = sign[k] * a[from[k]][i];
    m.btt = btt;
    for (int i = 0; i < 2; ++i) {
      m.btp[i] = -bpt[i];
      m.bpt[i] = -btp[i];
    }
    return m;
  }
  // The entry of test node a, kind ka, source node b, kind kb.
  cd entry(int a, int ka, int b, int kb) const {
    const cd* m = this->a[2 * ka + kb];
    // sum T_a(u) T_b(v) A from the moments 1, u, v, u v.
    cd e = a ? (b ? m[3] : m[1] - m[3]) : (b ? m[2] - m[3] : m[0] - m[1] - m[2] + m[3]);
    const double sa = a ? 1.0 : -1.0, sb = b ? 1.0 : -1.0;
    if (ka == 0 && kb == 0) e += (sa * sb) * btt;
    if (ka == 0 && kb == 1) e += sa * (b ? btp[1] : btp[0] - btp[1]);
    if (ka == 1 && kb == 0) e += sb * (a ? bpt[1] : bpt[0] - bpt[1]);
    return e;
  }
};

// The Gauss rule's error on a segment pair, estimated for the n-point rule
// on a segment of length h whose integrand has a singularity at distance d
// (the other segment; beside its middle, the worst place) and swings in
// phase as exp(-jkt) times the linear basis: the rule's error goes like
// rho^(-2n) with rho the parameter of the largest Bernstein ellipse clear of
// the singularity (x + sqrt(x^2 + 1) for x = d / (h/2)), and on the phase
// like the 2n-th derivative of u exp(-j kappa u) on [-1, 1], kappa^(2n-1)
// (2n + kappa) with kappa = kh/2, times the rule's error constant (1/135
// for n = 2, 1/15750 for n = 3; Abramowitz & Stegun 25.4.30). The basis'
// factor u makes the phase term kappa^3 for two points: 1e-4 of an entry
// at 20 segments per wavelength, on every far pair at once.
double gauss_phase_error(int n, double h, double k) {
  const double kappa = 0.5 * k * h;
  double power = kappa;  // kappa^(2n - 1)
  for (int i = 1; i < n; ++i) power *= kappa * kappa;
  return power * (2 * n + kappa) / (n == 2 ? 135.0 : 15750.0);
}

double gauss_error(int n, double d, double h, double k) {
  const double x = 2.0 * d / h;
  const double rho = x + std::sqrt(x * x + 1.0);
  double power = rho * rho;  // rho^(2n)
  for (int i = 1; i < n; ++i) power *= rho * rho;
  return 1.0 / power + gauss_phase_error(n, h, k);
}

// The estimated relative error of an entry up to which the two-point rule
// takes a far pair's place. Its error is alike on every far pair, and what
// a figure makes of the entries is not local: allowed 2e-5 (about a tenth of
// the full rule's estimated error at the nearest pair it takes), pairs four
// segments apart and more took the two-point rule at 20 segments per
// wavelength, with errors of 1e-4 from the phase term, and the E-plane
// phase centre of a long cone (0.45 / 2 / 12 in at 10 GHz) moved by 0.0012
// wavelength, its S11 by 0.004 dB. With 1e-6 the rule is taken from about
// 100 segments per wavelength on, where the figures move by less than 1e-6
// of themselves (tests/fullwave/fullwave_test.cpp).
constexpr double kFarRuleTolerance = 1e-6;

}  // namespace

template <bool Mfie>
void Body::fill(const Options& opt) {
  const int nseg = static_cast<int>(nodes_.size()) - 1;
  std::vector<double> len(nseg), dr(nseg), dz(nseg), rmax_seg(nseg);
  double rmax = 0.0;
  for (int s = 0; s < nseg; ++s) {
    const Point& a = nodes_[s];
    const Point& b = nodes_[s + 1];
    len[s] = std::hypot(b.rho - a.rho, b.z - a.z);
    dr[s] = (b.rho - a.rho) / len[s];
    dz[s] = (b.z - a.z) / len[s];
    rmax_seg[s] = std::max(a.rho, b.rho);
    rmax = std::max(rmax, rmax_seg[s]);
  }
  const AngleRules angle = opt.angle_points > 0 ? AngleRules(k_, rmax, opt.angle_points) : AngleRules(k_, rmax);
  const double k = k_;
  const double ck = we_ * k, cm = -we_ / k, ik = we_ / k;
  const double wm = wm_ * side_;

  // The two-point rule on each segment, for pairs far enough apart.
  const int ng = opt.gauss;
  std::vector<Quad> quad2;
  // The phase term grows with the segment: where it is above the tolerance
  // on the shortest segment, no pair can take the cheaper rule (at the
  // default 20 segments per wavelength none does), and no pair is asked.
  const bool cheap = ng > 2 && opt.far_rule && !len.empty() &&
                     gauss_phase_error(2, *std::min_element(len.begin(), len.end()), k_) <= kFarRuleTolerance;
  if (cheap) {
    const numeric::GaussRule& g2 = numeric::gauss_rule(2);
    for (int s = 0; s < nseg; ++s)
      for (int i = 0; i < 2; ++i) {
        const double u = 0.5 * (g2.x[i] + 1.0);
        const Point& a = nodes_[s];
        const Point& b = nodes_[s + 1];
        quad2.push_back(Quad{s, a.rho + u * (b.rho - a.rho), a.z + u * (b.z - a.z), 0.5 * g2.w[i] * len[s], u});
      }
  }

  // The factors of the test point p on segment sp against the source point
  // at uq along segment sq, (rq, zq), weight wq, from the EFIE's modal
  // kernels kn (efie) and the MFIE's km (mfie), added to moments.
  struct Factors {
    cd f[4];       // A of tt, tp, pt, pp
    cd tt, tp, pt;  // B of tt, tp, pt
  };
  const auto efie = [&](Factors& x, int sp, const Quad& p, int sq, double rq, double wq, const cd* kn) {
    // jk = j ck, mjk = j cm and gs = j (K_0 - K_2)/2: the products by j
    // written out.
    const cd g1 = kn[1];
    const cd gc = 0.5 * (kn[0] + kn[2]);
    const cd gd = 0.5 * (kn[0] - kn[2]);
    const double w = 2.0 * kPi * p.w * wq;
    x.f[0] = times_j(ck * w, dr[sp] * dr[sq] * gc + dz[sp] * dz[sq] * g1);
    x.f[1] = (ck * w * dr[sp]) * gd;
    x.f[2] = -(ck * w * dr[sq]) * gd;
    x.f[3] = times_j(1.0, (ck * w) * gc + (cm * w / (p.rho * rq)) * g1);
    x.tt = times_j(cm * w / (len[sp] * len[sq]), g1);
    x.tp = (ik * w / (rq * len[sp])) * g1;
    x.pt = -(ik * w / (p.rho * len[sq])) * g1;
  };
  // The MFIE's -n x (grad G x f) tested with w: with D = r - r' (test
  // minus source, in rho and z), c = t^ x D in the rho-z plane (zero for
  // two points on one straight segment, where M_1 is singular) and
  // M_s = N_0 + N_1 = int sin^2(a) g, the four blocks are
  //   tt:  c' M_1 - (t'_rho dz + t'_z rho') N_1
  //   tp: -j dz M_s
  //   pt:  j (rho' t_rho t'_z - rho t_z t'_rho + t_rho t'_rho dz) M_s
  //   pp:  c M_1 + (t_z rho - t_rho dz) N_1
  // (c' with the source's tangent), times the normal's orientation.
  const auto mfie = [&](cd (&f)[4], int sp, const Quad& p, int sq, double rq, double zq, double wq, const cd* km) {
    const double w = 2.0 * kPi * p.w * wq;
    const double drp = dr[sp], dzp = dz[sp], drq = dr[sq], dzq = dz[sq], rp = p.rho;
    const double ro = rp - rq, zo = p.z - zq;
    const double cp = sp == sq ? 0.0 : drp * zo - dzp * ro;
    const cd ms = km[1] + km[2];
    f[0] = wm * w * ((sp == sq ? 0.0 : drq * zo - dzq * ro) * km[0] - (drq * zo + dzq * rq) * km[2]);
    f[1] = times_j(-wm * w * zo, ms);
    f[2] = times_j(wm * w * (rq * drp * dzq - rp * dzp * drq + drp * drq * zo), ms);
    f[3] = wm * w * (cp * km[0] + (dzp * rp - drp * zo) * km[2]);
  };
  // Both equations at one pair of points.
  const auto add = [&](Moments::Row& m, int sp, const Quad& p, int sq, double uq, double rq, double zq, double wq,
                       const cd* kn, const cd* km) {
    Factors x;
    efie(x, sp, p, sq, rq, wq, kn);
    if (Mfie) {
      cd f[4];
      mfie(f, sp, p, sq, rq, zq, wq, km);
      for (int i = 0; i < 4; ++i) x.f[i] += f[i];
    }
    m.add(uq, x.f, x.tt, x.tp, x.pt);
  };
  const auto flush = [&](const Moments& m, int s, int t) {
    for (int a = 0; a < 2; ++a)
      for (int ka = 0; ka < 2; ++ka) {
        const int row = ka ? ip_[s + a] : it_[s + a];
        if (row < 0) continue;
        for (int b = 0; b < 2; ++b)
          for (int kb = 0; kb < 2; ++kb) {
            const int col = kb ? ip_[t + b] : it_[t + b];
            if (col >= 0) z_(row, col) += m.entry(a, ka, b, kb);
          }
      }
  };
  // The shortest distance between two segments.
  const auto distance = [&](int s, int t) {
    return std::min({point_segment(nodes_[s], nodes_[t], nodes_[t + 1]),
                     point_segment(nodes_[s + 1], nodes_[t], nodes_[t + 1]),
                     point_segment(nodes_[t], nodes_[s], nodes_[s + 1]),
                     point_segment(nodes_[t + 1], nodes_[s], nodes_[s + 1])});
  };
  const auto is_near = [&](int s, int t, double d) { return d < opt.near * std::max(len[s], len[t]); };

  // Well separated pairs (s < t): a product Gauss rule, each kernel used
  // twice (the kernels depend on the two rings alone); the two-point rule
  // where its estimated error is below kFarRuleTolerance.
  const auto far_pair = [&](int s, int t, double d) {
    const double h = std::max(len[s], len[t]);
    const bool two = cheap && gauss_error(2, d, h, k) <= kFarRuleTolerance;
    const int n = two ? 2 : ng;
    const Quad* qs = two ? &quad2[2 * s] : &quad_[s * ng];
    const Quad* qt = two ? &quad2[2 * t] : &quad_[t * ng];
    const detail::AngleRule& rule = angle.pick(k, d, rmax_seg[s] * rmax_seg[t]);
    // The EFIE's part once, mirrored; the MFIE's, which is not symmetric,
    // for each order.
    Moments e, mst;
    Moments::Row mts[kMaxGauss];  // the mirror's rows: its test points are the inner loop's
    cd kn[3], km[3];
    for (int i = 0; i < n; ++i) {
      const Quad& p = qs[i];
      Moments::Row re, rm;
      for (int j = 0; j < n; ++j) {
        const Quad& q = qt[j];
        green<Mfie>(k, angle, &rule, p.rho, p.z, q.rho, q.z, kn, km);
        Factors x;
        efie(x, s, p, t, q.rho, q.w, kn);
        re.add(q.u, x.f, x.tt, x.tp, x.pt);
        if (Mfie) {
          cd f[4];
          mfie(f, s, p, t, q.rho, q.z, q.w, km);
          rm.add(q.u, f);
          mfie(f, t, q, s, p.rho, p.z, p.w, km);
          mts[j].add(p.u, f);
        }
      }
      e.add(p.u, re);
      if (Mfie) mst.add(p.u, rm);
    }
    Moments ts = e.mirror();
    if (Mfie) {
      e.add(mst);
      for (int j = 0; j < n; ++j) ts.add(qt[j].u, mts[j]);
    }
    flush(e, s, t);
    flush(ts, t, s);
  };

  // Close pairs: Gauss in the test point; for the source a graded rule
  // t = t* -+ l v^3 on each side of the point t* of the source segment
  // nearest to the test point, which turns the logarithmic singularity of the
  // kernel into a smooth integrand. Across a corner (two segments at an
  // angle) the MFIE's kernel goes like 1/distance, and what the source
  // integral leaves of it varies steeply towards the corner: there the test
  // points are graded too, t = l v^3 from the shared node, on kCornerGauss
  // nodes (with the plain rule the power balance of a horn with a 1.5 mm
  // wall was off by 0.2 % and its H-plane back lobe by 0.5 dB). And a test
  // point off the source segment's line but nearer to it than a quarter of
  // its length (across a thin wall, or next to a corner) sees the MFIE's
  // kernel peak over a width of its distance d, which the v^3 rule (made for
  // d = 0) does not resolve: there the source is cut into panels growing
  // geometrically from the nearest point, [0, d], [d, 3d], [3d, 9d], ...,
  // with kPanelGauss nodes each (a horn with a 25 um wall was off by 1 % in
  // power, one with a 1 um wall by 40 %).
  const numeric::GaussRule& gr = numeric::gauss_rule(opt.graded);
  const numeric::GaussRule& gp = numeric::gauss_rule(kPanelGauss);
  const numeric::GaussRule& gcorner = numeric::gauss_rule(kCornerGauss);
  const auto near_pair = [&](int s, int t) {
    Moments blk;
    cd kn[3], km[3];
    Quad graded_test[kCornerGauss];
    const Point& a = nodes_[t];
    const bool corner = Mfie && std::abs(s - t) == 1 && std::fabs(dr[s] * dz[t] - dz[s] * dr[t]) > 1e-9;
    if (corner) {
      const Point& pa = nodes_[s];
      const Point& pb = nodes_[s + 1];
      for (int i = 0; i < kCornerGauss; ++i) {
        const double v = 0.5 * (gcorner.x[i] + 1.0);
        const double u = t == s + 1 ? 1.0 - v * v * v : v * v * v;
        graded_test[i] = Quad{s, pa.rho + u * (pb.rho - pa.rho), pa.z + u * (pb.z - pa.z),
                              0.5 * gcorner.w[i] * 3.0 * v * v * len[s], u};
      }
    }
    for (int i = 0; i < (corner ? kCornerGauss : ng); ++i) {
      const Quad& p = corner ? graded_test[i] : quad_[s * ng + i];
      Moments::Row row;
      const double proj = (p.rho - a.rho) * dr[t] + (p.z - a.z) * dz[t];
      const double ts = std::clamp(proj, 0.0, len[t]);
      const double dist = std::hypot(p.rho - a.rho - ts * dr[t], p.z - a.z - ts * dz[t]);
      const double piece[2] = {ts, len[t] - ts};
      for (int side = 0; side < 2; ++side) {
        const double l = piece[side];
        if (!(l > 1e-12 * len[t])) continue;
        const double sign = side == 0 ? -1.0 : 1.0;
        if (Mfie && dist > 1e-9 * len[t] && dist < 0.25 * len[t]) {
          // Panels [0, d], [d, 3d], [3d, 9d], ... from the nearest point.
          for (double lo = 0.0, hi = std::min(dist, l); lo < l; lo = hi, hi = std::min(l, 3.0 * hi))
            for (int j = 0; j < kPanelGauss; ++j) {
              const double pos = ts + sign * (lo + 0.5 * (gp.x[j] + 1.0) * (hi - lo));
              const double wq = 0.5 * gp.w[j] * (hi - lo);
              const double rq = a.rho + pos * dr[t], zq = a.z + pos * dz[t];
              green<Mfie>(k, angle, nullptr, p.rho, p.z, rq, zq, kn, km);
              add(row, s, p, t, pos / len[t], rq, zq, wq, kn, km);
            }
          continue;
        }
        for (int j = 0; j < opt.graded; ++j) {
          const double v = 0.5 * (gr.x[j] + 1.0);
          const double pos = ts + sign * l * v * v * v;
          const double wq = 0.5 * gr.w[j] * 3.0 * l * v * v;
          const double rq = a.rho + pos * dr[t], zq = a.z + pos * dz[t];
          green<Mfie>(k, angle, nullptr, p.rho, p.z, rq, zq, kn, km);
          add(row, s, p, t, pos / len[t], rq, zq, wq, kn, km);
        }
      }
      blk.add(p.u, row);
    }
    flush(blk, s, t);
  };

  // On threads, and the same to the last bit on any number of them: a pair
  // of segments (s, t) writes only entries of the nodes s, s + 1 and t,
  // t + 1, so the pairs whose s and t have given parities write disjoint
  // entries (those of a far pair's mirror included) and run in parallel,
  // while the four parities run one after the other, far pairs first. Each
  // entry is so summed in one order whatever the thread count. The rows of
  // one parity are handed out from the first (the longest, t running from
  // s) on.
  for (int pass = 0; pass < 8; ++pass) {
    const bool near_pass = pass >= 4;
    const int ps = (pass >> 1) & 1, pt = pass & 1;
    parallel::parallel_for((nseg - ps + 1) / 2, [&](int row) {
      const int s = ps + 2 * row;
      for (int t = near_pass ? pt : s + ((s + pt) & 1); t < nseg; t += 2) {
        if (!near_pass && t == s) continue;
        const double d = distance(s, t);
        if (is_near(s, t, d) != near_pass) continue;
        if (near_pass)
          near_pair(s, t);
        else
          far_pair(s, t, d);
      }
    });
  }

  // The MFIE's J/2: the limit of n x H from outside the metal (the side
  // the outward normal points to) is J/2 plus the principal value of the
  // integral, so that the H-field equation of a perfect conductor reads
  // J/2 - n x PV int grad G x J = n x H_inc (Mautz & Harrington, 1978,
  // whose +1/2 is that exterior limit); and a test point (inside a
  // segment) always sits on a smooth part of the surface, where the kernel
  // above is only weakly singular and its integral is that principal value.
  // <w_i, f_j>/2 is pi int T_i T_j / rho dt for two t or two phi currents.
  if (Mfie) {
    for (const Quad& q : quad_) {
      const double c = wm_ * kPi * q.w / q.rho;
      for (int a = 0; a < 2; ++a) {
        const double ta = a ? q.u : 1.0 - q.u;
        for (int b = 0; b < 2; ++b) {
          const double tb = b ? q.u : 1.0 - q.u;
          const int na = q.seg + a, nb = q.seg + b;
          if (it_[na] >= 0 && it_[nb] >= 0) z_(it_[na], it_[nb]) += c * ta * tb;
          if (ip_[na] >= 0 && ip_[nb] >= 0) z_(ip_[na], ip_[nb]) += c * ta * tb;
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
  // are pi and j pi. The EFIE tests E; the MFIE n x H, which is
  // side (H_phi t^ - H_t phi^), times eta (the whole is divided by eta in
  // solve_rhs).
  const double e = we_, h = wm_ * side_ * kEta;
  const cd tangential = kPi * q.w * (e * (c * s.er + d * s.ez) + h * s.hphi);
  const cd azimuthal = kJ * kPi * q.w * (e * s.ephi + h * (c * s.hr + d * s.hz));
  for (int n = 0; n < 2; ++n) {
    const int i = q.seg + n;
    const double t = n ? q.u : 1.0 - q.u;
    if (it_[i] >= 0) v[it_[i]] += t * tangential;
    if (ip_[i] >= 0) v[ip_[i]] += t * azimuthal;
  }
}


void Body::solve_rhs(const Eigen::VectorXcd& v) {
  x_ = lu_.solve(v / kEta);
  // What the far field needs of each quadrature point, once: its ring (the
  // Bessel functions of the ring's radius serve every point on it, as on a
  // guide wall), height, the segment's direction and the currents there
  // times the weight.
  far_.clear();
  rings_.clear();
  for (const Quad& q : quad_) {
    const Point& a = nodes_[q.seg];
    const Point& b = nodes_[q.seg + 1];
    const double len = std::hypot(b.rho - a.rho, b.z - a.z);
    FarPoint f;
    f.c = (b.rho - a.rho) / len;
    f.d = (b.z - a.z) / len;
    f.z = q.z;
    f.wft = q.w * ((1.0 - q.u) * rho_jt(q.seg) + q.u * rho_jt(q.seg + 1));
    f.wfp = q.w * ((1.0 - q.u) * rho_jphi(q.seg) + q.u * rho_jphi(q.seg + 1));
    const auto ring = std::find(rings_.begin(), rings_.end(), q.rho);
    f.ring = static_cast<int>(ring - rings_.begin());
    if (ring == rings_.end()) rings_.push_back(q.rho);
    far_.push_back(f);
  }
}

cd Body::rho_jt(int node) const { return it_[node] >= 0 && x_.size() ? x_[it_[node]] : cd(0.0); }
cd Body::rho_jphi(int node) const { return ip_[node] >= 0 && x_.size() ? x_[ip_[node]] : cd(0.0); }

FarField Body::far_field(double theta, double z0) const {
  const double ct = std::cos(theta), st = std::sin(theta);
  // J0 +- J2 and J1 on each ring.
  std::vector<double> jm(rings_.size()), jp(rings_.size()), j1(rings_.size());
  for (std::size_t r = 0; r < rings_.size(); ++r) {
    double b0, b1, b2;
    bessel012(k_ * rings_[r] * st, b0, b1, b2);
    jm[r] = b0 - b2;
    jp[r] = b0 + b2;
    j1[r] = b1;
  }
  double ntr = 0.0, nti = 0.0, npr = 0.0, npi = 0.0;
  for (const FarPoint& f : far_) {
    const double ph = k_ * (f.z - z0) * ct;
    const double er = std::cos(ph), ei = std::sin(ph);
    const double a = jm[f.ring], b = jp[f.ring];
    // ft (c ct (J0 - J2) - 2j d st J1) - j ct (J0 + J2) fp and
    // -ft c (J0 + J2) + j (J0 - J2) fp, weighted, times exp(j ph).
    const double u = f.c * ct * a, v = 2.0 * f.d * st * j1[f.ring], w = ct * b;
    const double tr = u * f.wft.real() + v * f.wft.imag() + w * f.wfp.imag();
    const double ti = u * f.wft.imag() - v * f.wft.real() - w * f.wfp.real();
    const double pr = -f.c * b * f.wft.real() - a * f.wfp.imag();
    const double pi = -f.c * b * f.wft.imag() + a * f.wfp.real();
    ntr += er * tr - ei * ti;
    nti += er * ti + ei * tr;
    npr += er * pr - ei * pi;
    npi += er * pi + ei * pr;
  }
  // E = -j omega mu exp(-jkr)/(4 pi r) N, with N carrying a factor 2 pi.
  const cd f = kJ * (k_ * kEta / (4.0 * kPi)) * 2.0 * kPi;
  return FarField{-f * cd(ntr, nti), f * cd(npr, npi)};
}

}  // namespace bor
}  // namespace quaven
