// Exact mode as values: what a front end (command line, Python, browser, a
// feed designer) asks of the double-precision aperture-integral physics and
// what it gets back. Lengths are in metres, frequencies in GHz, angles and
// beamwidths in degrees, levels and gain in dB; a figure that does not exist
// (no beamwidth at that level short of 180 degrees, no aperture with the
// requested beamwidth) is not-a-number. Inputs are not checked: a front end
// validates them (a frequency or aperture radius that is not positive gives
// not-a-number figures).
#pragma once

#include <cmath>
#include <complex>

#include "aperture/exact.h"
#include "numeric/constants.h"

namespace quaven {
namespace exact {

// A complex far-field value as a pattern shows it: its amplitude in dB
// (20 log10 |z|) and its phase in degrees, -180 to 180.
inline double amplitude_db(std::complex<double> z) { return 20.0 * std::log10(std::abs(z)); }
inline double phase_deg(std::complex<double> z) { return std::arg(z) / physical::rad_per_deg; }

// Free-space wavelength in metres at `frequency_ghz`.
double wavelength_m(double frequency_ghz);

// Maximum aperture phase deviation S in cycles of a horn of aperture radius
// a and slant radius R (metres, R may be +inf: S = 0) at wavelength lambda:
// S = a^2 / (2 lambda R), the path difference between rim and centre of the
// spherical wave front in wavelengths.
double phase_deviation_cycles(double aperture_radius_m, double slant_radius_m, double wavelength_m);

// The full beamwidths of the two principal planes at one level below the
// peak.
struct BeamwidthsAtLevel {
  double level_db = 0.0;
  double e_plane_deg = 0.0;
  double h_plane_deg = 0.0;
};

// What exact mode says about a horn at one frequency.
struct HornResponse {
  double frequency_ghz = 0.0;
  double wavelength_m = 0.0;
  double aperture_radius_wl = 0.0;  // a / lambda
  double s_cycles = 0.0;            // maximum aperture phase deviation
  BeamwidthsAtLevel beamwidths_1;   // at ResponseRequest::level1_db
  BeamwidthsAtLevel beamwidths_2;   // at ResponseRequest::level2_db
  // Phase centres behind the aperture, fitted over half of each plane's
  // 10 dB beamwidth (see phase_centres in exact.h).
  double phase_centre_e_wl = 0.0;
  double phase_centre_h_wl = 0.0;
  double gain_db = 0.0;  // (k a)^2 times the aperture efficiency, dB
};

// A horn at one frequency and the two levels of its beamwidths.
struct ResponseRequest {
  double aperture_radius_m = 0.0;
  double slant_radius_m = 0.0;  // +inf: S = 0
  double frequency_ghz = 0.0;
  double level1_db = 3.0;
  double level2_db = 10.0;
};
HornResponse response(const ResponseRequest& request);

// A design: the horn whose beamwidth at `level_db` in `plane` (the mean of
// the E- and H-plane beamwidths for Plane::mean) is `beamwidth_deg` at the
// phase deviation `s_cycles`, at `frequency_ghz`.
struct DesignRequest {
  double frequency_ghz = 0.0;
  double beamwidth_deg = 0.0;
  double level_db = 3.0;
  Plane plane = Plane::e;
  double s_cycles = 0.0;
};
struct HornDesign {
  double s_cycles = 0.0;
  double aperture_radius_wl = 0.0;  // not-a-number when no aperture fits
  double aperture_radius_m = 0.0;
  double slant_radius_m = 0.0;  // +inf at S = 0
  // The designed horn's figures, beamwidths at 3 and 10 dB.
  HornResponse response;
  bool found() const { return !std::isnan(aperture_radius_wl); }
};
HornDesign design(const DesignRequest& request);

// The pattern at one angle off axis in both principal planes. The amplitude
// is the directivity in dBi: the aperture model's gain (its directivity on
// the axis, where both planes agree) times |P(theta)|^2 / |P(0)|^2, so that
// the axis value equals HornResponse::gain_db of the same horn. The phase is
// that of the far field, -180 to 180 degrees.
struct PatternPoint {
  double angle_deg = 0.0;
  double amplitude_e_db = 0.0;
  double phase_e_deg = 0.0;
  double amplitude_h_db = 0.0;
  double phase_h_deg = 0.0;
};

// The pattern of one horn at one frequency: the aperture integral is set up
// once here, then evaluated at any number of angles. Read only once made, so
// one object may serve several threads.
class PatternEvaluator {
 public:
  PatternEvaluator(double aperture_radius_m, double slant_radius_m, double frequency_ghz);
  PatternPoint at(double angle_deg) const;
  double aperture_radius_wl() const { return horn_.aw(); }
  double s_cycles() const { return horn_.s(); }

 private:
  Horn horn_;
  double scale_db_;  // gain_db - 20 log10 |P(0)|: dB of |P| to dBi
};

}  // namespace exact
}  // namespace quaven
