// Free-form reading of the dialogue's answers.
#pragma once

#include <istream>
#include <string>

namespace quaven {

enum class ReadStatus {
  ok,
  end_of_input,  // standard input ended before every value was read
  unreadable,    // an item is not what was asked for (see ReadResult::item)
};

struct ReadResult {
  ReadStatus status = ReadStatus::ok;
  // The offending item, for the diagnostic: bytes that are not printable
  // ASCII shown as \xNN, and an item longer than 40 characters cut to its
  // first 40 followed by "...".
  std::string item;
  // Why the item is unreadable, in a few words ("not a whole number",
  // "out of range", ...); empty unless status is unreadable.
  std::string reason;
  explicit operator bool() const { return status == ReadStatus::ok; }
};

// Reads answers the way engineers type them: values separated by blanks,
// tabs, commas or line ends; reading goes on over lines until every value is
// read, and the rest of the last line read is discarded. An empty item
// between two commas (or a comma before the first item), or a slash ending
// the answer early, leaves the value already in the variable. A carriage
// return before a line end belongs to the line end.
//
// Items are bounded: one longer than 4096 characters is unreadable, so no
// input, however long its lines, makes the reader hold more than that. After
// an unreadable item the rest of its line is discarded.
class AnswerReader {
 public:
  explicit AnswerReader(std::istream& in);

  // Whole numbers within the 32-bit range, with an optional sign.
  // values[0..n-1]; n <= 0 reads nothing.
  ReadResult read_integers(int* values, int n);
  // Reals with or without a point and exponent (E or D, either case), finite
  // in single precision after correct rounding (a value too small for
  // single precision becomes zero or subnormal and is accepted).
  ReadResult read_reals(float* values, int n);
  // The same in double precision (finite in double).
  ReadResult read_reals(double* values, int n);
  // One whole line; its first 70 characters, trailing blanks removed.
  // end_of_input only when no line is left. `cut`, when given, tells whether
  // anything but blanks stood beyond the 70th character.
  ReadResult read_name(std::string& name, bool* cut = nullptr);

 private:
  template <typename T, typename Parse>
  ReadResult read_values(T* values, int n, Parse parse);
  bool skip_blanks();  // over blanks, tabs and line ends; false at the end
  bool read_token(std::string& token);  // false when longer than the bound
  void discard_line();

  std::istream& in_;
};

}  // namespace quaven
