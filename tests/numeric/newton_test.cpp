// The bracketed Newton against closed-form roots: falling and rising
// functions, a derivative of the wrong sign (bisection must carry it), and
// a function that is not a number.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numeric/newton.h"

namespace {

using quaven::numeric::bracketed_newton;

TEST(BracketedNewton, FindsClosedFormRootsWhateverTheDerivativeSays) {
  // cos x - x falls through its root 0.739085133215160641655 (the Dottie number).
  const auto dottie = [](double x, double& df) {
    df = -std::sin(x) - 1.0;
    return std::cos(x) - x;
  };
  EXPECT_NEAR(bracketed_newton(dottie, 0.0, 1.0, 0.9, 1e-12), 0.739085133215160641655, 1e-14);
  // x^3 - 2 rises through 2^(1/3); a derivative claimed with the wrong sign
  // forbids every Newton step, so bisection alone must still get there.
  const auto cube = [](double x, double& df) {
    df = 3.0 * x * x;
    return x * x * x - 2.0;
  };
  const auto wrong = [&cube](double x, double& df) {
    const double f = cube(x, df);
    df = -df;
    return f;
  };
  const double root = std::cbrt(2.0);
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_NEAR(bracketed_newton(cube, 0.0, 3.0, 2.5, 1e-12, 100, inf, false), root, 1e-14);
  EXPECT_NEAR(bracketed_newton(wrong, 0.0, 3.0, 2.5, 1e-12, 100, inf, false), root, 1e-11);
  const auto nan = [](double, double& df) {
    df = 1.0;
    return std::numeric_limits<double>::quiet_NaN();
  };
  EXPECT_TRUE(std::isnan(bracketed_newton(nan, 0.0, 1.0, 0.5, 1e-12)));
}

}  // namespace
