#include "legacy/chbwd.h"

#include <cmath>
#include <limits>

#include "legacy/algip.h"
#include "legacy/universal_curves.h"
#include "numeric/constants.h"

namespace quaven {

namespace {
constexpr float alf = legacy::db_per_neper_half;
constexpr float tr = legacy::rad_per_deg;
constexpr float p2 = legacy::two_pi_design;
constexpr float level3 = 3.01f;    // the "3 dB" curves' level, dB
constexpr float level10 = 10.0f;
}  // namespace

void chbwd(const float& s, float& aw, const float& bwc, const int& ilev, const int& iplane) {
  if (ilev != 1 && ilev != 2) {
    aw = std::numeric_limits<float>::quiet_NaN();
    return;
  }

  // Level in dB of the obliquity factor (1 + cos theta)/2 at half the beamwidth.
  const float b = -(alf + alf) * std::log((1.0f + std::cos(bwc * tr / 2.0f)) / 2.0f);
  const float widen = ilev == 1 ? std::sqrt((b + level3) / level3) : std::sqrt((b + level10) / level10);
  const float bwp = bwc * widen;

  const Window w = table_window(s, curves::step, 1.0f, curves::largest_first);
  if (!w.valid) {
    aw = std::numeric_limits<float>::quiet_NaN();
    return;
  }

  // The average plane averages the tables entry by entry before interpolating.
  const float* low = ilev == 1 ? curves::e3 : curves::e1;
  const float* high = ilev == 1 ? curves::h3 : curves::h1;
  float ys[3];
  for (int i = 0; i < 3; ++i) {
    const int q = w.first + i - 1;  // 0-based entry
    if (iplane == 2) {
      ys[i] = high[q];
    } else if (iplane == 3) {
      ys[i] = (low[q] + high[q]) / 2.0f;
    } else {
      ys[i] = low[q];
    }
  }
  static constexpr int three = 3;
  const float v = algip(s, w.xs, ys, three);

  aw = v / (std::sin(tr * bwp / 2.0f) * p2);
}

}  // namespace quaven
