#include "numeric/shortest.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace quaven {
namespace {

#if defined(__cpp_lib_to_chars)

template <class Real>
std::string to_text(Real x) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, r.ptr);
}

#else

// Standard libraries without the floating-point std::to_chars (LLVM's libc++
// of the WebAssembly build) get the same text through printf: the fewest
// significant digits whose correctly rounded decimal reads back to the value
// (the closest of the shortest, as to_chars gives), then the fixed or the
// exponent form, whichever is shorter, fixed on a tie, and an integer with
// every digit of its exact binary value.
float read_back(const char* text, float) { return std::strtof(text, nullptr); }
double read_back(const char* text, double) { return std::strtod(text, nullptr); }

template <class Real>
std::string to_text(Real x) {
  if (std::isnan(x)) return std::signbit(x) ? "-nan" : "nan";
  if (std::isinf(x)) return x < 0 ? "-inf" : "inf";
  if (x == 0) return std::signbit(x) ? "-0" : "0";
  char sci[64];
  for (int p = 1; p <= std::numeric_limits<Real>::max_digits10; ++p) {
    std::snprintf(sci, sizeof sci, "%.*e", p - 1, static_cast<double>(x));
    if (read_back(sci, x) == x) break;
  }
  // sci is [-]d[.ddd]e(+|-)XX.
  const std::string s(sci);
  const bool negative = s[0] == '-';
  const std::size_t e = s.find('e');
  std::string digits;
  for (std::size_t i = negative ? 1 : 0; i < e; ++i) {
    if (s[i] != '.') digits += s[i];
  }
  const int n = static_cast<int>(digits.size());
  const int exponent = std::atoi(s.c_str() + e + 1);
  std::string fixed;
  if (exponent >= n - 1) {
    char whole[400];
    std::snprintf(whole, sizeof whole, "%.0f", std::fabs(static_cast<double>(x)));
    fixed = whole;
  } else if (exponent >= 0) {
    fixed = digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
  } else {
    fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  const std::string scientific = digits.substr(0, 1) + (n > 1 ? "." + digits.substr(1) : "") + s.substr(e);
  return (negative ? "-" : "") + (fixed.size() <= scientific.size() ? fixed : scientific);
}

#endif

}  // namespace

std::string shortest(float x) { return to_text(x); }
std::string shortest(double x) { return to_text(x); }

}  // namespace quaven
