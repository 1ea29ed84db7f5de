// Where the models stop: notes a front end attaches to a table row whose
// figures are computed but should not be trusted as they stand. A row keeps
// its figures (except where a design has no horn at all) and the run its
// exit status; the notes say why the figures are doubtful.
#pragma once

#include <string>

#include "legacy/figures.h"
#include "numeric/constants.h"

namespace quaven {

enum class Note : unsigned {
  below_cutoff,    // the aperture is below the TE11 cut-off of a circular guide of its radius
  beyond_curves,   // a legacy design outside the range its curves cover
  no_design,       // no aperture of the exact model has the requested beamwidth
  not_a_cone,      // a designed slant radius shorter than the aperture radius
  s_above_one,     // phase deviation above 1 cycle, beyond what the models cover
  throat_band,     // the frequency is outside the throat guide's single-mode band
  no_feed_design,  // no aperture of a feed design meets its edge taper
  no_full_wave_feed_design,  // no full-wave feed design at this S
  power_balance,   // a full-wave solution whose radiated power misses the guide's net power
  flare_beyond,    // a feed horn whose flare half-angle exceeds the design's bound
  no_full_wave_design,  // no full-wave beamwidth or gain design at this S
};
inline constexpr int note_kinds = 11;

// A set of notes, one bit per kind.
using Notes = unsigned;
constexpr Notes note_bit(Note n) { return 1u << static_cast<unsigned>(n); }
constexpr bool has_note(Notes set, Note n) { return (set & note_bit(n)) != 0; }

// The short name of a note in CSV and JSON ("below_cutoff").
const char* note_key(Note n);
// What it means, as a sentence without a final stop.
const char* note_text(Note n);
// The names of the notes of `set`, in declaration order, joined by ';'.
std::string note_keys(Notes set);

// Cut-off radii of a circular guide in wavelengths: TE11 at chi'11/(2 pi),
// TM01, the next mode, at j_{0,1}/(2 pi).
inline constexpr double te11_cutoff_radius_wl = physical::chi / (2.0 * physical::pi);
inline constexpr double tm01_cutoff_radius_wl = physical::chi_tm01 / (2.0 * physical::pi);

// An aperture of `radius_wl` wavelengths is below the TE11 cut-off of a
// circular guide of that radius (a < chi'11 lambda / 2 pi, about 0.293 lambda).
bool below_te11_cutoff(double radius_wl);

// A guide of `radius_wl` wavelengths carries TE11 alone: above the TE11 cut-off
// and below the TM01 one.
bool single_mode_guide(double radius_wl);

// The notes any row about a horn may carry: its aperture of `aperture_wl`
// wavelengths below the TE11 cut-off, its phase deviation `s_cycles` above 1,
// and its throat of `throat_wl` wavelengths (not-a-number: no throat given)
// outside the single-mode band.
Notes horn_notes(double aperture_wl, double s_cycles, double throat_wl);

// A full-wave solution is doubtful when the power it radiates differs from
// the net TE11 power in the guide (forward less reflected) by more than this
// fraction. The walls are lossless, so the two are equal for the exact
// currents; a mismatch of a per cent or more is far above what the mesh and
// the port's modal fit leave (a few parts in a thousand on the reference
// horns) and marks a solution the integral equation did not give uniquely,
// as at an interior resonance of a closed body.
inline constexpr double power_balance_tolerance = 0.01;
// `balance` is radiated over net guide power; not-a-number (no solution) is
// not noted.
bool power_unbalanced(double balance);

// The bound on a feed horn's flare half-angle, in degrees, when none is
// given. Wide-flare ("scalar") feeds reach some 60 to 70 degrees; beyond
// that the cone is a flange round the guide rather than a horn, and the
// phase deviation S = a^2/(2 lambda R), the small-angle form of
// R(1 - cos theta0)/lambda, understates the true deviation by a third at 60
// degrees (the ratio is 2/(1 + cos theta0)).
inline constexpr double default_max_flare_deg = 60.0;
// A horn of aperture `a` and slant radius `r` (any one unit) flares beyond
// `max_flare_deg`; false for S = 0 (r infinite) or not-a-number radii.
bool flare_beyond(double a, double r, double max_flare_deg);

// A legacy design is outside the range its curves cover when the designed
// horn's own beamwidth at the requested level and plane differs from the
// request by more than half a degree, or its aperture radius is not a finite
// positive length.
inline constexpr double design_beamwidth_tolerance_deg = 0.5;
bool beyond_design_curves(double requested_deg, double own_deg, double aperture);

// The beamwidth a legacy design line's horn has at the design's own level
// `plev` dB in its plane (1 E, 2 H, 3 the mean of the two): the pair of the
// curve level `ilev` (1: 3 dB, 2: 10 dB) scaled by sqrt(plev / curve level),
// as a response at that level shows it.
double legacy_design_beamwidth(const HornFigures& h, int ilev, int iplane, float plev);

}  // namespace quaven
