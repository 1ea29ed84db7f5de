#include "api/refusal.h"

#include "api/request.h"
#include "drawing/files.h"
#include "numeric/shortest.h"

namespace quaven {
namespace api {
namespace {

std::string text(const Shown& v) {
  return v.single ? shortest(static_cast<float>(v.value)) : shortest(v.value);
}

}  // namespace

Refusal::Refusal(Rule rule_, Arg arg_, Shown a_, Shown b_, std::string detail_)
    : std::invalid_argument(detail_), rule(rule_), arg(arg_), a(a_), b(b_), detail(std::move(detail_)) {}

bool Refusal::combination() const {
  switch (rule) {
    case Rule::beamwidth_or_gain:
    case Rule::two_models:
    case Rule::needs_full_wave:
    case Rule::throat_required:
    case Rule::throat_only_full_wave:
    case Rule::full_wave_needs_s:
    case Rule::judge_needs_both:
    case Rule::judge_or_design:
    case Rule::touchstone_needs_full_wave:
    case Rule::body_needs_throat:
    case Rule::segments_need_stl:
    case Rule::parts_plain_only:
      return true;
    default:
      return false;
  }
}

std::string message(const Refusal& r, const Words& w) {
  const std::string name = w.name(r.arg), given = w.given(r.arg);
  switch (r.rule) {
    case Rule::positive:
      return name + ": must be greater than 0";
    case Rule::whole_positive:
      return name + ": must be a whole number greater than 0";
    case Rule::non_negative:
      return name + ": must be 0 or more";
    case Rule::step_zero:
      return name + ": the step must not be 0";
    case Rule::uncountable:
      return name + ": START STOP STEP give no countable number of values";
    case Rule::step_away:
      return given + ": the step leads away from the stop; a sweep from " + text(r.a) + " to " + text(r.b) +
             " needs a " + (r.b.value > r.a.value ? "positive" : "negative") + " step";
    case Rule::frequency_not_positive:
      return given + ": every frequency must be greater than 0 GHz, but the sweep reaches " + text(r.a);
    case Rule::s_outside:
      return given + ": S must lie within 0 to 1 cycles, but the sweep reaches " + text(r.a);
    case Rule::level_off_curves:
      return given + " is neither 3 nor 10: give " + w.name(Arg::derive_from) + " 3 or 10";
    case Rule::derive_contradicts:
      return w.given(Arg::derive_from) + " contradicts " + w.given(Arg::level);
    case Rule::beamwidth_or_gain:
      return "give either " + w.name(Arg::beamwidth) + " or " + w.name(Arg::gain);
    case Rule::gain_legacy_only:
      return w.name(Arg::exact) + " designs to a beamwidth, not to a gain";
    case Rule::slant_within_aperture:
      return given + ": the slant radius must be greater than the aperture radius (" + w.given(Arg::aperture) +
             "); no cone has an aperture wider than its side";
    case Rule::throat_outside_aperture:
      return given + ": the throat radius must be greater than 0 and less than the aperture radius (" +
             w.given(Arg::aperture) + ")";
    case Rule::full_wave_throat:
      return given + ": the throat radius must be greater than 0 and less than the aperture radius (" +
             w.given(Arg::aperture) + "), or equal to it with " + w.name(Arg::slant) + " inf for the open-ended guide";
    case Rule::two_models:
      return w.name(Arg::full_wave) + " and " + w.name(Arg::exact) + " are two different models: give one";
    case Rule::needs_full_wave:
      return name + " needs " + w.name(Arg::full_wave);
    case Rule::throat_required:
      return name + " is required with " + w.name(Arg::full_wave);
    case Rule::throat_only_full_wave:
      return name + ": " + r.detail + " needs it only with " + w.name(Arg::full_wave);
    case Rule::full_wave_needs_s:
      return w.name(Arg::full_wave) + " designs at each S of " + w.name(Arg::s) +
             ": give it (S above 0: a horn wider than its guide needs a flare)";
    case Rule::guide_below_cutoff:
      return given + ": the feed guide must carry TE11 at every frequency (above its cut-off)";
    case Rule::guide_multimode:
      return given + ": the feed guide carries TM11 as well as TE11 above " + r.detail + " GHz, below " + text(r.b) +
             " GHz";
    case Rule::not_solvable:
      return w.name(Arg::full_wave) + ": " + r.detail;
    case Rule::f_over_d_not_positive:
      return given + ": f/D must be greater than 0";
    case Rule::taper_not_negative:
      return given + ": the edge taper must be below 0 dB";
    case Rule::judge_needs_both:
      return "give both " + w.name(Arg::aperture) + " and " + w.name(Arg::slant) + " to judge a horn";
    case Rule::judge_or_design:
      return w.name(Arg::taper) + " and " + w.name(Arg::s) + " design a horn; " + w.name(Arg::aperture) + " and " +
             w.name(Arg::slant) + " judge a given one";
    case Rule::cut_needs_exact:
      return given + ": needs " + w.name(Arg::exact) + " or " + w.name(Arg::full_wave) +
             " (the cuts are complex fields on the gain scale; the legacy pattern gives levels relative to the axis)";
    case Rule::cut_step_small:
      return given + ": the " + w.name(Arg::angles) + " step must be at least 0.00036 (a million points)";
    case Rule::cut_not_ascending:
      return w.given(Arg::angles) + ": the .cut layout's angles ascend: the step must be above 0";
    case Rule::cut_beyond_half_turn:
      return w.given(Arg::angles) + ": a polar cut's angles lie within -180 to 180 degrees";
    case Rule::cut_no_axis:
      return w.given(Arg::angles) + ": the cut must sample the axis: 0 must lie between the first and last angle, "
             "a whole number of steps from the first";
    case Rule::freqs_need_cut:
      return given + ": several frequencies of a pattern go to one file in " + w.name(Arg::format) +
             " cut only; give " + w.name(Arg::freq) + " for the table, CSV or JSON";
    case Rule::band_order:
      return given + ": the band's second frequency must be above its first";
    case Rule::flare_outside:
      return given + ": the flare half-angle's bound must lie above 0 and at most 90 degrees";
    case Rule::beamwidth_outside:
      return given + ": the beamwidth must be greater than 0 and less than 360 degrees";
    case Rule::plane_outside:
      return given + ": the plane must be 1 (E), 2 (H) or 3 (average); the E plane is designed";
    case Rule::gain_beyond_reach:
      return given + ": beyond what the models reach over this " + w.name(Arg::s) + ": " + r.detail +
             " (apertures of 0.01 to 100 wavelengths in radius; beyond 100 their single-precision beamwidths fail)";
    case Rule::wall_too_thick:
      return given + ": the wall must be thinner than the feed guide's radius (" + w.given(Arg::throat) + ")";
    case Rule::too_many_rows:
      return given + ": " + r.detail + " rows, more than " + std::to_string(max_rows) + ": add " +
             w.name(Arg::rows_ok) + " to run them all";
    case Rule::touchstone_needs_full_wave:
      return given + ": a Touchstone file holds S11, which only response " + w.name(Arg::full_wave) + " computes";
    case Rule::body_needs_throat:
      return name + " is required: the body begins with its feed guide";
    case Rule::segments_outside:
      return given + ": must be a whole number from " + std::to_string(drawing::kMinSegments) +
             " to " + std::to_string(drawing::kMaxSegments) + " (segments round the axis)";
    case Rule::segments_need_stl:
      return name + " sets the STL's resolution: it needs " + w.name(Arg::format) + " stl";
    case Rule::solid_needs_wall:
      return given + ": a solid needs a wall thicker than 0 (a wall of no thickness has nothing to print)";
    case Rule::part_misfit:
    case Rule::profile_invalid:
    case Rule::choke_design_misfit:
      return given + ": " + r.detail;
    case Rule::parts_plain_only:
      return name + ": " + r.detail + " makes the plain horn; a horn with a flange or choke rings is judged by "
             "response, pattern, or feed with " + w.name(Arg::aperture) + " and " + w.name(Arg::slant);
  }
  return name;
}

}  // namespace api
}  // namespace quaven
