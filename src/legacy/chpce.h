// Phase centres from the sampled pattern phase (was chpce), and the wrapped
// phase difference (was rela).
#pragma once

namespace quaven {

// f in GHz; a, r in inches; be, bh full 10 dB beamwidths in degrees.
// Out: pe, ph the E- and H-plane phase centres in wavelengths.
void chpce(const float& f, const float& a, const float& r, const float& be, float& pe, const float& bh,
           float& ph);

// p - q in degrees, taken the shorter way round for phases within +-180.
float rela(const float& p, const float& q);

}  // namespace quaven
