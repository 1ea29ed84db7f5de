// The command line's output, written row by row as each row is computed, so
// that memory does not grow with the length of a sweep. Three forms:
// - table: the dialogue's fixed-width lines as the caller formats them; the
//   notes of the rows go to standard error at the end, each kind once with
//   the rows it concerns;
// - csv: a header of column names, then one line per row, with a last
//   column `notes` (the rows' note names joined by ';');
// - json: {"command", "inputs", "columns", "rows": [{column: value, ...,
//   "notes": [...]}, ...]}, laid out with an indent of two.
// Numbers in CSV and JSON are the shortest text that reads back to the same
// value, a single-precision value's as a float and a double's as a double;
// a value that is not finite is an empty CSV cell and a JSON null.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "horn/validity.h"

namespace quaven {

// One value and the precision it was computed in.
struct Cell {
  double value;
  bool single;  // a float: written as the float's shortest text
};
inline Cell single_cell(float x) { return {static_cast<double>(x), true}; }
inline Cell double_cell(double x) { return {x, false}; }

// The text of a cell in CSV and JSON: its shortest form, or "" when it is
// not finite.
std::string number_text(const Cell& c);

// The inputs of a run, in order, as JSON values.
class Inputs {
 public:
  void number(const std::string& key, Cell v);
  void numbers(const std::string& key, const std::vector<Cell>& v);
  void text(const std::string& key, const std::string& v);
  void flag(const std::string& key, bool v);
  // Key and JSON text of each value; arrays as their elements' texts.
  struct Item {
    std::string key;
    std::vector<std::string> values;
    bool array;
  };
  const std::vector<Item>& items() const { return items_; }

 private:
  std::vector<Item> items_;
};

class RowWriter {
 public:
  virtual ~RowWriter() = default;
  // "table", "csv" or "json". Rows go to `out`; the table's notes to `err`.
  static std::unique_ptr<RowWriter> make(const std::string& format, std::ostream& out, std::ostream& err);

  // Whether this writer shows the caller's table lines (the caller need not
  // format them otherwise).
  virtual bool table() const { return false; }

  // `columns` are the CSV/JSON names of the cells of each row. `key` names
  // the first column in the table's notes ("S = %", "% GHz": % stands for
  // the value).
  virtual void begin(const std::string& command, const Inputs& inputs, const std::vector<std::string>& columns,
                     const std::string& table_header, const std::string& key) = 0;
  virtual void row(const std::vector<Cell>& cells, Notes notes, const std::string& table_line) = 0;
  virtual void end() = 0;
};

// The rows a kind of note concerns, kept as runs of consecutive row numbers
// (the first few in full, the rest counted), and written as one line.
class NoteRows {
 public:
  void add(long long row, const std::string& key_text);
  long long count() const { return count_; }
  // "at S = 0.1 to 0.3, 0.6 (4 rows)"
  std::string describe(const std::string& key) const;

 private:
  struct Run {
    long long first, last;
    std::string first_text, last_text;
  };
  static constexpr std::size_t kShown = 6;
  std::vector<Run> runs_;
  long long count_ = 0;
  bool more_ = false;
};

}  // namespace quaven
