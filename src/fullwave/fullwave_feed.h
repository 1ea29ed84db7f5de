// The full-wave horn as the feed of a paraboloid: judged by feed::judge from
// its computed pattern exactly as the aperture-theory horn is judged from its
// aperture integral (Kildal's efficiency and its factors, best focus, edge
// tapers, 45-degree cross-polar peak; see feed/feed.h), with the return loss
// and the directivity beside them.
#pragma once

#include <complex>
#include <limits>

#include "feed/feed.h"
#include "fullwave/fullwave.h"

namespace quaven {
namespace fullwave {

// A solved horn on a dish of rim half-angle theta0 (radians): its pattern
// about the centre of the aperture plane, the quadrature orders set by the
// sphere that holds the whole body, the focus searched from 3 wavelengths in
// front of the aperture to the cone's apex or 60 wavelengths behind it,
// whichever is nearer (the apex of a flareless guide is at infinity).
feed::Judgement judge_on_dish(const Horn& horn, const Geometry& g, double frequency_ghz, double theta0);

// As values for front ends: lengths in metres, frequency in GHz.
struct FeedRequest {
  Geometry geometry{};
  double frequency_ghz = 0.0;
  double f_over_d = 0.0;
  double per_wavelength = 20.0;  // mesh density along the generating curve
};

// The row of feed::FeedRow, with the full-wave model's gain column holding
// the directivity of the lossless horn (as `response --full-wave` shows it;
// aperture theory's gain is also the directivity of a lossless horn), and
// the TE11 return loss at the throat beside it. The efficiencies take the
// radiated pattern whatever its level, so the mismatch loss is not in them.
struct FeedRow {
  feed::FeedRow feed;
  double s11_db = 0.0;
  std::complex<double> s11;  // the TE11 reflection coefficient at the throat plane
  double directivity_db = 0.0;
  double power_balance = 0.0;  // radiated over net guide power: 1 when energy is conserved
  int unknowns = 0;
};

// The solved horn judged on a dish of f_over_d (not-a-number judgement for
// an f/D that is not positive).
FeedRow judge_feed(const Horn& horn, const Geometry& g, double frequency_ghz, double f_over_d);

// Solve and judge. Throws std::invalid_argument (one-line reason) for a
// geometry that is not a horn or a frequency outside the guide's TE11 band.
FeedRow judge_feed(const FeedRequest& request);

// A horn designed for a dish on a given feed guide and wall, at phase
// deviation s_cycles > 0 (a horn wider than its guide needs a flare): the
// aperture-theory design (feed::design: best efficiency or, with a finite
// taper_db, that mean edge taper) polished by full-wave judgements of the
// aperture radius within a factor of 1.25 of it, the slant radius following
// as a^2 / (2 lambda S); Brent's minimiser on the efficiency, or his root
// finder on the mean edge taper. The radius stays above the guide's, and
// large enough that the flare half-angle asin(a / R) = asin(2 lambda S / a)
// is at most max_flare_deg (aperture theory's design is bounded alike). Not-a-number row (geometry included) where there
// is no aperture-theory design, S is not positive, or the taper is not met
// in that range. Each judgement solves the horn afresh (seven to a dozen
// per design). Throws std::invalid_argument as judge_feed does for a guide that
// does not carry TE11 alone.
struct FeedDesignRequest {
  double throat_radius_m = 0.0;
  double guide_length_m = 0.0;
  double wall_m = 0.0;
  double frequency_ghz = 0.0;
  double f_over_d = 0.0;
  double s_cycles = 0.0;
  double taper_db = std::numeric_limits<double>::quiet_NaN();  // not-a-number: best efficiency
  double max_flare_deg = 90.0;
  double per_wavelength = 20.0;
};
FeedRow design_feed(const FeedDesignRequest& request);
// The same on the feed guide of `guide` (its throat radius, length and wall).
FeedRow design_feed(const Geometry& guide, double frequency_ghz, double f_over_d, double s_cycles, double taper_db,
                    double max_flare_deg = 90.0);

}  // namespace fullwave
}  // namespace quaven
