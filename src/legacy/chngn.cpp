#include "legacy/chngn.h"

#include <cmath>

#include "legacy/algip.h"
#include "numeric/constants.h"

namespace quaven {

namespace {
// Loss in dB against (k a)^2; entry q (1-based) at S = 0.02*(q - 1), 0 to 0.80.
constexpr int c_count = 41;
constexpr float c[c_count] = {
    0.774f, 0.779f, 0.795f, 0.821f, 0.858f,   //
    0.905f, 0.963f, 1.032f, 1.112f, 1.203f,   //
    1.304f, 1.417f, 1.541f, 1.677f, 1.824f,   //
    1.983f, 2.154f, 2.337f, 2.533f, 2.742f,   //
    2.963f, 3.199f, 3.447f, 3.71f,  3.988f,   //
    4.28f,  4.588f, 4.912f, 5.252f, 5.607f,   //
    5.983f, 6.375f, 6.786f, 7.216f, 7.665f,   //
    8.134f, 8.623f, 9.133f, 9.662f, 10.211f,  //
    10.777f,
};
constexpr float c_step = 0.02f;
constexpr float c_offset = 1.1f;
constexpr int c_largest_first = 39;

constexpr float light = legacy::c_in_per_ns;
constexpr float light_2pi = legacy::c_over_2pi;
constexpr float db_ln = legacy::db_per_neper;
}  // namespace

float chngn_loss(const float& s) {
  const Window w = table_window(s, c_step, c_offset, c_largest_first);
  return window_value(w, s, c);
}

void chngn(const float& f, const float& a, const float& r, float& gain) {
  const float lambda = light / f;
  const float s = a * a / ((lambda + lambda) * r);
  const float loss = chngn_loss(s);
  gain = db_ln * std::log(a * f / light_2pi) - loss;
}

}  // namespace quaven
