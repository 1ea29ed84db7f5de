#include "api/refusal.h"

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
    case Rule::cut_not_full_wave:
      return given + ": only from " + w.name(Arg::exact);
    case Rule::cut_needs_exact:
      return given + ": needs " + w.name(Arg::exact) + " (the cuts are complex fields of the exact pattern)";
    case Rule::cut_step_small:
      return given + ": the " + w.name(Arg::angles) + " step must be at least 0.00036 (a million points)";
  }
  return name;
}

}  // namespace api
}  // namespace quaven
