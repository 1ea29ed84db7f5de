// The figures read off a far-field pattern of the two principal planes by the
// definitions every model uses: the full beamwidth is twice the angle at
// which the power, walking outward from the peak of the main beam, first
// falls to the level; each plane's phase centre is the distance d of the
// point source whose phase 2 pi d (1 - cos theta) plus a constant fits the
// unwrapped phase in least squares, with equal weight per unit angle over
// half that plane's 10 dB beamwidth.
//
// One walk for every model, templated over the pattern, which offers
//   void sample(double theta, double& pe, double& ph) const;  // dB, the walk's samples
//   double power_at(double theta, int plane) const;           // dB of one plane (0 E, 1 H)
//   void near_axis(double theta, double& pe, double& ph) const;
//   double crossing(int plane, double target, double a, double b, double fa, double fb, double* rate) const;
// the last the angle in [a, b] where the plane's power falls through
// `target`: the aperture integral finds it by Newton's method with its
// derivative (and gives the rate a design needs), a pattern known only as
// values (the full wave) by Brent's root finder. The walk's step is set by
// k times the radius of a sphere about the phase reference that holds the
// sources.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "numeric/brent.h"
#include "numeric/constants.h"
#include "numeric/gauss_legendre.h"

namespace quaven {
namespace beam {

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
  Walk(const P& pattern, double ka) : pattern_(pattern), ka_(ka) {
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
  const P& pattern() const { return pattern_; }
  int last() const { return 2 * quarter_; }  // index of the last sample
  double theta(int i) const {
    if (i >= 2 * quarter_) return physical::pi - kBackEdge;
    if (i >= quarter_) return i == quarter_ ? 0.5 * physical::pi : physical::pi - std::asin((2 * quarter_ - i) * kStepU / ka_);
    return std::asin(i * kStepU / ka_);
  }
  // Power in dB of plane p (0 E, 1 H) at sample i.
  double power(int i, int p) {
    while (static_cast<int>(pe_.size()) <= i) {
      double e, h;
      pattern_.sample(theta(static_cast<int>(pe_.size())), e, h);
      pe_.push_back(e);
      ph_.push_back(h);
    }
    return p == 0 ? pe_[i] : ph_[i];
  }
  double power_at(double th, int p) const { return pattern_.power_at(th, p); }
  // Power of plane p a sixteenth of a step off the axis, both planes made
  // at the first call.
  double near_axis(int p) {
    if (!near_made_) {
      pattern_.near_axis(std::asin(std::min(1.0, kStepU / 16.0 / ka_)), near_[0], near_[1]);
      near_made_ = true;
    }
    return near_[p];
  }

 private:
  const P& pattern_;
  double ka_;
  int quarter_;  // index of the 90 degree sample
  std::vector<double> pe_, ph_;
  bool near_made_ = false;
  double near_[2] = {0.0, 0.0};
};

// The half-beamwidths (radians) of plane p at the n levels (dB, positive),
// not-a-number where the power does not fall that far short of 180 degrees.
// With rates, also what the pattern's crossing gives for each.
template <class P>
void half_widths(Walk<P>& walk, int p, const double* levels, int n, double* out, double* rates = nullptr) {
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
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
    const double x = numeric::localmin(neg, lo, hi, 1e-8, fx);
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
    out[k] = walk.pattern().crossing(p, target, a, b, fa, fb, rates ? rates + k : nullptr);
  }
}

// The crossing of a pattern known only as values: Brent's root finder on
// the power less the target, from the bracket's ends evaluated afresh.
template <class P>
double zeroin_crossing(const P& pattern, int p, double target, double a, double b, double fb) {
  const auto f = [&](double th) { return pattern.power_at(th, p) - target; };
  return numeric::zeroin(f, a, b, f(a), fb, 1e-13);
}

// The phase centre in wavelengths behind the aperture of the plane whose
// complex far field is `field(theta)`, fitted with a Gauss rule of `order`
// nodes over 0 .. half the 10 dB beamwidth `bw10` (degrees); not-a-number
// where that beamwidth is.
template <class F>
double phase_centre(F&& field, double bw10, int order) {
  const double tm = 0.5 * bw10 * physical::rad_per_deg;
  if (!(tm > 0.0 && tm < physical::pi)) return std::numeric_limits<double>::quiet_NaN();
  const numeric::GaussRule& rule = numeric::gauss_rule(order);
  // Weighted least squares of phi = c + d g, g = 2 pi (1 - cos theta), with
  // the Gauss weights over [0, tm], i.e. equal weight per unit angle. The
  // phase is unwrapped from node to node by the argument of their ratio.
  double sw = 0.0, sg = 0.0, sp = 0.0;
  std::vector<double> g(static_cast<std::size_t>(order)), phi(static_cast<std::size_t>(order));
  std::complex<double> prev;
  for (int i = 0; i < order; ++i) {
    const double th = 0.5 * tm * (rule.x[i] + 1.0);
    const std::complex<double> v = field(th);
    phi[i] = i == 0 ? std::arg(v) : phi[i - 1] + std::arg(v * std::conj(prev));
    prev = v;
    const double sh = std::sin(0.5 * th);
    g[i] = 2.0 * physical::pi * 2.0 * sh * sh;
    sw += rule.w[i];
    sg += rule.w[i] * g[i];
    sp += rule.w[i] * phi[i];
  }
  const double gm = sg / sw, pm = sp / sw;
  double num = 0.0, den = 0.0;
  for (int i = 0; i < order; ++i) {
    num += rule.w[i] * (g[i] - gm) * (phi[i] - pm);
    den += rule.w[i] * (g[i] - gm) * (g[i] - gm);
  }
  return num / den;
}

}  // namespace beam
}  // namespace quaven
