#include "cli/output.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>

namespace quaven {
namespace cli {

std::string g9(float x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(x));
  return buf;
}

Json json_number(float x) {
  if (!std::isfinite(x)) return nullptr;
  return std::strtod(g9(x).c_str(), nullptr);
}

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

std::string level_name(float level) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%gdb", static_cast<double>(level));
  return buf;
}

int write_result(const Result& r, const std::string& format, const std::string& output, std::ostream& out,
                 std::ostream& err) {
  err << r.notes;
  const std::string text = format == "csv" ? csv(r) : format == "json" ? json(r) : r.table;
  if (output.empty()) {
    out << text;
    out.flush();
    if (!out) {
      err << "quaven: cannot write to standard output\n";
      return 1;
    }
    return 0;
  }
  std::ofstream file(output, std::ios::binary);
  file << text;
  file.close();
  if (!file) {
    err << "quaven: cannot write the output file '" << output << "'\n";
    return 1;
  }
  return 0;
}

}  // namespace cli
}  // namespace quaven
