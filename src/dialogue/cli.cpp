// The command-line subcommands. Each one reads its options, computes its rows
// with the same value-returning calls as the dialogue, and writes them in one
// of three forms: the dialogue's fixed-width table, CSV or JSON.
//
// CSV and JSON carry every single-precision value with 9 significant digits,
// enough to recover the float exactly; a value that is not finite is an empty
// CSV cell and a JSON null.
#include "dialogue/cli.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue/answers.h"
#include "dialogue/fields.h"
#include "dialogue/records.h"
#include "horn/chp11.h"
#include "horn/exact.h"
#include "horn/gain_design.h"

#ifndef QUAVEN_VERSION
#define QUAVEN_VERSION "unknown"
#endif

namespace quaven {

bool count_sweep(Sweep& sweep) {
  if (sweep.step == 0.0f) return false;
  const float n = (sweep.last - sweep.first) / sweep.step + 1.4f;
  if (!(n > -2147483648.0f && n < 2147483648.0f)) return false;
  sweep.count = static_cast<int>(n);
  return true;
}

DesignLine design_row(const DesignRequest& r, int i) {
  const float s = r.s.at(i);
  if (r.to_gain) return gain_design_line(r.freq, r.gain, s);
  return design_line(r.freq, curve_beamwidth(r.bw, r.plev, r.ilev), r.ilev, r.iplane, s);
}

HornFigures response_row(const ResponseRequest& r, int i) {
  return response_line(r.f.at(i), r.arad, r.srad, r.plev, r.ilev);
}

PatternRow pattern_row(const PatternRequest& r, int i) {
  constexpr float tr = 0.0174532905f;  // radians per degree
  PatternRow p;
  p.deg = r.angles.at(i);
  const float theta = p.deg * tr;
  chp11(r.freq, r.arad, r.srad, theta, p.ampe, p.amph, p.phe, p.phh);
  return p;
}

namespace {

using Json = nlohmann::ordered_json;

constexpr float bl[4] = {3.0f, 10.0f, 3.0f, 10.0f};  // curve levels, dB

// A bad option or value: the message, and the subcommand whose usage to show.
struct UsageError {
  std::string what;
};

// ---------------------------------------------------------------- numbers

// 9 significant digits recover every float exactly.
std::string g9(float x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(x));
  return buf;
}

Json json_number(float x) {
  if (!std::isfinite(x)) return nullptr;
  return std::strtod(g9(x).c_str(), nullptr);
}

// A real option value, read exactly as the dialogue reads an answer; `inf`
// only where `allow_inf` (an infinite slant radius: S = 0).
float real_value(const std::string& option, const std::string& text, bool allow_inf = false) {
  if (allow_inf && (text == "inf" || text == "+inf")) return INFINITY;
  bool plain = !text.empty();
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',' || c == '/') plain = false;
  }
  float v = 0.0f;
  if (plain) {
    std::istringstream in(text);
    AnswerReader reader(in);
    if (reader.read_reals(&v, 1)) return v;
  }
  throw UsageError{option + ": cannot read '" + text + "' as a finite number"};
}

Sweep sweep_value(const std::string& option, const std::vector<std::string>& texts) {
  Sweep s;
  s.first = real_value(option, texts.at(0));
  s.last = real_value(option, texts.at(1));
  s.step = real_value(option, texts.at(2));
  if (s.step == 0.0f) throw UsageError{option + ": the step must not be 0"};
  if (!count_sweep(s)) throw UsageError{option + ": START STOP STEP give no countable number of values"};
  return s;
}

float positive(const std::string& option, float v) {
  if (!(v > 0.0f)) throw UsageError{option + ": must be greater than 0"};
  return v;
}

// ----------------------------------------------------------------- output

// What a subcommand produces: its inputs, its named columns and rows of
// values for CSV and JSON, and the fixed-width table.
struct Result {
  std::string command;
  Json inputs = Json::object();
  std::vector<std::string> columns;
  std::vector<std::vector<float>> rows;
  std::string table;
  std::string notes;  // for standard error
};

std::string csv(const Result& r) {
  std::string text;
  for (std::size_t k = 0; k < r.columns.size(); ++k) text += (k ? "," : "") + r.columns[k];
  text += "\n";
  for (const auto& row : r.rows) {
    for (std::size_t k = 0; k < row.size(); ++k) {
      if (k) text += ",";
      if (std::isfinite(row[k])) text += g9(row[k]);
    }
    text += "\n";
  }
  return text;
}

std::string json(const Result& r) {
  Json doc;
  doc["command"] = r.command;
  doc["inputs"] = r.inputs;
  doc["columns"] = r.columns;
  Json rows = Json::array();
  for (const auto& row : r.rows) {
    Json o = Json::object();
    for (std::size_t k = 0; k < row.size(); ++k) o[r.columns[k]] = json_number(row[k]);
    rows.push_back(o);
  }
  doc["rows"] = rows;
  return doc.dump(2) + "\n";
}

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

// `text` right-justified in `w` characters.
std::string right(int w, const std::string& text) {
  return text.size() >= static_cast<std::size_t>(w) ? text : blanks(w - static_cast<int>(text.size())) + text;
}

// A level in a column name: 3 -> "3db", 3.5 -> "3.5db".
std::string level_name(float level) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%gdb", static_cast<double>(level));
  return buf;
}

// --------------------------------------------------------------- options

// The options every subcommand takes.
struct Common {
  std::string units = "in";
  std::string format = "table";
  std::string output;
  bool exact = false;
  int iunit() const { return units == "cm" ? 1 : 2; }
  float un() const { return unit_factor[iunit() - 1]; }
};

void add_common(CLI::App* app, Common& c) {
  app->add_option("--units", c.units, "Unit of all lengths, in and out: cm or in (default: in)")
      ->check(CLI::IsMember({"cm", "in"}));
  app->add_option("--format", c.format, "Output form: table, csv or json (default: table)")
      ->check(CLI::IsMember({"table", "csv", "json"}));
  app->add_option("--output", c.output, "Write to FILE instead of standard output")->type_name("FILE");
  app->add_flag("--exact", c.exact,
                "Figures from the aperture integral in double precision instead of the legacy models");
}

// ------------------------------------------------------------- exact mode

constexpr double kClight = 11.80285;  // inches per nanosecond, as the dialogue's c

// The figures of a horn (inches, GHz) in exact mode, at the levels l1 and
// l2 (dB): beamwidths at l1 in bwe3/bwh3 and at l2 in bwe10/bwh10.
HornFigures exact_figures(double f, double arad, double srad, double l1, double l2) {
  const double wl = kClight / f;
  const double s = arad * arad / (2.0 * wl * srad);
  const exact::Figures x = exact::figures(arad / wl, s, l1, l2);
  HornFigures h;
  h.bwe3 = static_cast<float>(x.bwe1);
  h.bwh3 = static_cast<float>(x.bwh1);
  h.bwe10 = static_cast<float>(x.bwe2);
  h.bwh10 = static_cast<float>(x.bwh2);
  h.pce = static_cast<float>(x.pce);
  h.pch = static_cast<float>(x.pch);
  h.gain = static_cast<float>(x.gain);
  return h;
}

// An exact design line: the aperture whose beamwidth at plev dB (as typed)
// is bw at phase deviation s, and its figures at 3 and 10 dB.
DesignLine exact_design_row(const DesignRequest& r, int i) {
  DesignLine d;
  d.s = r.s.at(i);
  const double s = d.s;
  const double wl = kClight / static_cast<double>(r.freq);
  const exact::Plane plane = static_cast<exact::Plane>(r.iplane);
  const double aw = exact::design_aw(s, static_cast<double>(r.bw), static_cast<double>(r.plev), plane);
  const double arad = aw * wl;
  const double srad = arad * arad / (2.0 * wl * s);
  d.aw = static_cast<float>(aw);
  d.arad = static_cast<float>(arad);
  d.srad = static_cast<float>(srad);
  d.fig = exact_figures(static_cast<double>(r.freq), arad, srad, 3.0, 10.0);
  return d;
}

// A pattern row in exact mode, on the scale of chp11: amplitude
// 20 log10((1 + cos theta) pi^2 (a / lambda) |integral|), phase its argument.
PatternRow exact_pattern_row(const PatternRequest& r, int i) {
  constexpr double kPi = 3.14159265358979323846;
  PatternRow p;
  p.deg = r.angles.at(i);
  const double wl = kClight / static_cast<double>(r.freq);
  const double a = r.arad;
  const double aw = a / wl;
  const exact::Horn horn(aw, a * a / (2.0 * wl * static_cast<double>(r.srad)));
  const exact::Field f = horn.field(static_cast<double>(p.deg) * kPi / 180.0);
  const double scale = 2.0 * kPi * kPi * aw;
  p.ampe = static_cast<float>(20.0 * std::log10(scale * std::abs(f.e)));
  p.amph = static_cast<float>(20.0 * std::log10(scale * std::abs(f.h)));
  p.phe = static_cast<float>(std::arg(f.e) * 180.0 / kPi);
  p.phh = static_cast<float>(std::arg(f.h) * 180.0 / kPi);
  return p;
}

// The pattern level and the curve level it is derived from, as the
// dialogue's level and derive prompts settle them: a level of 3 or 10 selects
// that curve; any other needs --derive-from.
struct Level {
  std::string level = "3";
  std::string derive_from;
  CLI::Option* level_opt = nullptr;
  CLI::Option* derive_opt = nullptr;

  void add(CLI::App* app) {
    level_opt = app->add_option("--level", level, "Pattern level of the beamwidths in dB (default: 3)")
                    ->type_name("DB");
    derive_opt = app->add_option("--derive-from", derive_from,
                                 "Curve level to derive another --level from: 3 or 10")
                     ->type_name("3|10")
                     ->check(CLI::IsMember({"3", "10"}));
  }
  // Sets plev and ilev.
  void resolve(float& plev, int& ilev) const {
    plev = real_value("--level", level);
    if (!(plev > 0.0f)) throw UsageError{"--level: must be greater than 0"};
    ilev = 0;
    for (int i = 1; i <= 2; ++i) {
      if (bl[i - 1] == plev) ilev = i;
    }
    const int derive = derive_from.empty() ? 0 : (derive_from == "3" ? 1 : 2);
    if (ilev == 0) {
      if (derive == 0) throw UsageError{"--level " + level + " is neither 3 nor 10: give --derive-from 3 or 10"};
      ilev = derive;
    } else if (derive != 0 && derive != ilev) {
      throw UsageError{"--derive-from " + derive_from + " contradicts --level " + level};
    }
  }
};

// ------------------------------------------------------------ subcommands

struct DesignOptions {
  Common common;
  Level level;
  std::string freq, beamwidth, gain, plane = "E";
  std::vector<std::string> s_range;
  CLI::Option* beamwidth_opt = nullptr;
  CLI::Option* gain_opt = nullptr;
  CLI::Option* plane_opt = nullptr;
};

Result design(const DesignOptions& o) {
  DesignRequest r;
  r.freq = positive("--freq", real_value("--freq", o.freq));
  r.to_gain = o.gain_opt->count() > 0;
  if (r.to_gain == (o.beamwidth_opt->count() > 0)) throw UsageError{"give either --beamwidth or --gain"};
  if (r.to_gain) {
    r.gain = real_value("--gain", o.gain);
  } else {
    r.bw = positive("--beamwidth", real_value("--beamwidth", o.beamwidth));
    o.level.resolve(r.plev, r.ilev);
    r.iplane = o.plane == "E" ? 1 : (o.plane == "H" ? 2 : 3);
  }
  r.s = sweep_value("--s-range", o.s_range);
  if (o.common.exact && r.to_gain) throw UsageError{"--exact designs to a beamwidth, not to a gain"};

  const Common& c = o.common;
  const float un = c.un();
  Result res;
  res.command = "design";
  res.inputs["freq_ghz"] = json_number(r.freq);
  if (c.exact) res.inputs["exact"] = true;
  if (r.to_gain) {
    res.inputs["gain_db"] = json_number(r.gain);
  } else {
    res.inputs["beamwidth_deg"] = json_number(r.bw);
    res.inputs["level_db"] = json_number(r.plev);
    res.inputs["curve_level_db"] = json_number(bl[r.ilev - 1]);
    res.inputs["plane"] = o.plane;
  }
  res.inputs["s_range"] = {json_number(r.s.first), json_number(r.s.last), json_number(r.s.step)};
  res.inputs["units"] = c.units;
  const std::string u = "_" + c.units;
  // The table shows the phase centres as the dialogue does (wavelengths
  // times the unit factor); CSV and JSON name them for what they are.
  res.columns = {"s_cycles",          "aperture_radius" + u, "slant_radius" + u,     "gain_db",
                 "phase_centre_e_wl", "phase_centre_h_wl",   "beamwidth_e_3db_deg", "beamwidth_h_3db_deg",
                 "beamwidth_e_10db_deg", "beamwidth_h_10db_deg"};

  // Design to a gain: the design table with the four beamwidths appended.
  const std::string bw_head = "  E 3 dB  H 3 dB E 10 dB H 10 dB";
  std::string header = design_header();
  if (r.to_gain) header.insert(header.find("E, H") + 4, bw_head);
  res.table = header;
  for (int i = 1; i <= r.s.count; ++i) {
    const DesignLine d = c.exact ? exact_design_row(r, i) : design_row(r, i);
    if (c.exact && std::isnan(d.aw)) {
      res.notes += "quaven: no aperture has a beamwidth of " + g9(r.bw) + " degrees at " + g9(r.plev) + " dB" +
                   " for S = " + g9(d.s) + "\n";
    }
    const HornFigures& h = d.fig;
    res.rows.push_back({d.s, un * d.arad, un * d.srad, h.gain, h.pce, h.pch, h.bwe3, h.bwh3, h.bwe10, h.bwh10});
    std::string line = design_record(d, un);
    if (r.to_gain) {
      line.pop_back();
      line += blanks(2) + fixed(6, 1, h.bwe3) + blanks(2) + fixed(6, 1, h.bwh3) + blanks(2) + fixed(6, 1, h.bwe10) +
              blanks(2) + fixed(6, 1, h.bwh10) + "\n";
    }
    res.table += line;
  }
  return res;
}

struct HornOptions {
  Common common;
  Level level;
  std::string aperture, slant, freq;
  std::vector<std::string> range;
};

// The horn of --aperture and --slant in inches; the typed values go to the
// inputs.
void horn(const HornOptions& o, float& arad, float& srad, Json& inputs) {
  const float a = positive("--aperture", real_value("--aperture", o.aperture));
  const float r = real_value("--slant", o.slant, true);
  inputs["aperture_radius"] = json_number(a);
  inputs["slant_radius"] = json_number(r);
  arad = a / o.common.un();
  srad = r / o.common.un();
}

Result response(const HornOptions& o) {
  ResponseRequest r;
  Result res;
  res.command = "response";
  horn(o, r.arad, r.srad, res.inputs);
  o.level.resolve(r.plev, r.ilev);
  r.f = sweep_value("--freq-range", o.range);

  const Common& c = o.common;
  const float un = c.un();
  res.inputs["level_db"] = json_number(r.plev);
  res.inputs["curve_level_db"] = json_number(bl[r.ilev - 1]);
  if (c.exact) res.inputs["exact"] = true;
  res.inputs["freq_range_ghz"] = {json_number(r.f.first), json_number(r.f.last), json_number(r.f.step)};
  res.inputs["units"] = c.units;
  // The design's column levels: the curve levels with plev at the chosen one.
  float blv[4] = {bl[0], bl[1], bl[2], bl[3]};
  blv[r.ilev - 1] = r.plev;
  blv[r.ilev + 1] = r.plev;
  const std::string u = "_" + c.units;
  res.columns = {"frequency_ghz",
                 "beamwidth_e_" + level_name(blv[0]) + "_deg",
                 "beamwidth_e_" + level_name(blv[1]) + "_deg",
                 "phase_centre_e_wl",
                 "beamwidth_h_" + level_name(blv[2]) + "_deg",
                 "beamwidth_h_" + level_name(blv[3]) + "_deg",
                 "phase_centre_h_wl",
                 "gain_db"};
  res.table = response_header(blv);
  for (int i = 1; i <= r.f.count; ++i) {
    const float fr = r.f.at(i);
    const HornFigures h = c.exact ? exact_figures(static_cast<double>(fr), static_cast<double>(r.arad), static_cast<double>(r.srad),
                                                     static_cast<double>(blv[0]), static_cast<double>(blv[1])) : response_row(r, i);
    res.rows.push_back({fr, h.bwe3, h.bwe10, h.pce, h.bwh3, h.bwh10, h.pch, h.gain});
    res.table += response_record(fr, h, un);
  }
  return res;
}

Result pattern(const HornOptions& o) {
  PatternRequest r;
  Result res;
  res.command = "pattern";
  r.freq = positive("--freq", real_value("--freq", o.freq));
  horn(o, r.arad, r.srad, res.inputs);
  r.angles = sweep_value("--angles", o.range);

  res.inputs["freq_ghz"] = json_number(r.freq);
  res.inputs["angles_deg"] = {json_number(r.angles.first), json_number(r.angles.last), json_number(r.angles.step)};
  res.inputs["units"] = o.common.units;
  if (o.common.exact) res.inputs["exact"] = true;
  res.columns = {"angle_deg", "amplitude_e_db", "phase_e_deg", "amplitude_h_db", "phase_h_deg"};
  res.table = "\n" + right(9, "Angle") + right(21, "E Plane") + right(21, "H Plane") + "\n" + right(9, "(deg)") +
              right(12, "Ampl. (dB)") + right(9, "Phase") + right(12, "Ampl. (dB)") + right(9, "Phase") + "\n\n";
  for (int i = 1; i <= r.angles.count; ++i) {
    const PatternRow p = o.common.exact ? exact_pattern_row(r, i) : pattern_row(r, i);
    res.rows.push_back({p.deg, p.ampe, p.phe, p.amph, p.phh});
    res.table += blanks(1) + fixed(8, 2, p.deg) + blanks(2) + fixed(10, 2, p.ampe) + blanks(2) + fixed(7, 1, p.phe) +
                 blanks(2) + fixed(10, 2, p.amph) + blanks(2) + fixed(7, 1, p.phh) + "\n";
  }
  return res;
}

const char* const kDesignUsage =
    "quaven design --freq GHZ (--beamwidth DEG [--level DB [--derive-from 3|10]] [--plane E|H|avg] | --gain DB)\n"
    "              --s-range START STOP STEP [--exact] [--units cm|in] [--format table|csv|json] [--output FILE]";
const char* const kResponseUsage =
    "quaven response --aperture A --slant R --freq-range START STOP STEP [--level DB [--derive-from 3|10]]\n"
    "                [--exact] [--units cm|in] [--format table|csv|json] [--output FILE]";
const char* const kPatternUsage =
    "quaven pattern --aperture A --slant R --freq GHZ --angles START STOP STEP\n"
    "               [--exact] [--units cm|in] [--format table|csv|json] [--output FILE]";

int usage_error(std::ostream& err, const std::string& what, const std::string& usage, const std::string& help) {
  err << "quaven: " << what << "\nUsage: " << usage << "\nRun '" << help << "' for more information.\n";
  err.flush();
  return 2;
}

}  // namespace

int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"QUAVEN: design a conical TE11 horn to a beamwidth or a gain, and predict its beamwidths, gain,\n"
               "phase centres and radiation pattern. Without arguments it runs the console dialogue.",
               "quaven"};
  app.set_version_flag("--version", std::string("quaven ") + QUAVEN_VERSION);
  app.require_subcommand(1);
  app.footer("See quaven(1) for the columns of each table.");

  // Options every run of their subcommand needs. They are checked after the
  // parse, so that an unknown option is reported as such rather than as a
  // missing one.
  std::vector<std::pair<const CLI::App*, const CLI::Option*>> needed;
  const auto need = [&needed](CLI::App* cmd, const std::string& name, std::string& target, const std::string& what,
                              const std::string& type) {
    CLI::Option* opt = cmd->add_option(name, target, what + " (required)")->type_name(type);
    needed.emplace_back(cmd, opt);
  };
  const auto need_sweep = [&needed](CLI::App* cmd, const std::string& name, std::vector<std::string>& target,
                                    const std::string& what) {
    CLI::Option* opt = cmd->add_option(name, target, what + ": first, last and step (required)")
                           ->type_name("START STOP STEP")
                           ->expected(3);
    needed.emplace_back(cmd, opt);
  };
  const auto need_horn = [&need](CLI::App* cmd, HornOptions& o) {
    need(cmd, "--aperture", o.aperture, "Aperture radius, in --units", "A");
    need(cmd, "--slant", o.slant, "Slant radius, in --units (inf: S = 0)", "R");
  };

  DesignOptions d;
  CLI::App* design_cmd =
      app.add_subcommand("design", "Design table over a sweep of the maximum aperture phase deviation S");
  need(design_cmd, "--freq", d.freq, "Design frequency in GHz", "GHZ");
  d.beamwidth_opt = design_cmd->add_option("--beamwidth", d.beamwidth, "Design beamwidth in degrees, meant at --level")
                        ->type_name("DEG");
  d.level.add(design_cmd);
  d.plane_opt = design_cmd->add_option("--plane", d.plane, "Plane to design in: E, H or avg (default: E)")
                    ->type_name("E|H|avg")
                    ->check(CLI::IsMember({"E", "H", "avg"}));
  d.gain_opt = design_cmd->add_option("--gain", d.gain, "Design to this gain in dB instead of a beamwidth")
                   ->type_name("DB");
  d.gain_opt->excludes(d.beamwidth_opt)->excludes(d.level.level_opt)->excludes(d.level.derive_opt)->excludes(
      d.plane_opt);
  need_sweep(design_cmd, "--s-range", d.s_range, "Sweep of S in cycles");
  add_common(design_cmd, d.common);

  HornOptions r;
  CLI::App* response_cmd =
      app.add_subcommand("response", "Beamwidths, phase centres and gain of a horn over a frequency sweep");
  need_horn(response_cmd, r);
  need_sweep(response_cmd, "--freq-range", r.range, "Frequency sweep in GHz");
  r.level.add(response_cmd);
  add_common(response_cmd, r.common);

  HornOptions p;
  CLI::App* pattern_cmd =
      app.add_subcommand("pattern", "E- and H-plane amplitude and phase of a horn over a sweep of angles");
  need_horn(pattern_cmd, p);
  need(pattern_cmd, "--freq", p.freq, "Frequency in GHz", "GHZ");
  need_sweep(pattern_cmd, "--angles", p.range, "Angles off axis in degrees");
  add_common(pattern_cmd, p.common);

  // The subcommand named on the line, for its usage line.
  std::string usage = "quaven design|response|pattern OPTIONS  (or no arguments for the dialogue)";
  std::string help = "quaven --help";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* u = a == "design" ? kDesignUsage : a == "response" ? kResponseUsage : a == "pattern" ? kPatternUsage
                                                                                                      : nullptr;
    if (u != nullptr) {
      usage = u;
      help = "quaven " + a + " --help";
      break;
    }
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e, out, err);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    return usage_error(err, e.what(), usage, help);
  }
  for (const auto& [cmd, opt] : needed) {
    if (cmd->parsed() && opt->count() == 0) return usage_error(err, opt->get_name() + " is required", usage, help);
  }

  Result res;
  const Common* common = nullptr;
  try {
    if (design_cmd->parsed()) {
      res = design(d);
      common = &d.common;
    } else if (response_cmd->parsed()) {
      res = response(r);
      common = &r.common;
    } else {
      res = pattern(p);
      common = &p.common;
    }
  } catch (const UsageError& e) {
    return usage_error(err, e.what, usage, help);
  }

  err << res.notes;
  const std::string text = common->format == "csv" ? csv(res) : common->format == "json" ? json(res) : res.table;
  if (common->output.empty()) {
    out << text;
    out.flush();
    if (!out) {
      err << "quaven: cannot write to standard output\n";
      return 1;
    }
    return 0;
  }
  std::ofstream file(common->output, std::ios::binary);
  file << text;
  file.close();
  if (!file) {
    err << "quaven: cannot write the output file '" << common->output << "'\n";
    return 1;
  }
  return 0;
}

}  // namespace quaven
