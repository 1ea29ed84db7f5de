#include "legacy/algip.h"

#include <cmath>
#include <limits>

namespace quaven {

float algip(const float& x, const float* xs, const float* ys, const int& n) {
  float sum = 0.0f;
  for (int i = 0; i < n; ++i) {
    float p = 1.0f;
    for (int j = 0; j < n; ++j) {
      if (j == i) continue;
      p = ((x - xs[j]) * p) / (xs[i] - xs[j]);
    }
    sum = ys[i] * p + sum;
  }
  return sum;
}

Window table_window(float s, float step, float offset, int largest_first) {
  Window w;
  if (!std::isfinite(s)) {
    // No integer index exists; the caller's results become NaN.
    w.valid = false;
    for (float& x : w.xs) x = std::numeric_limits<float>::quiet_NaN();
    return w;
  }
  // Clamp in float before converting so that no value outside the int
  // range is ever truncated; for 1 <= t < largest_first this is plain
  // truncation toward zero.
  const float t = s / step + offset;
  int ns;
  if (t < 1.0f) {
    ns = 1;
  } else if (t >= static_cast<float>(largest_first)) {
    ns = largest_first;
  } else {
    ns = static_cast<int>(t);
  }
  w.first = ns;
  for (int i = 0; i < 3; ++i) w.xs[i] = static_cast<float>(ns + i - 1) * step;
  return w;
}

float window_value(const Window& w, float s, const float* column) {
  if (!w.valid) return std::numeric_limits<float>::quiet_NaN();
  static constexpr int three = 3;
  return algip(s, w.xs, column + (w.first - 1), three);
}

}  // namespace quaven
