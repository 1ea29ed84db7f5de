// The --exact option of the subcommands, driven through run_cli.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "cli/csv.h"
#include "reference.h"

namespace quaven {
namespace {


// Each designed horn, asked back through `response --exact` at the design
// frequency, has the requested beamwidth at the requested level: the two
// subcommands agree through the printed lengths alone.
TEST(CliExact, DesignedHornsHaveTheRequestedBeamwidthInTheResponse) {
  const CliRun d = run({"design", "--exact", "--freq", "10", "--beamwidth", "30", "--level", "3", "--plane", "E",
                     "--s-range", "0.1", "0.7", "0.3", "--format", "csv"});
  ASSERT_EQ(d.status, 0) << d.err;
  const Csv rows(d.out);
  ASSERT_EQ(rows.size(), 3u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string a = std::to_string(rows(i, "aperture_radius_in")), s = std::to_string(rows(i, "slant_radius_in"));
    const CliRun q = run({"response", "--exact", "--aperture", a.c_str(), "--slant", s.c_str(), "--freq-range", "10",
                       "10", "1", "--format", "csv"});
    ASSERT_EQ(q.status, 0) << q.err;
    const Csv resp(q.out);
    ASSERT_EQ(resp.size(), 1u);
    // The lengths went through six decimals; 0.01 degree still holds.
    const double s_cycles = rows(i, "s_cycles");
    EXPECT_NEAR(resp(0, "beamwidth_e_3db_deg"), 30.0, 0.01) << "S=" << s_cycles;
    EXPECT_NEAR(rows(i, "beamwidth_e_3db_deg"), 30.0, 1e-4) << "S=" << s_cycles << " design's own E 3 dB column";
  }
}

// Horn aw = 1, S = 0.4 at 11.80285 GHz (lambda = 1 inch): a = 1 in,
// R = a^2/(2 lambda S) = 1.25 in. High-precision figures from
// tests/data/exact_beamwidths.txt and exact_phase_centres.txt.
TEST(CliExact, ResponseColumnsAreTheExactFigures) {
  const CliRun q = run({"response", "--exact", "--aperture", "1", "--slant", "1.25", "--freq-range", "11.80285",
                     "11.80285", "1", "--format", "csv"});
  ASSERT_EQ(q.status, 0) << q.err;
  const Csv r(q.out);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_NEAR(r(0, "beamwidth_e_3db_deg"), 32.064921, 0.01);
  EXPECT_NEAR(r(0, "beamwidth_e_10db_deg"), 89.122679, 0.01);
  EXPECT_NEAR(r(0, "beamwidth_h_3db_deg"), 37.262448, 0.01);
  EXPECT_NEAR(r(0, "beamwidth_h_10db_deg"), 71.920614, 0.01);
}

// The full-wave model of a horn about two wavelengths across: its 3 dB
// beamwidths within a few degrees of aperture theory's (the rim and wall
// narrow the beam by about a degree), a real return loss, and no answer
// without the feed guide's radius.
TEST(CliExact, FullWaveResponseIsNearExactModeAndNeedsTheThroat) {
  const std::vector<std::string> horn = {"response", "--aperture", "1.2", "--slant", "3", "--freq-range", "10", "10",
                                         "1", "--units", "in", "--format", "csv"};
  std::vector<std::string> exact = horn, full = horn;
  exact.push_back("--exact");
  full.insert(full.end(), {"--full-wave", "--throat", "0.45"});
  const CliRun e = run(exact), f = run(full);
  ASSERT_EQ(e.status, 0) << e.err;
  ASSERT_EQ(f.status, 0) << f.err;
  const Csv er(e.out), fr(f.out);
  ASSERT_EQ(fr.size(), 1u);
  EXPECT_NEAR(fr(0, "beamwidth_e_3db_deg"), er(0, "beamwidth_e_3db_deg"), 3.0);
  EXPECT_NEAR(fr(0, "beamwidth_h_3db_deg"), er(0, "beamwidth_h_3db_deg"), 3.0);
  EXPECT_LT(fr(0, "s11_db"), -10.0);
  // S11 in dB and complex, then the solution's power balance and the body.
  EXPECT_NE(f.out.find(",s11_db,s11_re,s11_im,power_balance,guide_radius_in,guide_length_in,wall_in,notes"),
            std::string::npos);
  // The table shows the return loss as its last column.
  std::vector<std::string> table(full.begin(), full.end());
  table[table.size() - 4] = "table";  // --format table
  const CliRun t = run(table);
  ASSERT_EQ(t.status, 0) << t.err;
  char s11[32];
  std::snprintf(s11, sizeof s11, "%10.1f\n", fr(0, "s11_db"));
  EXPECT_NE(t.out.find("Gain  S11 (dB)\n"), std::string::npos) << t.out;
  EXPECT_NE(t.out.find(s11), std::string::npos) << t.out;

  // The same bytes on one thread and on three, a sweep's frequencies (and
  // so the threads' share of them) more than one; a thread count that is
  // not a whole number above 0, or without the full wave, is refused.
  std::vector<std::string> one = full, three = full;
  one[7] = three[7] = "11";
  one.insert(one.end(), {"--threads", "1"});
  three.insert(three.end(), {"--threads", "3"});
  const CliRun r1 = run(one), r3 = run(three);
  ASSERT_EQ(r1.status, 0) << r1.err;
  EXPECT_EQ(Csv(r1.out).size(), 2u);
  EXPECT_EQ(r1.out, r3.out);
  for (const char* bad : {"0", "-2", "2.5", "two"}) {
    std::vector<std::string> b = full;
    b.insert(b.end(), {"--threads", bad});
    const CliRun rb = run(b);
    EXPECT_EQ(rb.status, 2) << bad;
    EXPECT_EQ(rb.err.substr(0, rb.err.find('\n')), "quaven: --threads: must be a whole number greater than 0") << bad;
  }
  std::vector<std::string> no_fw = exact;
  no_fw.insert(no_fw.end(), {"--threads", "2"});
  EXPECT_NE(run(no_fw).err.find("--threads needs --full-wave"), std::string::npos);

  full.resize(full.size() - 2);  // no --throat
  const CliRun m = run(full);
  EXPECT_EQ(m.status, 2);
  EXPECT_NE(m.err.find("--throat is required with --full-wave"), std::string::npos) << m.err;
  EXPECT_TRUE(m.out.empty());
  exact.push_back("--full-wave");
  EXPECT_EQ(run(exact).status, 2);

  // The open-ended guide is the throat as wide as the aperture, with no flare.
  std::vector<std::string> guide = {"response", "--full-wave", "--aperture", "0.45", "--slant", "inf",
                                    "--throat", "0.45", "--freq-range", "10", "10", "1", "--format", "csv"};
  const CliRun g = run(guide);
  ASSERT_EQ(g.status, 0) << g.err;
  EXPECT_LT(Csv(g.out)(0, "s11_db"), -10.0);
  guide[5] = "5";
  const CliRun c = run(guide);
  EXPECT_EQ(c.status, 2);
  EXPECT_NE(c.err.find("or equal to it with --slant inf"), std::string::npos) << c.err;

  // A sweep the model cannot finish is refused before its first row: a guide
  // that carries TM11 at its top frequency, a body too large to solve.
  const CliRun tm = run({"response", "--full-wave", "--throat", "0.45", "--aperture", "1.2", "--slant", "3",
                         "--freq-range", "14", "17", "1", "--format", "csv"});
  EXPECT_EQ(tm.status, 2);
  EXPECT_TRUE(tm.out.empty()) << tm.out;
  EXPECT_NE(tm.err.find("carries TM11 as well as TE11 above 15.995 GHz"), std::string::npos) << tm.err;
  const CliRun big = run({"pattern", "--full-wave", "--throat", "0.45", "--aperture", "20", "--slant", "100",
                          "--freq", "10", "--angles", "0", "10", "10"});
  EXPECT_EQ(big.status, 2);
  EXPECT_NE(big.err.find("more than 4000 unknowns"), std::string::npos) << big.err;
}

TEST(CliExact, PatternIsTheDirectivityAndItsAxisValueTheGain) {
  // S = 0, a = lambda: the uniform-phase TE11 aperture's efficiency
  // 2/(chi^2 - 1) = 0.837 times (k a)^2 = (2 pi)^2, in dBi, in both planes.
  // (lambda = 1 inch at c / 0.0254 m).
  const CliRun p = run({"pattern", "--exact", "--aperture", "1", "--slant", "inf", "--freq", "11.80285267716535",
                        "--angles", "0", "0", "1", "--format", "csv"});
  ASSERT_EQ(p.status, 0) << p.err;
  const Csv r(p.out);
  ASSERT_EQ(r.size(), 1u);
  const double want = 10.0 * std::log10(4.0 * kPi * kPi * 2.0 / (kChi11 * kChi11 - 1.0));
  EXPECT_NEAR(r(0, "amplitude_e_db"), want, 1e-9);
  EXPECT_NEAR(r(0, "amplitude_h_db"), want, 1e-9);
  // A horn with phase deviation: the axis value is the response's gain.
  for (const char* slant : {"2.8927", "1.6", "5"}) {
    const CliRun q = run({"pattern", "--exact", "--aperture", "1.1686", "--slant", slant, "--freq", "10", "--angles",
                       "0", "10", "10", "--format", "csv"});
    const CliRun g = run({"response", "--exact", "--aperture", "1.1686", "--slant", slant, "--freq-range", "10", "10",
                       "1", "--format", "csv"});
    ASSERT_EQ(q.status + g.status, 0) << q.err << g.err;
    const Csv axis(q.out), gain(g.out);
    EXPECT_NEAR(axis(0, "amplitude_e_db"), gain(0, "gain_db"), 1e-12) << slant;
    EXPECT_NEAR(axis(0, "amplitude_h_db"), gain(0, "gain_db"), 1e-12) << slant;
    EXPECT_LT(axis(1, "amplitude_e_db"), axis(0, "amplitude_e_db")) << slant;
  }
}

TEST(CliExact, ImpossibleDesignIsNotANumberWithANote) {
  const CliRun d = run({"design", "--exact", "--freq", "10", "--beamwidth", "150", "--level", "3", "--plane", "avg",
                     "--s-range", "0", "0", "1", "--format", "csv"});
  EXPECT_EQ(d.status, 0);
  const Csv r(d.out);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_TRUE(std::isnan(r(0, "aperture_radius_in")));
  EXPECT_EQ(r.text(0, "notes"), "no_design");
  EXPECT_EQ(d.err, "");
  // The table keeps its lines; the note goes to standard error.
  const CliRun t = run({"design", "--exact", "--freq", "10", "--beamwidth", "150", "--level", "3", "--plane", "avg",
                     "--s-range", "0", "0.1", "0.1"});
  EXPECT_EQ(t.status, 0);
  EXPECT_NE(t.err.find("quaven: note at S = 0 to 0.1 (2 rows): no aperture radius has the requested beamwidth"),
            std::string::npos)
      << t.err;
}

TEST(CliExact, GainDesignIsRefusedAndDefaultOutputIsUnchanged) {
  EXPECT_EQ(run({"design", "--exact", "--freq", "10", "--gain", "15", "--s-range", "0", "0", "1"}).status, 2);
  const CliRun plain = run({"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0.2", "0.2", "1"});
  const CliRun exact = run({"design", "--exact", "--freq", "10", "--beamwidth", "30", "--s-range", "0.2", "0.2", "1"});
  EXPECT_NE(plain.out, exact.out);
  // The legacy line of the dialogue's example: gain field 14.57.
  EXPECT_NE(plain.out.find("14.57"), std::string::npos) << plain.out;
}

}  // namespace
}  // namespace quaven
