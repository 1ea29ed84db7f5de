// What a job gives back: a head (the columns with their names, units,
// precision and how the legacy-style table shows them; the request echoed;
// the note key) and then its rows, one at a time, to a Sink, so that a sweep
// of any length runs in constant memory. The formats (text/row_writer.h)
// and the Python arrays are made from these alone.
#pragma once

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "api/refusal.h"
#include "api/validity.h"

namespace quaven {
namespace api {

// One value and the precision it was computed in.
struct Cell {
  double value;
  bool single;  // a float: written as the float's shortest text
};
inline Cell single_cell(float x) { return {static_cast<double>(x), true}; }
inline Cell double_cell(double x) { return {x, false}; }
// A figure of a model in its precision: rounded to float when `single`.
inline Cell cell(double x, bool single) { return single ? single_cell(static_cast<float>(x)) : double_cell(x); }

// The text above a table field on one header line: `before`, then, when
// `level` is a number, the level as a 5-wide field without decimals, then
// `after`.
struct Heading {
  Heading() = default;
  Heading(std::string text) : before(std::move(text)) {}  // NOLINT: a heading is its text
  Heading(std::string b, float l, std::string a) : before(std::move(b)), level(l), after(std::move(a)) {}
  std::string before;
  float level = NAN;
  std::string after;
};

// How the table shows a column: after `gap` blanks, a field `width` wide
// with `decimals` decimals, either the legacy fixed-width field of the value
// in single precision (`unit_scaled`: multiplied first by the unit factor,
// as the legacy tables show phase centres), or printf's of the value in
// double times `factor`; or the mark of a best row ('*', else a blank).
struct Field {
  enum class Style { fixed, printf, mark };
  Style style = Style::fixed;
  int gap = 0;
  int width = 0;
  int decimals = 0;
  bool unit_scaled = false;
  double factor = 1.0;
  std::vector<Heading> head;  // one per header line
};

struct Column {
  std::string name;  // CSV header, JSON key, Python array name
  std::string unit;  // "GHz", "deg", "dB", "in", "wl", "cycles", "" (a ratio or a mark)
  bool single = false;
  double level_db = std::numeric_limits<double>::quiet_NaN();  // a beamwidth's pattern level
};

// The request as given, in order: numbers, lists, words and flags.
class Inputs {
 public:
  struct Item {
    enum class Kind { number, numbers, text, flag };
    std::string key;
    Kind kind;
    std::vector<Cell> cells;
    std::string text;
    bool flag = false;
  };
  void number(const std::string& key, Cell v) { items_.push_back({key, Item::Kind::number, {v}, {}, false}); }
  void numbers(const std::string& key, const std::vector<Cell>& v) {
    items_.push_back({key, Item::Kind::numbers, v, {}, false});
  }
  void text(const std::string& key, const std::string& v) { items_.push_back({key, Item::Kind::text, {}, v, false}); }
  void flag(const std::string& key, bool v) { items_.push_back({key, Item::Kind::flag, {}, {}, v}); }
  const std::vector<Item>& items() const { return items_; }

 private:
  std::vector<Item> items_;
};

// A table column: which of the row's cells, and how it is shown.
struct TableField {
  int column;
  Field field;
};

struct Head {
  std::string command;  // design, response, pattern, feed
  Inputs inputs;
  std::vector<Column> columns;
  // The table's fields in its order, and the number of its header lines.
  std::vector<TableField> table;
  int header_lines = 1;
  float unit_factor = 1.0f;  // for unit-scaled fields
  // The first column's value in a note's list of rows: "S = %", "% GHz".
  std::string key;
  long long rows = 0;  // how many rows will follow
  // A line about the whole run, shown above the table and in a plot's title
  // (the full-wave body solved); empty for none.
  std::string caption;
  // An unchecked request's (the dialogue's): the refusals its checks would
  // have made, its rows computed as given all the same.
  std::vector<Refusal> waived;
  // The index of a column by name, -1 when there is none.
  int index(const std::string& name) const;
};

struct Row {
  std::vector<Cell> cells;
  Notes notes = 0;
};

class Sink {
 public:
  virtual ~Sink() = default;
  virtual void begin(const Head& head) = 0;
  virtual void row(const Row& row) = 0;
  virtual void end() = 0;
  // Rows worked out so far, for a job that computes rows before it writes
  // them (a feed design marks its best row only once every S is known):
  // progress only, nothing is written.
  virtual void computed(long long /*rows*/) {}
};

}  // namespace api
}  // namespace quaven
