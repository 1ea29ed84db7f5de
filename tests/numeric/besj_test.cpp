#include "numeric/besj.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "test_data.h"
#include "reference.h"

namespace {

using quaven::besj;

TEST(Besj, MatchesHighPrecisionValuesForOrders0To2Over0To20) {
  const auto rows = quaven::test::read_rows("besj_ref.txt");
  EXPECT_GT(rows.size(), 1200u);
  for (const auto& row : rows) {
    const float nu = row.single(0), x = row.single(1);
    const double expected = row[2];
    // The float series loses about 1.3e-6 to cancellation just below the
    // switch to Hankel's expansion at 6.
    const double tolerance = (x >= 5.5f && x <= 6.0f) ? 2e-6 : 1e-6;
    EXPECT_NEAR(besj(x, nu), expected, tolerance) << "J_" << row.words[0] << "(" << row.words[1] << ")";
  }
}

TEST(Besj, AtZeroOrderZeroIsExactlyOneOthersZero) {
  EXPECT_EQ(besj(0.0f, 0.0f), 1.0f);
  EXPECT_EQ(besj(0.0f, 1.0f), 0.0f);
  EXPECT_EQ(besj(0.0f, 2.0f), 0.0f);
}

TEST(Besj, SeriesAndHankelAgreeAcrossTheSeamAtSix) {
  const float six = 6.0f;
  const float above = std::nextafter(six, 7.0f);
  for (float nu : {0.0f, 1.0f, 2.0f}) {
    EXPECT_NEAR(besj(six, nu), besj(above, nu), 1e-6f) << "order " << nu;
  }
}

TEST(Besj, HalfIntegerOrdersMatchTheirClosedForms) {
  // J_1/2(x) = sqrt(2/(pi x)) sin x, J_-1/2(x) = sqrt(2/(pi x)) cos x,
  // J_3/2(x) = sqrt(2/(pi x)) (sin x / x - cos x)  (A&S 10.1.11, 10.1.1).
  for (double x = 0.25; x <= 15.0; x += 0.25) {
    const double a = std::sqrt(2.0 / (quaven::kPi * x));
    const float xf = static_cast<float>(x);
    EXPECT_NEAR(besj(xf, 0.5f), a * std::sin(x), 1.5e-6) << "x = " << x;
    EXPECT_NEAR(besj(xf, -0.5f), a * std::cos(x), 2e-6) << "x = " << x;
    EXPECT_NEAR(besj(xf, 1.5f), a * (std::sin(x) / x - std::cos(x)), 1.5e-6) << "x = " << x;
  }
}

TEST(Besj, IntegerOrdersAtNegativeArgumentsAreReflected) {
  for (float x : {0.5f, 2.0f, 4.75f, 6.0f}) {
    EXPECT_NEAR(besj(-x, 0.0f), besj(x, 0.0f), 1e-7f) << x;
    EXPECT_NEAR(besj(-x, 1.0f), -besj(x, 1.0f), 1e-7f) << x;
    EXPECT_NEAR(besj(-x, 2.0f), besj(x, 2.0f), 1e-7f) << x;
  }
}

// The series' first term is 0 for a negative integer order and its first
// divisor nu + k is 0, so it summed 0/0 into a NaN; J_-n = (-1)^n J_n.
TEST(Besj, NegativeIntegerOrderIsNotNaN) {
  for (float x : {0.0f, 1.0f, 3.5f, 6.0f, 9.0f}) {
    EXPECT_NEAR(besj(x, -1.0f), -besj(x, 1.0f), 1e-6f) << x;
    EXPECT_NEAR(besj(x, -2.0f), besj(x, 2.0f), 1e-6f) << x;
  }
}

TEST(Besj, NonFiniteArgumentsGiveAResultWithoutTrapping) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isnan(besj(nan, 0.0f)));
  EXPECT_TRUE(std::isnan(besj(1.0f, nan)));
  EXPECT_TRUE(std::isnan(besj(inf, 1.0f)));  // cos and sin of infinity
  EXPECT_TRUE(std::isnan(besj(-inf, 0.0f)));
}

}  // namespace
