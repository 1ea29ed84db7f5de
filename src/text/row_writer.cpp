#include "text/row_writer.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "api/request.h"
#include "drawing/touchstone.h"
#include "numeric/shortest.h"
#include "text/fields.h"

namespace quaven {

std::string number_text(const Cell& c) {
  if (!std::isfinite(c.value)) return {};
  return c.single ? shortest(static_cast<float>(c.value)) : shortest(c.value);
}

namespace {

std::string json_string(const std::string& s) {
  std::string t = "\"";
  for (const char ch : s) {
    const unsigned char u = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      t += '\\';
      t += ch;
    } else if (u < 0x20) {
      static const char hex[] = "0123456789abcdef";
      t += "\\u00";
      t += hex[u >> 4];
      t += hex[u & 15];
    } else {
      t += ch;
    }
  }
  return t + "\"";
}

std::string json_number(const Cell& c) {
  const std::string t = number_text(c);
  return t.empty() ? "null" : t;
}

// `values` as a JSON array at `indent` spaces, laid out one element a line.
std::string json_array(const std::vector<std::string>& values, int indent) {
  if (values.empty()) return "[]";
  const std::string pad(static_cast<std::size_t>(indent), ' ');
  std::string t = "[\n";
  for (std::size_t i = 0; i < values.size(); ++i) t += pad + "  " + values[i] + (i + 1 < values.size() ? ",\n" : "\n");
  return t + pad + "]";
}

// The text of a heading, its level (when it has one) a 5-wide field.
std::string heading(const api::Heading& h) {
  return std::isnan(h.level) ? h.before + h.after : h.before + fixed(5, 0, h.level) + h.after;
}

std::string replace_value(const std::string& key, const std::string& value) {
  const std::size_t at = key.find('%');
  return at == std::string::npos ? key + " " + value : key.substr(0, at) + value + key.substr(at + 1);
}

class TableWriter : public RowWriter {
 public:
  TableWriter(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void begin(const api::Head& head) override {
    head_ = head;
    if (!head_.caption.empty()) out_ << head_.caption << "\n";
    out_ << table_header(head_);
  }
  void row(const api::Row& row) override {
    out_ << table_line(head_, row);
    notes_.add(++rows_, row);
  }
  void end() override { notes_.write(err_, head_.key); }

 private:
  std::ostream& out_;
  std::ostream& err_;
  api::Head head_;
  long long rows_ = 0;
  TableNotes notes_;
};

class CsvWriter : public RowWriter {
 public:
  explicit CsvWriter(std::ostream& out) : out_(out) {}
  void begin(const api::Head& head) override {
    for (const auto& c : head.columns) out_ << c.name << ',';
    out_ << "notes\n";
  }
  void row(const api::Row& row) override {
    std::string line;
    for (const Cell& c : row.cells) line += number_text(c) + ',';
    line += note_keys(row.notes);
    line += '\n';
    out_ << line;
  }
  void end() override {}

 private:
  std::ostream& out_;
};

// An input's JSON text.
std::string json_value(const api::Inputs::Item& item) {
  using Kind = api::Inputs::Item::Kind;
  switch (item.kind) {
    case Kind::number:
      return json_number(item.cells.at(0));
    case Kind::numbers: {
      std::vector<std::string> values;
      for (const Cell& c : item.cells) values.push_back(json_number(c));
      return json_array(values, 4);
    }
    case Kind::text:
      return json_string(item.text);
    case Kind::flag:
      return item.flag ? "true" : "false";
  }
  return "null";
}

class JsonWriter : public RowWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  void begin(const api::Head& head) override {
    const auto& items = head.inputs.items();
    std::string t = "{\n  \"command\": " + json_string(head.command) + ",\n  \"inputs\": ";
    if (items.empty()) {
      t += "{}";
    } else {
      t += "{\n";
      for (std::size_t i = 0; i < items.size(); ++i) {
        t += "    " + json_string(items[i].key) + ": " + json_value(items[i]);
        t += i + 1 < items.size() ? ",\n" : "\n";
      }
      t += "  }";
    }
    names_.clear();
    std::vector<std::string> quoted;
    for (const auto& c : head.columns) {
      names_.push_back("      " + json_string(c.name) + ": ");
      quoted.push_back(json_string(c.name));
    }
    quoted.push_back("\"notes\"");
    t += ",\n  \"columns\": " + json_array(quoted, 2) + ",\n  \"rows\": [";
    out_ << t;
  }
  void row(const api::Row& row) override {
    std::string t = first_ ? "\n    {\n" : ",\n    {\n";
    first_ = false;
    for (std::size_t k = 0; k < row.cells.size(); ++k) t += names_.at(k) + json_number(row.cells[k]) + ",\n";
    std::vector<std::string> keys;
    for (int k = 0; k < note_kinds; ++k) {
      if (has_note(row.notes, static_cast<Note>(k))) keys.push_back(json_string(note_key(static_cast<Note>(k))));
    }
    t += "      \"notes\": " + json_array(keys, 6) + "\n    }";
    out_ << t;
  }
  void end() override { out_ << (first_ ? "]\n}\n" : "\n  ]\n}\n"); }

 private:
  std::ostream& out_;
  std::vector<std::string> names_;
  bool first_ = true;
};

// A full-wave response's S11 as a Touchstone file, written whole at the end
// (the format wants its frequencies in increasing order).
class TouchstoneWriter : public RowWriter {
 public:
  TouchstoneWriter(std::ostream& out, touchstone::Form form) : out_(out), form_(form) {}
  void begin(const api::Head& head) override {
    freq_ = head.index("frequency_ghz");
    re_ = head.index("s11_re");
    im_ = head.index("s11_im");
    if (freq_ < 0 || re_ < 0 || im_ < 0) throw std::invalid_argument("a Touchstone file holds a response's S11");
    // The horn as given (lengths in its unit), then the port.
    std::string horn, units = "in";
    double throat = std::nan("");
    for (const api::Inputs::Item& item : head.inputs.items()) {
      if (item.key == "units") units = item.text;
      if (item.key == "throat_radius") throat = item.cells.at(0).value;
      for (const char* length : {"aperture_radius", "slant_radius", "throat_radius", "guide_length", "wall"}) {
        if (item.key != length) continue;
        const Cell& c = item.cells.at(0);
        horn += (horn.empty() ? "" : ", ") + item.key + " " + (std::isinf(c.value) ? "inf" : number_text(c));
      }
    }
    const double metres = api::metres_per_unit(units == "cm" ? api::Units::cm : api::Units::in);
    comments_ = {"QUAVEN " + head.command + ", full-wave model of the conical horn (lengths in " + units + "): " + horn};
    for (const std::string& c : touchstone::horn_port_comments(throat * metres)) comments_.push_back(c);
  }
  void row(const api::Row& row) override {
    const auto at = [&row](int k) { return row.cells.at(static_cast<std::size_t>(k)).value; };
    samples_.push_back({at(freq_), {at(re_), at(im_)}});
  }
  void end() override { out_ << touchstone::s1p(samples_, form_, comments_); }

 private:
  std::ostream& out_;
  touchstone::Form form_;
  int freq_ = -1, re_ = -1, im_ = -1;
  std::vector<std::string> comments_;
  std::vector<touchstone::Sample> samples_;
};

}  // namespace

std::unique_ptr<RowWriter> RowWriter::make(const std::string& format, std::ostream& out, std::ostream& err) {
  if (format == "csv") return std::make_unique<CsvWriter>(out);
  if (format == "json") return std::make_unique<JsonWriter>(out);
  if (format == "touchstone") return std::make_unique<TouchstoneWriter>(out, touchstone::Form::ri);
  if (format == "touchstone-ma") return std::make_unique<TouchstoneWriter>(out, touchstone::Form::ma);
  return std::make_unique<TableWriter>(out, err);
}

void TableNotes::add(long long number, const api::Row& row) {
  if (row.notes == 0) return;
  const std::string key_text = number_text(row.cells.at(0));
  for (int k = 0; k < note_kinds; ++k) {
    if (has_note(row.notes, static_cast<Note>(k))) noted_[static_cast<std::size_t>(k)].add(number, key_text);
  }
}

void TableNotes::write(std::ostream& err, const std::string& key) const {
  for (int k = 0; k < note_kinds; ++k) {
    const NoteRows& rows = noted_[static_cast<std::size_t>(k)];
    if (rows.count() == 0) continue;
    err << "quaven: note " << rows.describe(key) << ": " << note_text(static_cast<Note>(k)) << "\n";
  }
}

void NoteRows::add(long long row, const std::string& key_text) {
  ++count_;
  if (!runs_.empty() && runs_.back().last == row - 1) {
    runs_.back().last = row;
    runs_.back().last_text = key_text;
  } else if (runs_.size() < kShown) {
    runs_.push_back({row, row, key_text, key_text});
  } else {
    more_ = true;
  }
}

std::string NoteRows::describe(const std::string& key) const {
  std::string values;
  for (const Run& r : runs_) {
    if (!values.empty()) values += ", ";
    values += r.first == r.last ? r.first_text : r.first_text + " to " + r.last_text;
  }
  if (more_) values += ", ...";
  return "at " + replace_value(key, values) + " (" + std::to_string(count_) + (count_ == 1 ? " row)" : " rows)");
}

std::string table_header(const api::Head& head) {
  std::string t = "\n";
  for (int k = 0; k < head.header_lines; ++k) {
    for (const api::TableField& f : head.table) {
      if (static_cast<std::size_t>(k) < f.field.head.size()) t += heading(f.field.head[static_cast<std::size_t>(k)]);
    }
    t += "\n";
  }
  return t + "\n";
}

std::string table_line(const api::Head& head, const api::Row& row) {
  std::string t;
  t.reserve(128);
  for (const api::TableField& f : head.table) {
    const api::Field& field = f.field;
    const Cell& c = row.cells.at(static_cast<std::size_t>(f.column));
    switch (field.style) {
      case api::Field::Style::fixed: {
        float v = static_cast<float>(c.value);
        if (field.unit_scaled) v = head.unit_factor * v;
        t += blanks(field.gap) + fixed(field.width, field.decimals, v);
        break;
      }
      case api::Field::Style::printf: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%*.*f", field.width, field.decimals, field.factor * c.value);
        t += blanks(field.gap) + buf;
        break;
      }
      case api::Field::Style::mark:
        t += c.value == 1.0 ? "*" : " ";
        break;
    }
  }
  return t + "\n";
}

}  // namespace quaven
