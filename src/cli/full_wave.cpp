#include "cli/full_wave.h"

#include <cmath>
#include <stdexcept>

#include "horn/exact_api.h"
#include "horn/validity.h"

namespace quaven {
namespace cli {

double throat_value(const std::string& text, bool exact) {
  if (text.empty()) return NAN;
  const double b = exact ? exact_value("--throat", text) : static_cast<double>(real_value("--throat", text));
  if (!(b > 0.0)) throw UsageError{"--throat: must be greater than 0"};
  return b;
}

void check_full_wave(const FullWaveOptions& o, const Common& c) {
  if (!o.full_wave) {
    if (!o.guide_length.empty()) throw UsageError{"--guide-length needs --full-wave"};
    if (!o.wall.empty()) throw UsageError{"--wall needs --full-wave"};
    return;
  }
  if (c.exact) throw UsageError{"--full-wave and --exact are two different models: give one"};
  if (o.throat.empty()) throw UsageError{"--throat is required with --full-wave"};
}

#ifdef QUAVEN_FULL_WAVE
fullwave::Geometry full_wave_body(const FullWaveOptions& o, const Common& c, double throat, double lowest_ghz,
                                  Inputs& inputs) {
  const double mu = c.metres_per_unit();
  fullwave::Geometry g{};
  g.throat_radius = throat * mu;
  g.guide_length = o.guide_length.empty() ? fullwave::default_guide_length_m(lowest_ghz)
                                          : exact_value("--guide-length", o.guide_length) * mu;
  if (!(g.guide_length > 0.0)) throw UsageError{"--guide-length: must be greater than 0"};
  g.wall = o.wall.empty() ? fullwave::default_wall_m(lowest_ghz) : exact_value("--wall", o.wall) * mu;
  if (!(g.wall >= 0.0)) throw UsageError{"--wall: must be 0 or more"};
  if (!(g.throat_radius / exact::wavelength_m(lowest_ghz) > te11_cutoff_radius_wl))
    throw UsageError{"--throat " + o.throat + ": the feed guide must carry TE11 at every frequency (above its cut-off)"};
  inputs.flag("full_wave", true);
  inputs.number("guide_length", double_cell(g.guide_length / mu));
  inputs.number("wall", double_cell(g.wall / mu));
  return g;
}

fullwave::Geometry full_wave_geometry(const FullWaveOptions& o, const Common& c, double a, double r, double throat,
                                      double lowest_ghz, Inputs& inputs) {
  fullwave::Geometry g = full_wave_body(o, c, throat, lowest_ghz, inputs);
  g.aperture_radius = a * c.metres_per_unit();
  g.slant_radius = r * c.metres_per_unit();
  try {
    fullwave::outline(g);
  } catch (const std::invalid_argument& e) {
    throw UsageError{std::string("--full-wave: ") + e.what()};
  }
  return g;
}
#endif

}  // namespace cli
}  // namespace quaven
