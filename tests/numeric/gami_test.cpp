#include "numeric/gami.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "test_data.h"

namespace {

using quaven::gam;
using quaven::gami;

const double kSqrtPi = 1.7724538509055160273;

TEST(Gami, PublishedValuesAndWhatTheArgumentHoldsAfterwards) {
  struct Case { float x; double expected; float after; };
  const double fact31 = 8222838654177922817725562880000000.0;  // 31!
  const float inf = std::numeric_limits<float>::infinity();
  const Case cases[] = {
      {1.0f, 1.0, 0.0f},           {2.0f, 1.0, 0.0f},           {3.0f, 0.5, 0.0f},
      {4.0f, 1.0 / 6.0, 0.0f},     {32.0f, 1.0 / fact31, 0.0f}, {0.0f, 0.0, 0.0f},
      {-1.0f, 0.0, -1.0f},         {-2.0f, 0.0, -2.0f},         {-31.0f, 0.0, -31.0f},
      {33.0f, 0.0, 33.0f},         {-33.0f, 0.0, -33.0f},       {1e6f, 0.0, 1e6f},
      {inf, 0.0, inf},             {32.5f, 2.15823949591722e-35, 32.5f},
      {0.5f, 1.0 / kSqrtPi, 0.5f}, {1.5f, 2.0 / kSqrtPi, 1.5f}, {2.5f, 4.0 / (3.0 * kSqrtPi), 2.5f},
      {-0.5f, -1.0 / (2.0 * kSqrtPi), -0.5f},                   {-1.5f, 3.0 / (4.0 * kSqrtPi), -1.5f},
      {0.25f, 0.27581566283020717, 0.25f},  // 1/Gamma(1/4)
  };
  for (const Case& c : cases) {
    float x = c.x;
    const float r = gami(x);
    EXPECT_NEAR(r, c.expected, 1e-6 * std::fabs(c.expected)) << "gami(" << c.x << ")";
    EXPECT_EQ(x, c.after) << "argument after gami(" << c.x << ")";
  }
}

TEST(Gami, StepsTheFractionalPartBackUpOrDownByOnes) {
  // x > 1: f + m by m additions of 1; x <= -1: f - m by m subtractions.
  for (float x0 : {7.3f, 19.9f, 31.99f, -7.3f, -19.9f, -31.99f}) {
    const float f = x0 - std::trunc(x0);
    float expected = f;
    for (int i = 0; i < static_cast<int>(std::fabs(std::trunc(x0))); ++i) expected += x0 > 0 ? 1.0f : -1.0f;
    float x = x0;
    gami(x);
    EXPECT_EQ(x, expected) << x0;
    EXPECT_NEAR(x, x0, 4e-6f) << x0;
  }
}

TEST(Gami, MatchesHighPrecisionReciprocalGamma) {
  const auto rows = quaven::test::read_rows("gami_ref.txt");
  EXPECT_GT(rows.size(), 500u);
  for (const auto& row : rows) {
    const float x0 = row.single(0);
    const double expected = row[1];
    float x = x0;
    // The series for 1/Gamma(f), |f| < 1, is good to a few units of 1e-7
    // absolutely (near f = -1 its value cancels towards 0); the recurrence
    // scales that by its factors and adds two roundings per step.
    const double f = x0 - std::trunc(x0);
    const int m = static_cast<int>(std::fabs(std::trunc(x0)));
    double scale = 1.0;
    for (int k = 0; k < m; ++k) scale = x0 > 0.0f ? scale / (f + k) : scale * (f - k - 1);
    const double tolerance = 1.5e-7 * (m + 2) * std::fabs(expected) + 7.5e-8 * std::fabs(scale);
    EXPECT_NEAR(gami(x), expected, tolerance) << "x = " << row.words[0];
  }
}

TEST(Gami, NotANumberGivesZeroAndIsLeftAlone) {
  float x = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(gami(x), 0.0f);
  EXPECT_TRUE(std::isnan(x));
}

TEST(Gam, IsTheReciprocalOfGami) {
  float four = 4.0f, half = 0.5f, two_half = 2.5f;
  EXPECT_FLOAT_EQ(gam(four), 6.0f);
  EXPECT_FLOAT_EQ(gam(half), static_cast<float>(kSqrtPi));
  EXPECT_FLOAT_EQ(gam(two_half), static_cast<float>(0.75 * kSqrtPi));
  EXPECT_EQ(four, 0.0f);  // overwritten as gami overwrites it
  EXPECT_EQ(two_half, 2.5f);
}

TEST(Gam, PolesAndLimitGiveInfinityAndNaNStaysNaN) {
  for (float x0 : {0.0f, -1.0f, -5.0f, 33.0f, -40.0f}) {
    float x = x0;
    const float r = gam(x);
    EXPECT_TRUE(std::isinf(r) && r > 0.0f) << "gam(" << x0 << ") = " << r;
  }
  float x = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isnan(gam(x)));
}

}  // namespace
