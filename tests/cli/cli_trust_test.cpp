// The command line's domain checks, validity notes, geometry columns and
// number text, driven through run_cli.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "cli/csv.h"

namespace quaven {
namespace {


// The CSV of a run of the command line.
Csv csv(const std::vector<std::string>& args) {
  std::vector<std::string> a = args;
  a.insert(a.end(), {"--format", "csv"});
  const CliRun r = run(a);
  EXPECT_EQ(r.status, 0) << r.err;
  return Csv(r.out);
}

TEST(CliChecks, ImpossibleHornsAndSweepsAreRefusedBeforeAnythingIsWritten) {
  const std::vector<std::string> resp = {"response", "--aperture", "1.2", "--freq-range", "8", "12", "1"};
  const std::vector<std::string> des = {"design", "--freq", "10", "--beamwidth", "30", "--s-range"};
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const auto with = [](std::vector<std::string> a, std::vector<std::string> more) {
    a.insert(a.end(), more.begin(), more.end());
    return a;
  };
  const std::vector<Case> cases = {
      {with(resp, {"--slant", "1.0"}), "--slant 1.0: the slant radius must be greater than the aperture radius (--aperture 1.2)"},
      {with(resp, {"--slant", "0"}), "--slant 0: the slant radius must be greater"},
      {with(resp, {"--slant", "-3", "--exact"}), "--slant -3: the slant radius must be greater"},
      {{"pattern", "--aperture", "2", "--slant", "1.5", "--freq", "10", "--angles", "0", "90", "1"}, "--slant 1.5: "},
      {with(resp, {"--slant", "3", "--throat", "1.2"}), "--throat 1.2: the throat radius must be greater than 0 and less"},
      {with(resp, {"--slant", "3", "--throat", "0"}), "--throat: must be greater than 0"},
      {{"response", "--aperture", "1.2", "--slant", "3", "--freq-range", "-2", "2", "1", "--exact"},
       "--freq-range -2 2 1: every frequency must be greater than 0 GHz, but the sweep reaches -2"},
      {{"response", "--aperture", "1.2", "--slant", "3", "--freq-range", "1", "0", "-0.6"}, "the sweep reaches -0.2"},
      {with(des, {"1", "3", "1"}), "--s-range 1 3 1: S must lie within 0 to 1 cycles, but the sweep reaches 3"},
      {with(des, {"-0.5", "0.1", "0.1", "--exact"}), "but the sweep reaches -0.5"},
      {with(des, {"0", "1", "0.6"}), "but the sweep reaches 1.2"},  // the last value overshoots STOP
      {with(des, {"0.5", "0.1", "0.1"}), "--s-range 0.5 0.1 0.1: the step leads away from the stop"},
      {{"pattern", "--aperture", "1", "--slant", "3", "--freq", "10", "--angles", "90", "0", "5"}, "leads away"},
      // Nonsense that used to run: a beamwidth of 400 degrees (a row of
      // not-a-number), a gain no horn of the models has (a note about the
      // beamwidth), a wall that swallows the guide (17 s of solving), plot
      // options without a plot, an empty file name, 300 million rows.
      {{"design", "--freq", "10", "--beamwidth", "400", "--s-range", "0.1", "0.4", "0.1"},
       "--beamwidth 400: the beamwidth must be greater than 0 and less than 360 degrees"},
      {{"design", "--freq", "10", "--beamwidth", "360", "--exact", "--s-range", "0.1", "0.4", "0.1"}, "--beamwidth 360: "},
      {{"design", "--freq", "10", "--gain", "1000", "--s-range", "0", "0.6", "0.2"},
       "--gain 1000: beyond what the models reach over this --s-range: they give -24.8 to 50.0 dB"},
      {{"design", "--freq", "10", "--gain", "50.1", "--s-range", "0.6", "0.6", "1"}, "--gain 50.1: beyond"},
      {{"design", "--freq", "10", "--gain", "-25", "--s-range", "0", "0", "1"}, "--gain -25: beyond"},
      {{"response", "--full-wave", "--throat", "0.45", "--aperture", "1.2", "--slant", "3", "--freq-range", "10", "10",
        "1", "--wall", "0.45"},
       "--wall 0.45: the wall must be thinner than the feed guide's radius (--throat 0.45)"},
      {{"pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "90", "5", "--plot-polar"},
       "--plot-polar draws the --plot: give --plot FILE"},
      {{"pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "90", "5", "--floor", "-30"},
       "--floor is the --plot's floor: give --plot FILE"},
      {with(resp, {"--slant", "3", "--output", ""}), "--output: the file name is empty"},
      {with(des, {"0.1", "0.4", "1e-9"}), "--s-range 0.1 0.4 1e-9: 300000032 rows, more than 10000000: add --rows-ok"},
      {{"feed", "--freq", "10", "--f-over-d", "0.4", "--s-range", "0", "1", "1e-7"}, "--s-range 0 1 1e-7: 10000001 rows"},
      {with(resp, {"--slant", "3", "--format", "touchstone"}),
       "--format touchstone: a Touchstone file holds S11, which only response --full-wave computes"},
      {{"geometry", "--aperture", "1.2", "--slant", "3", "--throat", "0.45", "--freq", "10", "--format", "stl",
        "--wall", "0"},
       "--wall 0: a solid needs a wall thicker than 0"},
      {{"geometry", "--aperture", "1.2", "--slant", "3", "--throat", "0.45", "--freq", "10", "--segments", "90"},
       "--segments sets the STL's resolution: it needs --format stl"},
      {{"geometry", "--aperture", "1.2", "--slant", "3", "--throat", "0.45", "--freq", "10", "--format", "stl",
        "--segments", "3601"},
       "--segments 3601: must be a whole number from 3 to 3600"},
  };
  for (const auto& c : cases) {
    const CliRun r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.out, "") << c.message;
    EXPECT_EQ(r.err.find("quaven: "), 0u) << r.err;
    EXPECT_NE(r.err.substr(0, r.err.find('\n')).find(c.message), std::string::npos) << r.err;
  }
  // The limits themselves pass: the largest gain at S = 0.6 has an aperture
  // of 100 wavelengths at most, and --rows-ok starts the long sweep.
  const Csv gain = csv({"design", "--freq", "10", "--gain", "49.9", "--s-range", "0.6", "0.6", "1"});
  EXPECT_LE(gain(0, "aperture_radius_in") / (11.80285 / 10.0), 100.0);
  struct Started {
    long long rows;
  };
  const std::vector<const char*> many = {"quaven", "pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10",
                                         "--angles", "0", "90", "8e-6", "--rows-ok"};
  std::ostringstream out, err;
  try {
    run_cli(static_cast<int>(many.size()), many.data(), out, err, {},
            [](long long, long long total) { throw Started{total}; });
    ADD_FAILURE() << "--rows-ok: " << err.str();
  } catch (const Started& s) {
    EXPECT_GT(s.rows, 10000000);
  }
  const CliRun typo = run({"desing", "--freq", "10"});
  EXPECT_EQ(typo.status, 2);
  EXPECT_EQ(typo.err.substr(0, typo.err.find('\n')),
            "quaven: 'desing' is not a subcommand; the subcommands are design, response, pattern, feed and geometry "
            "(did you mean 'design'?)");
}

TEST(CliNotes, RowsSayWhereTheModelsStop) {
  // 60 degrees comes back as 59.1 from the curves; 200 has no horn at all;
  // 150 gives an aperture below the cut-off of its own guide.
  const Csv d60 = csv({"design", "--freq", "10", "--beamwidth", "60", "--s-range", "0", "0", "1"});
  EXPECT_EQ(d60.text(0, "notes"), "beyond_curves");
  EXPECT_LT(d60(0, "beamwidth_e_3db_deg"), 59.5);
  const Csv d200 = csv({"design", "--freq", "10", "--beamwidth", "200", "--s-range", "0", "1", "0.5"});
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(std::isnan(d200(i, "aperture_radius_in")) && std::isnan(d200(i, "slant_radius_in")));
    EXPECT_NE(d200.text(i, "notes").find("beyond_curves"), std::string::npos);
  }
  const Csv d150 = csv({"design", "--freq", "10", "--beamwidth", "150", "--s-range", "0.1", "0.2", "0.1"});
  EXPECT_EQ(d150.text(0, "notes"), "below_cutoff;beyond_curves");
  EXPECT_EQ(d150.text(1, "notes"), "below_cutoff;beyond_curves;not_a_cone");
  EXPECT_TRUE(std::isnan(d150(1, "flare_half_angle_deg")));
  // The README's horn: no note at its design.
  const Csv ok = csv({"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0.1", "0.5", "0.1"});
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(ok.text(i, "notes"), "") << i;

  // The 1.2 in aperture is cut off below 11.80285 * 1.8412 / (2 pi 1.2) =
  // 2.882 GHz; S passes 1 above 49.18 GHz; a 0.4 in throat carries TE11
  // alone from 8.645 to 11.291 GHz.
  const Csv r = csv({"response", "--aperture", "1.2", "--slant", "3", "--freq-range", "2.5", "52.5", "2.5", "--throat",
                     "0.4"});
  ASSERT_EQ(r.size(), 21u);
  for (std::size_t i = 0; i < r.size(); ++i) {
    const double f = 2.5 * static_cast<double>(i + 1), wl = 11.80285 / f;
    EXPECT_NEAR(r(i, "s_cycles"), 1.2 * 1.2 / (2 * wl * 3), 1e-6) << f;
    EXPECT_NEAR(r(i, "aperture_wavelengths"), 1.2 / wl, 1e-6) << f;
    std::string want;
    if (f < 2.882) want = "below_cutoff";
    if (f > 49.18) want = "s_above_1";
    if (f < 8.645 || f > 11.291) want += want.empty() ? "throat_not_single_mode" : ";throat_not_single_mode";
    EXPECT_EQ(r.text(i, "notes"), want) << f;
  }
  // The table keeps its lines; each kind of note goes once to standard error.
  const CliRun t = run({"response", "--aperture", "1.2", "--slant", "3", "--freq-range", "1", "3", "0.5", "--exact"});
  EXPECT_EQ(t.status, 0);
  EXPECT_EQ(t.err.substr(0, t.err.find(':', 10)), "quaven: note at 1 to 2.5 GHz (4 rows)") << t.err;
  EXPECT_EQ(std::count(t.err.begin(), t.err.end(), '\n'), 1);
}

TEST(CliGeometry, TheConesShapeAndTheShortestNumbers) {
  const Csv g = csv({"response", "--aperture", "3", "--slant", "5", "--freq-range", "10", "10", "1", "--throat", "1",
                     "--units", "cm"});
  EXPECT_EQ(g.text(0, "cone_length_cm"), "4");
  EXPECT_EQ(g.text(0, "horn_length_cm"), "2.6666667");
  EXPECT_EQ(g.text(0, "flare_half_angle_deg"), "36.869896");
  const Csv e = csv({"response", "--aperture", "3", "--slant", "5", "--freq-range", "10", "10", "1", "--exact"});
  EXPECT_EQ(e.text(0, "flare_half_angle_deg"), "36.86989764584402");
  // Inputs and values as the shortest text that reads back to the same
  // float (legacy) or double (exact).
  const Csv d = csv({"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0.2", "0.2", "1"});
  EXPECT_EQ(d.text(0, "s_cycles"), "0.2");
  const CliRun j = run({"response", "--aperture", "1.2", "--slant", "3.0", "--freq-range", "8.1", "8.2", "0.1", "--exact",
                     "--level", "6", "--format", "json"});
  ASSERT_EQ(j.status, 0) << j.err;
  EXPECT_NE(j.out.find("\"aperture_radius\": 1.2,\n    \"slant_radius\": 3,"), std::string::npos) << j.out;
  const auto doc = nlohmann::json::parse(j.out);
  EXPECT_EQ(doc["rows"][1]["frequency_ghz"].dump(), "8.2");  // 8.1 + 0.1 in double
  EXPECT_EQ(doc["columns"][1], "beamwidth_e_6db_deg");
}

// The full wave's default body is the guide's own: 1.5 and 1/20 of its TE11
// cut-off wavelength 2 pi b / chi'11 (A&S 9.5: chi'11 = 1.8411837813...),
// so one horn gives the same row at 10 GHz from any sweep, and the port fits
// from just above the guide's TE11 cut-off (7.69 GHz) to below its TM11 one
// (16.0 GHz; 15 GHz was once refused as "feed guide too short"). The body is
// a line above the table and columns of every row.
TEST(CliFullWaveBody, OneHornIsOneBodyWhateverTheSweep) {
  const std::vector<std::string> horn = {"response", "--full-wave", "--throat", "0.45", "--aperture", "1.2",
                                         "--slant", "3", "--freq-range"};
  const auto with = [&](std::vector<std::string> range) {
    std::vector<std::string> a = horn;
    a.insert(a.end(), range.begin(), range.end());
    return a;
  };
  const Csv alone = csv(with({"10", "10", "1"})), swept = csv(with({"8", "10", "2"}));
  ASSERT_EQ(alone.size(), 1u);
  ASSERT_EQ(swept.size(), 2u);
  for (const std::string& c : alone.columns()) EXPECT_EQ(alone.text(0, c), swept.text(1, c)) << c;
  const double cutoff_wl = 2.0 * 3.14159265358979323846 * 0.45 / 1.8411837813406593;
  EXPECT_NEAR(alone(0, "guide_radius_in"), 0.45, 1e-15);
  EXPECT_NEAR(alone(0, "guide_length_in"), 1.5 * cutoff_wl, 1e-12);
  EXPECT_NEAR(alone(0, "wall_in"), cutoff_wl / 20.0, 1e-13);
  const Csv edges = csv(with({"7.75", "15.75", "8"}));
  ASSERT_EQ(edges.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(std::isfinite(edges(i, "s11_db"))) << i;
    EXPECT_NEAR(edges(i, "power_balance"), 1.0, 0.01) << i;
  }
  const CliRun t = run(with({"10", "10", "1"}));
  EXPECT_EQ(t.out.substr(0, t.out.find('\n')),
            "Full-wave body: feed guide radius 0.45 in, length 2.3035 in, wall 0.076783 in");
  // The drawing of the horn is of that body, with or without a frequency.
  const Csv drawn = csv({"geometry", "--aperture", "1.2", "--slant", "3", "--throat", "0.45"});
  EXPECT_EQ(drawn.text(0, "guide_length_in"), alone.text(0, "guide_length_in"));
  EXPECT_EQ(drawn.text(0, "wall_in"), alone.text(0, "wall_in"));
}

// Every full-wave row checks itself: radiated over net guide power is its
// power_balance column, and a row more than 1 per cent off is noted. The
// thick-walled reference horn at 9.700 GHz, where the electric-field
// equation had an interior resonance (S11 -4.9 dB against -44.6 dB 4 MHz
// below, balance 1.08, the row noted), now balances on the combined-field
// equation, its S11 as smooth as its neighbour's, and no note is given.
TEST(CliFullWaveBody, PowerBalanceOfTheOnceResonantBody) {
  const std::vector<std::string> args = {"response", "--full-wave", "--throat", "0.45", "--aperture", "1.2",
                                         "--slant", "3", "--wall", "0.073771", "--guide-length", "2.21314",
                                         "--freq-range", "9.696", "9.7", "0.004"};
  const Csv rows = csv(args);
  ASSERT_EQ(rows.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_NEAR(rows(i, "power_balance"), 1.0, 0.01) << i;
    EXPECT_EQ(rows.text(i, "notes"), "") << i;
    EXPECT_LT(rows(i, "s11_db"), -30.0) << i;
  }
  EXPECT_EQ(run(args).err, "");
}

}  // namespace
}  // namespace quaven
