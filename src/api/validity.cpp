#include "api/validity.h"

#include <cmath>

namespace quaven {

const char* note_key(Note n) {
  switch (n) {
    case Note::below_cutoff: return "below_cutoff";
    case Note::beyond_curves: return "beyond_curves";
    case Note::no_design: return "no_design";
    case Note::not_a_cone: return "not_a_cone";
    case Note::s_above_one: return "s_above_1";
    case Note::throat_band: return "throat_not_single_mode";
    case Note::no_feed_design: return "no_feed_design";
    case Note::no_full_wave_feed_design: return "no_full_wave_feed_design";
    case Note::power_balance: return "power_balance";
    case Note::flare_beyond: return "flare_beyond_max";
    case Note::no_full_wave_design: return "no_full_wave_design";
  }
  return "";
}

const char* note_text(Note n) {
  switch (n) {
    case Note::below_cutoff:
      return "the aperture is below the TE11 cut-off of a circular guide of its radius (a < 0.293 wavelength): "
             "the aperture field the models assume cannot exist there";
    case Note::beyond_curves:
      return "the design lies outside the range the design curves cover: the horn's own beamwidth differs from "
             "the request by more than 0.5 degree, or no positive aperture radius results (shown as not-a-number)";
    case Note::no_design:
      return "no aperture radius has the requested beamwidth at this S (shown as not-a-number)";
    case Note::not_a_cone:
      return "the slant radius is shorter than the aperture radius: no cone has this shape";
    case Note::s_above_one:
      return "the phase deviation S is above 1 cycle, beyond the range the models are made for";
    case Note::throat_band:
      return "the frequency is outside the throat guide's single-mode band (TE11 cut-off to TM01 cut-off)";
    case Note::no_feed_design:
      return "no aperture radius at this S has the requested edge taper (shown as not-a-number)";
    case Note::no_full_wave_feed_design:
      return "no full-wave design at this S: none is wider than the feed guide without a flare (S = 0), or none "
             "within 25 per cent of aperture theory's aperture meets the request (shown as not-a-number)";
    case Note::power_balance:
      return "the full-wave solution's radiated power differs from the net TE11 power in the guide by more than "
             "1 per cent: the solution is doubtful (an interior resonance of the integral equation, or a mesh too "
             "coarse for the body)";
    case Note::flare_beyond:
      return "the horn's flare half-angle is above the bound asked for (60 degrees unless another is given): more a "
             "flange round the guide than a horn";
    case Note::no_full_wave_design:
      return "no full-wave design at this S: a horn wider than its guide needs a flare (S = 0), aperture theory "
             "has no design to start from, or no aperture from the guide's radius to four times aperture theory's "
             "that the solver can take has the requested figure (shown as not-a-number)";
  }
  return "";
}

std::string note_keys(Notes set) {
  std::string keys;
  for (int k = 0; k < note_kinds; ++k) {
    const Note n = static_cast<Note>(k);
    if (!has_note(set, n)) continue;
    if (!keys.empty()) keys += ';';
    keys += note_key(n);
  }
  return keys;
}

bool below_te11_cutoff(double radius_wl) { return radius_wl < te11_cutoff_radius_wl; }

bool single_mode_guide(double radius_wl) {
  return radius_wl > te11_cutoff_radius_wl && radius_wl < tm01_cutoff_radius_wl;
}

Notes horn_notes(double aperture_wl, double s_cycles, double throat_wl) {
  Notes n = 0;
  if (below_te11_cutoff(aperture_wl)) n |= note_bit(Note::below_cutoff);
  if (s_cycles > 1.0) n |= note_bit(Note::s_above_one);
  if (!std::isnan(throat_wl) && !single_mode_guide(throat_wl)) n |= note_bit(Note::throat_band);
  return n;
}

bool power_unbalanced(double balance) { return std::fabs(balance - 1.0) > power_balance_tolerance; }

bool flare_beyond(double a, double r, double max_flare_deg) {
  if (!(a > 0.0 && r > 0.0) || std::isinf(r)) return false;
  // asin(a / R) > max, with a slack of a part in 1e9 for a design placed on
  // the bound itself.
  return a / r > std::sin(max_flare_deg * physical::rad_per_deg) * (1.0 + 1e-9);
}

bool beyond_design_curves(double requested_deg, double own_deg, double aperture) {
  if (!(std::isfinite(aperture) && aperture > 0.0)) return true;
  return !(std::fabs(own_deg - requested_deg) <= design_beamwidth_tolerance_deg);
}

double legacy_design_beamwidth(const HornFigures& h, int ilev, int iplane, float plev) {
  const double curve = ilev == 1 ? 3.0 : 10.0;
  const double e = static_cast<double>(ilev == 1 ? h.bwe3 : h.bwe10);
  const double hp = static_cast<double>(ilev == 1 ? h.bwh3 : h.bwh10);
  const double bw = iplane == 1 ? e : iplane == 2 ? hp : 0.5 * (e + hp);
  return bw * std::sqrt(static_cast<double>(plev) / curve);
}

}  // namespace quaven
