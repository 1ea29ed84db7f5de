// A horn designed on the real metal: at a phase deviation S, the aperture
// whose full-wave beamwidth (at a level, in a plane) or directivity equals
// the request, on a given feed guide and wall.
//
// Aperture theory's design (aperture/exact_api.h) starts the search; the
// full-wave figure of the horn of aperture a and slant radius
// R = a^2 / (2 lambda S) is then bracketed and its root found by Brent's
// zeroin on a. The bracket's second point is the scaling law's guess from the
// first (a beamwidth goes as 1/a, a directivity as a^2), and each further
// one a secant step past the last, so that most designs take five to eight
// solutions.
#pragma once

#include "fullwave/fullwave.h"

namespace quaven {
namespace fullwave {

struct DesignRequest {
  Geometry guide{};  // the feed guide's radius and length and the wall (metres); the cone is designed
  double frequency_ghz = 0.0;
  double s_cycles = 0.0;
  // To a beamwidth (degrees, full width at level_db in `plane`: 1 E, 2 H,
  // 3 the mean of the two) or, with to_gain, to a directivity (dBi) of the
  // lossless horn (the realised gain is lower by the mismatch loss,
  // 10 log10(1 - |S11|^2)).
  bool to_gain = false;
  double target = 0.0;
  double level_db = 3.0;
  int plane = 1;
  double per_wavelength = 20.0;
};

// A designed horn's figure is the request within these (its root is found
// to about 3e-4 degrees; only a jump of the figure at the root can miss).
inline constexpr double kBeamwidthToleranceDeg = 0.01;
inline constexpr double kGainToleranceDb = 0.005;

struct Design {
  bool found = false;
  // The designed horn (aperture and slant radius not-a-number when none).
  Geometry geometry{};
  // Its figures at levels (level_db, 3) and 10 dB, as response() gives them.
  Figures figures{};
  double power_balance = 0.0;
  int solutions = 0;  // full-wave solutions the design took
};

// The horn whose figure equals the request. No design (found false, the
// figures not-a-number) at S = 0 (a horn wider than its guide needs a
// flare), where aperture theory has no start, or where no aperture between
// the guide's radius (and 2 S lambda, the slant radius above the aperture)
// and four times the start gives the request (within the tolerances above),
// or the solver refuses the
// horns it needs (a mesh beyond max_unknowns). The guide is the caller's to
// check (check_mesh on the open-ended guide): a guide the solver refuses
// gives no design at any S.
Design design(const DesignRequest& request);

// The figure a design aims at, read off a horn's figures (levels as above).
double design_figure(const Figures& f, bool to_gain, int plane);

}  // namespace fullwave
}  // namespace quaven
