// Exact-mode figures from the aperture integral: beamwidths by bracketing and
// root finding, least-squares phase centres, design by root finding on a/lambda.
#include "aperture/exact.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "aperture/beam_walk.h"
#include "numeric/brent.h"
#include "numeric/constants.h"
#include "numeric/newton.h"

namespace quaven {
namespace exact {
namespace {

using numeric::localmin;

using physical::pi;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kDeg = pi / 180.0;

// The angle in [a, b] where the power of plane p (dB) falls through target,
// given fa > 0 > fb (the power less the target at a and b): Newton's method on
// the power with its derivative, kept inside a bracket that every step
// narrows; a step that would leave it, or shrink it by less than half, is a
// bisection instead.
// With rate, also d(angle)/d(log aw) at the crossing, for a design's Newton
// steps (the peak taken as fixed).
double crossing(const Horn& horn, int p, double target, double a, double b, double fa, double fb,
                double* rate = nullptr) {
  const auto excess = [&](double th, double& slope) {
    double per_log_aw;
    const double fx = horn.power_db(th, p, slope, &per_log_aw) - target;
    if (rate) *rate = -per_log_aw / slope;
    return fx;
  };
  // From the secant of the bracket; a step of 1e-9 rad is the last, as the
  // one after it would be near 1e-18 rad.
  return numeric::bracketed_newton(excess, a, b, a + (b - a) * fa / (fa - fb), 1e-9, 60);
}

// The aperture integral as the beam walk reads it, over both planes or, for
// a design in one plane, that one alone (`planes` 1 E, 2 H, 3 both).
class Aperture {
 public:
  explicit Aperture(const Horn& horn, int planes = 3) : horn_(horn), planes_(planes) {}
  void sample(double th, double& pe, double& ph) const {
    Field f{};
    if (planes_ == 3) {
      f = horn_.field(th);
    } else if (planes_ == 1) {
      f.e = horn_.field(th, 0);
    } else {
      f.h = horn_.field(th, 1);
    }
    pe = 10.0 * std::log10(std::norm(f.e));
    ph = 10.0 * std::log10(std::norm(f.h));
  }
  double power_at(double th, int p) const { return 10.0 * std::log10(std::norm(horn_.field(th, p))); }
  void near_axis(double th, double& pe, double& ph) const {
    if (planes_ == 3) {
      horn_.power_db(th, pe, ph);
    } else {
      (planes_ == 1 ? pe : ph) = power_at(th, planes_ - 1);
    }
  }
  double crossing(int p, double target, double a, double b, double fa, double fb, double* rate) const {
    return exact::crossing(horn_, p, target, a, b, fa, fb, rate);
  }

 private:
  const Horn& horn_;
  int planes_;
};

// The beam walk over the aperture integral of `horn`.
struct ApertureWalk {
  explicit ApertureWalk(const Horn& horn, int planes = 3) : pattern(horn, planes), walk(pattern, 2.0 * pi * horn.aw()) {}
  Aperture pattern;
  beam::Walk<Aperture> walk;
};

using beam::half_widths;

}  // namespace

void beamwidths(const Horn& horn, double level1, double level2, Beamwidths& b1, Beamwidths& b2) {
  ApertureWalk w(horn);
  auto& walk = w.walk;
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
  const double umax = ka * (tm < 0.5 * pi ? std::sin(tm) : 1.0);
  const double n = std::ceil(6.0 + 1.6 * umax + 8.0 * std::fabs(s));
  return n < 256.0 ? static_cast<int>(n) : 256;
}

double phase_centre(const Horn& horn, double bw10, int plane) {
  const int n = phase_order(2.0 * pi * horn.aw(), 0.5 * bw10 * kDeg, horn.s());
  return beam::phase_centre([&](double th) { return horn.field(th, plane); }, bw10, n);
}

// The beamwidth that a design matches: one plane or the mean of the two;
// `rate` is its derivative in log(aw), in degrees.
double design_width(double aw, double s, double level, Plane plane, double& rate) {
  const Horn horn(aw, s);
  ApertureWalk w(horn, plane == Plane::e ? 1 : plane == Plane::h ? 2 : 3);
  auto& walk = w.walk;
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
// factor of two in aw, until the request is bracketed; then the bracketed
// Newton of numeric/newton.h. A pattern that has no beamwidth at the level
// (too small an aperture) counts as wider than any request and the aperture
// doubles. Where the beamwidth jumps over the request (a shoulder crossing
// the level) the bracket closes on the jump and the check at the end
// rejects it.
double design_aw(double s, double bw, double level, Plane plane) {
  if (!(bw > 0.0 && bw < 180.0 && level > 0.0 && std::isfinite(level) && std::isfinite(s))) return kNan;
  if (plane != Plane::h && plane != Plane::mean) plane = Plane::e;
  const double want = std::log(bw);
  double width = kNan, at = kNan, slope = kNan;  // the latest width, its log(aw) and d log(bw) / d log(aw)
  const auto f = [&](double law, double& df) {
    double rate;
    at = law;
    width = design_width(std::exp(law), s, level, plane, rate);
    if (std::isnan(width)) {
      df = slope = kNan;
      return std::log(360.0) - want;
    }
    df = slope = rate / width;
    return std::log(width) - want;
  };
  // u at the level for a uniform-phase TE11 aperture is near 1.6 at 3 dB
  // and 2.9 at 10 dB; this only sets the first guess.
  const double u_guess = 1.6 * std::sqrt(level / 3.0);
  const double xmin = std::log(0.02), xmax = std::log(500.0), ln2 = std::log(2.0);
  double x = std::log(u_guess / (2.0 * pi * std::sin(0.5 * bw * kDeg)));
  double wide = kNan, narrow = kNan;  // log(aw) known too small, too large
  for (int it = 0; it < 100; ++it) {
    double df;
    const double fx = f(x, df);
    if (fx == 0.0) break;
    if (fx > 0.0) wide = x; else narrow = x;
    const double step = std::clamp(df < 0.0 && std::isfinite(df) ? -fx / df : std::copysign(ln2, fx), -ln2, ln2);
    if (!std::isnan(wide) && !std::isnan(narrow)) {
      // Bracketed (falling as it should, or rising over a jump): on from
      // this step, or the middle where it leaves the bracket.
      const double lo = std::min(wide, narrow), hi = std::max(wide, narrow);
      const double next = x + step > lo && x + step < hi ? x + step : 0.5 * (lo + hi);
      x = numeric::bracketed_newton(f, lo, hi, next, 1e-9, 100, ln2, wide < narrow);
      break;
    }
    // Converging without a bracket yet, as it mostly does: this last step
    // leaves an error far below 1e-12 in log(aw).
    if (std::fabs(step) <= 1e-9) {
      x += step;
      break;
    }
    const double next = std::clamp(x + step, xmin, xmax);
    if (next == x) return kNan;  // at the end of the range of apertures
    x = next;
  }
  // The width at x from the latest one and its slope (x is at most a
  // converged step from it).
  if (!(std::fabs(width * std::exp(slope * (x - at)) - bw) <= 1e-6)) return kNan;
  return std::exp(x);
}

Figures figures(double aw, double s, double level1, double level2) {
  const Horn horn(aw, s);
  ApertureWalk w(horn);
  auto& walk = w.walk;
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
