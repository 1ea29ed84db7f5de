#include "cli/output.h"

#include <cstdio>

namespace quaven {
namespace cli {

Output::Output(const std::string& format, const std::string& file, std::ostream& out, std::ostream& err,
               bool terminal)
    // "-" is standard output, as in most programs that take a file name.
    : file_(file == "-" ? std::string() : file), out_(out), err_(err), terminal_(terminal), format_(format) {
  // Known before the destination is opened, for the caller's table().
  if (format_ != "cut") writer_ = RowWriter::make(format_, out_, err_);
}

std::ostream& Output::begin_raw(long long rows) {
  dest_ = &out_;
  if (!file_.empty()) {
    std::string error;
    if (!atomic_.open(file_, error)) throw OutputError{error};
    dest_ = &atomic_.stream();
  }
  writer_.reset();
  progress_ = std::make_unique<Progress>(err_, terminal_, rows);
  return *dest_;
}

void Output::raw_row() {
  check();
  progress_->update(++done_);
}

void Output::begin(const std::string& command, const Inputs& inputs, const std::vector<std::string>& columns,
                   const std::string& table_header, const std::string& key, long long rows) {
  dest_ = &out_;
  if (!file_.empty()) {
    std::string error;
    if (!atomic_.open(file_, error)) throw OutputError{error};
    dest_ = &atomic_.stream();
  }
  writer_ = RowWriter::make(format_, *dest_, err_);
  writer_->begin(command, inputs, columns, table_header, key);
  progress_ = std::make_unique<Progress>(err_, terminal_, rows);
  check();
}

void Output::row(const std::vector<Cell>& cells, Notes notes, const std::string& table_line) {
  writer_->row(cells, notes, table_line);
  check();
  if (on_row) on_row(cells);
  progress_->update(++done_);
}

void Output::end() {
  progress_->finish();
  if (writer_) writer_->end();
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
