// Whole dialogues driven in memory: the answers go in, and the terminal
// output, the report file and the exit status are compared exactly with
// transcripts written from the definitions of the prompts and records.
//
// The prompts, titles and headers below are typed out by hand, every blank
// counting. Table lines are composed field by field: the fields the user
// decides (S, frequency, the units) are literal, and the horn figures are the
// values of the model routines called directly, whose own tests hold them to
// published and independently computed values; the worked example's stated
// fields are checked literally.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <algorithm>

#include "dialogue/dialogue.h"
#include "dialogue/fields.h"
#include "horn/chbwd.h"
#include "horn/chngn.h"
#include "horn/chpce.h"
#include "horn/hcwbw.h"

namespace quaven {
namespace {

namespace fs = std::filesystem;

const std::string kTitle = " Conical TE-11 Mode Horn Designed to Beamwidth\n";
const std::string kFilePrompt = " Enter output file ";
const std::string kUnitsPrompt = " Enter units: 1 cm, 2 inches ";
const std::string kDesignPrompt = " Enter Frequency (GHz), Beamwidth (0 terminates) ";
const std::string kLevelPrompt = " Enter Pattern Level (dB) at Beamwdith ";
const std::string kDerivePrompt = " Enter Beamwidth Level to Derive Given Level\n (1)  3.0 ,(2) 10.0 ";
const std::string kPlanePrompt = " Enter Design (1) E Plane, (2) H Plane, (3) Average ";
const std::string kSPrompt =
    " Enter Max Aperture Phase Deviation (Cycles: 0 TO 1)\n           Start,Stop,Step (0 terminates) ";
const std::string kHornPrompt = " Frequency Response\n Enter Aperture, Slant Radius (0 terminates) ";
const std::string kFreqPrompt = " Enter Frequency (GHz)  Start,Stop,Step ";
const std::string kDesignHeader = "\n   S    Aperture Radius  Slant Radius     Gain  Phase CTR. E, H\n\n";
const std::string kBanner = "\n     QUAVEN\n Written by the QUAVEN developers\n";

std::string title_block(const std::string& freq, const std::string& bw, const std::string& lev) {
  return "\n\n Circular TE-11 Mode Horn Designed to Beamwidth\n\n    Frequency (GHz) = " + freq +
         "\n    Design Beamwidth: " + bw + "  @:" + lev + " dB\n";
}

std::string response_header(const std::string& levels) {
  return "\n              E Plane      E Plane     H Plane      H Plane\n"
         "             Beamwidths      Phase    Beamwidths      Phase\n" +
         levels + "\n\n";
}
const std::string kLevels3and10 = " Frequency   3. dB  10. dB  Center    3. dB  10. dB  Center     Gain";

// The design line of one S as the models give it (lengths in inches times u).
std::string design_line(float freq, float bwc, int ilev, int iplane, float s, float u) {
  const float wl = 11.80285f / freq;
  float aw = 0.0f;
  chbwd(s, aw, bwc, ilev, iplane);
  const float arad = aw * wl;
  const float srad = (aw * wl * aw) / (2.0f * s);
  float b[4], pce = 0.0f, pch = 0.0f, gain = 0.0f;
  hcwbw(freq, arad, srad, b[0], b[1], b[2], b[3]);
  chpce(freq, arad, srad, b[2], pce, b[3], pch);
  chngn(freq, arad, srad, gain);
  return fixed(6, 3, s) + "      " + fixed(8, 4, u * arad) + "       " + fixed(8, 4, u * srad) + "    " +
         fixed(7, 2, gain) + "  " + fixed(7, 3, u * pce) + "  " + fixed(7, 3, u * pch) + "\n";
}

// The response line of one frequency; the pair at curve level `ilev` is
// multiplied by `factor`.
std::string response_line(float fr, float arad, float srad, int ilev, float factor, float u) {
  float b[4], pce = 0.0f, pch = 0.0f, gain = 0.0f;
  hcwbw(fr, arad, srad, b[0], b[1], b[2], b[3]);
  chpce(fr, arad, srad, b[2], pce, b[3], pch);
  chngn(fr, arad, srad, gain);
  if (ilev == 1) b[0] *= factor, b[1] *= factor;
  if (ilev == 2) b[2] *= factor, b[3] *= factor;
  return " " + fixed(8, 4, fr) + "  " + fixed(6, 1, b[0]) + "  " + fixed(6, 1, b[2]) + "  " + fixed(7, 3, u * pce) +
         "  " + fixed(6, 1, b[1]) + "  " + fixed(6, 1, b[3]) + "  " + fixed(7, 3, u * pch) + "  " +
         fixed(7, 2, gain) + "\n";
}

struct Session {
  int status = -1;
  std::string out, err, report;
  bool report_exists = false;
};

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Short: a report file name keeps only its first 70 characters.
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    dir_ = fs::temp_directory_path() / ("qs" + std::to_string(std::hash<std::string>{}(name) % 1000000));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    report_ = (dir_ / "report.txt").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs a dialogue whose first answer is the report file's name.
  Session talk(const std::string& answers_after_name) { return talk_raw(report_ + "\n" + answers_after_name); }
  Session talk_raw(const std::string& answers) {
    std::istringstream in(answers);
    std::ostringstream out, err;
    Session s;
    s.status = run(in, out, err);
    s.out = out.str();
    s.err = err.str();
    std::ifstream f(report_, std::ios::binary);
    s.report_exists = static_cast<bool>(f);
    std::stringstream buf;
    buf << f.rdbuf();
    s.report = buf.str();
    return s;
  }
  std::string start() const { return kTitle + kFilePrompt + kUnitsPrompt; }

  fs::path dir_;
  std::string report_;
};

TEST_F(SessionTest, WorkedExampleInInches) {
  const Session s = talk("2\n10 30\n3\n1\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
  const std::string line = design_line(10.0f, 30.0f, 1, 1, 0.2f, 1.0f);
  EXPECT_EQ(line.substr(0, 35), " 0.200        1.1686         2.8927");
  EXPECT_EQ(line.substr(39, 7), "  14.57");
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kDesignHeader + line +
                       kHornPrompt + kSPrompt + kDesignPrompt);
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + line);
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.err, "");
}

TEST_F(SessionTest, WorkedExampleInCentimetres) {
  const Session s = talk("1\n10 30\n3\n1\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
  const std::string line = design_line(10.0f, 30.0f, 1, 1, 0.2f, 2.54f);
  EXPECT_EQ(line.substr(0, 35), " 0.200        2.9683         7.3475");
  EXPECT_EQ(line.substr(39, 7), "  14.57");
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + line);
  EXPECT_EQ(s.status, 0);
}

TEST_F(SessionTest, LevelOfTenNeedsNoDerivePrompt) {
  const Session s = talk("2\n10 60\n10\n2\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kDesignHeader +
                       design_line(10.0f, 60.0f, 2, 2, 0.2f, 1.0f) + kHornPrompt + kSPrompt + kDesignPrompt);
  EXPECT_EQ(s.status, 0);
}

TEST_F(SessionTest, DerivePromptScalesTheBeamwidthToTheChosenCurve) {
  struct Case {
    const char* derive;
    int ilev;
    float bwc;
  };
  const float bw = 30.0f;
  for (const Case& c : {Case{"1", 1, bw * std::sqrt(3.0f / 3.5f)}, Case{"2", 2, bw * std::sqrt(10.0f / 3.5f)}}) {
    const Session s = talk("2\n10 30\n3.5\n" + std::string(c.derive) + "\n1\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
    const std::string line = design_line(10.0f, c.bwc, c.ilev, 1, 0.2f, 1.0f);
    EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kDerivePrompt + kPlanePrompt + kSPrompt +
                         kDesignHeader + line + kHornPrompt + kSPrompt + kDesignPrompt)
        << "derive answer " << c.derive;
    EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  4.") + kDesignHeader + line);
  }
}

TEST_F(SessionTest, SweepCountsRoundUpFromSixTenthsOfAStep) {
  struct Case {
    const char* range;
    std::vector<float> s;
  };
  const Case cases[] = {
      {"0.1 0.5 0.1", {0.1f, 0.1f + 0.1f, 0.1f + 2.0f * 0.1f, 0.1f + 3.0f * 0.1f, 0.1f + 4.0f * 0.1f}},
      {"0.1 0.37 0.1", {0.1f, 0.1f + 0.1f, 0.1f + 2.0f * 0.1f, 0.1f + 3.0f * 0.1f}},
      {"0.5 0.1 -0.1", {0.5f, 0.5f - 0.1f, 0.5f + 2.0f * -0.1f, 0.5f + 3.0f * -0.1f, 0.5f + 4.0f * -0.1f}},
      {"0.5 0.1 0.1", {}},
      {"0.5 0.48 0.1", {0.5f}},
  };
  for (const Case& c : cases) {
    const Session s = talk("2\n10 30\n3\n1\n" + std::string(c.range) + "\n0 0\n0 0 0\n0 0\n");
    std::string lines;
    for (float v : c.s) lines += design_line(10.0f, 30.0f, 1, 1, v, 1.0f);
    EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + lines)
        << "S range " << c.range;
  }
  // The S column itself, as typed by hand.
  const Session s = talk("2\n10 30\n3\n1\n0.1 0.37 0.1\n0 0\n0.5 0.1 -0.1\n0 0\n0 0 0\n0 0\n");
  std::istringstream report(s.report);
  std::string column, row;
  while (std::getline(report, row))
    if (row.size() == 64) column += row.substr(0, 6) + "|";
  EXPECT_EQ(column, " 0.100| 0.200| 0.300| 0.400| 0.500| 0.400| 0.300| 0.200| 0.100|");
}

TEST_F(SessionTest, SweepFromZeroHasAnInfiniteSlantRadiusAndFiniteFigures) {
  const Session s = talk("2\n10 30\n3\n1\n0 0 1\n0 0\n0 0 0\n0 0\n");
  const std::string line = design_line(10.0f, 30.0f, 1, 1, 0.0f, 1.0f);
  EXPECT_EQ(line.substr(0, 6), " 0.000");
  EXPECT_EQ(line.substr(27, 8), "     Inf");
  EXPECT_EQ(line.find("NaN"), std::string::npos) << line;
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + line);
}

TEST_F(SessionTest, StepOfZeroStartsANewDesignWithoutASecondBanner) {
  const Session s = talk("2\n10 30\n3\n1\n0 0 0\n12 40\n10\n3\n0.3 0.3 1\n0 0\n0 0 0\n0 0\n");
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kDesignPrompt + kLevelPrompt +
                       kPlanePrompt + kSPrompt + kDesignHeader + design_line(12.0f, 40.0f, 2, 3, 0.3f, 1.0f) +
                       kHornPrompt + kSPrompt + kDesignPrompt);
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + title_block("  12.000", "  40.00", " 10.") +
                          kDesignHeader + design_line(12.0f, 40.0f, 2, 3, 0.3f, 1.0f));
}

TEST_F(SessionTest, EarlyEndsLeaveAnExistingReportAsItWas) {
  for (const char* answers : {"0\n", "2\n0 0\n", "1\n-5\n30\n"}) {
    std::ofstream(report_) << "old contents\n";
    const Session s = talk(answers);
    EXPECT_EQ(s.status, 0) << answers;
    EXPECT_EQ(s.report, "old contents\n") << answers;
    EXPECT_EQ(s.err, "") << answers;
  }
  fs::remove(report_);
  const Session s = talk("0\n");
  EXPECT_EQ(s.out, start());
  EXPECT_TRUE(s.report_exists);
  EXPECT_EQ(s.report, "");
}

TEST_F(SessionTest, AMultiValuePromptWaitsForAllItsValues) {
  // The 0 ending the run needs its beamwidth too, here on the next line.
  const Session s = talk("2\n0\n30 and the rest of the line is ignored\n");
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.out, start() + kDesignPrompt);
}

TEST_F(SessionTest, FrequencyResponseSweepsUpAndDown) {
  const Session s = talk("2\n10 30\n3\n1\n0.2 0.2 1\n1.2 3\n8 12 0.5\n1.2 3\n12 8 -0.5\n1.2 3\n12 8 0.5\n0 0\n0 0 0\n0 0\n");
  std::string up, down;
  for (int i = 1; i <= 9; ++i) up += response_line(8.0f + static_cast<float>(i - 1) * 0.5f, 1.2f, 3.0f, 1, 1.0f, 1.0f);
  for (int i = 1; i <= 9; ++i)
    down += response_line(12.0f + static_cast<float>(i - 1) * -0.5f, 1.2f, 3.0f, 1, 1.0f, 1.0f);
  EXPECT_EQ(up.substr(0, 10), "   8.0000 ");
  EXPECT_EQ(down.substr(0, 10), "  12.0000 ");
  const std::string title = "\n Frequency Response, Aperture:   1.200 in.   Slant Radius:   3.000\n";
  const std::string header = response_header(kLevels3and10);
  const std::string design = design_line(10.0f, 30.0f, 1, 1, 0.2f, 1.0f);
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kDesignHeader + design +
                       kHornPrompt + kFreqPrompt + header + up + kHornPrompt + kFreqPrompt + header + down + kHornPrompt +
                       kFreqPrompt + header + kHornPrompt + kSPrompt + kDesignPrompt);
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + design + title + header +
                          up + title + header + down + title + header);
  EXPECT_EQ(s.status, 0);
}

TEST_F(SessionTest, StepOfZeroReturnsToTheHornPromptAndApertureZeroToTheSRange) {
  const Session s = talk("2\n10 30\n3\n1\n0.2 0.2 1\n1.2 3\n8 12 0\n0 5\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
  const std::string design = design_line(10.0f, 30.0f, 1, 1, 0.2f, 1.0f);
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kDesignHeader + design +
                       kHornPrompt + kFreqPrompt + kHornPrompt + kSPrompt + kDesignHeader + design + kHornPrompt +
                       kSPrompt + kDesignPrompt);
  // A new sweep for the same design: a new header but no new title block.
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + design +
                          kDesignHeader + design);
}

TEST_F(SessionTest, ResponseInCentimetresShowsTheRadiiAsTyped) {
  const Session s = talk("1\n10 30\n3\n1\n0.5 0.1 0.1\n7.62 7.62\n10 10 1\n0 0\n0 0 0\n0 0\n");
  const std::string title = "\n Frequency Response, Aperture:   7.620 cm    Slant Radius:   7.620\n";
  const float arad = 7.62f / 2.54f, srad = 7.62f / 2.54f;
  EXPECT_EQ(arad, 3.0f);
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + title +
                          response_header(kLevels3and10) + response_line(10.0f, arad, srad, 1, 1.0f, 2.54f));
}

TEST_F(SessionTest, ResponseColumnsAtADerivedLevel) {
  struct Case {
    const char* derive;
    int ilev;
    const char* levels;
    float factor;
  };
  const Case cases[] = {
      {"2", 2, " Frequency   3. dB   6. dB  Center    3. dB   6. dB  Center     Gain", std::sqrt(6.0f / 10.0f)},
      {"1", 1, " Frequency   6. dB  10. dB  Center    6. dB  10. dB  Center     Gain", std::sqrt(6.0f / 3.0f)},
  };
  for (const Case& c : cases) {
    const Session s =
        talk("2\n10 30\n6\n" + std::string(c.derive) + "\n1\n0.5 0.1 0.1\n1.2 3\n10 11 1\n0 0\n0 0 0\n0 0\n");
    const std::string lines =
        response_line(10.0f, 1.2f, 3.0f, c.ilev, c.factor, 1.0f) + response_line(11.0f, 1.2f, 3.0f, c.ilev, c.factor, 1.0f);
    EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  6.") + kDesignHeader +
                            "\n Frequency Response, Aperture:   1.200 in.   Slant Radius:   3.000\n" +
                            response_header(c.levels) + lines)
        << "derive " << c.derive;
  }
  // The phase centres do not depend on the level: the same as with level 10.
  const Session six = talk("2\n10 30\n6\n2\n1\n0.5 0.1 0.1\n1.2 3\n10 10 1\n0 0\n0 0 0\n0 0\n");
  const Session ten = talk("2\n10 30\n10\n1\n0.5 0.1 0.1\n1.2 3\n10 10 1\n0 0\n0 0 0\n0 0\n");
  const std::string last_six = six.report.substr(six.report.size() - 69);
  const std::string last_ten = ten.report.substr(ten.report.size() - 69);
  // Frequency, E 3 dB, E phase centre, H 3 dB, H phase centre and gain agree.
  auto unscaled = [](const std::string& l) { return l.substr(0, 17) + l.substr(25, 17) + l.substr(50); };
  EXPECT_EQ(unscaled(last_six), unscaled(last_ten));
}

TEST_F(SessionTest, OutOfRangeChoicesAreAskedAgain) {
  const Session s = talk("7\n2\n10 30\n3.5\n5\n2\n1\n0 0 0\n0 0\n");
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.out, start() + kUnitsPrompt + kDesignPrompt + kLevelPrompt + kDerivePrompt + kDerivePrompt +
                       kPlanePrompt + kSPrompt + kDesignPrompt);
  EXPECT_NE(s.err.find("units"), std::string::npos) << s.err;
  EXPECT_EQ(std::count(s.err.begin(), s.err.end(), '\n'), 2) << s.err;
}

TEST_F(SessionTest, AnUncountableSweepIsAskedAgain) {
  const Session s = talk("2\n10 30\n3\n1\n0 1e30 1e-30\n0 0 0\n0 0\n");
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kSPrompt + kDesignPrompt);
  EXPECT_EQ(std::count(s.err.begin(), s.err.end(), '\n'), 1) << s.err;
}

TEST_F(SessionTest, FailuresEndTheRunAndKeepTheReport) {
  const std::string kept = kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader +
                           design_line(10.0f, 30.0f, 1, 1, 0.2f, 1.0f);
  struct Case {
    const char* answers;
    const char* said;  // part of the diagnostic
    std::string report;
  };
  const Case cases[] = {
      {"2\n10 30\n3\n1\n0.2 0.2 1\nabc 3\n", "abc", kept},       // text where a number is asked
      {"2\n10 30\n3\n1\n0.2 0.2 1\n1.2 3\n8 12\n", "ended", kept},  // input ends mid-answer
      {"2\n10 30\n3\n1.5\n", "1.5", ""},                            // a fraction for a whole number
      {"2\n10 30\n", "ended", ""},                                     // input ends at a prompt
  };
  for (const Case& c : cases) {
    fs::remove(report_);
    const Session s = talk(c.answers);
    EXPECT_NE(s.status, 0) << c.answers;
    EXPECT_NE(s.err.find(c.said), std::string::npos) << s.err;
    EXPECT_EQ(std::count(s.err.begin(), s.err.end(), '\n'), 1) << s.err;
    EXPECT_EQ(s.out.back(), '\n') << c.answers;
    EXPECT_EQ(s.report, c.report) << c.answers;
  }
}

TEST_F(SessionTest, AReportThatCannotBeOpenedEndsTheRunBeforeTheUnitsPrompt) {
  for (const std::string& name : {(dir_ / "no" / "such" / "dir" / "r.txt").string(), std::string("   "), std::string()}) {
    const Session s = talk_raw(name + "\n2\n");
    EXPECT_NE(s.status, 0) << name;
    EXPECT_EQ(s.out, kTitle + kFilePrompt + "\n") << name;
    EXPECT_EQ(std::count(s.err.begin(), s.err.end(), '\n'), 1) << s.err;
  }
}

}  // namespace
}  // namespace quaven
