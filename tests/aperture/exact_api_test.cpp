// The exact-mode value API: horns given in metres and GHz against the
// high-precision references given in wavelengths, and the design, response
// and pattern calls against each other.
#include "aperture/exact_api.h"
#include "test_data.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quaven {
namespace exact {
namespace {

// 299 792 458 m/s at 10 GHz, written out.
constexpr double kLambda10 = kLight / 10e9;

// The reference horns (aw, S) built in metres at 10 GHz give the reference
// beamwidths back, and the response reports the aw and S it was given.
TEST(ExactApi, HornsInMetresMatchTheReferenceBeamwidths) {
  for (const auto& r : test::read_rows("exact_beamwidths.txt")) {
    ResponseRequest q;
    q.frequency_ghz = 10.0;
    q.aperture_radius_m = r[0] * kLambda10;
    q.slant_radius_m = r[1] == 0.0 ? kInf : q.aperture_radius_m * q.aperture_radius_m / (2.0 * kLambda10 * r[1]);
    const HornResponse h = response(q);
    EXPECT_NEAR(h.wavelength_m, kLambda10, 1e-17);
    EXPECT_NEAR(h.aperture_radius_wl, r[0], 1e-12 * r[0]);
    EXPECT_NEAR(h.s_cycles, r[1], 1e-12);
    const double got[4] = {h.beamwidths_1.e_plane_deg, h.beamwidths_1.h_plane_deg, h.beamwidths_2.e_plane_deg,
                           h.beamwidths_2.h_plane_deg};
    for (int k = 0; k < 4; ++k) {
      if (std::isnan(r[2 + k])) {
        EXPECT_TRUE(std::isnan(got[k]));
      } else {
        EXPECT_NEAR(got[k], r[2 + k], 0.01) << "aw=" << r[0] << " S=" << r[1] << " column " << k;
      }
    }
  }
}

// A designed horn, taken back through its radii in metres, has the requested
// beamwidth at 3 dB, and its pattern is 3 dB below the axis at half of it.
TEST(ExactApi, DesignResponseAndPatternAgree) {
  for (const double s : {0.0, 0.25, 0.5}) {
    DesignRequest q;
    q.frequency_ghz = 12.0;
    q.beamwidth_deg = 24.0;
    q.plane = Plane::h;
    q.s_cycles = s;
    const HornDesign d = design(q);
    ASSERT_TRUE(d.found()) << s;
    EXPECT_EQ(std::isinf(d.slant_radius_m), s == 0.0);
    EXPECT_NEAR(d.response.beamwidths_1.h_plane_deg, 24.0, 1e-6);
    const HornResponse h = response({d.aperture_radius_m, d.slant_radius_m, 12.0, 3.0, 10.0});
    EXPECT_NEAR(h.beamwidths_1.h_plane_deg, 24.0, 1e-6) << s;
    EXPECT_NEAR(h.gain_db, d.response.gain_db, 1e-9) << s;

    const PatternEvaluator p(d.aperture_radius_m, d.slant_radius_m, 12.0);
    EXPECT_NEAR(p.at(0.0).amplitude_h_db - p.at(12.0).amplitude_h_db, 3.0, 1e-6) << s;
  }
}

// On the axis of an in-phase aperture the amplitude is the directivity,
// (k a)^2 times the TE11 aperture efficiency 2/(chi^2 - 1), in dBi, with
// phase 0; with phase deviation the axis value is the response's gain.
TEST(ExactApi, PatternIsTheDirectivityOnTheAxis) {
  const PatternEvaluator p(2.0 * kLambda10, kInf, 10.0);
  const PatternPoint at0 = p.at(0.0);
  const double pi = kPi;
  const double want = 10.0 * std::log10(std::pow(2.0 * pi * 2.0, 2) * 2.0 / (kChi11 * kChi11 - 1.0));
  EXPECT_NEAR(at0.amplitude_e_db, want, 1e-9);
  EXPECT_NEAR(at0.amplitude_h_db, want, 1e-9);
  EXPECT_NEAR(at0.phase_e_deg, 0.0, 1e-9);
  for (const double slant : {0.08, 0.2}) {
    ResponseRequest q;
    q.aperture_radius_m = 0.03;
    q.slant_radius_m = slant;
    q.frequency_ghz = 10.0;
    const PatternEvaluator horn(q.aperture_radius_m, slant, 10.0);
    EXPECT_NEAR(horn.at(0.0).amplitude_e_db, response(q).gain_db, 1e-12) << slant;
  }
}

}  // namespace
}  // namespace exact
}  // namespace quaven
