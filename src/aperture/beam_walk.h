// The figures read off a far-field pattern of the two principal planes
// given only as values (a numerical solution such as the full-wave model),
// by the definitions exact mode uses: the full beamwidth is twice the angle
// at which the power, walking outward from the peak of the main beam, first
// falls to the level; each plane's phase centre is the distance d of the
// point source whose phase 2 pi d (1 - cos theta) plus a constant fits the
// unwrapped phase in least squares, with equal weight per unit angle over
// half that plane's 10 dB beamwidth. Exact mode finds the same figures faster
// with the aperture integral's derivative; this walk needs none. Templates
// over the pattern, which offers
//   Field field(double theta) const;                      // complex E, H
//   void power_db(double theta, double& pe, double& ph) const;
// The walk's step is set by k times the radius of a sphere about the phase
// reference that holds the sources.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "aperture/exact.h"
#include "numeric/brent.h"
#include "numeric/constants.h"
#include "numeric/gauss_legendre.h"

namespace quaven {
namespace beam {

constexpr double kPi = physical::pi;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kDeg = kPi / 180.0;
using exact::Field;
using numeric::localmin;
using numeric::zeroin;

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
template <class P>
class Walk {
 public:
  Walk(const P& horn, double ka) : horn_(horn), ka_(ka) {
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
  int last() const { return 2 * quarter_; }  // index of the last sample
  double theta(int i) const {
    if (i >= 2 * quarter_) return kPi - kBackEdge;
    if (i >= quarter_) return i == quarter_ ? 0.5 * kPi : kPi - std::asin((2 * quarter_ - i) * kStepU / ka_);
    return std::asin(i * kStepU / ka_);
  }
  // Power in dB of plane p (0 E, 1 H) at sample i.
  double power(int i, int p) {
    while (static_cast<int>(pe_.size()) <= i) {
      double e, h;
      horn_.power_db(theta(static_cast<int>(pe_.size())), e, h);
      pe_.push_back(e);
      ph_.push_back(h);
    }
    return p == 0 ? pe_[i] : ph_[i];
  }
  double power_at(double th, int p) const {
    double e, h;
    horn_.power_db(th, e, h);
    return p == 0 ? e : h;
  }

 private:
  const P& horn_;
  double ka_;
  int quarter_;  // index of the 90 degree sample
  std::vector<double> pe_, ph_;
};

// The half-beamwidths (radians) of plane p at the n levels (dB, positive).
template <class W>
void half_widths(W& walk, int p, const double* levels, int n, double* out) {
  double deepest = 0.0;
  for (int k = 0; k < n; ++k) {
    out[k] = kNan;
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
  if (m == 0) {
    const double th_small = std::asin(std::min(1.0, kStepU / 16.0 / walk.ka()));
    refine = walk.power_at(th_small, p) > best;
  }
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
    const double target = peak - level;
    int j = m + 1;
    while (j <= walk.last() && !(walk.power(j, p) < target)) ++j;
    if (j > walk.last()) continue;  // never that low short of 180 degrees
    double a = walk.theta(j - 1);
    if (j - 1 == m && peak_th > a) a = peak_th;
    const double b = walk.theta(j);
    const auto f = [&](double th) { return walk.power_at(th, p) - target; };
    const double fa = f(a), fb = walk.power(j, p) - target;
    out[k] = zeroin(f, a, b, fa, fb, 1e-13);
  }
}


// Order of the Gauss rule over the angle in the phase-centre fit; the tests
// check it against twice the order.
constexpr int kPhaseOrder = 24;

template <class P>
double phase_centre(const P& horn, double bw10, bool eplane) {
  const double tm = 0.5 * bw10 * kDeg;
  if (!(tm > 0.0 && tm < kPi)) return kNan;
  const numeric::GaussRule& rule = numeric::gauss_rule(kPhaseOrder);
  // Weighted least squares of phi = c + d g, g = 2 pi (1 - cos theta), with
  // the Gauss weights over [0, tm], i.e. equal weight per unit angle. The
  // phase is unwrapped from node to node by the argument of their ratio.
  double sw = 0.0, sg = 0.0, sp = 0.0;
  std::vector<double> g(kPhaseOrder), phi(kPhaseOrder), w(kPhaseOrder);
  std::complex<double> prev;
  for (int i = 0; i < kPhaseOrder; ++i) {
    const double th = 0.5 * tm * (rule.x[i] + 1.0);
    const Field f = horn.field(th);
    const std::complex<double> v = eplane ? f.e : f.h;
    phi[i] = i == 0 ? std::arg(v) : phi[i - 1] + std::arg(v * std::conj(prev));
    prev = v;
    const double sh = std::sin(0.5 * th);
    g[i] = 2.0 * kPi * 2.0 * sh * sh;
    w[i] = rule.w[i];
    sw += w[i];
    sg += w[i] * g[i];
    sp += w[i] * phi[i];
  }
  const double gm = sg / sw, pm = sp / sw;
  double num = 0.0, den = 0.0;
  for (int i = 0; i < kPhaseOrder; ++i) {
    num += w[i] * (g[i] - gm) * (phi[i] - pm);
    den += w[i] * (g[i] - gm) * (g[i] - gm);
  }
  return num / den;
}

}  // namespace beam
}  // namespace quaven
