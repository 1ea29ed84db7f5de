// The command line: the options of each subcommand, their parse, and the
// dispatch to the subcommand whose table is then written.
#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/options.h"
#include "cli/output.h"
#include "cli/subcommands.h"

#ifndef QUAVEN_VERSION
#define QUAVEN_VERSION "unknown"
#endif

namespace quaven {
namespace {

using namespace cli;

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

  return write_result(res, common->format, common->output, out, err);
}

}  // namespace quaven
