// design --full-wave and design --band, driven through run_cli: every
// designed horn solved again by `response` has the figure asked for.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/csv.h"

namespace quaven {
namespace {

Csv csv_of(std::vector<std::string> args) {
  args.insert(args.end(), {"--format", "csv"});
  const CliRun r = run(args);
  EXPECT_EQ(r.status, 0) << r.err;
  return Csv(r.out);
}

// The designed horn of `row` solved by `response --full-wave` on the same
// (default) body at `freqs` ("10 10 1"), its beamwidths at `level`.
Csv solved_again(const Csv& d, std::size_t row, const std::string& level, const std::vector<std::string>& freqs) {
  std::vector<std::string> a = {"response", "--full-wave", "--throat", "0.45", "--aperture",
                                d.text(row, "aperture_radius_in"), "--slant", d.text(row, "slant_radius_in"),
                                "--level", level, "--freq-range"};
  a.insert(a.end(), freqs.begin(), freqs.end());
  return csv_of(a);
}

// Designs in the E, H and mean planes at 3 and 10 dB and to a directivity,
// on the reference guide at 10 GHz: the figure of each horn solved again
// within 0.02 degree or 0.01 dB; S = 0 has no design (a horn wider than its
// guide needs a flare), nor has a 3-degree beam, whose horn (a cone some 500
// wavelengths long) the solver refuses: each says so with not-a-number,
// the run going on.
TEST(CliFullWaveDesign, EachHornSolvedAgainHasTheRequestedFigure) {
  struct Case {
    std::string plane, level, beamwidth, s;
  };
  const std::vector<Case> cases = {{"E", "3", "30", "0.2"}, {"H", "3", "36", "0.3"}, {"avg", "3", "33", "0.1"},
                                   {"E", "10", "56", "0.25"}, {"H", "10", "62", "0.15"}, {"avg", "10", "60", "0.3"}};
  for (const Case& c : cases) {
    const Csv d = csv_of({"design", "--full-wave", "--throat", "0.45", "--freq", "10", "--beamwidth", c.beamwidth,
                          "--level", c.level, "--plane", c.plane, "--s-range", c.s, c.s, "1"});
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d.text(0, "notes"), "") << c.plane << c.level;
    const Csv r = solved_again(d, 0, c.level, {"10", "10", "1"});
    const double e = r(0, "beamwidth_e_" + c.level + "db_deg"), h = r(0, "beamwidth_h_" + c.level + "db_deg");
    const double got = c.plane == "E" ? e : c.plane == "H" ? h : 0.5 * (e + h);
    EXPECT_NEAR(got, std::stod(c.beamwidth), 0.02) << c.plane << " " << c.level;
    EXPECT_NEAR(d(0, "gain_db"), r(0, "gain_db"), 1e-6);  // the slant radius back from its unit
  }
  const Csv g = csv_of({"design", "--full-wave", "--throat", "0.45", "--freq", "10", "--gain", "16", "--s-range", "0",
                        "0.3", "0.3"});
  ASSERT_EQ(g.size(), 2u);
  EXPECT_TRUE(std::isnan(g(0, "aperture_radius_in")));
  EXPECT_TRUE(std::isnan(g(0, "gain_db")));
  EXPECT_EQ(g.text(0, "notes"), "no_full_wave_design");
  EXPECT_NEAR(solved_again(g, 1, "3", {"10", "10", "1"})(0, "gain_db"), 16.0, 0.01);
  const Csv narrow = csv_of({"design", "--full-wave", "--throat", "0.45", "--freq", "10", "--beamwidth", "3",
                             "--s-range", "0.1", "0.1", "1"});
  EXPECT_TRUE(std::isnan(narrow(0, "aperture_radius_in")));
  EXPECT_EQ(narrow.text(0, "notes"), "no_full_wave_design");
}

// --band: the figure aimed at at both edges of the band is the designed
// horn's own response there, in the aperture model and in the full wave
// (there to the beam walk's tolerance, the slant radius read back from its
// unit), whose worst S11 in the band is no better than either edge's.
TEST(CliFullWaveDesign, BandEdgesAreTheDesignedHornsResponse) {
  const Csv ex = csv_of({"design", "--exact", "--freq", "10", "--beamwidth", "30", "--plane", "H", "--s-range", "0.2",
                         "0.2", "1", "--band", "9", "11"});
  const Csv er = csv_of({"response", "--exact", "--aperture", ex.text(0, "aperture_radius_in"), "--slant",
                         ex.text(0, "slant_radius_in"), "--freq-range", "9", "11", "2"});
  EXPECT_NEAR(ex(0, "beamwidth_band_low_deg"), er(0, "beamwidth_h_3db_deg"), 1e-9);
  EXPECT_NEAR(ex(0, "beamwidth_band_high_deg"), er(1, "beamwidth_h_3db_deg"), 1e-9);
  EXPECT_GT(ex(0, "phase_centre_h_spread_wl"), 0.0);

  const Csv fw = csv_of({"design", "--full-wave", "--throat", "0.45", "--freq", "10", "--beamwidth", "30", "--s-range",
                         "0.2", "0.2", "1", "--band", "9.5", "10.5"});
  const Csv fr = solved_again(fw, 0, "3", {"9.5", "10.5", "1"});
  EXPECT_NEAR(fw(0, "beamwidth_band_low_deg"), fr(0, "beamwidth_e_3db_deg"), 1e-5);
  EXPECT_NEAR(fw(0, "beamwidth_band_high_deg"), fr(1, "beamwidth_e_3db_deg"), 1e-5);
  EXPECT_GE(fw(0, "s11_band_worst_db"), std::max(fr(0, "s11_db"), fr(1, "s11_db")) - 1e-3);
  const CliRun bad = run({"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0.2", "0.2", "1", "--band",
                          "11", "9"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err.rfind("quaven: --band 11 9: the band's second frequency must be above its first", 0), 0u)
      << bad.err;
}

}  // namespace
}  // namespace quaven
