// Reference data stored beside the tests (tests/data), made by the
// high-precision scripts under tests/: the one reader of those files.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quaven::test {

// One line of a data file as whitespace-separated words.
struct Row {
  std::vector<std::string> words;
  std::string line;  // the whole line, for failure messages

  std::size_t size() const { return words.size(); }
  // Word i as a double ("nan", "inf" and "-inf" read as such).
  double operator[](std::size_t i) const { return std::strtod(words.at(i).c_str(), nullptr); }
  // Word i as the float nearest its decimal text (not a double rounded again).
  float single(std::size_t i) const { return std::strtof(words.at(i).c_str(), nullptr); }
};

// The rows of tests/data/NAME; blank lines and lines starting with '#' are
// skipped. With a `kind`, only the rows whose first word it is, without it.
inline std::vector<Row> read_rows(const std::string& name, const std::string& kind = "") {
  const std::string path = std::string(QUAVEN_TEST_DATA_DIR) + "/" + name;
  std::ifstream in(path);
  if (!in) ADD_FAILURE() << "cannot read " << path;
  std::vector<Row> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    Row row;
    row.line = line;
    for (std::string w; s >> w;) row.words.push_back(w);
    if (!kind.empty()) {
      if (row.words.empty() || row.words[0] != kind) continue;
      row.words.erase(row.words.begin());
    }
    if (!row.words.empty()) rows.push_back(row);
  }
  return rows;
}

}  // namespace quaven::test
