// Exact-mode figures from the aperture integral: beamwidths by bracketing and
// root finding, least-squares phase centres, design by root finding on a/lambda.
#include "aperture/exact.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numeric/brent.h"
#include "numeric/constants.h"

namespace quaven {
namespace exact {
namespace {

using numeric::localmin;

constexpr double kPi = physical::pi;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kDeg = kPi / 180.0;

// Step in u = k a sin theta of the walk outward from the axis. The aperture
// integral is an entire function of u of exponential type 1 (|x| <= 1), so it
// cannot turn from above to below a level and back within a quarter unit.
constexpr double kStepU = 0.25;
// The last angle of the walk stands this far (radians) short of 180 degrees,
// where the pattern is some 250 dB down but still finite.
constexpr double kBackEdge = 1e-6;
// The walk counts its samples in int, out to twice this many; an aperture of
// more than some ten million wavelengths would overflow the count.
constexpr double kMaxQuarter = 1 << 28;

// The pattern sampled outward from the axis at steps of kStepU in u out to
// 90 degrees, and on past it at the mirrored angles, where u = k a sin theta
// falls again, to just short of 180 degrees (at 180 itself the factor
// (1 + cos theta) vanishes and the power has no finite level); samples are
// made as they are asked for.
class Walk {
 public:
  // planes: 1 E only, 2 H only, 3 both.
  explicit Walk(const Horn& horn, int planes = 3) : horn_(horn), ka_(2.0 * kPi * horn.aw()), planes_(planes) {
    // Checked before it becomes an int: a k a that is not a number or beyond
    // the count leaves the walk empty, one of a step or less (or not
    // positive) gives a single step to 90 degrees.
    const double steps = std::ceil(ka_ / kStepU);
    if (std::isnan(steps) || steps > kMaxQuarter) {
      quarter_ = 0;
    } else {
      quarter_ = steps >= 1.0 ? static_cast<int>(steps) : 1;
    }
  }
  bool empty() const { return quarter_ == 0; }
  double ka() const { return ka_; }
  const Horn& horn() const { return horn_; }
  int last() const { return 2 * quarter_; }  // index of the last sample
  double theta(int i) const {
    if (i >= 2 * quarter_) return kPi - kBackEdge;
    if (i >= quarter_) return i == quarter_ ? 0.5 * kPi : kPi - std::asin((2 * quarter_ - i) * kStepU / ka_);
    return std::asin(i * kStepU / ka_);
  }
  // Power in dB of plane p (0 E, 1 H) at sample i.
  double power(int i, int p) {
    while (static_cast<int>(pe_.size()) <= i) {
      const double th = theta(static_cast<int>(pe_.size()));
      Field f{};
      if (planes_ == 3) {
        f = horn_.field(th);
      } else if (planes_ == 1) {
        f.e = horn_.field(th, 0);
      } else {
        f.h = horn_.field(th, 1);
      }
      pe_.push_back(10.0 * std::log10(std::norm(f.e)));
      ph_.push_back(10.0 * std::log10(std::norm(f.h)));
    }
    return p == 0 ? pe_[i] : ph_[i];
  }
  double power_at(double th, int p) const { return 10.0 * std::log10(std::norm(horn_.field(th, p))); }
  // Power of plane p a sixteenth of a step off the axis, both planes made
  // at the first call.
  double near_axis(int p) {
    if (!near_made_) {
      const double th = std::asin(std::min(1.0, kStepU / 16.0 / ka_));
      if (planes_ == 3) {
        horn_.power_db(th, near_[0], near_[1]);
      } else {
        near_[planes_ - 1] = power_at(th, planes_ - 1);
      }
      near_made_ = true;
    }
    return near_[p];
  }


 private:
  const Horn& horn_;
  double ka_;
  int planes_;
  int quarter_;  // index of the 90 degree sample
  std::vector<double> pe_, ph_;
  bool near_made_ = false;
  double near_[2] = {0.0, 0.0};
};

// The angle in [a, b] where the power of plane p (dB) falls through target,
// given fa > 0 > fb (the power less the target at a and b): Newton's method on
// the power with its derivative, kept inside a bracket that every step
// narrows; a step that would leave it, or shrink it by less than half, is a
// bisection instead.
// With rate, also d(angle)/d(log aw) at the crossing, for a design's Newton
// steps (the peak taken as fixed).
double crossing(const Horn& horn, int p, double target, double a, double b, double fa, double fb,
                double* rate = nullptr) {
  double x = a + (b - a) * fa / (fa - fb);  // the secant of the bracket
  double last = b - a;
  for (int it = 0; it < 60; ++it) {
    double slope, per_log_aw;
    const double fx = horn.power_db(x, p, slope, &per_log_aw) - target;
    if (rate) *rate = -per_log_aw / slope;
    if (std::isnan(fx)) return kNan;
    if (fx == 0.0) return x;
    if (fx > 0.0) a = x; else b = x;
    const double step = fx / slope;
    const double next = x - step;
    // Converging quadratically, the step after one of 1e-9 rad would be
    // near 1e-18 rad: take this one and stop.
    if (std::fabs(step) < 1e-9) return next > a && next < b ? next : x;
    if (slope < 0.0 && next > a && next < b && std::fabs(step) < 0.5 * last) {
      last = std::fabs(step);
      x = next;
    } else {
      last = b - a;
      x = 0.5 * (a + b);
    }
    if (!(b - a > 1e-15)) return x;
  }
  return x;
}

// The half-beamwidths (radians) of plane p at the n levels (dB, positive).
// With rates, also the derivative of each in log(aw) (see crossing).
void half_widths(Walk& walk, int p, const double* levels, int n, double* out, double* rates = nullptr) {
  double deepest = 0.0;
  for (int k = 0; k < n; ++k) {
    out[k] = kNan;
    if (rates) rates[k] = kNan;
    if (levels[k] > 0.0 && std::isfinite(levels[k])) deepest = std::max(deepest, levels[k]);
  }
  if (!(deepest > 0.0) || walk.empty()) return;
  // The main beam's largest sample: walk until the power is `deepest` dB
  // below the largest value met so far.
  int m = 0;
  double best = walk.power(0, p);
  if (std::isnan(best)) return;
  for (int i = 1; i <= walk.last(); ++i) {
    const double v = walk.power(i, p);
    if (std::isnan(v)) return;
    if (v > best) {
      best = v;
      m = i;
    }
    if (v < best - deepest) break;
  }
  // Refine the peak between the neighbours of that sample. On the axis the
  // pattern is even in theta; a first step that is already lower than the
  // axis, at a sixteenth of the walk's step, shows the axis is the peak.
  double peak = best, peak_th = walk.theta(m);
  const auto neg = [&](double th) { return -walk.power_at(th, p); };
  double lo = walk.theta(std::max(m - 1, 0)), hi = walk.theta(std::min(m + 1, walk.last()));
  bool refine = true;
  if (m == 0) refine = walk.near_axis(p) > best;
  if (refine && hi > lo) {
    double fx;
    const double x = localmin(neg, lo, hi, 1e-8, fx);
    if (-fx > peak) {
      peak = -fx;
      peak_th = x;
    }
  }
  for (int k = 0; k < n; ++k) {
    const double level = levels[k];
    if (!(level > 0.0 && std::isfinite(level))) continue;
    const int same = static_cast<int>(std::find(levels, levels + k, level) - levels);
    if (same < k) {  // a level asked for twice is solved once
      out[k] = out[same];
      if (rates) rates[k] = rates[same];
      continue;
    }
    const double target = peak - level;
    int j = m + 1;
    while (j <= walk.last() && !(walk.power(j, p) < target)) ++j;
    if (j > walk.last()) continue;  // never that low short of 180 degrees
    // The bracket starts at the last sample above the level (or the peak, if
    // that lies beyond it), whose value is known.
    double a = walk.theta(j - 1), fa = walk.power(j - 1, p) - target;
    if (j - 1 == m && peak_th > a) {
      a = peak_th;
      fa = level;
    }
    const double b = walk.theta(j);
    const double fb = walk.power(j, p) - target;
    out[k] = crossing(walk.horn(), p, target, a, b, fa, fb, rates ? rates + k : nullptr);
  }
}

}  // namespace

void beamwidths(const Horn& horn, double level1, double level2, Beamwidths& b1, Beamwidths& b2) {
  Walk walk(horn);
  const double levels[2] = {level1, level2};
  double he[2], hh[2];
  half_widths(walk, 0, levels, 2, he);
  half_widths(walk, 1, levels, 2, hh);
  b1 = Beamwidths{2.0 * he[0] / kDeg, 2.0 * hh[0] / kDeg};
  b2 = Beamwidths{2.0 * he[1] / kDeg, 2.0 * hh[1] / kDeg};
}

Beamwidths beamwidths(const Horn& horn, double level) {
  Beamwidths b1, b2;
  beamwidths(horn, level, kNan, b1, b2);
  return b1;
}

namespace {

// Order of the Gauss rule over the angle in the phase-centre fit. The fitted
// phase turns faster, and less smoothly, the further the range reaches in
// u = k a sin theta and the larger the aperture's phase error: over spreads of
// horns (a/lambda 0.4 to 20, S 0 to 4) the least order that puts the fit
// within 1e-7 wavelength of a 200-point fit stays below 6 + 1.6 u_max + 8 S
// (u_max at the end of the range), and within 1e-9 below 8 + 1.6 u_max + 8 S;
// the tests check the result against an independent fit converged to 1e-9
// wavelength.
int phase_order(double ka, double tm, double s) {
  const double umax = ka * (tm < 0.5 * kPi ? std::sin(tm) : 1.0);
  const double n = std::ceil(6.0 + 1.6 * umax + 8.0 * std::fabs(s));
  return n < 256.0 ? static_cast<int>(n) : 256;
}

double phase_centre(const Horn& horn, double bw10, int plane) {
  const double tm = 0.5 * bw10 * kDeg;
  if (!(tm > 0.0 && tm < kPi)) return kNan;
  const int n = phase_order(2.0 * kPi * horn.aw(), tm, horn.s());
  const GaussRule& rule = gauss_rule(n);
  // Weighted least squares of phi = c + d g, g = 2 pi (1 - cos theta), with
  // the Gauss weights over [0, tm], i.e. equal weight per unit angle. The
  // phase is unwrapped from node to node by the argument of their ratio.
  double sw = 0.0, sg = 0.0, sp = 0.0;
  std::vector<double> g(n), phi(n);
  std::complex<double> prev;
  for (int i = 0; i < n; ++i) {
    const double th = 0.5 * tm * (rule.x[i] + 1.0);
    const std::complex<double> v = horn.field(th, plane);
    phi[i] = i == 0 ? std::arg(v) : phi[i - 1] + std::arg(v * std::conj(prev));
    prev = v;
    const double sh = std::sin(0.5 * th);
    g[i] = 2.0 * kPi * 2.0 * sh * sh;
    sw += rule.w[i];
    sg += rule.w[i] * g[i];
    sp += rule.w[i] * phi[i];
  }
  const double gm = sg / sw, pm = sp / sw;
  double num = 0.0, den = 0.0;
  for (int i = 0; i < n; ++i) {
    num += rule.w[i] * (g[i] - gm) * (phi[i] - pm);
    den += rule.w[i] * (g[i] - gm) * (g[i] - gm);
  }
  return num / den;
}

// The beamwidth that a design matches: one plane or the mean of the two;
// `rate` is its derivative in log(aw), in degrees.
double design_width(double aw, double s, double level, Plane plane, double& rate) {
  const Horn horn(aw, s);
  Walk walk(horn, plane == Plane::e ? 1 : plane == Plane::h ? 2 : 3);
  double he = kNan, hh = kNan, re = kNan, rh = kNan;
  if (plane != Plane::h) half_widths(walk, 0, &level, 1, &he, &re);
  if (plane != Plane::e) half_widths(walk, 1, &level, 1, &hh, &rh);
  switch (plane) {
    case Plane::e:
      rate = 2.0 * re / kDeg;
      return 2.0 * he / kDeg;
    case Plane::h:
      rate = 2.0 * rh / kDeg;
      return 2.0 * hh / kDeg;
    default:
      rate = (re + rh) / kDeg;
      return (he + hh) / kDeg;
  }
}

}  // namespace

PhaseCentres phase_centres(const Horn& horn, double bwe10, double bwh10) {
  return PhaseCentres{phase_centre(horn, bwe10, 0), phase_centre(horn, bwh10, 1)};
}

// The beamwidth falls as the aperture grows, roughly as 1/aw, so the search
// works on log(aw) and log(bw): Newton's method from a first guess, with the
// derivative of the beamwidth that the crossings give, each step at most a
// factor of two in aw; once the request is bracketed, a step that leaves the
// bracket is a bisection. A pattern that has no beamwidth at the level (too
// small an aperture) counts as wider than any request and the aperture
// doubles. Where the beamwidth jumps over the request (a shoulder crossing
// the level) the bracket closes on the jump and the check at the end
// rejects it.
double design_aw(double s, double bw, double level, Plane plane) {
  if (!(bw > 0.0 && bw < 180.0 && level > 0.0 && std::isfinite(level) && std::isfinite(s))) return kNan;
  if (plane != Plane::h && plane != Plane::mean) plane = Plane::e;
  const double want = std::log(bw);
  double width = kNan;  // at x
  const auto f = [&](double law, double& df) {
    double rate;
    width = design_width(std::exp(law), s, level, plane, rate);
    if (std::isnan(width)) {
      df = kNan;
      return std::log(360.0) - want;
    }
    df = rate / width;
    return std::log(width) - want;
  };
  // u at the level for a uniform-phase TE11 aperture is near 1.6 at 3 dB
  // and 2.9 at 10 dB; this only sets the first guess.
  const double u_guess = 1.6 * std::sqrt(level / 3.0);
  const double xmin = std::log(0.02), xmax = std::log(500.0), ln2 = std::log(2.0);
  double x = std::log(u_guess / (2.0 * kPi * std::sin(0.5 * bw * kDeg)));
  double df;
  double fx = f(x, df);
  double wide = kNan, narrow = kNan;  // log(aw) known too small, too large
  for (int it = 0; it < 100 && fx != 0.0; ++it) {
    if (fx > 0.0) wide = x; else narrow = x;
    double step = df < 0.0 && std::isfinite(df) ? -fx / df : std::copysign(ln2, fx);
    step = std::clamp(step, -ln2, ln2);
    if (std::fabs(step) <= 1e-9) {
      // Converging quadratically (or, where the peak is off the axis and moves
      // with the aperture, fast and linearly), this last step leaves an error
      // far below 1e-12 in log(aw): take it without another width.
      x += step;
      width *= std::exp(df * step);
      break;
    }
    double next = std::clamp(x + step, xmin, xmax);
    if (!std::isnan(wide) && !std::isnan(narrow)) {
      const double lo = std::min(wide, narrow), hi = std::max(wide, narrow);
      if (!(hi - lo > 1e-12)) break;
      if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    }
    if (next == x) return kNan;  // at the end of the range of apertures
    x = next;
    fx = f(x, df);
  }
  if (!(std::fabs(width - bw) <= 1e-6)) return kNan;
  return std::exp(x);
}

Figures figures(double aw, double s, double level1, double level2) {
  const Horn horn(aw, s);
  Walk walk(horn);
  const double levels[3] = {level1, level2, 10.0};
  double he[3], hh[3];
  half_widths(walk, 0, levels, 3, he);
  half_widths(walk, 1, levels, 3, hh);
  const PhaseCentres pc = phase_centres(horn, 2.0 * he[2] / kDeg, 2.0 * hh[2] / kDeg);
  Figures fg;
  fg.bwe1 = 2.0 * he[0] / kDeg;
  fg.bwh1 = 2.0 * hh[0] / kDeg;
  fg.bwe2 = 2.0 * he[1] / kDeg;
  fg.bwh2 = 2.0 * hh[1] / kDeg;
  fg.pce = pc.e;
  fg.pch = pc.h;
  fg.gain = gain_db(aw, s);
  return fg;
}

}  // namespace exact
}  // namespace quaven
