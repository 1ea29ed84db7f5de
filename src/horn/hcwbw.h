// Beamwidths of a given conical horn (was hcwbw).
#pragma once

namespace quaven {

// f in GHz; a, r aperture and slant radius in inches (r may be +inf).
// Out: full beamwidths in degrees, E 3 dB, H 3 dB, E 10 dB, H 10 dB.
void hcwbw(const float& f, const float& a, const float& r, float& bwe3, float& bwh3, float& bwe10,
           float& bwh10);

}  // namespace quaven
