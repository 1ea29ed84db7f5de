// Reads tests/data/horn_reference.txt, the high-precision references made by
// tests/horn/make_horn_reference.py, one record per line: a kind word then
// numbers ("nan", "inf" and "-inf" allowed).
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quaven_test {

struct ReferenceRow {
  std::string kind;
  std::string name;  // the table of a "window" row, else empty
  std::vector<double> values;
  std::string line;
};

inline std::vector<ReferenceRow> reference_rows(const std::string& kind) {
  std::vector<ReferenceRow> rows;
  std::ifstream in(std::string(QUAVEN_TEST_DATA_DIR) + "/horn_reference.txt");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    ReferenceRow row;
    words >> row.kind;
    if (row.kind != kind) continue;
    if (kind == "window") words >> row.name;
    std::string w;
    while (words >> w) row.values.push_back(std::stod(w));  // stod reads nan and inf
    row.line = line;
    rows.push_back(row);
  }
  return rows;
}

}  // namespace quaven_test
