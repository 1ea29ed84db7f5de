#include "horn/input_checks.h"

#include "horn/levels.h"
#include "horn/validity.h"

namespace quaven {
namespace checks {

std::string positive(const std::string& label, double value) {
  return value > 0.0 ? std::string() : label + ": must be greater than 0";
}

std::string f_over_d_positive(const std::string& label, double lowest) {
  return lowest > 0.0 ? std::string() : label + ": f/D must be greater than 0";
}

std::string edge_taper_negative(const std::string& label, double taper_db) {
  return taper_db < 0.0 ? std::string() : label + ": the edge taper must be below 0 dB";
}

std::string level_curve(const std::string& level_label, const std::string& level_text, float level,
                        const std::string& derive_label, const std::string& derive_text, int derive, bool exact,
                        int& curve) {
  if (!(level > 0.0f)) return positive(level_label, static_cast<double>(level));
  if (exact) {
    const int own = curve_of_level(level);
    curve = own != 0 ? own : (derive != 0 ? derive : 1);
    return std::string();
  }
  const int c = resolve_curve(level, derive);
  if (c == 0) {
    return level_label + " " + level_text + " is neither 3 nor 10: give " + derive_label + " 3 or 10";
  }
  if (c < 0) return derive_label + " " + derive_text + " contradicts " + level_label + " " + level_text;
  curve = c;
  return std::string();
}

std::string full_wave_options(const FullWaveLabels& l, bool full_wave, bool exact, bool throat, bool guide_length,
                              bool wall) {
  if (!full_wave) {
    if (guide_length) return l.guide_length + " needs " + l.full_wave;
    if (wall) return l.wall + " needs " + l.full_wave;
    return std::string();
  }
  if (exact) return l.full_wave + " and " + l.exact + " are two different models: give one";
  if (!throat) return l.throat + " is required with " + l.full_wave;
  return std::string();
}

std::string throat_needs_full_wave(const FullWaveLabels& l, const std::string& what, bool full_wave, bool throat) {
  return full_wave || !throat ? std::string() : l.throat + ": " + what + " needs it only with " + l.full_wave;
}

std::string full_wave_design_needs_s(const FullWaveLabels& l, const std::string& s_label, bool full_wave,
                                     bool s_given) {
  if (!full_wave || s_given) return std::string();
  return l.full_wave + " designs at each S of " + s_label +
         ": give it (S above 0: a horn wider than its guide needs a flare)";
}

std::string non_negative(const std::string& label, double value) {
  return value >= 0.0 ? std::string() : label + ": must be 0 or more";
}

std::string guide_carries_te11(const std::string& label, double throat_radius_wl) {
  return throat_radius_wl > te11_cutoff_radius_wl
             ? std::string()
             : label + ": the feed guide must carry TE11 at every frequency (above its cut-off)";
}

}  // namespace checks
}  // namespace quaven
