// A choke-ring feed for a dish: the open-ended guide in a flange with N
// quarter-wave grooves, its rings sized by full-wave judgements.
#pragma once

#include "fullwave/fullwave.h"
#include "fullwave/fullwave_feed.h"

namespace quaven {
namespace fullwave {

// The guide is `guide` (an open end: aperture = throat, slant +inf; its wall
// also the rings'). The rings share walls: ring k's groove begins at
// inner + k (width + wall); the flange ends at the last ring's outer wall.
// Each groove is 0.3 wavelength wide. The first ring's inner radius and the
// grooves' depth start from the rules of thumb (inner radius a quarter
// wavelength beyond the rim, depth a quarter wavelength) and are polished
// by Brent's minimiser on each in turn, twice: the inner radius within the
// rim to the rim plus 0.6 wavelength, the depth within 0.15 to 0.4
// wavelength. `equal_tapers`: the E- and H-plane edge tapers made equal
// (their difference least), else the aperture efficiency greatest.
// `size_guide`: the guide's radius is polished too, first in each pass,
// within its single-mode band (ka from 1.05 times TE11's cut-off, 1.933, to
// just below TM01's, 2.393, where a real feed's asymmetries would start to
// carry that mode), starting from the given radius (brought into the band),
// the first ring then kept at the same distance beyond the rim; the guide's
// length and wall stay as given.
struct ChokeDesignRequest {
  Geometry guide{};
  double frequency_ghz = 0.0;
  double f_over_d = 0.0;
  int rings = 1;
  bool equal_tapers = false;
  bool size_guide = false;
  double per_wavelength = 20.0;
};
struct ChokeDesign {
  Geometry geometry{};  // the guide with its flange and rings
  FeedRow row;          // judged on the dish
  int judgements = 0;   // full-wave solutions made
};
// Throws std::invalid_argument for a guide that is not an open end, rings
// outside 1 to 3, or the solver's refusals of the guide.
ChokeDesign design_choke_feed(const ChokeDesignRequest& request);

}  // namespace fullwave
}  // namespace quaven
