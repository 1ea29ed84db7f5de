// Gain of a conical horn and its loss table.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "legacy/algip.h"
#include "legacy/chngn.h"
#include "test_data.h"

namespace {

float gain_of(float f, float a, float r) {
  float g = 12345.0f;
  quaven::chngn(f, a, r, g);
  return g;
}

const float inf = std::numeric_limits<float>::infinity();

// Gain = 10 log10((k a)^2) - loss. The loss is recovered from a horn with
// k a = 1 (a*f = 11.80285/(2 pi) inches GHz), and S set through R.
float loss_at(float s) {
  const float f = 1.0f, a = 1.878482f;
  const float lambda = 11.80285f / f;
  const float r = a * a / ((lambda + lambda) * s);
  return -gain_of(f, a, r);
}

TEST(Chngn, StatedGains) {
  struct Case {
    float f, a, r;
    double want, tol;
  };
  const Case cases[] = {
      {10.0f, 1.2f, inf, 15.3335, 6e-5},
      {10.0f, 1.2f, 3.0f, 14.7854, 6e-5},
      {10.0f, 1.2f, 1.0f, 9.9304, 6e-5},
      // Far beyond the table: S = 3.8126, loss about 290.16.
      {10.0f, 3.0f, 1.0f, -266.10, 6e-3},
      // k a = 1: the gain is minus the loss at S = 0.
      {1.0f, 1.878482f, inf, -0.774, 0.0},
  };
  for (const Case& c : cases) {
    const float g = gain_of(c.f, c.a, c.r);
    if (c.tol == 0.0) {
      EXPECT_EQ(g, static_cast<float>(c.want)) << "f=" << c.f << " a=" << c.a << " R=" << c.r;
    } else {
      EXPECT_NEAR(g, c.want, c.tol) << "f=" << c.f << " a=" << c.a << " R=" << c.r;
    }
  }
}

// The loss of a horn: its aperture gain 20 log10(k a), in double, less its gain.
TEST(Chngn, StatedLosses) {
  struct Case {
    float f, a, r;
    double want, tol;
  };
  const Case cases[] = {
      {10.0f, 1.2f, 3.0f, 1.32211, 3e-5},  // S = 0.20334, window 0.20, 0.22, 0.24
      {10.0f, 1.2f, 1.0f, 6.17706, 3e-5},  // S = 0.61002
      {10.0f, 3.0f, 1.0f, 290.16, 0.01},   // S = 3.8126, far beyond the table
  };
  for (const Case& c : cases) {
    const double ka = double(c.a) * double(c.f) / (11.80285 / (2.0 * 3.14159265358979323846));
    const double loss = 20.0 * std::log10(ka) - gain_of(c.f, c.a, c.r);
    EXPECT_NEAR(loss, c.want, c.tol) << "f=" << c.f << " a=" << c.a << " R=" << c.r;
  }
  // Beyond the table's end at 0.80, from entries 39 to 41.
  EXPECT_NEAR(loss_at(0.9f), 13.862, 1e-3);
  EXPECT_NEAR(loss_at(1.0f), 17.372, 1e-3);
}

// The offset 1.1 starts a window at a grid point already 0.002 below it:
// S = 0.019 reads 0.02, 0.04, 0.06 and so lies just outside its window.
TEST(Chngn, WindowOffsetStartsAtNextGridPoint) {
  const quaven::Window w = quaven::table_window(0.019f, 0.02f, 1.1f, 39);
  EXPECT_EQ(w.first, 2);
  EXPECT_FLOAT_EQ(w.xs[0], 0.02f);
  // The parabola through 0.779, 0.795, 0.821 at 0.019, by Newton's form in double.
  const double d1 = (0.795 - 0.779) / 0.02, d2 = ((0.821 - 0.795) / 0.02 - d1) / 0.04;
  const double want = 0.779 + d1 * (0.019 - 0.02) + d2 * (0.019 - 0.02) * (0.019 - 0.04);
  EXPECT_NEAR(loss_at(0.019f), want, 2e-6);
}

// The gain table, read through its window, against 50-digit Lagrange values
// through the same three entries (mid-points, just below grid points, far out).
TEST(Chngn, LossMatchesHighPrecisionReference) {
  int checked = 0;
  for (const auto& row : quaven::test::read_rows("horn_reference.txt", "window")) {
    if (row.words[0] != "c") continue;
    // The table is private to chngn: the loss is read as minus the gain at
    // k a = 1, with R chosen to give S (a rounding or two away from it).
    const float s = static_cast<float>(row[1]);
    EXPECT_NEAR(loss_at(s), row[2], row[3] + 8e-6 * std::fabs(row[2])) << row.line;
    ++checked;
  }
  EXPECT_GE(checked, 80) << "reference data missing or short";
}

TEST(Chngn, MatchesHighPrecisionReference) {
  const auto rows = quaven::test::read_rows("horn_reference.txt", "chngn");
  ASSERT_GE(rows.size(), 10u) << "reference data missing or short";
  for (const auto& row : rows) {
    const float g = gain_of(static_cast<float>(row[0]), static_cast<float>(row[1]),
                            static_cast<float>(row[2]));
    const double want = row[3];
    if (std::isnan(want)) {
      EXPECT_TRUE(std::isnan(g)) << row.line << " got " << g;
    } else {
      EXPECT_NEAR(g, want, 2e-4 + 2e-6 * std::fabs(want)) << row.line << " got " << g;
    }
  }
}

TEST(Chngn, ZeroFrequencyGivesMinusInfinity) {
  const float g = gain_of(0.0f, 1.2f, 3.0f);
  EXPECT_TRUE(std::isinf(g) && g < 0.0f) << g;
}

// Regression: R = 0 gives S = +inf, which has no window index; the gain is
// NaN instead of undefined behaviour.
TEST(ChngnRegression, ZeroSlantRadiusGivesNaN) {
  for (float r : {0.0f, -0.0f}) {
    EXPECT_TRUE(std::isnan(gain_of(10.0f, 1.2f, r))) << "R=" << r;
  }
  EXPECT_TRUE(std::isnan(gain_of(10.0f, inf, inf)));
}

// Regression: a negative S read before the table; the first three entries
// are now extrapolated, continuous with S = 0 from below.
TEST(ChngnRegression, NegativeSExtrapolatesFirstEntries) {
  const float at0 = loss_at(1e-30f);
  const float below = loss_at(-1e-4f);
  EXPECT_NEAR(below, at0, 1e-5);
  EXPECT_TRUE(std::isfinite(gain_of(10.0f, 1.2f, -3.0f)));
  EXPECT_TRUE(std::isfinite(gain_of(10.0f, 1.2f, -1e-6f)));  // S = -7e5, far below
}

}  // namespace
