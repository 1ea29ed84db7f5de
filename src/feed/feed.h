// A horn as the feed of a paraboloid: the aperture efficiency and its
// factors, the best axial feed position, edge tapers and the 45-degree-plane
// cross-polarisation, in double precision, and the horn that feeds a given
// dish best.
//
// The feed is a body of revolution, x-polarised, with far field
//   E(r, theta, phi) = [A(theta) cos(phi) theta^ - B(theta) sin(phi) phi^] e^{-jkr}/r,
// A and B its complex E- and H-plane patterns referred to a point on its
// axis. In Ludwig's third definition this is
//   CO(theta) (theta^ cos phi - phi^ sin phi) + XP(theta) (theta^ cos phi + phi^ sin phi),
//   CO = (A + B)/2,   XP = (A - B)/2,
// whose first term a paraboloid reflects into a uniformly x-polarised
// aperture field and whose second into one that turns with 2 phi and
// radiates nothing on the axis. CO and XP are also the co- and
// cross-polar patterns of the 45-degree plane.
//
// With the rim half-angle theta0 seen from the focus, geometrical optics
// from the focus to the aperture plane gives (Kildal, IEEE Trans. Antennas
// Propag. 33(8), 1985; every integral over theta, the patterns over the
// whole sphere):
//   eta_ap    = 2 cot^2(theta0/2) |int_0^theta0 CO tan(theta/2)|^2 / int_0^pi (|CO|^2 + |XP|^2) sin
//   eta_spill = int_0^theta0 (|CO|^2 + |XP|^2) sin / int_0^pi (|CO|^2 + |XP|^2) sin
//   eta_pol   = int_0^theta0 |CO|^2 sin / int_0^theta0 (|CO|^2 + |XP|^2) sin
//   eta_ill   = 2 cot^2(theta0/2) (int_0^theta0 |CO| tan(theta/2))^2 / int_0^theta0 |CO|^2 sin
//   eta_phi   = |int_0^theta0 CO tan(theta/2)|^2 / (int_0^theta0 |CO| tan(theta/2))^2
// and eta_ap = eta_spill eta_pol eta_ill eta_phi. The aperture area, its
// field and the feed power all scale with the focal length, which therefore
// drops out: only theta0, i.e. f/D, matters.
#pragma once

#include <complex>
#include <functional>
#include <limits>

#include "aperture/exact.h"

namespace quaven {
namespace feed {

// The feed's E- and H-plane patterns (Field::e = A, Field::h = B) at theta,
// radians over 0 .. pi, referred to the feed's phase reference point.
using Pattern = std::function<exact::Field(double theta)>;

// Co- and cross-polar fields in Ludwig's third definition at (theta, phi):
// co = CO + XP cos(2 phi), xp = XP sin(2 phi).
struct Polarised {
  std::complex<double> co;
  std::complex<double> xp;
};
Polarised ludwig3(const exact::Field& f, double phi);
// The same with phi in degrees, cos 2 phi and sin 2 phi exact (0 or 1) in the
// principal planes and at 45 degrees, as a polar cut's file shows them.
Polarised ludwig3_deg(const exact::Field& f, double phi_deg);
// The 45-degree plane: co = CO = (A + B)/2, xp = XP = (A - B)/2.
Polarised plane45(const exact::Field& f);

// Rim half-angle theta0 = 2 atan(1 / (4 f/D)) in radians; not-a-number
// unless f/D is positive and finite.
double rim_half_angle(double f_over_d);

// The efficiency of a feed on a dish and its factors, as fractions:
// aperture = spillover * polarisation * illumination * phase.
struct Efficiencies {
  double aperture;
  double spillover;
  double illumination;
  double phase;
  double polarisation;
};

// How a feed serves a dish of rim half-angle theta0.
struct Judgement {
  double rim_half_angle_deg;
  Efficiencies best;                // with the focus at the best point
  double focus_behind_aperture_wl;  // that point, wavelengths behind the phase reference
  double aperture_efficiency_at_aperture_plane;  // with the phase reference at the focus
  double edge_taper_e_db;           // |A(theta0)/A(0)| and |B(theta0)/B(0)| in dB plus
  double edge_taper_h_db;           //   the space attenuation 20 log10((1 + cos theta0)/2)
  double cross_pol_45_db;           // peak |XP| relative to peak |CO|, dB
};

// Where the best feed position is looked for: from `front_wl` wavelengths in
// front of the phase reference to `back_wl` behind it (each at most 100). `extent_wl` is the
// radius, in wavelengths, of a sphere about the phase reference that holds
// the feed's sources: the patterns vary no faster with theta than
// e^{j k extent sin theta}, which sets the quadrature orders.
// `order_scale` multiplies those orders (for convergence checks).
struct Options {
  double front_wl = 3.0;
  double back_wl = 60.0;
  double extent_wl = 1.0;
  double order_scale = 1.0;
};

// Efficiencies with the focus z_wl wavelengths behind the pattern's phase
// reference (its patterns multiplied by e^{j k z cos theta}), |z_wl| <= 100.
Efficiencies efficiencies(const Pattern& pattern, double theta0, double z_wl, const Options& opt = Options());

// Everything about the feed on the dish: best focus (the global maximum of
// the phase efficiency over the search range), tapers and cross-polarisation.
// Not-a-number throughout for theta0 outside (0, pi).
Judgement judge(const Pattern& pattern, double theta0, const Options& opt = Options());

// Distance in wavelengths from the aperture plane back to the apex of a
// conical horn of aperture radius aw and phase deviation s cycles (slant
// radius aw^2 / 2s): infinite at s = 0, zero where no such cone exists.
double apex_behind_aperture_wl(double aw, double s);

// The exact TE11 horn (aperture radius aw wavelengths, phase deviation s)
// judged on a paraboloid of the given f/D, phase reference at the aperture
// centre, the focus searched from 3 wavelengths in front of the aperture to
// the apex or 60 wavelengths behind it, whichever is nearer.
Judgement judge_horn(double aw, double s, double f_over_d);

// A horn chosen for a dish, with its judgement.
struct Design {
  double aw;  // aperture radius, wavelengths
  double s;   // phase deviation, cycles
  Judgement judgement;
};

// At phase deviation s, the aperture radius that maximises the aperture
// efficiency (at the best focus) on a dish of that f/D, among horns above
// the TE11 cut-off (aw > chi / 2 pi) whose flare half-angle asin(a / R) =
// asin(2 s / aw) is at most max_flare_deg (90: the slant radius exceeds the
// aperture radius, aw > 2 s). Not-a-number where there is none.
Design best_aperture(double f_over_d, double s, double max_flare_deg = 90.0);

// At phase deviation s, the smallest aperture radius whose edge taper (mean
// of the E- and H-plane values, dB, negative) equals taper_db, among the
// same horns.
Design taper_aperture(double f_over_d, double s, double taper_db, double max_flare_deg = 90.0);

// The phase deviation in [s_lo, s_hi] whose best aperture gives the highest
// aperture efficiency, with that aperture.
Design best_design(double f_over_d, double s_lo = 0.0, double s_hi = 1.0, double max_flare_deg = 90.0);

// The exact horn's far field in Ludwig's third definition at any direction,
// scaled so that |co|^2 + |xp|^2 is the directivity: on the axis it is the
// horn's gain (exact::gain_db), as the exact pattern's amplitudes are. For
// the 45-degree plane columns of a pattern and for .cut files. Lengths in
// metres (slant radius +inf: S = 0), frequency in GHz, angles in degrees.
class PolarPattern {
 public:
  PolarPattern(double aperture_radius_m, double slant_radius_m, double frequency_ghz);
  Polarised at(double theta_deg, double phi_deg) const;
  double aperture_radius_wl() const { return horn_.aw(); }
  double s_cycles() const { return horn_.s(); }

 private:
  exact::Horn horn_;
  double scale_;  // amplitude factor from the aperture integral to sqrt(directivity)
};

// As values for front ends, in the units of aperture/exact_api.h: lengths in
// metres, frequency in GHz. Inputs are not checked here (a front end
// validates them); what has no meaning comes back as not-a-number.

// A horn on a dish, as a front end shows it in one row.
struct FeedRow {
  double frequency_ghz = 0.0;
  double wavelength_m = 0.0;
  double f_over_d = 0.0;
  double aperture_radius_m = 0.0;
  double slant_radius_m = 0.0;  // +inf at S = 0
  double aperture_radius_wl = 0.0;
  double s_cycles = 0.0;
  double gain_db = 0.0;  // the horn's own gain
  Judgement judgement;   // focus in wavelengths behind the aperture plane
  double focus_behind_aperture_m = 0.0;
};

// Judge the horn of aperture and slant radius (metres; slant +inf allowed)
// at frequency_ghz on a dish of f_over_d.
struct JudgeRequest {
  double aperture_radius_m = 0.0;
  double slant_radius_m = 0.0;
  double frequency_ghz = 0.0;
  double f_over_d = 0.0;
};
FeedRow judge(const JudgeRequest& request);

// Design for a dish at one phase deviation: the aperture of best efficiency
// or, with a finite taper_db, that of this mean edge taper.
struct DesignRequest {
  double frequency_ghz = 0.0;
  double f_over_d = 0.0;
  double s_cycles = 0.0;
  double taper_db = std::numeric_limits<double>::quiet_NaN();  // not-a-number: best efficiency
  double max_flare_deg = 90.0;  // the bound on the flare half-angle
};
FeedRow design(const DesignRequest& request);

// The best design over phase deviations s_lo .. s_hi.
FeedRow best_design_row(double frequency_ghz, double f_over_d, double s_lo = 0.0, double s_hi = 1.0,
                        double max_flare_deg = 90.0);

}  // namespace feed
}  // namespace quaven
