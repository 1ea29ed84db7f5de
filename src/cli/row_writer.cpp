#include "cli/row_writer.h"

#include <array>
#include <cmath>

#include "numeric/shortest.h"

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

std::string replace_value(const std::string& key, const std::string& value) {
  const std::size_t at = key.find('%');
  return at == std::string::npos ? key + " " + value : key.substr(0, at) + value + key.substr(at + 1);
}

class TableWriter : public RowWriter {
 public:
  TableWriter(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  bool table() const override { return true; }
  void begin(const std::string&, const Inputs&, const std::vector<std::string>&, const std::string& header,
             const std::string& key) override {
    key_ = key;
    out_ << header;
  }
  void row(const std::vector<Cell>& cells, Notes notes, const std::string& line) override {
    ++rows_;
    out_ << line;
    for (int k = 0; k < note_kinds; ++k) {
      if (has_note(notes, static_cast<Note>(k))) noted_[k].add(rows_, number_text(cells.at(0)));
    }
  }
  void end() override {
    for (int k = 0; k < note_kinds; ++k) {
      if (noted_[k].count() == 0) continue;
      err_ << "quaven: note " << noted_[k].describe(key_) << ": " << note_text(static_cast<Note>(k)) << "\n";
    }
  }

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::string key_;
  long long rows_ = 0;
  std::array<NoteRows, note_kinds> noted_;
};

class CsvWriter : public RowWriter {
 public:
  explicit CsvWriter(std::ostream& out) : out_(out) {}
  void begin(const std::string&, const Inputs&, const std::vector<std::string>& columns, const std::string&,
             const std::string&) override {
    for (const auto& c : columns) out_ << c << ',';
    out_ << "notes\n";
  }
  void row(const std::vector<Cell>& cells, Notes notes, const std::string&) override {
    std::string line;
    for (const Cell& c : cells) line += number_text(c) + ',';
    line += note_keys(notes);
    line += '\n';
    out_ << line;
  }
  void end() override {}

 private:
  std::ostream& out_;
};

class JsonWriter : public RowWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}
  void begin(const std::string& command, const Inputs& inputs, const std::vector<std::string>& columns,
             const std::string&, const std::string&) override {
    std::string t = "{\n  \"command\": " + json_string(command) + ",\n  \"inputs\": ";
    if (inputs.items().empty()) {
      t += "{}";
    } else {
      t += "{\n";
      for (std::size_t i = 0; i < inputs.items().size(); ++i) {
        const Inputs::Item& item = inputs.items()[i];
        t += "    " + json_string(item.key) + ": " + (item.array ? json_array(item.values, 4) : item.values.at(0));
        t += i + 1 < inputs.items().size() ? ",\n" : "\n";
      }
      t += "  }";
    }
    names_.clear();
    std::vector<std::string> quoted;
    for (const auto& c : columns) {
      names_.push_back("      " + json_string(c) + ": ");
      quoted.push_back(json_string(c));
    }
    quoted.push_back("\"notes\"");
    t += ",\n  \"columns\": " + json_array(quoted, 2) + ",\n  \"rows\": [";
    out_ << t;
  }
  void row(const std::vector<Cell>& cells, Notes notes, const std::string&) override {
    std::string t = first_ ? "\n    {\n" : ",\n    {\n";
    first_ = false;
    for (std::size_t k = 0; k < cells.size(); ++k) t += names_.at(k) + json_number(cells[k]) + ",\n";
    std::vector<std::string> keys;
    for (int k = 0; k < note_kinds; ++k) {
      if (has_note(notes, static_cast<Note>(k))) keys.push_back(json_string(note_key(static_cast<Note>(k))));
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

}  // namespace

void Inputs::number(const std::string& key, Cell v) { items_.push_back({key, {json_number(v)}, false}); }

void Inputs::numbers(const std::string& key, const std::vector<Cell>& v) {
  Item item{key, {}, true};
  for (const Cell& c : v) item.values.push_back(json_number(c));
  items_.push_back(item);
}

void Inputs::text(const std::string& key, const std::string& v) { items_.push_back({key, {json_string(v)}, false}); }

void Inputs::flag(const std::string& key, bool v) { items_.push_back({key, {v ? "true" : "false"}, false}); }

std::unique_ptr<RowWriter> RowWriter::make(const std::string& format, std::ostream& out, std::ostream& err) {
  if (format == "csv") return std::make_unique<CsvWriter>(out);
  if (format == "json") return std::make_unique<JsonWriter>(out);
  return std::make_unique<TableWriter>(out, err);
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

}  // namespace quaven
