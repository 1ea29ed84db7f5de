#include "cli/options.h"

#include <cmath>
#include <sstream>

#include "text/answers.h"

namespace quaven {
namespace cli {
namespace {

// One number alone, read as the dialogue reads an answer, in precision T;
// false when it is not one finite number.
template <typename T>
bool read_value(const std::string& text, bool allow_inf, T& v) {
  if (allow_inf && (text == "inf" || text == "+inf")) {
    v = static_cast<T>(INFINITY);
    return true;
  }
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ',' || c == '/') return false;
  }
  if (text.empty()) return false;
  std::istringstream in(text);
  AnswerReader reader(in);
  return static_cast<bool>(reader.read_reals(&v, 1));
}

}  // namespace

api::Number number(const std::string& option, const std::string& text, bool single, bool allow_inf) {
  api::Number n;
  const bool f = read_value(text, allow_inf, n.single);
  if ((single && !f) || !read_value(text, allow_inf, n.value)) {
    throw UsageError{option + ": cannot read '" + text + "' as a finite number"};
  }
  if (!f) n.single = static_cast<float>(n.value);
  return n;
}

api::Sweep sweep(api::Arg arg, const std::string& option, const std::vector<std::string>& texts) {
  return api::Sweep::counted(arg, number(option, texts.at(0), true), number(option, texts.at(1), true),
                             number(option, texts.at(2), true));
}

void add_units(CLI::App* app, Common& c) {
  app->add_option("--units", c.units, "Unit of all lengths, in and out: cm or in (default: in)")
      ->check(CLI::IsMember({"cm", "in"}));
}

void add_output(CLI::App* app, Common& c) {
  c.output_opt = app->add_option("--output", c.output, "Write to FILE instead of standard output ('-': standard output)")
                     ->type_name("FILE");
}

void add_common(CLI::App* app, Common& c, bool cut) {
  add_units(app, c);
  const std::string touchstone =
      "touchstone or touchstone-ma (response --full-wave: S11 as a Touchstone 1.1 .s1p file, real and imaginary "
      "parts or magnitude and angle)";
  if (cut) {
    c.format_opt = app->add_option("--format", c.format,
                                   "Output form: table, csv, json, " + touchstone +
                                       ", or cut (--exact or --full-wave: the phi = 0, 45 and 90 degree cuts over "
                                       "the theta of --angles, ascending within -180 to 180 with 0 on the grid, in "
                                       "the TICRA .cut layout, at --freq or each frequency of --freq-range) "
                                       "(default: table)")
                       ->check(CLI::IsMember({"table", "csv", "json", "touchstone", "touchstone-ma", "cut"}));
  } else {
    c.format_opt = app->add_option("--format", c.format, "Output form: table, csv, json, " + touchstone + " (default: table)")
                       ->check(CLI::IsMember({"table", "csv", "json", "touchstone", "touchstone-ma"}));
  }
  add_output(app, c);
  app->add_flag("--exact", c.exact,
                "Figures from the aperture integral in double precision instead of the legacy models");
  c.plot_opt = app->add_option("--plot", c.plot.file, "Also draw the results into FILE (.svg, .png or .pdf) with gnuplot")
                   ->type_name("FILE");
  app->add_flag("--rows-ok", c.rows_ok,
                "Run a sweep of more than 10000000 rows (refused without it, as a step too small is more likely)");
}

void Level::add(CLI::App* app) {
  level_opt = app->add_option("--level", level, "Pattern level of the beamwidths in dB (default: 3)")
                  ->type_name("DB");
  derive_opt = app->add_option("--derive-from", derive_from,
                               "Curve level to derive another --level from: 3 or 10")
                   ->type_name("3|10")
                   ->check(CLI::IsMember({"3", "10"}));
}

api::Level Level::read() const {
  api::Level l;
  l.db = number("--level", level, true);
  l.derive_from = derive_from.empty() ? 0 : (derive_from == "3" ? 1 : 2);
  return l;
}

void Words::given(api::Arg arg, const std::string& option, const std::vector<std::string>& texts) {
  names_[arg] = option;
  std::string t = option;
  for (const auto& x : texts) t += " " + x;
  given_[arg] = t;
}

std::string Words::name(api::Arg arg) const {
  const auto it = names_.find(arg);
  return it == names_.end() ? std::string() : it->second;
}

std::string Words::given(api::Arg arg) const {
  const auto it = given_.find(arg);
  return it == given_.end() ? name(arg) : it->second;
}

}  // namespace cli
}  // namespace quaven
