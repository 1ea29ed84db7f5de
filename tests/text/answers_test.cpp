// Free-form answers. Expected reals are the compiler's own correctly rounded
// float literals, an independent conversion of the same decimal text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "text/answers.h"

namespace {

using quaven::AnswerReader;
using quaven::ReadResult;
using quaven::ReadStatus;

const char* name(ReadStatus s) {
  return s == ReadStatus::ok ? "ok" : s == ReadStatus::end_of_input ? "end_of_input" : "unreadable";
}

// One answer of three reals read into (1, 2, 3), the previous answer, then
// the next line as the reader sees it afterwards ("<end>" when none is left).
struct RealCase {
  std::string input;
  int n;
  ReadStatus status;
  std::vector<float> expected;
  std::string next;
};

TEST(ReadReals, ItemsSeparatorsNullsAndLines) {
  const float flt_max = std::numeric_limits<float>::max();
  const RealCase cases[] = {
      {"10 30\nnext\n", 2, ReadStatus::ok, {10.0f, 30.0f, 3.0f}, "next"},
      {"10,30,99\nnext\n", 2, ReadStatus::ok, {10.0f, 30.0f, 3.0f}, "next"},
      {"10\n\n \t 30 extra words\nnext\n", 2, ReadStatus::ok, {10.0f, 30.0f, 3.0f}, "next"},
      {"10\t30\r\nnext\r\n", 2, ReadStatus::ok, {10.0f, 30.0f, 3.0f}, "next"},
      {"0.2 0.2 1\n", 3, ReadStatus::ok, {0.2f, 0.2f, 1.0f}, "<end>"},
      {".5 5. -5", 3, ReadStatus::ok, {0.5f, 5.0f, -5.0f}, "<end>"},
      {"1.5E2 1.5e-2 +1.5D2\n", 3, ReadStatus::ok, {150.0f, 0.015f, 150.0f}, "<end>"},
      {"-1.5d+2 2.9683 11.80285\n", 3, ReadStatus::ok, {-150.0f, 2.9683f, 11.80285f}, "<end>"},
      {",,7\n", 3, ReadStatus::ok, {1.0f, 2.0f, 7.0f}, "<end>"},
      {"4,,6\n", 3, ReadStatus::ok, {4.0f, 2.0f, 6.0f}, "<end>"},
      {"4 , , 6\n", 3, ReadStatus::ok, {4.0f, 2.0f, 6.0f}, "<end>"},
      {"4\n,5\n", 2, ReadStatus::ok, {4.0f, 5.0f, 3.0f}, "<end>"},
      {"4 /rest 9\nnext\n", 3, ReadStatus::ok, {4.0f, 2.0f, 3.0f}, "next"},
      {"4/5\nnext\n", 3, ReadStatus::ok, {4.0f, 2.0f, 3.0f}, "next"},
      {"\n/\nnext\n", 3, ReadStatus::ok, {1.0f, 2.0f, 3.0f}, "next"},
      {"4,5,\n", 3, ReadStatus::end_of_input, {4.0f, 5.0f, 3.0f}, "<end>"},
      {"4\n", 2, ReadStatus::end_of_input, {4.0f, 2.0f, 3.0f}, "<end>"},
      {"", 1, ReadStatus::end_of_input, {1.0f, 2.0f, 3.0f}, "<end>"},
      {"3.40282347e38 1e-50 -1e-45\n", 3, ReadStatus::ok, {flt_max, 0.0f, -1e-45f}, "<end>"},
      {"1e39 2\nnext\n", 2, ReadStatus::unreadable, {1.0f, 2.0f, 3.0f}, "next"},
      {"5 x7\nnext\n", 2, ReadStatus::unreadable, {5.0f, 2.0f, 3.0f}, "next"},
  };
  for (const RealCase& c : cases) {
    std::istringstream in(c.input);
    AnswerReader reader(in);
    float v[3] = {1.0f, 2.0f, 3.0f};
    const ReadResult r = reader.read_reals(v, c.n);
    std::string next;
    if (!reader.read_name(next)) next = "<end>";
    EXPECT_EQ(r.status, c.status) << "input '" << c.input << "' gave " << name(r.status) << " " << r.item;
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(v[i], c.expected[i]) << "input '" << c.input << "' value " << i;
    EXPECT_EQ(next, c.next) << "input '" << c.input << "'";
  }
}

// Items that are no real, with the item and reason the diagnostic receives.
TEST(ReadReals, UnreadableItems) {
  const std::string long_digits = "1" + std::string(1000, '0');
  const struct {
    std::string input, item, reason;
  } cases[] = {
      {"inf", "inf", "not a number"},        {"nan", "nan", "not a number"},
      {"-Inf", "-Inf", "not a number"},      {"1.5+3", "1.5+3", "not a number"},
      {".", ".", "not a number"},            {"e5", "e5", "not a number"},
      {"1e", "1e", "not a number"},          {"+", "+", "not a number"},
      {"0x10", "0x10", "not a number"},      {"1..2", "1..2", "not a number"},
      {"--1", "--1", "not a number"},        {"1e+", "1e+", "not a number"},
      {"1e39", "1e39", "out of range"},      {"-3.5e38", "-3.5e38", "out of range"},
      {"1e99999999999999999999", "1e99999999999999999999", "out of range"},
      {long_digits, std::string(40, '0').replace(0, 1, "1") + "...", "out of range"},
      {std::string("1\0\x7f", 3), "1\\x00\\x7F", "not a number"},
      {std::string(5000, '7'), std::string(40, '7') + "...", "too long"},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input + "\n2\n");
    AnswerReader reader(in);
    float v = 1.0f;
    const ReadResult r = reader.read_reals(&v, 1);
    EXPECT_EQ(r.status, ReadStatus::unreadable) << "input '" << c.item << "'";
    EXPECT_EQ(r.item, c.item);
    EXPECT_EQ(r.reason, c.reason) << "input '" << c.item << "'";
    EXPECT_EQ(v, 1.0f) << "input '" << c.item << "'";
    ASSERT_TRUE(reader.read_reals(&v, 1)) << "line after '" << c.item << "'";
    EXPECT_EQ(v, 2.0f);
  }
}

TEST(ReadReals, LongNumbersConvertExactly) {
  const struct {
    std::string input;
    float expected;
  } cases[] = {
      {std::string(1000, '0') + "3.25", 3.25f},
      {"0." + std::string(999, '0') + "1", 0.0f},
      {"1." + std::string(1000, '0') + "1e-1", 0.1f},
      {"1e-" + std::string(1000, '0') + "2", 0.01f},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    AnswerReader reader(in);
    float v = -1.0f;
    EXPECT_TRUE(reader.read_reals(&v, 1)) << c.input.substr(0, 20);
    EXPECT_EQ(v, c.expected) << c.input.substr(0, 20);
  }
}

TEST(ReadIntegers, WholeNumbersWithinThirtyTwoBits) {
  const struct {
    std::string input;
    ReadStatus status;
    int expected;
    const char* reason;
  } cases[] = {
      {"2\n", ReadStatus::ok, 2, ""},
      {"  +7 8\n", ReadStatus::ok, 7, ""},
      {"007", ReadStatus::ok, 7, ""},
      {"-2147483648", ReadStatus::ok, INT32_MIN, ""},
      {"2147483647", ReadStatus::ok, INT32_MAX, ""},
      {",\n", ReadStatus::ok, 5, ""},
      {"2147483648", ReadStatus::unreadable, 5, "out of range"},
      {"-2147483649", ReadStatus::unreadable, 5, "out of range"},
      {"1" + std::string(1000, '0'), ReadStatus::unreadable, 5, "out of range"},
      {"3.0", ReadStatus::unreadable, 5, "not a whole number"},
      {"3e0", ReadStatus::unreadable, 5, "not a whole number"},
      {"1.5", ReadStatus::unreadable, 5, "not a whole number"},
      {"1D0", ReadStatus::unreadable, 5, "not a whole number"},
      {"two", ReadStatus::unreadable, 5, "not a number"},
      {"-", ReadStatus::unreadable, 5, "not a number"},
      {"\n\n", ReadStatus::end_of_input, 5, ""},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    AnswerReader reader(in);
    int v = 5;
    const ReadResult r = reader.read_integers(&v, 1);
    EXPECT_EQ(r.status, c.status) << "input '" << c.input.substr(0, 20) << "' gave " << name(r.status);
    EXPECT_EQ(v, c.expected) << "input '" << c.input.substr(0, 20) << "'";
    EXPECT_EQ(r.reason, c.reason) << "input '" << c.input.substr(0, 20) << "'";
  }
}

TEST(ReadName, OneWholeLineFirstSeventyCharacters) {
  const std::string seventy = std::string(69, 'a') + "b";
  const struct {
    std::string input;
    std::vector<std::string> names;  // every line read until the input ends
  } cases[] = {
      {"out.txt\n", {"out.txt"}},
      {"out.txt   \r\nnext\r\n", {"out.txt", "next"}},
      {"  my report, v2.txt\t\n", {"  my report, v2.txt\t"}},
      {seventy + "cdef\nnext\n", {seventy, "next"}},
      {std::string(60, 'x') + std::string(20, ' ') + "\n", {std::string(60, 'x')}},
      {"\n\nlast", {"", "", "last"}},
      {"a\r", {"a"}},
      {"a\rb\n", {"a\rb"}},
      {std::string(1 << 20, 'z') + "\nnext", {std::string(70, 'z'), "next"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    std::istringstream in(c.input);
    AnswerReader reader(in);
    std::vector<std::string> names;
    std::string n = "unchanged";
    while (reader.read_name(n)) names.push_back(n);
    EXPECT_EQ(names, c.names) << "input '" << c.input.substr(0, 20) << "'";
    EXPECT_EQ(reader.read_name(n).status, ReadStatus::end_of_input);
  }
}

// Hostile input: a megabyte on one line, and pseudo-random bytes. Every read
// must end, with some status, and the input must be consumed to its end.
TEST(AnswerReader, HostileInputEndsEveryRead) {
  std::istringstream huge("1 2 " + std::string(1 << 20, 'x') + "\n" + std::string(1 << 20, '9') + "\n4\n");
  AnswerReader reader(huge);
  float v[2] = {0.0f, 0.0f};
  EXPECT_TRUE(reader.read_reals(v, 2));
  EXPECT_EQ(v[1], 2.0f);
  EXPECT_EQ(reader.read_reals(v, 1).reason, "too long");
  EXPECT_TRUE(reader.read_reals(v, 1));
  EXPECT_EQ(v[0], 4.0f);

  std::string noise;
  std::uint32_t x = 12345u;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1664525u + 1013904223u;  // Numerical Recipes LCG
    noise += static_cast<char>(x >> 24);
  }
  std::istringstream in(noise);
  AnswerReader noisy(in);
  int reads = 0;
  for (int k = 0; reads < 1000000; ++reads, ++k) {
    float f[3] = {0.0f, 0.0f, 0.0f};
    int i = 0;
    std::string s;
    const ReadResult r = k % 3 == 0 ? noisy.read_reals(f, 3) : k % 3 == 1 ? noisy.read_integers(&i, 1) : noisy.read_name(s);
    if (r.status == ReadStatus::end_of_input) break;
    EXPECT_LE(r.item.size(), 4u * 40u + 3u);
  }
  EXPECT_LT(reads, 1000000);
}

}  // namespace
