// The Python module `quaven`: designs, responses, patterns and dish feeds of
// conical TE11 horns as numpy arrays. A binding over the models library: it checks the
// arguments with the checks the command line makes, calls the same library
// routines row by row, and names the arrays as the command line names its CSV
// columns. No physics here.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <iterator>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "api/checks.h"
#include "legacy/chp11.h"
#include "api/columns.h"
#include "aperture/exact_api.h"
#include "feed/feed.h"
#include "legacy/figures.h"
#include "fullwave/fullwave.h"
#include "fullwave/fullwave_feed.h"
#include "legacy/gain_design.h"
#include "api/geometry.h"
#include "api/input_checks.h"
#include "legacy/levels.h"
#include "api/validity.h"
#include "numeric/constants.h"
#include "numeric/shortest.h"

namespace py = pybind11;

namespace quaven {
namespace python {
namespace {

using Column = std::vector<double>;

// A call's result: the arrays by column name, in the command line's column
// order (the last, `notes`, a list of the rows' note names joined by ';'),
// and the arguments it was called with.
struct Result {
  std::string command;
  std::vector<std::string> columns;
  py::dict arrays;
  py::dict inputs;
};

// Raises ValueError with a check's message, if it has one.
void refuse(const std::string& problem) {
  if (!problem.empty()) throw py::value_error(problem);
}

// A number as a user would have typed it: the shortest text that reads back
// to the same double, as Python's repr shows it.
std::string text(double x) { return shortest(x); }

// A finite number, as the command line reads every number it is given.
double finite(const char* name, double x) {
  if (!std::isfinite(x)) throw py::value_error(std::string(name) + ": cannot read '" + text(x) + "' as a finite number");
  return x;
}

// A finite number for the legacy models, which read their inputs in single
// precision as the command line does.
float single(const char* name, double x) {
  if (std::fabs(finite(name, x)) > static_cast<double>(std::numeric_limits<float>::max())) {
    throw py::value_error(std::string(name) + ": cannot read '" + text(x) + "' as a finite number");
  }
  return static_cast<float>(x);
}

// The values of a scalar, a sequence or a numpy array of real numbers, flat.
Column values(const py::handle& obj, const char* name) {
  const py::array a = py::module_::import("numpy").attr("asarray")(obj);
  const char kind = a.dtype().kind();
  if (kind != 'f' && kind != 'i' && kind != 'u') {
    throw py::type_error(std::string(name) + ": expected a real number or a sequence or array of them");
  }
  const auto d = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(a);
  Column v(d.data(), d.data() + d.size());
  return v;
}

// Values every one of which the command line could have read: finite, and in
// single precision for the legacy models (returned; empty for exact mode).
std::vector<float> readable(const char* name, const Column& v, bool exact) {
  std::vector<float> f;
  for (const double x : v) {
    if (exact) {
      finite(name, x);
    } else {
      f.push_back(single(name, x));
    }
  }
  return f;
}

// The length unit of all lengths in and out: "in" or "cm". Inches per unit
// for the legacy models, metres per unit for exact mode.
struct Units {
  std::string name;
  float un;    // the legacy tables' factor from inches to the unit
  double mu;   // metres per unit
};
Units units_of(const std::string& units) {
  if (units == "in") return {units, legacy::unit_factor[1], physical::metres_per_inch};
  if (units == "cm") return {units, legacy::unit_factor[0], physical::metres_per_cm};
  throw py::value_error("units: '" + units + "' is neither 'in' nor 'cm'");
}

// The pattern level and the curve it is designed on, as the command line's
// --level and --derive-from settle them.
int curve_of(double level_db, const std::optional<double>& derive_from, bool exact, float& plev) {
  plev = single("level_db", level_db);
  int derive = 0;
  std::string derive_text;
  if (derive_from) {
    if (*derive_from != 3.0 && *derive_from != 10.0) {
      throw py::value_error("derive_from: " + text(*derive_from) + " is neither 3 nor 10");
    }
    derive = *derive_from == 3.0 ? 1 : 2;
    derive_text = text(*derive_from);
  }
  int curve = 0;
  refuse(checks::level_curve("level_db", text(level_db), plev, "derive_from", derive_text, derive, exact, curve));
  return curve;
}

// Columns of n rows filled by `fill(i, row)`, which returns the row's notes,
// with the interpreter free for other threads; then handed over as float64
// arrays and the notes column.
template <class Fill>
void fill_rows(Result& r, std::size_t n, Fill fill) {
  const std::size_t width = r.columns.size() - 1;
  std::vector<Column> cols(width, Column(n));
  std::vector<Notes> notes(n);
  {
    py::gil_scoped_release free;
    std::vector<double> row(width);
    for (std::size_t i = 0; i < n; ++i) {
      notes[i] = fill(i, row.data());
      for (std::size_t k = 0; k < width; ++k) cols[k][i] = row[k];
    }
  }
  for (std::size_t k = 0; k < width; ++k) {
    r.arrays[py::str(r.columns[k])] = py::array_t<double>(static_cast<py::ssize_t>(n), cols[k].data());
  }
  py::list keys;
  for (const Notes x : notes) keys.append(note_keys(x));
  r.arrays["notes"] = keys;
}

// A figure as the command line gives it: a legacy figure in single
// precision, an exact one in double.
double figure(double x, bool exact) { return exact ? x : static_cast<double>(static_cast<float>(x)); }

// The cone's shape after the figures of a row: flare angle and cone length,
// and the horn's length with a throat; `k` is the next column.
std::size_t geometry(double* row, std::size_t k, double a, double r, double throat, bool exact) {
  const ConeGeometry g = cone_geometry(a, r, throat);
  row[k++] = figure(g.flare_half_angle_deg, exact);
  row[k++] = figure(g.cone_length, exact);
  if (!std::isnan(throat)) row[k++] = figure(g.horn_length, exact);
  return k;
}

// The least and greatest of some values (0 and 0 when there are none).
std::pair<double, double> extent(const Column& v) {
  if (v.empty()) return {0.0, 0.0};
  const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  return {*lo, *hi};
}

// The throat radius in the unit, or NaN when not given.
double throat_of(const std::optional<double>& throat, Result& r) {
  if (!throat) return NAN;
  single("throat", *throat);
  refuse(checks::positive("throat", *throat));
  r.inputs["throat_radius"] = *throat;
  return *throat;
}

py::array_t<double> as_array(const Column& v) {
  return py::array_t<double>(static_cast<py::ssize_t>(v.size()), v.data());
}

// The full-wave model's arguments by their names here.
const checks::FullWaveLabels kFullWave{"full_wave", "exact", "throat", "guide_length", "wall"};

// Which full-wave arguments are given, checked together: a wrong combination
// is a TypeError.
void full_wave_arguments(bool full_wave, bool exact, const std::optional<double>& throat,
                         const std::optional<double>& guide_length, const std::optional<double>& wall) {
  const std::string problem = checks::full_wave_options(kFullWave, full_wave, exact, throat.has_value(),
                                                        guide_length.has_value(), wall.has_value());
  if (!problem.empty()) throw py::type_error(problem);
}

// A length in the unit, when given, in metres.
std::optional<double> metres(const char* name, const std::optional<double>& x, const Units& u) {
  return x ? std::optional<double>(finite(name, *x) * u.mu) : std::nullopt;
}

// The full-wave body of the horn (a, rs and the throat in the unit), its
// guide's length and wall defaulting at `lowest_ghz`, the horn checked to be
// solvable up to `highest_ghz`; without `a` the feed guide alone (a feed
// design's), as an open-ended guide. The guide's length and wall go to the
// inputs in the unit.
fullwave::Geometry full_wave_body(std::optional<double> a, double rs, double throat,
                                  const std::optional<double>& guide_length, const std::optional<double>& wall,
                                  double lowest_ghz, double highest_ghz, const Units& u, Result& r) {
  fullwave::Geometry g{};
  const std::string throat_label = "throat " + text(throat);
  if (a) {
    refuse(fullwave::body(kFullWave, throat_label, *a * u.mu, rs * u.mu, throat * u.mu,
                          metres("guide_length", guide_length, u), metres("wall", wall, u), lowest_ghz, g));
    refuse(fullwave::solvable_up_to(kFullWave, throat_label, g, highest_ghz));
  } else {
    refuse(fullwave::feed_guide(kFullWave, throat_label, throat * u.mu, metres("guide_length", guide_length, u),
                                metres("wall", wall, u), lowest_ghz, g));
    g.aperture_radius = g.throat_radius;
    g.slant_radius = INFINITY;
  }
  r.inputs["guide_length"] = g.guide_length / u.mu;
  r.inputs["wall"] = g.wall / u.mu;
  return g;
}

// A full-wave solution, its refusal (a geometry the solver does not take) a
// ValueError.
template <class Solve>
auto solved(Solve solve) {
  try {
    return solve();
  } catch (const std::invalid_argument& e) {
    throw py::value_error(std::string(kFullWave.full_wave) + ": " + e.what());
  }
}

Result design(double freq_ghz, std::optional<double> beamwidth_deg, std::optional<double> gain_db, double level_db,
              std::optional<double> derive_from, const std::string& plane, const py::object& s,
              std::optional<double> throat_radius, bool exact, const std::string& units) {
  const Units u = units_of(units);
  Result r;
  r.command = "design";
  const float freq = single("freq_ghz", freq_ghz);
  refuse(checks::positive("freq_ghz", freq_ghz));
  if (beamwidth_deg.has_value() == gain_db.has_value()) {
    throw py::type_error("give either beamwidth_deg or gain_db");
  }
  const bool to_gain = gain_db.has_value();
  float bw = 0.0f, gain = 0.0f, plev = 3.0f;
  int ilev = 1, iplane = 1;
  r.inputs["freq_ghz"] = freq_ghz;
  if (to_gain) {
    gain = single("gain_db", *gain_db);
    r.inputs["gain_db"] = *gain_db;
  } else {
    bw = single("beamwidth_deg", *beamwidth_deg);
    refuse(checks::positive("beamwidth_deg", *beamwidth_deg));
    ilev = curve_of(level_db, derive_from, exact, plev);
    if (plane != "E" && plane != "H" && plane != "avg") {
      throw py::value_error("plane: '" + plane + "' is none of 'E', 'H' and 'avg'");
    }
    iplane = plane == "E" ? 1 : (plane == "H" ? 2 : 3);
    r.inputs["beamwidth_deg"] = *beamwidth_deg;
    r.inputs["level_db"] = level_db;
    r.inputs["plane"] = plane;
  }
  const Column sv = values(s, "s");
  const std::vector<float> sf = readable("s", sv, exact);
  if (exact && to_gain) throw py::value_error("exact designs to a beamwidth, not to a gain");
  if (exact) {
    const auto [lo, hi] = extent(sv);
    refuse(checks::s_within_design_range("s", lo, hi));
  } else if (!sf.empty()) {
    const auto [lo, hi] = std::minmax_element(sf.begin(), sf.end());
    refuse(checks::s_within_design_range("s", *lo, *hi));
  }
  const double throat = figure(throat_of(throat_radius, r), exact);
  r.inputs["s"] = as_array(sv);
  r.inputs["exact"] = exact;
  r.inputs["units"] = units;
  const std::string un = "_" + units;
  r.columns = {"s_cycles",          "aperture_radius" + un, "slant_radius" + un,     "gain_db",
               "phase_centre_e_wl", "phase_centre_h_wl",    "beamwidth_e_3db_deg", "beamwidth_h_3db_deg",
               "beamwidth_e_10db_deg", "beamwidth_h_10db_deg"};
  add_geometry_columns(r.columns, un, !std::isnan(throat));
  r.columns.push_back("notes");

  // After the figures (s, aperture in wavelengths, a, r, then the rest, each
  // as a figure of the mode): the geometry, and the notes every design row
  // may carry.
  const double wl_in = static_cast<double>(legacy::c_in_per_ns) / static_cast<double>(freq);
  const double tw = exact ? throat * u.mu / exact::wavelength_m(freq_ghz) : throat / static_cast<double>(u.un) / wl_in;
  const auto finish = [&](double* row, double aw, Notes notes) {
    const double a = row[1], rs = row[2];
    geometry(row, 10, a, rs, throat, exact);
    notes |= horn_notes(aw, 0.0, tw);
    if (rs < a) notes |= note_bit(Note::not_a_cone);
    return notes;
  };
  if (exact) {
    exact::DesignRequest q;
    q.frequency_ghz = freq_ghz;
    q.beamwidth_deg = *beamwidth_deg;
    q.level_db = level_db;
    q.plane = static_cast<exact::Plane>(iplane);
    fill_rows(r, sv.size(), [&](std::size_t i, double* row) {
      exact::DesignRequest qi = q;
      qi.s_cycles = sv[i];
      const exact::HornDesign d = exact::design(qi);
      const exact::HornResponse& h = d.response;
      const double v[] = {d.s_cycles,
                          d.aperture_radius_m / u.mu,
                          d.slant_radius_m / u.mu,
                          h.gain_db,
                          h.phase_centre_e_wl,
                          h.phase_centre_h_wl,
                          h.beamwidths_1.e_plane_deg,
                          h.beamwidths_1.h_plane_deg,
                          h.beamwidths_2.e_plane_deg,
                          h.beamwidths_2.h_plane_deg};
      std::copy(std::begin(v), std::end(v), row);
      return finish(row, d.aperture_radius_wl, d.found() ? 0 : note_bit(Note::no_design));
    });
  } else {
    const float bwc = to_gain ? 0.0f : curve_beamwidth(bw, plev, ilev);
    fill_rows(r, sf.size(), [&](std::size_t i, double* row) {
      DesignLine d = to_gain ? gain_design_line(freq, gain, sf[i]) : design_line(freq, bwc, ilev, iplane, sf[i]);
      // A design the curves cannot give: no horn of positive finite size, or
      // one whose own beamwidth misses the request.
      const bool no_horn = !(std::isfinite(d.arad) && d.arad > 0.0f);
      const bool beyond = to_gain ? no_horn
                                  : beyond_design_curves(static_cast<double>(bw),
                                                         legacy_design_beamwidth(d.fig, ilev, iplane, plev),
                                                         static_cast<double>(d.arad));
      HornFigures h = d.fig;
      if (no_horn) {
        d.aw = d.arad = d.srad = NAN;
        h.bwe3 = h.bwh3 = h.bwe10 = h.bwh10 = h.pce = h.pch = h.gain = NAN;
      }
      const float v[] = {d.s, u.un * d.arad, u.un * d.srad, h.gain, h.pce, h.pch, h.bwe3, h.bwh3, h.bwe10, h.bwh10};
      for (std::size_t k = 0; k < std::size(v); ++k) row[k] = static_cast<double>(v[k]);
      return finish(row, static_cast<double>(d.aw), beyond ? note_bit(Note::beyond_curves) : 0);
    });
  }
  return r;
}

// The horn of `aperture` and `slant` in the unit, in the precision of the
// mode: checked as the command line checks --aperture and --slant, recorded
// in the inputs.
std::pair<double, double> horn(double aperture, double slant, bool exact, Result& r) {
  single("aperture", aperture);
  refuse(checks::positive("aperture", aperture));
  if (std::isnan(slant) || (std::isinf(slant) && slant < 0.0)) {
    throw py::value_error("slant: cannot read '" + text(slant) + "' as a finite number or inf");
  }
  const double a = figure(aperture, exact);
  const double rs = std::isinf(slant) ? slant : figure(single("slant", slant), exact);
  refuse(checks::slant_exceeds_aperture("slant " + text(slant), rs, "aperture " + text(aperture), a));
  r.inputs["aperture_radius"] = aperture;
  r.inputs["slant_radius"] = slant;
  return {a, rs};
}

Result response(double aperture, double slant, const py::object& freqs_ghz, double level_db,
                std::optional<double> derive_from, std::optional<double> throat_radius, bool exact_only,
                bool full_wave, std::optional<double> guide_length, std::optional<double> wall,
                const std::string& units) {
  const Units u = units_of(units);
  full_wave_arguments(full_wave, exact_only, throat_radius, guide_length, wall);
  const bool exact = exact_only || full_wave;  // the full wave reads its inputs in double too
  Result r;
  r.command = "response";
  const auto [a, rs] = horn(aperture, slant, exact, r);
  float plev = 3.0f;
  const int ilev = curve_of(level_db, derive_from, exact, plev);
  const Column f = values(freqs_ghz, "freqs_ghz");
  const std::vector<float> ff = readable("freqs_ghz", f, exact);
  if (exact) {
    const auto [lo, hi] = extent(f);
    if (!f.empty()) refuse(checks::frequencies_positive("freqs_ghz", lo, hi));
  } else if (!ff.empty()) {
    const auto [lo, hi] = std::minmax_element(ff.begin(), ff.end());
    refuse(checks::frequencies_positive("freqs_ghz", *lo, *hi));
  }
  const double throat = figure(throat_of(throat_radius, r), exact);
  if (full_wave) {
    refuse(checks::full_wave_throat("throat " + text(*throat_radius), throat, "aperture " + text(aperture), a, "slant",
                                    rs));
  } else if (!std::isnan(throat)) {
    refuse(checks::throat_inside_aperture("throat " + text(*throat_radius), throat, "aperture " + text(aperture), a));
  }
  r.inputs["level_db"] = level_db;
  r.inputs["freqs_ghz"] = as_array(f);
  r.inputs["exact"] = exact_only;
  r.inputs["full_wave"] = full_wave;
  r.inputs["units"] = units;
  const std::array<float, 4> blv = column_levels(plev, ilev);
  const std::string un = "_" + units;
  r.columns = response_columns(blv);
  add_geometry_columns(r.columns, un, !std::isnan(throat));
  r.columns.push_back("notes");
  // The user's own level in double in place of its column's.
  const double level1 = ilev == 1 ? level_db : static_cast<double>(blv[0]);
  const double level2 = ilev == 2 ? level_db : static_cast<double>(blv[1]);
  if (full_wave) {
    // Exact mode's columns from the full-wave pattern, the directivity (the
    // gain of the lossless horn) as the gain, and the return loss last.
    r.columns.insert(r.columns.end() - 1, "s11_db");
    fullwave::ResponseRequest q;
    if (!f.empty()) q.geometry = full_wave_body(a, rs, throat, guide_length, wall, extent(f).first, extent(f).second, u, r);
    q.level1_db = level1;
    q.level2_db = level2;
    fill_rows(r, f.size(), [&](std::size_t i, double* row) {
      fullwave::ResponseRequest qi = q;
      qi.frequency_ghz = f[i];
      const fullwave::HornResponse h = solved([&] { return fullwave::response(qi); });
      const fullwave::Figures& g = h.figures;
      const double v[] = {h.frequency_ghz,    g.level1.e, g.level2.e, g.phase_centres.e, g.level1.h,
                          g.level2.h,         g.phase_centres.h, g.directivity_db, h.s_cycles,
                          h.aperture_radius_wl};
      std::copy(std::begin(v), std::end(v), row);
      row[geometry(row, std::size(v), a, rs, throat, true)] = g.s11_db;
      return horn_notes(h.aperture_radius_wl, h.s_cycles, throat / (exact::wavelength_m(f[i]) / u.mu));
    });
  } else if (exact) {
    exact::ResponseRequest q;
    q.aperture_radius_m = a * u.mu;
    q.slant_radius_m = rs * u.mu;
    q.level1_db = level1;
    q.level2_db = level2;
    fill_rows(r, f.size(), [&](std::size_t i, double* row) {
      exact::ResponseRequest qi = q;
      qi.frequency_ghz = f[i];
      const exact::HornResponse h = exact::response(qi);
      const double v[] = {h.frequency_ghz,     h.beamwidths_1.e_plane_deg, h.beamwidths_2.e_plane_deg,
                          h.phase_centre_e_wl, h.beamwidths_1.h_plane_deg, h.beamwidths_2.h_plane_deg,
                          h.phase_centre_h_wl, h.gain_db,                  h.s_cycles,
                          h.aperture_radius_wl};
      std::copy(std::begin(v), std::end(v), row);
      geometry(row, 10, a, rs, throat, true);
      return horn_notes(h.aperture_radius_wl, h.s_cycles, throat / (h.wavelength_m / u.mu));
    });
  } else {
    const float arad = static_cast<float>(a) / u.un, srad = static_cast<float>(rs) / u.un;
    fill_rows(r, ff.size(), [&](std::size_t i, double* row) {
      const HornFigures h = response_line(ff[i], arad, srad, plev, ilev);
      const double wl_in = static_cast<double>(legacy::c_in_per_ns) / static_cast<double>(ff[i]);
      const double aw = static_cast<double>(arad) / wl_in;
      const double s = exact::phase_deviation_cycles(static_cast<double>(arad), static_cast<double>(srad), wl_in);
      const float v[] = {ff[i], h.bwe3, h.bwe10, h.pce, h.bwh3, h.bwh10, h.pch, h.gain,
                         static_cast<float>(s), static_cast<float>(aw)};
      for (std::size_t k = 0; k < std::size(v); ++k) row[k] = static_cast<double>(v[k]);
      geometry(row, 10, a, rs, throat, false);
      return horn_notes(aw, s, throat / (wl_in * static_cast<double>(u.un)));
    });
  }
  return r;
}

Result pattern(double aperture, double slant, double freq_ghz, const py::object& angles_deg, bool exact_only,
               bool full_wave, std::optional<double> throat_radius, std::optional<double> guide_length,
               std::optional<double> wall, const std::string& units) {
  const Units u = units_of(units);
  full_wave_arguments(full_wave, exact_only, throat_radius, guide_length, wall);
  const std::string problem =
      checks::throat_needs_full_wave(kFullWave, "the pattern", full_wave, throat_radius.has_value());
  if (!problem.empty()) throw py::type_error(problem);
  const bool exact = exact_only || full_wave;
  Result r;
  r.command = "pattern";
  const float freq = single("freq_ghz", freq_ghz);
  refuse(checks::positive("freq_ghz", freq_ghz));
  const auto [a, rs] = horn(aperture, slant, exact, r);
  const Column angles = values(angles_deg, "angles_deg");
  const std::vector<float> af = readable("angles_deg", angles, exact);
  r.inputs["freq_ghz"] = freq_ghz;
  r.inputs["angles_deg"] = as_array(angles);
  r.inputs["exact"] = exact_only;
  r.inputs["full_wave"] = full_wave;
  r.inputs["units"] = units;
  r.columns = {"angle_deg", "amplitude_e_db", "phase_e_deg", "amplitude_h_db", "phase_h_deg"};
  // Exact mode adds the 45-degree plane, co- and cross-polar (Ludwig's third
  // definition).
  if (exact) {
    for (const char* col : {"amplitude_45_co_db", "phase_45_co_deg", "amplitude_45_xp_db", "phase_45_xp_deg"})
      r.columns.push_back(col);
  }
  r.columns.push_back("notes");
  if (full_wave) {
    // Solved once at this frequency, then read at every angle.
    const double throat = throat_of(throat_radius, r);
    refuse(checks::full_wave_throat("throat " + text(throat), throat, "aperture " + text(aperture), a, "slant", rs));
    const fullwave::Geometry g = full_wave_body(a, rs, throat, guide_length, wall, freq_ghz, freq_ghz, u, r);
    std::optional<fullwave::Horn> horn;
    {
      py::gil_scoped_release free;
      solved([&] { horn.emplace(g, freq_ghz); });
    }
    const Notes notes = horn_notes(horn->aw(), exact::phase_deviation_cycles(a, rs, exact::wavelength_m(freq_ghz) / u.mu),
                                   g.throat_radius / exact::wavelength_m(freq_ghz));
    fill_rows(r, angles.size(), [&](std::size_t i, double* row) {
      const fullwave::PatternPoint p = fullwave::pattern_point(*horn, angles[i]);
      const exact::PatternPoint& q = p.planes;
      const double v[] = {q.angle_deg,         q.amplitude_e_db,     q.phase_e_deg,
                          q.amplitude_h_db,    q.phase_h_deg,        p.amplitude_45_co_db,
                          p.phase_45_co_deg,   p.amplitude_45_xp_db, p.phase_45_xp_deg};
      std::copy(std::begin(v), std::end(v), row);
      return notes;
    });
  } else if (exact) {
    const exact::PatternEvaluator horn(a * u.mu, rs * u.mu, freq_ghz);
    const feed::PolarPattern polar(a * u.mu, rs * u.mu, freq_ghz);
    const Notes notes = horn_notes(horn.aperture_radius_wl(), horn.s_cycles(), NAN);
    fill_rows(r, angles.size(), [&](std::size_t i, double* row) {
      const exact::PatternPoint p = horn.at(angles[i]);
      const feed::Polarised q = polar.at(angles[i], 45.0);
      const double v[] = {p.angle_deg,
                          p.amplitude_e_db,
                          p.phase_e_deg,
                          p.amplitude_h_db,
                          p.phase_h_deg,
                          20.0 * std::log10(std::abs(q.co)),
                          std::arg(q.co) / physical::rad_per_deg,
                          20.0 * std::log10(std::abs(q.xp)),
                          std::arg(q.xp) / physical::rad_per_deg};
      std::copy(std::begin(v), std::end(v), row);
      return notes;
    });
  } else {
    const float arad = static_cast<float>(a) / u.un, srad = static_cast<float>(rs) / u.un;
    const double wl_in = static_cast<double>(legacy::c_in_per_ns) / static_cast<double>(freq);
    const Notes notes = horn_notes(
        static_cast<double>(arad) / wl_in,
        exact::phase_deviation_cycles(static_cast<double>(arad), static_cast<double>(srad), wl_in), NAN);
    fill_rows(r, af.size(), [&](std::size_t i, double* row) {
      float ampe = 0.0f, amph = 0.0f, phe = 0.0f, phh = 0.0f;
      chp11(freq, arad, srad, af[i] * legacy::rad_per_deg, ampe, amph, phe, phh);
      const float v[] = {af[i], ampe, phe, amph, phh};
      for (std::size_t k = 0; k < std::size(v); ++k) row[k] = static_cast<double>(v[k]);
      return notes;
    });
  }
  return r;
}

// Whether the argument is one number rather than a sequence: a single value
// is named with its text in a message, as the command line names "--f-over-d 0".
bool scalar(const py::handle& obj) { return py::module_::import("numpy").attr("ndim")(obj).cast<int>() == 0; }

Result feed(double freq_ghz, const py::object& f_over_d, std::optional<double> aperture, std::optional<double> slant,
            const py::object& s, std::optional<double> taper_db, bool full_wave, std::optional<double> throat_radius,
            std::optional<double> guide_length, std::optional<double> wall, const std::string& units) {
  const Units u = units_of(units);
  full_wave_arguments(full_wave, false, throat_radius, guide_length, wall);
  const std::string problem = checks::throat_needs_full_wave(kFullWave, "feed", full_wave, throat_radius.has_value());
  if (!problem.empty()) throw py::type_error(problem);
  Result r;
  r.command = "feed";
  finite("freq_ghz", freq_ghz);
  refuse(checks::positive("freq_ghz", freq_ghz));
  r.inputs["freq_ghz"] = freq_ghz;
  const Column fds = values(f_over_d, "f_over_d");
  readable("f_over_d", fds, true);
  if (!fds.empty()) {
    const double lo = extent(fds).first;
    refuse(checks::f_over_d_positive(scalar(f_over_d) ? "f_over_d " + text(lo) : std::string("f_over_d"), lo));
  }
  r.inputs["f_over_d"] = as_array(fds);

  // A horn to judge, or the design's phase deviations and taper.
  const bool judging = aperture.has_value() || slant.has_value();
  double a = 0.0, rs = 0.0, taper = NAN;
  Column sv;
  const bool s_given = !s.is_none();
  if (judging) {
    if (!aperture || !slant) throw py::type_error("give both aperture and slant to judge a horn");
    if (taper_db || s_given) {
      throw py::type_error("taper_db and s design a horn; aperture and slant judge a given one");
    }
    std::tie(a, rs) = horn(*aperture, *slant, true, r);
  } else {
    if (taper_db) {
      taper = finite("taper_db", *taper_db);
      refuse(checks::edge_taper_negative("taper_db " + text(taper), taper));
      r.inputs["taper_db"] = taper;
    }
    if (s_given) {
      sv = values(s, "s");
      readable("s", sv, true);
      const auto [lo, hi] = extent(sv);
      if (!sv.empty()) refuse(checks::s_within_design_range("s", lo, hi));
      r.inputs["s"] = as_array(sv);
    }
    const std::string needs_s = checks::full_wave_design_needs_s(kFullWave, "s", full_wave, s_given);
    if (!needs_s.empty()) throw py::type_error(needs_s);
  }
  r.inputs["full_wave"] = full_wave;
  r.inputs["units"] = units;

  // The full wave: a judged horn solved once, every f/D reading its pattern;
  // a design's guide, common to all its horns, tried first as an open-ended
  // guide so that a guide the model refuses is refused before any row.
  fullwave::Geometry body{};
  std::optional<fullwave::Horn> solved_horn;
  if (full_wave) {
    const double throat = throat_of(throat_radius, r);
    if (judging) {
      refuse(checks::full_wave_throat("throat " + text(throat), throat, "aperture " + text(*aperture), a, "slant", rs));
    }
    body = full_wave_body(judging ? std::optional<double>(a) : std::nullopt, rs, throat, guide_length, wall,
                          freq_ghz, freq_ghz, u, r);
    py::gil_scoped_release free;
    solved([&] { solved_horn.emplace(body, freq_ghz); });
  }

  const std::string un = "_" + units;
  r.columns = feed_columns(un);
  const bool design = !judging;
  if (design) r.columns.push_back("best");
  if (full_wave) r.columns.push_back("s11_db");
  r.columns.push_back("notes");

  // One row per f/D, or per f/D and S; a design's best row is known only
  // once every S of its f/D is designed, so the rows of one f/D are made
  // before any is written.
  const std::size_t per_fd = s_given ? sv.size() : 1;
  std::vector<feed::FeedRow> rows;
  std::vector<double> s11;  // the full wave's return loss of each row
  std::vector<char> best;
  const auto row_of = [&](std::size_t i, double* row) {
    if (i % per_fd == 0) {
      const double fd = fds[i / per_fd];
      rows.clear();
      best.assign(per_fd, 0);
      s11.clear();
      if (full_wave) {
        for (std::size_t k = 0; k < per_fd; ++k) {
          fullwave::FeedRow w;
          if (judging) {
            w = fullwave::judge_feed(*solved_horn, body, freq_ghz, fd);
          } else {
            w = solved([&] { return fullwave::design_feed(body, freq_ghz, fd, sv[k], taper); });
          }
          rows.push_back(w.feed);
          s11.push_back(w.s11_db);
        }
      } else if (judging) {
        rows.push_back(feed::judge(feed::JudgeRequest{a * u.mu, rs * u.mu, freq_ghz, fd}));
      } else if (!s_given) {
        rows.push_back(std::isnan(taper) ? feed::best_design_row(freq_ghz, fd)
                                         : feed::design({freq_ghz, fd, 0.0, taper}));
        best[0] = 1;
      } else {
        for (std::size_t k = 0; k < per_fd; ++k) rows.push_back(feed::design({freq_ghz, fd, sv[k], taper}));
      }
      // Of designs over S, the one of highest efficiency is the best.
      if (design && s_given) {
        int b = -1;
        for (std::size_t k = 0; k < per_fd; ++k) {
          const double eta = rows[k].judgement.best.aperture;
          if (!std::isnan(eta) && (b < 0 || eta > rows[b].judgement.best.aperture)) b = static_cast<int>(k);
        }
        if (b >= 0) best[b] = 1;
      }
    }
    const feed::FeedRow& f = rows[i % per_fd];
    const feed::Judgement& j = f.judgement;
    const double ar = design ? f.aperture_radius_m / u.mu : a, sr = design ? f.slant_radius_m / u.mu : rs;
    const double v[] = {f.f_over_d, j.rim_half_angle_deg, f.s_cycles, ar, sr, f.aperture_radius_wl,
                        j.best.aperture, j.best.spillover, j.best.illumination, j.best.phase, j.best.polarisation,
                        j.aperture_efficiency_at_aperture_plane, j.focus_behind_aperture_wl, j.edge_taper_e_db,
                        j.edge_taper_h_db, j.cross_pol_45_db, f.gain_db};
    std::copy(std::begin(v), std::end(v), row);
    std::size_t k = geometry(row, std::size(v), ar, sr, NAN, true);
    if (design) row[k++] = best[i % per_fd] ? 1.0 : 0.0;
    if (full_wave) row[k] = s11[i % per_fd];
    Notes n = 0;
    if (design && std::isnan(f.aperture_radius_wl)) {
      n |= note_bit(full_wave ? Note::no_full_wave_feed_design : Note::no_feed_design);
    }
    if (below_te11_cutoff(f.aperture_radius_wl)) n |= note_bit(Note::below_cutoff);
    if (f.s_cycles > 1.0) n |= note_bit(Note::s_above_one);
    return n;
  };
  fill_rows(r, fds.size() * per_fd, row_of);
  return r;
}

const char* const kModuleDoc = R"(Conical TE11 horns as numpy arrays.

design(), response(), pattern() and feed() compute what the command line's
subcommands of the same names compute, for any sequence of S values,
frequencies, angles or f/D. Each returns a Result: a mapping from the command
line's CSV column names to 1-D float64 numpy arrays (one value per row;
a value that is not finite where the command line leaves a cell empty), and
the rows' validity notes under "notes" (a list of strings, the note names
joined by ';' as in the CSV), with the call's arguments in .inputs. Lengths are in `units` ("in" or "cm"), frequencies in
GHz, angles and beamwidths in degrees, levels and gain in dB, phase centres
in wavelengths behind the aperture. exact=True uses the double-precision
aperture-integral physics instead of the legacy single-precision models;
full_wave=True (response, pattern and feed, with the feed guide's throat
radius) solves the real metal horn, guide, cone, wall and rim, by a
body-of-revolution moment method, and adds its return loss s11_db.
Bad arguments raise ValueError or TypeError with the command line's message.)";

const char* const kDesignDoc = R"(Design horns to a beamwidth (or a gain) over phase deviations S.

Arguments:
  freq_ghz       design frequency in GHz (> 0)
  beamwidth_deg  full beamwidth in degrees at level_db below the peak (> 0);
                 give this or gain_db, not both
  gain_db        design to this gain in dB instead (legacy models only)
  level_db       pattern level of the beamwidth in dB (default 3); for the
                 legacy models levels other than 3 and 10 need derive_from
  derive_from    3 or 10: the design curve another level is derived from
                 (not used in exact mode)
  plane          "E", "H" or "avg" (the mean of the two): the plane whose
                 beamwidth is designed (default "E")
  s              maximum aperture phase deviations S in cycles, 0 to 1: a
                 number, a sequence or a numpy array; one row each
  throat         radius of the feeding guide in `units`: adds horn_length
                 and a note where the frequency is outside its single-mode band
  exact          True: the exact aperture-integral physics (beamwidth only)
  units          "in" (default) or "cm": unit of the returned lengths

Returns a Result with the arrays s_cycles, aperture_radius_<units>,
slant_radius_<units>, gain_db, phase_centre_e_wl, phase_centre_h_wl, the
3 and 10 dB beamwidths beamwidth_{e,h}_{3,10}db_deg, flare_half_angle_deg,
cone_length_<units> (and horn_length_<units> with a throat), and notes.)";

const char* const kResponseDoc = R"(Beamwidths, phase centres and gain of one horn over frequency.

Arguments:
  aperture    aperture radius in `units` (> 0)
  slant       slant radius (apex to aperture rim) in `units`; float("inf")
              for S = 0
  freqs_ghz   frequencies in GHz (> 0): a number, a sequence or a numpy array
  level_db    pattern level of the first beamwidth pair (default 3); levels
              other than 3 and 10 need derive_from
  derive_from 3 or 10: the curve another level is derived from (legacy
              models; exact mode finds beamwidths at the level itself)
  throat      radius of the feeding guide in `units` (0 < throat < aperture):
              adds horn_length and a note outside its single-mode band;
              required with full_wave
  exact       True: the exact aperture-integral physics
  full_wave   True: the full-wave solution of the real horn (body of
              revolution, perfectly conducting, fed by TE11 in a guide of
              radius throat, which must carry TE11 at every frequency);
              gain_db is its directivity and s11_db its return loss
  guide_length  full wave only: length of the feed guide in `units`
              (default 1.5 wavelengths at the lowest frequency)
  wall        full wave only: wall thickness in `units`, 0 for a thin wall
              (default a twentieth of a wavelength at the lowest frequency)
  units       "in" (default) or "cm"

Example, the full wave of a horn 2.4 in across with a 1.5 mm wall:
  quaven.response(1.2, 3, [9, 10, 11], full_wave=True, throat=0.45,
                  wall=0.0590551)["s11_db"]

Returns a Result with frequency_ghz, beamwidth_e_<level>_deg (two levels),
phase_centre_e_wl, beamwidth_h_<level>_deg (two), phase_centre_h_wl,
gain_db, s_cycles, aperture_wavelengths, flare_half_angle_deg,
cone_length_<units> (and horn_length_<units> with a throat), with full_wave
s11_db (dB), and notes, the levels named as in the command line's CSV
("3db", "10db").)";

const char* const kPatternDoc = R"(E- and H-plane amplitude and phase of one horn at one frequency.

Arguments:
  aperture    aperture radius in `units` (> 0)
  slant       slant radius in `units`; float("inf") for S = 0
  freq_ghz    frequency in GHz (> 0)
  angles_deg  angles off the axis in degrees: a number, a sequence or a
              numpy array
  exact       True: the exact aperture-integral physics
  full_wave   True: the full-wave solution of the real horn, solved once at
              freq_ghz; needs throat
  throat      full wave only: radius of the feed guide in `units`
  guide_length  full wave only: length of the feed guide in `units`
              (default 1.5 wavelengths)
  wall        full wave only: wall thickness in `units`, 0 for a thin wall
              (default a twentieth of a wavelength)
  units       "in" (default) or "cm"

Returns a Result with angle_deg, amplitude_e_db, phase_e_deg,
amplitude_h_db and phase_h_deg (phases -180 to 180 degrees), in exact and
full-wave mode also the 45-degree plane's amplitude_45_co_db, phase_45_co_deg,
amplitude_45_xp_db and phase_45_xp_deg (Ludwig's third definition), and notes.
In exact mode the amplitude is the directivity in dBi; in full-wave mode the
realised gain in dBi (the directivity less the mismatch loss), the phase
referred to the centre of the aperture, over the whole sphere including the
back lobe.)";

const char* const kFeedDoc = R"(A horn as the feed of a paraboloid: judged, or designed for the dish.

The exact (double-precision) aperture-integral physics, or with full_wave the
full-wave solution of the real horn. Give aperture and slant to judge that
horn; give neither to design the horn of best aperture efficiency (or of a
given edge taper) for each f/D.

Arguments:
  freq_ghz    frequency in GHz (> 0)
  f_over_d    focal length over diameter of the dish (> 0): a number, a
              sequence or a numpy array; one row (or one group of rows) each
  aperture    aperture radius in `units` (> 0) of a horn to judge; needs slant
  slant       slant radius in `units` of that horn (> aperture);
              float("inf") for S = 0
  s           design only: phase deviations S in cycles, 0 to 1, a number,
              a sequence or a numpy array; one row per f/D and S, the best
              of each f/D marked best = 1. Default: one row per f/D at the S
              of highest efficiency (at S = 0 with taper_db)
  taper_db    design only: the mean E/H edge taper in dB (< 0) the aperture
              is sized for, instead of the best efficiency
  full_wave   True: judge the horn from its full-wave pattern (solved once
              for every f/D; gain_db is its directivity), or design on the
              feed guide at each S of s (required, S > 0): aperture theory's
              aperture polished by full-wave judgements within 25 per cent,
              about a second per row
  throat      full wave only, required: radius of the feed guide in `units`
  guide_length  full wave only: length of the feed guide in `units`
              (default 1.5 wavelengths)
  wall        full wave only: wall thickness in `units`, 0 for a thin wall
              (default a twentieth of a wavelength)
  units       "in" (default) or "cm": unit of aperture, slant and the
              returned lengths

Returns a Result with f_over_d, rim_half_angle_deg, s_cycles,
aperture_radius_<units>, slant_radius_<units>, aperture_wavelengths, the
aperture, spillover, illumination, phase and polarisation efficiencies
(fractions, at the best focus), aperture_efficiency_at_aperture_plane,
focus_behind_aperture_wl, edge_taper_e_db, edge_taper_h_db, cross_pol_45_db,
gain_db, flare_half_angle_deg, cone_length_<units>, for a design also best
(1 for the best row of its f/D, else 0), with full_wave the return loss
s11_db (dB), and notes.)";

}  // namespace
}  // namespace python
}  // namespace quaven

PYBIND11_MODULE(quaven, m) {
  using namespace quaven::python;
  using namespace pybind11::literals;
  m.doc() = kModuleDoc;

  py::class_<Result>(m, "Result",
                     "Arrays of one call by CSV column name (a read-only mapping), with the call's "
                     "arguments in .inputs.")
      .def_readonly("command", &Result::command, "The subcommand: design, response, pattern or feed.")
      .def_readonly("columns", &Result::columns, "The column names in the command line's order.")
      .def_readonly("inputs", &Result::inputs, "The arguments of the call, as given.")
      .def("__getitem__", [](const Result& r, const py::str& k) -> py::object { return r.arrays[k]; })
      .def("__contains__", [](const Result& r, const py::object& k) { return r.arrays.contains(k); })
      .def("__len__", [](const Result& r) { return r.columns.size(); })
      .def("__iter__", [](const Result& r) { return py::iter(py::cast(r.columns)); })
      .def("keys", [](const Result& r) { return r.columns; })
      .def("items", [](const Result& r) { return r.arrays.attr("items")(); })
      .def("values", [](const Result& r) { return r.arrays.attr("values")(); })
      .def("__repr__", [](const Result& r) {
        std::size_t rows = 0;
        if (!r.columns.empty()) rows = py::len(r.arrays[py::str(r.columns[0])]);
        std::string s = "<quaven.Result " + r.command + ": " + std::to_string(rows) + " rows of";
        for (const auto& c : r.columns) s += " " + c;
        return s + ">";
      });

  m.def("design", &design, kDesignDoc, "freq_ghz"_a, "beamwidth_deg"_a = py::none(), py::kw_only(),
        "gain_db"_a = py::none(), "level_db"_a = 3.0, "derive_from"_a = py::none(), "plane"_a = "E", "s"_a,
        "throat"_a = py::none(), "exact"_a = false, "units"_a = "in");
  m.def("response", &response, kResponseDoc, "aperture"_a, "slant"_a, "freqs_ghz"_a, py::kw_only(),
        "level_db"_a = 3.0, "derive_from"_a = py::none(), "throat"_a = py::none(), "exact"_a = false,
        "full_wave"_a = false, "guide_length"_a = py::none(), "wall"_a = py::none(), "units"_a = "in");
  m.def("pattern", &pattern, kPatternDoc, "aperture"_a, "slant"_a, "freq_ghz"_a, "angles_deg"_a, py::kw_only(),
        "exact"_a = false, "full_wave"_a = false, "throat"_a = py::none(), "guide_length"_a = py::none(),
        "wall"_a = py::none(), "units"_a = "in");
  m.def("feed", &feed, kFeedDoc, "freq_ghz"_a, "f_over_d"_a, py::kw_only(), "aperture"_a = py::none(),
        "slant"_a = py::none(), "s"_a = py::none(), "taper_db"_a = py::none(), "full_wave"_a = false,
        "throat"_a = py::none(), "guide_length"_a = py::none(), "wall"_a = py::none(), "units"_a = "in");
}
