// The command line: the options of each subcommand, their parse, and the
// dispatch to the subcommand whose table is then written.
#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/options.h"
#include "cli/output.h"
#include "cli/plot.h"
#include "cli/plots.h"
#include "cli/subcommands.h"

#ifndef QUAVEN_VERSION
#define QUAVEN_VERSION "unknown"
#endif

namespace quaven {
namespace {

using namespace cli;

const char* const kDesignUsage =
    "quaven design --freq GHZ (--beamwidth DEG [--level DB [--derive-from 3|10]] [--plane E|H|avg] | --gain DB)\n"
    "              --s-range START STOP STEP [--band FMIN FMAX] [--throat B]\n"
    "              [--exact | --full-wave [--guide-length L] [--wall T] [--threads N]] [--units cm|in]\n"
    "              [--format table|csv|json] [--output FILE] [--plot FILE] [--rows-ok]";
const char* const kResponseUsage =
    "quaven response --aperture A --slant R --freq-range START STOP STEP [--level DB [--derive-from 3|10]]\n"
    "                [--throat B] [--exact | --full-wave [--guide-length L] [--wall T] [--threads N]\n"
    "                [--sweep fast|direct] [--flange R[,T]] [--choke I,W,D[,T[,S]]]... [--profile FILE]]\n"
    "                [--units cm|in] [--format table|csv|json|touchstone|touchstone-ma] [--output FILE]\n"
    "                [--plot FILE] [--rows-ok]";
const char* const kPatternUsage =
    "quaven pattern --aperture A --slant R (--freq GHZ | --freq-range START STOP STEP --format cut)\n"
    "               --angles START STOP STEP\n"
    "               [--exact | --full-wave --throat B [--guide-length L] [--wall T] [--threads N]\n"
    "               [--flange R[,T]] [--choke I,W,D[,T[,S]]]... [--profile FILE]]\n"
    "               [--units cm|in] [--format table|csv|json|cut] [--output FILE]\n"
    "               [--plot FILE [--plot-polar] [--floor DB]] [--rows-ok]";
const char* const kFeedUsage =
    "quaven feed --freq GHZ (--f-over-d X | --f-over-d-range START STOP STEP)\n"
    "            [--aperture A --slant R | [--s-range START STOP STEP] [--taper DB]] [--max-flare DEG]\n"
    "            [--full-wave --throat B [--guide-length L] [--wall T] [--threads N]\n"
    "            [--flange R[,T]] [--choke I,W,D[,T[,S]]]... [--profile FILE]\n"
    "            [--choke-design RINGS [--equal-tapers]]]\n"
    "            [--units cm|in] [--format table|csv|json] [--output FILE] [--plot FILE] [--rows-ok]";
const char* const kGeometryUsage =
    "quaven geometry --aperture A --slant R --throat B [--guide-length L] [--wall T] [--freq GHZ]\n"
    "                [--flange R[,T]] [--choke I,W,D[,T[,S]]]... [--profile FILE]\n"
    "                [--units cm|in] [--format table|csv|json|svg|dxf|stl] [--segments N] [--output FILE]";

// The number of single-character edits that turn `a` into `b`.
std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

// The message for a first argument that is no subcommand, or "" when it is
// one or an option.
std::string unknown_subcommand(const std::string& word) {
  const char* const names[] = {"design", "response", "pattern", "feed", "geometry"};
  if (word.empty() || word[0] == '-') return {};
  std::string nearest;
  std::size_t best = 3;  // suggest only what is at most two edits away
  for (const char* n : names) {
    if (word == n) return {};
    const std::size_t d = edit_distance(word, n);
    if (d < best) {
      best = d;
      nearest = n;
    }
  }
  return "'" + word + "' is not a subcommand; the subcommands are design, response, pattern, feed and geometry" +
         (nearest.empty() ? std::string() : " (did you mean '" + nearest + "'?)");
}

int usage_error(std::ostream& err, const std::string& what, const std::string& usage, const std::string& help) {
  err << "quaven: " << what << "\nUsage: " << usage << "\nRun '" << help << "' for more information.\n";
  err.flush();
  return 2;
}

void add_throat(CLI::App* app, std::string& throat) {
  app->add_option("--throat", throat,
                  "Radius of the feeding guide at the throat, in --units: adds the horn's length and a note where the "
                  "frequency is outside the guide's single-mode band")
      ->type_name("B");
}

// --flange and --choke: the parts round the rim. `lead` begins the texts.
void add_parts(CLI::App* app, std::string& flange, std::vector<std::string>& chokes, const std::string& lead) {
  app->add_option("--flange", flange,
                  lead + " flange in the aperture plane: its outer radius (at least the rim's, aperture and wall) "
                         "and thickness (default: the wall's), in --units")
      ->type_name("RADIUS[,THICKNESS]");
  app->add_option("--choke", chokes,
                  lead + " choke ring (repeat for more, from the axis outwards): the groove's inner radius (at least "
                         "the rim's), width and depth, its walls' thickness (default: the horn's wall) and its "
                         "mouth's setback behind the aperture plane (default 0), in --units")
      ->type_name("INNER,WIDTH,DEPTH[,WALL[,SETBACK]]");
}

// --profile: a whole generating curve in place of the cone, guide and wall.
void add_profile(CLI::App* app, std::string& profile, const std::string& lead) {
  app->add_option("--profile", profile,
                  lead + " body of revolution from its generating curve in place of --aperture, --slant, --throat and "
                         "the wall: a CSV file of lines inner,Z,RHO from the back plate's centre along the inside (the "
                         "feed guide first) to the mouth, then outer,Z,RHO from the mouth's outside back to the axis, "
                         "in --units")
      ->type_name("FILE");
}

// --full-wave and the parts of the body it needs besides the horn's radii.
void add_full_wave(CLI::App* app, FullWaveOptions& o) {
  app->add_flag("--full-wave", o.full_wave,
                "Figures from the full-wave (body-of-revolution moment-method) solution of the real horn; needs "
                "--throat");
  app->add_option("--guide-length", o.guide_length,
                  "With --full-wave: length of the feed guide, in --units (default: 1.5 times the guide's TE11 "
                  "cut-off wavelength 2 pi B / 1.8412, whatever the frequencies)")
      ->type_name("L");
  app->add_option("--wall", o.wall,
                  "With --full-wave: wall thickness, in --units, 0 for a thin wall (default: a twentieth of the "
                  "guide's TE11 cut-off wavelength, 0.171 B)")
      ->type_name("T");
  add_parts(app, o.flange, o.chokes, "With --full-wave: a");
  add_profile(app, o.profile, "With --full-wave: a");
  app->add_option("--threads", o.threads,
                  "With --full-wave: threads the solver's matrix fill uses, the same results for any number "
                  "(default: the environment variable QUAVEN_THREADS, or one per processor)")
      ->type_name("N");
}

// --sweep: how response's full wave sweeps frequencies.
void add_sweep(CLI::App* app, FullWaveOptions& o) {
  app->add_option("--sweep", o.sweep,
                  "With --full-wave: fast (default) solves a few frequencies and interpolates the "
                  "figures between them, checked against direct solves to within 0.02 deg of beamwidth, 0.005 dB "
                  "of gain, 0.005 wavelength of phase centre and 0.002 of S11, and solves directly about any "
                  "frequency where it cannot (noted); direct solves every frequency on its own mesh")
      ->type_name("fast|direct")
      ->check(CLI::IsMember({"fast", "direct"}));
}

// --throat where only the full-wave model needs it (pattern, feed).
void add_guide_throat(CLI::App* app, FullWaveOptions& o) {
  app->add_option("--throat", o.throat, "With --full-wave: radius of the feed guide, in --units")->type_name("B");
}

}  // namespace

int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, Terminals terminals,
            const ProgressHook& progress) {
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
  const auto need_horn = [&need](CLI::App* cmd, std::string& aperture, std::string& slant) {
    need(cmd, "--aperture", aperture, "Aperture radius, in --units", "A");
    need(cmd, "--slant", slant, "Slant radius, in --units (inf: S = 0)", "R");
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
  d.gain_opt = design_cmd->add_option("--gain", d.gain, "Design to this gain in dB instead of a beamwidth (with --full-wave: the directivity of the lossless horn, its "
                   "realised gain lower by the mismatch loss)")
                   ->type_name("DB");
  d.gain_opt->excludes(d.beamwidth_opt)->excludes(d.level.level_opt)->excludes(d.level.derive_opt)->excludes(
      d.plane_opt);
  need_sweep(design_cmd, "--s-range", d.s_range, "Sweep of S in cycles, within 0 to 1");
  design_cmd
      ->add_option("--band", d.band,
                   "Sweep each designed horn over this band in GHz: the design figure at both edges, the phase "
                   "centres' spread and (--full-wave) the worst S11, from five frequencies")
      ->type_name("FMIN FMAX")
      ->expected(2);
  add_throat(design_cmd, d.throat);
  add_full_wave(design_cmd, d);
  add_common(design_cmd, d.common);

  HornOptions r;
  CLI::App* response_cmd =
      app.add_subcommand("response", "Beamwidths, phase centres and gain of a horn over a frequency sweep");
  need_horn(response_cmd, r.aperture, r.slant);
  need_sweep(response_cmd, "--freq-range", r.range, "Frequency sweep in GHz");
  r.level.add(response_cmd);
  add_throat(response_cmd, r.throat);
  add_full_wave(response_cmd, r);
  add_sweep(response_cmd, r);
  add_common(response_cmd, r.common);

  HornOptions p;
  CLI::App* pattern_cmd =
      app.add_subcommand("pattern", "E- and H-plane amplitude and phase of a horn over a sweep of angles");
  need_horn(pattern_cmd, p.aperture, p.slant);
  CLI::Option* pattern_freq =
      pattern_cmd->add_option("--freq", p.freq, "Frequency in GHz (or --freq-range)")->type_name("GHZ");
  pattern_cmd
      ->add_option("--freq-range", p.freq_range,
                   "With --format cut: the cuts at each frequency of this sweep in GHz, one file: first, last and step")
      ->type_name("START STOP STEP")
      ->expected(3)
      ->excludes(pattern_freq);
  need_sweep(pattern_cmd, "--angles", p.range, "Angles off axis in degrees");
  add_guide_throat(pattern_cmd, p);
  add_full_wave(pattern_cmd, p);
  add_common(pattern_cmd, p.common, true);
  pattern_cmd->add_flag("--plot-polar", p.common.plot.polar, "Draw the power of the --plot on a polar grid");
  std::string floor_db;
  pattern_cmd->add_option("--floor", floor_db, "Lowest level of the --plot in dB below the peak (default: -40)")
      ->type_name("DB");

  FeedOptions f;
  CLI::App* feed_cmd = app.add_subcommand(
      "feed", "A horn as the feed of a paraboloid: efficiency and its factors, best focus, edge tapers, cross-polar; "
              "judged, or designed for the dish (exact aperture integral, or --full-wave: the real horn)");
  need(feed_cmd, "--freq", f.freq, "Frequency in GHz", "GHZ");
  CLI::Option* fd_opt = feed_cmd->add_option("--f-over-d", f.f_over_d, "The dish's focal length over its diameter")
                            ->type_name("X");
  feed_cmd->add_option("--f-over-d-range", f.f_over_d_range, "Sweep of f/D instead of --f-over-d: first, last and step")
      ->type_name("START STOP STEP")
      ->expected(3)
      ->excludes(fd_opt);
  CLI::Option* ap_opt = feed_cmd->add_option("--aperture", f.aperture, "Aperture radius of a horn to judge, in --units")
                            ->type_name("A");
  CLI::Option* sl_opt =
      feed_cmd->add_option("--slant", f.slant, "Slant radius of a horn to judge, in --units (inf: S = 0)")->type_name("R");
  feed_cmd->add_option("--s-range", f.s_range,
                       "Design over this sweep of S in cycles, within 0 to 1 (default: one row at the best S)")
      ->type_name("START STOP STEP")
      ->expected(3)
      ->excludes(ap_opt)
      ->excludes(sl_opt);
  feed_cmd->add_option("--taper", f.taper, "Design to this edge taper in dB (mean of E and H planes, below 0)")
      ->type_name("DB")
      ->excludes(ap_opt)
      ->excludes(sl_opt);
  feed_cmd
      ->add_option("--max-flare", f.max_flare,
                   "Bound on a designed horn's flare half-angle in degrees, above 0 and at most 90 (default: 60, as "
                   "wide-flare feeds go); a judged or designed horn beyond it is noted")
      ->type_name("DEG");
  add_guide_throat(feed_cmd, f);
  add_full_wave(feed_cmd, f);
  feed_cmd
      ->add_option("--choke-design", f.choke_design,
                   "With --full-wave and --throat, one --f-over-d: design 1 to 3 choke rings round the open guide "
                   "(in a flange to the last ring) for the best efficiency, from the rules of thumb (a quarter "
                   "wavelength deep, a quarter beyond the rim) polished by full-wave judgements")
      ->type_name("RINGS");
  feed_cmd->add_flag("--equal-tapers", f.equal_tapers,
                     "With --choke-design: equal E- and H-plane edge tapers rather than the best efficiency");
  feed_cmd->add_flag("--size-guide", f.size_guide,
                     "With --choke-design: choose the guide's radius too, within its single-mode band (ka 1.93 to "
                     "2.39), starting from --throat; its length and wall stay as given");
  add_common(feed_cmd, f.common);

  GeometryOptions g;
  CLI::App* geometry_cmd = app.add_subcommand(
      "geometry", "The horn's body as the full wave solves it: its dimensions, a dimensioned section (SVG, DXF) or "
                  "its solid (STL)");
  need_horn(geometry_cmd, g.aperture, g.slant);
  need(geometry_cmd, "--throat", g.throat, "Radius of the feed guide, in --units", "B");
  geometry_cmd->add_option("--guide-length", g.guide_length,
                           "Length of the feed guide, in --units (default: 1.5 times the guide's TE11 cut-off "
                           "wavelength, as --full-wave takes it)")
      ->type_name("L");
  geometry_cmd->add_option("--wall", g.wall,
                           "Wall thickness, in --units, 0 for a thin wall, thinner than the guide's radius (default: "
                           "a twentieth of the guide's TE11 cut-off wavelength)")
      ->type_name("T");
  add_parts(geometry_cmd, g.flange, g.chokes, "A");
  add_profile(geometry_cmd, g.profile, "A");
  geometry_cmd->add_option("--freq", g.freq,
                           "Frequency in GHz the horn is for: the guide must carry TE11 alone there and the solver "
                           "take the body")
      ->type_name("GHZ");
  add_units(geometry_cmd, g.common);
  g.common.format_opt =
      geometry_cmd
          ->add_option("--format", g.common.format,
                       "Output form: table, csv or json (the dimensions), svg or dxf (the dimensioned section, in "
                       "--units), or stl (the solid, binary, in millimetres) (default: from the --output file's "
                       "extension, else table)")
          ->check(CLI::IsMember({"table", "csv", "json", "svg", "dxf", "stl"}));
  add_output(geometry_cmd, g.common);
  geometry_cmd->add_option("--segments", g.segments,
                           "With stl: steps round the axis, 3 to 3600 (default: 360, one a degree)")
      ->type_name("N");

  // The subcommand named on the line, for its usage line.
  std::string usage = "quaven design|response|pattern|feed|geometry OPTIONS  (or no arguments for the dialogue)";
  std::string help = "quaven --help";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* u = a == "design"     ? kDesignUsage
                    : a == "response" ? kResponseUsage
                    : a == "pattern"  ? kPatternUsage
                    : a == "feed"     ? kFeedUsage
                    : a == "geometry" ? kGeometryUsage
                                      : nullptr;
    if (u != nullptr) {
      usage = u;
      help = "quaven " + a + " --help";
      break;
    }
  }

  if (argc > 1) {
    const std::string unknown = unknown_subcommand(argv[1]);
    if (!unknown.empty()) return usage_error(err, unknown, usage, help);
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
    if (!cmd->parsed() || opt->count() > 0) continue;
    // A profile is the whole body: the cone and the guide are its own.
    const std::string name = opt->get_name();
    const CLI::Option* profile = cmd->get_option_no_throw("--profile");
    if (profile && profile->count() > 0 && (name == "--aperture" || name == "--slant" || name == "--throat")) continue;
    return usage_error(err, name + " is required", usage, help);
  }

  const Common& common = design_cmd->parsed()     ? d.common
                         : response_cmd->parsed() ? r.common
                         : feed_cmd->parsed()     ? f.common
                         : geometry_cmd->parsed() ? g.common
                                                  : p.common;
  const std::string& plot_file = common.plot.file;
  const bool to_file = !common.output.empty() && common.output != "-";
  const std::string format = geometry_cmd->parsed() ? geometry_format(g) : common.format;
  try {
    // An empty name is a mistake (an unset shell variable, say), not a
    // request for standard output.
    if (common.output_opt->count() > 0 && common.output.empty()) {
      throw UsageError{"--output: the file name is empty ('-' is standard output)"};
    }
    if (common.plot_opt != nullptr && common.plot_opt->count() > 0 && plot_file.empty()) {
      throw UsageError{"--plot: the file name is empty"};
    }
    if (plot_file.empty() && p.common.plot.polar) throw UsageError{"--plot-polar draws the --plot: give --plot FILE"};
    if (plot_file.empty() && !floor_db.empty()) throw UsageError{"--floor is the --plot's floor: give --plot FILE"};
    // A binary file would only garble a terminal.
    if (format == "stl" && !to_file && terminals.out) {
      throw UsageError{"--format stl: a binary file is not written to a terminal; give --output FILE"};
    }
    if (!floor_db.empty()) {
      const float f = number("--floor", floor_db, true).single;
      if (!(f < 0.0f)) throw UsageError{"--floor: must be below 0 dB"};
      p.common.plot.floor_db = static_cast<double>(f);
    }
    if (!plot_file.empty()) {
      if (plot_file == common.output) throw UsageError{"--plot and --output name the same file"};
      try {
        plot::format_of(plot_file);
      } catch (const plot::Error& e) {
        throw UsageError{e.what()};
      }
    }
  } catch (const UsageError& e) {
    return usage_error(err, e.what, usage, help);
  }
  // A plot that cannot be drawn (no gnuplot, no folder to write in) is
  // refused before any work.
  std::unique_ptr<RowPlot> plot;
  if (!plot_file.empty()) {
    try {
      plot::check(plot_file);
    } catch (const plot::Error& e) {
      err << "quaven: " << e.what() << "\n";
      return 1;
    }
    plot = design_cmd->parsed()     ? design_plot(d)
           : response_cmd->parsed() ? response_plot(r)
           : feed_cmd->parsed()     ? feed_plot(f)
                                    : pattern_plot(p);
  }

  const bool on_terminal = terminals.err && (to_file || !terminals.out);
  Output output(format, common.output, out, err, on_terminal);
  output.on_progress = progress;
  // The plot takes the head, then each row as it is written.
  if (plot) {
    output.on_begin = [&plot](const api::Head& head) { plot->begin(head); };
    output.on_row = [&plot](const api::Row& row) { plot->add(row); };
  }
  Words words;
  try {
    if (design_cmd->parsed()) {
      design(d, words, output);
    } else if (response_cmd->parsed()) {
      response(r, words, output);
    } else if (feed_cmd->parsed()) {
      feed(f, words, output);
    } else if (geometry_cmd->parsed()) {
      geometry(g, format, words, output);
    } else {
      pattern(p, words, output);
    }
  } catch (const UsageError& e) {
    return usage_error(err, e.what, usage, help);
  } catch (const api::Refusal& e) {
    return usage_error(err, api::message(e, words), usage, help);
  } catch (const OutputError& e) {
    err << "quaven: " << e.what << "\n";
    return 1;
  }
  if (plot) {
    try {
      plot::write(plot->figure(), plot_file);
    } catch (const plot::Error& e) {
      err << "quaven: " << e.what() << "\n";
      return 1;
    }
  }
  return 0;
}

}  // namespace quaven
