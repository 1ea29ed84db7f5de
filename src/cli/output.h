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
#include "api/table.h"
#include "text/row_writer.h"

namespace quaven {
namespace cli {

// The output cannot be written: the message for standard error (exit 1).
struct OutputError {
  std::string what;
};

class Output : public api::Sink {
 public:
  // `format` table, csv or json; `file` empty or "-" for `out`. `terminal`:
  // whether `err` is a terminal (for the progress line).
  Output(const std::string& format, const std::string& file, std::ostream& out, std::ostream& err, bool terminal);

  // Opens the destination and writes the head: the command, its inputs and
  // the columns (CSV, JSON) or the table header.
  void begin(const api::Head& head) override;
  void row(const api::Row& row) override;
  // Reports rows computed ahead of those written as progress.
  void computed(long long rows) override;
  // Writes the tail and, for a file, puts it in place.
  void end() override;
  // For a form with a layout of its own (the .cut form): opens the
  // destination and gives the stream to write to; raw_row() after each unit
  // of `rows`, end() to finish.
  std::ostream& begin_raw(long long rows);
  void raw_row();
  // A note on standard error ("quaven: note TEXT"), for a form with a layout
  // of its own, whose notes the row writer does not name.
  void note(const std::string& text);
  // Called with the head, and with each row after it is written (to plot them).
  std::function<void(const api::Head&)> on_begin;
  std::function<void(const api::Row&)> on_row;
  // Called with the rows done and the rows to come: at the start, then
  // after each row computed or written, never going back.
  std::function<void(long long done, long long total)> on_progress;

 private:
  void open();
  void check();
  void advance();
  void report(long long done);

  std::string file_;
  std::ostream& out_;
  std::ostream& err_;
  bool terminal_;
  AtomicFile atomic_;
  std::ostream* dest_ = nullptr;
  std::string format_;
  std::unique_ptr<RowWriter> writer_;
  std::unique_ptr<Progress> progress_;
  long long done_ = 0;      // rows written
  long long reported_ = 0;  // rows reported done: computed or written
  long long total_ = 0;
};

}  // namespace cli
}  // namespace quaven
