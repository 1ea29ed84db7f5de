#include "legacy/hcwbw.h"

#include <cmath>

#include "legacy/algip.h"
#include "legacy/universal_curves.h"
#include "numeric/constants.h"

namespace quaven {

namespace {
constexpr float light = legacy::c_in_per_ns;
constexpr float twopi = legacy::two_pi_curves;
constexpr float deg_quarter = legacy::deg_per_quarter_rad;

// Per curve level: power ratio P and K = ln(P)/2.
constexpr float p3 = 0.5f;
constexpr float k3 = -0.3465736f;
constexpr float p10 = 0.1f;
constexpr float k10 = -1.151293f;

float beamwidth(const Window& w, float s, const float* column, float lambda, float a, float p,
                float k) {
  const float v = window_value(w, s, column);
  const float x = v * lambda / (a * twopi);
  const float theta = std::atan(x / std::sqrt(1.0f - x * x));  // arcsin x
  const float n = k / std::log(std::cos(theta / 2.0f)) + 2.0f;
  const float twice_n = n + n;
  const float inv = 1.0f / twice_n;
  const float y = std::pow(p, inv);
  return deg_quarter * std::atan(std::sqrt(1.0f - y * y) / y);  // arccos y * 720/pi
}
}  // namespace

void hcwbw(const float& f, const float& a, const float& r, float& bwe3, float& bwh3, float& bwe10,
           float& bwh10) {
  const float lambda = light / f;
  const float s = a * a / ((r + r) * lambda);
  const Window w = table_window(s, curves::step, 1.0f, curves::largest_first);
  bwe3 = beamwidth(w, s, curves::e3, lambda, a, p3, k3);
  bwh3 = beamwidth(w, s, curves::h3, lambda, a, p3, k3);
  bwe10 = beamwidth(w, s, curves::e1, lambda, a, p10, k10);
  bwh10 = beamwidth(w, s, curves::h1, lambda, a, p10, k10);
}

}  // namespace quaven
