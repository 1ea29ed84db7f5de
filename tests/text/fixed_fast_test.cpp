// fixed() makes the fields of the tables without printf; here it is held to
// the printf-based field it replaced (kept below as the reference) over
// ties, signed zeros, the edges of the printf-free range and a spread of
// random bit patterns, for the record fields and for arbitrary w.d.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "text/fields.h"

namespace {

using quaven::fixed;

// The field straight from printf's %#.*f, as the reference.
std::string printf_field(int w, int d, float x) {
  auto justify = [w](const std::string& text) {
    const std::size_t width = static_cast<std::size_t>(w);
    if (text.size() > width) return std::string(width, '*');
    return std::string(width - text.size(), ' ') + text;
  };
  if (w <= 0) return std::string();
  if (std::isnan(x)) return justify("NaN");
  if (std::isinf(x)) return justify(x < 0.0f ? "-Inf" : "Inf");
  if (d < 0) d = 0;
  if (d >= w) return std::string(static_cast<std::size_t>(w), '*');
  const double v = static_cast<double>(x);
  const int len = std::snprintf(nullptr, 0, "%#.*f", d, v);
  if (len <= 0) return std::string(static_cast<std::size_t>(w), '*');
  std::vector<char> buf(static_cast<std::size_t>(len) + 1);
  std::snprintf(buf.data(), buf.size(), "%#.*f", d, v);
  std::string text(buf.data(), static_cast<std::size_t>(len));
  if (text.size() > static_cast<std::size_t>(w)) {
    const std::size_t zero = (text[0] == '-') ? 1 : 0;
    if (text.compare(zero, 2, "0.") == 0) text.erase(zero, 1);
  }
  return justify(text);
}

float from_bits(std::uint32_t b) {
  float x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

struct Field {
  int w, d;
};

// The w.d fields of the design and response records and their headers.
constexpr Field kRecordFields[] = {{6, 3}, {8, 4}, {7, 2}, {7, 3}, {6, 1}, {5, 0}, {4, 0}, {5, 1}, {8, 3}};

// Compares fixed with the reference for every value and field; reports the
// first few differences.
void expect_same(const std::vector<float>& values, const std::vector<Field>& fields) {
  int failures = 0;
  for (const Field& f : fields) {
    for (float x : values) {
      const std::string got = fixed(f.w, f.d, x);
      const std::string want = printf_field(f.w, f.d, x);
      if (got != want && ++failures <= 10) {
        ADD_FAILURE() << "x = " << std::hexfloat << x << std::defaultfloat << " (" << x << ") in " << f.w << "."
                      << f.d << ": '" << got << "' but printf gives '" << want << "'";
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

std::vector<Field> all_fields() {
  std::vector<Field> fields;
  for (int w = 1; w <= 24; ++w) {
    for (int d = -1; d <= 16; ++d) fields.push_back({w, d});
  }
  return fields;
}

TEST(FixedWithoutPrintf, HalfwayCasesRoundToEvenOnTheBinaryValue) {
  // k/2^m are exact floats; at d decimals those with a last digit 5 past the
  // d-th decimal are true ties.
  std::vector<float> values;
  for (int m = 1; m <= 12; ++m) {
    for (int k = -200; k <= 200; ++k) values.push_back(std::ldexp(static_cast<float>(k), -m));
  }
  for (float x : {0.35f, 123.45f, 0.1f, 2.5f, 3.5f, 0.125f, 0.375f, 1.0625f, 999.5f, 9.9995f, 0.00005f})
    values.push_back(x);
  expect_same(values, all_fields());
}

TEST(FixedWithoutPrintf, SignedZerosAndNegativesThatRoundToZero) {
  std::vector<float> values = {0.0f, -0.0f, -1e-30f, -0.0004f, -0.0005f, -0.0006f, -0.04999f, -0.5f,
                               std::numeric_limits<float>::denorm_min(), -std::numeric_limits<float>::denorm_min(),
                               std::numeric_limits<float>::min(), -std::numeric_limits<float>::min()};
  expect_same(values, all_fields());
}

TEST(FixedWithoutPrintf, EdgesOfThePrintfFreeRange) {
  // Around 2^53 / 10^d the field changes over to printf; values far beyond,
  // the largest float, and the non-finite words.
  std::vector<float> values = {std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                               std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::quiet_NaN(), 1e20f, -1e20f, 16777216.0f, 16777217.0f};
  for (int d = 0; d <= 16; ++d) {
    const float edge = static_cast<float>(9007199254740992.0 / std::pow(10.0, d));
    for (float x : {edge, std::nextafter(edge, 0.0f), std::nextafter(edge, 1e30f)}) {
      values.push_back(x);
      values.push_back(-x);
    }
  }
  expect_same(values, all_fields());
}

TEST(FixedWithoutPrintf, RandomBitPatternsInTheRecordFields) {
  std::mt19937 gen(20240607u);
  std::uniform_int_distribution<std::uint32_t> any_bits;
  std::uniform_real_distribution<float> table_range(-1000.0f, 1000.0f);
  std::vector<float> values;
  for (int i = 0; i < 20000; ++i) values.push_back(from_bits(any_bits(gen)));
  for (int i = 0; i < 20000; ++i) values.push_back(table_range(gen));
  expect_same(values, std::vector<Field>(std::begin(kRecordFields), std::end(kRecordFields)));
}

TEST(FixedWithoutPrintf, EveryFloatOfAStretchInEveryRecordField) {
  // Consecutive floats from 0.99 upwards cross many decimal boundaries at
  // every d of the records.
  std::vector<float> values;
  std::uint32_t b;
  const float start = 0.99f;
  std::memcpy(&b, &start, sizeof b);
  for (int i = 0; i < 100000; ++i) values.push_back(from_bits(b + static_cast<std::uint32_t>(i) * 7u));
  expect_same(values, std::vector<Field>(std::begin(kRecordFields), std::end(kRecordFields)));
}

}  // namespace
