// Whole dialogues driven in memory: the answers go in, and the terminal
// output, the report file and the exit status are compared exactly with
// transcripts written from the definitions of the prompts and records.
//
// The prompts, titles and headers below are typed out by hand, every blank
// counting. The table lines come from tests/dialogue/sessions/expected_lines.py,
// which evaluates the horn models in 50-digit arithmetic from their own copies
// of the tables and the phase centres from 30-digit aperture integrals,
// independently of the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "dialogue_session.h"

namespace quaven {
namespace {

using test::Session;

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

// Design lines at 10 GHz for 30 degrees at 3 dB in the E plane unless said.
const std::string kDesign02 = " 0.200        1.1686         2.8927      14.57    1.070    0.202\n";
const std::string kDesign02Cm = " 0.200        2.9683         7.3475      14.57    2.718    0.512\n";
const std::string kDesign0 = " 0.000        1.1457            Inf      14.93    0.000    0.000\n";
// 60 degrees at 10 dB in the H plane.
const std::string kDesign10H = " 0.200        1.3099         3.6342      15.56    1.376    0.259\n";
// 30 degrees at 3.5 dB, derived from the 3 dB and from the 10 dB curves.
const std::string kDesignFrom3 = " 0.200        1.2643         3.3857      15.26    1.273    0.240\n";
const std::string kDesignFrom10 = " 0.200        1.2467         3.2923      15.14    1.235    0.232\n";
// 12 GHz, 40 degrees at 10 dB, the average of the planes, S = 0.3.
const std::string kDesign12 = " 0.300        1.5749         4.2027      18.07    3.497    1.001\n";

// The 1.2 by 3 inch horn from 8 to 12 GHz in steps of 0.5.
const std::string kResponse[] = {
    "   8.0000    36.0    65.0    0.587    44.5    83.1    0.102    13.05\n",
    "   8.5000    34.0    61.3    0.708    42.1    77.8    0.126    13.53\n",
    "   9.0000    32.3    58.1    0.842    39.8    73.3    0.153    13.97\n",
    "   9.5000    30.7    55.3    0.989    37.8    69.3    0.183    14.39\n",
    "  10.0000    29.2    52.8    1.148    36.0    65.7    0.218    14.79\n",
    "  10.5000    27.9    50.6    1.318    34.4    62.6    0.257    15.15\n",
    "  11.0000    26.8    48.7    1.500    32.9    59.8    0.302    15.50\n",
    "  11.5000    25.7    47.0    1.691    31.5    57.2    0.352    15.82\n",
    "  12.0000    24.7    45.4    1.892    30.3    54.9    0.407    16.12\n",
};

class SessionTest : public test::DialogueTest {
 protected:
  std::string start() const { return kTitle + kFilePrompt + kUnitsPrompt; }
};

// The S column of the design tables in a report, one "|" after each value.
std::string s_column(const std::string& report) {
  std::istringstream in(report);
  std::string column, row;
  while (std::getline(in, row))
    if (row.size() == 64) column += row.substr(0, 6) + "|";
  return column;
}

TEST_F(SessionTest, WorkedExampleInInches) {
  const Session s = talk("2\n10 30\n3\n1\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
  const std::string& line = kDesign02;
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kDesignHeader + line +
                       kHornPrompt + kSPrompt + kDesignPrompt);
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + line);
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(s.err, "");
}

TEST_F(SessionTest, WorkedExampleInCentimetres) {
  const Session s = talk("1\n10 30\n3\n1\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + kDesign02Cm);
  EXPECT_EQ(s.status, 0);
}

TEST_F(SessionTest, LevelOfTenNeedsNoDerivePrompt) {
  const Session s = talk("2\n10 60\n10\n2\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kDesignHeader +
                       kDesign10H + kHornPrompt + kSPrompt + kDesignPrompt);
  EXPECT_EQ(s.status, 0);
}

TEST_F(SessionTest, DerivePromptScalesTheBeamwidthToTheChosenCurve) {
  struct Case {
    const char* derive;
    const std::string& line;
  };
  for (const Case& c : {Case{"1", kDesignFrom3}, Case{"2", kDesignFrom10}}) {
    const Session s = talk("2\n10 30\n3.5\n" + std::string(c.derive) + "\n1\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
    const std::string& line = c.line;
    EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kDerivePrompt + kPlanePrompt + kSPrompt +
                         kDesignHeader + line + kHornPrompt + kSPrompt + kDesignPrompt)
        << "derive answer " << c.derive;
    EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  4.") + kDesignHeader + line);
  }
}

TEST_F(SessionTest, SweepCountsRoundUpFromSixTenthsOfAStep) {
  const struct {
    const char* range;
    const char* column;
  } cases[] = {
      {"0.1 0.5 0.1", " 0.100| 0.200| 0.300| 0.400| 0.500|"},
      {"0.1 0.37 0.1", " 0.100| 0.200| 0.300| 0.400|"},
      {"0.5 0.1 -0.1", " 0.500| 0.400| 0.300| 0.200| 0.100|"},
      {"0.5 0.1 0.1", ""},
      {"0.5 0.48 0.1", " 0.500|"},
  };
  for (const auto& c : cases) {
    const Session s = talk("2\n10 30\n3\n1\n" + std::string(c.range) + "\n0 0\n0 0 0\n0 0\n");
    EXPECT_EQ(s_column(s.report), c.column) << "S range " << c.range;
  }
}

TEST_F(SessionTest, SweepFromZeroHasAnInfiniteSlantRadiusAndFiniteFigures) {
  const Session s = talk("2\n10 30\n3\n1\n0 0 1\n0 0\n0 0 0\n0 0\n");
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + kDesign0);
}

TEST_F(SessionTest, StepOfZeroStartsANewDesignWithoutASecondBanner) {
  const Session s = talk("2\n10 30\n3\n1\n0 0 0\n12 40\n10\n3\n0.3 0.3 1\n0 0\n0 0 0\n0 0\n");
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kDesignPrompt + kLevelPrompt +
                       kPlanePrompt + kSPrompt + kDesignHeader + kDesign12 +
                       kHornPrompt + kSPrompt + kDesignPrompt);
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + title_block("  12.000", "  40.00", " 10.") +
                          kDesignHeader + kDesign12);
}

TEST_F(SessionTest, EarlyEndsLeaveAnExistingReportAsItWas) {
  for (const char* answers : {"0\n", "2\n0 0\n", "1\n-5\n30\n"}) {
    std::ofstream(report_) << "old contents\n";
    const Session s = talk(answers);
    EXPECT_EQ(s.status, 0) << answers;
    EXPECT_EQ(s.report, "old contents\n") << answers;
    EXPECT_EQ(s.err, "") << answers;
  }
  std::filesystem::remove(report_);
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
  for (int i = 0; i < 9; ++i) up += kResponse[i], down += kResponse[8 - i];
  const std::string title = "\n Frequency Response, Aperture:   1.200 in.   Slant Radius:   3.000\n";
  const std::string header = response_header(kLevels3and10);
  const std::string& design = kDesign02;
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kDesignHeader + design +
                       kHornPrompt + kFreqPrompt + header + up + kHornPrompt + kFreqPrompt + header + down + kHornPrompt +
                       kFreqPrompt + header + kHornPrompt + kSPrompt + kDesignPrompt);
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + design + title + header +
                          up + title + header + down + title + header);
  EXPECT_EQ(s.status, 0);
}

TEST_F(SessionTest, StepOfZeroReturnsToTheHornPromptAndApertureZeroToTheSRange) {
  const Session s = talk("2\n10 30\n3\n1\n0.2 0.2 1\n1.2 3\n8 12 0\n0 5\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
  const std::string& design = kDesign02;
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
  // 7.62 / 2.54 is 3 inches exactly in single precision.
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + title +
                          response_header(kLevels3and10) +
                          "  10.0000    18.5     NaN      NaN     NaN   127.8      NaN    -4.95\n");
}

TEST_F(SessionTest, ResponseColumnsAtADerivedLevel) {
  const struct {
    const char* derive;
    const char* levels;
    const char* lines;
  } cases[] = {
      {"2", " Frequency   3. dB   6. dB  Center    3. dB   6. dB  Center     Gain",
       "  10.0000    29.2    40.9    1.148    36.0    50.9    0.218    14.79\n"
       "  11.0000    26.8    37.7    1.500    32.9    46.3    0.302    15.50\n"},
      {"1", " Frequency   6. dB  10. dB  Center    6. dB  10. dB  Center     Gain",
       "  10.0000    41.3    52.8    1.148    51.0    65.7    0.218    14.79\n"
       "  11.0000    37.8    48.7    1.500    46.5    59.8    0.302    15.50\n"},
  };
  for (const auto& c : cases) {
    const Session s =
        talk("2\n10 30\n6\n" + std::string(c.derive) + "\n1\n0.5 0.1 0.1\n1.2 3\n10 11 1\n0 0\n0 0 0\n0 0\n");
    const std::string lines = c.lines;
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

TEST_F(SessionTest, WhatTheCommandLineWouldRefuseOrNoteGoesToStandardErrorAlone) {
  // A plane of 4 (designed as E), S beyond 1, a slant radius equal to the
  // aperture radius, an aperture below its cut-off, a sweep that leads
  // away: the tables as ever, the command line's rules and notes on
  // standard error.
  const Session s = talk("1\n10 30\n3\n4\n0.2 1.1 0.9\n7.62 7.62\n10 10 1\n7.62 15.24\n1 2 1\n7.62 15.24\n12 8 1\n"
                         "0 0\n0 0 0\n0 0\n");
  const std::string design = kDesign02Cm + " 1.100        8.8768        11.9474       4.09   32.661    2.569\n";
  const std::string header = response_header(kLevels3and10);
  const std::string flat = "  10.0000    18.5     NaN      NaN     NaN   127.8      NaN    -4.95\n";
  const std::string low = "   1.0000     NaN     NaN      NaN     NaN     NaN      NaN     3.24\n"
                          "   2.0000    55.8   109.1      NaN    68.5     NaN      NaN     9.10\n";
  const std::string response = kHornPrompt + kFreqPrompt + header;
  EXPECT_EQ(s.out, start() + kDesignPrompt + kLevelPrompt + kPlanePrompt + kSPrompt + kDesignHeader + design +
                       response + flat + response + low + response + kHornPrompt + kSPrompt + kDesignPrompt);
  const std::string title = "\n Frequency Response, Aperture:   7.620 cm    Slant Radius:";
  EXPECT_EQ(s.report, kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + design + title +
                          "   7.620\n" + header + flat + title + "  15.240\n" + header + low + title + "  15.240\n" +
                          header);
  EXPECT_EQ(s.err,
            "quaven: note: S range 0.2 1.1 0.9: S must lie within 0 to 1 cycles, but the sweep reaches 1.1\n"
            "quaven: note: design plane 4: the plane must be 1 (E), 2 (H) or 3 (average); the E plane is designed\n"
            "quaven: note: slant radius 7.62: the slant radius must be greater than the aperture radius (aperture "
            "7.62); no cone has an aperture wider than its side\n"
            "quaven: note at 10 GHz (1 row): the phase deviation S is above 1 cycle, beyond the range the models are "
            "made for\n"
            "quaven: note at 1 GHz (1 row): the aperture is below the TE11 cut-off of a circular guide of its radius "
            "(a < 0.293 wavelength): the aperture field the models assume cannot exist there\n"
            "quaven: note: frequency range 12 8 1: the step leads away from the stop; a sweep from 12 to 8 needs a "
            "negative step\n");
  EXPECT_EQ(s.status, 0);
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
  const std::string kept = kBanner + title_block("  10.000", "  30.00", "  3.") + kDesignHeader + kDesign02;
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
    std::filesystem::remove(report_);
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
