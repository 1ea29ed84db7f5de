// A job's head and rows (api/table.h) written as they come, so that memory
// does not grow with the length of a sweep. Three forms:
// - table: the head's caption (when it has one) on a line of its own, then
//   the dialogue's fixed-width lines, each made from the row's cells by the
//   head's table fields; the notes of the rows go to standard error at the
//   end, each kind once with the rows it concerns;
// - csv: a header of column names, then one line per row, with a last
//   column `notes` (the rows' note names joined by ';');
// - json: {"command", "inputs", "columns", "rows": [{column: value, ...,
//   "notes": [...]}, ...]}, laid out with an indent of two.
// Numbers in CSV and JSON are the shortest text that reads back to the same
// value, a single-precision value's as a float and a double's as a double;
// a value that is not finite is an empty CSV cell and a JSON null.
#pragma once

#include <array>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "api/table.h"

namespace quaven {

using api::Cell;

// The text of a cell in CSV and JSON: its shortest form, or "" when it is
// not finite.
std::string number_text(const Cell& c);

// The table's header (its lines between an empty first and last line) and
// the line of one row, from the head's table fields.
std::string table_header(const api::Head& head);
std::string table_line(const api::Head& head, const api::Row& row);

class RowWriter : public api::Sink {
 public:
  // "table", "csv" or "json", or "touchstone" / "touchstone-ma": a
  // full-wave response's S11 as a Touchstone 1.1 file (.s1p; real and
  // imaginary parts, or magnitude and angle), written whole at the end, the
  // port and the horn in its comments. Rows go to `out`; the table's notes
  // to `err`. A Touchstone writer throws std::invalid_argument for a head
  // without S11 and, at the end, for rows the format cannot hold (see
  // touchstone::s1p).
  static std::unique_ptr<RowWriter> make(const std::string& format, std::ostream& out, std::ostream& err);
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

// The notes of a table's rows, each kind once with the rows it concerns,
// as the table form writes them to standard error after its lines
// ("quaven: note at S = 0.1 to 0.3 (3 rows): ...").
class TableNotes {
 public:
  // Row `number` (from 1) and its notes, the row named by its first cell.
  void add(long long number, const api::Row& row);
  void write(std::ostream& err, const std::string& key) const;

 private:
  std::array<NoteRows, note_kinds> noted_;
};

}  // namespace quaven
