// The subcommands: options as typed turned into the value API's requests.
#include "cli/subcommands.h"

#include <complex>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
      {Arg::format, "--format"},       {Arg::threads, "--threads"}};
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
bool model(api::Job& j, const Common& c, bool full_wave) {
  j.exact_asked = c.exact;
  j.full_wave_asked = full_wave;
  j.model = full_wave ? api::Model::full_wave : c.exact ? api::Model::aperture : api::Model::legacy;
  j.units = c.unit();
  return j.model == api::Model::legacy;
}

api::Level read_level(Words& w, const Level& level) {
  w.given(Arg::level, "--level", {level.level});
  w.given(Arg::derive_from, "--derive-from", {level.derive_from});
  return level.read();
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
  cone.aperture = read(w, Arg::aperture, "--aperture", o.aperture, true);
  cone.slant = read(w, Arg::slant, "--slant", o.slant, true, true);
}

}  // namespace

void design(const DesignOptions& o, Words& w, Output& out) {
  name_all(w);
  const Common& c = o.common;
  api::DesignRequest q;
  model(q, c, false);
  q.freq = read(w, Arg::freq, "--freq", o.freq, true);
  if (o.gain_opt->count() > 0) q.gain = read(w, Arg::gain, "--gain", o.gain, true);
  if (o.beamwidth_opt->count() > 0) q.beamwidth = read(w, Arg::beamwidth, "--beamwidth", o.beamwidth, true);
  if (!q.gain) q.level = read_level(w, o.level);
  q.plane = o.plane == "E" ? api::Plane::e : o.plane == "H" ? api::Plane::h : api::Plane::mean;
  q.plane_text = o.plane;
  q.s = read_sweep(w, Arg::s, "--s-range", o.s_range);
  if (!o.throat.empty()) q.body.throat = read(w, Arg::throat, "--throat", o.throat, !c.exact);
  api::design(q, out);
}

void response(const HornOptions& o, Words& w, Output& out) {
  name_all(w);
  const Common& c = o.common;
  api::ResponseRequest q;
  const bool single = model(q, c, o.full_wave);
  read_cone(w, o, q.cone);
  q.level = read_level(w, o.level);
  q.freqs = read_sweep(w, Arg::freqs, "--freq-range", o.range);
  read_body(w, o, q.body, single, true);
  read_threads(w, o, q);
  api::response(q, out);
}

void pattern(const HornOptions& o, Words& w, Output& out) {
  name_all(w);
  const Common& c = o.common;
  api::PatternRequest q;
  model(q, c, o.full_wave);
  q.freq = read(w, Arg::freq, "--freq", o.freq, true);
  read_cone(w, o, q.cone);
  q.angles = read_sweep(w, Arg::angles, "--angles", o.range);
  read_body(w, o, q.body, false, false);
  read_threads(w, o, q);
  if (c.format != "cut") {
    api::pattern(q, out);
    return;
  }
  // The phi = 0, 45 and 90 degree cuts over theta = -180 .. 180 degrees at
  // the step of --angles in the .cut layout, fields on the gain scale.
  w.given(Arg::format, "--format", {c.format});
  const api::PolarCuts cuts(q);
  const std::string what = "a = " + o.aperture + " " + c.units + ", R = " + o.slant + " " + c.units + ", " + o.freq +
                           " GHz";
  std::ostream& stream = out.begin_raw(3);
  for (const double phi : {0.0, 45.0, 90.0}) {
    char title[64];
    std::snprintf(title, sizeof title, ", phi = %g deg", phi);
    write_polar_cut(stream, "QUAVEN exact conical TE11 horn, " + what + title, -180.0, cuts.step_deg(), cuts.count(),
                    phi, [&](double th) {
                      CutValue v;
                      cuts.at(th, phi, v.co, v.xp);
                      return v;
                    });
    out.raw_row();
  }
  out.end();
}

void feed(const FeedOptions& o, Words& w, Output& out) {
  name_all(w);
  const Common& c = o.common;
  api::FeedRequest q;
  model(q, c, o.full_wave);
  // The dish feed is aperture theory or the full wave; --exact names the former.
  if (!o.full_wave) q.model = api::Model::aperture;
  q.freq = read(w, Arg::freq, "--freq", o.freq, false);
  if (!o.f_over_d_range.empty() == !o.f_over_d.empty()) throw UsageError{"give either --f-over-d or --f-over-d-range"};
  if (!o.f_over_d_range.empty()) {
    q.f_over_d = read_sweep(w, Arg::f_over_d, "--f-over-d-range", o.f_over_d_range);
  } else {
    q.f_over_d = api::Sweep::list({read(w, Arg::f_over_d, "--f-over-d", o.f_over_d, false)});
  }
  if (!o.aperture.empty()) q.aperture = read(w, Arg::aperture, "--aperture", o.aperture, false);
  if (!o.slant.empty()) q.slant = read(w, Arg::slant, "--slant", o.slant, false, true);
  if (!o.taper.empty()) q.taper = read(w, Arg::taper, "--taper", o.taper, false);
  if (!o.s_range.empty()) q.s = read_sweep(w, Arg::s, "--s-range", o.s_range);
  read_body(w, o, q.body, false, false);
  read_threads(w, o, q);
  api::feed(q, out);
}

}  // namespace cli
}  // namespace quaven
