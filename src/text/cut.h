// The TICRA .cut text layout, in which reflector-analysis programs read a
// feed's pattern. Each cut is a header line, then the line
//   V_INI V_INC V_NUM C ICOMP ICUT NCOMP
// and V_NUM lines of the field components, the real and imaginary part of
// each. Written here: ICUT = 1, a polar cut (theta from V_INI in steps of
// V_INC degrees, at phi = C degrees); ICOMP = 3, the linear co- and
// cross-polar components of Ludwig's third definition; NCOMP = 2.
#pragma once

#include <complex>
#include <functional>
#include <ostream>
#include <string>

namespace quaven {
namespace cli {

// Co- and cross-polar field at one direction.
struct CutValue {
  std::complex<double> co;
  std::complex<double> xp;
};

// One polar cut at phi_deg: `count` values of theta from first_deg in steps
// of step_deg, each from `at(theta_deg)`, under the header line `title`
// (line breaks in it become spaces).
void write_polar_cut(std::ostream& out, const std::string& title, double first_deg, double step_deg, int count,
                     double phi_deg, const std::function<CutValue(double theta_deg)>& at);

}  // namespace cli
}  // namespace quaven
