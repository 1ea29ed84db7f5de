// Aperture radius for a design beamwidth (was chbwd).
#pragma once

namespace quaven {

// For one maximum aperture phase deviation S, the aperture radius in
// wavelengths at which a conical TE11 horn has the full beamwidth `bwc` at
// the level of a universal curve. The curves omit the obliquity factor
// (1 + cos theta)/2, so the beamwidth is first widened by the level that
// factor contributes at bwc/2, then the curve value v = 2*pi*aw*sin(bw'/2)
// is read through the three-point window and solved for aw.
//
// s      in   maximum aperture phase deviation, cycles
// aw     out  aperture radius in wavelengths (a/lambda); NaN for a
//             non-finite S or an ilev other than 1 or 2; +inf for bwc = 0
// bwc    in   full beamwidth, degrees, at the curve level
// ilev   in   1: 3 dB curves (level 3.01 dB), 2: 10 dB curves
// iplane in   1 E-plane, 2 H-plane, 3 average of the E and H entries;
//             any other value acts as 1
void chbwd(const float& s, float& aw, const float& bwc, const int& ilev, const int& iplane);

}  // namespace quaven
