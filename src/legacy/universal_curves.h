// The universal beamwidth curves of the conical TE11 horn.
#pragma once

namespace quaven {

// Each curve gives, against the maximum aperture phase deviation S (cycles),
// the normalised aperture size v = k*a*sin(theta) at which the aperture
// pattern (without the (1 + cos theta)/2 factor) has fallen to the level.
// 19 entries; entry q (1-based) belongs to S = 0.04*(q - 1), 0 to 0.72.
namespace curves {
constexpr int count = 19;
constexpr float step = 0.04f;
constexpr int largest_first = 17;
extern const float e3[count];  // E-plane, 3 dB
extern const float h3[count];  // H-plane, 3 dB
extern const float e1[count];  // E-plane, 10 dB
extern const float h1[count];  // H-plane, 10 dB
}  // namespace curves

}  // namespace quaven
