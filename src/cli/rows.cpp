#include "cli/rows.h"

#include "horn/chp11.h"
#include "horn/gain_design.h"

namespace quaven {

bool count_sweep(Sweep& sweep) {
  if (sweep.step == 0.0f) return false;
  const float n = (sweep.last - sweep.first) / sweep.step + 1.4f;
  if (!(n > -2147483648.0f && n < 2147483648.0f)) return false;
  sweep.count = static_cast<int>(n);
  return true;
}

DesignLine design_row(const DesignRequest& r, int i) {
  const float s = r.s.at(i);
  if (r.to_gain) return gain_design_line(r.freq, r.gain, s);
  return design_line(r.freq, curve_beamwidth(r.bw, r.plev, r.ilev), r.ilev, r.iplane, s);
}

HornFigures response_row(const ResponseRequest& r, int i) {
  return response_line(r.f.at(i), r.arad, r.srad, r.plev, r.ilev);
}

PatternRow pattern_row(const PatternRequest& r, int i) {
  constexpr float tr = 0.0174532905f;  // radians per degree
  PatternRow p;
  p.deg = r.angles.at(i);
  const float theta = p.deg * tr;
  chp11(r.freq, r.arad, r.srad, theta, p.ampe, p.amph, p.phe, p.phh);
  return p;
}

}  // namespace quaven
