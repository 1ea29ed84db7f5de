#include "drawing/touchstone.h"
#include "numeric/constants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace quaven {
namespace touchstone {

namespace {

using physical::pi;
constexpr double kC = 299792458.0;         // m/s
constexpr double kChi11 = 1.8411837813406593;  // first zero of J1', the TE11 cut-off

std::string number(const char* format, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v == 0.0 ? 0.0 : v);  // no "-0"
  return buf;
}

}  // namespace

std::vector<std::string> horn_port_comments(double throat_radius_m) {
  const double cutoff_ghz = kChi11 * kC / (2.0 * pi * throat_radius_m) * 1e-9;
  return {
      "Port 1: the TE11 wave of the circular feed guide, radius " + number("%.9g", throat_radius_m) +
          " m, at the throat plane (where the guide meets the cone).",
      "S11: the reflected over the incident amplitude of that wave, each normalised to the guide's",
      "TE11 wave impedance eta0 / sqrt(1 - (fc/f)^2), cut-off fc = " + number("%.6f", cutoff_ghz) +
          " GHz: |S11|^2 is the reflected power.",
      "R 50 is nominal: a waveguide port has no single circuit impedance, and S11 is referred to",
      "the matched guide; read as referred to 50 ohms it is left as it is.",
  };
}

std::string s1p(const std::vector<Sample>& samples, Form form, const std::vector<std::string>& comments) {
  if (samples.empty()) throw std::invalid_argument("a Touchstone file needs one frequency or more");
  std::vector<Sample> sorted = samples;
  for (const Sample& s : sorted) {
    if (!(s.frequency_ghz > 0.0 && std::isfinite(s.frequency_ghz)))
      throw std::invalid_argument("Touchstone frequency " + number("%.9g", s.frequency_ghz) +
                                  " GHz: must be positive and finite");
    if (!(std::isfinite(s.s11.real()) && std::isfinite(s.s11.imag())))
      throw std::invalid_argument("S11 at " + number("%.9g", s.frequency_ghz) + " GHz is not a finite number");
  }
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Sample& a, const Sample& b) { return a.frequency_ghz < b.frequency_ghz; });
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    if (sorted[i].frequency_ghz == sorted[i - 1].frequency_ghz)
      throw std::invalid_argument("Touchstone frequency " + number("%.9g", sorted[i].frequency_ghz) +
                                  " GHz: given twice");
  }
  std::string o;
  for (std::string c : comments) {
    // A line break would end the comment and start a line of data.
    std::replace(c.begin(), c.end(), '\n', ' ');
    std::replace(c.begin(), c.end(), '\r', ' ');
    o += "! " + c + "\n";
  }
  o += form == Form::ri ? "# GHZ S RI R 50\n" : "# GHZ S MA R 50\n";
  o += form == Form::ri ? "! freq_ghz  re_s11  im_s11\n" : "! freq_ghz  mag_s11  ang_s11_deg\n";
  for (const Sample& s : sorted) {
    o += number("%.12g", s.frequency_ghz);
    if (form == Form::ri) {
      o += " " + number("%.12g", s.s11.real()) + " " + number("%.12g", s.s11.imag());
    } else {
      o += " " + number("%.12g", std::abs(s.s11)) + " " + number("%.12g", std::arg(s.s11) * 180.0 / pi);
    }
    o += "\n";
  }
  return o;
}

}  // namespace touchstone
}  // namespace quaven
