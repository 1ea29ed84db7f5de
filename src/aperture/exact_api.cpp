#include "aperture/exact_api.h"

#include <cmath>

#include "numeric/constants.h"

namespace quaven {
namespace exact {
namespace {

using physical::pi;

// The figures of the horn (aw, s) at `frequency_ghz`, beamwidths at l1 and l2.
HornResponse figures_of(double frequency_ghz, double aw, double s, double l1, double l2) {
  const Figures f = figures(aw, s, l1, l2);
  HornResponse r;
  r.frequency_ghz = frequency_ghz;
  r.wavelength_m = wavelength_m(frequency_ghz);
  r.aperture_radius_wl = aw;
  r.s_cycles = s;
  r.beamwidths_1 = BeamwidthsAtLevel{l1, f.bwe1, f.bwh1};
  r.beamwidths_2 = BeamwidthsAtLevel{l2, f.bwe2, f.bwh2};
  r.phase_centre_e_wl = f.pce;
  r.phase_centre_h_wl = f.pch;
  r.gain_db = f.gain;
  return r;
}

}  // namespace

double wavelength_m(double frequency_ghz) { return physical::c / (frequency_ghz * 1e9); }

double phase_deviation_cycles(double aperture_radius_m, double slant_radius_m, double wavelength_m) {
  return aperture_radius_m * aperture_radius_m / (2.0 * wavelength_m * slant_radius_m);
}

HornResponse response(const ResponseRequest& q) {
  const double wl = wavelength_m(q.frequency_ghz);
  return figures_of(q.frequency_ghz, q.aperture_radius_m / wl,
                    phase_deviation_cycles(q.aperture_radius_m, q.slant_radius_m, wl), q.level1_db, q.level2_db);
}

HornDesign design(const DesignRequest& q) {
  HornDesign d;
  d.s_cycles = q.s_cycles;
  const double wl = wavelength_m(q.frequency_ghz);
  d.aperture_radius_wl = design_aw(q.s_cycles, q.beamwidth_deg, q.level_db, q.plane);
  d.aperture_radius_m = d.aperture_radius_wl * wl;
  // R = a^2 / (2 lambda S), +inf at S = 0.
  d.slant_radius_m = d.aperture_radius_m * d.aperture_radius_wl / (2.0 * q.s_cycles);
  d.response = figures_of(q.frequency_ghz, d.aperture_radius_wl, q.s_cycles, 3.0, 10.0);
  return d;
}

namespace {
Horn horn_of(double aperture_radius_m, double slant_radius_m, double frequency_ghz) {
  const double wl = wavelength_m(frequency_ghz);
  return Horn(aperture_radius_m / wl, phase_deviation_cycles(aperture_radius_m, slant_radius_m, wl));
}
}  // namespace

PatternEvaluator::PatternEvaluator(double aperture_radius_m, double slant_radius_m, double frequency_ghz)
    : horn_(horn_of(aperture_radius_m, slant_radius_m, frequency_ghz)),
      scale_db_(gain_db(horn_.aw(), horn_.s()) - 20.0 * std::log10(std::abs(horn_.field(0.0).e))) {}

PatternPoint PatternEvaluator::at(double angle_deg) const {
  const Field f = horn_.field(angle_deg * pi / 180.0);
  PatternPoint p;
  p.angle_deg = angle_deg;
  p.amplitude_e_db = scale_db_ + 20.0 * std::log10(std::abs(f.e));
  p.amplitude_h_db = scale_db_ + 20.0 * std::log10(std::abs(f.h));
  p.phase_e_deg = std::arg(f.e) * 180.0 / pi;
  p.phase_h_deg = std::arg(f.h) * 180.0 / pi;
  return p;
}

}  // namespace exact
}  // namespace quaven
