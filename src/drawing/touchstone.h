// A one-port Touchstone 1.1 file (.s1p), the form in which network
// analysers, circuit simulators and scikit-rf take a reflection
// coefficient: comment lines (!), the option line
//
//   # GHZ S RI R 50      (or MA: magnitude and angle in degrees)
//
// and one line per frequency, "f  re im" (or "f  |S11|  angle"), in
// increasing frequency.
#pragma once

#include <complex>
#include <string>
#include <vector>

namespace quaven {
namespace touchstone {

enum class Form { ri, ma };

struct Sample {
  double frequency_ghz;
  std::complex<double> s11;
};

// The port of a horn fed by its circular guide, as the comment lines define
// it: S11 is the reflection of the TE11 wave at the throat plane, the
// reflected over the incident amplitude of the guide's TE11 wave, each
// normalised to the guide's TE11 wave impedance (so that a matched guide
// reflects nothing). `throat_radius_m` is the guide's radius.
std::vector<std::string> horn_port_comments(double throat_radius_m);

// The file: `comments` (each written after "! "), the option line with the
// reference R 50, and the samples sorted by frequency. R 50 is nominal: a
// waveguide port has no single circuit impedance (the TE11 wave impedance
// changes with frequency), and S11 above is referred to the matched guide;
// 50 ohms is written because the programs that read the file refer its S11
// to 50 ohms unless told otherwise, and so leave it as it is.
// Throws std::invalid_argument for a frequency that is not positive and
// finite, an S11 that is not finite, two samples at one frequency, or none.
std::string s1p(const std::vector<Sample>& samples, Form form, const std::vector<std::string>& comments);

}  // namespace touchstone
}  // namespace quaven
