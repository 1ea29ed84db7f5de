// A horn as the feed of a paraboloid: Kildal's factors of the aperture
// efficiency from one-dimensional integrals over the feed's patterns, the
// best axial feed position, and the horn that serves a dish best.
#include "feed/feed.h"

#include "aperture/exact_api.h"

#include "numeric/brent.h"
#include "numeric/constants.h"
#include "numeric/gauss_legendre.h"
#include "numeric/newton.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace quaven {
namespace feed {
namespace {

using cplx = std::complex<double>;

using physical::pi;
constexpr double kTwoPi = 2.0 * pi;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kDeg = physical::rad_per_deg;

// Gauss orders are taken in steps of 8 so that rules and interpolation
// matrices are shared between nearby dishes and horns, and at most `cap`
// (a horn hundreds of wavelengths wide, which no feed is, gets no more).
int order_for(double need, double cap = 512.0) {
  if (!(need <= cap)) return static_cast<int>(cap);
  return static_cast<int>(std::ceil(std::max(need, 8.0) / 8.0) * 8.0);
}

// The matrix (m rows, n columns) that carries values at the nodes of the
// n-point Gauss-Legendre rule to those of the m-point rule on the same
// interval: the polynomial through the n values, in barycentric form with
// the weights (-1)^j sqrt((1 - x_j^2) w_j) (Wang and Xiang, Math. Comp.
// 2012; they make the barycentric formula exact for these nodes).
std::vector<double> barycentric_weights(int n) {
  const numeric::GaussRule& r = numeric::gauss_rule(n);
  std::vector<double> lam(n);
  for (int j = 0; j < n; ++j) lam[j] = (j % 2 == 0 ? 1.0 : -1.0) * std::sqrt((1.0 - r.x[j] * r.x[j]) * r.w[j]);
  return lam;
}

const std::vector<double>& interpolation(int n, int m) {
  static std::map<std::pair<int, int>, std::vector<double>> cache;
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  auto it = cache.find({n, m});
  if (it != cache.end()) return it->second;
  const numeric::GaussRule& from = numeric::gauss_rule(n);
  const numeric::GaussRule& to = numeric::gauss_rule(m);
  const std::vector<double> lam = barycentric_weights(n);
  std::vector<double> mat(static_cast<std::size_t>(m) * n, 0.0);
  for (int i = 0; i < m; ++i) {
    double* row = &mat[static_cast<std::size_t>(i) * n];
    const double y = to.x[i];
    int hit = -1;
    double sum = 0.0;
    for (int j = 0; j < n; ++j) {
      const double d = y - from.x[j];
      if (d == 0.0) {
        hit = j;
        break;
      }
      row[j] = lam[j] / d;
      sum += row[j];
    }
    if (hit >= 0) {
      std::fill(row, row + n, 0.0);
      row[hit] = 1.0;
    } else {
      for (int j = 0; j < n; ++j) row[j] /= sum;
    }
  }
  return cache.emplace(std::make_pair(n, m), std::move(mat)).first->second;
}

// A node of a rule on an interval of theta with the patterns there.
struct Sample {
  double theta;
  double w;
  exact::Field f;
};

// Gauss nodes of order n on [lo, hi] with the pattern at each.
void sample(const Pattern& p, double lo, double hi, int n, std::vector<Sample>& out) {
  const numeric::GaussRule& r = numeric::gauss_rule(n);
  const double half = 0.5 * (hi - lo), mid = 0.5 * (hi + lo);
  for (int i = 0; i < n; ++i) {
    const double th = mid + half * r.x[i];
    out.push_back(Sample{th, half * r.w[i], p(th)});
  }
}

// The polynomial through values at the nodes of a Gauss-Legendre rule on
// [0, len], evaluated anywhere by the barycentric formula.
class Interpolant {
 public:
  Interpolant(std::vector<cplx> v, double len)
      : x_(numeric::gauss_rule(static_cast<int>(v.size())).x), lam_(barycentric_weights(static_cast<int>(v.size()))),
        v_(std::move(v)), len_(len) {}
  cplx at(double t) const {
    const double y = 2.0 * t / len_ - 1.0;
    cplx num = 0.0;
    double den = 0.0;
    for (std::size_t j = 0; j < v_.size(); ++j) {
      const double d = y - x_[j];
      if (d == 0.0) return v_[j];
      const double q = lam_[j] / d;
      num += q * v_[j];
      den += q;
    }
    return num / den;
  }

 private:
  const std::vector<double>& x_;
  std::vector<double> lam_;
  std::vector<cplx> v_;
  double len_;
};

inline double co2(const exact::Field& f) { return 0.25 * std::norm(f.e + f.h); }
inline double xp2(const exact::Field& f) { return 0.25 * std::norm(f.e - f.h); }

// int_0^theta0 |CO| tan(theta/2) dtheta. Where the rim lies beyond a null of
// CO, |CO| has a kink there (a sharp bend, if the aperture phase keeps CO
// off zero), which a Gauss rule over the whole range converges to slowly.
// The range is split at each minimum of |CO| (seen on the fine rule `th`,
// `mag` and refined by Brent's minimiser on the interpolant), and each piece
// has a Gauss rule of its own, in proportion to its length.
double modulus_integral(const Interpolant& co, double theta0, const std::vector<double>& th,
                        const std::vector<double>& mag) {
  const int m = static_cast<int>(th.size());
  std::vector<double> cuts{0.0};
  for (int i = 1; i + 1 < m; ++i) {
    if (!(mag[i] < mag[i - 1] && mag[i] <= mag[i + 1])) continue;
    double fx;
    const double t = numeric::localmin([&](double x) { return std::norm(co.at(x)); }, th[i - 1], th[i + 1], 1e-12, fx);
    if (t > cuts.back()) cuts.push_back(t);
  }
  cuts.push_back(theta0);
  double sum = 0.0;
  for (std::size_t p = 0; p + 1 < cuts.size(); ++p) {
    const double lo = cuts[p], hi = cuts[p + 1];
    if (!(hi > lo)) continue;
    const numeric::GaussRule& r = numeric::gauss_rule(order_for(m * (hi - lo) / theta0 + 12.0, 1024.0));
    const double half = 0.5 * (hi - lo), mid = 0.5 * (hi + lo);
    for (std::size_t i = 0; i < r.x.size(); ++i) {
      const double t = mid + half * r.x[i];
      sum += half * r.w[i] * std::abs(co.at(t)) * std::tan(0.5 * t);
    }
  }
  return sum;
}

// The feed's patterns integrated once for a dish: the powers and, on a rule
// fine enough for the whole range of feed positions, the terms of the
// phase integral I(z) = int_0^theta0 CO tan(theta/2) e^{j k z cos theta}.
class Integrals {
 public:
  // Without `factors` only the aperture efficiency is asked for, and the
  // integral of |CO| that splits it into illumination and phase is skipped.
  Integrals(const Pattern& p, double theta0, const Options& opt, bool factors = true) : theta0_(theta0) {
    const double ka = kTwoPi * (std::isfinite(opt.extent_wl) ? std::max(opt.extent_wl, 0.05) : 1.0);
    const double sc = std::isfinite(opt.order_scale) ? std::clamp(opt.order_scale, 0.1, 8.0) : 1.0;
    // Over an interval of length L the patterns turn at most like
    // e^{j ka theta}, their powers twice as fast; on the reference interval
    // [-1, 1] that is a frequency of ka L, which n > frequency + 12 Gauss
    // nodes integrate to double precision.
    const int n1 = order_for(sc * (ka * theta0 + 12.0));
    sample(p, 0.0, theta0, n1, inner_);
    // The back region, split at 90 degrees where the patterns of ideal
    // feeds end.
    if (theta0 < 0.5 * pi) {
      sample(p, theta0, 0.5 * pi, order_for(sc * (ka * (0.5 * pi - theta0) + 12.0)), outer_);
      sample(p, 0.5 * pi, pi, order_for(sc * (ka * 0.5 * pi + 12.0)), outer_);
    } else {
      sample(p, theta0, pi, order_for(sc * (ka * (pi - theta0) + 12.0)), outer_);
    }
    for (const Sample& s : inner_) {
      const double sn = std::sin(s.theta);
      p_co_ += s.w * co2(s.f) * sn;
      p_in_ += s.w * (co2(s.f) + xp2(s.f)) * sn;
    }
    double p_out = 0.0;
    for (const Sample& s : outer_) p_out += s.w * (co2(s.f) + xp2(s.f)) * std::sin(s.theta);
    p_all_ = p_in_ + p_out;

    // The phase integral: e^{j k z cos theta} turns at most at k |z| sin
    // theta, a frequency of k |z| s theta0 / 2 on the reference interval;
    // CO comes to the finer rule, at least twice as many nodes, by
    // interpolation.
    const double zmax = std::max(std::fabs(opt.front_wl), std::fabs(opt.back_wl));
    const double smax = theta0 < 0.5 * pi ? std::sin(theta0) : 1.0;
    const double zmax_fin = std::isfinite(zmax) ? zmax : 0.0;
    const int m = std::max(2 * n1, order_for(n1 + sc * (0.5 * kTwoPi * zmax_fin * smax * theta0 + 12.0), 1024.0));
    const std::vector<double>& mat = interpolation(n1, m);
    const numeric::GaussRule& r = numeric::gauss_rule(m);
    const double half = 0.5 * theta0;
    std::vector<cplx> co(n1);
    for (int j = 0; j < n1; ++j) co[j] = 0.5 * (inner_[j].f.e + inner_[j].f.h);
    cos_.resize(m);
    term_.resize(m);
    std::vector<double> mag(m), th(m);
    for (int i = 0; i < m; ++i) {
      const double* row = &mat[static_cast<std::size_t>(i) * n1];
      cplx c = 0.0;
      for (int j = 0; j < n1; ++j) c += row[j] * co[j];
      th[i] = half * (r.x[i] + 1.0);
      const double wt = half * r.w[i] * std::tan(0.5 * th[i]);
      cos_[i] = std::cos(th[i]);
      term_[i] = wt * c;
      mag[i] = std::abs(c);
    }
    i_abs_ = factors ? modulus_integral(Interpolant(std::move(co), theta0), theta0, th, mag) : kNan;
    const double t = std::tan(0.5 * theta0);
    cot2_ = 2.0 / (t * t);
  }

  // I(z), the focus z wavelengths behind the phase reference.
  cplx phase_integral(double z) const {
    cplx sum = 0.0;
    const double kz = kTwoPi * z;
    for (std::size_t i = 0; i < cos_.size(); ++i) sum += term_[i] * std::polar(1.0, kz * cos_[i]);
    return sum;
  }

  // |I(z)|^2 at z = z0, z0 + dz, ..., n values, by rotating each term by
  // e^{j k dz cos theta} from one step to the next (real and imaginary parts
  // apart, so that the compiler can vectorise the rotation).
  void scan(double z0, double dz, int n, std::vector<double>& out) const {
    const std::size_t m = cos_.size();
    std::vector<double> re(m), im(m), cr(m), ci(m);
    for (std::size_t i = 0; i < m; ++i) {
      const cplx r = term_[i] * std::polar(1.0, kTwoPi * z0 * cos_[i]);
      re[i] = r.real();
      im[i] = r.imag();
      const cplx st = std::polar(1.0, kTwoPi * dz * cos_[i]);
      cr[i] = st.real();
      ci[i] = st.imag();
    }
    out.resize(n);
    for (int k = 0; k < n; ++k) {
      double s[4] = {0.0, 0.0, 0.0, 0.0};
      std::size_t i = 0;
      for (; i + 1 < m; i += 2) {
        s[0] += re[i];
        s[1] += im[i];
        s[2] += re[i + 1];
        s[3] += im[i + 1];
      }
      for (; i < m; ++i) {
        s[0] += re[i];
        s[1] += im[i];
      }
      const double sr = s[0] + s[2], si = s[1] + s[3];
      out[k] = sr * sr + si * si;
      for (std::size_t j = 0; j < m; ++j) {
        const double r = re[j] * cr[j] - im[j] * ci[j];
        im[j] = re[j] * ci[j] + im[j] * cr[j];
        re[j] = r;
      }
    }
  }

  // |I(z)|^2 and its first two derivatives in z.
  void derivatives(double z, double& f, double& f1, double& f2) const {
    cplx i0 = 0.0, i1 = 0.0, i2 = 0.0;
    const double kz = kTwoPi * z;
    for (std::size_t i = 0; i < cos_.size(); ++i) {
      const cplx t = term_[i] * std::polar(1.0, kz * cos_[i]);
      const double kc = kTwoPi * cos_[i];
      i0 += t;
      i1 += cplx(-kc * t.imag(), kc * t.real());
      i2 -= kc * kc * t;
    }
    f = std::norm(i0);
    f1 = 2.0 * (std::conj(i0) * i1).real();
    f2 = 2.0 * (std::norm(i1) + (std::conj(i0) * i2).real());
  }

  Efficiencies efficiencies(double z) const {
    const double i2 = std::norm(phase_integral(z));
    Efficiencies e;
    e.spillover = p_in_ / p_all_;
    e.polarisation = p_co_ / p_in_;
    e.illumination = cot2_ * i_abs_ * i_abs_ / p_co_;
    e.phase = i2 / (i_abs_ * i_abs_);
    e.aperture = cot2_ * i2 / p_all_;
    return e;
  }

  double theta0() const { return theta0_; }
  const std::vector<Sample>& inner() const { return inner_; }
  const std::vector<Sample>& outer() const { return outer_; }

 private:
  double theta0_;
  std::vector<Sample> inner_, outer_;
  double p_co_ = 0.0, p_in_ = 0.0, p_all_ = 0.0, i_abs_ = 0.0, cot2_ = 0.0;
  std::vector<double> cos_;
  std::vector<cplx> term_;
};

// The maximum of |I(z)|^2 in [a, b], starting from z: the bracketed Newton
// (numeric/newton.h) on its derivative, which falls through zero there.
// Returns the abscissa and sets fz to its value.
double refine_focus(const Integrals& in, double a, double b, double z, double& fz) {
  const auto slope = [&in](double x, double& curvature) {
    double f, f1;
    in.derivatives(x, f, f1, curvature);
    return f1;
  };
  z = numeric::bracketed_newton(slope, a, b, z, 1e-11 * (1.0 + std::max(std::fabs(a), std::fabs(b))));
  fz = std::norm(in.phase_integral(z));
  return z;
}

// The feed position (wavelengths behind the phase reference) in
// [-front, back] where |I(z)|^2 is largest. |I(z)|^2 is a sum of terms
// e^{j k z (cos a - cos b)} with a, b in [0, theta0], so it varies no faster
// than with period lambda / (1 - cos theta0); a scan at a fifth of that
// finds every maximum that could be the largest (a sampled maximum is at
// least cos^2(pi/5) = 0.65 of the true one), and each candidate is refined
// between its neighbours.
double best_focus(const Integrals& in, double front, double back) {
  const double lo = -front, hi = back;
  if (!(hi > lo)) return lo;
  const double period = 1.0 / (1.0 - std::cos(in.theta0()));
  // (At most 10^5 samples: 20,000 periods, far beyond any feed's range.)
  const int n = static_cast<int>(std::clamp(std::ceil((hi - lo) / (period / 5.0)) + 1.0, 16.0, 1e5));
  const double dz = (hi - lo) / (n - 1);
  std::vector<double> v;
  in.scan(lo, dz, n, v);
  const double top = *std::max_element(v.begin(), v.end());
  double best_z = lo, best_v = -1.0;
  for (int k = 0; k < n; ++k) {
    const bool peak = (k == 0 || v[k] >= v[k - 1]) && (k == n - 1 || v[k] >= v[k + 1]);
    if (!peak || v[k] < 0.6 * top) continue;
    const double a = lo + std::max(k - 1, 0) * dz, b = lo + std::min(k + 1, n - 1) * dz;
    double vv;
    double zz = refine_focus(in, a, b, lo + k * dz, vv);
    if ((k == 0 || k == n - 1) && v[k] > vv) {  // an end of the range
      zz = lo + k * dz;
      vv = v[k];
    }
    // Real patterns (no aperture phase error) give |I(-z)| = |I(z)|: of
    // equal maxima the one nearer the aperture, then the one behind it.
    const bool tie = std::fabs(vv - best_v) <= 1e-12 * best_v;
    const double nearer = std::fabs(best_z) - std::fabs(zz);
    if ((!tie && vv > best_v) || (tie && (nearer > 1e-6 || (nearer >= -1e-6 && zz > best_z)))) {
      best_v = vv;
      best_z = zz;
    }
  }
  // A real pattern's maximum at the phase reference itself comes back
  // within the refinement's tolerance of it; give the point exactly.
  return std::fabs(best_z) < 1e-9 ? 0.0 : best_z;
}

// Largest value of g over the samples (theta, value), refined by Brent's
// minimiser between the neighbours of the largest sample; the axis, if it is
// the largest, is checked by a point close to it.
template <class G>
double peak(const std::vector<std::pair<double, double>>& pts, G&& g) {
  std::size_t m = 0;
  for (std::size_t i = 1; i < pts.size(); ++i) {
    if (pts[i].second > pts[m].second) m = i;
  }
  const double a = pts[m == 0 ? 0 : m - 1].first;
  const double b = pts[std::min(m + 1, pts.size() - 1)].first;
  if (m == 0 && !(g(0.0625 * b) > pts[0].second)) return pts[0].second;
  double fx;
  numeric::localmin([&](double th) { return -g(th); }, a, b, 1e-9, fx);
  return std::max(-fx, pts[m].second);
}

double db20(double ratio) { return 20.0 * std::log10(ratio); }

// The search range made finite (an infinite or not-a-number end means the
// reference point itself) and at most kMaxRange wavelengths each way.
constexpr double kMaxRange = 100.0;
Options search_range(const Options& opt) {
  Options o = opt;
  o.front_wl = std::isfinite(o.front_wl) ? std::clamp(o.front_wl, -kMaxRange, kMaxRange) : 0.0;
  o.back_wl = std::isfinite(o.back_wl) ? std::clamp(o.back_wl, -kMaxRange, kMaxRange) : 0.0;
  return o;
}

Judgement nan_judgement() {
  return Judgement{kNan, {kNan, kNan, kNan, kNan, kNan}, kNan, kNan, kNan, kNan, kNan};
}

}  // namespace

Polarised ludwig3(const exact::Field& f, double phi) {
  const cplx co = 0.5 * (f.e + f.h), xp = 0.5 * (f.e - f.h);
  return Polarised{co + xp * std::cos(2.0 * phi), xp * std::sin(2.0 * phi)};
}

Polarised plane45(const exact::Field& f) { return Polarised{0.5 * (f.e + f.h), 0.5 * (f.e - f.h)}; }

double rim_half_angle(double f_over_d) {
  if (!(f_over_d > 0.0 && std::isfinite(f_over_d))) return kNan;
  return 2.0 * std::atan(1.0 / (4.0 * f_over_d));
}

Efficiencies efficiencies(const Pattern& pattern, double theta0, double z_wl, const Options& opt) {
  if (!(theta0 > 0.0 && theta0 < pi && std::fabs(z_wl) <= kMaxRange)) {
    return Efficiencies{kNan, kNan, kNan, kNan, kNan};
  }
  Options o = opt;
  o.front_wl = o.back_wl = std::fabs(z_wl);
  return Integrals(pattern, theta0, o).efficiencies(z_wl);
}

Judgement judge(const Pattern& pattern, double theta0, const Options& opt) {
  if (!(theta0 > 0.0 && theta0 < pi)) return nan_judgement();
  const Options o = search_range(opt);
  const Integrals in(pattern, theta0, o);
  Judgement j;
  j.rim_half_angle_deg = theta0 / kDeg;
  j.focus_behind_aperture_wl = best_focus(in, o.front_wl, o.back_wl);
  j.best = in.efficiencies(j.focus_behind_aperture_wl);
  j.aperture_efficiency_at_aperture_plane = in.efficiencies(0.0).aperture;

  const exact::Field axis = pattern(0.0), rim = pattern(theta0);
  const double space = db20(0.5 * (1.0 + std::cos(theta0)));
  j.edge_taper_e_db = db20(std::abs(rim.e) / std::abs(axis.e)) + space;
  j.edge_taper_h_db = db20(std::abs(rim.h) / std::abs(axis.h)) + space;

  // Peaks of |CO| and |XP| over the whole sphere from every sample.
  std::vector<std::pair<double, double>> co, xp;
  co.reserve(in.inner().size() + in.outer().size() + 1);
  xp.reserve(co.capacity());
  co.emplace_back(0.0, co2(axis));
  xp.emplace_back(0.0, xp2(axis));
  for (const auto* part : {&in.inner(), &in.outer()}) {
    for (const Sample& s : *part) {
      co.emplace_back(s.theta, co2(s.f));
      xp.emplace_back(s.theta, xp2(s.f));
    }
  }
  const double co_peak = peak(co, [&](double th) { return co2(pattern(th)); });
  const double xp_peak = peak(xp, [&](double th) { return xp2(pattern(th)); });
  j.cross_pol_45_db = 10.0 * std::log10(xp_peak / co_peak);
  return j;
}

double apex_behind_aperture_wl(double aw, double s) {
  if (!(aw > 0.0 && s >= 0.0)) return kNan;
  if (s == 0.0) return std::numeric_limits<double>::infinity();
  const double r = aw * aw / (2.0 * s);
  return r > aw ? std::sqrt((r - aw) * (r + aw)) : 0.0;
}

namespace {

bool horn_ok(double aw, double s) { return aw > 0.0 && std::isfinite(aw) && s >= 0.0 && std::isfinite(s); }

// The options of a horn: patterns about its aperture centre, the focus
// searched no further back than the apex.
Options horn_options(double aw, double s) {
  Options o;
  o.back_wl = std::min(o.back_wl, apex_behind_aperture_wl(aw, s));
  o.extent_wl = aw;
  return o;
}

// The aperture efficiency at the best focus alone, for the design searches.
double horn_efficiency(double aw, double s, double theta0) {
  if (!horn_ok(aw, s)) return kNan;
  const exact::Horn horn(aw, s);
  const Options o = horn_options(aw, s);
  const Integrals in([&horn](double th) { return horn.field(th); }, theta0, o, false);
  return in.efficiencies(best_focus(in, o.front_wl, o.back_wl)).aperture;
}

}  // namespace

Judgement judge_horn(double aw, double s, double f_over_d) {
  const double theta0 = rim_half_angle(f_over_d);
  if (!horn_ok(aw, s) || std::isnan(theta0)) return nan_judgement();
  const exact::Horn horn(aw, s);
  return judge([&horn](double th) { return horn.field(th); }, theta0, horn_options(aw, s));
}

namespace {

// Smallest aperture radius a design considers: the TE11 cut-off of a guide
// of that radius, and the flare half-angle within its bound: the slant
// radius aw^2/2s at least aw / sin(max_flare) (above the aperture radius
// for a bound of 90 degrees).
double smallest_aw(double s, double max_flare_deg) {
  const double sin_max = std::sin(std::clamp(max_flare_deg, 1e-3, 90.0) * kDeg);
  return std::max(physical::chi / kTwoPi, 2.0 * s / sin_max) * (1.0 + 1e-9);
}

// No horn: not-a-number throughout but the dish's rim angle, which stands.
Design nan_design(double s, double theta0) {
  Design d{kNan, s, nan_judgement()};
  d.judgement.rim_half_angle_deg = theta0 / kDeg;
  return d;
}

// The aperture efficiency against the aperture radius rises to a main
// maximum where the edge taper is near -10 dB and falls beyond it, with
// further, lower maxima where the rim meets the sidelobes. A scan over
// log(aw) up to an aperture whose first null falls well inside the rim
// (u = ka sin theta0 near 12), or three times the smallest aperture, finds
// the main one; Brent's minimiser refines it between the scan's neighbours.
// Returns the radius and sets eta to its efficiency.
double best_aw(double theta0, double s, double max_flare_deg, double& eta) {
  eta = kNan;
  if (!(s >= 0.0 && std::isfinite(s))) return kNan;
  const double amin = smallest_aw(s, max_flare_deg);
  const double lo = std::log(amin);
  const double hi = std::log(std::max(12.0 / (kTwoPi * std::sin(std::min(theta0, 0.5 * pi))), 3.0 * amin));
  const int n = 12;
  const double dx = (hi - lo) / (n - 1);
  double v[n];
  int m = 0;
  for (int k = 0; k < n; ++k) {
    v[k] = horn_efficiency(std::exp(lo + k * dx), s, theta0);
    if (v[k] > v[m] || std::isnan(v[m])) m = k;
  }
  if (std::isnan(v[m])) return kNan;
  eta = v[m];
  // Best at the smallest aperture, and falling away from it: that is the answer.
  if (m == 0 && horn_efficiency(amin * 1.0001, s, theta0) < v[0]) return amin;
  const double a = std::exp(lo + std::max(m - 1, 0) * dx), b = std::exp(lo + std::min(m + 1, n - 1) * dx);
  double fx;
  const double x = numeric::localmin([&](double aw) { return -horn_efficiency(aw, s, theta0); }, a, b, 1e-4, fx);
  if (-fx >= v[m]) {
    eta = -fx;
    return x;
  }
  return std::exp(lo + m * dx);
}

}  // namespace

Design best_aperture(double f_over_d, double s, double max_flare_deg) {
  const double theta0 = rim_half_angle(f_over_d);
  double eta;
  const double aw = std::isnan(theta0) ? kNan : best_aw(theta0, s, max_flare_deg, eta);
  return std::isnan(aw) ? nan_design(s, theta0) : Design{aw, s, judge_horn(aw, s, f_over_d)};
}

// The edge taper falls from 0 dB as the aperture grows; the first aperture
// at which the mean taper reaches the target is bracketed by steps of 5 per
// cent in aw from the smallest one, then found by Brent's root finder. Only
// the patterns on the axis and at the rim are needed until the end.
Design taper_aperture(double f_over_d, double s, double taper_db, double max_flare_deg) {
  const double theta0 = rim_half_angle(f_over_d);
  if (std::isnan(theta0) || !(s >= 0.0 && std::isfinite(s)) || !(taper_db < 0.0 && std::isfinite(taper_db))) {
    return nan_design(s, theta0);
  }
  const double space = db20(0.5 * (1.0 + std::cos(theta0)));
  const auto excess = [&](double lx) {
    const exact::Horn horn(std::exp(lx), s);
    const exact::Field axis = horn.field(0.0), rim = horn.field(theta0);
    const double mean = 0.5 * (db20(std::abs(rim.e) / std::abs(axis.e)) + db20(std::abs(rim.h) / std::abs(axis.h)));
    return mean + space - taper_db;
  };
  double x0 = std::log(smallest_aw(s, max_flare_deg)), f0 = excess(x0);
  if (!(f0 > 0.0)) {
    return f0 == 0.0 ? Design{std::exp(x0), s, judge_horn(std::exp(x0), s, f_over_d)} : nan_design(s, theta0);
  }
  const double step = std::log(1.05), xmax = std::log(200.0);
  double x1 = x0, f1 = f0;
  while (f1 > 0.0) {
    x0 = x1;
    f0 = f1;
    x1 = x0 + step;
    if (x1 > xmax) return nan_design(s, theta0);
    f1 = excess(x1);
    if (std::isnan(f1)) return nan_design(s, theta0);
  }
  const double aw = std::exp(numeric::zeroin(excess, x0, x1, f0, f1, 1e-12));
  return Design{aw, s, judge_horn(aw, s, f_over_d)};
}

// Over s the best efficiency has several maxima (one near s = 0, others
// where a larger, flared horn's phase error fits the dish), so s is scanned
// in steps of at most 0.1 cycles and the best step refined by Brent's
// minimiser between its neighbours.
Design best_design(double f_over_d, double s_lo, double s_hi, double max_flare_deg) {
  const double theta0 = rim_half_angle(f_over_d);
  if (std::isnan(theta0) || !(s_lo >= 0.0 && s_hi >= s_lo && std::isfinite(s_hi))) return nan_design(kNan, theta0);
  // (At most 1001 steps: phase deviations of tens of cycles make no feed.)
  const int n = static_cast<int>(std::clamp(std::ceil((s_hi - s_lo) / 0.1 - 1e-9) + 1.0, 2.0, 1001.0));
  const double ds = (s_hi - s_lo) / (n - 1);
  int m = 0;
  std::vector<double> eta(n), aw(n);
  for (int k = 0; k < n; ++k) {
    aw[k] = best_aw(theta0, s_lo + k * ds, max_flare_deg, eta[k]);
    if (eta[k] > eta[m] || std::isnan(eta[m])) m = k;
  }
  double s = s_lo + m * ds, a_best = aw[m];
  // Best at an end of the range, and falling away from it: that is the answer.
  bool at_end = false;
  if (!std::isnan(eta[m]) && ds > 0.0 && (m == 0 || m == n - 1)) {
    double e;
    best_aw(theta0, m == 0 ? s + 1e-4 : s - 1e-4, max_flare_deg, e);
    at_end = e < eta[m];
  }
  if (!std::isnan(eta[m]) && ds > 0.0 && !at_end) {
    const double a = s_lo + std::max(m - 1, 0) * ds, b = s_lo + std::min(m + 1, n - 1) * ds;
    // On 1 + s, so that the minimiser's relative tolerance is one of about
    // 1e-4 cycles in s, also next to s = 0.
    double fx;
    const double x = numeric::localmin(
                         [&](double y) {
                           double e;
                           best_aw(theta0, y - 1.0, max_flare_deg, e);
                           return std::isnan(e) ? 0.0 : -e;
                         },
                         1.0 + a, 1.0 + b, 1e-4, fx) -
                     1.0;
    if (-fx > eta[m]) {
      double e;
      s = x;
      a_best = best_aw(theta0, x, max_flare_deg, e);
    }
  }
  return std::isnan(a_best) ? nan_design(s, theta0) : Design{a_best, s, judge_horn(a_best, s, f_over_d)};
}

namespace {

exact::Horn horn_of(double aperture_radius_m, double slant_radius_m, double frequency_ghz) {
  const double wl = exact::wavelength_m(frequency_ghz);
  return exact::Horn(aperture_radius_m / wl, exact::phase_deviation_cycles(aperture_radius_m, slant_radius_m, wl));
}

}  // namespace

PolarPattern::PolarPattern(double aperture_radius_m, double slant_radius_m, double frequency_ghz)
    : horn_(horn_of(aperture_radius_m, slant_radius_m, frequency_ghz)) {
  // |P(0)| scaled to the square root of the gain (A = B on the axis).
  scale_ = std::pow(10.0, exact::gain_db(horn_.aw(), horn_.s()) / 20.0) / std::abs(horn_.field(0.0).e);
}

Polarised ludwig3_deg(const exact::Field& f, double phi_deg) {
  // cos 2phi and sin 2phi, exact in the principal planes and at 45 degrees.
  const double two = std::remainder(2.0 * phi_deg, 360.0);
  double c2 = std::cos(two * kDeg), s2 = std::sin(two * kDeg);
  if (two == 0.0 || std::fabs(two) == 180.0) s2 = 0.0;
  if (std::fabs(two) == 90.0) c2 = 0.0;
  const cplx co = 0.5 * (f.e + f.h), xp = 0.5 * (f.e - f.h);
  return Polarised{co + xp * c2, xp * s2};
}

Polarised PolarPattern::at(double theta_deg, double phi_deg) const {
  const Polarised p = ludwig3_deg(horn_.field(theta_deg * kDeg), phi_deg);
  return Polarised{scale_ * p.co, scale_ * p.xp};
}

namespace {

FeedRow row_of(const Design& d, double frequency_ghz, double f_over_d) {
  FeedRow r;
  r.frequency_ghz = frequency_ghz;
  r.wavelength_m = exact::wavelength_m(frequency_ghz);
  r.f_over_d = f_over_d;
  r.aperture_radius_wl = d.aw;
  r.s_cycles = d.s;
  r.aperture_radius_m = d.aw * r.wavelength_m;
  // R = a^2 / (2 lambda S), +inf at S = 0.
  r.slant_radius_m = r.aperture_radius_m * d.aw / (2.0 * d.s);
  r.gain_db = exact::gain_db(d.aw, d.s);
  r.judgement = d.judgement;
  r.focus_behind_aperture_m = d.judgement.focus_behind_aperture_wl * r.wavelength_m;
  return r;
}

}  // namespace

FeedRow judge(const JudgeRequest& q) {
  const double wl = exact::wavelength_m(q.frequency_ghz);
  const double aw = q.aperture_radius_m / wl;
  const double s = exact::phase_deviation_cycles(q.aperture_radius_m, q.slant_radius_m, wl);
  FeedRow r = row_of(Design{aw, s, judge_horn(aw, s, q.f_over_d)}, q.frequency_ghz, q.f_over_d);
  r.aperture_radius_m = q.aperture_radius_m;  // as given, not through the wavelength
  r.slant_radius_m = q.slant_radius_m;
  return r;
}

FeedRow design(const DesignRequest& q) {
  const Design d = std::isnan(q.taper_db) ? best_aperture(q.f_over_d, q.s_cycles, q.max_flare_deg)
                                          : taper_aperture(q.f_over_d, q.s_cycles, q.taper_db, q.max_flare_deg);
  return row_of(d, q.frequency_ghz, q.f_over_d);
}

FeedRow best_design_row(double frequency_ghz, double f_over_d, double s_lo, double s_hi, double max_flare_deg) {
  return row_of(best_design(f_over_d, s_lo, s_hi, max_flare_deg), frequency_ghz, f_over_d);
}

}  // namespace feed
}  // namespace quaven
