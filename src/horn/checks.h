// Domain checks on a horn and its sweeps, shared by every front end (the
// command line, and any binding that takes the same inputs). Each returns
// an empty string when the input is acceptable, and otherwise one line that
// names the value, by the label the front end gives it ("--slant 1", say),
// and the rule it breaks. Values in the messages are written in their
// shortest form, a float's as a float and a double's as a double.
#pragma once

#include <string>

namespace quaven {
namespace checks {

// A cone whose aperture lies on it: the slant radius (apex to aperture rim)
// exceeds the aperture radius. An infinite slant radius is the limit of a
// flare angle of 0 and passes.
template <class Real>
std::string slant_exceeds_aperture(const std::string& slant_label, Real slant, const std::string& aperture_label,
                                   Real aperture);

// The throat (the feeding guide's radius) is greater than 0 and less than the
// aperture radius.
template <class Real>
std::string throat_inside_aperture(const std::string& throat_label, Real throat, const std::string& aperture_label,
                                   Real aperture);

// The throat of a horn the full-wave model solves: as above, or equal to the
// aperture radius with an infinite slant radius, which is the open-ended
// feed guide.
std::string full_wave_throat(const std::string& throat_label, double throat, const std::string& aperture_label,
                             double aperture, const std::string& slant_label, double slant);

// A sweep START STOP STEP whose step leads from START towards STOP; a sweep
// with START equal to STOP is one value whatever the step's sign.
template <class Real>
std::string step_towards_stop(const std::string& label, Real start, Real stop, Real step);

// Every frequency the sweep reaches is greater than 0: `lowest` and
// `highest` are its smallest and largest values.
template <class Real>
std::string frequencies_positive(const std::string& label, Real lowest, Real highest);

// Every phase deviation S of a design sweep lies within 0 to 1 cycles, the
// range the design curves and the aperture model are made for.
template <class Real>
std::string s_within_design_range(const std::string& label, Real lowest, Real highest);

}  // namespace checks
}  // namespace quaven
