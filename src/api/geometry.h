// The shape of a conical horn from its aperture radius a and slant radius R
// (apex to the aperture rim, along the cone's side), in any one length unit.
#pragma once

namespace quaven {

struct ConeGeometry {
  double flare_half_angle_deg;  // asin(a / R); 0 for an infinite R
  double cone_length;           // apex to aperture plane along the axis, sqrt(R^2 - a^2)
  double horn_length;           // throat plane to aperture plane along the axis; NaN without a throat
};

// Not-a-number where no cone has these radii (R < a, or a not greater than
// 0); the infinite slant radius gives an infinite cone and horn length. The
// throat is the radius b of the feeding guide: the horn runs from the plane
// where the cone's radius is b to the aperture, (1 - b/a) of the cone's
// length.
ConeGeometry cone_geometry(double aperture, double slant, double throat);

}  // namespace quaven
