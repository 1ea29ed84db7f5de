// The command-line subcommands, checked against the console dialogue given
// the same answers, against chngn and chp11 called directly, and against
// independent CSV and JSON readers.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "cli/csv.h"
#include "dialogue/dialogue.h"
#include "text/fields.h"
#include "legacy/chngn.h"
#include "legacy/chp11.h"
#include "legacy/gain_design.h"
#include "numeric/sweep.h"
#include "reference.h"

namespace quaven {
namespace {

namespace fs = std::filesystem;

CliRun cli(const std::vector<std::string>& args) { return run(args); }

// The table lines of `text` after the header line that ends with
// `header_end`, up to the next prompt.
std::vector<std::string> lines_after(const std::string& text, const std::string& header_end) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  bool in_table = false;
  for (std::string line; std::getline(in, line);) {
    if (line.find(header_end) != std::string::npos) {
      in_table = true;
    } else if (in_table && line.find("Frequency Response") != std::string::npos) {
      break;
    } else if (in_table && !line.empty()) {
      lines.push_back(line);
    }
  }
  return lines;
}

// The first line of `text` that contains `needle`.
std::string line_with(const std::string& text, const std::string& needle) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.find(needle) != std::string::npos) return line;
  }
  return "(no line with '" + needle + "')";
}

// The table lines a whole dialogue shows on the terminal for `answers`; its
// header line that ends with `header_end` goes to `header`.
std::vector<std::string> dialogue_lines(const std::string& answers, const std::string& header_end,
                                        std::string* header = nullptr) {
  const fs::path report = fs::temp_directory_path() / "quaven_cli_test_report.txt";
  std::istringstream in(report.string() + "\n" + answers);
  std::ostringstream out, err;
  EXPECT_EQ(run(in, out, err), 0) << err.str();
  fs::remove(report);
  if (header != nullptr) *header = line_with(out.str(), header_end);
  return lines_after(out.str(), header_end);
}

// A CSV cell as a float: empty for a value that is not finite.
float cell(const std::string& s) { return s.empty() ? NAN : std::strtof(s.c_str(), nullptr); }

bool same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

// A CSV cell holds `expected` exactly; an empty cell stands for any value
// that is not finite.
bool holds(const std::string& cell_text, float expected) {
  return cell_text.empty() ? !std::isfinite(expected) : std::strtof(cell_text.c_str(), nullptr) == expected;
}

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

// The fields of a fixed-width table line, each rebuilt from the CSV value
// with the field's width and decimals, equal the dialogue's fields. The
// fields in `wl_fields` are phase centres, in wavelengths in the CSV and
// multiplied by the unit factor `un` in the dialogue.
void expect_fields(const std::string& dialogue_line, const std::vector<std::string>& csv_row,
                   const std::vector<std::pair<int, int>>& widths, const std::vector<std::size_t>& wl_fields, float un,
                   const std::string& what) {
  const auto expected = words(dialogue_line);
  ASSERT_EQ(expected.size(), widths.size()) << what << ": " << dialogue_line;
  for (std::size_t k = 0; k < widths.size(); ++k) {
    const std::string& c = csv_row.at(k);
    const bool nonfinite = expected[k] == "NaN" || expected[k] == "Inf" || expected[k] == "-Inf";
    if (c.empty()) {
      EXPECT_TRUE(nonfinite) << what << ", field " << k << " of '" << dialogue_line << "'";
    } else {
      const bool wl = std::find(wl_fields.begin(), wl_fields.end(), k) != wl_fields.end();
      EXPECT_EQ(words(fixed(widths[k].first, widths[k].second, wl ? un * cell(c) : cell(c))).at(0), expected[k])
          << what << ", field " << k << " of '" << dialogue_line << "'";
    }
  }
}

TEST(CliTest, DesignEqualsTheDialoguesDesignLines) {
  struct Case {
    std::string units, level_answers;  // dialogue answers
    std::vector<std::string> options;  // the same design as options
  };
  const std::vector<Case> cases = {
      {"2", "3\n1", {"--units", "in"}},
      {"1", "3\n1", {"--units", "cm"}},
      {"2", "10\n2", {"--level", "10", "--plane", "H"}},
      {"2", "6\n2\n3", {"--level", "6", "--derive-from", "10", "--plane", "avg"}},
      {"1", "3.5\n1\n1", {"--level", "3.5", "--derive-from", "3", "--units", "cm"}},
  };
  for (const auto& c : cases) {
    const auto expected = dialogue_lines(c.units + "\n10 30\n" + c.level_answers + "\n0 0.4 0.1\n0 0\n0 0 0\n0 0\n",
                                         "Phase CTR. E, H");
    std::vector<std::string> args = {"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0", "0.4", "0.1"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const std::string what = "units " + c.units + ", level " + c.level_answers;
    ASSERT_EQ(expected.size(), 5u) << what;

    const CliRun table = cli(args);
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(lines_after(table.out, "Phase CTR. E, H"), expected) << what;

    args.insert(args.end(), {"--format", "csv"});
    const auto csv = read_csv(cli(args).out);
    ASSERT_EQ(csv.size(), expected.size() + 1) << what;
    // Phase centres are wavelengths whatever the units; lengths are in them.
    EXPECT_EQ(csv[0][1], c.units == "1" ? "aperture_radius_cm" : "aperture_radius_in");
    EXPECT_EQ(csv[0][4], "phase_centre_e_wl");
    EXPECT_EQ(csv[0][5], "phase_centre_h_wl");
    for (std::size_t i = 0; i < expected.size(); ++i) {
      expect_fields(expected[i], csv[i + 1], {{6, 3}, {8, 4}, {8, 4}, {7, 2}, {7, 3}, {7, 3}}, {4, 5},
                    c.units == "1" ? 2.54f : 1.0f, what);
    }
  }
}

TEST(CliTest, ResponseEqualsTheDialoguesResponseLines) {
  struct Case {
    std::string units, level_answers, horn;
    std::vector<std::string> options;
  };
  const std::vector<Case> cases = {
      {"2", "3\n1", "1.1686 2.8927", {"--aperture", "1.1686", "--slant", "2.8927"}},
      {"1", "3\n1", "7.62 9", {"--aperture", "7.62", "--slant", "9", "--units", "cm"}},
      {"2", "6\n2\n1", "1.1686 2.8927", {"--aperture", "1.1686", "--slant", "2.8927", "--level", "6", "--derive-from", "10"}},
      {"2", "6\n1\n1", "1.1686 2.8927", {"--aperture", "1.1686", "--slant", "2.8927", "--level", "6", "--derive-from", "3"}},
  };
  for (const auto& c : cases) {
    std::string header;
    const auto expected = dialogue_lines(
        c.units + "\n10 30\n" + c.level_answers + "\n0.2 0.2 1\n" + c.horn + "\n12 8 -0.5\n0 0\n0 0 0\n0 0\n",
        "Center     Gain", &header);
    std::vector<std::string> args = {"response", "--freq-range", "12", "8", "-0.5"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const std::string what = "units " + c.units + ", level " + c.level_answers + ", horn " + c.horn;
    ASSERT_EQ(expected.size(), 9u) << what;

    const CliRun table = cli(args);
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(lines_after(table.out, "Center     Gain"), expected) << what;
    EXPECT_EQ(line_with(table.out, "Center     Gain"), header) << what;

    args.insert(args.end(), {"--format", "csv"});
    const auto csv = read_csv(cli(args).out);
    ASSERT_EQ(csv.size(), expected.size() + 1) << what;
    // The column names carry the header's levels.
    const auto levels = words(header);
    ASSERT_EQ(levels.size(), 12u) << header;
    const std::pair<std::size_t, std::string> columns[] = {{1, "e"}, {3, "e"}, {6, "h"}, {8, "h"}};
    for (std::size_t k = 0; k < 4; ++k) {
      const std::string& level = levels[columns[k].first];  // "3." in a 5.0 field
      EXPECT_EQ(csv[0].at(k < 2 ? k + 1 : k + 2),
                "beamwidth_" + columns[k].second + "_" + level.substr(0, level.size() - 1) + "db_deg")
          << what << ": " << header;
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
      expect_fields(expected[i], csv[i + 1], {{8, 4}, {6, 1}, {6, 1}, {7, 3}, {6, 1}, {6, 1}, {7, 3}, {7, 2}}, {3, 6},
                    c.units == "1" ? 2.54f : 1.0f, what);
    }
  }
}

TEST(CliTest, GainDesignGivesBackItsTargetGainThroughChngn) {
  constexpr float eps = 1.1920929e-7f;  // single-precision machine epsilon
  for (const float f : {3.0f, 10.0f, 35.0f}) {
    for (const float target : {8.0f, 15.0f, 22.5f}) {
      for (const float s : {0.0f, 0.05f, 0.2f, 0.37f, 0.61f, 0.8f}) {
        const DesignLine d = gain_design_line(f, target, s);
        float gain = 0.0f;
        chngn(f, d.arad, d.srad, gain);
        // ln(k a) carries a few roundings of k a (8.685889 dB each per unit
        // relative error); the sum G + L one rounding of its own size.
        const float loss = chngn_loss(s);
        const float tol = 8.685889f * 8.0f * eps + 4.0f * eps * (std::fabs(target) + loss);
        EXPECT_NEAR(gain, target, tol) << "f " << f << " G " << target << " S " << s;
        EXPECT_FLOAT_EQ(d.fig.gain, gain) << "f " << f << " G " << target << " S " << s;
        // The horn has the phase deviation asked for.
        const double wl = 11.80285 / f;
        if (s > 0.0f) EXPECT_NEAR(d.arad * d.arad / (2.0 * wl * d.srad), s, 4.0 * eps * s) << f << " " << s;
        else EXPECT_TRUE(std::isinf(d.srad));
        // The closed form, evaluated in double precision: k a = exp((G + L)/(20/ln 10)).
        const double ka = std::exp((target + static_cast<double>(loss)) * std::log(10.0) / 20.0);
        EXPECT_NEAR(d.arad, ka * 11.80285 / (2.0 * kPi) / f, 8.0 * eps * d.arad) << f << " " << target << " " << s;
      }
    }
  }
  // The loss term at the gain table's published figures.
  struct LossCase {
    float s;
    double loss, tol;
  };
  for (const LossCase c : {LossCase{0.0f, 0.774, 0.0}, LossCase{0.9f, 13.862, 5e-4}, LossCase{1.0f, 17.372, 5e-4},
                           LossCase{0.20334f, 1.32211, 5e-5}}) {
    EXPECT_NEAR(chngn_loss(c.s), c.loss, c.tol + 1e-6) << "S " << c.s;
  }
  EXPECT_TRUE(std::isnan(chngn_loss(NAN)));
}

TEST(CliTest, CsvAndJsonCarryEveryFloatExactlyAndNonFiniteAsEmptyOrNull) {
  struct Case {
    std::vector<std::string> args;
    int nonfinite_rows;  // rows whose figures are not finite
  };
  const std::vector<Case> cases = {
      // S = 0: infinite slant radius.
      {{"design", "--freq", "10", "--gain", "20", "--s-range", "0", "0.4", "0.2"}, 0},
      {{"design", "--freq", "12", "--beamwidth", "40", "--level", "10", "--plane", "avg", "--s-range", "0.1", "0.3",
        "0.1", "--units", "cm"},
       0},
      // A beamwidth no horn of the curves has: every figure not a number.
      {{"design", "--freq", "10", "--beamwidth", "200", "--s-range", "0", "0.5", "0.5"}, 2},
      {{"pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "-180", "180", "45"}, 0},
  };
  for (const auto& c : cases) {
    auto args = c.args;
    args.insert(args.end(), {"--format", "csv"});
    const CliRun csv_run = cli(args);
    ASSERT_EQ(csv_run.status, 0) << csv_run.err;
    args.back() = "json";
    const CliRun json_run = cli(args);
    ASSERT_EQ(json_run.status, 0) << json_run.err;
    const auto csv = read_csv(csv_run.out);
    const auto doc = nlohmann::json::parse(json_run.out);

    EXPECT_EQ(doc["command"], c.args[0]);
    ASSERT_EQ(doc["columns"].size(), csv.at(0).size());
    ASSERT_EQ(doc["rows"].size() + 1, csv.size());
    int nonfinite = 0;
    for (std::size_t i = 1; i < csv.size(); ++i) {
      ASSERT_EQ(csv[i].size(), csv[0].size());
      bool all_nan = true;
      // The notes: names joined by ';' in CSV, an array in JSON.
      std::string notes;
      for (const auto& n : doc["rows"][i - 1]["notes"]) notes += (notes.empty() ? "" : ";") + n.get<std::string>();
      EXPECT_EQ(csv[i].back(), notes);
      ASSERT_EQ(csv[0].back(), "notes");
      for (std::size_t k = 0; k + 1 < csv[0].size(); ++k) {
        EXPECT_EQ(doc["columns"][k], csv[0][k]);
        const auto& v = doc["rows"][i - 1][csv[0][k]];
        const float from_json = v.is_null() ? NAN : v.get<float>();
        EXPECT_TRUE(same(from_json, cell(csv[i][k]))) << c.args[0] << " row " << i << " " << csv[0][k];
        if (k > 0) all_nan = all_nan && std::isnan(from_json);
      }
      nonfinite += all_nan ? 1 : 0;
    }
    EXPECT_EQ(nonfinite, c.nonfinite_rows) << c.args[0];
  }
  // The values recovered are the rows' own floats, to the bit.
  const auto csv = read_csv(cli({"design", "--freq", "10", "--gain", "20", "--s-range", "0", "0.4", "0.2", "--format",
                                 "csv"})
                                .out);
  ASSERT_EQ(csv.size(), 4u);
  for (int i = 1; i <= 3; ++i) {
    const DesignLine d = gain_design_line(10.0f, 20.0f, 0.0f + static_cast<float>(i - 1) * 0.2f);
    const float expected[] = {d.s, d.arad, d.srad, d.fig.gain, d.fig.pce, d.fig.pch};
    for (int k = 0; k < 6; ++k) EXPECT_TRUE(holds(csv[i][k], expected[k])) << "row " << i << " col " << k;
  }
  EXPECT_EQ(csv[1][2], "");  // the slant radius at S = 0
}

TEST(CliTest, PatternRowsEqualChp11) {
  const CliRun run = cli({"pattern", "--aperture", "2.54", "--slant", "7.62", "--freq", "12", "--angles", "0", "90", "7.5",
                       "--units", "cm", "--format", "csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto csv = read_csv(run.out);
  ASSERT_EQ(csv.size(), 14u);
  EXPECT_EQ(csv[0], (std::vector<std::string>{"angle_deg", "amplitude_e_db", "phase_e_deg", "amplitude_h_db",
                                              "phase_h_deg", "notes"}));
  const float a = 2.54f / 2.54f, r = 7.62f / 2.54f;
  for (std::size_t i = 1; i < csv.size(); ++i) {
    const float deg = 7.5f * static_cast<float>(i - 1);
    const float th = deg * 0.0174532905f;
    float ampe, amph, phe, phh;
    chp11(12.0f, a, r, th, ampe, amph, phe, phh);
    const float expected[] = {deg, ampe, phe, amph, phh};
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(holds(csv[i][k], expected[k])) << deg << " deg, column " << k;
  }
  // On the axis both planes coincide, and the pattern is even in the angle.
  EXPECT_NEAR(cell(csv[1][1]), cell(csv[1][3]), 1e-5);
  const auto sym = read_csv(
      cli({"pattern", "--aperture", "1", "--slant", "3", "--freq", "10", "--angles", "-60", "60", "20", "--format", "csv"})
          .out);
  ASSERT_EQ(sym.size(), 8u);
  for (int i = 1; i <= 3; ++i) {
    for (int k = 1; k < 5; ++k) EXPECT_EQ(sym[i][k], sym[8 - i][k]) << "row " << i << " column " << k;
  }
}

TEST(CliTest, BadOptionsExitTwoWithAUsageMessage) {
  const std::vector<std::string> d = {"design", "--freq", "10", "--s-range", "0", "0.4", "0.1"};
  const auto with = [](std::vector<std::string> a, std::vector<std::string> more) {
    a.insert(a.end(), more.begin(), more.end());
    return a;
  };
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--units", "cm"},
      {"bogus"},
      {"design", "--freq", "10", "--beamwidth", "30"},                       // no --s-range
      d,                                                                     // neither beamwidth nor gain
      with(d, {"--beamwidth", "30", "--gain", "20"}),                        // both
      with(d, {"--gain", "20", "--plane", "H"}),                             // plane of a gain design
      with(d, {"--beamwidth", "30", "--level", "6"}),                        // level needs --derive-from
      with(d, {"--beamwidth", "30", "--level", "6", "--derive-from", "5"}),  // no such curve
      with(d, {"--beamwidth", "30", "--level", "3", "--derive-from", "10"}),
      with(d, {"--beamwidth", "30", "--level", "-1", "--derive-from", "10"}),
      with(d, {"--beamwidth", "30", "--plane", "X"}),
      with(d, {"--beamwidth", "30", "--units", "mm"}),
      with(d, {"--beamwidth", "30", "--format", "xml"}),
      with(d, {"--beamwidth", "thirty"}),
      with(d, {"--beamwidth", "1e99"}),
      with(d, {"--beamwidth", "30", "--colour"}),
      {"design", "--freq", "0", "--beamwidth", "30", "--s-range", "0", "0.4", "0.1"},
      {"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0", "0.4", "0"},
      {"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0", "0.4"},
      {"design", "--freq", "10", "--beamwidth", "30", "--s-range", "-3e38", "3e38", "1e-30"},  // count overflows
      {"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0", "3e38", "1e-38"},      // count is infinite
      {"response", "--aperture", "0", "--slant", "3", "--freq-range", "8", "12", "1"},
      {"response", "--aperture", "1,2", "--slant", "3", "--freq-range", "8", "12", "1"},
      {"response", "--aperture", "1", "--freq-range", "8", "12", "1"},
      {"pattern", "--aperture", "1", "--slant", "3", "--freq", "-10", "--angles", "0", "90", "10"},
      {"pattern", "--aperture", "1", "--slant", "3", "--freq", "10", "--angles", "0", "90", "0"},
  };
  for (const auto& args : cases) {
    std::string line;
    for (const auto& a : args) line += " " + a;
    const CliRun r = cli(args);
    EXPECT_EQ(r.status, 2) << "quaven" << line;
    EXPECT_EQ(r.out, "") << "quaven" << line;
    EXPECT_EQ(r.err.rfind("quaven: ", 0), 0u) << "quaven" << line << "\n" << r.err;
    EXPECT_NE(r.err.find("\nUsage: quaven "), std::string::npos) << "quaven" << line << "\n" << r.err;
  }
}

TEST(CliTest, UnknownOptionWasReportedAsAMissingRequiredOne) {
  // The first thing wrong on the line is named: an unknown option, even when
  // a required one is missing too, and a missing one by its name.
  const CliRun unknown = cli({"design", "--bogus"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("--bogus"), std::string::npos) << unknown.err;
  EXPECT_EQ(unknown.err.find("required"), std::string::npos) << unknown.err;
  const CliRun missing = cli({"pattern", "--aperture", "1", "--slant", "3", "--angles", "0", "90", "10"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err.rfind("quaven: --freq is required\n", 0), 0u) << missing.err;
}

TEST(CliTest, HelpAndVersionGoToStandardOutput) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> mentions;
  };
  const std::vector<Case> cases = {
      {{"--help"}, {"design", "response", "pattern", "--version"}},
      {{"design", "--help"}, {"--freq", "--beamwidth", "--gain", "--level", "--derive-from", "--plane", "--s-range",
                              "--units", "--format", "--output"}},
      {{"response", "--help"}, {"--aperture", "--slant", "--freq-range", "--level", "--units"}},
      {{"pattern", "-h"}, {"--aperture", "--slant", "--freq", "--angles", "--format"}},
      {{"--version"}, {"quaven 1."}},
  };
  for (const auto& c : cases) {
    const CliRun r = cli(c.args);
    EXPECT_EQ(r.status, 0) << c.args[0];
    EXPECT_EQ(r.err, "") << c.args[0];
    for (const auto& m : c.mentions) EXPECT_NE(r.out.find(m), std::string::npos) << c.args[0] << " lacks " << m;
  }
}

TEST(CliTest, SweepsCountAsTheDialogueCounts) {
  struct Case {
    float first, last, step;
    int count;  // -1: refused
  };
  for (const Case c : {Case{0.1f, 0.5f, 0.1f, 5}, Case{0.1f, 0.37f, 0.1f, 4}, Case{0.5f, 0.1f, -0.1f, 5},
                       Case{0.5f, 0.48f, 0.1f, 1}, Case{8.0f, 12.0f, 0.5f, 9}, Case{12.0f, 8.0f, -0.5f, 9},
                       Case{0.5f, 0.1f, 0.1f, -2}, Case{0.0f, 1.0f, 0.0f, -1}, Case{0.0f, 3e38f, 1e-38f, -1}}) {
    Sweep s{c.first, c.last, c.step, 0};
    const bool ok = count_sweep(s);
    EXPECT_EQ(ok ? s.count : -1, c.count) << c.first << " " << c.last << " " << c.step;
  }
  // A sweep whose step leads away from its stop is refused.
  const CliRun r = cli({"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0.5", "0.1", "0.1"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.rfind("quaven: --s-range 0.5 0.1 0.1: the step leads away from the stop", 0), 0u) << r.err;
}

TEST(CliTest, OutputFileReceivesWhatStandardOutputWould) {
  const fs::path file = fs::temp_directory_path() / "quaven_cli_test_output.json";
  const std::vector<std::string> args = {"response", "--aperture", "1.1686", "--slant", "2.8927",
                                         "--freq-range", "10", "11", "1", "--format", "json"};
  auto to_file = args;
  to_file.insert(to_file.end(), {"--output", file.string()});
  const CliRun r = cli(to_file);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  std::ifstream in(file);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, cli(args).out);
  fs::remove(file);
  EXPECT_EQ(cli({"pattern", "--aperture", "1", "--slant", "inf", "--freq", "10", "--angles", "0", "0", "1",
                 "--output", (fs::temp_directory_path() / "no_such_dir" / "x").string()})
                .status,
            1);
}

}  // namespace
}  // namespace quaven
