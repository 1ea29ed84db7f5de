// Why a request is refused, as a value: which argument, which rule, the
// values involved. The library throws a Refusal; each front end names the
// arguments in its own words (a Words object: "--throat 0.45" on the command
// line, "throat 0.45" in Python) and message() puts the sentence together,
// so that every front end states a rule the same way.
#pragma once

#include <stdexcept>
#include <string>

namespace quaven {
namespace api {

// The arguments of the requests (api/request.h), as a front end names them.
enum class Arg {
  freq, beamwidth, gain, level, derive_from, plane, s, freqs, angles, aperture, slant, throat, guide_length, wall,
  full_wave, exact, f_over_d, taper, format, max_flare, band, rows_ok, segments, threads, sweep, flange, choke,
  profile, choke_design
};

enum class Rule {
  positive,                 // arg > 0
  whole_positive,           // arg a whole number > 0
  non_negative,             // arg >= 0
  step_zero,                // a sweep's step is 0
  uncountable,              // a sweep's count is not a number or too large
  step_away,                // a sweep's step leads away from its stop (a, b: start, stop)
  frequency_not_positive,   // a frequency of the sweep is not above 0 (a: the value reached)
  s_outside,                // an S of the sweep lies outside 0 to 1 (a: the value reached)
  level_off_curves,         // a level other than 3 or 10 without derive_from
  derive_contradicts,       // derive_from names the other curve than the level's own
  beamwidth_or_gain,        // neither or both
  gain_legacy_only,         // the aperture integral designs to a beamwidth only
  slant_within_aperture,    // slant radius not above the aperture radius
  throat_outside_aperture,  // throat not within 0 and the aperture radius
  full_wave_throat,         // as above, or the open-ended guide
  two_models,               // full wave and exact at once
  needs_full_wave,          // arg given without the full wave
  throat_required,          // the full wave without the feed guide
  throat_only_full_wave,    // the job takes the throat only for the full wave (detail: the job)
  full_wave_needs_s,        // a full-wave feed design without S
  guide_below_cutoff,       // the feed guide does not carry TE11 at the lowest frequency
  guide_multimode,          // the feed guide carries TM11 below the highest frequency (a: cut-off, b: highest)
  not_solvable,             // the solver refuses the body (detail: why)
  f_over_d_not_positive,
  taper_not_negative,
  judge_needs_both,         // aperture without slant or the reverse
  judge_or_design,          // a horn to judge with design arguments
  cut_needs_exact,          // the .cut layout from the legacy pattern
  cut_step_small,           // the .cut layout's step below 0.00036 degrees
  cut_not_ascending,        // the .cut layout's angles with a negative step
  cut_beyond_half_turn,     // the .cut layout's angles beyond -180 to 180 degrees
  cut_no_axis,              // the .cut layout's angles do not sample the axis
  freqs_need_cut,           // several frequencies of a pattern outside the .cut layout
  flare_outside,            // a bound on the flare not within 0 to 90 degrees
  band_order,               // a band whose high frequency is not above its low one
  beamwidth_outside,        // a beamwidth not within 0 and 360 degrees
  plane_outside,            // a design plane other than 1, 2 and 3 (a: the plane)
  gain_beyond_reach,        // a gain the legacy models do not reach over the S range (detail: their range)
  wall_too_thick,           // a wall not thinner than the feed guide's radius
  too_many_rows,            // a counted sweep of more than max_rows rows (detail: how many)
  touchstone_needs_full_wave,  // a Touchstone file from another job than a full-wave response
  body_needs_throat,        // a body without its feed guide
  segments_outside,         // an STL's segments outside kMinSegments to kMaxSegments
  segments_need_stl,        // segments for another file than the STL
  solid_needs_wall,         // a solid of a wall of no thickness
  part_misfit,              // a flange or choke ring that does not fit the horn (detail: the rule)
  profile_invalid,          // a generating curve that is no body (detail: the point and the rule)
  choke_design_misfit,      // a choke-feed design with what it cannot take (detail: what and why)
  parts_plain_only,         // a flange or choke ring for a job that builds the plain horn (detail: the job)
};

// A value in a message, shown as the shortest text of its precision.
struct Shown {
  double value = 0.0;
  bool single = false;
};

class Refusal : public std::invalid_argument {
 public:
  Refusal(Rule rule, Arg arg, Shown a = {}, Shown b = {}, std::string detail = {});
  Rule rule;
  Arg arg;
  Shown a, b;
  std::string detail;
  // A contradiction between arguments or one missing (Python raises
  // TypeError for these) rather than a value out of its range.
  bool combination() const;
};

// A front end's words for the arguments.
class Words {
 public:
  virtual ~Words() = default;
  // The argument's name: "--throat", "throat".
  virtual std::string name(Arg arg) const = 0;
  // The argument as given: "--throat 0.45", "--s-range 0.1 1.5 0.1", "s".
  virtual std::string given(Arg arg) const = 0;
};

// The one-line message: the argument at fault and the rule it breaks.
std::string message(const Refusal& r, const Words& words);

}  // namespace api
}  // namespace quaven
