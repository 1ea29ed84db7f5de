// The figures of one table line, as value-returning calls over the routines.
#pragma once

namespace quaven {

// Beamwidths (degrees), phase centres (wavelengths) and gain (dB) of a horn.
struct HornFigures {
  float bwe3 = 0.0f;   // E-plane, 3 dB
  float bwh3 = 0.0f;   // H-plane, 3 dB
  float bwe10 = 0.0f;  // E-plane, 10 dB
  float bwh10 = 0.0f;  // H-plane, 10 dB
  float pce = 0.0f;    // E-plane phase centre
  float pch = 0.0f;    // H-plane phase centre
  float gain = 0.0f;
};

// hcwbw, then chpce on the two 10 dB beamwidths as hcwbw gives them, then
// chngn: f in GHz, a and r in inches (r may be +inf).
HornFigures horn_figures(float f, float a, float r);

// One line of a design table: the horn whose beamwidth at curve level `ilev`
// in plane `iplane` is `bwc` degrees at phase deviation `s`, at `freq` GHz.
struct DesignLine {
  float s = 0.0f;
  float aw = 0.0f;    // aperture radius, wavelengths
  float arad = 0.0f;  // aperture radius, inches
  float srad = 0.0f;  // slant radius, inches (+inf at s = 0)
  HornFigures fig;
};
DesignLine design_line(float freq, float bwc, int ilev, int iplane, float s);

// The beamwidth to design with: `bw`, meant at `plev` dB, scaled to the
// curve level `ilev` (1: 3 dB, 2: 10 dB) by sqrt(curve level / plev).
float curve_beamwidth(float bw, float plev, int ilev);

// One line of a frequency response at `fr` GHz: the pair of beamwidths at
// curve level `ilev` is brought to the user's level `plev` by
// sqrt(plev / curve level); the other pair stays at its own level.
HornFigures response_line(float fr, float arad, float srad, float plev, int ilev);

}  // namespace quaven
