#include "cli/options.h"

#include <cmath>
#include <sstream>

#include "dialogue/answers.h"
#include "dialogue/records.h"

namespace quaven {
namespace cli {
namespace {
constexpr float bl[4] = {3.0f, 10.0f, 3.0f, 10.0f};  // curve levels, dB
}  // namespace

float real_value(const std::string& option, const std::string& text, bool allow_inf) {
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

float Common::un() const { return unit_factor[iunit() - 1]; }

void add_common(CLI::App* app, Common& c) {
  app->add_option("--units", c.units, "Unit of all lengths, in and out: cm or in (default: in)")
      ->check(CLI::IsMember({"cm", "in"}));
  app->add_option("--format", c.format, "Output form: table, csv or json (default: table)")
      ->check(CLI::IsMember({"table", "csv", "json"}));
  app->add_option("--output", c.output, "Write to FILE instead of standard output")->type_name("FILE");
  app->add_flag("--exact", c.exact,
                "Figures from the aperture integral in double precision instead of the legacy models");
}

void Level::add(CLI::App* app) {
  level_opt = app->add_option("--level", level, "Pattern level of the beamwidths in dB (default: 3)")
                  ->type_name("DB");
  derive_opt = app->add_option("--derive-from", derive_from,
                               "Curve level to derive another --level from: 3 or 10")
                   ->type_name("3|10")
                   ->check(CLI::IsMember({"3", "10"}));
}

void Level::resolve(float& plev, int& ilev) const {
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

}  // namespace cli
}  // namespace quaven
