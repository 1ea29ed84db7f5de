#include "api/checks.h"

#include <cmath>

#include "legacy/levels.h"

namespace quaven {
namespace api {
namespace checks {

void positive(Arg arg, const Number& n) {
  if (!(n.single > 0.0f && n.value > 0.0)) throw Refusal(Rule::positive, arg);
}

int level_curve(const Number& level, int derive, bool exact) {
  if (!(level.single > 0.0f)) throw Refusal(Rule::positive, Arg::level);
  if (exact) {
    const int own = curve_of_level(level.single);
    return own != 0 ? own : (derive != 0 ? derive : 1);
  }
  const int c = resolve_curve(level.single, derive);
  if (c == 0) throw Refusal(Rule::level_off_curves, Arg::level);
  if (c < 0) throw Refusal(Rule::derive_contradicts, Arg::derive_from);
  return c;
}

int own_curve(float level_db) { return curve_of_level(level_db); }

void slant_beyond_aperture(double slant, double aperture) {
  if (!(slant > aperture)) throw Refusal(Rule::slant_within_aperture, Arg::slant);
}

void throat_inside_aperture(double throat, double aperture) {
  if (!(throat > 0.0 && throat < aperture)) throw Refusal(Rule::throat_outside_aperture, Arg::throat);
}

void full_wave_throat(double throat, double aperture, double slant) {
  if (throat > 0.0 && (throat < aperture || (throat == aperture && std::isinf(slant) && slant > 0.0))) return;
  throw Refusal(Rule::full_wave_throat, Arg::throat);
}

}  // namespace checks
}  // namespace api
}  // namespace quaven
