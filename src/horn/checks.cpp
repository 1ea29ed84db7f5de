#include "horn/checks.h"

#include <cmath>

#include "numeric/shortest.h"

namespace quaven {
namespace checks {

template <class Real>
std::string slant_exceeds_aperture(const std::string& slant_label, Real slant, const std::string& aperture_label,
                                   Real aperture) {
  if (slant > aperture) return {};
  return slant_label + ": the slant radius must be greater than the aperture radius (" + aperture_label +
         "); no cone has an aperture wider than its side";
}

template <class Real>
std::string throat_inside_aperture(const std::string& throat_label, Real throat, const std::string& aperture_label,
                                   Real aperture) {
  if (throat > Real(0) && throat < aperture) return {};
  return throat_label + ": the throat radius must be greater than 0 and less than the aperture radius (" +
         aperture_label + ")";
}

std::string full_wave_throat(const std::string& throat_label, double throat, const std::string& aperture_label,
                             double aperture, const std::string& slant_label, double slant) {
  if (throat > 0.0 && (throat < aperture || (throat == aperture && std::isinf(slant) && slant > 0.0))) return {};
  return throat_label + ": the throat radius must be greater than 0 and less than the aperture radius (" +
         aperture_label + "), or equal to it with " + slant_label + " inf for the open-ended guide";
}

template <class Real>
std::string step_towards_stop(const std::string& label, Real start, Real stop, Real step) {
  if (!((stop - start) * step < Real(0))) return {};
  return label + ": the step leads away from the stop; a sweep from " + shortest(start) + " to " + shortest(stop) +
         " needs a " + (stop > start ? "positive" : "negative") + " step";
}

template <class Real>
std::string frequencies_positive(const std::string& label, Real lowest, Real highest) {
  if (lowest > Real(0) && highest > Real(0)) return {};
  return label + ": every frequency must be greater than 0 GHz, but the sweep reaches " +
         shortest(lowest > Real(0) ? highest : lowest);
}

template <class Real>
std::string s_within_design_range(const std::string& label, Real lowest, Real highest) {
  if (lowest >= Real(0) && highest <= Real(1)) return {};
  return label + ": S must lie within 0 to 1 cycles, but the sweep reaches " +
         shortest(lowest >= Real(0) ? highest : lowest);
}

#define QUAVEN_CHECKS_FOR(Real)                                                                                   \
  template std::string slant_exceeds_aperture<Real>(const std::string&, Real, const std::string&, Real);        \
  template std::string throat_inside_aperture<Real>(const std::string&, Real, const std::string&, Real);        \
  template std::string step_towards_stop<Real>(const std::string&, Real, Real, Real);                           \
  template std::string frequencies_positive<Real>(const std::string&, Real, Real);                               \
  template std::string s_within_design_range<Real>(const std::string&, Real, Real);
QUAVEN_CHECKS_FOR(float)
QUAVEN_CHECKS_FOR(double)
#undef QUAVEN_CHECKS_FOR

}  // namespace checks
}  // namespace quaven
