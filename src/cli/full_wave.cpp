#include "cli/full_wave.h"

#include <cmath>
#include <limits>
#include <optional>

namespace quaven {
namespace cli {
namespace {

void refuse(const std::string& message) {
  if (!message.empty()) throw UsageError{message};
}

}  // namespace

double throat_value(const std::string& text, bool exact) {
  if (text.empty()) return std::numeric_limits<double>::quiet_NaN();
  const double b = exact ? exact_value("--throat", text) : static_cast<double>(real_value("--throat", text));
  refuse(checks::positive("--throat", b));
  return b;
}

const checks::FullWaveLabels full_wave_labels{"--full-wave", "--exact", "--throat", "--guide-length", "--wall"};

void check_full_wave(const FullWaveOptions& o, const Common& c) {
  refuse(checks::full_wave_options(full_wave_labels, o.full_wave, c.exact, !o.throat.empty(), !o.guide_length.empty(),
                                   !o.wall.empty()));
}

void check_throat_needs_full_wave(const FullWaveOptions& o, const std::string& what) {
  refuse(checks::throat_needs_full_wave(full_wave_labels, what, o.full_wave, !o.throat.empty()));
}

#ifdef QUAVEN_FULL_WAVE
namespace {

// A length option in metres, or nothing when not given.
std::optional<double> metres(const char* option, const std::string& text, const Common& c) {
  if (text.empty()) return std::nullopt;
  return exact_value(option, text) * c.metres_per_unit();
}

void record(const fullwave::Geometry& g, const Common& c, Inputs& inputs) {
  inputs.flag("full_wave", true);
  inputs.number("guide_length", double_cell(g.guide_length / c.metres_per_unit()));
  inputs.number("wall", double_cell(g.wall / c.metres_per_unit()));
}

}  // namespace

fullwave::Geometry full_wave_body(const FullWaveOptions& o, const Common& c, double throat, double lowest_ghz,
                                  Inputs& inputs) {
  fullwave::Geometry g{};
  refuse(fullwave::feed_guide(full_wave_labels, "--throat " + o.throat, throat * c.metres_per_unit(),
                              metres("--guide-length", o.guide_length, c), metres("--wall", o.wall, c), lowest_ghz,
                              g));
  record(g, c, inputs);
  return g;
}

fullwave::Geometry full_wave_geometry(const FullWaveOptions& o, const Common& c, double a, double r, double throat,
                                      double lowest_ghz, Inputs& inputs) {
  const double mu = c.metres_per_unit();
  fullwave::Geometry g{};
  refuse(fullwave::body(full_wave_labels, "--throat " + o.throat, a * mu, r * mu, throat * mu,
                        metres("--guide-length", o.guide_length, c), metres("--wall", o.wall, c), lowest_ghz, g));
  record(g, c, inputs);
  return g;
}
#endif

}  // namespace cli
}  // namespace quaven
