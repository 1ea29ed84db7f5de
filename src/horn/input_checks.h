// The checks on a front end's single inputs that every front end makes the
// same way (the command line, the Python module): a length, frequency or
// beamwidth that must be positive, and the pattern level with the curve it is
// derived from, and the options of the full-wave model. Each returns an empty string when the input is acceptable and
// otherwise one line naming the input, by the label the front end gives it
// ("--freq" or "freq_ghz"), and the rule it breaks.
#pragma once

#include <string>

namespace quaven {
namespace checks {

// "<label>: must be greater than 0" unless value > 0 (not-a-number fails).
std::string positive(const std::string& label, double value);

// The pattern level `level` dB and the curve the user asks to derive it from
// (`derive`: 0 none, 1 the 3 dB, 2 the 10 dB curve), named by their labels
// and their values as typed. On success sets `curve` to the curve the design
// or response uses (1 or 2; see resolve_curve in levels.h). Exact mode finds
// its beamwidths at the level itself and derives nothing: the level only takes
// the place of one column of the table, its own curve's, else that of
// `derive` when given, else the 3 dB one; it needs no `derive`.
std::string level_curve(const std::string& level_label, const std::string& level_text, float level,
                        const std::string& derive_label, const std::string& derive_text, int derive, bool exact,
                        int& curve);

// The dish of a feed: "<label>: f/D must be greater than 0" unless every
// f/D, the least of them `lowest`, is positive.
std::string f_over_d_positive(const std::string& label, double lowest);

// A feed designed to an edge taper: "<label>: the edge taper must be below
// 0 dB" unless taper_db < 0 (not-a-number fails).
std::string edge_taper_negative(const std::string& label, double taper_db);

// The full-wave model's arguments as a front end names them ("--full-wave",
// "--throat", ... or "full_wave", "throat", ...).
struct FullWaveLabels {
  std::string full_wave, exact, throat, guide_length, wall;
};

// Which full-wave arguments were given, checked together: one model at a
// time, the feed guide's radius required with the full wave, the guide's
// length and the wall only with it.
std::string full_wave_options(const FullWaveLabels& labels, bool full_wave, bool exact, bool throat,
                              bool guide_length, bool wall);

// A subcommand (`what`: "the pattern", "feed") that takes the feed guide's
// radius only for the full wave, whose body includes the guide.
std::string throat_needs_full_wave(const FullWaveLabels& labels, const std::string& what, bool full_wave,
                                   bool throat);

// A full-wave feed design is made at each phase deviation S it is given
// (`s_label` names them): a horn wider than its guide needs a flare.
std::string full_wave_design_needs_s(const FullWaveLabels& labels, const std::string& s_label, bool full_wave,
                                     bool s_given);

// "<label>: must be 0 or more" unless value >= 0 (not-a-number fails).
std::string non_negative(const std::string& label, double value);

// The feed guide of a full-wave horn carries TE11 at every frequency asked
// for: its radius, `throat_radius_wl` wavelengths at the lowest of them, is
// above TE11's cut-off.
std::string guide_carries_te11(const std::string& label, double throat_radius_wl);

}  // namespace checks
}  // namespace quaven
