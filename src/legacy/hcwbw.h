// Beamwidths of a given conical horn (was hcwbw).
#pragma once

namespace quaven {

// E- and H-plane beamwidths at 3 dB and 10 dB of a conical TE11 horn. Each
// universal curve gives v = k*a*sin(theta) at which the aperture pattern
// alone reaches its level; that angle fixes the exponent of a cos^m(psi/2)
// field model, the obliquity factor (1 + cos psi)/2 adds 2 to it, and the
// full beamwidth is read off cos^(2n)(psi/2) = P.
//
// f in GHz; a, r aperture and slant radius in inches (r may be +inf).
// Out: full beamwidths in degrees, E 3 dB, H 3 dB, E 10 dB, H 10 dB. A
// curve that the aperture cannot reach (x = sin(theta) > 1) gives NaN for
// that beamwidth alone; a non-finite S (r = 0) gives NaN for all four.
void hcwbw(const float& f, const float& a, const float& r, float& bwe3, float& bwh3, float& bwe10,
           float& bwh10);

}  // namespace quaven
