#include "cli/options.h"

#include <cmath>
#include <sstream>

#include "dialogue/answers.h"
#include "dialogue/records.h"
#include "horn/input_checks.h"
#include "horn/levels.h"
#include "numeric/constants.h"

namespace quaven {
namespace cli {
namespace {

// One number alone, read as the dialogue reads an answer, in precision T.
template <typename T>
T read_value(const std::string& option, const std::string& text, bool allow_inf) {
  if (allow_inf && (text == "inf" || text == "+inf")) return static_cast<T>(INFINITY);
  bool plain = !text.empty();
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',' || c == '/') plain = false;
  }
  T v = 0;
  if (plain) {
    std::istringstream in(text);
    AnswerReader reader(in);
    if (reader.read_reals(&v, 1)) return v;
  }
  throw UsageError{option + ": cannot read '" + text + "' as a finite number"};
}

}  // namespace

float real_value(const std::string& option, const std::string& text, bool allow_inf) {
  return read_value<float>(option, text, allow_inf);
}

double exact_value(const std::string& option, const std::string& text, bool allow_inf) {
  return read_value<double>(option, text, allow_inf);
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

BasicSweep<double> exact_sweep(const std::string& option, const std::vector<std::string>& texts,
                               const Sweep& counted) {
  BasicSweep<double> s;
  s.first = exact_value(option, texts.at(0));
  s.last = exact_value(option, texts.at(1));
  s.step = exact_value(option, texts.at(2));
  s.count = counted.count;
  return s;
}

float positive(const std::string& option, float v) {
  const std::string problem = checks::positive(option, static_cast<double>(v));
  if (!problem.empty()) throw UsageError{problem};
  return v;
}

float Common::un() const { return unit_factor[iunit() - 1]; }

double Common::metres_per_unit() const {
  return units == "cm" ? physical::metres_per_cm : physical::metres_per_inch;
}

void add_common(CLI::App* app, Common& c, bool cut) {
  app->add_option("--units", c.units, "Unit of all lengths, in and out: cm or in (default: in)")
      ->check(CLI::IsMember({"cm", "in"}));
  if (cut) {
    app->add_option("--format", c.format,
                    "Output form: table, csv, json, or cut (--exact: the phi = 0, 45 and 90 degree cuts over theta "
                    "from -180 to 180 degrees at the step of --angles, in the TICRA .cut layout) (default: table)")
        ->check(CLI::IsMember({"table", "csv", "json", "cut"}));
  } else {
    app->add_option("--format", c.format, "Output form: table, csv or json (default: table)")
        ->check(CLI::IsMember({"table", "csv", "json"}));
  }
  app->add_option("--output", c.output, "Write to FILE instead of standard output")->type_name("FILE");
  app->add_flag("--exact", c.exact,
                "Figures from the aperture integral in double precision instead of the legacy models");
  app->add_option("--plot", c.plot.file, "Also draw the results into FILE (.svg, .png or .pdf) with gnuplot")
      ->type_name("FILE");
}

void Level::add(CLI::App* app) {
  level_opt = app->add_option("--level", level, "Pattern level of the beamwidths in dB (default: 3)")
                  ->type_name("DB");
  derive_opt = app->add_option("--derive-from", derive_from,
                               "Curve level to derive another --level from: 3 or 10")
                   ->type_name("3|10")
                   ->check(CLI::IsMember({"3", "10"}));
}

void Level::resolve(float& plev, int& ilev, bool exact) const {
  plev = real_value("--level", level);
  const int derive = derive_from.empty() ? 0 : (derive_from == "3" ? 1 : 2);
  const std::string problem =
      checks::level_curve("--level", level, plev, "--derive-from", derive_from, derive, exact, ilev);
  if (!problem.empty()) throw UsageError{problem};
}

}  // namespace cli
}  // namespace quaven
