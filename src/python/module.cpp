// The Python module `quaven`: designs, responses, patterns and dish feeds of
// conical TE11 horns as numpy arrays. A binding over the value API
// (api/jobs.h): it reads the arguments into a request, runs it, and hands
// over its columns as arrays named as the command line names its CSV
// columns, the request's refusals in Python's words. No physics here.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "api/jobs.h"
#include "api/refusal.h"
#include "api/validity.h"
#include "numeric/shortest.h"

namespace py = pybind11;

namespace quaven {
namespace python {
namespace {

using api::Arg;
using Column = std::vector<double>;

// A call's result: the arrays by column name, in the command line's column
// order, the rows' note names joined by ';' (the last column, `notes`), and
// the arguments it was called with.
struct Result {
  std::string command;
  std::vector<std::string> columns;  // the arrays' names, then "notes"
  py::dict arrays;
  std::vector<std::string> notes;
  py::dict inputs;
  std::size_t rows() const { return notes.size(); }
};

// A number as a user would have typed it: the shortest text that reads back
// to the same double, as Python's repr shows it.
std::string text(double x) { return shortest(x); }

// A finite number, as the command line reads every number it is given.
double finite(const char* name, double x) {
  if (!std::isfinite(x)) throw py::value_error(std::string(name) + ": cannot read '" + text(x) + "' as a finite number");
  return x;
}

// A finite number that the legacy models, which read their inputs in single
// precision as the command line does, can read too (only there is the float
// checked); both precisions of it.
api::Number number(const char* name, double x, bool single) {
  finite(name, x);
  if (single && std::fabs(x) > static_cast<double>(std::numeric_limits<float>::max())) {
    throw py::value_error(std::string(name) + ": cannot read '" + text(x) + "' as a finite number");
  }
  return api::Number::of(x);
}

// The values of a scalar, a sequence or a 1-D numpy array of real numbers.
// A table of them is refused rather than read row after row: its shape is
// more likely a mistake (a column vector, a grid of two sweeps) than a sweep.
Column values(const py::handle& obj, const char* name) {
  const py::array a = py::module_::import("numpy").attr("asarray")(obj);
  const char kind = a.dtype().kind();
  if (kind != 'f' && kind != 'i' && kind != 'u') {
    throw py::type_error(std::string(name) + ": expected a real number or a sequence or array of them");
  }
  if (a.ndim() > 1) {
    throw py::value_error(std::string(name) + ": expected one number or a 1-D sequence of them, not an array of shape " +
                          py::repr(a.attr("shape")).cast<std::string>());
  }
  const auto d = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(a);
  Column v(d.data(), d.data() + d.size());
  return v;
}

// The values as a sweep, each one the command line could have read.
api::Sweep sweep(const char* name, const Column& v, bool single) {
  std::vector<api::Number> n;
  for (const double x : v) n.push_back(number(name, x, single));
  return api::Sweep::list(std::move(n));
}

// The values as a numpy array that cannot be written: it views memory that a
// capsule owns, so numpy refuses both a write and setflags(write=True) (only
// an array that owns its data, or views a writable buffer, may be made
// writable again).
py::array_t<double> frozen(Column v) {
  auto owner = std::make_unique<Column>(std::move(v));
  if (owner->empty()) owner->reserve(1);  // a null pointer would make numpy allocate, and own, the data
  double* data = owner->data();
  const auto size = static_cast<py::ssize_t>(owner->size());
  const py::capsule base(owner.get(), [](void* p) { delete static_cast<Column*>(p); });
  owner.release();
  py::array_t<double> a(size, data, base);
  a.attr("setflags")(py::arg("write") = false);
  return a;
}

api::Units units_of(const std::string& units) {
  if (units == "in") return api::Units::in;
  if (units == "cm") return api::Units::cm;
  throw py::value_error("units: '" + units + "' is neither 'in' nor 'cm'");
}

// Python's names for the arguments, with the values as given.
class Words : public api::Words {
 public:
  void given(Arg arg, double value) { given_[arg] = name(arg) + " " + text(value); }
  std::string name(Arg arg) const override {
    switch (arg) {
      case Arg::freq: return "freq_ghz";
      case Arg::beamwidth: return "beamwidth_deg";
      case Arg::gain: return "gain_db";
      case Arg::level: return "level_db";
      case Arg::derive_from: return "derive_from";
      case Arg::plane: return "plane";
      case Arg::s: return "s";
      case Arg::freqs: return "freqs_ghz";
      case Arg::angles: return "angles_deg";
      case Arg::aperture: return "aperture";
      case Arg::slant: return "slant";
      case Arg::throat: return "throat";
      case Arg::guide_length: return "guide_length";
      case Arg::wall: return "wall";
      case Arg::full_wave: return "full_wave";
      case Arg::exact: return "exact";
      case Arg::f_over_d: return "f_over_d";
      case Arg::taper: return "taper_db";
      case Arg::format: return "format";
      case Arg::max_flare: return "max_flare_deg";
      case Arg::band: return "band_ghz";
      case Arg::rows_ok: return "rows_ok";
      case Arg::segments: return "segments";
      case Arg::flange: return "flange";
      case Arg::choke: return "chokes";
      case Arg::profile: return "profile";
      case Arg::choke_design: return "choke_rings";
      case Arg::threads: return "threads";
      case Arg::sweep: return "sweep";
    }
    return "";
  }
  std::string given(Arg arg) const override {
    const auto it = given_.find(arg);
    return it == given_.end() ? name(arg) : it->second;
  }

 private:
  std::map<Arg, std::string> given_;
};

// The pattern level and the curve it is derived from, as the command line's
// --level and --derive-from give them.
api::Level level_of(double level_db, const std::optional<double>& derive_from, Words& w) {
  api::Level l;
  l.db = number("level_db", level_db, true);
  if (derive_from) {
    if (*derive_from != 3.0 && *derive_from != 10.0) {
      throw py::value_error("derive_from: " + text(*derive_from) + " is neither 3 nor 10");
    }
    l.derive_from = *derive_from == 3.0 ? 1 : 2;
    w.given(Arg::derive_from, *derive_from);
  }
  w.given(Arg::level, level_db);
  return l;
}

// The rows of a job as columns.
class Columns : public api::Sink {
 public:
  void begin(const api::Head& head) override {
    head_ = head;
    cols_.assign(head.columns.size(), Column());
  }
  void row(const api::Row& row) override {
    for (std::size_t k = 0; k < row.cells.size(); ++k) cols_[k].push_back(row.cells[k].value);
    notes_.push_back(row.notes);
  }
  void end() override {}

  // Into the result: the columns, their arrays and the notes; the solved
  // body's guide length and wall into its inputs.
  void into(Result& r) {
    for (const api::Column& c : head_.columns) r.columns.push_back(c.name);
    r.columns.push_back("notes");
    for (std::size_t k = 0; k < cols_.size(); ++k) r.arrays[py::str(head_.columns[k].name)] = frozen(std::move(cols_[k]));
    for (const Notes x : notes_) r.notes.push_back(note_keys(x));
    for (const api::Inputs::Item& item : head_.inputs.items()) {
      if (item.key == "guide_length" || item.key == "wall") r.inputs[py::str(item.key)] = item.cells.at(0).value;
    }
  }

 private:
  api::Head head_;
  std::vector<Column> cols_;
  std::vector<Notes> notes_;
};

// Runs a job with the interpreter free for other threads; its refusal a
// TypeError (arguments that do not go together) or a ValueError.
template <class Request, class Job>
void run(Job job, const Request& q, const Words& words, Result& r) {
  Columns columns;
  try {
    py::gil_scoped_release free;
    job(q, columns);
  } catch (const api::Refusal& e) {
    if (e.combination()) throw py::type_error(api::message(e, words));
    throw py::value_error(api::message(e, words));
  }
  columns.into(r);
}

// A result of `command` and the model of its flags; true for the legacy
// models, which read in single precision.
bool start(Result& r, const char* command, api::Job& j, bool exact, bool full_wave, const std::string& units) {
  r.command = command;
  j.units = units_of(units);
  j.exact_asked = exact;
  j.full_wave_asked = full_wave;
  j.model = full_wave ? api::Model::full_wave : exact ? api::Model::aperture : api::Model::legacy;
  return j.model == api::Model::legacy;
}

// The solver's thread count (not recorded in the inputs: the results are the
// same for any number).
void threads_of(api::Job& j, std::optional<long long> threads, Words& w) {
  if (!threads) return;
  j.threads = static_cast<int>(std::clamp<long long>(*threads, -1, 1 << 20));
  w.given(Arg::threads, static_cast<double>(*threads));
}

// The horn of `aperture` and `slant` in the unit, recorded in the inputs.
api::Cone cone(double aperture, double slant, Words& w, Result& r) {
  api::Cone c;
  c.aperture = number("aperture", aperture, true);
  if (std::isnan(slant) || (std::isinf(slant) && slant < 0.0)) {
    throw py::value_error("slant: cannot read '" + text(slant) + "' as a finite number or inf");
  }
  c.slant = std::isinf(slant) ? api::Number::of(slant) : number("slant", slant, true);
  w.given(Arg::aperture, aperture);
  w.given(Arg::slant, slant);
  r.inputs["aperture_radius"] = aperture;
  r.inputs["slant_radius"] = slant;
  return c;
}

// The body: the throat recorded in the inputs, the guide's length and wall
// in the unit when given.
void body(api::Body& b, const std::optional<double>& throat, const std::optional<double>& guide_length,
          const std::optional<double>& wall, Words& w, Result& r) {
  if (throat) {
    b.throat = number("throat", *throat, true);
    w.given(Arg::throat, *throat);
    r.inputs["throat_radius"] = *throat;
  }
  if (guide_length) b.guide_length = api::Number::of(finite("guide_length", *guide_length));
  if (wall) b.wall = api::Number::of(finite("wall", *wall));
}

// The parts round the rim, as the command line's --flange and --choke take
// them: flange=(radius[, thickness]), chokes=[(inner, width, depth[, wall[,
// setback]]), ...], in the unit; the request checks them (and refuses them
// without the full wave).
using Parts = std::optional<std::vector<std::vector<double>>>;
void parts(api::Body& b, const std::optional<std::vector<double>>& flange, const Parts& chokes, Words& w,
           Result& r) {
  if (flange) {
    if (flange->empty() || flange->size() > 2) throw py::value_error("flange: give (radius,) or (radius, thickness)");
    b.flange = api::Flange{api::Number::of(finite("flange", (*flange)[0])), std::nullopt};
    if (flange->size() > 1) b.flange->thickness = api::Number::of(finite("flange", (*flange)[1]));
    w.given(Arg::flange, (*flange)[0]);
    r.inputs["flange"] = py::tuple(py::cast(*flange));
  }
  if (!chokes) return;
  py::list given;
  for (const std::vector<double>& c : *chokes) {
    if (c.size() < 3 || c.size() > 5)
      throw py::value_error("chokes: give each ring as (inner, width, depth[, wall[, setback]])");
    api::Choke k{api::Number::of(finite("chokes", c[0])), api::Number::of(finite("chokes", c[1])),
                 api::Number::of(finite("chokes", c[2])), std::nullopt, std::nullopt};
    if (c.size() > 3) k.wall = api::Number::of(finite("chokes", c[3]));
    if (c.size() > 4) k.setback = api::Number::of(finite("chokes", c[4]));
    b.chokes.push_back(k);
    given.append(py::tuple(py::cast(c)));
  }
  if (!chokes->empty()) w.given(Arg::choke, chokes->front().front());
  r.inputs["chokes"] = py::tuple(given);
}

// sweep="fast" or "direct": how the full wave sweeps frequencies.
std::optional<api::SweepMethod> sweep_method(const std::optional<std::string>& how) {
  if (!how) return std::nullopt;
  if (*how != "fast" && *how != "direct") throw py::value_error("sweep: '" + *how + "' is neither 'fast' nor 'direct'");
  return *how == "direct" ? api::SweepMethod::direct : api::SweepMethod::fast;
}

Result design(double freq_ghz, std::optional<double> beamwidth_deg, std::optional<double> gain_db, double level_db,
              std::optional<double> derive_from, const std::string& plane, const py::object& s,
              std::optional<double> throat_radius, bool exact, bool full_wave, std::optional<double> guide_length,
              std::optional<double> wall, std::optional<std::vector<double>> band_ghz, std::optional<long long> threads,
              const std::string& units) {
  // `s` is required; its binding's default is None so that leaving it out
  // is named here rather than answered by pybind11's list of signatures.
  if (s.is_none()) {
    throw py::type_error(
        "design() needs s, the phase deviations S in cycles from 0 to 1: a number, a sequence or an array "
        "(s=0.2, s=[0, 0.1, 0.2])");
  }
  Words w;
  Result r;
  api::DesignRequest q;
  const bool single = start(r, "design", q, exact, full_wave, units);
  q.freq = number("freq_ghz", freq_ghz, true);
  r.inputs["freq_ghz"] = freq_ghz;
  if (gain_db) {
    q.gain = number("gain_db", *gain_db, true);
    w.given(Arg::gain, *gain_db);
    r.inputs["gain_db"] = *gain_db;
  }
  if (beamwidth_deg) {
    q.beamwidth = number("beamwidth_deg", *beamwidth_deg, true);
    w.given(Arg::beamwidth, *beamwidth_deg);
    q.level = level_of(level_db, derive_from, w);
    if (plane != "E" && plane != "H" && plane != "avg") {
      throw py::value_error("plane: '" + plane + "' is none of 'E', 'H' and 'avg'");
    }
    q.plane = plane == "E" ? api::Plane::e : plane == "H" ? api::Plane::h : api::Plane::mean;
    q.plane_text = plane;
    r.inputs["beamwidth_deg"] = *beamwidth_deg;
    r.inputs["level_db"] = level_db;
    r.inputs["plane"] = plane;
  }
  const Column sv = values(s, "s");
  q.s = sweep("s", sv, single);
  body(q.body, throat_radius, guide_length, wall, w, r);
  threads_of(q, threads, w);
  if (band_ghz) {
    if (band_ghz->size() != 2) throw py::value_error("band_ghz: give two frequencies, FMIN and FMAX");
    q.band = api::Band{number("band_ghz", (*band_ghz)[0], single), number("band_ghz", (*band_ghz)[1], single)};
    r.inputs["band_ghz"] = *band_ghz;
  }
  r.inputs["s"] = frozen(sv);
  r.inputs["exact"] = exact;
  r.inputs["full_wave"] = full_wave;
  r.inputs["units"] = units;
  run(api::design, q, w, r);
  return r;
}

Result response(double aperture, double slant, const py::object& freqs_ghz, double level_db,
                std::optional<double> derive_from, std::optional<double> throat_radius, bool exact,
                bool full_wave, std::optional<double> guide_length, std::optional<double> wall,
                const std::optional<std::vector<double>>& flange, const Parts& chokes,
                std::optional<long long> threads, const std::optional<std::string>& how,
                const std::string& units) {
  Words w;
  Result r;
  api::ResponseRequest q;
  const bool single = start(r, "response", q, exact, full_wave, units);
  q.sweep = sweep_method(how);
  if (full_wave) r.inputs["sweep"] = how.value_or("fast");
  q.cone = cone(aperture, slant, w, r);
  q.level = level_of(level_db, derive_from, w);
  const Column f = values(freqs_ghz, "freqs_ghz");
  q.freqs = sweep("freqs_ghz", f, single);
  body(q.body, throat_radius, guide_length, wall, w, r);
  parts(q.body, flange, chokes, w, r);
  threads_of(q, threads, w);
  r.inputs["level_db"] = level_db;
  r.inputs["freqs_ghz"] = frozen(f);
  r.inputs["exact"] = exact;
  r.inputs["full_wave"] = full_wave;
  r.inputs["units"] = units;
  run(api::response, q, w, r);
  return r;
}

Result pattern(double aperture, double slant, double freq_ghz, const py::object& angles_deg, bool exact,
               bool full_wave, std::optional<double> throat_radius, std::optional<double> guide_length,
               std::optional<double> wall, const std::optional<std::vector<double>>& flange, const Parts& chokes,
               std::optional<long long> threads, const std::string& units) {
  Words w;
  Result r;
  api::PatternRequest q;
  const bool single = start(r, "pattern", q, exact, full_wave, units);
  q.freq = number("freq_ghz", freq_ghz, true);
  q.cone = cone(aperture, slant, w, r);
  const Column angles = values(angles_deg, "angles_deg");
  q.angles = sweep("angles_deg", angles, single);
  r.inputs["freq_ghz"] = freq_ghz;
  r.inputs["angles_deg"] = frozen(angles);
  r.inputs["exact"] = exact;
  r.inputs["full_wave"] = full_wave;
  r.inputs["units"] = units;
  body(q.body, throat_radius, guide_length, wall, w, r);
  parts(q.body, flange, chokes, w, r);
  threads_of(q, threads, w);
  run(api::pattern, q, w, r);
  return r;
}

// Whether the argument is one number rather than a sequence: a single value
// is named with its text in a message, as the command line names "--f-over-d 0".
bool scalar(const py::handle& obj) { return py::module_::import("numpy").attr("ndim")(obj).cast<int>() == 0; }

Result feed(double freq_ghz, const py::object& f_over_d, std::optional<double> aperture, std::optional<double> slant,
            const py::object& s, std::optional<double> taper_db, std::optional<double> max_flare_deg, bool full_wave,
            std::optional<double> throat_radius, std::optional<double> guide_length, std::optional<double> wall,
            const std::optional<std::vector<double>>& flange, const Parts& chokes, std::optional<long long> choke_rings,
            bool equal_tapers, bool size_guide, std::optional<long long> threads, const std::string& units) {
  Words w;
  Result r;
  api::FeedRequest q;
  start(r, "feed", q, false, full_wave, units);
  if (!full_wave) q.model = api::Model::aperture;
  q.freq = api::Number::of(finite("freq_ghz", freq_ghz));
  r.inputs["freq_ghz"] = freq_ghz;
  const Column fds = values(f_over_d, "f_over_d");
  q.f_over_d = sweep("f_over_d", fds, false);
  if (!fds.empty() && scalar(f_over_d)) w.given(Arg::f_over_d, fds[0]);
  r.inputs["f_over_d"] = frozen(fds);
  if (aperture && slant) {
    const api::Cone c = cone(*aperture, *slant, w, r);
    q.aperture = c.aperture;
    q.slant = c.slant;
  } else if (aperture || slant) {
    q.aperture = aperture ? api::Number::of(*aperture) : api::Number{};
  }
  if (taper_db) {
    q.taper = api::Number::of(finite("taper_db", *taper_db));
    w.given(Arg::taper, *taper_db);
    if (!aperture && !slant) r.inputs["taper_db"] = *taper_db;
  }
  if (!s.is_none()) {
    const Column sv = values(s, "s");
    q.s = sweep("s", sv, false);
    if (!aperture && !slant) r.inputs["s"] = frozen(sv);
  }
  if (max_flare_deg) {
    q.max_flare = api::Number::of(finite("max_flare_deg", *max_flare_deg));
    w.given(Arg::max_flare, *max_flare_deg);
    r.inputs["max_flare_deg"] = *max_flare_deg;
  }
  r.inputs["full_wave"] = full_wave;
  r.inputs["units"] = units;
  body(q.body, throat_radius, guide_length, wall, w, r);
  parts(q.body, flange, chokes, w, r);
  if (choke_rings) {
    if (*choke_rings < 1 || *choke_rings > 3) throw py::value_error("choke_rings: " + std::to_string(*choke_rings) + " is not 1, 2 or 3");
    q.choke_rings = static_cast<int>(*choke_rings);
    w.given(Arg::choke_design, static_cast<double>(*choke_rings));
    r.inputs["choke_rings"] = *choke_rings;
  }
  if ((equal_tapers || size_guide) && !choke_rings)
    throw py::value_error(std::string(equal_tapers ? "equal_tapers" : "size_guide") + " is a choke design's: give choke_rings");
  q.equal_tapers = equal_tapers;
  q.size_guide = size_guide;
  threads_of(q, threads, w);
  run(api::feed, q, w, r);
  return r;
}

// A column by name: its array, or for "notes" a new list of the rows' note
// names (a copy, so that changing it changes nothing here); KeyError else.
py::object item(const Result& r, const py::str& name) {
  if (name.cast<std::string>() == "notes") return py::cast(r.notes);
  return r.arrays[name];
}

// A number as the HTML table shows it: six significant digits, as numpy and
// pandas show a float64, and "nan", "inf" and "-inf" as numpy spells them.
std::string cell_text(double x) {
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x > 0.0 ? "inf" : "-inf";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", x);
  return buf;
}

std::string escaped(const std::string& s) {
  std::string e;
  for (const char c : s) {
    switch (c) {
      case '&': e += "&amp;"; break;
      case '<': e += "&lt;"; break;
      case '>': e += "&gt;"; break;
      case '"': e += "&quot;"; break;
      default: e += c;
    }
  }
  return e;
}

// Up to this many rows the HTML table shows them all; a longer result shows
// its first and last kEnds rows around a row of ellipses, as pandas does.
constexpr std::size_t kWhole = 20;
constexpr std::size_t kEnds = 10;

// The result as an HTML table (Jupyter's rich display): a caption with the
// command and the size, a header of the column names, each row numbered
// from 0 as the arrays index it.
std::string html(const Result& r) {
  std::vector<py::array_t<double>> arrays;
  for (std::size_t k = 0; k + 1 < r.columns.size(); ++k) {
    arrays.push_back(r.arrays[py::str(r.columns[k])].cast<py::array_t<double>>());
  }
  const std::size_t n = r.rows();
  std::string h = "<table class=\"quaven-result\">\n<caption>quaven.Result: " + escaped(r.command) + ", " +
                  std::to_string(n) + (n == 1 ? " row" : " rows") + " &times; " + std::to_string(r.columns.size()) +
                  " columns</caption>\n<thead><tr><th></th>";
  for (const std::string& c : r.columns) h += "<th>" + escaped(c) + "</th>";
  h += "</tr></thead>\n<tbody>\n";
  const auto line = [&](std::size_t i) {
    h += "<tr><th>" + std::to_string(i) + "</th>";
    for (const auto& a : arrays) h += "<td>" + cell_text(a.at(static_cast<py::ssize_t>(i))) + "</td>";
    h += "<td>" + escaped(r.notes[i]) + "</td></tr>\n";
  };
  if (n <= kWhole) {
    for (std::size_t i = 0; i < n; ++i) line(i);
  } else {
    for (std::size_t i = 0; i < kEnds; ++i) line(i);
    h += "<tr><th>&hellip;</th>";
    for (std::size_t k = 0; k < r.columns.size(); ++k) h += "<td>&hellip;</td>";
    h += "</tr>\n";
    for (std::size_t i = n - kEnds; i < n; ++i) line(i);
  }
  return h + "</tbody>\n</table>";
}

// The result as a pandas DataFrame: the columns in order (the arrays copied,
// so the frame can be changed), the command and the inputs in its attrs.
py::object to_pandas(const Result& r) {
  py::module_ pandas;
  try {
    pandas = py::module_::import("pandas");
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_ImportError)) throw;
    throw py::import_error(
        "Result.to_pandas() needs pandas, which is not installed (Debian: apt-get install python3-pandas); "
        "without it, dict(result) gives the same columns as numpy arrays");
  }
  py::dict data;
  for (const std::string& c : r.columns) data[py::str(c)] = item(r, py::str(c));
  py::object frame = pandas.attr("DataFrame")(data, py::arg("columns") = r.columns, py::arg("copy") = true);
  frame.attr("attrs")["command"] = r.command;
  frame.attr("attrs")["inputs"] = py::dict(r.inputs);
  return frame;
}

const char* const kModuleDoc = R"(Conical TE11 horns as numpy arrays.

design(), response(), pattern() and feed() compute what the command line's
subcommands of the same names compute, for any sequence of S values,
frequencies, angles or f/D (a number, a list or a 1-D numpy array; one row
per value). Each returns a Result: a read-only mapping from the command
line's CSV column names to read-only 1-D float64 numpy arrays (one value per
row; a value that is not finite where the command line leaves a cell empty),
and the rows' validity notes under "notes" (a list of strings, the note
names joined by ';' as in the CSV), with the call's arguments in .inputs.
In Jupyter a Result shows as a table; result.to_pandas() makes a DataFrame.

Lengths are in `units` ("in" or "cm"), frequencies in GHz, angles and
beamwidths in degrees, levels and gain in dB, phase centres in wavelengths
behind the aperture. exact=True uses the double-precision aperture-integral
physics instead of the legacy single-precision models; full_wave=True
(response, pattern and feed, with the feed guide's throat radius) solves the
real metal horn, guide, cone, wall and rim, by a body-of-revolution moment
method, and adds its return loss s11_db with the reflection coefficient's
real and imaginary parts s11_re and s11_im. Bad arguments raise ValueError
or TypeError with the command line's message.

__version__ is the version of the program the module was built with.)";

const char* const kResultDoc = R"(The rows of one call, column by column.

A read-only mapping from the command line's CSV column names, in its order
(r.keys(), iter(r)), to 1-D float64 numpy arrays that cannot be written,
then "notes": a list of each row's note names joined by ';'. r.command is the
subcommand and r.inputs the call's arguments. dict(r) gives plain columns,
r.to_pandas() a DataFrame, and Jupyter shows r as a table.)";

// The flange and choke rings, as response, pattern and feed take them.
#define QUAVEN_PARTS_DOC \
  "  flange      full wave only: (radius,) or (radius, thickness) of a flange\n" \
  "              in the aperture plane, in `units` (thickness default the wall)\n" \
  "  chokes      full wave only: choke rings from the axis outwards, each\n" \
  "              (inner, width, depth[, wall[, setback]]) in `units`: a groove\n" \
  "              open to the front, its walls the horn's wall thick and its\n" \
  "              mouth in the aperture plane unless given\n"

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
  s              required: maximum aperture phase deviations S in cycles,
                 0 to 1: a number, a sequence or a 1-D numpy array; one row
                 each
  throat         radius of the feeding guide in `units`: adds horn_length
                 and a note where the frequency is outside its single-mode band;
                 required with full_wave
  exact          True: the exact aperture-integral physics (beamwidth only)
  full_wave      True: design on the real horn: at each S the aperture whose
                 full-wave beamwidth (or directivity, the lossless horn's
                 gain, for gain_db) is the request, found from aperture
                 theory's by Brent's root finder, some 5 to 9 solutions a row;
                 no design at S = 0 (a horn wider than its guide needs a flare)
  guide_length   full wave only: length of the feed guide in `units`
                 (default 1.5 TE11 cut-off wavelengths of the guide)
  wall           full wave only: wall thickness in `units` (default a
                 twentieth of that wavelength)
  band_ghz       (FMIN, FMAX): sweep each designed horn over this band
  threads        full wave only: threads the solver uses, the same results
                 for any number (default: the environment variable
                 QUAVEN_THREADS, or one per processor)
  units          "in" (default) or "cm": unit of the returned lengths

Returns a Result with the arrays s_cycles, aperture_radius_<units>,
slant_radius_<units>, gain_db, phase_centre_e_wl, phase_centre_h_wl, the
3 and 10 dB beamwidths beamwidth_{e,h}_{3,10}db_deg, flare_half_angle_deg,
cone_length_<units> (and horn_length_<units> with a throat), with full_wave
s11_db, s11_re, s11_im, power_balance and the body (guide_radius_<units>,
guide_length_<units>, wall_<units>), with band_ghz the figure at the band's
edges (beamwidth_band_low_deg and beamwidth_band_high_deg, or gain_band_*_db),
phase_centre_{e,h}_spread_wl and with full_wave s11_band_worst_db, and
notes.)";

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
              gain_db is its directivity, s11_db its return loss and
              s11_re, s11_im its reflection coefficient
  guide_length  full wave only: length of the feed guide in `units`
              (default 1.5 TE11 cut-off wavelengths of the guide, 5.12 throat)
  wall        full wave only: wall thickness in `units`, 0 for a thin wall
              (default a twentieth of that wavelength, 0.171 throat)
)" QUAVEN_PARTS_DOC R"(  threads     full wave only: threads the solver's matrix fill uses, the
              same results for any number (default: the environment
              variable QUAVEN_THREADS, or one per processor)
  sweep       full wave only: "fast" (default) solves a few frequencies
              and interpolates the figures between them, checked
              against direct solves to 0.02 deg of beamwidth, 0.005 dB of
              gain, 0.005 wavelength of phase centre and 0.002 of S11,
              solving directly (note sweep_direct) where it cannot;
              "direct" solves every frequency on its own mesh
  units       "in" (default) or "cm"

Example, the full wave of a horn 2.4 in across with a 1.5 mm wall:
  quaven.response(1.2, 3, [9, 10, 11], full_wave=True, throat=0.45,
                  wall=0.0590551)["s11_db"]

Returns a Result with frequency_ghz, beamwidth_e_<level>_deg (two levels),
phase_centre_e_wl, beamwidth_h_<level>_deg (two), phase_centre_h_wl,
gain_db, s_cycles, aperture_wavelengths, flare_half_angle_deg,
cone_length_<units> (and horn_length_<units> with a throat), with full_wave
s11_db (dB), s11_re and s11_im, the power balance and the body solved
(guide_radius_<units>, guide_length_<units>, wall_<units>; also in
.inputs), and notes, the levels named as in the command line's CSV
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
              (default 1.5 TE11 cut-off wavelengths of the guide, 5.12 throat)
  wall        full wave only: wall thickness in `units`, 0 for a thin wall
              (default a twentieth of that wavelength, 0.171 throat)
)" QUAVEN_PARTS_DOC R"(  threads     full wave only: threads the solver's matrix fill uses, the
              same results for any number (default: the environment
              variable QUAVEN_THREADS, or one per processor)
  units       "in" (default) or "cm"

Returns a Result with angle_deg, amplitude_e_db, phase_e_deg,
amplitude_h_db and phase_h_deg (phases -180 to 180 degrees), in exact and
full-wave mode also the 45-degree plane's amplitude_45_co_db, phase_45_co_deg,
amplitude_45_xp_db and phase_45_xp_deg (Ludwig's third definition), with
full_wave the body solved (guide_radius_<units>, guide_length_<units>,
wall_<units>), and notes.
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
  max_flare_deg  the bound on a designed horn's flare half-angle in degrees
              (above 0, at most 90; default 60); a judged or designed horn
              beyond it is noted flare_beyond_max
  full_wave   True: judge the horn from its full-wave pattern (solved once
              for every f/D; gain_db is its directivity), or design on the
              feed guide at each S of s (required, S > 0): aperture theory's
              aperture polished by full-wave judgements within 25 per cent,
              about a second per row
  throat      full wave only, required: radius of the feed guide in `units`
  guide_length  full wave only: length of the feed guide in `units`
              (default 1.5 TE11 cut-off wavelengths of the guide, 5.12 throat)
  wall        full wave only: wall thickness in `units`, 0 for a thin wall
              (default a twentieth of that wavelength, 0.171 throat)
)" QUAVEN_PARTS_DOC R"(  choke_rings full wave only, with throat and one f/D: design 1, 2 or 3
              choke rings round the open guide of throat, in a flange to
              the last ring, for the best efficiency (give no aperture,
              slant, s, taper, flange or chokes); the row judges the feed
              designed and its body columns give the rings
  equal_tapers  with choke_rings: equal E- and H-plane edge tapers instead
  size_guide  with choke_rings: choose the guide's radius too, within its
              single-mode band (ka 1.93 to 2.39), starting from throat
  threads     full wave only: threads the solver's matrix fill uses, the
              same results for any number (default: the environment
              variable QUAVEN_THREADS, or one per processor)
  units       "in" (default) or "cm": unit of aperture, slant and the
              returned lengths

Returns a Result with f_over_d, rim_half_angle_deg, s_cycles,
aperture_radius_<units>, slant_radius_<units>, aperture_wavelengths, the
aperture, spillover, illumination, phase and polarisation efficiencies
(fractions, at the best focus), aperture_efficiency_at_aperture_plane,
focus_behind_aperture_wl, edge_taper_e_db, edge_taper_h_db, cross_pol_45_db,
gain_db, flare_half_angle_deg, cone_length_<units>, for a design also best
(1 for the best row of its f/D, else 0), with full_wave the return loss
s11_db (dB), s11_re and s11_im, the power balance and the body solved
(guide_radius_<units>, guide_length_<units>, wall_<units>), and notes.)";

}  // namespace
}  // namespace python
}  // namespace quaven

PYBIND11_MODULE(quaven, m) {
  using namespace quaven::python;
  using namespace pybind11::literals;
  m.doc() = kModuleDoc;
  m.attr("__version__") = QUAVEN_VERSION;

  py::class_<Result>(m, "Result", kResultDoc)
      .def_readonly("command", &Result::command, "The subcommand: design, response, pattern or feed.")
      .def_readonly("columns", &Result::columns, "The column names in the command line's order.")
      .def_property_readonly(
          "inputs", [](const Result& r) { return py::module_::import("types").attr("MappingProxyType")(r.inputs); },
          "The arguments of the call, as given (a read-only mapping).")
      .def("__getitem__", &item)
      .def("__contains__",
           [](const Result& r, const py::object& k) {
             return r.arrays.contains(k) || (py::isinstance<py::str>(k) && k.cast<std::string>() == "notes");
           })
      .def("__len__", [](const Result& r) { return r.columns.size(); })
      .def("__iter__", [](const Result& r) { return py::iter(py::cast(r.columns)); })
      .def("keys", [](const Result& r) { return r.columns; })
      .def("items",
           [](const Result& r) {
             py::list l;
             for (const std::string& c : r.columns) l.append(py::make_tuple(c, item(r, py::str(c))));
             return l;
           })
      .def("values",
           [](const Result& r) {
             py::list l;
             for (const std::string& c : r.columns) l.append(item(r, py::str(c)));
             return l;
           })
      .def("to_pandas", &to_pandas,
           "The columns as a pandas DataFrame (a copy), the command and inputs in its attrs. "
           "Raises ImportError where pandas is not installed.")
      .def("_repr_html_", &html, "The result as an HTML table, as Jupyter shows it (long results cut in the middle).")
      .def("__repr__", [](const Result& r) {
        std::string s = "<quaven.Result " + r.command + ": " + std::to_string(r.rows()) + " rows of";
        for (const auto& c : r.columns) s += " " + c;
        return s + ">";
      });

  m.def("design", &design, kDesignDoc, "freq_ghz"_a, "beamwidth_deg"_a = py::none(), py::kw_only(),
        "gain_db"_a = py::none(), "level_db"_a = 3.0, "derive_from"_a = py::none(), "plane"_a = "E", "s"_a = py::none(),
        "throat"_a = py::none(), "exact"_a = false, "full_wave"_a = false, "guide_length"_a = py::none(),
        "wall"_a = py::none(), "band_ghz"_a = py::none(), "threads"_a = py::none(), "units"_a = "in");
  m.def("response", &response, kResponseDoc, "aperture"_a, "slant"_a, "freqs_ghz"_a, py::kw_only(),
        "level_db"_a = 3.0, "derive_from"_a = py::none(), "throat"_a = py::none(), "exact"_a = false,
        "full_wave"_a = false, "guide_length"_a = py::none(), "wall"_a = py::none(), "flange"_a = py::none(),
        "chokes"_a = py::none(), "threads"_a = py::none(), "sweep"_a = py::none(), "units"_a = "in");
  m.def("pattern", &pattern, kPatternDoc, "aperture"_a, "slant"_a, "freq_ghz"_a, "angles_deg"_a, py::kw_only(),
        "exact"_a = false, "full_wave"_a = false, "throat"_a = py::none(), "guide_length"_a = py::none(),
        "wall"_a = py::none(), "flange"_a = py::none(), "chokes"_a = py::none(), "threads"_a = py::none(),
        "units"_a = "in");
  m.def("feed", &feed, kFeedDoc, "freq_ghz"_a, "f_over_d"_a, py::kw_only(), "aperture"_a = py::none(),
        "slant"_a = py::none(), "s"_a = py::none(), "taper_db"_a = py::none(), "max_flare_deg"_a = py::none(),
        "full_wave"_a = false, "throat"_a = py::none(), "guide_length"_a = py::none(), "wall"_a = py::none(),
        "flange"_a = py::none(), "chokes"_a = py::none(), "choke_rings"_a = py::none(), "equal_tapers"_a = false,
        "size_guide"_a = false, "threads"_a = py::none(), "units"_a = "in");
}
