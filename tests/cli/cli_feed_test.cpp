// The feed subcommand and the exact pattern's 45-degree plane and .cut form,
// driven through run_cli.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <sstream>
#include <string>
#include <utility>
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
// (the body's defaults the guide's own), S11 (in dB, then its real and
// imaginary parts), the power balance and the body last; the table gains the
// body's line above it and an S11 column after the gain, and nothing else.
TEST(CliFeed, FullWaveJudgesTheSolvedHorn) {
  const std::vector<std::string> args = {"feed",       "--freq", "10",      "--f-over-d-range", "0.4", "1", "0.6",
                                         "--aperture", "1.2",    "--slant", "3"};
  std::vector<std::string> fw = args;
  for (const char* x : {"--full-wave", "--throat", "0.45"}) fw.push_back(x);
  std::vector<std::string> fw_csv = fw;
  fw_csv.insert(fw_csv.end(), {"--format", "csv"});
  const CliRun r = run(fw_csv);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find(",s11_db,s11_re,s11_im,power_balance,guide_radius_in,guide_length_in,wall_in,notes\n"),
            std::string::npos);
  const Csv rows(r.out);
  ASSERT_EQ(rows.size(), 2u);
  const double in = kInch;
  const fullwave::Geometry g{0.45 * in, fullwave::default_guide_length_m(0.45 * in), 1.2 * in, 3.0 * in,
                             fullwave::default_wall_m(0.45 * in)};
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
    EXPECT_NEAR(rows(i, "guide_length_in"), g.guide_length / in, 1e-12);
    EXPECT_NEAR(rows(i, "wall_in"), g.wall / in, 1e-12);
  }
  const CliRun t = run(fw), d = run(args);
  ASSERT_EQ(t.status, 0) << t.err;
  std::istringstream ft(t.out), dt(d.out);
  std::string fl, dl;
  std::getline(ft, fl);
  EXPECT_EQ(fl, "Full-wave body: feed guide radius 0.45 in, length 2.3035 in, wall 0.076783 in");
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
  const CliRun cut = run({"pattern", "--exact", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles",
                          "-180", "180", "30", "--format", "cut"});
  ASSERT_EQ(cut.status, 0) << cut.err;
  EXPECT_NE(cut.out.find(" 13  4.500000000E+01 3 1 2\n"), std::string::npos) << cut.out;
}

// Flare half-angle of the cone of aperture a and slant radius r, degrees.
double flare_deg(double a, double r) { return std::asin(a / r) / physical::rad_per_deg; }

// The feed designs keep the flare within --max-flare (default 60 degrees;
// unbounded, the small horns of high S at f/D 0.35 flare past 80): by
// aperture theory at every S, and on the full wave at one; a judged horn
// beyond the bound (the 85-degree "horn" the full wave once designed) is
// noted, and none within it.
TEST(CliFeed, DesignsKeepTheFlareWithinItsBound) {
  const std::vector<std::string> design = {"feed", "--freq", "11.7", "--f-over-d", "0.35", "--s-range", "0.05",
                                           "0.3", "0.05", "--format", "csv"};
  const auto max_flare = [](const Csv& rows) {
    double m = 0.0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      m = std::max(m, flare_deg(rows(i, "aperture_radius_in"), rows(i, "slant_radius_in")));
      EXPECT_NEAR(rows(i, "flare_half_angle_deg"), flare_deg(rows(i, "aperture_radius_in"), rows(i, "slant_radius_in")),
                  1e-9);
    }
    return m;
  };
  const CliRun bounded = run(design);
  ASSERT_EQ(bounded.status, 0) << bounded.err;
  EXPECT_LE(max_flare(Csv(bounded.out)), 60.0 + 1e-6);
  EXPECT_EQ(bounded.out.find("flare_beyond_max"), std::string::npos);
  std::vector<std::string> loose = design;
  loose.insert(loose.end(), {"--max-flare", "90"});
  const CliRun unbounded = run(loose);
  ASSERT_EQ(unbounded.status, 0) << unbounded.err;
  EXPECT_GT(max_flare(Csv(unbounded.out)), 75.0);

  const CliRun fw = run({"feed", "--full-wave", "--throat", "0.35", "--freq", "11.7", "--f-over-d", "0.35",
                         "--s-range", "0.25", "0.25", "1", "--max-flare", "50", "--format", "csv"});
  ASSERT_EQ(fw.status, 0) << fw.err;
  const Csv fr(fw.out);
  EXPECT_LE(flare_deg(fr(0, "aperture_radius_in"), fr(0, "slant_radius_in")), 50.0 + 1e-6);

  const std::vector<std::string> judge = {"feed", "--freq", "11.7", "--f-over-d", "0.35", "--aperture", "0.507",
                                          "--slant", "0.509", "--format", "csv"};
  EXPECT_EQ(Csv(run(judge).out).text(0, "notes"), "flare_beyond_max");
  std::vector<std::string> allowed = judge;
  allowed.insert(allowed.end(), {"--max-flare", "86"});
  EXPECT_EQ(Csv(run(allowed).out).text(0, "notes"), "");
  const CliRun bad = run({"feed", "--freq", "10", "--f-over-d", "0.4", "--max-flare", "0"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err.rfind("quaven: --max-flare 0: the flare half-angle's bound must lie above 0 and at most 90", 0), 0u)
      << bad.err;
}

// A full-wave feed design writes its rows once every S is designed (the
// best is marked then), but its progress counts each design as it ends:
// the hook hears "1 of 2" and "2 of 2" before the first row is written.
TEST(CliFeed, FullWaveDesignProgressCountsEachDesign) {
  const std::vector<std::string> args = {"feed",     "--full-wave", "--throat", "0.35", "--freq", "11.7", "--f-over-d",
                                         "0.35",     "--s-range",   "0.2",      "0.25", "0.05",   "--format", "csv"};
  std::vector<const char*> argv{"quaven"};
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  std::vector<std::pair<long long, std::size_t>> heard;  // rows done, lines written then
  const auto hook = [&](long long done, long long total) {
    EXPECT_EQ(total, 2);
    const std::string text = out.str();
    heard.emplace_back(done, static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  };
  const int status = run_cli(static_cast<int>(argv.size()), argv.data(), out, err, {}, hook);
  ASSERT_EQ(status, 0) << err.str();
  const std::vector<std::pair<long long, std::size_t>> expected = {{0, 1}, {1, 1}, {2, 1}};
  EXPECT_EQ(heard, expected);
}

// The full wave's .cut file: the three cuts at each frequency of
// --freq-range, on --angles' own grid (0 to 175 degrees for "0 180 7": the
// legacy count's 182 is left out), each value the solved horn's Ludwig-3
// field; grids the layout cannot hold and the legacy pattern are refused
// with their rule.
TEST(CliFeed, FullWaveCutsOnTheGridOfTheAnglesAtEachFrequency) {
  const CliRun r = run({"pattern", "--full-wave", "--throat", "0.45", "--aperture", "1.2", "--slant", "3",
                        "--freq-range", "10", "11", "1", "--angles", "0", "180", "7", "--format", "cut"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream in(r.out);
  const double in_m = kInch;
  for (const double f : {10.0, 11.0}) {
    const fullwave::Geometry g{0.45 * in_m, fullwave::default_guide_length_m(0.45 * in_m), 1.2 * in_m, 3.0 * in_m,
                               fullwave::default_wall_m(0.45 * in_m)};
    const fullwave::Horn horn(g, f);
    for (const double phi : {0.0, 45.0, 90.0}) {
      std::string title;
      std::getline(in, title);
      EXPECT_EQ(title.rfind("QUAVEN full-wave conical TE11 horn, a = 1.2 in, R = 3 in, " + std::to_string(int(f)) +
                                " GHz; full-wave body: feed guide radius 0.45 in",
                            0),
                0u)
          << title;
      double v_ini, v_inc, c;
      int v_num, icomp, icut, ncomp;
      in >> v_ini >> v_inc >> v_num >> c >> icomp >> icut >> ncomp;
      EXPECT_EQ(v_ini, 0.0);
      EXPECT_EQ(v_inc, 7.0);
      ASSERT_EQ(v_num, 26);
      EXPECT_EQ(c, phi);
      for (int i = 0; i < v_num; ++i) {
        double cr, ci, xr, xi;
        in >> cr >> ci >> xr >> xi;
        const feed::Polarised p = feed::ludwig3(horn.field(7.0 * i * physical::rad_per_deg), phi * physical::rad_per_deg);
        const double tol = 1e-8 * std::abs(horn.field(0.0).e);
        EXPECT_NEAR(std::abs(std::complex<double>(cr, ci) - p.co), 0.0, tol) << f << " " << phi << " " << i;
        EXPECT_NEAR(std::abs(std::complex<double>(xr, xi) - p.xp), 0.0, tol) << f << " " << phi << " " << i;
      }
      in >> std::ws;
    }
  }
  EXPECT_TRUE(in.eof());

  const std::vector<std::string> exact = {"pattern", "--exact", "--aperture", "1.2", "--slant", "3", "--format", "cut"};
  struct Case {
    std::vector<std::string> more;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--freq", "10", "--angles", "-175", "180", "10"}, "--angles -175 180 10: the cut must sample the axis"},
      {{"--freq", "10", "--angles", "10", "90", "5"}, "--angles 10 90 5: the cut must sample the axis"},
      {{"--freq", "10", "--angles", "180", "0", "-5"}, "--angles 180 0 -5: the .cut layout's angles ascend"},
      {{"--freq", "10", "--angles", "-190", "180", "10"}, "--angles -190 180 10: a polar cut's angles lie within"},
      {{"--freq", "10", "--angles", "0", "1", "0.0001"}, "--format cut: the --angles step must be at least 0.00036"},
  };
  for (const Case& k : cases) {
    std::vector<std::string> a = exact;
    a.insert(a.end(), k.more.begin(), k.more.end());
    const CliRun x = run(a);
    EXPECT_EQ(x.status, 2) << k.message;
    EXPECT_TRUE(x.out.empty()) << k.message;
    EXPECT_EQ(x.err.rfind("quaven: " + k.message, 0), 0u) << x.err;
  }
  const CliRun legacy = run({"pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "90",
                             "10", "--format", "cut"});
  EXPECT_EQ(legacy.err.rfind("quaven: --format cut: needs --exact or --full-wave", 0), 0u) << legacy.err;
  const CliRun table = run({"pattern", "--exact", "--aperture", "1.2", "--slant", "3", "--freq-range", "9", "10", "1",
                            "--angles", "0", "90", "10"});
  EXPECT_EQ(table.err.rfind("quaven: --freq-range 9 10 1: several frequencies of a pattern go to one file in --format "
                            "cut only",
                            0),
            0u)
      << table.err;
}

}  // namespace
}  // namespace quaven
