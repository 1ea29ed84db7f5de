// Design of a conical horn to a gain instead of a beamwidth.
#pragma once

#include "legacy/figures.h"

namespace quaven {

// The horn whose gain by chngn is `gain` dB at `freq` GHz and maximum
// aperture phase deviation `s` cycles. chngn's loss L depends on s alone, so
// its formula gain = 8.685889 ln(a f/1.878482) - L inverts in closed form:
// a = 1.878482/f * exp((gain + L)/8.685889) inches, and the slant radius
// follows from s = a^2/(2 lambda R), R = a*a/(2 lambda s) (+inf at s = 0).
// The figures are those of the horn so found, as for a design line.
DesignLine gain_design_line(float freq, float gain, float s);

}  // namespace quaven
