#include "legacy/chpce.h"

#include <cmath>

#include "legacy/chp11.h"
#include "numeric/constants.h"

namespace quaven {
namespace {

constexpr float tr = legacy::rad_per_deg;

}  // namespace

// The phase of chp11 is sampled at theta = 0, D, 2D, 3D, 4D with
// D = sqrt(be*bh)/8 (so the last sample is half the geometric-mean 10 dB
// beamwidth, the same angles for both planes) and the wrapped steps are
// summed into a phase run per plane. A point source d wavelengths behind
// the aperture gives a run of 360 d (1 - cos theta) degrees out to theta;
// each plane inverts that at its own half-beamwidth, be/2 or bh/2.
void chpce(const float& f, const float& a, const float& r, const float& be, float& pe, const float& bh,
           float& ph) {
  const float delta = std::sqrt(be * bh) * tr / 8.0f;

  float ampe = 0.0f;
  float amph = 0.0f;
  float phe_prev = 0.0f;
  float phh_prev = 0.0f;
  // One horn, five angles: the aperture phase terms are made once.
  const Te11Pattern pattern(f, a, r);
  const float th0 = 0.0f;
  pattern.at(th0, ampe, amph, phe_prev, phh_prev);

  float sume = 0.0f;
  float sumh = 0.0f;
  for (int i = 1; i <= 4; ++i) {
    const float th = static_cast<float>(i) * delta;
    float phe = 0.0f;
    float phh = 0.0f;
    pattern.at(th, ampe, amph, phe, phh);
    sume = sume + rela(phe, phe_prev);
    sumh = sumh + rela(phh, phh_prev);
    phe_prev = phe;
    phh_prev = phh;
  }

  pe = sume / ((1.0f - std::cos(be * tr / 2.0f)) * 360.0f);
  ph = sumh / ((1.0f - std::cos(bh * tr / 2.0f)) * 360.0f);
}

// p - q in degrees. Phases of opposite sign are first brought onto one side
// of the cut (the negative one moved up a turn); a difference still beyond
// half a turn is then taken the other way round. A difference of exactly 180
// is kept as it is, and NaN passes through both tests.
float rela(const float& p, const float& q) {
  float pp = p;
  float qq = q;
  if (pp * qq < 0.0f) {
    if (pp < 0.0f) {
      pp = pp + 360.0f;
    } else {
      qq = qq + 360.0f;
    }
  }
  float d = pp - qq;
  if (std::fabs(d) > 180.0f) {
    if (d > 0.0f) {
      d = d - 360.0f;
    } else {
      d = d + 360.0f;
    }
  }
  return d;
}

}  // namespace quaven
