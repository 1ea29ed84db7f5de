// The feed subcommand and the exact pattern's 45-degree plane and .cut form,
// driven through run_cli.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "cli/csv.h"
#include "feed/feed.h"
#include "fullwave/fullwave_feed.h"
#include "numeric/constants.h"
#include "reference.h"

namespace quaven {
namespace {


// A horn of 0.6 x 3 inches at 10 GHz on three dishes: the library's figures
// for the horn in wavelengths, the units converted here.
TEST(CliFeed, JudgesTheHornInWavelengths) {
  const CliRun r = run({"feed", "--freq", "10", "--f-over-d-range", "0.3", "0.5", "0.1", "--aperture", "0.6",
                        "--slant", "3", "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Csv rows(r.out);
  ASSERT_EQ(rows.size(), 3u);
  const double wl = kLight * 1e-9 / 10.0, a = 0.6 * kInch, rs = 3 * kInch;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const double fd = 0.3 + 0.1 * static_cast<double>(i);
    const feed::Judgement j = feed::judge_horn(a / wl, a * a / (2.0 * wl * rs), fd);
    EXPECT_NEAR(rows(i, "f_over_d"), fd, 1e-12);
    EXPECT_NEAR(rows(i, "aperture_efficiency"), j.best.aperture, 1e-12);
    EXPECT_NEAR(rows(i, "spillover_efficiency") * rows(i, "illumination_efficiency") * rows(i, "phase_efficiency") *
                    rows(i, "polarisation_efficiency"),
                rows(i, "aperture_efficiency"), 1e-12);
    EXPECT_NEAR(rows(i, "focus_behind_aperture_wl"), j.focus_behind_aperture_wl, 1e-9);
    EXPECT_NEAR(rows(i, "edge_taper_e_db"), j.edge_taper_e_db, 1e-9);
  }
}

// A design sweep marks exactly its best row, and each row's radii give back
// its S.
TEST(CliFeed, DesignSweepMarksItsBestRow) {
  const CliRun r = run({"feed", "--freq", "10", "--f-over-d", "0.6", "--s-range", "0", "0.6", "0.2", "--units",
                        "cm", "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Csv rows(r.out);
  ASSERT_EQ(rows.size(), 4u);
  double best = -1.0, marked = -2.0;
  int marks = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    best = std::max(best, rows(i, "aperture_efficiency"));
    if (rows(i, "best") == 1.0) {
      ++marks;
      marked = rows(i, "aperture_efficiency");
    }
    const double s = rows(i, "s_cycles"), a = rows(i, "aperture_radius_cm") / 100.0,
                 rs = rows(i, "slant_radius_cm") / 100.0, wl = kLight * 1e-9 / 10.0;
    if (s > 0.0) {
      EXPECT_NEAR(a * a / (2.0 * wl * rs), s, 1e-9);
    }
  }
  EXPECT_EQ(marks, 1);
  EXPECT_EQ(marked, best);
}

// Refused before anything is written, with exit status 2.
TEST(CliFeed, RefusesWhatHasNoMeaning) {
  const std::vector<std::vector<std::string>> bad = {
      {"feed", "--freq", "10", "--f-over-d", "0"},
      {"feed", "--freq", "10", "--f-over-d", "-0.4"},
      {"feed", "--freq", "10", "--f-over-d-range", "0.5", "-0.1", "0.2"},
      {"feed", "--freq", "10", "--f-over-d", "0.4", "--taper", "0"},
      {"feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "1", "--slant", "0.5"},
      {"feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "1"},
      {"feed", "--freq", "10"},
      {"feed", "--freq", "10", "--f-over-d", "0.4", "--s-range", "0", "1.5", "0.5"},
      {"pattern", "--aperture", "1", "--slant", "3", "--freq", "10", "--angles", "0", "90", "1", "--format", "cut"},
      // The full wave needs the guide (and a design its --s-range); its options need it.
      {"feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "1.2", "--slant", "3", "--full-wave"},
      {"feed", "--freq", "10", "--f-over-d", "0.4", "--full-wave", "--throat", "0.45"},
      {"feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "1.2", "--slant", "3", "--throat", "0.45"},
      {"feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "1.2", "--slant", "3", "--wall", "0"},
      {"feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "1.2", "--slant", "inf", "--full-wave", "--throat",
       "0.45"},
  };
  for (const auto& args : bad) {
    const CliRun r = run(args);
    std::string line;
    for (const auto& a : args) line += " " + a;
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_NE(r.err.find("quaven: "), std::string::npos);
  }
  // A horn below the TE11 cut-off is judged, with a note.
  const CliRun c = run({"feed", "--freq", "10", "--f-over-d", "0.4", "--aperture", "0.2", "--slant", "inf",
                        "--format", "csv"});
  EXPECT_EQ(c.status, 0);
  EXPECT_NE(c.out.find("below_cutoff"), std::string::npos);
}

// A full-wave design whose horn the solver refuses (a cone some hundred
// wavelengths long at f/D 10 and S = 0.05) used to end the program with an
// uncaught exception; it is refused by name, exit status 2.
TEST(CliFeed, FullWaveDesignBeyondTheSolverIsRefusedNotAborted) {
  const CliRun r = run({"feed", "--freq", "10", "--f-over-d", "10", "--full-wave", "--throat", "0.45", "--s-range",
                        "0.05", "0.05", "1"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("quaven: --full-wave: the body needs more than 4000 unknowns", 0), 0u) << r.err;
}

// With --full-wave the rows are the library's judgement of the solved horn
// (the body's defaults at the frequency), S11 last (in dB, then its real
// and imaginary parts); the table gains an S11 column after the gain and
// nothing else.
TEST(CliFeed, FullWaveJudgesTheSolvedHorn) {
  const std::vector<std::string> args = {"feed",       "--freq", "10",      "--f-over-d-range", "0.4", "1", "0.6",
                                         "--aperture", "1.2",    "--slant", "3"};
  std::vector<std::string> fw = args;
  for (const char* x : {"--full-wave", "--throat", "0.45"}) fw.push_back(x);
  std::vector<std::string> fw_csv = fw;
  fw_csv.insert(fw_csv.end(), {"--format", "csv"});
  const CliRun r = run(fw_csv);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(",s11_db,s11_re,s11_im,notes\n"), std::string::npos);
  const Csv rows(r.out);
  ASSERT_EQ(rows.size(), 2u);
  const double in = kInch;
  const fullwave::Geometry g{0.45 * in, fullwave::default_guide_length_m(10.0), 1.2 * in, 3.0 * in,
                             fullwave::default_wall_m(10.0)};
  const fullwave::Horn horn(g, 10.0);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const fullwave::FeedRow f = fullwave::judge_feed(horn, g, 10.0, 0.4 + 0.6 * static_cast<double>(i));
    const feed::Judgement& j = f.feed.judgement;
    EXPECT_NEAR(rows(i, "aperture_efficiency"), j.best.aperture, 1e-12);
    EXPECT_NEAR(rows(i, "focus_behind_aperture_wl"), j.focus_behind_aperture_wl, 1e-9);
    EXPECT_NEAR(rows(i, "edge_taper_h_db"), j.edge_taper_h_db, 1e-9);
    EXPECT_NEAR(rows(i, "gain_db"), f.directivity_db, 1e-9);
    EXPECT_NEAR(rows(i, "s11_db"), f.s11_db, 1e-9);
    EXPECT_NEAR(rows(i, "s11_re"), horn.s11().real(), 1e-12);
    EXPECT_NEAR(rows(i, "s11_im"), horn.s11().imag(), 1e-12);
  }
  const CliRun t = run(fw), d = run(args);
  ASSERT_EQ(t.status, 0) << t.err;
  std::istringstream ft(t.out), dt(d.out);
  std::string fl, dl;
  for (int k = 0; k < 3 && std::getline(ft, fl) && std::getline(dt, dl); ++k) {
    EXPECT_EQ(fl, k == 0 ? dl : dl + (k == 1 ? "    S11" : "   (dB)"));
  }
}

// The 45-degree plane of the exact pattern is (E + H)/2 and (E - H)/2 of
// the principal planes' own columns.
TEST(CliFeed, PatternFortyFiveDegreePlaneFromThePrincipalPlanes) {
  const CliRun r = run({"pattern", "--exact", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0",
                        "80", "10", "--format", "csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  const double deg = physical::rad_per_deg;
  const Csv rows(r.out);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto field = [&](const std::string& plane) {
      return std::polar(std::pow(10.0, rows(i, "amplitude_" + plane + "_db") / 20.0),
                        rows(i, "phase_" + plane + "_deg") * deg);
    };
    const std::complex<double> e = field("e"), h = field("h"), co = field("45_co");
    EXPECT_NEAR(std::abs(co - 0.5 * (e + h)), 0.0, 1e-9 * std::abs(e));
    if (rows(i, "angle_deg") > 0.0) {
      EXPECT_NEAR(std::abs(field("45_xp") - 0.5 * (e - h)), 0.0, 1e-9 * std::abs(e));
    }
  }
  const CliRun cut = run({"pattern", "--exact", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0",
                          "1", "30", "--format", "cut"});
  ASSERT_EQ(cut.status, 0) << cut.err;
  EXPECT_NE(cut.out.find(" 13  4.500000000E+01 3 1 2\n"), std::string::npos) << cut.out;
}

}  // namespace
}  // namespace quaven
