#include "feed/feed.h"
#include "numeric/constants.h"
#include "test_data.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace quaven {
namespace feed {
namespace {


// An ideal feed of power pattern cos^q theta over the front half-space,
// nothing behind, with its phase centre z0 wavelengths behind its reference.
Pattern ideal(double q, double z0 = 0.0) {
  return [q, z0](double th) {
    const double a = th < 0.5 * kPi ? std::pow(std::cos(th), 0.5 * q) : 0.0;
    const std::complex<double> v = std::polar(a, -2.0 * kPi * z0 * std::cos(th));
    return exact::Field{v, v};
  };
}

void expect_product(const Efficiencies& e, const std::string& what) {
  EXPECT_NEAR(e.spillover * e.polarisation * e.illumination * e.phase / e.aperture, 1.0, 1e-12) << what;
}

// Spillover 1 - cos^(q+1) theta0, and for q = 2 the aperture efficiency
// 24 [sin^2(theta0/2) + ln cos(theta0/2)]^2 cot^2(theta0/2) (Silver 1949,
// sec. 12.5); a feed without cross-polarisation or phase error has
// eta_pol = eta_phi = 1 with its phase centre at the focus.
TEST(FeedIdeal, ClosedFormsOfTheCosineFeeds) {
  for (double q : {2.0, 4.0, 6.0}) {
    for (double fd : {0.26, 0.3, 0.4, 0.5, 0.7, 1.0}) {
      const double t0 = rim_half_angle(fd);
      const std::string what = "q=" + std::to_string(q) + " f/D=" + std::to_string(fd);
      const Judgement j = judge(ideal(q), t0);
      EXPECT_NEAR(j.best.spillover, 1.0 - std::pow(std::cos(t0), q + 1.0), 1e-10) << what;
      EXPECT_NEAR(j.best.polarisation, 1.0, 1e-12) << what;
      EXPECT_NEAR(j.best.phase, 1.0, 1e-10) << what;
      EXPECT_NEAR(j.focus_behind_aperture_wl, 0.0, 1e-6) << what;
      EXPECT_EQ(j.edge_taper_e_db, j.edge_taper_h_db);
      const double space = 20.0 * std::log10(0.5 * (1.0 + std::cos(t0)));
      EXPECT_NEAR(j.edge_taper_e_db, 10.0 * q * std::log10(std::cos(t0)) + space, 1e-9);
      expect_product(j.best, what);
      if (q == 2.0) {
        const double h = 0.5 * t0, sh = std::sin(h);
        const double closed = 24.0 * std::pow(sh * sh + std::log(std::cos(h)), 2) / std::pow(std::tan(h), 2);
        EXPECT_NEAR(j.best.aperture, closed, 1e-10) << what;
      }
    }
  }
}

// The best of the cos^2 feed over f/D lies near 0.83 with an edge taper
// near -10.5 dB, the textbook figures.
TEST(FeedIdeal, CosineSquaredPeaksNearEightyPerCentAtTenDbTaper) {
  double best = 0.0, taper = 0.0;
  for (double fd = 0.3; fd < 0.6; fd += 0.005) {
    const Judgement j = judge(ideal(2.0), rim_half_angle(fd));
    if (j.best.aperture > best) {
      best = j.best.aperture;
      taper = j.edge_taper_e_db;
    }
  }
  EXPECT_NEAR(best, 0.829, 0.002);
  EXPECT_GT(taper, -11.5);
  EXPECT_LT(taper, -9.5);
}

// A feed whose phase centre lies z0 behind its reference is best with the
// focus there, the phase error then gone; found over the whole range.
TEST(FeedIdeal, BestFocusIsThePhaseCentre) {
  for (double z0 : {-2.5, 0.7, 13.3, 47.0}) {
    Options o;
    o.extent_wl = std::fabs(z0) + 1.0;  // the sources lie z0 from the reference
    const Judgement j = judge(ideal(4.0, z0), rim_half_angle(0.45), o);
    EXPECT_NEAR(j.focus_behind_aperture_wl, z0, 1e-7) << z0;
    EXPECT_NEAR(j.best.phase, 1.0, 1e-10) << z0;
    EXPECT_LT(j.aperture_efficiency_at_aperture_plane, j.best.aperture - 0.01) << z0;
  }
}

// Horns on dishes against the two-dimensional geometrical-optics integration
// of tests/feed/gen_feed_refs.py.
TEST(FeedHorn, AgreesWithTheTwoDimensionalReference) {
  const auto rows = test::read_rows("feed_refs.txt");
  ASSERT_GE(rows.size(), 3u);
  for (const auto& r : rows) {
    const Judgement j = judge_horn(r[0], r[1], r[2]);
    const std::string& what = r.line;
    EXPECT_NEAR(j.best.aperture, r[3], 1e-4) << what;
    EXPECT_NEAR(j.best.spillover, r[4], 1e-4) << what;
    EXPECT_NEAR(j.best.illumination, r[5], 1e-4) << what;
    EXPECT_NEAR(j.best.phase, r[6], 1e-4) << what;
    EXPECT_NEAR(j.best.polarisation, r[7], 1e-4) << what;
    EXPECT_NEAR(j.aperture_efficiency_at_aperture_plane, r[8], 1e-4) << what;
    EXPECT_NEAR(j.focus_behind_aperture_wl, r[9], 1e-3) << what;
    EXPECT_NEAR(j.edge_taper_e_db, r[10], 0.01) << what;
    EXPECT_NEAR(j.edge_taper_h_db, r[11], 0.01) << what;
    EXPECT_NEAR(j.cross_pol_45_db, r[12], 0.01) << what;
    expect_product(j.best, what);
  }
}

// The quadrature orders chosen from the horn's size and the search range
// against orders twice as high, over small and large horns and dishes.
TEST(FeedHorn, QuadratureHasConverged) {
  for (double aw : {0.35, 1.2, 4.0, 9.0}) {
    for (double s : {0.0, 0.3, 0.9}) {
      for (double fd : {0.25, 0.5, 1.2}) {
        const exact::Horn horn(aw, s);
        const Pattern p = [&horn](double th) { return horn.field(th); };
        Options o;
        o.extent_wl = aw;
        o.back_wl = std::min(60.0, apex_behind_aperture_wl(aw, s));
        Options fine = o;
        fine.order_scale = 2.0;
        const double t0 = rim_half_angle(fd);
        const Judgement a = judge(p, t0, o), b = judge(p, t0, fine);
        const std::string what = "aw=" + std::to_string(aw) + " S=" + std::to_string(s) + " f/D=" + std::to_string(fd);
        EXPECT_NEAR(a.best.aperture, b.best.aperture, 1e-9) << what;
        EXPECT_NEAR(a.best.spillover, b.best.spillover, 1e-9) << what;
        // (|CO| has kinks at its nulls when the rim lies beyond the first.)
        EXPECT_NEAR(a.best.illumination, b.best.illumination, 1e-9) << what;
        EXPECT_NEAR(a.best.polarisation, b.best.polarisation, 1e-9) << what;
        EXPECT_NEAR(a.focus_behind_aperture_wl, b.focus_behind_aperture_wl, 1e-6) << what;
      }
    }
  }
}

// The design searches: the best aperture is a maximum, the taper design
// meets its taper, the best design beats every step of its range.
TEST(FeedDesign, SearchesFindWhatTheyPromise) {
  for (double fd : {0.35, 0.6, 1.0}) {
    for (double s : {0.0, 0.3}) {
      const Design d = best_aperture(fd, s);
      const double eta = d.judgement.best.aperture;
      EXPECT_GT(eta, 0.5) << fd;
      EXPECT_GE(eta + 1e-9, judge_horn(d.aw * 1.01, s, fd).best.aperture) << fd << " " << s;
      if (d.aw > 1.01 * std::max(physical::chi / (2.0 * kPi), 2.0 * s)) {
        EXPECT_GE(eta + 1e-9, judge_horn(d.aw / 1.01, s, fd).best.aperture) << fd << " " << s;
      }
      const Design t = taper_aperture(fd, s, -12.0);
      if (s > 0.0 && std::isnan(t.aw)) continue;  // the smallest such horn tapers more
      EXPECT_NEAR(0.5 * (t.judgement.edge_taper_e_db + t.judgement.edge_taper_h_db), -12.0, 1e-8) << fd << " " << s;
    }
    const Design b = best_design(fd);
    for (double s = 0.0; s <= 1.0; s += 0.25) {
      EXPECT_GE(b.judgement.best.aperture + 1e-7, best_aperture(fd, s).judgement.best.aperture) << fd << " " << s;
    }
  }
}

// The value API in metres and GHz: the worked example of the notes, a
// 10 GHz feed for f/D = 0.4 (lambda = 29.979 mm), judged as the horn in
// wavelengths, and a design whose radii give back its S.
TEST(FeedValues, MetresAndGigahertz) {
  const double wl = kLight * 1e-9 / 10.0;
  const FeedRow r = judge(JudgeRequest{0.02, 0.05, 10.0, 0.4});
  const Judgement j = judge_horn(0.02 / wl, 0.02 * 0.02 / (2.0 * wl * 0.05), 0.4);
  EXPECT_DOUBLE_EQ(r.judgement.best.aperture, j.best.aperture);
  EXPECT_NEAR(r.focus_behind_aperture_m, j.focus_behind_aperture_wl * wl, 1e-15);
  const FeedRow d = design(DesignRequest{10.0, 0.4, 0.2});
  EXPECT_NEAR(d.aperture_radius_m * d.aperture_radius_m / (2.0 * wl * d.slant_radius_m), 0.2, 1e-12);
  EXPECT_NEAR(d.gain_db, exact::gain_db(d.aperture_radius_m / wl, 0.2), 1e-9);
  const FeedRow b = best_design_row(10.0, 0.4);
  EXPECT_TRUE(std::isinf(b.slant_radius_m));  // S = 0: the open end of a guide
  EXPECT_NEAR(b.aperture_radius_m, 0.01384, 2e-5);
}

// The scaled pattern: the axis value is the gain, and the 45-degree plane
// holds (A + B)/2 and (A - B)/2 on that scale.
TEST(FeedValues, PolarPatternOnTheGainScale) {
  const double wl = kLight * 1e-9 / 10.0;
  const PolarPattern p(0.03, 0.09, 10.0);
  const double aw = 0.03 / wl, s = 0.03 * 0.03 / (2.0 * wl * 0.09);
  EXPECT_NEAR(20.0 * std::log10(std::abs(p.at(0.0, 0.0).co)), exact::gain_db(aw, s), 1e-12);
  const exact::Horn horn(aw, s);
  const exact::Field f = horn.field(0.5), f0 = horn.field(0.0);
  const Polarised q = p.at(0.5 / physical::rad_per_deg, 45.0);
  const double g = std::pow(10.0, exact::gain_db(aw, s) / 20.0) / std::abs(f0.e);
  EXPECT_LT(std::abs(q.co - 0.5 * g * (f.e + f.h)) + std::abs(q.xp - 0.5 * g * (f.e - f.h)), 1e-12 * g);
}

TEST(FeedDesign, RefusesWhatHasNoMeaning) {
  for (double fd : {0.0, -0.4, std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_TRUE(std::isnan(rim_half_angle(fd)));
    EXPECT_TRUE(std::isnan(judge_horn(1.0, 0.2, fd).best.aperture));
    EXPECT_TRUE(std::isnan(best_aperture(fd, 0.2).aw));
  }
  EXPECT_TRUE(std::isnan(taper_aperture(0.4, 0.2, 0.0).aw));
  const Design none = taper_aperture(0.4, 0.3, -12.0);  // the smallest horn of S = 0.3 tapers more
  EXPECT_TRUE(std::isnan(none.aw) && std::isnan(none.judgement.best.aperture));
  EXPECT_NEAR(none.judgement.rim_half_angle_deg, 64.0107664, 1e-6);
  EXPECT_TRUE(std::isnan(taper_aperture(0.4, 0.2, 3.0).aw));
  EXPECT_TRUE(std::isnan(judge_horn(-1.0, 0.2, 0.4).best.aperture));
  // Absurd but finite horns and options end, in bounded time and memory.
  EXPECT_FALSE(judge_horn(1e9, 0.0, 0.4).best.aperture > 1.0);
  Options o;
  o.extent_wl = std::nan("");
  o.back_wl = 1e12;  // searched to 100 wavelengths
  EXPECT_NEAR(judge(ideal(2.0), rim_half_angle(0.4), o).best.aperture, 0.8270535844, 1e-9);
  EXPECT_TRUE(std::isnan(efficiencies(ideal(2.0), 1.0, 101.0).aperture));
}

// Ludwig's third definition against the field projected on its unit
// vectors co = theta^ cos phi - phi^ sin phi, xp = theta^ sin phi + phi^ cos phi.
TEST(FeedPolarisation, LudwigThirdDefinition) {
  const exact::Field f{{0.8, -0.3}, {0.5, 0.4}};
  for (double phi : {0.0, 0.3, kPi / 4, 1.2, kPi / 2, 2.5}) {
    const std::complex<double> et = f.e * std::cos(phi), ep = -f.h * std::sin(phi);
    const Polarised p = ludwig3(f, phi);
    EXPECT_LT(std::abs(p.co - (et * std::cos(phi) - ep * std::sin(phi))), 1e-15);
    EXPECT_LT(std::abs(p.xp - (et * std::sin(phi) + ep * std::cos(phi))), 1e-15);
  }
  const Polarised p45 = plane45(f), l45 = ludwig3(f, kPi / 4);
  EXPECT_LT(std::abs(p45.co - l45.co) + std::abs(p45.xp - l45.xp), 1e-15);
}

}  // namespace
}  // namespace feed
}  // namespace quaven
