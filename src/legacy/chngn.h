// Gain of a conical horn (was chngn).
#pragma once

namespace quaven {

// Gain of a conical TE11 horn: that of a uniformly lit circular aperture of
// the same radius, 10 log10((k a)^2), less a loss read from a table over the
// maximum aperture phase deviation S = a^2/(2 lambda R) by the three-point
// window (step 0.02, offset 1.1, largest first entry 39) and algip. Beyond
// S = 0.80 the loss is extrapolated without limit.
//
// f in GHz; a, r aperture and slant radius in inches (r may be +inf).
// gain out, dB; -inf for f = 0, NaN for a non-finite S (r = 0).
void chngn(const float& f, const float& a, const float& r, float& gain);

// The loss term of chngn alone, in dB against (k a)^2, at phase deviation s
// in cycles; NaN for a non-finite s. Since it depends on s only, a design to
// a gain G finds the aperture in closed form: k a = exp((G + L(s))/8.685889).
float chngn_loss(const float& s);

}  // namespace quaven
