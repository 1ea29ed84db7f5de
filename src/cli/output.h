// What a subcommand produces and the three forms it is written in: the
// dialogue's fixed-width table, CSV and JSON.
//
// CSV and JSON carry every single-precision value with 9 significant digits,
// enough to recover the float exactly; a value that is not finite is an empty
// CSV cell and a JSON null.
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace quaven {
namespace cli {

using Json = nlohmann::ordered_json;

// A subcommand's inputs, its named columns and rows of values for CSV and
// JSON, and the fixed-width table.
struct Result {
  std::string command;
  Json inputs = Json::object();
  std::vector<std::string> columns;
  std::vector<std::vector<float>> rows;
  std::string table;
  std::string notes;  // for standard error
};

// 9 significant digits recover every float exactly.
std::string g9(float x);
// `x` as a JSON number of 9 significant digits; null when not finite.
Json json_number(float x);
// A level in a column name: 3 -> "3db", 3.5 -> "3.5db".
std::string level_name(float level);

std::string csv(const Result& r);
std::string json(const Result& r);

// Writes `r` in `format` to `out`, or to the file `output` when it is not
// empty; the notes go to `err` first. Returns 0, or 1 (after a diagnostic)
// when the text cannot be written.
int write_result(const Result& r, const std::string& format, const std::string& output, std::ostream& out,
                 std::ostream& err);

}  // namespace cli
}  // namespace quaven
