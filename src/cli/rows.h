// The rows of the command line's tables from the legacy models: one request
// per subcommand and the value-returning call that makes row i of its sweep.
#pragma once

#include "horn/figures.h"
#include "numeric/sweep.h"

namespace quaven {

// One design: to a beamwidth (`bw` degrees meant at `plev` dB, designed on
// the curves of level `ilev`, 1: 3 dB, 2: 10 dB, in plane `iplane`, 1: E,
// 2: H, 3: average) or, when `to_gain`, to a gain of `gain` dB.
struct DesignRequest {
  float freq = 0.0f;  // GHz
  bool to_gain = false;
  float bw = 0.0f;
  float gain = 0.0f;
  float plev = 3.0f;
  int ilev = 1;
  int iplane = 1;
  Sweep s;  // cycles
};
// Design line number i (from 1) of the sweep over S; lengths in inches.
DesignLine design_row(const DesignRequest& r, int i);

// The frequency response of a horn at the design levels (`plev`, `ilev` as
// in DesignRequest).
struct ResponseRequest {
  float arad = 0.0f;  // aperture radius, inches
  float srad = 0.0f;  // slant radius, inches (+inf allowed)
  float plev = 3.0f;
  int ilev = 1;
  Sweep f;  // GHz
};
// Response line number i (from 1): the figures at frequency f.at(i).
HornFigures response_row(const ResponseRequest& r, int i);

// The radiation pattern of a horn over a sweep of angles off axis.
struct PatternRequest {
  float freq = 0.0f;  // GHz
  float arad = 0.0f;  // inches
  float srad = 0.0f;  // inches (+inf allowed)
  Sweep angles;       // degrees
};
struct PatternRow {
  float deg = 0.0f;   // angle off axis, degrees
  float ampe = 0.0f;  // E-plane amplitude, dB
  float phe = 0.0f;   // E-plane phase, degrees
  float amph = 0.0f;  // H-plane amplitude, dB
  float phh = 0.0f;   // H-plane phase, degrees
};
// Pattern row number i (from 1), from chp11 at angles.at(i) degrees.
PatternRow pattern_row(const PatternRequest& r, int i);

}  // namespace quaven
