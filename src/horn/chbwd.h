// Aperture radius for a design beamwidth (was chbwd).
#pragma once

namespace quaven {

// s      in   maximum aperture phase deviation, cycles
// aw     out  aperture radius in wavelengths (a/lambda)
// bwc    in   full beamwidth, degrees, at the curve level
// ilev   in   1: 3 dB curves, 2: 10 dB curves (anything else gives NaN)
// iplane in   1 E-plane, 2 H-plane, 3 average; any other value acts as 1
void chbwd(const float& s, float& aw, const float& bwc, const int& ilev, const int& iplane);

}  // namespace quaven
