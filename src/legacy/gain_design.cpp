#include "legacy/gain_design.h"

#include <cmath>

#include "legacy/chngn.h"
#include "numeric/constants.h"

namespace quaven {
namespace {
constexpr float light = legacy::c_in_per_ns;
constexpr float light_2pi = legacy::c_over_2pi;
constexpr float db_ln = legacy::db_per_neper;
}  // namespace

DesignLine gain_design_line(float freq, float gain, float s) {
  DesignLine d;
  d.s = s;
  const float wl = light / freq;
  const float loss = chngn_loss(s);
  d.arad = light_2pi / freq * std::exp((gain + loss) / db_ln);
  d.aw = d.arad / wl;
  d.srad = d.arad * d.arad / (2.0f * wl * s);
  d.fig = horn_figures(freq, d.arad, d.srad);
  return d;
}

}  // namespace quaven
