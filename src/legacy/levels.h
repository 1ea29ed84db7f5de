// Pattern levels and the universal curves they are designed on: the curves
// are given at 3 dB (curve 1) and 10 dB (curve 2); a beamwidth at any other
// level is derived from one of them.
#pragma once

#include <array>

#include "numeric/constants.h"

namespace quaven {

// The curve (1 or 2) whose level `plev` (dB) is, or 0 when it is neither.
int curve_of_level(float plev);

// The curve a design or response at `plev` dB uses, given the curve the
// user asks to derive from (`derive`: 0 none, 1 or 2): plev's own curve when
// it has one, else `derive`. 0 when plev has no curve and none is given; -1
// when `derive` names the other curve than plev's own.
int resolve_curve(float plev, int derive);

// The column levels of a response table (E-plane first and second, H-plane
// first and second): the curve levels, with `plev` in place of curve `ilev`
// in both planes. In single precision for the legacy tables, in double for
// exact mode.
template <class T>
std::array<T, 4> column_levels(T plev, int ilev) {
  std::array<T, 4> blv;
  for (int i = 0; i < 4; ++i) blv[i] = static_cast<T>(legacy::curve_levels[i]);
  if (ilev == 1 || ilev == 2) {
    blv[ilev - 1] = plev;
    blv[ilev + 1] = plev;
  }
  return blv;
}

}  // namespace quaven
