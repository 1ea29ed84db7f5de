// Beamwidths of a given conical horn.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "legacy/hcwbw.h"
#include "legacy/universal_curves.h"
#include "test_data.h"

namespace {

struct Beams {
  float e3, h3, e10, h10;
};

Beams beams(float f, float a, float r) {
  Beams b{-1.0f, -1.0f, -1.0f, -1.0f};
  quaven::hcwbw(f, a, r, b.e3, b.h3, b.e10, b.h10);
  return b;
}

// NaN compares equal to NaN: a beamwidth the aperture cannot reach is a result.
void expect_beam(float got, double want, double tol, const std::string& what) {
  if (std::isnan(want)) {
    EXPECT_TRUE(std::isnan(got)) << what << ": got " << got << ", want NaN";
  } else {
    EXPECT_NEAR(got, want, tol) << what;
  }
}

const float inf = std::numeric_limits<float>::infinity();
const float nan = std::numeric_limits<float>::quiet_NaN();

TEST(Hcwbw, StatedBeamwidths) {
  struct Case {
    float f, a, r;
    double e3, h3, e10, h10;
  };
  const Case cases[] = {
      {10.0f, 1.2f, 3.0f, 29.229, 36.047, 52.833, 65.748},
      {10.0f, 1.2f, inf, 28.651, 35.870, 49.598, 64.524},
      // The 10 dB curves are out of reach of this small aperture.
      {5.0f, 1.0f, 10.0f, 65.433, 80.316, NAN, NAN},
      // f = 0: infinite wavelength, S = 0 and x infinite.
      {0.0f, 1.2f, 3.0f, NAN, NAN, NAN, NAN},
  };
  for (const Case& c : cases) {
    const Beams b = beams(c.f, c.a, c.r);
    const std::string at = "f=" + std::to_string(c.f) + " a=" + std::to_string(c.a) + " R=" + std::to_string(c.r);
    expect_beam(b.e3, c.e3, 6e-4, at + " bwe3");
    expect_beam(b.h3, c.h3, 6e-4, at + " bwh3");
    expect_beam(b.e10, c.e10, 6e-4, at + " bwe10");
    expect_beam(b.h10, c.h10, 6e-4, at + " bwh10");
  }
}

TEST(Hcwbw, MatchesHighPrecisionReference) {
  const auto rows = quaven::test::read_rows("horn_reference.txt", "hcwbw");
  ASSERT_GE(rows.size(), 10u) << "reference data missing or short";
  for (const auto& row : rows) {
    const Beams b = beams(static_cast<float>(row[0]), static_cast<float>(row[1]),
                          static_cast<float>(row[2]));
    const float got[4] = {b.e3, b.h3, b.e10, b.h10};
    const char* names[4] = {"bwe3", "bwh3", "bwe10", "bwh10"};
    for (int i = 0; i < 4; ++i) {
      expect_beam(got[i], row[3 + i], 2e-5 * std::fabs(row[3 + i]), row.line + " " + names[i]);
    }
  }
}

// Find the aperture radius at which x = v*lambda/(a*6.281853) is exactly 1 in
// float for the first entry of a curve (S = 0, R infinite).
float aperture_for_unit_x(float v, float f) {
  const float lambda = 11.80285f / f;
  float a = v * lambda / 6.281853f;
  for (int k = 0; k < 64; ++k) {
    const float x = v * lambda / (a * 6.281853f);
    if (x == 1.0f) return a;
    a = std::nextafter(a, x > 1.0f ? inf : 0.0f);
  }
  return nan;
}

// At x = 1 the half-angle is 90 degrees and the field model is cos^n(psi/2)
// with n = ln(P)/(2 ln cos 45deg) + 2: n = 3 at 3 dB, about 5.3219 at 10 dB.
// The beamwidth is 4 arccos(P^(1/(2n))).
TEST(Hcwbw, HalfAngleOfNinetyDegrees) {
  const double pi = 3.14159265358979323846;
  const double n3 = std::log(0.5) / (2.0 * std::log(std::cos(pi / 4.0))) + 2.0;
  const double n10 = std::log(0.1) / (2.0 * std::log(std::cos(pi / 4.0))) + 2.0;
  const double bw3 = 4.0 * std::acos(std::pow(0.5, 1.0 / (2.0 * n3))) * 180.0 / pi;
  const double bw10 = 4.0 * std::acos(std::pow(0.1, 1.0 / (2.0 * n10))) * 180.0 / pi;
  EXPECT_NEAR(n3, 3.0, 1e-12);
  EXPECT_NEAR(bw3, 108.05, 0.005);
  EXPECT_NEAR(bw10, 145.38, 0.005);

  const float f = 10.0f;
  const float a3 = aperture_for_unit_x(quaven::curves::e3[0], f);
  ASSERT_FALSE(std::isnan(a3)) << "no float aperture with x = 1 for e3";
  EXPECT_NEAR(beams(f, a3, inf).e3, bw3, 2e-3) << "a=" << a3;

  const float a10 = aperture_for_unit_x(quaven::curves::h1[0], f);
  ASSERT_FALSE(std::isnan(a10)) << "no float aperture with x = 1 for h1";
  EXPECT_NEAR(beams(f, a10, inf).h10, bw10, 3e-3) << "a=" << a10;
}

// Regression: a slant radius of 0 gives S = +inf, which has no window index;
// all four beamwidths are NaN instead of undefined behaviour.
TEST(HcwbwRegression, ZeroSlantRadiusGivesNaN) {
  for (float r : {0.0f, -0.0f}) {
    const Beams b = beams(10.0f, 1.2f, r);
    EXPECT_TRUE(std::isnan(b.e3) && std::isnan(b.h3) && std::isnan(b.e10) && std::isnan(b.h10)) << "R=" << r;
  }
  const Beams b = beams(10.0f, inf, inf);  // S = inf/inf
  EXPECT_TRUE(std::isnan(b.e3) && std::isnan(b.h3) && std::isnan(b.e10) && std::isnan(b.h10));
}

// Regression: a negative slant radius or frequency gives S < 0, which read
// before the tables; it now extrapolates the first three entries, and the
// negative wavelength's sign drops out of the beamwidth.
TEST(HcwbwRegression, NegativeSIsFiniteAndSymmetricInSign) {
  const Beams neg_r = beams(10.0f, 1.2f, -3.0f);
  const Beams neg_f = beams(-10.0f, 1.2f, 3.0f);
  const Beams plane = beams(10.0f, 1.2f, inf);
  for (auto [got, other, at0] : {std::tuple{neg_r.e3, neg_f.e3, plane.e3}, std::tuple{neg_r.h3, neg_f.h3, plane.h3},
                                 std::tuple{neg_r.e10, neg_f.e10, plane.e10},
                                 std::tuple{neg_r.h10, neg_f.h10, plane.h10}}) {
    EXPECT_TRUE(std::isfinite(got));
    EXPECT_EQ(got, other);
    EXPECT_GT(got, at0);  // |S| = 0.2: the parabola turns up again below the grid
  }
}

}  // namespace
