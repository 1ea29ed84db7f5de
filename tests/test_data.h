// Reference data stored beside the tests (tests/data), made by the
// high-precision scripts under tests/.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quaven::test {

// Rows of whitespace-separated numbers ("nan" allowed) from tests/data/NAME;
// lines starting with '#' are comments.
inline std::vector<std::vector<double>> read_rows(const std::string& name) {
  std::ifstream in(std::string(QUAVEN_TEST_DATA_DIR) + "/" + name);
  std::vector<std::vector<double>> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    std::vector<double> row;
    std::string tok;
    while (s >> tok) row.push_back(std::strtod(tok.c_str(), nullptr));
    rows.push_back(row);
  }
  return rows;
}

}  // namespace quaven::test
