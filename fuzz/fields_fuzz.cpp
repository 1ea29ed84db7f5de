// The w.d field on arbitrary widths, decimals and float bit patterns.
// Input: byte 0 gives w in -5..124, byte 1 gives d in -5..44, bytes 2..5 the
// float's bits (missing bytes are zero). The field must be exactly w
// characters (none for w <= 0) and either w asterisks or a right-justified
// value that reads back within half a unit of its last decimal, with the
// sign of x, exactly max(d, 0) decimals after the point; asterisks only when
// even the shortest form (no zero before the point) is wider than w.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "text/fields.h"
#include "fuzz_check.h"

namespace {

// The shortest text of x with d decimals: the exact value rounded by
// printf, without the zero before the point of a magnitude below 1.
std::size_t shortest(double x, int d) {
  char buf[512];
  const int n = std::snprintf(buf, sizeof buf, "%.*f", d, x);
  if (n < 0 || n >= static_cast<int>(sizeof buf)) return 1000;  // far wider than any field here
  std::size_t len = static_cast<std::size_t>(n) + (d == 0 ? 1 : 0);  // the point is always shown
  const char* digits = buf[0] == '-' ? buf + 1 : buf;
  if (digits[0] == '0' && digits[1] == '.') --len;
  return len;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t b[6] = {};
  std::memcpy(b, data, size < 6 ? size : 6);
  const int w = b[0] % 130 - 5;
  const int d = b[1] % 50 - 5;
  std::uint32_t bits = static_cast<std::uint32_t>(b[2]) | static_cast<std::uint32_t>(b[3]) << 8 |
                       static_cast<std::uint32_t>(b[4]) << 16 | static_cast<std::uint32_t>(b[5]) << 24;
  float x;
  std::memcpy(&x, &bits, sizeof x);

  const std::string f = quaven::fixed(w, d, x);
  const std::size_t width = w > 0 ? static_cast<std::size_t>(w) : 0;
  FUZZ_CHECK(f.size() == width, "fixed(%d, %d, %a) has %zu characters", w, d, static_cast<double>(x), f.size());
  if (width == 0) return 0;

  const std::size_t first = f.find_first_not_of(' ');
  FUZZ_CHECK(first != std::string::npos, "fixed(%d, %d, %a) is blank", w, d, static_cast<double>(x));
  const std::string t = f.substr(first);
  FUZZ_CHECK(t.find(' ') == std::string::npos, "fixed(%d, %d, %a) = '%s'", w, d, static_cast<double>(x), f.c_str());

  if (t == std::string(width, '*')) {
    if (std::isnan(x)) {
      FUZZ_CHECK(width < 3, "NaN in %d characters shown as asterisks", w);
    } else if (std::isinf(x)) {
      FUZZ_CHECK(width < (x < 0.0f ? 4u : 3u), "%a in %d characters shown as asterisks", static_cast<double>(x), w);
    } else {
      const int dd = d < 0 ? 0 : d;
      FUZZ_CHECK(shortest(static_cast<double>(x), dd) > width, "fixed(%d, %d, %a) = asterisks, but it fits", w, d,
                 static_cast<double>(x));
    }
    return 0;
  }
  if (std::isnan(x)) {
    FUZZ_CHECK(t == "NaN", "NaN shown as '%s'", t.c_str());
    return 0;
  }
  if (std::isinf(x)) {
    FUZZ_CHECK(t == (x < 0.0f ? "-Inf" : "Inf"), "%a shown as '%s'", static_cast<double>(x), t.c_str());
    return 0;
  }

  const int dd = d < 0 ? 0 : d;
  const std::size_t point = t.find('.');
  FUZZ_CHECK(point != std::string::npos && t.find('.', point + 1) == std::string::npos,
             "fixed(%d, %d, %a) = '%s': one point", w, d, static_cast<double>(x), t.c_str());
  FUZZ_CHECK(t.size() - point - 1 == static_cast<std::size_t>(dd), "fixed(%d, %d, %a) = '%s': %d decimals", w, d,
             static_cast<double>(x), t.c_str(), dd);
  FUZZ_CHECK((t[0] == '-') == std::signbit(x), "fixed(%d, %d, %a) = '%s': sign", w, d, static_cast<double>(x),
             t.c_str());
  for (std::size_t i = (t[0] == '-') ? 1 : 0; i < t.size(); ++i)
    FUZZ_CHECK(i == point || (t[i] >= '0' && t[i] <= '9'), "fixed(%d, %d, %a) = '%s'", w, d, static_cast<double>(x),
               t.c_str());
  // The value shown is within half a unit of the last decimal of x.
  std::string number = t;
  if (number.back() == '.') number += '0';
  const std::size_t p = number.find('.');
  if (p == 0 || number[p - 1] == '-') number.insert(p, "0");
  const double shown = std::strtod(number.c_str(), nullptr);
  const double half = 0.5 * std::pow(10.0, -dd);
  const double error = std::fabs(shown - static_cast<double>(x));
  FUZZ_CHECK(error <= half * (1.0 + 1e-12) + std::fabs(static_cast<double>(x)) * 1e-15,
             "fixed(%d, %d, %a) = '%s' is %g from x", w, d, static_cast<double>(x), t.c_str(), error);
  return 0;
}
