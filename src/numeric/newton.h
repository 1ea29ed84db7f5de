// Newton's method kept inside a bracket, in double precision: the one
// derivative-based root finder of the library (the beam walk's level
// crossings, the aperture design's search on log(a/lambda), the dish feed's
// best focus).
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

namespace quaven {
namespace numeric {

// The root of f in [lo, hi], f falling through it (f(lo) > 0 > f(hi)) or,
// with `falling` false, rising (the ends themselves need not have been
// evaluated), from the first guess x inside the bracket: Newton's method safeguarded by bisection (rtsafe; Press et al.,
// Numerical Recipes, 2nd ed., section 9.4). `f(x, df)` returns f(x) and sets
// df to its derivative. Every evaluation narrows the bracket by the sign of
// f; a Newton step is taken where the derivative has f's slope, the step lands
// inside the bracket, is no longer than `max_step` and at most half the step
// before it; otherwise the bracket is bisected. Stops at a step shorter than
// `tol` (that step taken, where it stays inside: converging quadratically,
// the next would be far shorter still), at f = 0, or once the bracket is
// narrower than `tol` / 1e6 (or the spacing of doubles at x); after `max_iter` evaluations it returns the
// latest point. Returns not-a-number where f is.
template <class F>
double bracketed_newton(F&& f, double lo, double hi, double x, double tol, int max_iter = 100,
                        double max_step = std::numeric_limits<double>::infinity(), bool falling = true) {
  double last = hi - lo;  // the step before, for the halving test
  for (int it = 0; it < max_iter; ++it) {
    double df = 0.0;
    const double fx = f(x, df);
    if (std::isnan(fx)) return fx;
    if (fx == 0.0) return x;
    if ((fx > 0.0) == falling) lo = x; else hi = x;
    const double step = fx / df;
    const double next = x - step;
    const bool newton = (falling ? df < 0.0 : df > 0.0) && next > lo && next < hi && std::fabs(step) <= max_step;
    if (newton && std::fabs(step) < tol) return next;
    if (newton && std::fabs(step) < 0.5 * last) {
      last = std::fabs(step);
      x = next;
    } else {
      last = hi - lo;
      x = 0.5 * (lo + hi);
    }
    // Closed: to 1e-6 of the tolerance, or to the spacing of doubles there.
    if (!(hi - lo > std::max(1e-6 * tol, 4.0 * std::numeric_limits<double>::epsilon() * std::fabs(x)))) return x;
  }
  return x;
}

}  // namespace numeric
}  // namespace quaven
