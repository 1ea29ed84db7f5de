// The checks every job makes on its single arguments, throwing a Refusal
// (api/refusal.h) that names the argument and the rule it breaks.
#pragma once

#include "api/refusal.h"
#include "api/request.h"

namespace quaven {
namespace api {
namespace checks {

// The number is greater than 0 in both its precisions (not-a-number fails).
void positive(Arg arg, const Number& n);

// The pattern level with the curve it is derived from (0 none, 1 the 3 dB,
// 2 the 10 dB curve): the curve the design or response uses (1 or 2; see
// resolve_curve in legacy/levels.h). The models in double find their
// beamwidths at the level itself and derive nothing: the level only takes
// the place of one column of the table, its own curve's, else that of
// `derive` when given, else the 3 dB one.
int level_curve(const Number& level, int derive, bool exact);

// The curve (1 or 2) whose level `level_db` is, or 0 when it is neither.
int own_curve(float level_db);

// A cone whose aperture lies on it: the slant radius (apex to aperture rim)
// exceeds the aperture radius. An infinite slant radius is the limit of a
// flare angle of 0 and passes.
void slant_beyond_aperture(double slant, double aperture);

// The throat (the feeding guide's radius) is greater than 0 and less than
// the aperture radius.
void throat_inside_aperture(double throat, double aperture);

// The throat of a horn the full wave solves: as above, or equal to the
// aperture radius with an infinite slant radius, the open-ended feed guide.
void full_wave_throat(double throat, double aperture, double slant);

}  // namespace checks
}  // namespace api
}  // namespace quaven
