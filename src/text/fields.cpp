// Fixed-width output fields (w.d) of the report and the terminal tables.
#include "text/fields.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace quaven {

namespace {

// `text` right-justified in w characters, or w asterisks when it is longer.
std::string justify(int w, const char* text, std::size_t size) {
  const std::size_t width = static_cast<std::size_t>(w);
  if (size > width) return std::string(width, '*');
  std::string field(width, ' ');
  field.replace(width - size, size, text, size);
  return field;
}

std::string justify(int w, const std::string& text) { return justify(w, text.data(), text.size()); }

// Decimals for which x * 10^d is exact in double: a float's 24-bit
// significand times 5^d stays within 53 bits up to d = 12.
constexpr int exact_decimals = 12;
constexpr double powers_of_ten[exact_decimals + 1] = {1e0, 1e1, 1e2, 1e3, 1e4,  1e5, 1e6,
                                                      1e7, 1e8, 1e9, 1e10, 1e11, 1e12};

// The text of %#.*f for a finite x with d <= 12 decimals whose scaled
// magnitude stays below 2^53, written into `out` (room for 40 characters);
// returns its length, or 0 when x is outside that range. |x| * 10^d is
// exact, so rounding it to an integer in the current (round-to-nearest,
// ties-to-even) mode rounds the exact binary value as printf does; the
// sign is that of x, kept also when the rounded value is zero.
std::size_t fixed_text(int d, float x, char* out) {
  if (d > exact_decimals) return 0;
  const double scaled = std::fabs(static_cast<double>(x)) * powers_of_ten[d];
  if (!(scaled < 9007199254740992.0)) return 0;  // 2^53
  auto n = static_cast<unsigned long long>(std::nearbyint(scaled));
  char digits[24];  // the integer's digits, last first
  int count = 0;
  for (int i = 0; i < d; ++i) {
    digits[count++] = static_cast<char>('0' + n % 10);
    n /= 10;
  }
  do {
    digits[count++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  std::size_t len = 0;
  if (std::signbit(x)) out[len++] = '-';
  for (int i = count - 1; i >= d; --i) out[len++] = digits[i];
  out[len++] = '.';
  for (int i = d - 1; i >= 0; --i) out[len++] = digits[i];
  return len;
}

}  // namespace

// x in a w.d field. The digits are those of printf's %#.*f conversion of x
// (exact in double), which rounds the exact binary value to d decimals with
// halfway cases to even, keeps the minus sign of a negative value that rounds
// to zero (and of a negative zero), and with '#' always writes the point;
// the fields of the tables are made without printf by fixed_text, larger
// ones by printf itself. The zero before the point of a magnitude below 1 is
// optional: it is dropped when the field is one character short of holding
// it. Not-a-number and the infinities are shown as the words NaN, Inf and
// -Inf.
std::string fixed(int w, int d, float x) {
  if (w <= 0) return std::string();
  if (std::isnan(x)) return justify(w, "NaN");
  if (std::isinf(x)) return justify(w, x < 0.0f ? "-Inf" : "Inf");
  if (d < 0) d = 0;
  // A field needs at least the point and d decimals; beyond that the value
  // cannot fit, which also keeps the conversion below to a modest length.
  if (d >= w) return std::string(static_cast<std::size_t>(w), '*');

  char small[40];
  std::size_t len = fixed_text(d, x, small);
  std::vector<char> large;
  char* text = small;
  if (len == 0) {
    const double v = static_cast<double>(x);
    const int n = std::snprintf(nullptr, 0, "%#.*f", d, v);
    if (n <= 0) return std::string(static_cast<std::size_t>(w), '*');
    large.resize(static_cast<std::size_t>(n) + 1);
    std::snprintf(large.data(), large.size(), "%#.*f", d, v);
    text = large.data();
    len = static_cast<std::size_t>(n);
  }

  if (len > static_cast<std::size_t>(w)) {
    const std::size_t zero = (text[0] == '-') ? 1 : 0;
    if (text[zero] == '0' && text[zero + 1] == '.') {
      std::memmove(text + zero, text + zero + 1, len - zero - 1);
      --len;
    }
  }
  return justify(w, text, len);
}

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

}  // namespace quaven
