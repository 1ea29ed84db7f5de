// The parts of a horn's body beyond its cone: a flange in the aperture plane
// and concentric choke rings (quarter-wave grooves), added to the horn's
// generating curve as one closed outline of metal in the rho-z half-plane.
//
// A choke ring is a groove open towards the front: at radius rho within
// (inner, inner + width) the metal ends `depth` behind the groove's mouth,
// which lies `setback` behind the aperture plane, with walls of thickness
// `wall` on both sides and under it (its inner wall may be the horn's own
// wall). A quarter-wave deep groove presents an open circuit at its mouth to
// the current on the front face, which stops the surface wave the E plane
// otherwise launches along it: the E-plane beam narrows towards the H
// plane's, and the cross-polar falls (Kildal, "Foundations of Antennas",
// 2000, ch. 6; Clarricoats & Olver, "Corrugated horns for microwave
// antennas", 1984).
//
// Outside the horn the flange and the rings form a body that is, at each
// radius, one interval of z: a front face (the flange's face, a wall's top,
// a groove's bottom) and a back face. The outline follows the horn's inside
// to the rim, the front faces outwards, the outer edge, the back faces
// inwards to the horn's outside, and the horn's outside to the back plate.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "fullwave/bor.h"

namespace quaven {
namespace fullwave {

// A flange in the aperture plane: its outer radius and its thickness
// (metres); its front face is the aperture plane.
struct Flange {
  double radius = 0.0;
  double thickness = 0.0;
};

// One choke ring (metres): the groove's inner radius, width and depth, the
// thickness of its walls and bottom, and the distance of its mouth behind
// the aperture plane.
struct Choke {
  double inner = 0.0;
  double width = 0.0;
  double depth = 0.0;
  double wall = 0.0;
  double setback = 0.0;
};

// A body part the outline cannot take: `part` names it (the flange, or
// choke ring `ring`, counted from 1), what() the rule in one line.
class PartError : public std::invalid_argument {
 public:
  enum class Part { flange, choke };
  PartError(Part part, int ring, const std::string& what) : std::invalid_argument(what), part(part), ring(ring) {}
  Part part;
  int ring;
};

// The horn's outside as it leaves the rim: `rim` the rim's outer corner (on
// the aperture plane), `outside` the corners after it, down the outer wall
// (z falling) to the centre of the back plate's outer face.
struct HornOutside {
  bor::Point rim;
  std::vector<bor::Point> outside;
};

// The horn's closed outline (inside up to the rim, `inside`, then the
// outside) with the flange (radius 0 for none) and the rings added. A
// flange no wider than the rim adds nothing, so that such a body is the
// plain horn's corner for corner. Throws PartError for a part that does not
// fit: a thickness, width or depth not above 0, a setback below 0, a
// flange smaller than the rim, a groove cutting into the rim or into the
// ring before it (the rings given from the axis outwards), a part with no
// metal joining it to the horn, or one reaching behind the back plate.
std::vector<bor::Point> add_parts(const std::vector<bor::Point>& inside, const HornOutside& horn,
                                  const Flange& flange, const std::vector<Choke>& chokes);

// A body given by its generating curve (metres): `inner` from the centre of
// the back plate's inner face (rho = 0) along the inside of the feed guide
// and the horn to the mouth, `outer` from the mouth's outside back to the
// centre of the back plate's outer face (rho = 0); the mouth joins the two,
// and the axis the two ends. It begins with the feed guide that the TE11
// port needs: the back plate square to the axis, then a cylinder.
struct ProfileBody {
  std::vector<bor::Point> outline;  // the closed curve, the back plate's inner face at z = 0
  double guide_radius = 0.0;
  double guide_length = 0.0;        // the first cylinder of the inside
  double mouth_radius = 0.0;        // the inside's last radius
};

// Checks a generating curve and returns it as a body. Throws
// std::invalid_argument, one line naming the point (counted from 1 over the
// inner then the outer points) and the rule, for too few or more than 2000
// points, a
// coordinate that is not finite, rho below 0, an end off the axis or a point
// between them on it, a start that is not the feed guide, two points in the
// same place, or a curve that crosses or touches itself.
ProfileBody profile_body(const std::vector<bor::Point>& inner, const std::vector<bor::Point>& outer);

}  // namespace fullwave
}  // namespace quaven
