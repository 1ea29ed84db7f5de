// Reading the command line's option values: numbers as the dialogue reads its
// answers, sweeps, the options every subcommand takes and the pattern level.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/rows.h"

namespace quaven {
namespace cli {

// A bad option or value: the message for the usage diagnostic.
struct UsageError {
  std::string what;
};

// A real option value, read exactly as the dialogue reads an answer; `inf`
// only where `allow_inf` (an infinite slant radius: S = 0).
float real_value(const std::string& option, const std::string& text, bool allow_inf = false);
// The same value read in double precision, for exact mode.
double exact_value(const std::string& option, const std::string& text, bool allow_inf = false);
// START STOP STEP of a sweep option, counted.
Sweep sweep_value(const std::string& option, const std::vector<std::string>& texts);
// The sweep `counted` (read by sweep_value from the same texts) in double
// precision, with the same count.
BasicSweep<double> exact_sweep(const std::string& option, const std::vector<std::string>& texts,
                               const Sweep& counted);
// `v`, or a UsageError when it is not greater than 0.
float positive(const std::string& option, float v);

// What --plot asks for (and, for the pattern, --plot-polar and --floor).
struct PlotOptions {
  std::string file;         // empty: no plot
  bool polar = false;       // the pattern's power on a polar grid
  double floor_db = -40.0;  // lowest level of the pattern's power, dB below the peak
};

// The options every subcommand takes.
struct Common {
  std::string units = "in";
  std::string format = "table";
  std::string output;
  bool exact = false;
  PlotOptions plot;
  int iunit() const { return units == "cm" ? 1 : 2; }
  // Factor from inches to the unit, as the legacy tables multiply by it.
  float un() const;
  // Metres per unit, for exact mode.
  double metres_per_unit() const;
};
// `cut`: the form may also be the .cut layout (the pattern subcommand).
void add_common(CLI::App* app, Common& c, bool cut = false);

// The pattern level and the curve level it is derived from, as the
// dialogue's level and derive prompts settle them: a level of 3 or 10 selects
// that curve; any other needs --derive-from.
struct Level {
  std::string level = "3";
  std::string derive_from;
  CLI::Option* level_opt = nullptr;
  CLI::Option* derive_opt = nullptr;

  void add(CLI::App* app);
  // Sets plev (as typed) and ilev (the curve, 1: 3 dB, 2: 10 dB).
  // In exact mode no curve is needed and --derive-from is not used.
  void resolve(float& plev, int& ilev, bool exact = false) const;
};

}  // namespace cli
}  // namespace quaven
