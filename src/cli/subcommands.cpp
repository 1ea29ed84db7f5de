#include "cli/subcommands.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cut.h"
#include "cli/full_wave.h"
#include "dialogue/records.h"
#include "horn/checks.h"
#include "horn/columns.h"
#include "horn/exact_api.h"
#include "horn/feed.h"
#ifdef QUAVEN_FULL_WAVE
#include "horn/fullwave.h"
#endif
#include "horn/geometry.h"
#include "horn/levels.h"
#include "horn/validity.h"
#include "numeric/constants.h"

namespace quaven {
namespace cli {
namespace {

using legacy::curve_levels;

// The value of a table field (single precision, as the table shows every
// figure); CSV and JSON take exact figures in double.
float out(double v) { return static_cast<float>(v); }

// An option and its values as typed: "--freq-range -2 2 1".
std::string label(const std::string& option, const std::vector<std::string>& texts) {
  std::string t = option;
  for (const auto& x : texts) t += " " + x;
  return t;
}

void refuse(const std::string& message) {
  if (!message.empty()) throw UsageError{message};
}

// A sweep whose step leads towards its stop, and the least and greatest of
// the values it reaches (the last may lie beyond STOP by 0.4 of a step).
template <class T>
void check_direction(const std::string& option, const std::vector<std::string>& texts, const BasicSweep<T>& s,
                     T& lowest, T& highest) {
  refuse(checks::step_towards_stop(label(option, texts), s.first, s.last, s.step));
  const T end = s.at(s.count);
  lowest = std::min(s.first, end);
  highest = std::max(s.first, end);
}

// A cell of a legacy (single) or exact (double) figure.
Cell cell(double x, bool exact) { return exact ? double_cell(x) : single_cell(static_cast<float>(x)); }

void add_geometry_cells(std::vector<Cell>& cells, double a, double r, double throat, bool exact) {
  const ConeGeometry g = cone_geometry(a, r, throat);
  cells.push_back(cell(g.flare_half_angle_deg, exact));
  cells.push_back(cell(g.cone_length, exact));
  if (!std::isnan(throat)) cells.push_back(cell(g.horn_length, exact));
}

HornFigures nan_figures() {
  HornFigures h;
  h.bwe3 = h.bwh3 = h.bwe10 = h.bwh10 = h.pce = h.pch = h.gain = NAN;
  return h;
}

// One design row, whichever model made it: lengths in the chosen unit,
// phase centres in wavelengths.
struct DesignFigures {
  double s, aw, a, r, gain, pce, pch, bwe3, bwh3, bwe10, bwh10;
};

// The exact pattern's table: the E and H planes as the legacy table shows
// them, then the 45-degree plane's co- and cross-polar amplitude and phase.
std::string pattern45_header() {
  char buf[512];
  std::snprintf(buf, sizeof buf, "\n%9s%21s%21s%21s%21s\n%9s%12s%9s%12s%9s%12s%9s%12s%9s\n\n", "Angle", "E Plane",
                "H Plane", "45 deg Co", "45 deg Cross", "(deg)", "Ampl. (dB)", "Phase", "Ampl. (dB)", "Phase",
                "Ampl. (dB)", "Phase", "Ampl. (dB)", "Phase");
  return buf;
}

std::string pattern45_record(const exact::PatternPoint& p, double co_db, double co_deg, double xp_db, double xp_deg) {
  char buf[256];
  std::snprintf(buf, sizeof buf, " %8.2f  %10.2f  %7.1f  %10.2f  %7.1f  %10.2f  %7.1f  %10.2f  %7.1f\n", p.angle_deg,
                p.amplitude_e_db, p.phase_e_deg, p.amplitude_h_db, p.phase_h_deg, co_db, co_deg, xp_db, xp_deg);
  return buf;
}

// The phi = 0, 45 and 90 degree cuts over theta = -180 .. 180 degrees at
// `step` in the .cut layout, fields on the gain scale (|E|^2 the directivity).
void pattern_cut(double a_m, double r_m, double freq, double step, const std::string& what, Output& output) {
  if (!(step >= 0.00036)) throw UsageError{"--format cut: the --angles step must be at least 0.00036 (a million points)"};
  const int count = static_cast<int>(std::floor(360.0 / step + 1e-9)) + 1;
  const feed::PolarPattern polar(a_m, r_m, freq);
  std::ostream& out = output.begin_raw(3);
  for (const double phi : {0.0, 45.0, 90.0}) {
    char title[64];
    std::snprintf(title, sizeof title, ", phi = %g deg", phi);
    write_polar_cut(out, "QUAVEN exact conical TE11 horn, " + what + title, -180.0, step, count, phi,
                    [&](double th) {
                      // A cut through negative theta is the half-plane phi + 180, where
                      // this body of revolution has the same co- and cross-polar field.
                      const feed::Polarised q = polar.at(std::fabs(th), phi);
                      return CutValue{q.co, q.xp};
                    });
    output.raw_row();
  }
  output.end();
}

}  // namespace

void design(const DesignOptions& o, Output& output) {
  const Common& c = o.common;
  const bool ex = c.exact;
  DesignRequest r;
  r.freq = positive("--freq", real_value("--freq", o.freq));
  r.to_gain = o.gain_opt->count() > 0;
  if (r.to_gain == (o.beamwidth_opt->count() > 0)) throw UsageError{"give either --beamwidth or --gain"};
  if (r.to_gain) {
    r.gain = real_value("--gain", o.gain);
  } else {
    r.bw = positive("--beamwidth", real_value("--beamwidth", o.beamwidth));
    o.level.resolve(r.plev, r.ilev, ex);
    r.iplane = o.plane == "E" ? 1 : (o.plane == "H" ? 2 : 3);
  }
  r.s = sweep_value("--s-range", o.s_range);
  if (ex && r.to_gain) throw UsageError{"--exact designs to a beamwidth, not to a gain"};
  // Exact mode reads every input again in double.
  exact::DesignRequest q;
  BasicSweep<double> s_exact;
  if (ex) {
    q.frequency_ghz = exact_value("--freq", o.freq);
    q.beamwidth_deg = exact_value("--beamwidth", o.beamwidth);
    q.level_db = exact_value("--level", o.level.level);
    q.plane = static_cast<exact::Plane>(r.iplane);
    s_exact = exact_sweep("--s-range", o.s_range, r.s);
    double lo = 0.0, hi = 0.0;
    check_direction("--s-range", o.s_range, s_exact, lo, hi);
    refuse(checks::s_within_design_range(label("--s-range", o.s_range), lo, hi));
  } else {
    float lo = 0.0f, hi = 0.0f;
    check_direction("--s-range", o.s_range, r.s, lo, hi);
    refuse(checks::s_within_design_range(label("--s-range", o.s_range), lo, hi));
  }
  const double throat = throat_value(o.throat, ex);

  const float un = c.un();
  const auto in_cell = [&](const std::string& option, const std::string& text, float legacy_value) {
    return ex ? double_cell(exact_value(option, text)) : single_cell(legacy_value);
  };
  Inputs inputs;
  inputs.number("freq_ghz", in_cell("--freq", o.freq, r.freq));
  if (ex) inputs.flag("exact", true);
  if (r.to_gain) {
    inputs.number("gain_db", single_cell(r.gain));
  } else {
    inputs.number("beamwidth_deg", in_cell("--beamwidth", o.beamwidth, r.bw));
    inputs.number("level_db", in_cell("--level", o.level.level, r.plev));
    if (!ex) inputs.number("curve_level_db", single_cell(curve_levels[r.ilev - 1]));
    inputs.text("plane", o.plane);
  }
  inputs.numbers("s_range", {in_cell("--s-range", o.s_range[0], r.s.first), in_cell("--s-range", o.s_range[1], r.s.last),
                             in_cell("--s-range", o.s_range[2], r.s.step)});
  if (!std::isnan(throat)) inputs.number("throat_radius", cell(throat, ex));
  inputs.text("units", c.units);
  const std::string u = "_" + c.units;
  // The table shows the phase centres as the dialogue does (wavelengths
  // times the unit factor); CSV and JSON name them for what they are.
  std::vector<std::string> columns = {"s_cycles",          "aperture_radius" + u, "slant_radius" + u,
                                      "gain_db",           "phase_centre_e_wl",   "phase_centre_h_wl",
                                      "beamwidth_e_3db_deg", "beamwidth_h_3db_deg", "beamwidth_e_10db_deg",
                                      "beamwidth_h_10db_deg"};
  add_geometry_columns(columns, u, !std::isnan(throat));
  // A design to a gain shows the four beamwidths after the phase centres.
  output.begin("design", inputs, columns, design_header(r.to_gain), "S = %", r.s.count);

  const double wl_in = static_cast<double>(legacy::c_in_per_ns) / static_cast<double>(r.freq);
  const double tw = ex ? throat * c.metres_per_unit() / exact::wavelength_m(q.frequency_ghz)
                       : throat / static_cast<double>(un) / wl_in;
  for (int i = 1; i <= r.s.count; ++i) {
    Notes notes = 0;
    DesignFigures f;
    std::string line;
    if (ex) {
      q.s_cycles = s_exact.at(i);
      const exact::HornDesign d = exact::design(q);
      if (!d.found()) notes |= note_bit(Note::no_design);
      const exact::HornResponse& h = d.response;
      const double mu = c.metres_per_unit();
      f = {d.s_cycles,
           d.aperture_radius_wl,
           d.aperture_radius_m / mu,
           d.slant_radius_m / mu,
           h.gain_db,
           h.phase_centre_e_wl,
           h.phase_centre_h_wl,
           h.beamwidths_1.e_plane_deg,
           h.beamwidths_1.h_plane_deg,
           h.beamwidths_2.e_plane_deg,
           h.beamwidths_2.h_plane_deg};
      if (output.table()) {
        line = design_fields(out(f.s), out(f.a), out(f.r), out(f.gain), un * out(f.pce), un * out(f.pch)) + "\n";
      }
    } else {
      DesignLine d = design_row(r, i);
      // A design the curves cannot give: no horn of positive finite size, or
      // one whose own beamwidth misses the request.
      const bool no_horn = !(std::isfinite(d.arad) && d.arad > 0.0f);
      const bool beyond =
          r.to_gain ? no_horn
                    : beyond_design_curves(static_cast<double>(r.bw),
                                           legacy_design_beamwidth(d.fig, r.ilev, r.iplane, r.plev),
                                           static_cast<double>(d.arad));
      if (beyond) notes |= note_bit(Note::beyond_curves);
      if (no_horn) {
        d.aw = d.arad = d.srad = NAN;
        d.fig = nan_figures();
      }
      const HornFigures& h = d.fig;
      const auto wide = [](auto v) { return static_cast<double>(v); };
      f = {wide(d.s),   wide(d.aw),   wide(un * d.arad), wide(un * d.srad), wide(h.gain), wide(h.pce),
           wide(h.pch), wide(h.bwe3), wide(h.bwh3),      wide(h.bwe10),     wide(h.bwh10)};
      if (output.table()) {
        line = r.to_gain ? design_fields(d.s, un * d.arad, un * d.srad, h.gain, un * h.pce, un * h.pch) +
                               beamwidth_fields(h.bwe3, h.bwh3, h.bwe10, h.bwh10) + "\n"
                         : design_record(d, un);
      }
    }
    notes |= horn_notes(f.aw, 0.0, tw);
    if (f.r < f.a) notes |= note_bit(Note::not_a_cone);
    std::vector<Cell> cells;
    for (const double x : {f.s, f.a, f.r, f.gain, f.pce, f.pch, f.bwe3, f.bwh3, f.bwe10, f.bwh10})
      cells.push_back(cell(x, ex));
    add_geometry_cells(cells, f.a, f.r, throat, ex);
    output.row(cells, notes, line);
  }
  output.end();
}

namespace {

// The horn of --aperture and --slant in the chosen units, refused when no
// cone has it; the values read go to the inputs.
void horn(const HornOptions& o, double& a, double& r, Inputs& inputs, bool ex) {
  const float af = positive("--aperture", real_value("--aperture", o.aperture));
  const float rf = real_value("--slant", o.slant, true);
  a = ex ? exact_value("--aperture", o.aperture) : static_cast<double>(af);
  r = ex ? exact_value("--slant", o.slant, true) : static_cast<double>(rf);
  refuse(checks::slant_exceeds_aperture("--slant " + o.slant, r, "--aperture " + o.aperture, a));
  inputs.number("aperture_radius", cell(a, ex));
  inputs.number("slant_radius", cell(r, ex));
}

// The full-wave table is the response table with the return loss at the
// end of each line: the header's last text line gains "S11 (dB)".
std::string with_s11_column(std::string header) {
  const std::size_t end = header.rfind("\n\n");
  header.insert(end, "  S11 (dB)");
  return header;
}
#ifdef QUAVEN_FULL_WAVE
std::string s11_field(double s11_db) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%10.1f", s11_db);
  return buf;
}
#endif

}  // namespace

void response(const HornOptions& o, Output& output) {
  const Common& c = o.common;
  check_full_wave(o, c);
  const bool fw = o.full_wave;
  const bool ex = c.exact || fw;  // the full-wave model reads its inputs in double too
  const float un = c.un();
  ResponseRequest r;
  Inputs inputs;
  double a = 0.0, rs = 0.0;  // chosen unit
  horn(o, a, rs, inputs, ex);
  r.arad = out(a) / un;
  r.srad = out(rs) / un;
  o.level.resolve(r.plev, r.ilev, ex);
  r.f = sweep_value("--freq-range", o.range);
  BasicSweep<double> f_exact;
  double f_lo = 0.0, f_hi = 0.0;  // the exact sweep's lowest and highest frequencies
  if (ex) {
    f_exact = exact_sweep("--freq-range", o.range, r.f);
    check_direction("--freq-range", o.range, f_exact, f_lo, f_hi);
    refuse(checks::frequencies_positive(label("--freq-range", o.range), f_lo, f_hi));
  } else {
    float lo = 0.0f, hi = 0.0f;
    check_direction("--freq-range", o.range, r.f, lo, hi);
    refuse(checks::frequencies_positive(label("--freq-range", o.range), lo, hi));
  }
  const double throat = throat_value(o.throat, ex);
  if (fw) {
    refuse(checks::full_wave_throat("--throat " + o.throat, throat, "--aperture " + o.aperture, a, "--slant", rs));
  } else if (!std::isnan(throat)) {
    refuse(checks::throat_inside_aperture("--throat " + o.throat, throat, "--aperture " + o.aperture, a));
  }

  inputs.number("level_db", ex ? double_cell(exact_value("--level", o.level.level)) : single_cell(r.plev));
  if (!ex) inputs.number("curve_level_db", single_cell(curve_levels[r.ilev - 1]));
  if (c.exact) inputs.flag("exact", true);
  if (ex) {
    inputs.numbers("freq_range_ghz", {double_cell(f_exact.first), double_cell(f_exact.last), double_cell(f_exact.step)});
  } else {
    inputs.numbers("freq_range_ghz", {single_cell(r.f.first), single_cell(r.f.last), single_cell(r.f.step)});
  }
  if (!std::isnan(throat)) inputs.number("throat_radius", cell(throat, ex));
  inputs.text("units", c.units);
  const std::array<float, 4> blv = column_levels(r.plev, r.ilev);
  const std::string u = "_" + c.units;
  std::vector<std::string> columns = response_columns(blv);
  add_geometry_columns(columns, u, !std::isnan(throat));
#ifdef QUAVEN_FULL_WAVE
  fullwave::ResponseRequest fq;
  if (fw) {
    fq.geometry = full_wave_geometry(o, c, a, rs, throat, f_lo, inputs);
    refuse(fullwave::solvable_up_to(full_wave_labels, "--throat " + o.throat, fq.geometry, f_hi));
    columns.push_back("s11_db");
  }
#endif
  std::string header = response_header(blv.data());
  if (fw) header = with_s11_column(header);
  output.begin("response", inputs, columns, header, "% GHz", r.f.count);

  exact::ResponseRequest q;
  q.aperture_radius_m = a * c.metres_per_unit();
  q.slant_radius_m = rs * c.metres_per_unit();
  if (ex) {
    // The column levels with the user's level read in double.
    const std::array<double, 4> levels = column_levels(exact_value("--level", o.level.level), r.ilev);
    q.level1_db = levels[0];
    q.level2_db = levels[1];
  }
  for (int i = 1; i <= r.f.count; ++i) {
    std::vector<Cell> cells;
    std::string line;
    double aw = 0.0, s = 0.0, wl = 0.0;  // wl in the chosen unit
    double s11_db = std::numeric_limits<double>::quiet_NaN();
    if (fw) {
#ifdef QUAVEN_FULL_WAVE
      // The exact-mode columns from the full-wave pattern, the directivity
      // (the gain of the lossless horn) as the gain.
      fq.frequency_ghz = f_exact.at(i);
      fq.level1_db = q.level1_db;
      fq.level2_db = q.level2_db;
      fullwave::HornResponse h;
      try {
        h = fullwave::response(fq);
      } catch (const std::invalid_argument& e) {
        throw UsageError{std::string("--full-wave: ") + e.what()};
      }
      const fullwave::Figures& g = h.figures;
      wl = exact::wavelength_m(h.frequency_ghz) / c.metres_per_unit();
      aw = h.aperture_radius_wl;
      s = h.s_cycles;
      s11_db = g.s11_db;
      for (const double x : {h.frequency_ghz, g.level1.e, g.level2.e, g.phase_centres.e, g.level1.h, g.level2.h,
                             g.phase_centres.h, g.directivity_db, s, aw})
        cells.push_back(double_cell(x));
      if (output.table()) {
        line = response_record(out(h.frequency_ghz), out(g.level1.e), out(g.level2.e), un * out(g.phase_centres.e),
                               out(g.level1.h), out(g.level2.h), un * out(g.phase_centres.h), out(g.directivity_db));
        line.insert(line.size() - 1, s11_field(g.s11_db));
      }
#endif
    } else if (ex) {
      q.frequency_ghz = f_exact.at(i);
      const exact::HornResponse h = exact::response(q);
      aw = h.aperture_radius_wl;
      s = h.s_cycles;
      wl = h.wavelength_m / c.metres_per_unit();
      for (const double x : {h.frequency_ghz, h.beamwidths_1.e_plane_deg, h.beamwidths_2.e_plane_deg,
                             h.phase_centre_e_wl, h.beamwidths_1.h_plane_deg, h.beamwidths_2.h_plane_deg,
                             h.phase_centre_h_wl, h.gain_db, s, aw})
        cells.push_back(double_cell(x));
      if (output.table()) {
        line = response_record(out(h.frequency_ghz), out(h.beamwidths_1.e_plane_deg), out(h.beamwidths_2.e_plane_deg),
                               un * out(h.phase_centre_e_wl), out(h.beamwidths_1.h_plane_deg),
                               out(h.beamwidths_2.h_plane_deg), un * out(h.phase_centre_h_wl), out(h.gain_db));
      }
    } else {
      const float fr = r.f.at(i);
      const HornFigures h = response_row(r, i);
      const double wl_in = static_cast<double>(legacy::c_in_per_ns) / static_cast<double>(fr);
      wl = wl_in * static_cast<double>(un);
      aw = static_cast<double>(r.arad) / wl_in;
      s = exact::phase_deviation_cycles(static_cast<double>(r.arad), static_cast<double>(r.srad), wl_in);
      for (const float x : {fr, h.bwe3, h.bwe10, h.pce, h.bwh3, h.bwh10, h.pch, h.gain, out(s), out(aw)})
        cells.push_back(single_cell(x));
      if (output.table()) line = response_record(fr, h, un);
    }
    add_geometry_cells(cells, a, rs, throat, ex);
    if (fw) cells.push_back(double_cell(s11_db));
    output.row(cells, horn_notes(aw, s, throat / wl), line);
  }
  output.end();
}

void pattern(const HornOptions& o, Output& output) {
  const Common& c = o.common;
  check_full_wave(o, c);
  check_throat_needs_full_wave(o, "the pattern");
  const bool fw = o.full_wave;
  const bool ex = c.exact || fw;
  PatternRequest r;
  Inputs inputs;
  r.freq = positive("--freq", real_value("--freq", o.freq));
  double a = 0.0, rs = 0.0;
  horn(o, a, rs, inputs, ex);
  r.arad = out(a) / c.un();
  r.srad = out(rs) / c.un();
  r.angles = sweep_value("--angles", o.range);
  BasicSweep<double> angles;
  if (ex) {
    angles = exact_sweep("--angles", o.range, r.angles);
    double lo = 0.0, hi = 0.0;
    check_direction("--angles", o.range, angles, lo, hi);
  } else {
    float lo = 0.0f, hi = 0.0f;
    check_direction("--angles", o.range, r.angles, lo, hi);
  }

  const double freq = ex ? exact_value("--freq", o.freq) : static_cast<double>(r.freq);
  if (c.format == "cut") {
    if (fw) throw UsageError{"--format cut: only from --exact"};
    if (!ex) throw UsageError{"--format cut: needs --exact (the cuts are complex fields of the exact pattern)"};
    pattern_cut(a * c.metres_per_unit(), rs * c.metres_per_unit(), freq, std::fabs(angles.step),
                "a = " + o.aperture + " " + c.units + ", R = " + o.slant + " " + c.units + ", " + o.freq + " GHz",
                output);
    return;
  }
  inputs.number("freq_ghz", cell(freq, ex));
  if (ex) {
    inputs.numbers("angles_deg", {double_cell(angles.first), double_cell(angles.last), double_cell(angles.step)});
  } else {
    inputs.numbers("angles_deg", {single_cell(r.angles.first), single_cell(r.angles.last), single_cell(r.angles.step)});
  }
  inputs.text("units", c.units);
  if (c.exact) inputs.flag("exact", true);
#ifdef QUAVEN_FULL_WAVE
  fullwave::Geometry fg{};
  if (fw) {
    const double throat = throat_value(o.throat, true);
    refuse(checks::full_wave_throat("--throat " + o.throat, throat, "--aperture " + o.aperture, a, "--slant", rs));
    inputs.number("throat_radius", double_cell(throat));
    fg = full_wave_geometry(o, c, a, rs, throat, freq, inputs);
    refuse(fullwave::solvable_up_to(full_wave_labels, "--throat " + o.throat, fg, freq));
  }
#endif
  std::vector<std::string> columns = {"angle_deg", "amplitude_e_db", "phase_e_deg", "amplitude_h_db", "phase_h_deg"};
  // Exact mode adds the 45-degree plane, co- and cross-polar (Ludwig's
  // third definition).
  if (ex) {
    for (const char* col : {"amplitude_45_co_db", "phase_45_co_deg", "amplitude_45_xp_db", "phase_45_xp_deg"})
      columns.push_back(col);
  }
  output.begin("pattern", inputs, columns, ex ? pattern45_header() : pattern_header(), "% deg", r.angles.count);

  Notes notes = 0;
  if (fw) {
#ifdef QUAVEN_FULL_WAVE
    // Solved once at this frequency, then read at every angle; amplitudes in
    // dBi (realised gain), phase referred to the centre of the aperture.
    std::unique_ptr<fullwave::Horn> horn;
    try {
      horn = std::make_unique<fullwave::Horn>(fg, freq);
    } catch (const std::invalid_argument& e) {
      throw UsageError{std::string("--full-wave: ") + e.what()};
    }
    const double wl = exact::wavelength_m(freq) / c.metres_per_unit();
    notes = horn_notes(horn->aw(), exact::phase_deviation_cycles(a, rs, wl), fg.throat_radius / exact::wavelength_m(freq));
    for (int i = 1; i <= angles.count; ++i) {
      const fullwave::PatternPoint p = fullwave::pattern_point(*horn, angles.at(i));
      const exact::PatternPoint& q = p.planes;
      output.row({double_cell(q.angle_deg), double_cell(q.amplitude_e_db), double_cell(q.phase_e_deg),
                  double_cell(q.amplitude_h_db), double_cell(q.phase_h_deg), double_cell(p.amplitude_45_co_db),
                  double_cell(p.phase_45_co_deg), double_cell(p.amplitude_45_xp_db), double_cell(p.phase_45_xp_deg)},
                 notes,
                 output.table() ? pattern45_record(q, p.amplitude_45_co_db, p.phase_45_co_deg, p.amplitude_45_xp_db,
                                                   p.phase_45_xp_deg)
                                : std::string());
    }
#endif
  } else if (ex) {
    const double mu = c.metres_per_unit();
    const exact::PatternEvaluator horn(a * mu, rs * mu, freq);
    const feed::PolarPattern polar(a * mu, rs * mu, freq);
    notes = horn_notes(horn.aperture_radius_wl(), horn.s_cycles(), std::numeric_limits<double>::quiet_NaN());
    for (int i = 1; i <= angles.count; ++i) {
      const exact::PatternPoint p = horn.at(angles.at(i));
      const feed::Polarised q = polar.at(angles.at(i), 45.0);
      const double co_db = 20.0 * std::log10(std::abs(q.co)), co_deg = std::arg(q.co) / physical::rad_per_deg;
      const double xp_db = 20.0 * std::log10(std::abs(q.xp)), xp_deg = std::arg(q.xp) / physical::rad_per_deg;
      output.row({double_cell(p.angle_deg), double_cell(p.amplitude_e_db), double_cell(p.phase_e_deg),
                  double_cell(p.amplitude_h_db), double_cell(p.phase_h_deg), double_cell(co_db), double_cell(co_deg),
                  double_cell(xp_db), double_cell(xp_deg)},
                 notes,
                 output.table() ? pattern45_record(p, co_db, co_deg, xp_db, xp_deg) : std::string());
    }
  } else {
    const double wl_in = static_cast<double>(legacy::c_in_per_ns) / freq;
    notes = horn_notes(static_cast<double>(r.arad) / wl_in,
                       exact::phase_deviation_cycles(static_cast<double>(r.arad), static_cast<double>(r.srad), wl_in),
                       std::numeric_limits<double>::quiet_NaN());
    for (int i = 1; i <= r.angles.count; ++i) {
      const PatternRow p = pattern_row(r, i);
      output.row({single_cell(p.deg), single_cell(p.ampe), single_cell(p.phe), single_cell(p.amph), single_cell(p.phh)},
                 notes, output.table() ? pattern_record(p.deg, p.ampe, p.phe, p.amph, p.phh) : std::string());
    }
  }
  output.end();
}

}  // namespace cli
}  // namespace quaven
