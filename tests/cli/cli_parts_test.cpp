// A flange and choke rings on the command line: refused by name where they
// do not fit or the job cannot take them, and named in every output of the
// jobs that solve them.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "cli/csv.h"

namespace quaven {
namespace {

const std::vector<std::string> kGuide = {"--aperture", "0.45", "--slant", "inf", "--throat", "0.45"};

std::vector<std::string> with(std::vector<std::string> a, const std::vector<std::string>& more) {
  a.insert(a.end(), more.begin(), more.end());
  return a;
}

TEST(CliParts, PartsThatDoNotFitOrJobsThatCannotTakeThemAreRefused) {
  const auto resp = with(with({"response"}, kGuide), {"--freq-range", "10", "10", "1", "--full-wave"});
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {with(with({"response"}, kGuide), {"--freq-range", "10", "10", "1", "--choke", "0.7,0.3,0.295"}),
       "--choke needs --full-wave"},
      {with(resp, {"--flange", "0.5"}),
       "--flange 0.5: the flange's radius must be at least the rim's outer radius (aperture and wall)"},
      {with(resp, {"--flange", "-1"}), "--flange: must be greater than 0"},
      {with(resp, {"--choke", "0.7,0.3"}), "--choke: '0.7,0.3' is not INNER,WIDTH,DEPTH[,WALL[,SETBACK]]"},
      {with(resp, {"--choke", "0.7,0.3,x"}), "--choke"},
      {with(resp, {"--flange", "1.4", "--choke", "0.7,0.3,0.295", "--choke", "0.9,0.2,0.2"}),
       "--choke 0.7,0.3,0.295 --choke 0.9,0.2,0.2: choke ring 2: the groove overlaps ring 1"},
      {with(resp, {"--choke", "0.7,0.3,0.295"}), "choke ring 1: no metal joins it to the horn"},
      {with(resp, {"--choke", "0.6,0.3,3"}), "choke ring 1: the ring reaches behind the feed guide's back plate"},
      {with(resp, {"--choke", "0.6,0.3,0.295", "--wall", "0"}), "needs a wall thicker than 0"},
      // Sizes no mesh can hold: once a piece's count of segments overflowed.
      {with(resp, {"--flange", "1e300"}), "the body needs more than 4000 unknowns"},
      {with(resp, {"--flange", "1.4,1e-300"}), "the flange's thickness is too small to tell from 0"},
      {{"design", "--freq", "10", "--beamwidth", "40", "--s-range", "0.2", "0.2", "1", "--full-wave", "--throat",
        "0.45", "--flange", "1.4"},
       "--flange: a design makes the plain horn"},
      {{"feed", "--freq", "10", "--f-over-d", "0.4", "--s-range", "0.2", "0.2", "1", "--full-wave", "--throat", "0.45",
        "--choke", "0.6,0.3,0.295"},
       "--choke: a feed design makes the plain horn"},
      {{"feed", "--freq", "10", "--f-over-d", "0.4", "--full-wave", "--throat", "0.545", "--choke-design", "1",
        "--aperture", "0.6", "--slant", "inf"},
       "--choke-design 1: it designs the rings of the open guide of the throat: leave out the horn"},
      {{"feed", "--freq", "10", "--f-over-d-range", "0.3", "0.4", "0.1", "--full-wave", "--throat", "0.545",
        "--choke-design", "2"},
       "--choke-design 2: it designs for one dish: give one f/D"},
      {{"feed", "--freq", "10", "--f-over-d", "0.4", "--throat", "0.545", "--choke-design", "1"},
       "--choke-design needs --full-wave"},
      {{"feed", "--freq", "10", "--f-over-d", "0.4", "--full-wave", "--throat", "0.545", "--size-guide"},
       "--size-guide is a --choke-design's: give --choke-design"},
      {with(with({"geometry"}, kGuide), {"--choke", "0.6,0.3,0.295,0.05,0.1", "--flange", "1.4"}),
       "choke ring 1: a ring set back from the aperture plane cannot lie within the flange"},
  };
  for (const auto& c : cases) {
    const CliRun r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_EQ(r.out, "") << c.message;
    EXPECT_NE(r.err.substr(0, r.err.find('\n')).find(c.message), std::string::npos) << r.err;
  }
}

TEST(CliParts, EveryOutputNamesTheParts) {
  // One quarter-wave choke ring in a flange round the open guide, solved at
  // 10 GHz: the caption, the inputs and the columns name both parts, with
  // the defaults (the wall's thickness, no setback) filled in.
  const std::vector<std::string> parts = {"--full-wave", "--flange", "1.4", "--choke", "0.6,0.3,0.295,0.05"};
  const CliRun table = run(with(with(with({"response"}, kGuide), {"--freq-range", "10", "10", "1"}), parts));
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_EQ(table.out.substr(0, table.out.find('\n')),
            "Full-wave body: feed guide radius 0.45 in, length 2.3035 in, wall 0.076783 in; flange radius 1.4 in, "
            "thickness 0.076783 in; choke 1: inner radius 0.6 in, width 0.3, depth 0.295, wall 0.05, setback 0");
  const CliRun feed = run(with(with(with({"feed"}, kGuide), {"--freq", "10", "--f-over-d", "0.4", "--format", "csv"}),
                               parts));
  ASSERT_EQ(feed.status, 0) << feed.err;
  const Csv row(feed.out);
  const std::pair<const char*, double> want[] = {
      {"flange_radius_in", 1.4},     {"flange_thickness_in", 0.07678302994207391},
      {"choke1_inner_in", 0.6},      {"choke1_width_in", 0.3},
      {"choke1_depth_in", 0.295},    {"choke1_wall_in", 0.05},
      {"choke1_setback_in", 0.0}};
  for (const auto& [column, value] : want) EXPECT_DOUBLE_EQ(row(0, column), value) << column;
  EXPECT_NEAR(row(0, "power_balance"), 1.0, 0.01);
  const CliRun json = run(with(with({"geometry"}, kGuide), {"--flange", "1.4", "--choke", "0.6,0.3,0.295", "--format",
                                                            "json"}));
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_NE(json.out.find("\"choke1\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"outer_radius_in\": 1.4"), std::string::npos) << json.out;
}

TEST(CliParts, AProfileIsTheBodyItDescribes) {
  // The flanged guide with one choke ring written out point by point
  // (tests/data/choke_profile.csv) solves as the same body built from
  // --flange and --choke; a curve that is no body is refused by its line or
  // point.
  const std::string file = std::string(QUAVEN_TEST_DATA_DIR) + "/choke_profile.csv";
  const std::vector<std::string> freqs = {"--full-wave", "--freq-range", "9.5", "10.5", "1", "--format", "csv"};
  const CliRun from_file = run(with({"response", "--profile", file}, freqs));
  const CliRun from_parts = run(with(with(with({"response"}, kGuide), freqs), {"--guide-length", "2.3", "--wall", "0.08",
                                                                             "--flange", "1.4", "--choke",
                                                                             "0.7,0.3,0.295"}));
  ASSERT_EQ(from_file.status, 0) << from_file.err;
  ASSERT_EQ(from_parts.status, 0) << from_parts.err;
  const Csv a(from_file.out), b(from_parts.out);
  for (std::size_t i = 0; i < 2; ++i)
    for (const char* c : {"beamwidth_e_10db_deg", "beamwidth_h_10db_deg", "gain_db", "s11_re", "s11_im",
                          "power_balance", "aperture_wavelengths"})
      EXPECT_NEAR(a(i, c), b(i, c), 1e-5) << c;  // corners equal to the last bit or two; beam edges found to 1e-6

  const std::string bad = testing::TempDir() + "quaven_bad_profile.csv";
  const auto refused = [&](const std::string& text, const std::string& message) {
    std::ofstream(bad) << text;
    const CliRun r = run({"geometry", "--profile", bad});
    EXPECT_EQ(r.status, 2) << text;
    EXPECT_NE(r.err.substr(0, r.err.find('\n')).find(message), std::string::npos) << r.err;
  };
  refused("inner,0,0\ninner,0,0.45\ninner,2,0.45\nouter,2,0.5\nouter,-0.1,0.5\nouter,-0.1,x\n",
          ": line 6: rho: cannot read 'x'");
  refused("inner,0,0\nouter,1,1\n", "--profile " + bad + ": the inside needs 3 points at least");
  refused("inner,0,0\ninner,0,0.45\ninner,2,0.45\nouter,2,0.5\nouter,1,-0.2\nouter,-0.1,0\n",
          "point 5: rho must be 0 or more");
  refused("inner,0,0\ninner,0,0.45\ninner,2,0.45\nouter,2,0.5\nouter,1,0.3\nouter,-0.1,0.5\nouter,-0.1,0\n",
          "the curve crosses or touches itself");
  refused("inner,0,0\ninner,0.1,0.45\ninner,2,0.45\nouter,2,0.5\nouter,-0.1,0.5\nouter,-0.1,0\n",
          "the inside must begin with the feed guide");
  const CliRun no_fw = run({"response", "--profile", file, "--freq-range", "10", "10", "1"});
  EXPECT_NE(no_fw.err.find("--profile needs --full-wave"), std::string::npos) << no_fw.err;
  const CliRun multimode = run({"response", "--profile", file, "--full-wave", "--freq-range", "17", "17", "1"});
  EXPECT_EQ(multimode.status, 2);
  EXPECT_NE(multimode.err.find("(its feed guide): the feed guide carries TM11 as well as TE11 above 15.995 GHz"),
            std::string::npos)
      << multimode.err;
}

}  // namespace
}  // namespace quaven
