#include "horn/gain_design.h"

#include <cmath>

#include "horn/chngn.h"

namespace quaven {
namespace {
constexpr float light = 11.80285f;      // inches per nanosecond
constexpr float light_2pi = 1.878482f;  // 11.80285/(2 pi): a*f/this is k*a
constexpr float db_ln = 8.685889f;      // 20/ln 10
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
