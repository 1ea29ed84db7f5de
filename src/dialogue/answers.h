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
  std::string item;  // the offending item, for the diagnostic
  explicit operator bool() const { return status == ReadStatus::ok; }
};

// Reads answers the way engineers type them: values separated by blanks,
// tabs, commas or line ends; reading goes on over lines until every value is
// read, and the rest of the last line read is discarded. An empty item
// between two commas, or a slash ending the answer early, leaves the value
// already in the variable. A carriage return before a line end belongs to
// the line end.
class AnswerReader {
 public:
  explicit AnswerReader(std::istream& in);

  // Whole numbers within the 32-bit range.
  ReadResult read_integers(int* values, int n);
  // Reals with or without a point and exponent (E or D, either case),
  // within the single-precision range.
  ReadResult read_reals(float* values, int n);
  // One whole line; its first 70 characters.
  ReadResult read_name(std::string& name);

 private:
  std::istream& in_;
};

}  // namespace quaven
