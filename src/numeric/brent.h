// Brent's methods in double precision: a root finder on a bracket and a
// minimiser on an interval, both without derivatives.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

namespace quaven {
namespace numeric {

// Brent's root finder (zeroin; Brent, Algorithms for Minimization without
// Derivatives, 1973, ch. 4) on a bracket [a, b] with f(a), f(b) of opposite
// sign or zero.
template <class F>
double zeroin(F&& f, double a, double b, double fa, double fb, double tol) {
  double c = a, fc = fa, d = b - a, e = d;
  for (int it = 0; it < 200; ++it) {
    if ((fb > 0.0 && fc > 0.0) || (fb < 0.0 && fc < 0.0)) {
      c = a;
      fc = fa;
      d = e = b - a;
    }
    if (std::fabs(fc) < std::fabs(fb)) {
      a = b;
      b = c;
      c = a;
      fa = fb;
      fb = fc;
      fc = fa;
    }
    const double tol1 = 2.0 * std::numeric_limits<double>::epsilon() * std::fabs(b) + 0.5 * tol;
    const double xm = 0.5 * (c - b);
    if (std::fabs(xm) <= tol1 || fb == 0.0) return b;
    if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
      const double s = fb / fa;
      double p, q;
      if (a == c) {
        p = 2.0 * xm * s;
        q = 1.0 - s;
      } else {
        const double qq = fa / fc, r = fb / fc;
        p = s * (2.0 * xm * qq * (qq - r) - (b - a) * (r - 1.0));
        q = (qq - 1.0) * (r - 1.0) * (s - 1.0);
      }
      if (p > 0.0) q = -q;
      p = std::fabs(p);
      if (2.0 * p < std::min(3.0 * xm * q - std::fabs(tol1 * q), std::fabs(e * q))) {
        e = d;
        d = p / q;
      } else {
        d = xm;
        e = d;
      }
    } else {
      d = xm;
      e = d;
    }
    a = b;
    fa = fb;
    b += std::fabs(d) > tol1 ? d : std::copysign(tol1, xm);
    fb = f(b);
    if (std::isnan(fb)) return std::numeric_limits<double>::quiet_NaN();
  }
  return b;
}

// Brent's minimiser (localmin, same book, ch. 5) on [a, b]; returns the
// abscissa and sets fx to the least value found.
template <class F>
double localmin(F&& f, double a, double b, double tol, double& fx) {
  const double cg = 0.38196601125010515;  // (3 - sqrt 5)/2
  double x = a + cg * (b - a), w = x, v = x;
  fx = f(x);
  double fw = fx, fv = fx, d = 0.0, e = 0.0;
  for (int it = 0; it < 100; ++it) {
    const double xm = 0.5 * (a + b);
    const double tol1 = tol * std::fabs(x) + 1e-14;
    const double tol2 = 2.0 * tol1;
    if (std::fabs(x - xm) <= tol2 - 0.5 * (b - a)) break;
    bool golden = true;
    if (std::fabs(e) > tol1) {
      double r = (x - w) * (fx - fv);
      double q = (x - v) * (fx - fw);
      double p = (x - v) * q - (x - w) * r;
      q = 2.0 * (q - r);
      if (q > 0.0) p = -p;
      q = std::fabs(q);
      const double etemp = e;
      e = d;
      if (!(std::fabs(p) >= std::fabs(0.5 * q * etemp) || p <= q * (a - x) || p >= q * (b - x))) {
        d = p / q;
        const double uu = x + d;
        if (uu - a < tol2 || b - uu < tol2) d = std::copysign(tol1, xm - x);
        golden = false;
      }
    }
    if (golden) {
      e = x >= xm ? a - x : b - x;
      d = cg * e;
    }
    const double uu = std::fabs(d) >= tol1 ? x + d : x + std::copysign(tol1, d);
    const double fu = f(uu);
    if (fu <= fx) {
      if (uu >= x) a = x; else b = x;
      v = w;
      fv = fw;
      w = x;
      fw = fx;
      x = uu;
      fx = fu;
    } else {
      if (uu < x) a = uu; else b = uu;
      if (fu <= fw || w == x) {
        v = w;
        fv = fw;
        w = uu;
        fw = fu;
      } else if (fu <= fv || v == x || v == w) {
        v = uu;
        fv = fu;
      }
    }
  }
  return x;
}

}  // namespace numeric
}  // namespace quaven
