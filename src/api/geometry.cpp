#include "api/geometry.h"

#include <cmath>
#include <limits>

#include "numeric/constants.h"

namespace quaven {

ConeGeometry cone_geometry(double aperture, double slant, double throat) {
  constexpr double none = std::numeric_limits<double>::quiet_NaN();
  ConeGeometry g{none, none, none};
  if (!(aperture > 0.0 && slant >= aperture)) return g;
  if (std::isinf(slant)) {
    g.flare_half_angle_deg = 0.0;
    g.cone_length = std::numeric_limits<double>::infinity();
  } else {
    g.flare_half_angle_deg = std::asin(aperture / slant) * (180.0 / physical::pi);
    // (R - a)(R + a) keeps its digits when R is close to a.
    g.cone_length = std::sqrt((slant - aperture) * (slant + aperture));
  }
  if (throat > 0.0 && throat < aperture) g.horn_length = g.cone_length * (1.0 - throat / aperture);
  return g;
}

}  // namespace quaven
