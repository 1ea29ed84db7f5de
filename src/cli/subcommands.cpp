// The subcommands: options as typed turned into the value API's requests.
#include "cli/subcommands.h"

#include <cctype>
#include <algorithm>
#include <array>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "api/jobs.h"
#include "text/cut.h"

namespace quaven {
namespace cli {
namespace {

using api::Arg;

// The command line's names of the arguments every subcommand may meet.
void name_all(Words& w) {
  const std::pair<Arg, const char*> names[] = {
      {Arg::freq, "--freq"},           {Arg::beamwidth, "--beamwidth"},     {Arg::gain, "--gain"},
      {Arg::level, "--level"},         {Arg::derive_from, "--derive-from"}, {Arg::plane, "--plane"},
      {Arg::s, "--s-range"},           {Arg::freqs, "--freq-range"},        {Arg::angles, "--angles"},
      {Arg::aperture, "--aperture"},   {Arg::slant, "--slant"},             {Arg::throat, "--throat"},
      {Arg::guide_length, "--guide-length"}, {Arg::wall, "--wall"},        {Arg::full_wave, "--full-wave"},
      {Arg::exact, "--exact"},         {Arg::f_over_d, "--f-over-d"},       {Arg::taper, "--taper"},
      {Arg::format, "--format"},       {Arg::rows_ok, "--rows-ok"},         {Arg::segments, "--segments"},
      {Arg::max_flare, "--max-flare"}, {Arg::band, "--band"},               {Arg::threads, "--threads"},
      {Arg::sweep, "--sweep"},         {Arg::flange, "--flange"},           {Arg::choke, "--choke"},
      {Arg::profile, "--profile"},     {Arg::choke_design, "--choke-design"}};
  for (const auto& [arg, option] : names) w.name(arg, option);
}

// An option's value read in both precisions and named as typed.
api::Number read(Words& w, Arg arg, const std::string& option, const std::string& text, bool single,
                 bool allow_inf = false) {
  w.given(arg, option, {text});
  return number(option, text, single, allow_inf);
}

api::Sweep read_sweep(Words& w, Arg arg, const std::string& option, const std::vector<std::string>& texts) {
  w.given(arg, option, texts);
  return sweep(arg, option, texts);
}

// The model of --exact and --full-wave (a contradiction is the request's to
// refuse); true for the legacy models, which read in single precision.
bool model(Words& w, api::Job& j, const Common& c, bool full_wave) {
  j.exact_asked = c.exact;
  j.full_wave_asked = full_wave;
  j.rows_ok = c.rows_ok;
  j.touchstone = c.format.rfind("touchstone", 0) == 0;
  w.given(Arg::format, "--format", {c.format});
  j.model = full_wave ? api::Model::full_wave : c.exact ? api::Model::aperture : api::Model::legacy;
  j.units = c.unit();
  return j.model == api::Model::legacy;
}

api::Level read_level(Words& w, const Level& level) {
  w.given(Arg::level, "--level", {level.level});
  w.given(Arg::derive_from, "--derive-from", {level.derive_from});
  return level.read();
}

// A generating curve's file: lines "inner,Z,RHO" and "outer,Z,RHO" (an
// optional header "part,z,rho", blank lines and lines beginning with # are
// skipped), in --units.
api::ProfileCurve read_profile_file(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw UsageError{"--profile " + path + ": cannot open the file"};
  api::ProfileCurve c;
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#' || (n == 1 && line.rfind("part", first) == first)) continue;
    const std::string where = "--profile " + path + ": line " + std::to_string(n);
    std::vector<std::string> f;
    for (std::size_t from = 0;;) {
      const std::size_t comma = line.find(',', from);
      std::string t = line.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
      t.erase(0, t.find_first_not_of(" \t"));
      t.erase(t.find_last_not_of(" \t") + 1);
      f.push_back(t);
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
    if (f.size() != 3 || (f[0] != "inner" && f[0] != "outer"))
      throw UsageError{where + ": '" + line + "' is not inner|outer,Z,RHO"};
    std::array<double, 2> p{};
    try {
      p = {number("z", f[1], false).value, number("rho", f[2], false).value};
    } catch (const UsageError& e) {
      throw UsageError{where + ": " + e.what};
    }
    if (f[0] == "outer") {
      c.outer.push_back(p);
    } else if (!c.outer.empty()) {
      throw UsageError{where + ": an inner point after the outer ones (the inside first, then the outside)"};
    } else {
      c.inner.push_back(p);
    }
  }
  return c;
}

// A comma-separated list of `least` to `most` numbers (in double), as
// --flange and --choke take them.
std::vector<api::Number> read_list(const char* option, const std::string& text, std::size_t least, std::size_t most,
                                   const char* form) {
  std::vector<api::Number> out;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = text.find(',', from);
    out.push_back(number(option, text.substr(from, comma == std::string::npos ? std::string::npos : comma - from),
                         false));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  if (out.size() < least || out.size() > most)
    throw UsageError{std::string(option) + ": '" + text + "' is not " + form};
  return out;
}

// The flange and the choke rings, read only for the full wave (else marked
// given for the request to refuse).
void read_parts(Words& w, const std::string& flange, const std::vector<std::string>& chokes, const std::string& profile,
                api::Body& b, bool read) {
  if (!profile.empty()) {
    w.given(Arg::profile, "--profile", {profile});
    // The guide's refusals (cut-off, TM11) name the profile that gives it.
    if (!b.throat) w.name(Arg::throat, "--profile " + profile + " (its feed guide)");
    if (!b.throat && read) {
      b.profile = read_profile_file(profile);
    } else if (b.throat) {
      throw UsageError{"--profile gives the whole body: leave out --throat"};
    } else {
      b.profile = api::ProfileCurve{};
    }
  }
  if (!flange.empty()) {
    w.given(Arg::flange, "--flange", {flange});
    b.flange = api::Flange{};
    if (read) {
      const std::vector<api::Number> v = read_list("--flange", flange, 1, 2, "RADIUS[,THICKNESS]");
      b.flange->radius = v[0];
      if (v.size() > 1) b.flange->thickness = v[1];
    }
  }
  if (chokes.empty()) return;
  std::string all;
  for (const std::string& c : chokes) all += (all.empty() ? "" : " --choke ") + c;
  w.given(Arg::choke, "--choke", {all});
  for (const std::string& c : chokes) {
    api::Choke k;
    if (read) {
      const std::vector<api::Number> v = read_list("--choke", c, 3, 5, "INNER,WIDTH,DEPTH[,WALL[,SETBACK]]");
      k.inner = v[0];
      k.width = v[1];
      k.depth = v[2];
      if (v.size() > 3) k.wall = v[3];
      if (v.size() > 4) k.setback = v[4];
    }
    b.chokes.push_back(k);
  }
}

// The body round the cone. Its parts are read only for the full wave, in
// double; without it a part given is only marked given, for the request to
// refuse. `throat_single`: the throat is read as the legacy models read it.
void read_body(Words& w, const FullWaveOptions& o, api::Body& b, bool throat_single, bool throat_always) {
  const auto part = [&](Arg arg, const char* option, const std::string& text, bool read, bool single) {
    if (text.empty()) return std::optional<api::Number>();
    if (!read) return std::optional<api::Number>(api::Number{});
    return std::optional<api::Number>(quaven::cli::read(w, arg, option, text, single));
  };
  b.throat = part(Arg::throat, "--throat", o.throat, o.full_wave || throat_always, throat_single && !o.full_wave);
  b.guide_length = part(Arg::guide_length, "--guide-length", o.guide_length, o.full_wave, false);
  b.wall = part(Arg::wall, "--wall", o.wall, o.full_wave, false);
  if (!o.profile.empty() && (!o.guide_length.empty() || !o.wall.empty()))
    throw UsageError{"--profile gives the whole body: leave out --guide-length and --wall"};
  read_parts(w, o.flange, o.chokes, o.profile, b, o.full_wave);
}

// --threads: a whole number, read only for the full wave (without it only
// marked given, for the request to refuse).
void read_threads(Words& w, const FullWaveOptions& o, api::Job& j) {
  if (o.threads.empty()) return;
  w.given(Arg::threads, "--threads", {o.threads});
  if (!o.full_wave) {
    j.threads = 1;
    return;
  }
  const std::string& t = o.threads;
  std::size_t digits = t[0] == '-' || t[0] == '+' ? 1 : 0;
  const std::size_t first = digits;
  while (digits < t.size() && t[digits] >= '0' && t[digits] <= '9') ++digits;
  if (digits == first || digits != t.size()) throw api::Refusal(api::Rule::whole_positive, Arg::threads);
  // Beyond 9 digits only the sign matters (the library takes at most 1024).
  const long n = std::strtol(t.substr(0, std::min<std::size_t>(t.size(), first + 9)).c_str(), nullptr, 10);
  j.threads = static_cast<int>(n);
}

void read_cone(Words& w, const HornOptions& o, api::Cone& cone) {
  if (!o.profile.empty()) {
    // The profile is the whole body: its cone is the profile's own.
    if (!o.aperture.empty() || !o.slant.empty())
      throw UsageError{"--profile gives the whole body: leave out --aperture and --slant"};
    return;
  }
  cone.aperture = read(w, Arg::aperture, "--aperture", o.aperture, true);
  cone.slant = read(w, Arg::slant, "--slant", o.slant, true, true);
}

}  // namespace

void design(const DesignOptions& o, Words& w, Output& out) {
  name_all(w);
  const Common& c = o.common;
  api::DesignRequest q;
  const bool single = model(w, q, c, o.full_wave);
  q.freq = read(w, Arg::freq, "--freq", o.freq, true);
  if (o.gain_opt->count() > 0) q.gain = read(w, Arg::gain, "--gain", o.gain, true);
  if (o.beamwidth_opt->count() > 0) q.beamwidth = read(w, Arg::beamwidth, "--beamwidth", o.beamwidth, true);
  if (!q.gain) q.level = read_level(w, o.level);
  q.plane = o.plane == "E" ? api::Plane::e : o.plane == "H" ? api::Plane::h : api::Plane::mean;
  q.plane_text = o.plane;
  q.s = read_sweep(w, Arg::s, "--s-range", o.s_range);
  read_body(w, o, q.body, single, true);
  read_threads(w, o, q);
  if (!o.band.empty()) {
    w.given(Arg::band, "--band", o.band);
    q.band = api::Band{number("--band", o.band.at(0), single), number("--band", o.band.at(1), single)};
  }
  api::design(q, out);
}

void response(const HornOptions& o, Words& w, Output& out) {
  name_all(w);
  const Common& c = o.common;
  api::ResponseRequest q;
  const bool single = model(w, q, c, o.full_wave);
  read_cone(w, o, q.cone);
  q.level = read_level(w, o.level);
  q.freqs = read_sweep(w, Arg::freqs, "--freq-range", o.range);
  read_body(w, o, q.body, single, true);
  if (!o.sweep.empty()) {
    w.given(Arg::sweep, "--sweep", {o.sweep});
    q.sweep = o.sweep == "direct" ? api::SweepMethod::direct : api::SweepMethod::fast;
  }
  read_threads(w, o, q);
  api::response(q, out);
}

void pattern(const HornOptions& o, Words& w, Output& out) {
  name_all(w);
  const Common& c = o.common;
  api::PatternRequest q;
  model(w, q, c, o.full_wave);
  if (o.freq.empty() && o.freq_range.empty()) throw UsageError{"--freq is required"};
  if (!o.freq.empty()) {
    q.freq = read(w, Arg::freq, "--freq", o.freq, true);
  } else {
    q.freqs = read_sweep(w, Arg::freqs, "--freq-range", o.freq_range);
  }
  read_cone(w, o, q.cone);
  q.angles = read_sweep(w, Arg::angles, "--angles", o.range);
  read_body(w, o, q.body, false, false);
  read_threads(w, o, q);
  if (c.format != "cut") {
    api::pattern(q, out);
    return;
  }
  // The phi = 0, 45 and 90 degree cuts over the --angles grid at each
  // frequency in the .cut layout; a frequency's notes in its cuts' titles
  // and, once each, on standard error.
  api::PolarCuts cuts(q);
  std::ostream& stream = out.begin_raw(3 * cuts.frequencies());
  std::string noted[quaven::note_kinds];
  for (long long i = 0; i < cuts.frequencies(); ++i) {
    cuts.select(i);
    const Notes notes = cuts.notes();
    const std::string title = "QUAVEN " + cuts.title() + (notes ? " (notes: " + note_keys(notes) + ")" : "");
    for (int k = 0; k < quaven::note_kinds; ++k) {
      if (has_note(notes, static_cast<Note>(k))) noted[k] += (noted[k].empty() ? "" : ", ") + cuts.frequency_text();
    }
    for (const double phi : {0.0, 45.0, 90.0}) {
      char phi_text[32];
      std::snprintf(phi_text, sizeof phi_text, ", phi = %g deg", phi);
      write_polar_cut(stream, title + phi_text, cuts.first_deg(), cuts.step_deg(), cuts.count(), phi,
                      [&](double th) {
                        CutValue v;
                        cuts.at(th, phi, v.co, v.xp);
                        return v;
                      });
      out.raw_row();
    }
  }
  out.end();
  for (int k = 0; k < quaven::note_kinds; ++k) {
    if (!noted[k].empty()) out.note("at " + noted[k] + " GHz: " + note_text(static_cast<Note>(k)));
  }
}

void feed(const FeedOptions& o, Words& w, Output& out) {
  name_all(w);
  const Common& c = o.common;
  api::FeedRequest q;
  model(w, q, c, o.full_wave);
  // The dish feed is aperture theory or the full wave; --exact names the former.
  if (!o.full_wave) q.model = api::Model::aperture;
  q.freq = read(w, Arg::freq, "--freq", o.freq, false);
  if (!o.f_over_d_range.empty() == !o.f_over_d.empty()) throw UsageError{"give either --f-over-d or --f-over-d-range"};
  if (!o.f_over_d_range.empty()) {
    q.f_over_d = read_sweep(w, Arg::f_over_d, "--f-over-d-range", o.f_over_d_range);
  } else {
    q.f_over_d = api::Sweep::list({read(w, Arg::f_over_d, "--f-over-d", o.f_over_d, false)});
  }
  if (!o.profile.empty() && (!o.aperture.empty() || !o.slant.empty()))
    throw UsageError{"--profile gives the whole body: leave out --aperture and --slant"};
  if (!o.aperture.empty()) q.aperture = read(w, Arg::aperture, "--aperture", o.aperture, false);
  if (!o.slant.empty()) q.slant = read(w, Arg::slant, "--slant", o.slant, false, true);
  if (!o.taper.empty()) q.taper = read(w, Arg::taper, "--taper", o.taper, false);
  if (!o.s_range.empty()) q.s = read_sweep(w, Arg::s, "--s-range", o.s_range);
  if (!o.max_flare.empty()) q.max_flare = read(w, Arg::max_flare, "--max-flare", o.max_flare, false);
  if (!o.choke_design.empty()) {
    w.given(Arg::choke_design, "--choke-design", {o.choke_design});
    if (o.choke_design.size() != 1 || o.choke_design[0] < '1' || o.choke_design[0] > '3')
      throw UsageError{"--choke-design: '" + o.choke_design + "' is not 1, 2 or 3 (rings)"};
    q.choke_rings = o.choke_design[0] - '0';
  }
  if (o.equal_tapers && !q.choke_rings) throw UsageError{"--equal-tapers is a --choke-design's aim: give --choke-design"};
  q.equal_tapers = o.equal_tapers;
  if (o.size_guide && !q.choke_rings) throw UsageError{"--size-guide is a --choke-design's: give --choke-design"};
  q.size_guide = o.size_guide;
  read_body(w, o, q.body, false, false);
  read_threads(w, o, q);
  api::feed(q, out);
}

std::string geometry_format(const GeometryOptions& o) {
  const Common& c = o.common;
  if (c.format_opt->count() > 0) return c.format;
  const std::string& file = c.output;
  const std::size_t dot = file.rfind('.');
  if (dot == std::string::npos || file.find('/', dot) != std::string::npos) return "table";
  std::string ext = file.substr(dot + 1);
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  for (const char* kind : {"svg", "dxf", "stl", "csv", "json"}) {
    if (ext == kind) return kind;
  }
  return "table";
}

void geometry(const GeometryOptions& o, const std::string& format, Words& w, Output& out) {
  name_all(w);
  w.given(Arg::format, "--format", {format});
  api::GeometryRequest q;
  q.units = o.common.unit();
  if (o.profile.empty()) {
    q.cone.aperture = read(w, Arg::aperture, "--aperture", o.aperture, false);
    q.cone.slant = read(w, Arg::slant, "--slant", o.slant, false, true);
  } else if (!o.aperture.empty() || !o.slant.empty()) {
    throw UsageError{"--profile gives the whole body: leave out --aperture and --slant"};
  }
  const auto part = [&](Arg arg, const char* option, const std::string& text) {
    return text.empty() ? std::optional<api::Number>() : std::optional<api::Number>(read(w, arg, option, text, false));
  };
  q.body.throat = part(Arg::throat, "--throat", o.throat);
  q.body.guide_length = part(Arg::guide_length, "--guide-length", o.guide_length);
  q.body.wall = part(Arg::wall, "--wall", o.wall);
  if (!o.profile.empty() && (!o.guide_length.empty() || !o.wall.empty()))
    throw UsageError{"--profile gives the whole body: leave out --guide-length and --wall"};
  read_parts(w, o.flange, o.chokes, o.profile, q.body, true);
  q.freq = part(Arg::freq, "--freq", o.freq);
  std::optional<long long> segments;
  if (!o.segments.empty()) {
    w.given(Arg::segments, "--segments", {o.segments});
    // A whole number; one too large for a long long is out of range all the same.
    std::size_t used = 0;
    long long n = 0;
    try {
      n = std::stoll(o.segments, &used);
    } catch (const std::out_of_range&) {
      n = std::numeric_limits<long long>::max();
      used = o.segments.size();
    } catch (const std::invalid_argument&) {
      used = 0;
    }
    if (used == 0 || used != o.segments.size()) {
      throw UsageError{"--segments: cannot read '" + o.segments + "' as a whole number"};
    }
    segments = n;
  }
  const api::BodyFile kinds[] = {api::BodyFile::svg, api::BodyFile::dxf, api::BodyFile::stl};
  const char* const names[] = {"svg", "dxf", "stl"};
  for (int k = 0; k < 3; ++k) {
    if (format != names[k]) continue;
    const std::string bytes = api::body_file(q, kinds[k], segments);
    out.begin_raw(1) << bytes;
    out.raw_row();
    out.end();
    return;
  }
  if (segments) throw api::Refusal(api::Rule::segments_need_stl, Arg::segments);
  api::geometry(q, out);
}

}  // namespace cli
}  // namespace quaven
