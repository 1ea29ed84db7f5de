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
#include <vector>

#include "api/checks.h"
#include "api/geometry.h"
#include "api/refusal.h"
#include "api/validity.h"
#include "aperture/exact_api.h"
#include "feed/feed.h"
#include "fullwave/fullwave.h"
#include "fullwave/fullwave_feed.h"
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

// The feed guide and wall in metres, the defaults taken at `lowest_ghz`.
fullwave::Geometry feed_guide(const Body& b, double throat, double mu, double lowest_ghz) {
  fullwave::Geometry g{};
  g.throat_radius = throat * mu;
  g.guide_length = b.guide_length ? b.guide_length->value * mu : fullwave::default_guide_length_m(lowest_ghz);
  g.wall = b.wall ? b.wall->value * mu : fullwave::default_wall_m(lowest_ghz);
  if (!(g.guide_length > 0.0)) throw Refusal(Rule::positive, Arg::guide_length);
  if (!(g.wall >= 0.0)) throw Refusal(Rule::non_negative, Arg::wall);
  if (!(g.throat_radius / exact::wavelength_m(lowest_ghz) > te11_cutoff_radius_wl)) {
    throw Refusal(Rule::guide_below_cutoff, Arg::throat);
  }
  return g;
}

// The solver's refusal of a body as a Refusal.
template <class Solve>
auto solved(Solve solve, const std::string& before = std::string()) {
  try {
    return solve();
  } catch (const std::invalid_argument& e) {
    throw Refusal(Rule::not_solvable, Arg::full_wave, {}, {}, before + e.what());
  }
}

// The whole body, a horn of aperture `a` and slant radius `r` (unit).
fullwave::Geometry horn_body(const Body& b, double a, double r, double throat, double mu, double lowest_ghz) {
  fullwave::Geometry g = feed_guide(b, throat, mu, lowest_ghz);
  g.aperture_radius = a * mu;
  g.slant_radius = r * mu;
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

void record_body(const fullwave::Geometry& g, double mu, Inputs& inputs) {
  inputs.flag("full_wave", true);
  inputs.number("guide_length", double_cell(g.guide_length / mu));
  inputs.number("wall", double_cell(g.wall / mu));
}

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
  if (full_wave) l.add("s11_db", "dB", false, f(1, 6, 1, "S11", "(dB)"));
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

}  // namespace

int Head::index(const std::string& name) const {
  for (std::size_t k = 0; k < columns.size(); ++k) {
    if (columns[k].name == name) return static_cast<int>(k);
  }
  return -1;
}

// ============================================================== design

void design(const DesignRequest& q, Sink& sink) {
  if (q.threads && q.model != Model::full_wave) throw Refusal(Rule::needs_full_wave, Arg::threads);
  const parallel::ThreadCountScope threads(q.threads.value_or(0));
  const bool ex = q.model != Model::legacy, single = !ex;
  const bool to_gain = q.gain.has_value();
  int ilev = q.level.derive_from;
  if (!q.unchecked) {
    checks::positive(Arg::freq, q.freq);
    if (to_gain == q.beamwidth.has_value()) throw Refusal(Rule::beamwidth_or_gain, Arg::beamwidth);
    ilev = 1;
    if (!to_gain) {
      checks::positive(Arg::beamwidth, *q.beamwidth);
      ilev = curve_of(q.level, ex);
    }
    if (ex && to_gain) throw Refusal(Rule::gain_legacy_only, Arg::exact);
    s_within_design_range(Arg::s, q.s, single);
  }
  const double throat = throat_of(q.body, single);

  const std::string u = unit_name(q.units);
  const float un = unit_factor(q.units);
  const double mu = metres_per_unit(q.units);
  Head head;
  head.command = "design";
  Inputs& inputs = head.inputs;
  inputs.number("freq_ghz", cell_of(q.freq, single));
  if (ex) inputs.flag("exact", true);
  if (to_gain) {
    inputs.number("gain_db", single_cell(q.gain->single));
  } else {
    inputs.number("beamwidth_deg", cell_of(*q.beamwidth, single));
    inputs.number("level_db", cell_of(q.level.db, single));
    if (!ex) inputs.number("curve_level_db", single_cell(legacy::curve_levels[ilev - 1]));
    inputs.text("plane", q.plane_text);
  }
  if (q.s.is_counted()) inputs.numbers("s_range", triple(q.s, single));
  if (!std::isnan(throat)) inputs.number("throat_radius", cell(throat, single));
  inputs.text("units", u);
  Layout layout(head, 1);
  design_layout(layout, u, single, to_gain);
  geometry_columns(layout, u, single, !std::isnan(throat));
  head.unit_factor = un;
  head.key = "S = %";
  head.rows = q.s.size();
  sink.begin(head);
  Rows rows;

  const float freq = q.freq.single;
  const double wl_in = static_cast<double>(legacy::c_in_per_ns) / static_cast<double>(freq);
  const double tw = ex ? throat * mu / exact::wavelength_m(q.freq.value) : throat / static_cast<double>(un) / wl_in;
  const int iplane = static_cast<int>(q.plane);
  const float bwc = to_gain ? 0.0f : curve_beamwidth(q.beamwidth->single, q.level.db.single, ilev);
  for (long long i = 0; i < q.s.size(); ++i) {
    Row& row = rows.next();
    // s, aperture in wavelengths, a, r (unit), gain, phase centres, the
    // four beamwidths at 3 and 10 dB.
    double f[11];
    if (ex) {
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
    geometry_cells(row.cells, f[2], f[3], throat, single);
    sink.row(row);
  }
  sink.end();
}

// ============================================================ response

void response(const ResponseRequest& q, Sink& sink) {
  const parallel::ThreadCountScope threads(q.threads.value_or(0));
  const bool fw = q.model == Model::full_wave, ex = q.model != Model::legacy, single = !ex;
  const double a = in(q.cone.aperture, single), rs = in(q.cone.slant, single);
  int ilev = q.level.derive_from;
  double f_lo = 0.0, f_hi = 0.0;
  bool any = q.freqs.size() > 0;
  double throat = kNan;
  if (!q.unchecked) {
    check_full_wave(q, q.body);
    checks::positive(Arg::aperture, q.cone.aperture);
    checks::slant_beyond_aperture(rs, a);
    ilev = curve_of(q.level, ex);
    any = sweep_extent(Arg::freqs, q.freqs, single, f_lo, f_hi);
    if (any && !(f_lo > 0.0 && f_hi > 0.0)) {
      throw Refusal(Rule::frequency_not_positive, Arg::freqs, {f_lo > 0.0 ? f_hi : f_lo, single});
    }
    throat = throat_of(q.body, single);
    if (fw) {
      checks::full_wave_throat(throat, a, rs);
    } else if (!std::isnan(throat)) {
      checks::throat_inside_aperture(throat, a);
    }
  }

  const std::string u = unit_name(q.units);
  const float un = unit_factor(q.units);
  const double mu = metres_per_unit(q.units);
  Head head;
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
    record_body(fq.geometry, mu, inputs);
    solvable_up_to(fq.geometry, f_hi);
  }
  if (fw) layout.add("s11_db", "dB", false, printed(0, 10, 1, {{}, {}, {"  S11 (dB)"}}));
  head.unit_factor = un;
  head.key = "% GHz";
  head.rows = q.freqs.size();
  sink.begin(head);
  Rows rows;

  double level1 = 3.0, level2 = 10.0;
  beam_levels(q.level, ilev, level1, level2);
  const float arad = static_cast<float>(a) / un, srad = static_cast<float>(rs) / un;
  for (long long i = 0; i < q.freqs.size(); ++i) {
    Row& row = rows.next();
    double aw = 0.0, s = 0.0, wl = 0.0;  // wl in the unit
    double s11_db = kNan;
    if (fw) {
      // Exact mode's columns from the full-wave pattern, the directivity
      // (the gain of the lossless horn) as the gain.
      fq.frequency_ghz = q.freqs.at(i).value;
      fq.level1_db = level1;
      fq.level2_db = level2;
      const fullwave::HornResponse h = solved([&] { return fullwave::response(fq); });
      const fullwave::Figures& g = h.figures;
      wl = exact::wavelength_m(h.frequency_ghz) / mu;
      aw = h.aperture_radius_wl;
      s = h.s_cycles;
      s11_db = g.s11_db;
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
    if (fw) row.cells.push_back(double_cell(s11_db));
    row.notes = horn_notes(aw, s, throat / wl);
    sink.row(row);
  }
  sink.end();
}

// ============================================================= pattern

namespace {

// The checks of a pattern request, its horn in the unit.
void check_pattern(const PatternRequest& q, double& a, double& rs) {
  check_full_wave(q, q.body);
  check_throat_needs_full_wave(q, q.body, "the pattern");
  const bool single = q.model == Model::legacy;
  checks::positive(Arg::freq, q.freq);
  checks::positive(Arg::aperture, q.cone.aperture);
  a = in(q.cone.aperture, single);
  rs = in(q.cone.slant, single);
  checks::slant_beyond_aperture(rs, a);
  double lo = 0.0, hi = 0.0;
  sweep_extent(Arg::angles, q.angles, single, lo, hi);
}

}  // namespace

void pattern(const PatternRequest& q, Sink& sink) {
  const parallel::ThreadCountScope threads(q.threads.value_or(0));
  double a = 0.0, rs = 0.0;
  check_pattern(q, a, rs);
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
  if (fw) {
    const double throat = throat_of(q.body, false);
    checks::full_wave_throat(throat, a, rs);
    inputs.number("throat_radius", double_cell(throat));
    g = horn_body(q.body, a, rs, throat, mu, freq);
    record_body(g, mu, inputs);
    solvable_up_to(g, freq);
  }
  Layout layout(head, 2);
  pattern_layout(layout, single);
  head.unit_factor = unit_factor(q.units);
  head.key = "% deg";
  head.rows = q.angles.size();
  sink.begin(head);
  Rows rows;

  if (fw) {
    // Solved once at this frequency, then read at every angle; amplitudes in
    // dBi (realised gain), phase referred to the centre of the aperture.
    const fullwave::Horn horn = solved([&] { return fullwave::Horn(g, freq); });
    const double wl = exact::wavelength_m(freq) / mu;
    const Notes notes = horn_notes(horn.aw(), exact::phase_deviation_cycles(a, rs, wl),
                                   g.throat_radius / exact::wavelength_m(freq));
    for (long long i = 0; i < q.angles.size(); ++i) {
      const fullwave::PatternPoint p = fullwave::pattern_point(horn, q.angles.at(i).value);
      const exact::PatternPoint& e = p.planes;
      Row& row = rows.next();
      for (const double x : {e.angle_deg, e.amplitude_e_db, e.phase_e_deg, e.amplitude_h_db, e.phase_h_deg,
                             p.amplitude_45_co_db, p.phase_45_co_deg, p.amplitude_45_xp_db, p.phase_45_xp_deg})
        row.cells.push_back(double_cell(x));
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
  feed::PolarPattern polar;
};

PolarCuts::PolarCuts(const PatternRequest& q) {
  double a = 0.0, rs = 0.0;
  check_pattern(q, a, rs);
  if (q.model == Model::full_wave) throw Refusal(Rule::cut_not_full_wave, Arg::format);
  if (q.model == Model::legacy) throw Refusal(Rule::cut_needs_exact, Arg::format);
  step_ = std::fabs(q.angles.step().value);
  if (!(step_ >= 0.00036)) throw Refusal(Rule::cut_step_small, Arg::format);
  count_ = static_cast<int>(std::floor(360.0 / step_ + 1e-9)) + 1;
  const double mu = metres_per_unit(q.units);
  pattern_ = std::make_unique<Pattern>(Pattern{feed::PolarPattern(a * mu, rs * mu, q.freq.value)});
}

PolarCuts::~PolarCuts() = default;

void PolarCuts::at(double theta_deg, double phi_deg, std::complex<double>& co, std::complex<double>& xp) const {
  // A cut through negative theta is the half-plane phi + 180, where this
  // body of revolution has the same co- and cross-polar field.
  const feed::Polarised p = pattern_->polar.at(std::fabs(theta_deg), phi_deg);
  co = p.co;
  xp = p.xp;
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

}  // namespace

void feed(const FeedRequest& q, Sink& sink) {
  const parallel::ThreadCountScope threads(q.threads.value_or(0));
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
      record_body(body, mu, inputs);
      solvable_up_to(body, freq);
    } else {
      body = feed_guide(q.body, throat, mu, freq);
      record_body(body, mu, inputs);
      body.aperture_radius = body.throat_radius;
      body.slant_radius = std::numeric_limits<double>::infinity();
    }
    solved([&] { horn.emplace(body, freq); return 0; });
  }

  const bool design = !judging;
  Layout layout(head, 2);
  feed_layout(layout, u, design, fw);
  head.unit_factor = unit_factor(q.units);
  head.key = "f/D = %";
  const long long per_fd = q.s ? q.s->size() : 1;
  head.rows = q.f_over_d.size() * per_fd;
  sink.begin(head);
  Rows rows;

  const auto write = [&](const feed::FeedRow& r, bool best, double s11_db) {
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
    if (fw) row.cells.push_back(double_cell(s11_db));
    row.notes = feed_notes(r, design, fw);
    sink.row(row);
  };

  for (long long k = 0; k < q.f_over_d.size(); ++k) {
    const double fd = q.f_over_d.at(k).value;
    if (fw && judging) {
      const fullwave::FeedRow r = fullwave::judge_feed(*horn, body, freq, fd);
      write(r.feed, false, r.s11_db);
    } else if (fw) {
      // Each S designed once (some seven to a dozen solutions), the best
      // marked when all are known.
      std::vector<fullwave::FeedRow> rows;
      for (long long i = 0; i < per_fd; ++i) {
        rows.push_back(solved([&] { return fullwave::design_feed(body, freq, fd, q.s->at(i).value, taper); }));
      }
      const int best = best_of(per_fd, [&](long long i) { return rows[i].feed.judgement.best.aperture; });
      for (long long i = 0; i < per_fd; ++i) write(rows[i].feed, i == best, rows[i].s11_db);
    } else if (judging) {
      write(feed::judge(feed::JudgeRequest{a * mu, rs * mu, freq, fd}), false, kNan);
    } else if (!q.s) {
      write(std::isnan(taper) ? feed::best_design_row(freq, fd) : feed::design({freq, fd, 0.0, taper}), true, kNan);
    } else {
      const auto designed = [&](long long i) { return feed::design({freq, fd, q.s->at(i).value, taper}); };
      if (per_fd <= kKeptDesigns) {
        std::vector<feed::FeedRow> rows;
        for (long long i = 0; i < per_fd; ++i) rows.push_back(designed(i));
        const int best = best_of(per_fd, [&](long long i) { return rows[i].judgement.best.aperture; });
        for (long long i = 0; i < per_fd; ++i) write(rows[i], i == best, kNan);
      } else {
        const int best = best_of(per_fd, [&](long long i) { return designed(i).judgement.best.aperture; });
        for (long long i = 0; i < per_fd; ++i) write(designed(i), i == best, kNan);
      }
    }
  }
  sink.end();
}

}  // namespace api
}  // namespace quaven
