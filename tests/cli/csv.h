// The command line's CSV read back (RFC 4180: quoted fields, doubled quotes,
// CRLF), its cells addressed by column name.
#pragma once

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace quaven {

// Every line's fields, the header first.
inline std::vector<std::vector<std::string>> read_csv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        rows.back().back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        rows.back().back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\n') {
      rows.emplace_back(1);
    } else if (c != '\r') {
      rows.back().back() += c;
    }
  }
  if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
  return rows;
}

// The rows under their header.
class Csv {
 public:
  explicit Csv(const std::string& text) : lines_(read_csv(text)) {
    if (lines_.empty()) throw std::runtime_error("CSV without a header");
  }
  std::size_t size() const { return lines_.size() - 1; }
  const std::vector<std::string>& columns() const { return lines_[0]; }
  // Row i's (from 0) cell of the named column, as text.
  const std::string& text(std::size_t i, const std::string& column) const {
    for (std::size_t k = 0; k < lines_[0].size(); ++k) {
      if (lines_[0][k] == column) return lines_.at(i + 1).at(k);
    }
    throw std::out_of_range("no column " + column);
  }
  // The same as a number, not-a-number for an empty cell.
  double operator()(std::size_t i, const std::string& column) const {
    const std::string& t = text(i, column);
    return t.empty() ? NAN : std::stod(t);
  }

 private:
  std::vector<std::vector<std::string>> lines_;
};

}  // namespace quaven
