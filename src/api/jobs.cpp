// The jobs of the value API (see jobs.h): checks, columns and rows of each
// request in each model.
#include "api/jobs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "api/checks.h"
#include "api/geometry.h"
#include "api/refusal.h"
#include "api/validity.h"
#include "aperture/exact_api.h"
#include "drawing/files.h"
#include "feed/feed.h"
#include "fullwave/choke_design.h"
#include "fullwave/fullwave.h"
#include "fullwave/fullwave_design.h"
#include "fullwave/fullwave_feed.h"
#include "fullwave/sweep.h"
#include "legacy/chngn.h"
#include "legacy/chp11.h"
#include "legacy/figures.h"
#include "legacy/gain_design.h"
#include "legacy/levels.h"
#include "numeric/constants.h"
#include "numeric/parallel.h"
#include "numeric/shortest.h"

namespace quaven {
namespace api {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();

// ------------------------------------------------------------ columns

// A level as a column names it: 3 -> "3db", 3.5 -> "3.5db".
std::string level_name(float level) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%gdb", static_cast<double>(level));
  return buf;
}

// The columns of a head and its table, added in the CSV's order.
class Layout {
 public:
  Layout(Head& head, int lines) : head_(head) { head_.header_lines = lines; }
  // A column, and its table field when `field` is given.
  void add(const std::string& name, const std::string& unit, bool single, std::optional<Field> field = {},
           double level_db = kNan) {
    head_.columns.push_back(Column{name, unit, single, level_db});
    if (field) head_.table.push_back(TableField{static_cast<int>(head_.columns.size()) - 1, *field});
  }
  // The table field of the last column added goes first in the table.
  void table_first() {
    std::rotate(head_.table.begin(), head_.table.end() - 1, head_.table.end());
  }

 private:
  Head& head_;
};

// A table field after `gap` blanks, with its headings: a legacy fixed-width
// field, or printf's of the value in double times `factor`.
Field field(Field::Style style, int gap, int width, int decimals, std::vector<Heading> head, bool unit_scaled,
            double factor) {
  Field f;
  f.style = style;
  f.gap = gap;
  f.width = width;
  f.decimals = decimals;
  f.unit_scaled = unit_scaled;
  f.factor = factor;
  f.head = std::move(head);
  return f;
}
Field fixed(int gap, int width, int decimals, std::vector<Heading> head, bool unit_scaled = false) {
  return field(Field::Style::fixed, gap, width, decimals, std::move(head), unit_scaled, 1.0);
}
Field printed(int gap, int width, int decimals, std::vector<Heading> head, double factor = 1.0) {
  return field(Field::Style::printf, gap, width, decimals, std::move(head), false, factor);
}

std::string spaces(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
// `text` right-justified in `w` characters.
std::string right(int w, const std::string& text) {
  return text.size() >= static_cast<std::size_t>(w) ? text : spaces(w - static_cast<int>(text.size())) + text;
}

// The cone's shape after a row's figures; the horn's whole length with a throat.
void geometry_columns(Layout& l, const std::string& unit, bool single, bool throat) {
  l.add("flare_half_angle_deg", "deg", single);
  l.add("cone_length_" + unit, unit, single);
  if (throat) l.add("horn_length_" + unit, unit, single);
}

void geometry_cells(std::vector<Cell>& cells, double a, double r, double throat, bool single) {
  const ConeGeometry g = cone_geometry(a, r, throat);
  cells.push_back(cell(g.flare_half_angle_deg, single));
  cells.push_back(cell(g.cone_length, single));
  if (!std::isnan(throat)) cells.push_back(cell(g.horn_length, single));
}

// The full wave's TE11 reflection at the throat: its return loss, then the
// complex coefficient as real and imaginary parts. Real and imaginary
// rather than magnitude and phase: they are smooth through every phase,
// with no jump at 180 degrees for a reader to unwrap, interpolate
// directly, and are what a Touchstone file's RI form holds; the magnitude
// is s11_db beside them.
void s11_columns(Layout& l) {
  l.add("s11_re", "", false);
  l.add("s11_im", "", false);
}

void s11_cells(std::vector<Cell>& cells, double s11_db, std::complex<double> s11) {
  cells.push_back(double_cell(s11_db));
  cells.push_back(double_cell(s11.real()));
  cells.push_back(double_cell(s11.imag()));
}

// --------------------------------------------------------- the request


// A number in the precision of the model.
double in(const Number& n, bool single) { return single ? static_cast<double>(n.single) : n.value; }
Cell cell_of(const Number& n, bool single) { return single ? single_cell(n.single) : double_cell(n.value); }
std::vector<Cell> triple(const Sweep& s, bool single) {
  return {cell_of(s.first(), single), cell_of(s.last(), single), cell_of(s.step(), single)};
}

// The throat in the request's unit in the model's precision, NaN without one.
double throat_of(const Body& b, bool single) {
  if (!b.throat) return kNan;
  checks::positive(Arg::throat, *b.throat);
  return in(*b.throat, single);
}

// The pattern level resolved to its curve (1: 3 dB, 2: 10 dB).
int curve_of(const Level& l, bool exact) { return checks::level_curve(l.db, l.derive_from, exact); }

// The column levels with the user's level (in double for the models in
// double) in place of its curve's: the two levels of the beamwidths.
void beam_levels(const Level& l, int ilev, double& level1, double& level2) {
  const std::array<double, 4> levels = column_levels(l.db.value, ilev);
  level1 = levels[0];
  level2 = levels[1];
}

// ------------------------------------------------------- the full wave

// The full-wave options given together: one model at a time, the feed
// guide's radius required with the full wave, its length and the wall only
// with it.
void check_full_wave(const Job& j, const Body& b) {
  if (!j.full_wave_asked) {
    if (b.guide_length) throw Refusal(Rule::needs_full_wave, Arg::guide_length);
    if (b.wall) throw Refusal(Rule::needs_full_wave, Arg::wall);
    if (b.flange) throw Refusal(Rule::needs_full_wave, Arg::flange);
    if (!b.chokes.empty()) throw Refusal(Rule::needs_full_wave, Arg::choke);
    if (b.profile) throw Refusal(Rule::needs_full_wave, Arg::profile);
    if (j.threads) throw Refusal(Rule::needs_full_wave, Arg::threads);
    return;
  }
  if (j.threads && !(*j.threads >= 1)) throw Refusal(Rule::whole_positive, Arg::threads);
  if (j.exact_asked) throw Refusal(Rule::two_models, Arg::full_wave);
  if (!b.throat) throw Refusal(Rule::throat_required, Arg::throat);
}

// A job that takes the throat only for the full-wave body.
void check_throat_needs_full_wave(const Job& j, const Body& b, const char* what) {
  if (!j.full_wave_asked && b.throat) throw Refusal(Rule::throat_only_full_wave, Arg::throat, {}, {}, what);
}

// The feed guide and wall in metres, the defaults the guide's own (never
// the sweep's, so that a horn is one body at every frequency); the guide
// carries TE11 at `lowest_ghz`.
fullwave::Geometry feed_guide(const Body& b, double throat, double mu, double lowest_ghz) {
  fullwave::Geometry g{};
  g.throat_radius = throat * mu;
  g.guide_length = b.guide_length ? b.guide_length->value * mu : fullwave::default_guide_length_m(g.throat_radius);
  g.wall = b.wall ? b.wall->value * mu : fullwave::default_wall_m(g.throat_radius);
  if (!(g.guide_length > 0.0)) throw Refusal(Rule::positive, Arg::guide_length);
  if (!(g.wall >= 0.0)) throw Refusal(Rule::non_negative, Arg::wall);
  // A wall as thick as the guide is wide turns the horn into a block of
  // metal with a bore: its outside, not the horn, then sets what radiates
  // backwards, and the mesh (and the time) grows with it.
  if (!(g.wall < g.throat_radius)) throw Refusal(Rule::wall_too_thick, Arg::wall);
  // A body drawn without a frequency has no band to check.
  if (!std::isnan(lowest_ghz) && !(g.throat_radius / exact::wavelength_m(lowest_ghz) > te11_cutoff_radius_wl)) {
    throw Refusal(Rule::guide_below_cutoff, Arg::throat);
  }
  return g;
}

// The solver's refusal of a body as a Refusal.
template <class Solve>
auto solved(Solve solve, const std::string& before = std::string()) {
  try {
    return solve();
  } catch (const fullwave::PartError& e) {
    throw Refusal(Rule::part_misfit, e.part == fullwave::PartError::Part::flange ? Arg::flange : Arg::choke, {}, {},
                  e.what());
  } catch (const std::invalid_argument& e) {
    throw Refusal(Rule::not_solvable, Arg::full_wave, {}, {}, before + e.what());
  }
}

// A job that designs the plain horn refuses a flange and choke rings.
void plain_only(const Body& b, const char* job) {
  if (b.flange) throw Refusal(Rule::parts_plain_only, Arg::flange, {}, {}, job);
  if (!b.chokes.empty()) throw Refusal(Rule::parts_plain_only, Arg::choke, {}, {}, job);
  if (b.profile) throw Refusal(Rule::parts_plain_only, Arg::profile, {}, {}, job);
}

// A generating curve as a body, in metres; refused by its point and rule.
fullwave::ProfileBody profile_of(const ProfileCurve& p, double mu) {
  std::vector<bor::Point> inner, outer;
  for (const auto& [z, rho] : p.inner) inner.push_back({rho * mu, z * mu});
  for (const auto& [z, rho] : p.outer) outer.push_back({rho * mu, z * mu});
  try {
    return fullwave::profile_body(inner, outer);
  } catch (const std::invalid_argument& e) {
    throw Refusal(Rule::profile_invalid, Arg::profile, {}, {}, e.what());
  }
}

// A request whose body is a profile, as the jobs read it: its cone the
// profile's feed guide as an open end (so that the checks of a cone pass,
// and the flare columns describe none), its throat and guide length the
// profile's. Only with the full wave (the geometry's is always).
template <class Q>
Q profiled(const Q& q, bool full_wave) {
  if (!q.body.profile) return q;
  if (!full_wave) throw Refusal(Rule::needs_full_wave, Arg::profile);
  const double mu = metres_per_unit(q.units);
  const fullwave::ProfileBody pb = profile_of(*q.body.profile, mu);
  Q r = q;
  const Number b = Number::of(pb.guide_radius / mu);
  r.body.throat = b;
  r.body.guide_length = Number::of(pb.guide_length / mu);
  r.body.wall.reset();
  if constexpr (std::is_same_v<Q, FeedRequest>) {
    r.aperture = b;
    r.slant = Number::of(std::numeric_limits<double>::infinity());
  } else {
    r.cone.aperture = b;
    r.cone.slant = Number::of(std::numeric_limits<double>::infinity());
  }
  return r;
}

// The whole body, a horn of aperture `a` and slant radius `r` (unit), with
// its flange and rings; a part that does not fit is refused by its name.
fullwave::Geometry horn_body(const Body& b, double a, double r, double throat, double mu, double lowest_ghz) {
  fullwave::Geometry g = feed_guide(b, throat, mu, lowest_ghz);
  g.aperture_radius = a * mu;
  g.slant_radius = r * mu;
  if (b.profile) {
    const fullwave::ProfileBody pb = profile_of(*b.profile, mu);
    g.profile = pb.outline;
    g.aperture_radius = pb.mouth_radius;
    g.wall = kNan;
  }
  // The parts' own rules (profile.h) are checked as the outline is made.
  if (b.flange) {
    checks::positive(Arg::flange, b.flange->radius);
    g.flange.radius = b.flange->radius.value * mu;
    g.flange.thickness = b.flange->thickness ? b.flange->thickness->value * mu : g.wall;
  }
  for (const Choke& c : b.chokes) {
    g.chokes.push_back({c.inner.value * mu, c.width.value * mu, c.depth.value * mu, c.wall ? c.wall->value * mu : g.wall,
                        c.setback ? c.setback->value * mu : 0.0});
  }
  solved([&] { return fullwave::outline(g); });
  return g;
}

// The body solvable at every frequency up to `highest_ghz`: the guide
// carries TE11 alone (below its TM11 cut-off), the mesh within the solver's
// bounds.
void solvable_up_to(const fullwave::Geometry& g, double highest_ghz) {
  const double cutoff_ghz = physical::chi_tm11 / g.throat_radius * physical::c / (2.0 * physical::pi) * 1e-9;
  if (!(highest_ghz < cutoff_ghz)) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", cutoff_ghz);
    throw Refusal(Rule::guide_multimode, Arg::throat, {}, {highest_ghz, false}, text);
  }
  solved([&] { return fullwave::check_mesh(g, highest_ghz); }, "at " + shortest(highest_ghz) + " GHz ");
}

// A flange and choke rings in the inputs, and as the text that follows the
// body's caption ("; flange radius ...; choke 1: ..."), "" for none.
std::string record_parts(const fullwave::Geometry& g, double mu, Units units, Inputs& inputs) {
  const char* u = unit_name(units);
  std::string caption;
  char text[200];
  if (g.flange.radius > 0.0) {
    inputs.numbers("flange", {double_cell(g.flange.radius / mu), double_cell(g.flange.thickness / mu)});
    std::snprintf(text, sizeof text, "; flange radius %.5g %s, thickness %.5g %s", g.flange.radius / mu, u,
                  g.flange.thickness / mu, u);
    caption += text;
  }
  for (std::size_t i = 0; i < g.chokes.size(); ++i) {
    const fullwave::Choke& c = g.chokes[i];
    inputs.numbers("choke" + std::to_string(i + 1), {double_cell(c.inner / mu), double_cell(c.width / mu),
                                                     double_cell(c.depth / mu), double_cell(c.wall / mu),
                                                     double_cell(c.setback / mu)});
    std::snprintf(text, sizeof text, "; choke %zu: inner radius %.5g %s, width %.5g, depth %.5g, wall %.5g, setback %.5g",
                  i + 1, c.inner / mu, u, c.width / mu, c.depth / mu, c.wall / mu, c.setback / mu);
    caption += text;
  }
  return caption;
}

// The solved body in the head: the guide's length and wall in the inputs
// (as given or by default), and the caption above the table and in a plot's
// title.
void record_body(const fullwave::Geometry& g, double mu, Units units, Head& head) {
  head.inputs.flag("full_wave", true);
  head.inputs.number("guide_length", double_cell(g.guide_length / mu));
  if (g.profile.empty()) head.inputs.number("wall", double_cell(g.wall / mu));
  char text[160];
  const char* u = unit_name(units);
  if (g.profile.empty()) {
    std::snprintf(text, sizeof text, "Full-wave body: feed guide radius %.5g %s, length %.5g %s, wall %.5g %s",
                  g.throat_radius / mu, u, g.guide_length / mu, u, g.wall / mu, u);
  } else {
    std::snprintf(text, sizeof text,
                  "Full-wave body: a profile of %zu points, feed guide radius %.5g %s, length %.5g %s, mouth radius "
                  "%.5g %s",
                  g.profile.size(), g.throat_radius / mu, u, g.guide_length / mu, u, g.aperture_radius / mu, u);
  }
  head.caption = text + record_parts(g, mu, units, head.inputs);
}

// The solution's power balance (radiated over net guide power), then the
// body, in every full-wave row, last, for readers of the CSV (pandas, a
// spreadsheet) that see no inputs: the guide's radius and length, the wall,
// and a flange's radius and thickness and each choke ring's five lengths
// where the body has them.
void parts_columns(Layout& l, const std::string& u, const fullwave::Geometry& g) {
  if (g.flange.radius > 0.0) {
    l.add("flange_radius_" + u, u, false);
    l.add("flange_thickness_" + u, u, false);
  }
  for (std::size_t i = 0; i < g.chokes.size(); ++i)
    for (const char* part : {"inner", "width", "depth", "wall", "setback"})
      l.add("choke" + std::to_string(i + 1) + "_" + part + "_" + u, u, false);
}
void parts_cells(std::vector<Cell>& cells, const fullwave::Geometry& g, double mu) {
  if (g.flange.radius > 0.0)
    for (const double x : {g.flange.radius, g.flange.thickness}) cells.push_back(double_cell(x / mu));
  for (const fullwave::Choke& c : g.chokes)
    for (const double x : {c.inner, c.width, c.depth, c.wall, c.setback}) cells.push_back(double_cell(x / mu));
}
void body_columns(Layout& l, const std::string& u, const fullwave::Geometry& g) {
  l.add("power_balance", "", false);
  l.add("guide_radius_" + u, u, false);
  l.add("guide_length_" + u, u, false);
  l.add("wall_" + u, u, false);
  parts_columns(l, u, g);
}
void body_cells(std::vector<Cell>& cells, double balance, const fullwave::Geometry& g, double mu) {
  cells.push_back(double_cell(balance));
  for (const double x : {g.throat_radius, g.guide_length, g.wall}) cells.push_back(double_cell(x / mu));
  parts_cells(cells, g, mu);
}

// A full-wave row's own check: its power balance.
Notes balance_notes(double balance) { return power_unbalanced(balance) ? note_bit(Note::power_balance) : 0; }

// ------------------------------------------------------------- sweeps

// A counted sweep's step towards its stop, then its least and greatest
// values in the model's precision; a list's extent (false when empty).
bool sweep_extent(Arg arg, const Sweep& s, bool single, double& lo, double& hi) {
  if (s.is_counted()) {
    const double first = in(s.first(), single), last = in(s.last(), single), step = in(s.step(), single);
    if ((last - first) * step < 0.0) throw Refusal(Rule::step_away, arg, {first, single}, {last, single});
  }
  return s.extent(single, lo, hi);
}

void s_within_design_range(Arg arg, const Sweep& s, bool single) {
  double lo = 0.0, hi = 0.0;
  if (!sweep_extent(arg, s, single, lo, hi)) return;
  if (!(lo >= 0.0 && hi <= 1.0)) throw Refusal(Rule::s_outside, arg, {lo >= 0.0 ? hi : lo, single});
}

// A check whose refusal an unchecked request (the dialogue's) waives: the
// refusal is kept in the head and the rows are computed as given.
template <class Check>
void waivable(const Job& j, Head& head, Check check) {
  if (!j.unchecked) {
    check();
    return;
  }
  try {
    check();
  } catch (const Refusal& r) {
    head.waived.push_back(r);
  }
}

// A run of `rows` rows, `counted` when a START STOP STEP sweep sets their
// number, is within max_rows or asked for by name.
void rows_allowed(const Job& j, long long rows, bool counted, Arg arg) {
  if (j.unchecked || j.rows_ok || !counted || rows <= max_rows) return;
  throw Refusal(Rule::too_many_rows, arg, {}, {}, std::to_string(rows));
}

// Only a full-wave response has the S11 of a Touchstone file.
void touchstone_refused(const Job& j, bool full_wave_response) {
  if (j.touchstone && !full_wave_response) throw Refusal(Rule::touchstone_needs_full_wave, Arg::format);
}

// The legacy gain design's aperture radius in wavelengths is
// exp((G + L(S)) / 8.685889) / 2 pi (chngn's gain inverted, gain_design.h).
// The models are made for apertures of 0.01 to 100 wavelengths in radius:
// below, no guide of that radius is within a factor of 30 of carrying TE11;
// above, the single-precision beamwidths lose their digits (at 200
// wavelengths they are off by 7 per cent, at 500 by a third). The gain must give
// such an aperture at every S of the sweep.
void gain_within_reach(const Number& gain, const Sweep& s) {
  const double db_ln = static_cast<double>(legacy::db_per_neper);
  const double two_pi = 2.0 * physical::pi;
  double lo = -HUGE_VAL, hi = HUGE_VAL;
  for (long long i = 0; i < s.size(); ++i) {
    const double loss = static_cast<double>(chngn_loss(s.at(i).single));
    lo = std::max(lo, db_ln * std::log(two_pi * 0.01) - loss);
    hi = std::min(hi, db_ln * std::log(two_pi * 100.0) - loss);
  }
  const double g = static_cast<double>(gain.single);
  if (s.size() == 0 || (g >= lo && g <= hi)) return;
  char range[96];
  std::snprintf(range, sizeof range, "they give %.1f to %.1f dB", lo, hi);
  throw Refusal(Rule::gain_beyond_reach, Arg::gain, {g, true}, {}, range);
}

// ------------------------------------------------------------ tables

// The response table's fields: frequency, then per plane the beamwidths at
// the two column levels and the phase centre, then the gain.
void response_layout(Layout& l, const std::array<float, 4>& blv, bool single) {
  l.add("frequency_ghz", "GHz", single, fixed(1, 8, 4, {{}, {}, {" Frequency"}}));
  // A plane's two beamwidths and phase centre under their headings; the
  // headings' leading blanks place them over the fields.
  const auto plane = [&](char p, std::size_t k, int gap1, int gap2, const char* lead) {
    const std::string name(1, p), title = std::string(" ") + (p == 'e' ? "E" : "H") + " Plane";
    for (std::size_t n : {k, k + 1}) {
      const Heading third = n == k ? Heading(lead, blv[n], " dB") : Heading("", blv[n], " dB");
      const std::vector<Heading> head =
          n == k ? std::vector<Heading>{spaces(gap1) + title, spaces(gap2) + " Beamwidths", third}
                 : std::vector<Heading>{{}, {}, third};
      l.add("beamwidth_" + name + "_" + level_name(blv[n]) + "_deg", "deg", single, fixed(2, 6, 1, head),
            static_cast<double>(blv[n]));
    }
    l.add("phase_centre_" + name + "_wl", "wl", single,
          fixed(2, 7, 3, {spaces(5) + title, spaces(5) + " Phase", {"  Center"}}, true));
  };
  plane('e', 0, 13, 12, "");
  plane('h', 2, 4, 3, " ");
  l.add("gain_db", "dB", single, fixed(2, 7, 2, {{}, {}, {spaces(4) + " Gain"}}));
  l.add("s_cycles", "cycles", single);
  l.add("aperture_wavelengths", "wl", single);
}

// The design table: S, the radii, the gain and the phase centres; the
// four beamwidths after them for a design to a gain.
void design_layout(Layout& l, const std::string& u, bool single, bool to_gain) {
  const auto bw = [&](const char* heading) {
    return to_gain ? std::optional<Field>(fixed(2, 6, 1, {{heading}})) : std::nullopt;
  };
  l.add("s_cycles", "cycles", single, fixed(0, 6, 3, {{"   S"}}));
  l.add("aperture_radius_" + u, u, single, fixed(6, 8, 4, {{"    Aperture Radius"}}));
  l.add("slant_radius_" + u, u, single, fixed(7, 8, 4, {{"  Slant Radius"}}));
  l.add("gain_db", "dB", single, fixed(4, 7, 2, {{"     Gain"}}));
  l.add("phase_centre_e_wl", "wl", single, fixed(2, 7, 3, {{"  Phase CTR. E, H"}}, true));
  l.add("phase_centre_h_wl", "wl", single, fixed(2, 7, 3, {{""}}, true));
  l.add("beamwidth_e_3db_deg", "deg", single, bw("  E 3 dB"));
  l.add("beamwidth_h_3db_deg", "deg", single, bw("  H 3 dB"));
  l.add("beamwidth_e_10db_deg", "deg", single, bw(" E 10 dB"));
  l.add("beamwidth_h_10db_deg", "deg", single, bw(" H 10 dB"));
}

// The pattern table: the angle, then amplitude and phase of the E and H
// planes; the models in double add the 45-degree plane's co- and
// cross-polar field.
void pattern_layout(Layout& l, bool single) {
  if (single) {
    l.add("angle_deg", "deg", true, fixed(1, 8, 2, {{right(9, "Angle")}, {right(9, "(deg)")}}));
    l.add("amplitude_e_db", "dB", true, fixed(2, 10, 2, {{right(21, "E Plane")}, {right(12, "Ampl. (dB)")}}));
    l.add("phase_e_deg", "deg", true, fixed(2, 7, 1, {{""}, {right(9, "Phase")}}));
    l.add("amplitude_h_db", "dB", true, fixed(2, 10, 2, {{right(21, "H Plane")}, {right(12, "Ampl. (dB)")}}));
    l.add("phase_h_deg", "deg", true, fixed(2, 7, 1, {{""}, {right(9, "Phase")}}));
    return;
  }
  const auto pair = [&](const std::string& amplitude, const std::string& phase, const char* plane) {
    l.add(amplitude, "dB", false, printed(2, 10, 2, {{right(21, plane)}, {right(12, "Ampl. (dB)")}}));
    l.add(phase, "deg", false, printed(2, 7, 1, {{""}, {right(9, "Phase")}}));
  };
  l.add("angle_deg", "deg", false, printed(1, 8, 2, {{right(9, "Angle")}, {right(9, "(deg)")}}));
  pair("amplitude_e_db", "phase_e_deg", "E Plane");
  pair("amplitude_h_db", "phase_h_deg", "H Plane");
  pair("amplitude_45_co_db", "phase_45_co_deg", "45 deg Co");
  pair("amplitude_45_xp_db", "phase_45_xp_deg", "45 deg Cross");
}

// The feed table: one line per row, efficiencies in per cent; a design marks
// its best row with '*'. "At plane" is the efficiency with the aperture
// centre at the focus, "Focus" the best focus behind the aperture.
void feed_layout(Layout& l, const std::string& u, bool design, bool full_wave) {
  const std::string unit = "(" + u + ")";
  const auto f = [](int gap, int width, int decimals, const std::string& top, const std::string& bottom,
                    double factor = 1.0) {
    return printed(gap, width, decimals, {{spaces(gap) + right(width, top)}, {spaces(gap) + right(width, bottom)}},
                   factor);
  };
  l.add("f_over_d", "", false, f(0, 5, 2, "f/D", ""));
  l.add("rim_half_angle_deg", "deg", false, f(1, 5, 1, "Rim", "(deg)"));
  l.add("s_cycles", "cycles", false, f(1, 5, 3, "S", "(cyc)"));
  l.add("aperture_radius_" + u, u, false, f(1, 7, 3, "Apert.", unit));
  l.add("slant_radius_" + u, u, false, f(1, 7, 3, "Slant", unit));
  l.add("aperture_wavelengths", "wl", false);
  l.add("aperture_efficiency", "", false, f(2, 5, 1, "Total", "(%)", 100.0));
  l.add("spillover_efficiency", "", false, f(1, 5, 1, "Spill", "(%)", 100.0));
  l.add("illumination_efficiency", "", false, f(1, 6, 1, "Illum.", "(%)", 100.0));
  l.add("phase_efficiency", "", false, f(1, 6, 1, "Phase", "(%)", 100.0));
  l.add("polarisation_efficiency", "", false, f(1, 6, 1, "Polar.", "(%)", 100.0));
  l.add("aperture_efficiency_at_aperture_plane", "", false, f(2, 8, 1, "At plane", "(%)", 100.0));
  l.add("focus_behind_aperture_wl", "wl", false, f(1, 7, 3, "Focus", "(wl)"));
  l.add("edge_taper_e_db", "dB", false, f(1, 6, 1, "Taper", "E (dB)"));
  l.add("edge_taper_h_db", "dB", false, f(1, 6, 1, "Taper", "H (dB)"));
  l.add("cross_pol_45_db", "dB", false, f(1, 6, 1, "X-pol", "(dB)"));
  l.add("gain_db", "dB", false, f(1, 5, 1, "Gain", "(dB)"));
  geometry_columns(l, u, false, false);
  if (design) {
    Field mark;
    mark.style = Field::Style::mark;
    mark.head = {{" "}, {" "}};
    l.add("best", "", false, mark);
    l.table_first();
  }
  if (full_wave) {
    l.add("s11_db", "dB", false, f(1, 6, 1, "S11", "(dB)"));
    s11_columns(l);
  }
}

// One row's storage, kept from row to row so that a sweep allocates its
// cells once.
struct Rows {
  Row row;
  Row& next() {
    row.cells.clear();
    row.notes = 0;
    return row;
  }
};

// Rows 0 to n - 1 computed by solve(i) on the library's threads and handed
// to write(i, result) on this thread in the order of the rows, each as soon
// as it and every row before it are done: the output still streams row by
// row and is the same for any thread count. A solve on a helper thread fills
// its matrix on that thread alone (numeric/parallel.h: no threads within
// threads); a single row keeps every thread for its fill. Rows go in blocks,
// so that no more than a block's results are ever held.
template <class T, class Solve, class Write>
void in_row_order(long long n, const Solve& solve, const Write& write) {
  constexpr long long kBlock = 4096;
  for (long long first = 0; first < n; first += kBlock) {
    parallel::parallel_ordered<T>(
        static_cast<int>(std::min(kBlock, n - first)), [&](int i) { return solve(first + i); },
        [&](int i, T r) { write(first + i, std::move(r)); });
  }
}

}  // namespace

int Head::index(const std::string& name) const {
  for (std::size_t k = 0; k < columns.size(); ++k) {
    if (columns[k].name == name) return static_cast<int>(k);
  }
  return -1;
}

// ============================================================== design

namespace {

// The band columns of a design: the figure aimed at (the beamwidth at the
// design's level in its plane, or the gain) at the band's two edges, the
// spread of each plane's phase centre over the band (in wavelengths at the
// design frequency), and the full wave's worst S11 in the band.
constexpr int kBandSamples = 5;  // frequencies across the band, the edges among them

void band_layout(Layout& l, bool to_gain, bool full_wave) {
  const bool single = false;
  const std::string what = to_gain ? "gain_band_" : "beamwidth_band_";
  const std::string unit = to_gain ? "db" : "deg";
  // Each heading right-justified over its gap and field.
  const auto f = [](int gap, int width, int decimals, const std::string& heading) {
    return printed(gap, width, decimals, {{right(gap + width, heading)}});
  };
  l.add(what + "low_" + unit, to_gain ? "dB" : "deg", single, f(2, 7, 2, to_gain ? "G low" : "BW low"));
  l.add(what + "high_" + unit, to_gain ? "dB" : "deg", single, f(1, 7, 2, to_gain ? "G high" : "BW high"));
  l.add("phase_centre_e_spread_wl", "wl", single, f(2, 6, 3, "PC E"));
  l.add("phase_centre_h_spread_wl", "wl", single, f(2, 6, 3, "PC H"));
  if (full_wave) l.add("s11_band_worst_db", "dB", false, f(2, 7, 1, "S11 max"));
}

// The figures of one frequency of a band sweep.
struct BandPoint {
  double figure, pc_e_m, pc_h_m, s11_db;
};

// The band columns from kBandSamples points of `at` (frequency in GHz).
template <class At>
std::vector<double> band_cells(double lo, double hi, double wl0_m, bool full_wave, At at) {
  double low = kNan, high = kNan, e_min = kNan, e_max = kNan, h_min = kNan, h_max = kNan, worst = kNan;
  for (int k = 0; k < kBandSamples; ++k) {
    const double f = k == kBandSamples - 1 ? hi : lo + (hi - lo) * k / (kBandSamples - 1);
    const BandPoint p = at(f);
    if (k == 0) low = p.figure;
    if (k == kBandSamples - 1) high = p.figure;
    e_min = k == 0 ? p.pc_e_m : std::min(e_min, p.pc_e_m);
    e_max = k == 0 ? p.pc_e_m : std::max(e_max, p.pc_e_m);
    h_min = k == 0 ? p.pc_h_m : std::min(h_min, p.pc_h_m);
    h_max = k == 0 ? p.pc_h_m : std::max(h_max, p.pc_h_m);
    worst = k == 0 ? p.s11_db : std::max(worst, p.s11_db);
  }
  std::vector<double> v = {low, high, (e_max - e_min) / wl0_m, (h_max - h_min) / wl0_m};
  if (full_wave) v.push_back(worst);
  return v;
}

// The figure a design aims at in its plane (1 E, 2 H, 3 the mean).
double in_plane(double e, double h, int plane) { return plane == 1 ? e : plane == 2 ? h : 0.5 * (e + h); }

}  // namespace

void design(const DesignRequest& q, Sink& sink) {
  const parallel::ThreadCountScope threads(q.threads.value_or(0));
  const bool fw = q.model == Model::full_wave, ex = q.model != Model::legacy, single = !ex;
  const bool to_gain = q.gain.has_value();
  touchstone_refused(q, false);
  Head head;
  int ilev = q.level.derive_from;
  if (!q.unchecked) {
    check_full_wave(q, q.body);
    checks::positive(Arg::freq, q.freq);
    if (to_gain == q.beamwidth.has_value()) throw Refusal(Rule::beamwidth_or_gain, Arg::beamwidth);
  }
  waivable(q, head, [&] {
    if (!to_gain && !(q.beamwidth->single > 0.0f && q.beamwidth->single < 360.0f && q.beamwidth->value > 0.0 &&
                      q.beamwidth->value < 360.0))
      throw Refusal(Rule::beamwidth_outside, Arg::beamwidth);
  });
  if (!q.unchecked) {
    ilev = to_gain ? 1 : curve_of(q.level, ex);
    if (q.model == Model::aperture && to_gain) throw Refusal(Rule::gain_legacy_only, Arg::exact);
  }
  waivable(q, head, [&] { s_within_design_range(Arg::s, q.s, single); });
  waivable(q, head, [&] {
    if (q.plane != Plane::e && q.plane != Plane::h && q.plane != Plane::mean)
      throw Refusal(Rule::plane_outside, Arg::plane, {static_cast<double>(q.plane), false});
  });
  if (!q.unchecked) {
    rows_allowed(q, q.s.size(), q.s.is_counted(), Arg::s);
    // (The legacy models' reach; the full wave's design says row by row
    // where it has none.)
    if (to_gain && !fw) gain_within_reach(*q.gain, q.s);
    if (q.band) {
      checks::positive(Arg::band, q.band->low);
      checks::positive(Arg::band, q.band->high);
      if (!(in(q.band->high, single) > in(q.band->low, single))) throw Refusal(Rule::band_order, Arg::band);
    }
  }
  const double throat = throat_of(q.body, single);

  const std::string u = unit_name(q.units);
  const float un = unit_factor(q.units);
  const double mu = metres_per_unit(q.units);
  const double band_lo = q.band ? in(q.band->low, single) : kNan, band_hi = q.band ? in(q.band->high, single) : kNan;
  head.command = "design";
  Inputs& inputs = head.inputs;
  inputs.number("freq_ghz", cell_of(q.freq, single));
  if (q.model == Model::aperture) inputs.flag("exact", true);
  if (to_gain) {
    inputs.number("gain_db", fw ? double_cell(q.gain->value) : single_cell(q.gain->single));
  } else {
    inputs.number("beamwidth_deg", cell_of(*q.beamwidth, single));
    inputs.number("level_db", cell_of(q.level.db, single));
    if (!ex) inputs.number("curve_level_db", single_cell(legacy::curve_levels[ilev - 1]));
    inputs.text("plane", q.plane_text);
  }
  if (q.s.is_counted()) inputs.numbers("s_range", triple(q.s, single));
  if (!std::isnan(throat)) inputs.number("throat_radius", cell(throat, single));
  if (q.band) inputs.numbers("band_ghz", {cell_of(q.band->low, single), cell_of(q.band->high, single)});
  inputs.text("units", u);
  // The full wave designs on the feed guide: checked as the open-ended guide
  // over the design frequency and the band.
  fullwave::Geometry guide{};
  if (fw) {
    const double lowest = q.band ? std::min(q.freq.value, band_lo) : q.freq.value;
    const double highest = q.band ? std::max(q.freq.value, band_hi) : q.freq.value;
    plain_only(q.body, "a design");
    guide = feed_guide(q.body, throat, mu, lowest);
    record_body(guide, mu, q.units, head);
    guide.aperture_radius = guide.throat_radius;
    guide.slant_radius = std::numeric_limits<double>::infinity();
    solvable_up_to(guide, highest);
  }
  // A full-wave design at a level other than 3 or 10 dB gives its beamwidths
  // at that level too.
  const bool own_level = fw && !to_gain && q.level.db.value != 3.0 && q.level.db.value != 10.0;
  Layout layout(head, 1);
  design_layout(layout, u, single, to_gain || fw);
  if (own_level) {
    const std::string lv = level_name(static_cast<float>(q.level.db.value));
    layout.add("beamwidth_e_" + lv + "_deg", "deg", false, {}, q.level.db.value);
    layout.add("beamwidth_h_" + lv + "_deg", "deg", false, {}, q.level.db.value);
  }
  geometry_columns(layout, u, single, !std::isnan(throat));
  if (fw) {
    layout.add("s11_db", "dB", false, printed(2, 7, 1, {{"    S11"}}));
    s11_columns(layout);
    body_columns(layout, u, guide);
  }
  if (q.band) band_layout(layout, to_gain, fw);
  head.unit_factor = un;
  head.key = "S = %";
  head.rows = q.s.size();
  sink.begin(head);
  Rows rows;

  const float freq = q.freq.single;
  const double wl_in = static_cast<double>(legacy::c_in_per_ns) / static_cast<double>(freq);
  const double tw = ex ? throat * mu / exact::wavelength_m(q.freq.value) : throat / static_cast<double>(un) / wl_in;
  // The legacy routines design any plane other than 2 (H) and 3 (the
  // mean) in the E plane; the check of the design takes the same plane.
  const int iplane = q.plane == Plane::h || q.plane == Plane::mean ? static_cast<int>(q.plane) : 1;
  const float bwc = to_gain ? 0.0f : curve_beamwidth(q.beamwidth->single, q.level.db.single, ilev);
  const double wl0 = exact::wavelength_m(q.freq.value);
  // A full-wave row: the design and its band columns, with the band's notes.
  struct Solved {
    fullwave::Design design;
    std::vector<double> band;
    Notes band_notes = 0;
  };
  const auto solve = [&](long long i) {
    // The aperture whose full-wave figure is the request: the gain column
    // the directivity of the lossless horn (as response --full-wave has
    // it; the realised gain is lower by the mismatch, 10 log10(1 - |S11|^2)).
    Solved r;
    fullwave::DesignRequest d;
    d.guide = guide;
    d.frequency_ghz = q.freq.value;
    d.s_cycles = q.s.at(i).value;
    d.to_gain = to_gain;
    d.target = to_gain ? q.gain->value : q.beamwidth->value;
    d.level_db = q.level.db.value;
    d.plane = iplane;
    r.design = fullwave::design(d);
    if (q.band && r.design.geometry.aperture_radius / mu > 0.0) {
      fullwave::ResponseRequest rq;
      rq.geometry = r.design.geometry;
      rq.level1_db = q.level.db.value;
      r.band = band_cells(band_lo, band_hi, wl0, true, [&](double fr) {
        rq.frequency_ghz = fr;
        const fullwave::HornResponse h = solved([&] { return fullwave::response(rq); });
        const double wl = exact::wavelength_m(fr);
        if (power_unbalanced(h.power_balance)) r.band_notes |= note_bit(Note::power_balance);
        return BandPoint{fullwave::design_figure(h.figures, to_gain, iplane), h.figures.phase_centres.e * wl,
                         h.figures.phase_centres.h * wl, h.figures.s11_db};
      });
    }
    return r;
  };
  // One row; `solution` the full wave's.
  const auto line = [&](long long i, const Solved* solution) {
    Row& row = rows.next();
    // s, aperture in wavelengths, a, r (unit), gain, phase centres, the
    // four beamwidths at 3 and 10 dB.
    double f[11];
    std::vector<double> extra;  // the full wave's own columns before the geometry
    fullwave::Design fd;
    if (fw) {
      fd = solution->design;
      if (!fd.found) row.notes |= note_bit(Note::no_full_wave_design);
      row.notes |= balance_notes(fd.power_balance);
      const fullwave::Figures& g = fd.figures;
      const fullwave::Geometry& b = fd.geometry;
      const double v[] = {q.s.at(i).value,
                          b.aperture_radius / exact::wavelength_m(q.freq.value),
                          b.aperture_radius / mu,
                          b.slant_radius / mu,
                          g.directivity_db,
                          g.phase_centres.e,
                          g.phase_centres.h,
                          g.level2.e,
                          g.level2.h,
                          g.level10.e,
                          g.level10.h};
      std::copy(std::begin(v), std::end(v), f);
      if (own_level) extra = {g.level1.e, g.level1.h};
    } else if (ex) {
      exact::DesignRequest d;
      d.frequency_ghz = q.freq.value;
      d.beamwidth_deg = q.beamwidth->value;
      d.level_db = q.level.db.value;
      d.plane = static_cast<exact::Plane>(iplane);
      d.s_cycles = q.s.at(i).value;
      const exact::HornDesign h = exact::design(d);
      if (!h.found()) row.notes |= note_bit(Note::no_design);
      const exact::HornResponse& r = h.response;
      const double v[] = {h.s_cycles,
                          h.aperture_radius_wl,
                          h.aperture_radius_m / mu,
                          h.slant_radius_m / mu,
                          r.gain_db,
                          r.phase_centre_e_wl,
                          r.phase_centre_h_wl,
                          r.beamwidths_1.e_plane_deg,
                          r.beamwidths_1.h_plane_deg,
                          r.beamwidths_2.e_plane_deg,
                          r.beamwidths_2.h_plane_deg};
      std::copy(std::begin(v), std::end(v), f);
    } else {
      const float s = q.s.at(i).single;
      DesignLine d = to_gain ? gain_design_line(freq, q.gain->single, s) : design_line(freq, bwc, ilev, iplane, s);
      // A design the curves cannot give: no horn of positive finite size, or
      // one whose own beamwidth misses the request.
      const bool no_horn = !(std::isfinite(d.arad) && d.arad > 0.0f);
      const bool beyond =
          to_gain ? no_horn
                  : beyond_design_curves(static_cast<double>(q.beamwidth->single),
                                         legacy_design_beamwidth(d.fig, ilev, iplane, q.level.db.single),
                                         static_cast<double>(d.arad));
      if (beyond) row.notes |= note_bit(Note::beyond_curves);
      HornFigures h = d.fig;
      if (no_horn && !q.unchecked) {
        d.aw = d.arad = d.srad = NAN;
        h.bwe3 = h.bwh3 = h.bwe10 = h.bwh10 = h.pce = h.pch = h.gain = NAN;
      }
      const float v[] = {d.s, d.aw, un * d.arad, un * d.srad, h.gain, h.pce, h.pch, h.bwe3, h.bwh3, h.bwe10, h.bwh10};
      for (int k = 0; k < 11; ++k) f[k] = static_cast<double>(v[k]);
    }
    row.notes |= horn_notes(f[1], 0.0, tw);
    if (f[3] < f[2]) row.notes |= note_bit(Note::not_a_cone);
    for (int k = 0; k < 11; ++k) {
      if (k != 1) row.cells.push_back(cell(f[k], single));
    }
    for (const double x : extra) row.cells.push_back(double_cell(x));
    geometry_cells(row.cells, f[2], f[3], throat, single);
    if (fw) {
      s11_cells(row.cells, fd.figures.s11_db, fd.figures.s11);
      body_cells(row.cells, fd.power_balance, fd.geometry, mu);
    }
    if (q.band) {
      std::vector<double> b;
      const double a = f[2], r = f[3];
      if (!(a > 0.0)) {
        b.assign(fw ? 5 : 4, kNan);
      } else if (fw) {
        b = solution->band;
        row.notes |= solution->band_notes;
      } else if (ex) {
        exact::ResponseRequest e;
        e.aperture_radius_m = a * mu;
        e.slant_radius_m = r * mu;
        e.level1_db = q.level.db.value;
        b = band_cells(band_lo, band_hi, wl0, false, [&](double fr) {
          e.frequency_ghz = fr;
          const exact::HornResponse h = exact::response(e);
          return BandPoint{in_plane(h.beamwidths_1.e_plane_deg, h.beamwidths_1.h_plane_deg, iplane),
                           h.phase_centre_e_wl * h.wavelength_m, h.phase_centre_h_wl * h.wavelength_m, kNan};
        });
      } else {
        // The legacy routines in inches and single precision, as a response
        // at the design's own level shows the horn.
        const float arad = static_cast<float>(a) / un, srad = static_cast<float>(r) / un;
        b = band_cells(band_lo, band_hi, wl_in, false, [&](double fr) {
          const float ff = static_cast<float>(fr);
          const HornFigures h = response_line(ff, arad, srad, q.level.db.single, ilev);
          const double wl = static_cast<double>(legacy::c_in_per_ns) / fr;
          const double figure = to_gain ? static_cast<double>(h.gain)
                                        : legacy_design_beamwidth(h, ilev, iplane, q.level.db.single);
          return BandPoint{figure, static_cast<double>(h.pce) * wl, static_cast<double>(h.pch) * wl, kNan};
        });
      }
      for (const double x : b) row.cells.push_back(double_cell(x));
    }
    sink.row(row);
  };
  if (fw) {
    // The rows designed in parallel.
    in_row_order<Solved>(q.s.size(), solve, [&](long long i, const Solved& r) { line(i, &r); });
  } else {
    for (long long i = 0; i < q.s.size(); ++i) line(i, nullptr);
  }
  sink.end();
}

// ============================================================ response

void response(const ResponseRequest& q0, Sink& sink) {
  const ResponseRequest q = profiled(q0, q0.full_wave_asked);
  const parallel::ThreadCountScope threads(q.threads.value_or(0));
  const bool fw = q.model == Model::full_wave, ex = q.model != Model::legacy, single = !ex;
  const double a = in(q.cone.aperture, single), rs = in(q.cone.slant, single);
  int ilev = q.level.derive_from;
  double f_lo = 0.0, f_hi = 0.0;
  bool any = q.freqs.size() > 0;
  double throat = kNan;
  Head head;
  if (!q.unchecked) {
    touchstone_refused(q, fw);
    check_full_wave(q, q.body);
    if (q.sweep && !fw) throw Refusal(Rule::needs_full_wave, Arg::sweep);
    checks::positive(Arg::aperture, q.cone.aperture);
  }
  waivable(q, head, [&] { checks::slant_beyond_aperture(rs, a); });
  if (!q.unchecked) ilev = curve_of(q.level, ex);
  waivable(q, head, [&] {
    const bool reached = sweep_extent(Arg::freqs, q.freqs, single, f_lo, f_hi);
    if (reached && !(f_lo > 0.0 && f_hi > 0.0)) {
      throw Refusal(Rule::frequency_not_positive, Arg::freqs, {f_lo > 0.0 ? f_hi : f_lo, single});
    }
    any = reached;
  });
  if (!q.unchecked) {
    throat = throat_of(q.body, single);
    if (fw) {
      checks::full_wave_throat(throat, a, rs);
    } else if (!std::isnan(throat)) {
      checks::throat_inside_aperture(throat, a);
    }
    rows_allowed(q, q.freqs.size(), q.freqs.is_counted(), Arg::freqs);
  }

  const std::string u = unit_name(q.units);
  const float un = unit_factor(q.units);
  const double mu = metres_per_unit(q.units);
  head.command = "response";
  Inputs& inputs = head.inputs;
  inputs.number("aperture_radius", cell(a, single));
  inputs.number("slant_radius", cell(rs, single));
  inputs.number("level_db", cell_of(q.level.db, single));
  if (!ex) inputs.number("curve_level_db", single_cell(legacy::curve_levels[ilev - 1]));
  if (q.model == Model::aperture) inputs.flag("exact", true);
  if (q.freqs.is_counted()) inputs.numbers("freq_range_ghz", triple(q.freqs, single));
  if (!std::isnan(throat)) inputs.number("throat_radius", cell(throat, single));
  inputs.text("units", u);
  const std::array<float, 4> blv = column_levels(q.level.db.single, ilev);
  Layout layout(head, 3);
  response_layout(layout, blv, single);
  geometry_columns(layout, u, single, !std::isnan(throat));
  fullwave::ResponseRequest fq;
  if (fw && any) {
    fq.geometry = horn_body(q.body, a, rs, throat, mu, f_lo);
    record_body(fq.geometry, mu, q.units, head);
    solvable_up_to(fq.geometry, f_hi);
  }
  if (fw) {
    layout.add("s11_db", "dB", false, printed(0, 10, 1, {{}, {}, {"  S11 (dB)"}}));
    s11_columns(layout);
    body_columns(layout, u, fq.geometry);
  }
  head.unit_factor = un;
  head.key = "% GHz";
  head.rows = q.freqs.size();
  sink.begin(head);
  Rows rows;

  double level1 = 3.0, level2 = 10.0;
  beam_levels(q.level, ilev, level1, level2);
  // The fast sweep solves its few frequencies before the first row.
  std::optional<fullwave::FrequencySweep> swept;
  if (fw && any && q.sweep.value_or(SweepMethod::fast) == SweepMethod::fast) {
    fullwave::SweepRequest sq;
    sq.geometry = fq.geometry;
    sq.level1_db = level1;
    sq.level2_db = level2;
    sq.frequencies_ghz.reserve(static_cast<std::size_t>(q.freqs.size()));
    for (long long i = 0; i < q.freqs.size(); ++i) sq.frequencies_ghz.push_back(q.freqs.at(i).value);
    sq.progress = [&sink](std::size_t settled) { sink.computed(static_cast<long long>(settled)); };
    swept.emplace(solved([&] { return fullwave::FrequencySweep(sq); }));
  }

  const float arad = static_cast<float>(a) / un, srad = static_cast<float>(rs) / un;
  fq.level1_db = level1;
  fq.level2_db = level2;
  // One frequency's line; `solution` the full wave's at it.
  const auto line = [&](long long i, const fullwave::HornResponse* solution) {
    Row& row = rows.next();
    double aw = 0.0, s = 0.0, wl = 0.0;  // wl in the unit
    double s11_db = kNan;
    Notes checked = 0;
    double balance = kNan;
    std::complex<double> s11;
    if (fw) {
      // Exact mode's columns from the full-wave pattern, the directivity
      // (the gain of the lossless horn) as the gain.
      const fullwave::HornResponse& h = *solution;
      if (swept && swept->fell_back(static_cast<std::size_t>(i))) checked |= note_bit(Note::sweep_direct);
      const fullwave::Figures& g = h.figures;
      wl = exact::wavelength_m(h.frequency_ghz) / mu;
      aw = h.aperture_radius_wl;
      s = h.s_cycles;
      s11_db = g.s11_db;
      balance = h.power_balance;
      checked |= balance_notes(balance);
      s11 = g.s11;
      for (const double x : {h.frequency_ghz, g.level1.e, g.level2.e, g.phase_centres.e, g.level1.h, g.level2.h,
                             g.phase_centres.h, g.directivity_db, s, aw})
        row.cells.push_back(double_cell(x));
    } else if (ex) {
      exact::ResponseRequest e;
      e.aperture_radius_m = a * mu;
      e.slant_radius_m = rs * mu;
      e.level1_db = level1;
      e.level2_db = level2;
      e.frequency_ghz = q.freqs.at(i).value;
      const exact::HornResponse h = exact::response(e);
      aw = h.aperture_radius_wl;
      s = h.s_cycles;
      wl = h.wavelength_m / mu;
      for (const double x : {h.frequency_ghz, h.beamwidths_1.e_plane_deg, h.beamwidths_2.e_plane_deg,
                             h.phase_centre_e_wl, h.beamwidths_1.h_plane_deg, h.beamwidths_2.h_plane_deg,
                             h.phase_centre_h_wl, h.gain_db, s, aw})
        row.cells.push_back(double_cell(x));
    } else {
      const float fr = q.freqs.at(i).single;
      const HornFigures h = response_line(fr, arad, srad, q.level.db.single, ilev);
      const double wl_in = static_cast<double>(legacy::c_in_per_ns) / static_cast<double>(fr);
      wl = wl_in * static_cast<double>(un);
      aw = static_cast<double>(arad) / wl_in;
      s = exact::phase_deviation_cycles(static_cast<double>(arad), static_cast<double>(srad), wl_in);
      for (const float x : {fr, h.bwe3, h.bwe10, h.pce, h.bwh3, h.bwh10, h.pch, h.gain, static_cast<float>(s),
                            static_cast<float>(aw)})
        row.cells.push_back(single_cell(x));
    }
    geometry_cells(row.cells, a, rs, throat, single);
    if (fw) {
      s11_cells(row.cells, s11_db, s11);
      body_cells(row.cells, balance, fq.geometry, mu);
    }
    row.notes = horn_notes(aw, s, throat / wl) | checked;
    sink.row(row);
  };
  if (swept) {
    for (long long i = 0; i < q.freqs.size(); ++i) {
      const fullwave::HornResponse h = swept->at(static_cast<std::size_t>(i));
      line(i, &h);
    }
  } else if (fw) {
    // The frequencies solved in parallel.
    in_row_order<fullwave::HornResponse>(
        q.freqs.size(),
        [&](long long i) {
          fullwave::ResponseRequest r = fq;
          r.frequency_ghz = q.freqs.at(i).value;
          return solved([&] { return fullwave::response(r); });
        },
        [&](long long i, const fullwave::HornResponse& h) { line(i, &h); });
  } else {
    for (long long i = 0; i < q.freqs.size(); ++i) line(i, nullptr);
  }
  sink.end();
}

// ============================================================= pattern

namespace {

// The checks of a pattern request, its horn in the unit.
void check_pattern(const PatternRequest& q, double& a, double& rs) {
  touchstone_refused(q, false);
  check_full_wave(q, q.body);
  check_throat_needs_full_wave(q, q.body, "the pattern");
  const bool single = q.model == Model::legacy;
  if (!q.freqs) checks::positive(Arg::freq, q.freq);
  checks::positive(Arg::aperture, q.cone.aperture);
  a = in(q.cone.aperture, single);
  rs = in(q.cone.slant, single);
  checks::slant_beyond_aperture(rs, a);
  double lo = 0.0, hi = 0.0;
  sweep_extent(Arg::angles, q.angles, single, lo, hi);
  rows_allowed(q, q.angles.size(), q.angles.is_counted(), Arg::angles);
}

// The frequencies of a pattern request (GHz): its one frequency, or its
// sweep, every one above 0; `lo`, `hi` their extent (false: none).
bool pattern_frequencies(const PatternRequest& q, double& lo, double& hi) {
  if (!q.freqs) {
    lo = hi = q.freq.value;
    return true;
  }
  const bool any = sweep_extent(Arg::freqs, *q.freqs, false, lo, hi);
  if (any && !(lo > 0.0 && hi > 0.0)) throw Refusal(Rule::frequency_not_positive, Arg::freqs, {lo > 0.0 ? hi : lo, false});
  return any;
}

// The full-wave body of a pattern request, solvable over `lo` to `hi` GHz.
fullwave::Geometry pattern_body(const PatternRequest& q, double a, double rs, double lo, double hi, Head& head) {
  const double mu = metres_per_unit(q.units);
  const double throat = throat_of(q.body, false);
  checks::full_wave_throat(throat, a, rs);
  head.inputs.number("throat_radius", double_cell(throat));
  const fullwave::Geometry g = horn_body(q.body, a, rs, throat, mu, lo);
  record_body(g, mu, q.units, head);
  solvable_up_to(g, hi);
  return g;
}

// The notes of a full-wave horn solved at `freq` GHz.
Notes solved_notes(const fullwave::Horn& horn, const fullwave::Geometry& g, double freq) {
  const double wl = exact::wavelength_m(freq);
  return horn_notes(horn.aw(), exact::phase_deviation_cycles(g.aperture_radius, g.slant_radius, wl),
                    g.throat_radius / wl) |
         balance_notes(horn.power_balance());
}

}  // namespace

void pattern(const PatternRequest& q0, Sink& sink) {
  const PatternRequest q = profiled(q0, q0.full_wave_asked);
  const parallel::ThreadCountScope threads(q.threads.value_or(0));
  double a = 0.0, rs = 0.0;
  check_pattern(q, a, rs);
  if (q.freqs) throw Refusal(Rule::freqs_need_cut, Arg::freqs);
  const bool fw = q.model == Model::full_wave, ex = q.model != Model::legacy, single = !ex;
  const double freq = in(q.freq, single);
  const double mu = metres_per_unit(q.units);
  Head head;
  head.command = "pattern";
  Inputs& inputs = head.inputs;
  inputs.number("aperture_radius", cell(a, single));
  inputs.number("slant_radius", cell(rs, single));
  inputs.number("freq_ghz", cell(freq, single));
  if (q.angles.is_counted()) inputs.numbers("angles_deg", triple(q.angles, single));
  inputs.text("units", unit_name(q.units));
  if (q.model == Model::aperture) inputs.flag("exact", true);
  fullwave::Geometry g{};
  if (fw) g = pattern_body(q, a, rs, freq, freq, head);
  Layout layout(head, 2);
  pattern_layout(layout, single);
  if (fw) body_columns(layout, unit_name(q.units), g);
  head.unit_factor = unit_factor(q.units);
  head.key = "% deg";
  head.rows = q.angles.size();
  sink.begin(head);
  Rows rows;

  if (fw) {
    // Solved once at this frequency, then read at every angle; amplitudes in
    // dBi (realised gain), phase referred to the centre of the aperture.
    const fullwave::Horn horn = solved([&] { return fullwave::Horn(g, freq); });
    const Notes notes = solved_notes(horn, g, freq);
    for (long long i = 0; i < q.angles.size(); ++i) {
      const fullwave::PatternPoint p = fullwave::pattern_point(horn, q.angles.at(i).value);
      const exact::PatternPoint& e = p.planes;
      Row& row = rows.next();
      for (const double x : {e.angle_deg, e.amplitude_e_db, e.phase_e_deg, e.amplitude_h_db, e.phase_h_deg,
                             p.amplitude_45_co_db, p.phase_45_co_deg, p.amplitude_45_xp_db, p.phase_45_xp_deg})
        row.cells.push_back(double_cell(x));
      body_cells(row.cells, horn.power_balance(), g, mu);
      row.notes = notes;
      sink.row(row);
    }
  } else if (ex) {
    const exact::PatternEvaluator horn(a * mu, rs * mu, freq);
    const feed::PolarPattern polar(a * mu, rs * mu, freq);
    const Notes notes = horn_notes(horn.aperture_radius_wl(), horn.s_cycles(), kNan);
    for (long long i = 0; i < q.angles.size(); ++i) {
      const double angle = q.angles.at(i).value;
      const exact::PatternPoint p = horn.at(angle);
      const feed::Polarised c = polar.at(angle, 45.0);
      Row& row = rows.next();
      for (const double x : {p.angle_deg, p.amplitude_e_db, p.phase_e_deg, p.amplitude_h_db, p.phase_h_deg,
                             exact::amplitude_db(c.co), exact::phase_deg(c.co), exact::amplitude_db(c.xp),
                             exact::phase_deg(c.xp)})
        row.cells.push_back(double_cell(x));
      row.notes = notes;
      sink.row(row);
    }
  } else {
    const float un = unit_factor(q.units);
    const float arad = static_cast<float>(a) / un, srad = static_cast<float>(rs) / un;
    const double wl_in = static_cast<double>(legacy::c_in_per_ns) / freq;
    const Notes notes = horn_notes(static_cast<double>(arad) / wl_in,
                                   exact::phase_deviation_cycles(static_cast<double>(arad),
                                                                 static_cast<double>(srad), wl_in),
                                   kNan);
    for (long long i = 0; i < q.angles.size(); ++i) {
      const float deg = q.angles.at(i).single;
      float ampe = 0.0f, amph = 0.0f, phe = 0.0f, phh = 0.0f;
      chp11(q.freq.single, arad, srad, deg * legacy::rad_per_deg, ampe, amph, phe, phh);
      Row& row = rows.next();
      for (const float x : {deg, ampe, phe, amph, phh}) row.cells.push_back(single_cell(x));
      row.notes = notes;
      sink.row(row);
    }
  }
  sink.end();
}

struct PolarCuts::Pattern {
  double a = 0.0, rs = 0.0, mu = 1.0;
  Units units = Units::in;
  bool full_wave = false;
  fullwave::Geometry body{};
  std::string caption;
  std::vector<double> freqs;
  // The horn at the selected frequency, in its model.
  std::unique_ptr<feed::PolarPattern> polar;
  std::unique_ptr<fullwave::Horn> horn;
  double freq = 0.0;
  int threads = 0;  // the request's thread count, 0 the library's own
};

PolarCuts::PolarCuts(const PatternRequest& q0) : pattern_(std::make_unique<Pattern>()) {
  const PatternRequest q = profiled(q0, q0.full_wave_asked);
  double a = 0.0, rs = 0.0;
  check_pattern(q, a, rs);
  if (q.model == Model::legacy) throw Refusal(Rule::cut_needs_exact, Arg::format);
  // The angles: a regular grid that ascends within -180 to 180 degrees and
  // has the axis on it. The legacy count may carry the last angle up to 0.4
  // of a step beyond the stop: angles past 180 degrees are left out.
  const Sweep& s = q.angles;
  step_ = s.step().value;
  const double start = s.first().value, stop = s.last().value;
  if (!(step_ > 0.0)) throw Refusal(Rule::cut_not_ascending, Arg::format);
  if (!(step_ >= 0.00036)) throw Refusal(Rule::cut_step_small, Arg::format);
  if (!(start >= -180.0 && stop <= 180.0)) throw Refusal(Rule::cut_beyond_half_turn, Arg::format);
  const double k = -start / step_;
  axis_ = static_cast<int>(std::lround(k));
  long long n = 0;
  for (; n < s.size() && (n - axis_) * step_ <= 180.0 * (1.0 + 1e-12); ++n) {
  }
  if (!(std::fabs(k - axis_) <= 1e-9 * std::max(1.0, std::fabs(k)) && axis_ >= 0 && axis_ < n)) {
    throw Refusal(Rule::cut_no_axis, Arg::format);
  }
  count_ = static_cast<int>(n);

  Pattern& p = *pattern_;
  p.a = a;
  p.rs = rs;
  p.units = q.units;
  p.mu = metres_per_unit(q.units);
  p.full_wave = q.model == Model::full_wave;
  p.threads = q.threads.value_or(0);
  double lo = 0.0, hi = 0.0;
  if (pattern_frequencies(q, lo, hi) && p.full_wave) {
    Head head;
    p.body = pattern_body(q, a, rs, lo, hi, head);
    p.caption = head.caption;
  }
  if (q.freqs) {
    for (long long i = 0; i < q.freqs->size(); ++i) p.freqs.push_back(q.freqs->at(i).value);
  } else {
    p.freqs.push_back(q.freq.value);
  }
}

PolarCuts::~PolarCuts() = default;

long long PolarCuts::frequencies() const { return static_cast<long long>(pattern_->freqs.size()); }

void PolarCuts::select(long long i) {
  Pattern& p = *pattern_;
  p.freq = p.freqs.at(static_cast<std::size_t>(i));
  if (p.full_wave) {
    p.horn.reset();
    const parallel::ThreadCountScope threads(p.threads);
    p.horn = solved([&] { return std::make_unique<fullwave::Horn>(p.body, p.freq); });
  } else {
    p.polar = std::make_unique<feed::PolarPattern>(p.a * p.mu, p.rs * p.mu, p.freq);
  }
}

double PolarCuts::frequency_ghz() const { return pattern_->freq; }

std::string PolarCuts::frequency_text() const {
  // Ten digits: a swept frequency as its sweep was meant (9.7, not
  // 9.700000000000001).
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", pattern_->freq);
  return text;
}

std::string PolarCuts::title() const {
  const Pattern& p = *pattern_;
  const std::string u = std::string(" ") + unit_name(p.units);
  std::string t = std::string(p.full_wave ? "full-wave" : "exact") + " conical TE11 horn, a = " + shortest(p.a) + u +
                  ", R = " + shortest(p.rs) + u + ", " + frequency_text() + " GHz";
  if (p.full_wave && !p.caption.empty()) t += "; f" + p.caption.substr(1);  // "; full-wave body: ..."
  return t;
}

Notes PolarCuts::notes() const {
  const Pattern& p = *pattern_;
  if (p.full_wave) return solved_notes(*p.horn, p.body, p.freq);
  const double wl = exact::wavelength_m(p.freq);
  return horn_notes(p.a * p.mu / wl, exact::phase_deviation_cycles(p.a, p.rs, wl / p.mu), kNan);
}

void PolarCuts::at(double theta_deg, double phi_deg, std::complex<double>& co, std::complex<double>& xp) const {
  // A cut through negative theta is the half-plane phi + 180, where this
  // body of revolution has the same co- and cross-polar field.
  const Pattern& p = *pattern_;
  const feed::Polarised v =
      p.full_wave ? feed::ludwig3_deg(p.horn->field(std::fabs(theta_deg) * physical::rad_per_deg), phi_deg)
                  : p.polar->at(std::fabs(theta_deg), phi_deg);
  co = v.co;
  xp = v.xp;
}

// ================================================================ feed

namespace {

Notes feed_notes(const feed::FeedRow& r, bool design, bool full_wave) {
  Notes n = 0;
  if (design && std::isnan(r.aperture_radius_wl)) {
    n |= note_bit(full_wave ? Note::no_full_wave_feed_design : Note::no_feed_design);
  }
  if (below_te11_cutoff(r.aperture_radius_wl)) n |= note_bit(Note::below_cutoff);
  if (r.s_cycles > 1.0) n |= note_bit(Note::s_above_one);
  return n;
}

// The index of the row of highest aperture efficiency (the first of
// equals), -1 when none has one.
template <class Efficiency>
int best_of(long long n, Efficiency eta) {
  int best = -1;
  double top = 0.0;
  for (long long i = 0; i < n; ++i) {
    const double e = eta(i);
    if (!std::isnan(e) && (best < 0 || e > top)) {
      best = static_cast<int>(i);
      top = e;
    }
  }
  return best;
}

// Rows of one f/D designed over S are kept to mark the best at the end up
// to this many; a longer sweep designs each S twice instead, so that memory
// does not grow with it.
constexpr long long kKeptDesigns = 4096;

// A choke-feed design's request, checked, as the judgement of the open
// guide whose rings it designs.
FeedRequest choke_designed(const FeedRequest& q) {
  if (!q.choke_rings) return q;
  const auto misfit = [](const std::string& why) {
    throw Refusal(Rule::choke_design_misfit, Arg::choke_design, {}, {}, why);
  };
  if (!q.full_wave_asked) throw Refusal(Rule::needs_full_wave, Arg::choke_design);
  if (!(*q.choke_rings >= 1 && *q.choke_rings <= 3)) misfit("the rings must number 1, 2 or 3");
  if (q.aperture || q.slant || q.taper || q.s || q.body.flange || !q.body.chokes.empty() || q.body.profile)
    misfit("it designs the rings of the open guide of the throat: leave out the horn, its S or taper, a flange, "
           "rings and a profile");
  if (q.f_over_d.size() != 1) misfit("it designs for one dish: give one f/D");
  if (!q.body.throat) throw Refusal(Rule::throat_required, Arg::throat);
  FeedRequest r = q;
  r.aperture = *q.body.throat;
  r.slant = Number::of(std::numeric_limits<double>::infinity());
  return r;
}

}  // namespace

void feed(const FeedRequest& q0, Sink& sink) {
  const FeedRequest q = choke_designed(profiled(q0, q0.full_wave_asked));
  const parallel::ThreadCountScope threads(q.threads.value_or(0));
  touchstone_refused(q, false);
  check_full_wave(q, q.body);
  check_throat_needs_full_wave(q, q.body, "feed");
  const bool fw = q.model == Model::full_wave;
  const double freq = q.freq.value;
  if (!(freq > 0.0)) throw Refusal(Rule::positive, Arg::freq);
  double fd_lo = 0.0, fd_hi = 0.0;
  if (sweep_extent(Arg::f_over_d, q.f_over_d, false, fd_lo, fd_hi) && !(fd_lo > 0.0)) {
    throw Refusal(Rule::f_over_d_not_positive, Arg::f_over_d);
  }

  // A horn to judge, or the design's phase deviations and taper.
  const bool judging = q.aperture || q.slant;
  double a = 0.0, rs = 0.0, taper = kNan;
  const std::string u = unit_name(q.units);
  const double mu = metres_per_unit(q.units);
  Head head;
  head.command = "feed";
  Inputs& inputs = head.inputs;
  inputs.number("freq_ghz", double_cell(freq));
  if (q.f_over_d.is_counted()) {
    inputs.numbers("f_over_d_range", triple(q.f_over_d, false));
  } else if (q.f_over_d.size() == 1) {
    inputs.number("f_over_d", double_cell(q.f_over_d.at(0).value));
  }
  if (judging) {
    if (!q.aperture || !q.slant) throw Refusal(Rule::judge_needs_both, Arg::aperture);
    if (q.taper || q.s) throw Refusal(Rule::judge_or_design, Arg::taper);
    a = q.aperture->value;
    if (!(a > 0.0)) throw Refusal(Rule::positive, Arg::aperture);
    rs = q.slant->value;
    checks::slant_beyond_aperture(rs, a);
    inputs.number("aperture_radius", double_cell(a));
    inputs.number("slant_radius", double_cell(rs));
  } else {
    if (q.taper) {
      taper = q.taper->value;
      if (!(taper < 0.0)) throw Refusal(Rule::taper_not_negative, Arg::taper);
      inputs.number("taper_db", double_cell(taper));
    }
    if (q.s) {
      s_within_design_range(Arg::s, *q.s, false);
      if (q.s->is_counted()) inputs.numbers("s_range", triple(*q.s, false));
    }
    if (fw && !q.s) throw Refusal(Rule::full_wave_needs_s, Arg::full_wave);
  }
  double max_flare = default_max_flare_deg;
  if (q.max_flare) {
    max_flare = q.max_flare->value;
    if (!(max_flare > 0.0 && max_flare <= 90.0)) throw Refusal(Rule::flare_outside, Arg::max_flare);
  }
  inputs.number("max_flare_deg", double_cell(max_flare));
  inputs.text("units", u);
  // A judged horn is solved once before anything is written: every f/D
  // reads the same pattern. A design solves its horns as it goes; the guide,
  // common to them all, is tried first as an open-ended guide, so that a
  // guide the model refuses is refused before anything is written.
  fullwave::Geometry body{};
  std::optional<fullwave::Horn> horn;
  if (fw) {
    const double throat = throat_of(q.body, false);
    if (judging) checks::full_wave_throat(throat, a, rs);
    inputs.number("throat_radius", double_cell(throat));
    if (judging) {
      body = horn_body(q.body, a, rs, throat, mu, freq);
      solvable_up_to(body, freq);
      if (q.choke_rings) {
        inputs.number("choke_rings", double_cell(*q.choke_rings));
        inputs.flag("equal_tapers", q.equal_tapers);
        inputs.flag("size_guide", q.size_guide);
        fullwave::ChokeDesignRequest cq;
        cq.guide = body;
        cq.frequency_ghz = freq;
        cq.f_over_d = q.f_over_d.at(0).value;
        cq.rings = *q.choke_rings;
        cq.equal_tapers = q.equal_tapers;
        cq.size_guide = q.size_guide;
        body = solved([&] { return fullwave::design_choke_feed(cq).geometry; });
        a = body.aperture_radius / mu;  // the open guide's, chosen with size_guide
      }
      record_body(body, mu, q.units, head);
    } else {
      plain_only(q.body, "a feed design");
      body = feed_guide(q.body, throat, mu, freq);
      record_body(body, mu, q.units, head);
      body.aperture_radius = body.throat_radius;
      body.slant_radius = std::numeric_limits<double>::infinity();
    }
    solved([&] { horn.emplace(body, freq); return 0; });
  }

  const bool design = !judging;
  Layout layout(head, 2);
  feed_layout(layout, u, design, fw);
  if (fw) body_columns(layout, u, body);
  head.unit_factor = unit_factor(q.units);
  head.key = "f/D = %";
  const long long per_fd = q.s ? q.s->size() : 1;
  head.rows = q.f_over_d.size() * per_fd;
  const bool s_counted = q.s && q.s->is_counted() && per_fd > 1;
  rows_allowed(q, head.rows, s_counted || q.f_over_d.is_counted(), s_counted ? Arg::s : Arg::f_over_d);
  sink.begin(head);
  Rows rows;

  const auto write = [&](const feed::FeedRow& r, bool best, double s11_db, std::complex<double> s11, double balance) {
    const double ar = design ? r.aperture_radius_m / mu : a, sr = design ? r.slant_radius_m / mu : rs;
    const feed::Judgement& j = r.judgement;
    Row& row = rows.next();
    for (const double x : {r.f_over_d, j.rim_half_angle_deg, r.s_cycles, ar, sr, r.aperture_radius_wl,
                           j.best.aperture, j.best.spillover, j.best.illumination, j.best.phase, j.best.polarisation,
                           j.aperture_efficiency_at_aperture_plane, j.focus_behind_aperture_wl, j.edge_taper_e_db,
                           j.edge_taper_h_db, j.cross_pol_45_db, r.gain_db})
      row.cells.push_back(double_cell(x));
    geometry_cells(row.cells, ar, sr, kNan, false);
    if (design) row.cells.push_back(double_cell(best ? 1.0 : 0.0));
    if (fw) {
      s11_cells(row.cells, s11_db, s11);
      body_cells(row.cells, balance, body, mu);
    }
    row.notes = feed_notes(r, design, fw) | balance_notes(balance);
    if (flare_beyond(ar, sr, max_flare)) row.notes |= note_bit(Note::flare_beyond);
    sink.row(row);
  };

  if (fw && !judging) {
    // Each S at each f/D designed once (some seven to a dozen solutions),
    // the designs in parallel, each counted as progress as it comes in
    // order; an f/D's rows written, its best marked, when all of them are
    // known.
    std::vector<fullwave::FeedRow> designs;
    in_row_order<fullwave::FeedRow>(
        q.f_over_d.size() * per_fd,
        [&](long long n) {
          const double fd = q.f_over_d.at(n / per_fd).value, s = q.s->at(n % per_fd).value;
          return solved([&] { return fullwave::design_feed(body, freq, fd, s, taper, max_flare); });
        },
        [&](long long n, fullwave::FeedRow r) {
          designs.push_back(std::move(r));
          sink.computed(n + 1);  // each design counts as progress
          if (static_cast<long long>(designs.size()) < per_fd) return;
          const int best = best_of(per_fd, [&](long long i) { return designs[i].feed.judgement.best.aperture; });
          for (long long i = 0; i < per_fd; ++i) {
            write(designs[i].feed, i == best, designs[i].s11_db, designs[i].s11, designs[i].power_balance);
          }
          designs.clear();
        });
    sink.end();
    return;
  }
  for (long long k = 0; k < q.f_over_d.size(); ++k) {
    const double fd = q.f_over_d.at(k).value;
    if (fw && judging) {
      const fullwave::FeedRow r = fullwave::judge_feed(*horn, body, freq, fd);
      write(r.feed, false, r.s11_db, r.s11, r.power_balance);
    } else if (judging) {
      write(feed::judge(feed::JudgeRequest{a * mu, rs * mu, freq, fd}), false, kNan, {}, kNan);
    } else if (!q.s) {
      write(std::isnan(taper) ? feed::best_design_row(freq, fd, 0.0, 1.0, max_flare)
                              : feed::design({freq, fd, 0.0, taper, max_flare}),
            true, kNan, {}, kNan);
    } else {
      const auto designed = [&](long long i) { return feed::design({freq, fd, q.s->at(i).value, taper, max_flare}); };
      if (per_fd <= kKeptDesigns) {
        std::vector<feed::FeedRow> rows;
        for (long long i = 0; i < per_fd; ++i) {
          rows.push_back(designed(i));
          sink.computed(k * per_fd + i + 1);
        }
        const int best = best_of(per_fd, [&](long long i) { return rows[i].judgement.best.aperture; });
        for (long long i = 0; i < per_fd; ++i) write(rows[i], i == best, kNan, {}, kNan);
      } else {
        const int best = best_of(per_fd, [&](long long i) { return designed(i).judgement.best.aperture; });
        for (long long i = 0; i < per_fd; ++i) write(designed(i), i == best, kNan, {}, kNan);
      }
    }
  }
  sink.end();
}

// ============================================================ geometry

namespace {

// The body of a geometry request, checked as a full-wave response checks
// it, with the defaults it takes (the guide's own).
fullwave::Geometry geometry_body(const GeometryRequest& q, Inputs& inputs) {
  checks::positive(Arg::aperture, q.cone.aperture);
  const double a = q.cone.aperture.value, rs = q.cone.slant.value;
  checks::slant_beyond_aperture(rs, a);
  if (!q.body.throat) throw Refusal(Rule::body_needs_throat, Arg::throat);
  const double throat = throat_of(q.body, false);
  checks::full_wave_throat(throat, a, rs);
  // The defaults are the guide's own; a frequency only checks that the
  // guide carries TE11 there and that the solver takes the body.
  double freq = kNan;
  if (q.freq) {
    checks::positive(Arg::freq, *q.freq);
    freq = q.freq->value;
  }
  const double mu = metres_per_unit(q.units);
  inputs.number("aperture_radius", double_cell(a));
  inputs.number("slant_radius", double_cell(rs));
  inputs.number("throat_radius", double_cell(throat));
  if (q.freq) inputs.number("freq_ghz", double_cell(freq));
  inputs.text("units", unit_name(q.units));
  const fullwave::Geometry g = horn_body(q.body, a, rs, throat, mu, freq);
  if (q.freq) solvable_up_to(g, freq);
  return g;
}

}  // namespace

void geometry(const GeometryRequest& q0, Sink& sink) {
  const GeometryRequest q = profiled(q0, true);
  touchstone_refused(q, false);
  Head head;
  head.command = "geometry";
  const fullwave::Geometry g = geometry_body(q, head.inputs);
  const double mu = metres_per_unit(q.units);
  const std::string parts = record_parts(g, mu, q.units, head.inputs);
  if (!parts.empty()) head.caption = "Body:" + parts.substr(1);
  const std::string u = unit_name(q.units), unit = "(" + u + ")";
  Layout l(head, 3);
  const auto f = [](int gap, int width, int decimals, const std::string& top, const std::string& middle,
                    const std::string& bottom) {
    const std::string g = spaces(gap);
    return printed(gap, width, decimals,
                   {{g + right(width, top)}, {g + right(width, middle)}, {g + right(width, bottom)}});
  };
  l.add("throat_radius_" + u, u, false, f(1, 8, 4, "Guide", "radius", unit));
  l.add("guide_length_" + u, u, false, f(1, 8, 4, "Guide", "length", unit));
  l.add("wall_" + u, u, false, f(1, 8, 4, "Wall", "", unit));
  l.add("aperture_radius_" + u, u, false, f(2, 8, 4, "Aperture", "radius", unit));
  l.add("slant_radius_" + u, u, false, f(1, 8, 4, "Slant", "radius", unit));
  l.add("flare_half_angle_deg", "deg", false, f(1, 6, 2, "Flare", "angle", "(deg)"));
  l.add("cone_length_" + u, u, false, f(1, 8, 4, "Cone", "length", unit));
  l.add("horn_length_" + u, u, false, f(1, 8, 4, "Horn", "length", unit));
  l.add("outer_radius_" + u, u, false, f(1, 8, 4, "Outer", "radius", unit));
  l.add("overall_length_" + u, u, false, f(1, 8, 4, "Overall", "length", unit));
  // A flange's and the rings' lengths after the table's, in the CSV and JSON.
  parts_columns(l, u, g);
  head.unit_factor = unit_factor(q.units);
  head.key = "%";
  head.rows = 1;
  sink.begin(head);

  // The outside of the body from its generating curve: the widest radius
  // (the rim, or the guide's outside behind a slight flare) and the length
  // from the back plate's outer face to the aperture plane.
  double outer = 0.0, z_lo = HUGE_VAL, z_hi = -HUGE_VAL;
  for (const bor::Point& p : fullwave::outline(g)) {
    outer = std::max(outer, p.rho);
    z_lo = std::min(z_lo, p.z);
    z_hi = std::max(z_hi, p.z);
  }
  // The lengths as given, the defaults from the body.
  const double a = q.body.profile ? g.aperture_radius / mu : q.cone.aperture.value;
  const double rs = q.cone.slant.value, b = q.body.throat->value;
  const double length = q.body.guide_length ? q.body.guide_length->value : g.guide_length / mu;
  const double wall = q.body.wall ? q.body.wall->value : g.wall / mu;
  const ConeGeometry c = cone_geometry(a, rs, b);
  const bool flared = a > b;
  Row row;
  for (const double x : {b, length, wall, a, rs, c.flare_half_angle_deg,
                         c.cone_length, flared ? c.horn_length : 0.0, outer / mu,
                         (z_hi - z_lo) / mu})
    row.cells.push_back(double_cell(x));
  parts_cells(row.cells, g, mu);
  sink.row(row);
  sink.end();
}

std::string body_file(const GeometryRequest& q0, BodyFile kind, std::optional<long long> segments) {
  const GeometryRequest q = profiled(q0, true);
  touchstone_refused(q, false);
  if (segments && kind != BodyFile::stl) throw Refusal(Rule::segments_need_stl, Arg::segments);
  Inputs inputs;
  const fullwave::Geometry g = geometry_body(q, inputs);
  if (kind == BodyFile::stl) {
    const long long n = segments.value_or(360);
    if (n < drawing::kMinSegments || n > drawing::kMaxSegments) throw Refusal(Rule::segments_outside, Arg::segments);
    if (g.profile.empty() && !(g.wall > 0.0)) throw Refusal(Rule::solid_needs_wall, Arg::wall);
    return drawing::stl(drawing::horn_profile(g), {static_cast<int>(n), drawing::millimetres()});
  }
  const drawing::Drawing d = drawing::horn_drawing(g, q.units == Units::cm ? drawing::centimetres() : drawing::inches());
  return kind == BodyFile::svg ? drawing::svg(d) : drawing::dxf(d);
}

}  // namespace api
}  // namespace quaven
