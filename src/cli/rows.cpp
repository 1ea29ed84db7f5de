#include "cli/rows.h"

#include "horn/chp11.h"
#include "horn/gain_design.h"
#include "numeric/constants.h"

namespace quaven {

DesignLine design_row(const DesignRequest& r, int i) {
  const float s = r.s.at(i);
  if (r.to_gain) return gain_design_line(r.freq, r.gain, s);
  return design_line(r.freq, curve_beamwidth(r.bw, r.plev, r.ilev), r.ilev, r.iplane, s);
}

HornFigures response_row(const ResponseRequest& r, int i) {
  return response_line(r.f.at(i), r.arad, r.srad, r.plev, r.ilev);
}

PatternRow pattern_row(const PatternRequest& r, int i) {
  PatternRow p;
  p.deg = r.angles.at(i);
  const float theta = p.deg * legacy::rad_per_deg;
  chp11(r.freq, r.arad, r.srad, theta, p.ampe, p.amph, p.phe, p.phh);
  return p;
}

}  // namespace quaven
