#include "cli/output.h"

#include <stdexcept>
#include <string>

namespace quaven {
namespace cli {

Output::Output(const std::string& format, const std::string& file, std::ostream& out, std::ostream& err,
               bool terminal)
    // "-" is standard output, as in most programs that take a file name.
    : file_(file == "-" ? std::string() : file), out_(out), err_(err), terminal_(terminal), format_(format) {}

void Output::open() {
  dest_ = &out_;
  if (!file_.empty()) {
    std::string error;
    if (!atomic_.open(file_, error)) throw OutputError{error};
    dest_ = &atomic_.stream();
  }
}

std::ostream& Output::begin_raw(long long rows) {
  open();
  progress_ = std::make_unique<Progress>(err_, terminal_, rows);
  total_ = rows;
  if (on_progress) on_progress(0, total_);
  return *dest_;
}

void Output::raw_row() {
  check();
  advance();
}

void Output::note(const std::string& text) { err_ << "quaven: note " << text << "\n"; }

void Output::advance() {
  ++done_;
  report(done_);
}

void Output::computed(long long rows) {
  if (progress_) report(rows < total_ ? rows : total_);
}

// The progress line and the hook hear the most rows done so far, whether
// written or only computed: the rows of a job that computes before it
// writes are counted once.
void Output::report(long long done) {
  if (done <= reported_) return;
  reported_ = done;
  progress_->update(done);
  if (on_progress) on_progress(done, total_);
}

void Output::begin(const api::Head& head) {
  open();
  writer_ = RowWriter::make(format_, *dest_, err_);
  try {
    writer_->begin(head);
  } catch (const std::invalid_argument& e) {
    throw OutputError{std::string("cannot write the ") + format_ + " form: " + e.what()};
  }
  if (on_begin) on_begin(head);
  progress_ = std::make_unique<Progress>(err_, terminal_, head.rows);
  total_ = head.rows;
  check();
  if (on_progress) on_progress(0, total_);
}

void Output::row(const api::Row& row) {
  writer_->row(row);
  check();
  if (on_row) on_row(row);
  advance();
}

void Output::end() {
  progress_->finish();
  // A form written whole at the end (Touchstone) may find then that its
  // rows do not fit it: the file is left as it was.
  try {
    if (writer_) writer_->end();
  } catch (const std::invalid_argument& e) {
    throw OutputError{std::string("cannot write the ") + format_ + " form: " + e.what()};
  }
  if (file_.empty()) {
    dest_->flush();
    check();
    return;
  }
  std::string error;
  if (!atomic_.commit(error)) throw OutputError{error};
}

void Output::check() {
  if (*dest_) return;
  if (progress_) progress_->finish();
  if (file_.empty()) throw OutputError{"cannot write to standard output"};
  // The reason is the one the failed write gave.
  std::string error;
  atomic_.commit(error);
  throw OutputError{error};
}

}  // namespace cli
}  // namespace quaven
