// Reading the command line's option values: numbers as the dialogue reads its
// answers (in single precision and in double from the same text), sweeps,
// the options every subcommand takes, and the command line's names for the
// arguments of a request in its messages.
#pragma once

#include <CLI/CLI.hpp>
#include <map>
#include <string>
#include <vector>

#include "api/refusal.h"
#include "api/request.h"

namespace quaven {
namespace cli {

// A bad option or value: the message for the usage diagnostic.
struct UsageError {
  std::string what;
};

// A real option value read as the dialogue reads an answer, in single and
// in double precision; `inf` only where `allow_inf` (an infinite slant
// radius: S = 0). With `single` the text must read as a finite float too
// (the legacy models, and every option the command line has always read so);
// without it the float is the double rounded.
api::Number number(const std::string& option, const std::string& text, bool single, bool allow_inf = false);
// START STOP STEP of a sweep option, counted as the legacy programs count.
api::Sweep sweep(api::Arg arg, const std::string& option, const std::vector<std::string>& texts);

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
  bool rows_ok = false;  // a sweep of more than api::max_rows rows
  PlotOptions plot;
  // The options as given, to tell an empty value from none.
  CLI::Option* format_opt = nullptr;
  CLI::Option* output_opt = nullptr;
  CLI::Option* plot_opt = nullptr;
  api::Units unit() const { return units == "cm" ? api::Units::cm : api::Units::in; }
};
// `cut`: the form may also be the .cut layout (the pattern subcommand).
void add_common(CLI::App* app, Common& c, bool cut = false);
// --units and --output alone, for a subcommand that takes no other of these.
void add_units(CLI::App* app, Common& c);
void add_output(CLI::App* app, Common& c);

// The pattern level and the curve it is derived from, as typed.
struct Level {
  std::string level = "3";
  std::string derive_from;
  CLI::Option* level_opt = nullptr;
  CLI::Option* derive_opt = nullptr;

  void add(CLI::App* app);
  api::Level read() const;
};

// The command line's words for a request's arguments: each option's name
// and, once read, its texts as typed ("--freq-range 8 12 0.5").
class Words : public api::Words {
 public:
  void name(api::Arg arg, const std::string& option) { names_[arg] = option; }
  void given(api::Arg arg, const std::string& option, const std::vector<std::string>& texts);
  std::string name(api::Arg arg) const override;
  std::string given(api::Arg arg) const override;

 private:
  std::map<api::Arg, std::string> names_, given_;
};

}  // namespace cli
}  // namespace quaven
