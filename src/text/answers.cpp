// Free-form reading of the dialogue's answers, in the manner of list-directed
// input: items separated by blanks, tabs, commas and line ends, a null item
// between two commas, a slash ending the answer early.
#include "text/answers.h"

#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <type_traits>

namespace quaven {

namespace {

constexpr std::size_t max_item = 4096;      // longest item read as a value
constexpr std::size_t shown_item = 40;      // longest item quoted in a diagnostic
constexpr std::size_t name_length = 70;     // characters kept of the file name
constexpr int eof = std::char_traits<char>::eof();

bool is_blank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool ends_item(int c) { return c == eof || is_blank(c) || c == ',' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }

// The item as a diagnostic may quote it: printable and of bounded length.
std::string shown(const std::string& item) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  const std::size_t n = item.size() < shown_item ? item.size() : shown_item;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(item[i]);
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 0xf];
    }
  }
  if (item.size() > shown_item) out += "...";
  return out;
}

ReadResult unreadable(const std::string& item, const char* reason) {
  return {ReadStatus::unreadable, shown(item), reason};
}

// Length of the real number at the start of `s` by the grammar
//   [sign] (digits [. [digits]] | . digits) [(E|e|D|d) [sign] digits]
// or 0 when `s` does not start with one.
std::size_t real_length(const std::string& s) {
  std::size_t i = 0;
  if (i < s.size() && is_sign(s[i])) ++i;
  std::size_t mantissa_digits = 0;
  while (i < s.size() && is_digit(s[i])) ++i, ++mantissa_digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && is_digit(s[i])) ++i, ++mantissa_digits;
  }
  if (mantissa_digits == 0) return 0;
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    ++i;
    if (i < s.size() && is_sign(s[i])) ++i;
    std::size_t exponent_digits = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return 0;
  }
  return i;
}

// A whole number within the 32-bit range: [sign] digits.
const char* parse_integer(const std::string& s, int& value) {
  std::size_t i = 0;
  const bool negative = !s.empty() && s[0] == '-';
  if (!s.empty() && is_sign(s[0])) i = 1;
  if (i == s.size()) return "not a number";
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  bool too_large = false;
  for (std::size_t k = i; k < s.size(); ++k) {
    if (!is_digit(s[k])) return real_length(s) == s.size() ? "not a whole number" : "not a number";
    if (!too_large) {
      magnitude = magnitude * 10 + (s[k] - '0');
      too_large = magnitude > limit;
    }
  }
  if (too_large) return "out of range";
  value = static_cast<int>(negative ? -magnitude : magnitude);
  return nullptr;
}

// A real, correctly rounded to the precision of T (float or double) and
// finite there.
template <typename T>
const char* parse_real(const std::string& s, T& value) {
  if (s.empty() || real_length(s) != s.size()) return "not a number";
  // strtof reads the point of the current locale, and knows no D exponent.
  const char point = *std::localeconv()->decimal_point;
  std::string text = s;
  for (char& c : text) {
    if (c == '.') c = point;
    if (c == 'D' || c == 'd') c = 'e';
  }
  char* end = nullptr;
  T v;
  if constexpr (std::is_same_v<T, float>) {
    v = std::strtof(text.c_str(), &end);
  } else {
    v = std::strtod(text.c_str(), &end);
  }
  if (end != text.c_str() + text.size()) return "not a number";
  if (std::isinf(v)) return "out of range";
  value = v;
  return nullptr;
}

}  // namespace

AnswerReader::AnswerReader(std::istream& in) : in_(in) {}

bool AnswerReader::skip_blanks() {
  while (is_blank(in_.peek())) in_.get();
  return in_.peek() != eof;
}

bool AnswerReader::read_token(std::string& token) {
  token.clear();
  while (!ends_item(in_.peek())) {
    const char c = static_cast<char>(in_.get());
    if (token.size() <= max_item) token += c;  // one more marks it too long
  }
  return token.size() <= max_item;
}

void AnswerReader::discard_line() {
  for (int c = in_.get(); c != eof && c != '\n'; c = in_.get()) {
  }
}

template <typename T, typename Parse>
ReadResult AnswerReader::read_values(T* values, int n, Parse parse) {
  std::string token;
  for (int i = 0; i < n; ++i) {
    if (!skip_blanks()) return {ReadStatus::end_of_input, {}, {}};
    const int c = in_.peek();
    if (c == ',') {  // a null item: the value stays as it was
      in_.get();
      continue;
    }
    if (c == '/') {  // the answer ends here; the rest stay as they were
      discard_line();
      return {};
    }
    if (!read_token(token)) {
      discard_line();
      return unreadable(token, "too long");
    }
    T v{};
    if (const char* why = parse(token, v)) {
      discard_line();
      return unreadable(token, why);
    }
    values[i] = v;
    if (i + 1 < n && skip_blanks() && in_.peek() == ',') in_.get();  // this item's separator
  }
  discard_line();
  return {};
}

ReadResult AnswerReader::read_integers(int* values, int n) {
  if (n <= 0) return {};
  return read_values(values, n, parse_integer);
}

ReadResult AnswerReader::read_reals(float* values, int n) {
  if (n <= 0) return {};
  return read_values(values, n, parse_real<float>);
}

ReadResult AnswerReader::read_reals(double* values, int n) {
  if (n <= 0) return {};
  return read_values(values, n, parse_real<double>);
}

ReadResult AnswerReader::read_name(std::string& name, bool* cut) {
  if (cut != nullptr) *cut = false;
  if (in_.peek() == eof) return {ReadStatus::end_of_input, {}, {}};
  std::string line;
  bool cr_pending = false;  // a carriage return that may belong to the line end
  for (int c = in_.get(); c != eof && c != '\n'; c = in_.get()) {
    if (cr_pending && line.size() < name_length) line += '\r';
    cr_pending = (c == '\r');
    if (!cr_pending && line.size() < name_length) {
      line += static_cast<char>(c);
    } else if (!cr_pending && c != ' ' && cut != nullptr) {
      *cut = true;
    }
  }
  const std::size_t end = line.find_last_not_of(' ');
  line.erase(end == std::string::npos ? 0 : end + 1);
  name = line;
  return {};
}

}  // namespace quaven
