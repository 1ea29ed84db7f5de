// Fixed-width output fields (w.d) of the report and the terminal tables.
#include "dialogue/fields.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <vector>

namespace quaven {

namespace {

// `text` right-justified in w characters, or w asterisks when it is longer.
std::string justify(int w, const std::string& text) {
  const std::size_t width = static_cast<std::size_t>(w);
  if (text.size() > width) return std::string(width, '*');
  return std::string(width - text.size(), ' ') + text;
}

}  // namespace

// x in a w.d field. The digits come from printf's %#.*f conversion of x
// (exact in double), which rounds the exact binary value to d decimals with
// halfway cases to even, keeps the minus sign of a negative value that rounds
// to zero (and of a negative zero), and with '#' always writes the point.
// The zero before the point of a magnitude below 1 is optional: it is
// dropped when the field is one character short of holding it. Not-a-number
// and the infinities are shown as the words NaN, Inf and -Inf.
std::string fixed(int w, int d, float x) {
  if (w <= 0) return std::string();
  if (std::isnan(x)) return justify(w, "NaN");
  if (std::isinf(x)) return justify(w, x < 0.0f ? "-Inf" : "Inf");
  if (d < 0) d = 0;
  // A field needs at least the point and d decimals; beyond that the value
  // cannot fit, which also keeps the conversion below to a modest length.
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
  return justify(w, text);
}

}  // namespace quaven
