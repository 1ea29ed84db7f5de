// Full-wave model of a conical horn fed by a circular waveguide in the TE11
// mode: the body-of-revolution moment method (bor.h) applied to the real
// metal, in double precision.
//
// The body is the feed guide (closed at its back by a plate), the cone and
// the rim, with walls of a given thickness (a closed surface, solved by the
// combined-field equation, which has no spurious resonance) or infinitely
// thin (an open one, solved by the electric-field equation; see bor.h). An x-directed electric dipole on the axis inside the
// guide, a quarter guide wavelength in front of the back plate, launches the
// TE11 wave; the azimuthal wall current of the guide is a sum of TE modes
// only (J_phi = H_z at the wall), and a least-squares fit of the forward and
// backward TE11 waves plus the first evanescent TE1n modes from either end
// gives the incident and reflected amplitudes between source and throat.
// Everything is then referred to the forward wave: the horn's TE11
// reflection coefficient at the throat plane, which is that of a matched
// guide, and the radiated field per unit incident power. Lossless walls.
#pragma once

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "aperture/exact.h"
#include "aperture/exact_api.h"
#include "fullwave/bor.h"
#include "fullwave/profile.h"

namespace quaven {
namespace fullwave {

// The horn in metres. The cone runs from the end of the guide (radius
// `throat_radius`) to the aperture (radius `aperture_radius`, inner surface)
// with the half-flare angle asin(aperture_radius / slant_radius); an
// aperture equal to the throat is the open-ended guide (any slant radius),
// a wider one needs a finite slant radius. The wall has thickness `wall` (0 for an infinitely thin wall) and
// the back plate the same; the rim is cut flat in the aperture plane. A
// flange (radius 0: none) and choke rings (profile.h) may stand round the
// rim; they need a wall of finite thickness (the body is then closed).
struct Geometry {
  double throat_radius;
  double guide_length;
  double aperture_radius;
  double slant_radius;
  double wall;
  Flange flange{};
  std::vector<Choke> chokes{};
  // A whole generating curve in place of the guide, cone and wall
  // (ProfileBody::outline; its guide the radius and length above), or empty.
  std::vector<bor::Point> profile{};
  // Whether a flange wider than the rim or a choke ring is there.
  bool has_parts() const { return flange.radius > 0.0 || !chokes.empty(); }
};

struct Options {
  double per_wavelength = 20.0;  // segments per wavelength along the generating curve
  bor::Options bor;
};

// The generating curve's corners, from the centre of the back plate (inside)
// round to the centre of the back plate (outside), or to the rim for a thin
// wall. Throws std::invalid_argument for a geometry that is not a horn, and
// PartError (one) for a flange or ring that does not fit it.
std::vector<bor::Point> outline(const Geometry& g);

// One horn at one frequency: solved on construction.
class Horn {
 public:
  Horn(const Geometry& g, double freq_ghz, const Options& opt = Options());

  // Far field in the E and H planes at theta (radians, 0 to pi), phase
  // referred to the centre of the aperture plane and scaled so that
  // 20 log10 |field| is the realised gain in dBi (gain less the mismatch
  // loss). E_theta = e cos(phi), E_phi = -h sin(phi): the co-polar field of
  // any plane follows as e cos^2 + h sin^2 and the Ludwig-3 cross-polar as
  // (e - h) sin cos.
  exact::Field field(double theta) const;

  // The same in dB.
  void power_db(double theta, double& pe, double& ph) const;

  // Aperture radius in wavelengths.
  double aw() const { return aw_; }

  // TE11 reflection coefficient of the horn at the throat plane.
  std::complex<double> s11() const { return s11_; }

  // Directivity (dBi) from the radiated power over the whole sphere; the
  // gain of the lossless horn.
  double directivity_db() const { return directivity_db_; }

  // Radiated power over the power the forward TE11 wave carries less the
  // reflected one: 1 when energy is conserved.
  double power_balance() const { return balance_; }

  int unknowns() const { return body_.unknowns(); }

  // The integral equation solved: the CFIE for a wall of finite thickness (a
  // closed body, unique at every frequency), the EFIE for an infinitely thin
  // one (an open surface).
  bor::Formulation formulation() const { return body_.formulation(); }

  // An estimate of the reciprocal condition number of the moment matrix
  // (bor::Body::rcond): a sudden dip between neighbouring frequencies marks
  // an equation near its non-unique points, as the EFIE's at a resonance of
  // the cavity inside a thick wall.
  double rcond() const { return body_.rcond(); }

  // Radius in wavelengths of the sphere about the phase reference that holds
  // the whole body: it bounds how fast the pattern can change with angle.
  double source_radius_wl() const { return source_radius_wl_; }

 private:
  double k_, aw_;
  bor::Body body_;
  double z_aperture_, z_source_ = 0.0;
  std::complex<double> norm_;  // field scale: 1 / (forward amplitude) and the gain factor
  std::complex<double> s11_;
  double directivity_db_ = 0.0, balance_ = 0.0, source_radius_wl_ = 0.0;
};

// The figures of a horn read off its full-wave pattern exactly as exact mode
// reads them off the aperture integral (beam_walk.h): full beamwidths in
// degrees at two levels and at 10 dB, phase centres in wavelengths behind
// the aperture fitted over half of each plane's 10 dB beamwidth.
struct Figures {
  exact::Beamwidths level1;
  exact::Beamwidths level2;
  exact::Beamwidths level10;
  exact::PhaseCentres phase_centres;
  double directivity_db;
  double s11_db;
  std::complex<double> s11;  // the TE11 reflection coefficient at the throat plane (Horn::s11)
};
Figures figures(const Horn& horn, double level1_db, double level2_db);

// Defaults of the parts of the body a horn's radii do not fix, from the feed
// guide's radius alone, so that one horn is one body at every frequency:
// the guide one and a half, the wall a twentieth, of the guide's TE11
// cut-off wavelength 2 pi b / chi'11 (3.41 b). That is the longest
// wavelength the guide carries, so the guide is at least 1.5 wavelengths
// long wherever it carries TE11, which leaves the port's modal fit (between
// a source a quarter guide wavelength, or a quarter of the guide, in front
// of the back plate and the throat, each end less three decay lengths of
// TE12) a dozen wall nodes or more from just above the TE11 cut-off to the
// TM11 one. The wall is about 1.9 mm for an X-band guide (b = 11.4 mm).
double default_guide_length_m(double throat_radius_m);
double default_wall_m(double throat_radius_m);

// What a front end asks of the full-wave model: lengths in metres, frequency
// in GHz, levels in dB (the value API beside exact::response).
struct ResponseRequest {
  Geometry geometry;
  double frequency_ghz = 0.0;
  double level1_db = 3.0;
  double level2_db = 10.0;
  double per_wavelength = 20.0;
};
struct HornResponse {
  double frequency_ghz = 0.0;
  double aperture_radius_wl = 0.0;  // a / lambda
  double s_cycles = 0.0;            // the cone's maximum aperture phase deviation
  Figures figures{};
  double power_balance = 0.0;
  int unknowns = 0;
  bor::Formulation formulation = bor::Formulation::automatic;  // the equation solved
};
// Throws std::invalid_argument (with a one-line reason) for a geometry that
// is not a horn or a frequency below the guide's cut-off.
HornResponse response(const ResponseRequest& request);

// The pattern at one angle off the axis (degrees, any sign; the horn is a
// body of revolution) as a front end shows it: the E and H planes as exact
// mode's PatternPoint, in dBi of realised gain with the phase referred to the
// centre of the aperture, and the 45-degree plane's co-polar (e + h) / 2 and
// Ludwig-3 cross-polar (e - h) / 2 field.
struct PatternPoint {
  exact::PatternPoint planes;
  double amplitude_45_co_db = 0.0;
  double phase_45_co_deg = 0.0;
  double amplitude_45_xp_db = 0.0;
  double phase_45_xp_deg = 0.0;
};
PatternPoint pattern_point(const Horn& horn, double angle_deg);

// The most unknowns the model takes on: a dense complex matrix of 4000^2 is
// 256 MB (twice that while it is factorised) and minutes of fill on one core.
constexpr int max_unknowns = 4000;

// Throws std::invalid_argument, as Horn's constructor would, when the body
// `g` cannot be meshed and solved at `freq_ghz` (below the guide's TE11
// cut-off, above its TM11 one, a mesh beyond max_unknowns), without solving.
void check_mesh(const Geometry& g, double freq_ghz, double per_wavelength = 20.0);

}  // namespace fullwave
}  // namespace quaven
