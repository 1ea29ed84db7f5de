#include "legacy/chpce.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "legacy/chp11.h"
#include "test_data.h"
#include "reference.h"

namespace quaven {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

struct Centres {
  float pe, ph;
};

Centres centres(float f, float a, float r, float be, float bh) {
  Centres c{};
  chpce(f, a, r, be, c.pe, bh, c.ph);
  return c;
}

TEST(Rela, WrapsDifferenceTheShorterWay) {
  const struct {
    float p, q, expected;
  } cases[] = {
      {170.0f, -170.0f, -20.0f}, {-170.0f, 170.0f, 20.0f},  // across the +-180 cut
      {-10.0f, 10.0f, -20.0f},   {10.0f, -10.0f, 20.0f},    // across 0, opposite signs
      {90.0f, -90.0f, -180.0f},  {-90.0f, 90.0f, 180.0f},   // exactly half a turn kept
      {180.0f, -180.0f, 0.0f},   {0.0f, 50.0f, -50.0f},     // same direction; zero argument
      {300.0f, 10.0f, -70.0f},   {30.0f, 20.0f, 10.0f},     // one turn at most; plain
      {-30.0f, -100.0f, 70.0f},  {0.0f, -180.0f, 180.0f},
      {100.0f, -100.0f, -160.0f}, {-100.0f, 100.0f, 160.0f},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rela(c.p, c.q), c.expected) << "rela(" << c.p << ", " << c.q << ")";
  }
}

TEST(Rela, PassesNaN) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isnan(rela(nan, 10.0f)));
  EXPECT_TRUE(std::isnan(rela(-10.0f, nan)));
}

TEST(Chpce, EqualPhasesGiveZeroCentres) {
  // S = 0 and no change of sign out to half the mean beamwidth: every
  // sampled phase is 0, so the run and the centres are exactly 0.
  const struct {
    float f, a, be, bh;
  } cases[] = {{10.0f, 1.180285f, 60.0f, 60.0f}, {10.0f, 2.0f, 30.0f, 40.0f}, {6.0f, 5.0f, 20.0f, 25.0f}};
  for (const auto& c : cases) {
    const Centres got = centres(c.f, c.a, kInf, c.be, c.bh);
    EXPECT_EQ(got.pe, 0.0f) << "a=" << c.a << " be=" << c.be << " bh=" << c.bh;
    EXPECT_EQ(got.ph, 0.0f) << "a=" << c.a << " be=" << c.be << " bh=" << c.bh;
  }
}

TEST(Chpce, SamplesAtMeanBeamwidthDividesAtEachPlanesOwn) {
  // BE = 40, BH = 90: sqrt(40*90) = 60, so both planes are sampled at 0,
  // 7.5, 15, 22.5 and 30 degrees, while the E divisor is taken at 20 degrees
  // and the H divisor at 45.
  const float f = 10.0f, a = 2.0f, r = 8.5f;
  const float deg[] = {0.0f, 7.5f, 15.0f, 22.5f, 30.0f};
  float run_e = 0.0f, run_h = 0.0f, prev_e = 0.0f, prev_h = 0.0f;
  for (int i = 0; i < 5; ++i) {
    float ae, ah, pe, ph;
    chp11(f, a, r, static_cast<float>(static_cast<double>(deg[i]) * kPi / 180.0), ae, ah, pe, ph);
    if (i > 0) {
      run_e += rela(pe, prev_e);
      run_h += rela(ph, prev_h);
    }
    prev_e = pe;
    prev_h = ph;
  }
  const double pe_expected = static_cast<double>(run_e) / ((1.0 - std::cos(20.0 * kPi / 180.0)) * 360.0);
  const double ph_expected = static_cast<double>(run_h) / ((1.0 - std::cos(45.0 * kPi / 180.0)) * 360.0);
  const Centres got = centres(f, a, r, 40.0f, 90.0f);
  EXPECT_NEAR(got.pe, pe_expected, 1e-4 * std::fabs(pe_expected)) << "run_e=" << run_e;
  EXPECT_NEAR(got.ph, ph_expected, 1e-4 * std::fabs(ph_expected)) << "run_h=" << run_h;
  EXPECT_GT(std::fabs(run_e), 10.0f) << "the case must have a phase run to tell the angles apart";
}

TEST(Chpce, HalfTurnRunAtSixtyDegreesIsOneWavelength) {
  // a = lambda, S = 0, BE = BH = 120: samples at 0, 15, 30, 45, 60 degrees
  // and a divisor of (1 - cos 60) * 360 = 180. Each plane changes sign once
  // in that range (E null at 37.6 degrees, H null near 58), a run of half a
  // turn, so each centre is one wavelength in magnitude. Its sign: tr is a
  // little below pi/180, so a negative real field reads 180.00003 degrees,
  // and the step up from 0 is taken the short way round, as -179.99997.
  const float half_turn = std::atan2(0.0f, -1.0f) / 0.0174532905f;
  ASSERT_GT(half_turn, 180.0f);
  EXPECT_EQ(rela(half_turn, 0.0f), half_turn - 360.0f);
  const Centres got = centres(10.0f, 1.180285f, kInf, 120.0f, 120.0f);
  EXPECT_NEAR(got.pe, -1.0f, 2e-6f);
  EXPECT_NEAR(got.ph, -1.0f, 2e-6f);
}

TEST(Chpce, AgreesWithHighPrecisionPhaseRun) {
  // Phase centres from phases of the aperture integral evaluated in 30
  // digits. The pattern phases agree to ~1e-4 degree; the divisors of these
  // cases are 20 degrees or more, so 1e-4 wavelength is ample.
  const auto rows = test::read_rows("phase_centre.txt");
  ASSERT_EQ(rows.size(), 4u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 7u) << row.line;
    const Centres got = centres(row.single(0), row.single(1), row.single(2), row.single(3), row.single(4));
    EXPECT_NEAR(got.pe, row[5], 1e-4) << row.line;
    EXPECT_NEAR(got.ph, row[6], 1e-4) << row.line;
  }
}

TEST(Chpce, ZeroBeamwidthGivesNaNNotCrash) {
  // All samples fall on the axis, so each run is 0 over a divisor of 0.
  const Centres both = centres(10.0f, 2.0f, 8.5f, 0.0f, 0.0f);
  EXPECT_TRUE(std::isnan(both.pe) && std::isnan(both.ph));
  // One zero beamwidth still collapses the samples onto the axis.
  const Centres one = centres(10.0f, 2.0f, 8.5f, 0.0f, 40.0f);
  EXPECT_TRUE(std::isnan(one.pe));
  EXPECT_EQ(one.ph, 0.0f);
}

}  // namespace
}  // namespace quaven
