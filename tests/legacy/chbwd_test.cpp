// Aperture for a design beamwidth.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "legacy/chbwd.h"
#include "legacy/hcwbw.h"
#include "test_data.h"

namespace {

using quaven::chbwd;

float design(float s, float bwc, int ilev, int iplane) {
  float aw = -1.0f;
  chbwd(s, aw, bwc, ilev, iplane);
  return aw;
}

TEST(Chbwd, StatedApertures) {
  struct Case {
    float s, bwc;
    int ilev, iplane;
    double want;
  };
  const Case cases[] = {
      {0.2f, 30.0f, 1, 1, 0.99012}, {0.2f, 30.0f, 1, 2, 1.22976}, {0.2f, 30.0f, 1, 3, 1.10994},
      {0.2f, 60.0f, 2, 1, 0.89847}, {0.0f, 30.0f, 1, 3, 1.09723},
  };
  for (const Case& c : cases) {
    const float aw = design(c.s, c.bwc, c.ilev, c.iplane);
    EXPECT_NEAR(aw, c.want, 6e-6) << "S=" << c.s << " bwc=" << c.bwc << " ilev=" << c.ilev
                                  << " iplane=" << c.iplane;
  }
}

TEST(Chbwd, UnknownPlaneActsAsEPlane) {
  for (float s : {0.0f, 0.2f, 0.5f, 0.9f}) {
    for (int ilev : {1, 2}) {
      const float e = design(s, 30.0f, ilev, 1);
      for (int iplane : {0, 7, -1, 4}) {
        EXPECT_EQ(design(s, 30.0f, ilev, iplane), e) << "S=" << s << " ilev=" << ilev << " iplane=" << iplane;
      }
    }
  }
}

// Over the grid and beyond it, all planes and levels, against 50-digit values.
TEST(Chbwd, MatchesHighPrecisionReference) {
  const auto rows = quaven::test::read_rows("horn_reference.txt", "chbwd");
  ASSERT_GE(rows.size(), 100u) << "reference data missing or short";
  for (const auto& row : rows) {
    const float aw = design(static_cast<float>(row[0]), static_cast<float>(row[1]),
                            static_cast<int>(row[2]), static_cast<int>(row[3]));
    // Beyond the grid the extrapolated parabola cancels large terms.
    const double rel = row[0] > 0.72 ? 1e-5 : 2e-6;
    EXPECT_NEAR(aw, row[4], rel * std::fabs(row[4])) << row.line << " got " << aw;
  }
}

TEST(Chbwd, ZeroBeamwidthGivesInfiniteAperture) {
  const float aw = design(0.2f, 0.0f, 1, 1);
  EXPECT_TRUE(std::isinf(aw) && aw > 0.0f) << aw;
}

// A horn designed for a 30 degree E-plane 3 dB beamwidth comes back from the
// beamwidth model within a few hundredths of a degree: the two routines treat
// the obliquity factor differently, so the round trip is close, not exact.
TEST(Chbwd, DesignedHornReturnsNearlyItsBeamwidth) {
  const float s = 0.2f, f = 10.0f;
  const float aw = design(s, 30.0f, 1, 1);
  const float lambda = 11.80285f / f;
  const float a = aw * lambda;
  const float r = a * aw / (2.0f * s);
  EXPECT_NEAR(a, 1.16863, 1e-5);
  EXPECT_NEAR(r, 2.89271, 1e-5);
  float bwe3, bwh3, bwe10, bwh10;
  quaven::hcwbw(f, a, r, bwe3, bwh3, bwe10, bwh10);
  EXPECT_NEAR(bwe3, 29.97, 0.005);
}

// Regression: an ilev other than 1 or 2 left aw undefined; it is now NaN.
TEST(ChbwdRegression, UnknownCurveLevelGivesNaN) {
  for (int ilev : {0, 3, -1, 10}) {
    for (int iplane : {1, 2, 3}) {
      EXPECT_TRUE(std::isnan(design(0.2f, 30.0f, ilev, iplane))) << "ilev=" << ilev << " iplane=" << iplane;
    }
  }
}

// Regression: a non-finite S has no window; the aperture is NaN.
TEST(ChbwdRegression, NonFiniteSGivesNaN) {
  const float inf = std::numeric_limits<float>::infinity();
  for (float s : {inf, -inf, std::numeric_limits<float>::quiet_NaN()}) {
    for (int ilev : {1, 2}) {
      EXPECT_TRUE(std::isnan(design(s, 30.0f, ilev, 3))) << "S=" << s << " ilev=" << ilev;
    }
  }
}

// Regression: a negative S read before the table; it now extrapolates the
// first three entries, so just below S = 0 the aperture is finite and
// continuous with S = 0.
TEST(ChbwdRegression, NegativeSExtrapolatesBelowGrid) {
  for (int ilev : {1, 2}) {
    for (int iplane : {1, 2, 3}) {
      const float at0 = design(0.0f, 30.0f, ilev, iplane);
      const float below = design(-0.001f, 30.0f, ilev, iplane);
      const float far = design(-0.3f, 30.0f, ilev, iplane);
      EXPECT_TRUE(std::isfinite(far)) << "ilev=" << ilev << " iplane=" << iplane;
      EXPECT_NEAR(below, at0, 1e-5 * at0) << "ilev=" << ilev << " iplane=" << iplane;
    }
  }
}

}  // namespace
