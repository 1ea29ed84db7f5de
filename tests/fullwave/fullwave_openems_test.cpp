// The full-wave horn against independent FDTD references: openEMS runs of
// the same bodies (tests/data/openems_horns.py and its outputs), compared in
// beamwidth, directivity, pattern down to -20 dB and phase centre.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fullwave/fullwave.h"
#include "test_data.h"
#include "reference.h"

namespace {

using quaven::kPi;

// Agreement reached with the FDTD references (README, "Full wave"): horns 1
// and 3 and the open guide at a 0.25 mm mesh, horn 2 and horn 5 (a horn the
// full wave designed to 30 degrees in the E plane at 3 dB) at 0.35 mm. Over the
// main beam the two solutions agree closely: 3 dB widths within 0.6 deg,
// E-plane 10 dB widths within 0.4 deg, the pattern within 0.35 dB down to
// -10 dB, H-plane phase centres within 0.03 wavelengths, directivity within
// 0.15 dB. Further out the FDTD figures scatter from mesh to mesh by some
// tenths of a degree and dB as the walls fall differently on its grid; at
// 0.35 mm horn 2's H-plane 10 dB width is 0.7 deg narrower, its E-plane
// shoulder 1.5 dB higher and its E-plane phase centre 0.25 wavelengths
// further back, gaps that shrank to 0.42 deg, 0.52 dB and 0.03 wavelengths
// for horn 1 from 0.35 to 0.25 mm. The wider margins hold that reference.
constexpr double kWidth3Deg = 0.6;
constexpr double kWidthE10Deg = 0.45;
constexpr double kWidthH10Deg = 1.2;
constexpr double kDirectivityDb = 0.15;
// |S11| from the FDTD's two probes in the guide; a reflection of -35 dB is
// 0.018, where the probes' own error is some 0.003.
constexpr double kReflection = 0.005;
constexpr double kMainBeamDb = 0.35;  // down to -10 dB
constexpr double kShoulderDb = 1.6;   // -10 to -20 dB
constexpr double kPhaseCentreEWl = 0.3;
constexpr double kPhaseCentreHWl = 0.05;

// The choke feed (horn 6) at the plain horns' finest mesh, 0.25 mm, meets
// the same margins but one: its E-plane 10 dB points lie 49 degrees off the
// axis on a slope of 0.28 dB per degree, where the FDTD is 0.19 dB higher
// and its width 1.3 deg wider (at 0.5, 0.3 and 0.25 mm 100.70, 99.20 and
// 98.79 deg, closing on the moment method's 97.45): there the level is
// compared, within the main beam's margin, as for the open guide.

struct Cut {
  std::vector<double> th, db, ph;  // degrees, dB from the axis, degrees
};

// Full beamwidth at `level` dB below the axis, walking out from the axis.
double width(const Cut& c, double level) {
  for (std::size_t i = 1; i < c.th.size(); ++i)
    if (c.db[i] < -level) {
      const double u = (-level - c.db[i - 1]) / (c.db[i] - c.db[i - 1]);
      return 2.0 * (c.th[i - 1] + u * (c.th[i] - c.th[i - 1]));
    }
  return NAN;
}

// Least-squares phase centre over 0 .. half the 10 dB beamwidth, equal weight
// per unit angle: phase = c + 2 pi d (1 - cos theta), d in wavelengths.
double phase_centre(const Cut& c, double bw10) {
  double sw = 0, sg = 0, sp = 0, sgg = 0, sgp = 0, prev = 0, unwrapped = 0;
  for (std::size_t i = 0; i < c.th.size() && c.th[i] <= 0.5 * bw10; ++i) {
    double p = c.ph[i] * kPi / 180.0;
    if (i > 0) p = unwrapped + std::remainder(p - prev, 2.0 * kPi);
    prev = c.ph[i] * kPi / 180.0;
    unwrapped = p;
    const double g = 2.0 * kPi * (1.0 - std::cos(c.th[i] * kPi / 180.0));
    sw += 1;
    sg += g;
    sp += p;
    sgg += g * g;
    sgp += g * p;
  }
  return (sgp - sg * sp / sw) / (sgg - sg * sg / sw);
}

// The E- and H-plane cuts of openems_horn_<n>.txt.
void read_cuts(int n, Cut& e, Cut& h) {
  for (const auto& r : quaven::test::read_rows("openems_horn_" + std::to_string(n) + ".txt")) {
    e.th.push_back(r[0]);
    h.th.push_back(r[0]);
    e.db.push_back(r[1]);
    e.ph.push_back(r[2]);
    h.db.push_back(r[3]);
    h.ph.push_back(r[4]);
  }
}

// The pattern over each plane's main beam down to -20 dB, in front of the
// aperture plane, every `step`-th angle of the reference.
void expect_main_beams(const quaven::fullwave::Horn& horn, const Cut& e, const Cut& h, std::size_t step) {
  double e0, h0;
  horn.power_db(0.0, e0, h0);
  for (int p = 0; p < 2; ++p) {
    const Cut& c = p == 0 ? e : h;
    for (std::size_t i = 0; i < c.th.size() && c.db[i] > -20.0 && c.th[i] <= 90.0; i += step) {
      double pe, ph;
      horn.power_db(c.th[i] * kPi / 180.0, pe, ph);
      EXPECT_NEAR(p == 0 ? pe - e0 : ph - h0, c.db[i], c.db[i] > -10.0 ? kMainBeamDb : kShoulderDb)
          << (p == 0 ? "E " : "H ") << c.th[i];
    }
  }
}

TEST(FullWaveHorn, AgreesWithOpenEmsReferences) {
  const auto horns = quaven::test::read_rows("openems_horns.txt");
  ASSERT_GE(horns.size(), 4u);  // three horns and the open-ended guide
  for (const auto& hr : horns) {
    const int n = static_cast<int>(hr[0]);
    const double ghz = hr[1];
    const quaven::fullwave::Geometry g{hr[2] * 1e-3, hr[3] * 1e-3, hr[4] * 1e-3, hr[5] * 1e-3, hr[6] * 1e-3};
    const quaven::fullwave::Horn horn(g, ghz);
    const quaven::fullwave::Figures f = quaven::fullwave::figures(horn, 3.0, 10.0);
    Cut e, h;
    read_cuts(n, e, h);
    SCOPED_TRACE("horn " + std::to_string(n));
    EXPECT_NEAR(f.level1.e, width(e, 3.0), kWidth3Deg);
    EXPECT_NEAR(f.level1.h, width(h, 3.0), kWidth3Deg);
    // Far off the axis, where the open guide's 10 dB points lie, a pattern
    // falling 0.25 dB per degree turns a tenth of a dB into half a degree:
    // there the level below is compared instead of the width.
    if (width(e, 10.0) < 120.0) {
      EXPECT_NEAR(f.level2.e, width(e, 10.0), kWidthE10Deg);
    }
    if (width(h, 10.0) < 120.0) {
      EXPECT_NEAR(f.level2.h, width(h, 10.0), kWidthH10Deg);
    }
    EXPECT_NEAR(f.directivity_db, hr[9], kDirectivityDb);
    if (hr.size() > 10) {
      EXPECT_NEAR(std::abs(horn.s11()), std::pow(10.0, hr[10] / 20.0), kReflection);
    }
    EXPECT_NEAR(f.phase_centres.e, phase_centre(e, width(e, 10.0)), kPhaseCentreEWl);
    EXPECT_NEAR(f.phase_centres.h, phase_centre(h, width(h, 10.0)), kPhaseCentreHWl);
    expect_main_beams(horn, e, h, 4);
  }
}

TEST(FullWaveHorn, AChokeFeedAgreesWithOpenEms) {
  // Horn 6 of openems_horns.py: horn 4's guide (radius 11.43 mm, 45 mm, 1 mm
  // wall) in a flange of radius 36 mm, 1 mm thick, with one groove from 18
  // to 25.5 mm, 7.5 mm deep, 1 mm walls, its mouth in the aperture plane.
  const auto rows = quaven::test::read_rows("openems_chokes.txt");
  ASSERT_EQ(rows.size(), 1u);
  const auto& hr = rows[0];
  quaven::fullwave::Geometry g{hr[2] * 1e-3, hr[3] * 1e-3, hr[4] * 1e-3, hr[5] * 1e-3, hr[6] * 1e-3};
  g.flange = quaven::fullwave::Flange{36e-3, 1e-3};
  g.chokes = {quaven::fullwave::Choke{18e-3, 7.5e-3, 7.5e-3, 1e-3, 0.0}};
  const quaven::fullwave::Horn horn(g, hr[1]);
  const quaven::fullwave::Figures f = quaven::fullwave::figures(horn, 3.0, 10.0);
  Cut e, h;
  read_cuts(6, e, h);
  EXPECT_NEAR(f.level1.e, width(e, 3.0), kWidth3Deg);
  EXPECT_NEAR(f.level1.h, width(h, 3.0), kWidth3Deg);
  EXPECT_NEAR(f.level2.h, width(h, 10.0), kWidthH10Deg);
  EXPECT_NEAR(f.directivity_db, hr[9], kDirectivityDb);
  EXPECT_NEAR(std::abs(horn.s11()), std::pow(10.0, hr[10] / 20.0), kReflection);
  EXPECT_NEAR(horn.power_balance(), 1.0, 0.01);
  expect_main_beams(horn, e, h, 2);
  // The E plane's level at the FDTD's 10 dB angle.
  double e0, h0, pe, ph;
  horn.power_db(0.0, e0, h0);
  horn.power_db(0.5 * width(e, 10.0) * kPi / 180.0, pe, ph);
  EXPECT_NEAR(pe - e0, -10.0, kMainBeamDb);
}

}  // namespace
