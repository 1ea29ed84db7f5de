// Where a subcommand's rows go: standard output or the atomic --output file,
// in the chosen form, each row as soon as it is computed, with a progress
// line on a terminal for long runs.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/atomic_file.h"
#include "cli/progress.h"
#include "cli/row_writer.h"

namespace quaven {
namespace cli {

// The output cannot be written: the message for standard error (exit 1).
struct OutputError {
  std::string what;
};

class Output {
 public:
  // `format` table, csv or json; `file` empty or "-" for `out`. `terminal`:
  // whether `err` is a terminal (for the progress line).
  Output(const std::string& format, const std::string& file, std::ostream& out, std::ostream& err, bool terminal);

  // Opens the destination and writes the head: the command, its inputs and
  // the columns (CSV, JSON) or the table header. `rows` is the number of
  // rows to come, `key` names the first column in the table's notes.
  void begin(const std::string& command, const Inputs& inputs, const std::vector<std::string>& columns,
             const std::string& table_header, const std::string& key, long long rows);
  // For a form with a layout of its own (the .cut form): opens the
  // destination and gives the stream to write to; raw_row() after each unit
  // of `rows`, end() to finish.
  std::ostream& begin_raw(long long rows);
  void raw_row();
  // Whether the table lines are shown (otherwise they need not be made).
  bool table() const { return writer_ && writer_->table(); }
  void row(const std::vector<Cell>& cells, Notes notes, const std::string& table_line);
  // Called with the cells of each row after it is written (e.g. to plot them).
  std::function<void(const std::vector<Cell>&)> on_row;
  // Writes the tail and, for a file, puts it in place.
  void end();

 private:
  void check();

  std::string file_;
  std::ostream& out_;
  std::ostream& err_;
  bool terminal_;
  AtomicFile atomic_;
  std::ostream* dest_ = nullptr;
  std::string format_;
  std::unique_ptr<RowWriter> writer_;
  std::unique_ptr<Progress> progress_;
  long long done_ = 0;
};

}  // namespace cli
}  // namespace quaven
