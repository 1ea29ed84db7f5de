#include "legacy/figures.h"

#include <cmath>

#include "legacy/chbwd.h"
#include "legacy/chngn.h"
#include "legacy/chpce.h"
#include "legacy/hcwbw.h"
#include "numeric/constants.h"

namespace quaven {
namespace {
constexpr float c = legacy::c_in_per_ns;
constexpr const float* bl = legacy::curve_levels;
}  // namespace

HornFigures horn_figures(float f, float a, float r) {
  HornFigures h;
  hcwbw(f, a, r, h.bwe3, h.bwh3, h.bwe10, h.bwh10);
  chpce(f, a, r, h.bwe10, h.pce, h.bwh10, h.pch);
  chngn(f, a, r, h.gain);
  return h;
}

DesignLine design_line(float freq, float bwc, int ilev, int iplane, float s) {
  DesignLine d;
  d.s = s;
  const float wl = c / freq;
  chbwd(s, d.aw, bwc, ilev, iplane);
  d.arad = d.aw * wl;
  d.srad = (d.aw * wl * d.aw) / (2.0f * s);
  d.fig = horn_figures(freq, d.arad, d.srad);
  return d;
}

float curve_beamwidth(float bw, float plev, int ilev) {
  float blv[4] = {bl[0], bl[1], bl[2], bl[3]};
  if (ilev != 1 && ilev != 2) return NAN;
  blv[ilev - 1] = plev;
  return bw * std::sqrt(bl[ilev - 1] / blv[ilev - 1]);
}

HornFigures response_line(float fr, float arad, float srad, float plev, int ilev) {
  HornFigures h = horn_figures(fr, arad, srad);
  if (ilev == 1) {
    h.bwe3 = h.bwe3 * std::sqrt(plev / bl[0]);
    h.bwh3 = h.bwh3 * std::sqrt(plev / bl[0]);
  } else if (ilev == 2) {
    h.bwe10 = h.bwe10 * std::sqrt(plev / bl[1]);
    h.bwh10 = h.bwh10 * std::sqrt(plev / bl[1]);
  }
  return h;
}

}  // namespace quaven
