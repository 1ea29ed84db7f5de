#include "text/cut.h"

#include <cstdio>

namespace quaven {
namespace cli {
namespace {

// A number as the layout's readers take it: free format, here 10 significant
// digits in exponent form (the field's real and imaginary parts span many
// decades).
std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "% .9E", v + 0.0);  // + 0.0: no negative zero
  return buf;
}

}  // namespace

void write_polar_cut(std::ostream& out, const std::string& title, double first_deg, double step_deg, int count,
                     double phi_deg, const std::function<CutValue(double theta_deg)>& at) {
  std::string head = title;
  for (char& ch : head) {
    if (ch == '\n' || ch == '\r') ch = ' ';
  }
  out << head << '\n'
      << number(first_deg) << ' ' << number(step_deg) << ' ' << count << ' ' << number(phi_deg) << " 3 1 2\n";
  for (int i = 0; i < count; ++i) {
    const CutValue v = at(first_deg + i * step_deg);
    out << number(v.co.real()) << ' ' << number(v.co.imag()) << ' ' << number(v.xp.real()) << ' '
        << number(v.xp.imag()) << '\n';
  }
}

}  // namespace cli
}  // namespace quaven
