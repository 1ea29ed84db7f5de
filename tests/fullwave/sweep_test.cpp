// The full-wave band sweep: the fast sweep against the direct solution of
// every frequency (the reference it promises to meet), a beamwidth that
// jumps inside the band kept as a jump, and the direct sweep as the
// point-by-point solves themselves.
#include "fullwave/sweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace {

using namespace quaven::fullwave;
constexpr double kInch = 0.0254;

Geometry horn(double throat_in, double aperture_in, double slant_in) {
  const double b = throat_in * kInch;
  return Geometry{b, default_guide_length_m(b), aperture_in * kInch, slant_in * kInch, default_wall_m(b)};
}

SweepRequest request(const Geometry& g, double lo, double hi, double step, SweepMethod m) {
  SweepRequest q;
  q.geometry = g;
  for (int i = 0; lo + i * step <= hi + 1e-9; ++i) q.frequencies_ghz.push_back(lo + i * step);
  q.method = m;
  return q;
}

HornResponse direct(const SweepRequest& s, double f) {
  ResponseRequest q;
  q.geometry = s.geometry;
  q.frequency_ghz = f;
  q.level1_db = s.level1_db;
  q.level2_db = s.level2_db;
  q.per_wavelength = s.per_wavelength;
  return response(q);
}

TEST(FrequencySweep, FastMeetsTheDirectSolutionAtEveryFrequencyOfTheReferenceHorn) {
  const SweepRequest q = request(horn(0.45, 1.2, 3.0), 8.0, 12.0, 0.1, SweepMethod::fast);
  const FrequencySweep s(q);
  EXPECT_LT(s.solves(), 25) << "the fast sweep should need far fewer solves than the 41 frequencies";
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double f = q.frequencies_ghz[i];
    const Figures a = s.at(i).figures, d = direct(q, f).figures;
    SCOPED_TRACE(testing::Message() << f << " GHz");
    EXPECT_FALSE(s.fell_back(i));
    EXPECT_NEAR(a.level1.e, d.level1.e, 0.02);
    EXPECT_NEAR(a.level1.h, d.level1.h, 0.02);
    EXPECT_NEAR(a.level2.e, d.level2.e, 0.02);
    EXPECT_NEAR(a.level2.h, d.level2.h, 0.02);
    EXPECT_NEAR(a.phase_centres.e, d.phase_centres.e, 0.005);
    EXPECT_NEAR(a.phase_centres.h, d.phase_centres.h, 0.005);
    EXPECT_NEAR(a.directivity_db, d.directivity_db, 0.005);
    EXPECT_LE(std::abs(a.s11 - d.s11), 0.002);
    EXPECT_NEAR(a.s11_db, 20.0 * std::log10(std::abs(a.s11)), 1e-12);
  }
}

TEST(FrequencySweep, AJumpOfABeamwidthInsideTheBandIsSolvedDirectlyNotSmoothed) {
  // A wide, short horn whose 25 dB beamwidth jumps by some 16 degrees
  // between two frequencies near 10.8 GHz as a shoulder of the pattern
  // crosses the level (a coarse mesh to keep the test short).
  SweepRequest q = request(horn(0.45, 2.0, 2.4), 10.0, 11.4, 0.02, SweepMethod::fast);
  q.level1_db = 25.0;
  q.per_wavelength = 12.0;
  std::size_t settled = 0;  // the progress reported grows to every frequency
  q.progress = [&](std::size_t n) {
    EXPECT_GT(n, settled);
    settled = n;
  };
  const FrequencySweep s(q);
  EXPECT_EQ(settled, s.size());
  int jumps = 0, interpolated = 0;
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    const double a = s.at(i).figures.level1.e, b = s.at(i + 1).figures.level1.e;
    if (!s.fell_back(i)) ++interpolated;
    if (std::fabs(a - b) < 5.0) continue;
    ++jumps;
    // Both sides of the jump are the direct solution, and noted.
    for (const std::size_t k : {i, i + 1}) {
      EXPECT_TRUE(s.fell_back(k));
      EXPECT_EQ(s.at(k).figures.level1.e, direct(q, q.frequencies_ghz[k]).figures.level1.e);
    }
  }
  EXPECT_EQ(jumps, 1);
  EXPECT_GT(interpolated, 10) << "the smooth stretches are interpolated";
  EXPECT_LT(s.solves(), static_cast<int>(s.size())) << "fewer solves than frequencies even so";
}

TEST(FrequencySweep, DirectIsThePointByPointSolution) {
  const SweepRequest q = request(horn(0.45, 1.2, 3.0), 9.0, 11.0, 1.0, SweepMethod::direct);
  const FrequencySweep s(q);
  EXPECT_EQ(s.solves(), 3);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const HornResponse a = s.at(i), d = direct(q, q.frequencies_ghz[i]);
    EXPECT_EQ(a.figures.level1.e, d.figures.level1.e);
    EXPECT_EQ(a.figures.phase_centres.h, d.figures.phase_centres.h);
    EXPECT_EQ(a.figures.s11, d.figures.s11);
    EXPECT_EQ(a.power_balance, d.power_balance);
    EXPECT_EQ(a.unknowns, d.unknowns);
  }
}

}  // namespace
