// Gain of a conical horn (was chngn).
#pragma once

namespace quaven {

// f in GHz; a, r aperture and slant radius in inches (r may be +inf).
// gain out, dB: 10 log10((k a)^2) less the phase-error loss for S.
void chngn(const float& f, const float& a, const float& r, float& gain);

}  // namespace quaven
