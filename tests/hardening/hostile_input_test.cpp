// Input that is hostile rather than mistaken: a megabyte on one line, NUL
// bytes, binary noise, numbers of a thousand digits and values beyond single
// precision. Each is either a readable answer, and then the run goes on as
// with the plain answer, or an unreadable one, and then the run ends with
// one short diagnostic and status 1; never a crash, a hang or a diagnostic
// that echoes the whole item.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dialogue_session.h"

namespace quaven::hardening {
namespace {

using namespace quaven::test;

const std::string kMegabyte(1 << 20, '7');
// One design line, no response, then the normal end.
const std::string kDesign = "10 30\n3\n1\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n";

class HostileInputTest : public DialogueTest {
 protected:
  // An unreadable answer: status 1, one diagnostic naming `reason` and
  // quoting no more than 40 characters of the item (as \xNN when not
  // printable) and the "...".
  void expect_unreadable(const Session& s, const std::string& shown, const std::string& reason,
                         const std::string& label) {
    EXPECT_EQ(s.status, 1) << label;
    EXPECT_EQ(lines(s.err), 1) << label << ": " << s.err;
    EXPECT_NE(s.err.find("'" + shown + "'"), std::string::npos) << label << ": " << s.err;
    EXPECT_NE(s.err.find("(" + reason + ")"), std::string::npos) << label << ": " << s.err;
    EXPECT_LT(s.err.size(), 200u) << label;
  }
};

TEST_F(HostileInputTest, AMegabyteItemIsUnreadableAndQuotedShort) {
  struct Case {
    const char* label;
    std::string answers;
  };
  const Case cases[] = {
      {"units", kMegabyte + "\n2\n"},
      {"design", "2\n" + kMegabyte + " 30\n"},
      {"second value", "2\n10 " + kMegabyte + "\n"},
      {"plane", "2\n10 30\n3\n" + kMegabyte + "\n"},
      {"no line end", "2\n10 30\n3\n1\n0.1 " + kMegabyte},
  };
  for (const Case& c : cases) {
    const Session s = talk(c.answers);
    expect_unreadable(s, std::string(40, '7') + "...", "too long", c.label);
  }
}

TEST_F(HostileInputTest, AMegabyteOfSeparatorsIsReadLikeOne) {
  const Session plain = talk("2\n" + kDesign);
  ASSERT_EQ(plain.status, 0);
  const std::string blanks(1 << 20, ' ');
  const std::string line_ends(1 << 20, '\n');
  for (const std::string& gap : {blanks, line_ends, std::string(1 << 19, '\t') + std::string(1 << 19, '\r')}) {
    const Session s = talk(gap + "2" + gap + "\n" + kDesign);
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(s.out, plain.out);
    EXPECT_EQ(s.report, plain.report);
  }
}

TEST_F(HostileInputTest, AMegabyteFileNameIsCutTo70Characters) {
  const std::string name = (dir_ / "r").string();
  ASSERT_LT(name.size(), 70u);
  const std::string line = name + std::string(70 - name.size(), 'x') + kMegabyte;
  const Session s = talk_raw(line + "\n2\n" + kDesign);
  EXPECT_EQ(s.status, 0);
  EXPECT_EQ(lines(s.err), 1) << s.err;  // the note that the name was cut
  const std::string kept = line.substr(0, 70);
  EXPECT_NE(read_file(kept).find(" Written by the QUAVEN developers\n"), std::string::npos);
}

TEST_F(HostileInputTest, NulBytesAreUnreadableAndShownEscaped) {
  struct Case {
    const char* label;
    std::string answers;
    std::string shown;
    const char* reason;
  };
  const Case cases[] = {
      {"within a whole number", std::string("1\0" "2\n", 4), "1\\x002", "not a number"},
      {"alone", std::string("\0\n", 2), "\\x00", "not a number"},
      {"within a real", "2\n" + std::string("10\0", 3) + " 30\n", "10\\x00", "not a number"},
  };
  for (const Case& c : cases) expect_unreadable(talk(c.answers), c.shown, c.reason, c.label);

  const Session s = talk_raw(report_ + std::string("\0x\n0\n", 5));
  EXPECT_EQ(s.status, 1);
  EXPECT_NE(s.err.find("NUL"), std::string::npos) << s.err;
}

// Noise from a fixed generator, after a valid name and units so that it
// reaches the later prompts too. Whatever happens, the diagnostics are
// lines of printable text and the report is whole lines of printable text.
TEST_F(HostileInputTest, BinaryNoiseEndsTheRunCleanly) {
  std::uint32_t state = 12345u;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  auto printable = [](const std::string& s) {
    for (char c : s)
      if (c != '\n' && (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e)) return false;
    return true;
  };
  for (int round = 0; round < 40; ++round) {
    std::string noise(static_cast<std::size_t>(next() % 4096), '\0');
    // Half the rounds mostly digits and separators, which get further.
    const char* alphabet = "0123456789.,/ \n-+eEdD";
    for (char& c : noise)
      c = round % 2 ? static_cast<char>(next()) : alphabet[next() % 21];
    const Session s = talk((round % 4 < 2 ? "2\n" : "1\n10 30\n3\n") + noise);
    EXPECT_TRUE(s.status == 0 || s.status == 1) << "round " << round;
    EXPECT_TRUE(printable(s.err)) << "round " << round;
    EXPECT_TRUE(printable(s.report)) << "round " << round;
    EXPECT_TRUE(s.report.empty() || s.report.back() == '\n') << "round " << round;
  }
}

TEST_F(HostileInputTest, ThousandDigitNumbers) {
  const std::string ones(1000, '1');
  const std::string zeros(1000, '0');
  // Unreadable: beyond the 32-bit range or beyond single precision.
  expect_unreadable(talk(ones + "\n"), std::string(40, '1') + "...", "out of range", "whole number");
  expect_unreadable(talk("-" + ones + "\n"), "-" + std::string(39, '1') + "...", "out of range", "negative");
  expect_unreadable(talk("2\n" + ones + " 30\n"), std::string(40, '1') + "...", "out of range", "real");

  // Readable: long spellings of ordinary values run like the values.
  const Session plain = talk("2\n" + kDesign);
  ASSERT_EQ(plain.status, 0);
  struct Case {
    const char* label;
    std::string units, freq;
  };
  const Case cases[] = {
      {"leading zeros", zeros + "2", zeros + "10." + zeros},
      {"long mantissa and exponent", "+" + zeros + "2", "1" + zeros + "E-999"},
      {"many decimals", "2", "10.00000000000000000000000000000000000000000000000001" + zeros},
      {"D exponent", "2", "0." + zeros + "1D1002"},
  };
  for (const Case& c : cases) {
    const Session s = talk(c.units + "\n" + c.freq + " " + kDesign.substr(3));
    EXPECT_EQ(s.status, 0) << c.label << ": " << s.err;
    EXPECT_EQ(s.report, plain.report) << c.label;
    EXPECT_EQ(s.out, plain.out) << c.label;
  }
  // A thousand-digit fraction below the smallest subnormal is zero, and a
  // design frequency of zero ends the run.
  std::filesystem::remove(report_);
  const Session tiny = talk("2\n0." + zeros + "1 30\n");
  EXPECT_EQ(tiny.status, 0) << tiny.err;
  EXPECT_EQ(tiny.report, "");
}

TEST_F(HostileInputTest, ValuesBeyondSinglePrecisionAreOutOfRange) {
  struct Case {
    const char* item;
    int status;
  };
  // 3.40282356e38 is just below the midpoint between the largest float and
  // 2^128, so it rounds to the largest float; 3.40282357e38 lies beyond.
  const Case cases[] = {
      {"1e39", 1},           {"-1e39", 1},         {"1D39", 1},     {"3.40282357e38", 1}, {"1e99999999999", 1},
      {"3.40282356e38", 0},  {"-3.4028235e38", 0}, {"1e-50", 0},    {"1e-99999999999", 0},
  };
  for (const Case& c : cases) {
    // The value as the beamwidth: a readable one gives a design of one line.
    const Session s = talk(std::string("2\n10 ") + c.item + "\n3\n1\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n");
    EXPECT_EQ(s.status, c.status) << c.item << ": " << s.err;
    if (c.status == 1) {
      EXPECT_NE(s.err.find("(out of range)"), std::string::npos) << c.item << ": " << s.err;
      EXPECT_EQ(s.report, "") << c.item;
    } else {
      EXPECT_EQ(lines(s.report), 13) << c.item << ":\n" << s.report;
    }
  }
}

// The largest finite answers everywhere a real is asked: the models see
// overflowing and non-finite intermediate values, and the tables show them
// as fields, but the run goes on to its normal end.
TEST_F(HostileInputTest, ExtremeReadableAnswersRunToTheEnd) {
  const char* extremes[] = {"3.4028235e38", "-3.4028235e38", "1e-45", "-1e-45", "0"};
  for (const char* a : extremes) {
    for (const char* b : extremes) {
      // Beamwidth a, level b (derived from the 10 dB curve), a horn of
      // radii a and b swept at frequency a: as the models see them.
      const std::string answers = std::string("1\n10 ") + a + "\n" + b + "\n2\n3\n0.2 0.2 1\n" + a + " " + b +
                                  "\n" + a + " " + a + " 1\n0 0\n0 0 0\n0 0\n";
      const Session s = talk(answers);
      EXPECT_EQ(s.status, 0) << a << " " << b << ": " << s.err;
    }
  }
}

}  // namespace
}  // namespace quaven::hardening
