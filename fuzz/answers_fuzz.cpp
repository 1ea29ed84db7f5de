// The answer reader on arbitrary input. The first byte chooses the sequence
// of reads (integers, reals or a name, one to four values at a time); the
// rest is the input stream. Each read must end, consume input unless the
// input is over, and give a result of the documented shape:
//   - an unreadable item is quoted printable and at most 40 characters
//     (each possibly shown as a 4-character \xNN) and "...", with a reason;
//   - every real read is finite in single precision;
//   - a name holds at most 70 characters and no trailing blank.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "text/answers.h"
#include "fuzz_check.h"

namespace {

bool printable(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) return false;
  return true;
}

void check_result(const quaven::ReadResult& r) {
  using quaven::ReadStatus;
  FUZZ_CHECK(printable(r.item), "item not printable");
  FUZZ_CHECK(r.item.size() <= 40 * 4 + 3, "item of %zu characters", r.item.size());
  FUZZ_CHECK((r.status == ReadStatus::unreadable) == !r.reason.empty(), "reason '%s' with status %d",
             r.reason.c_str(), static_cast<int>(r.status));
  if (r.status != ReadStatus::unreadable) FUZZ_CHECK(r.item.empty(), "item '%s' without a failure", r.item.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  unsigned program = data[0];
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  quaven::AnswerReader reader(in);
  auto position = [&in] { return static_cast<long long>(in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in)); };

  for (int step = 0;; ++step) {
    const long long before = position();
    const unsigned op = (program >> ((step % 4) * 2)) & 3u;  // 0 integers, 1 reals, 2 name, 3 reals
    const int n = 1 + (step + static_cast<int>(program)) % 4;
    quaven::ReadResult r;
    if (op == 0) {
      int values[4] = {-7, -7, -7, -7};
      r = reader.read_integers(values, n);
    } else if (op == 2) {
      std::string name = "unchanged";
      bool cut = true;
      r = reader.read_name(name, &cut);
      if (r) {
        FUZZ_CHECK(name.size() <= 70, "name of %zu characters", name.size());
        FUZZ_CHECK(name.empty() || name.back() != ' ', "name ends in a blank");
      }
    } else {
      float values[4] = {-7.0f, -7.0f, -7.0f, -7.0f};
      r = reader.read_reals(values, n);
      for (int i = 0; i < 4; ++i) FUZZ_CHECK(std::isfinite(values[i]), "value %d is %g", i, static_cast<double>(values[i]));
    }
    check_result(r);
    if (r.status == quaven::ReadStatus::end_of_input) break;
    // A read that is not at the end consumes input, so a dialogue that asks
    // again after it cannot go round for ever.
    FUZZ_CHECK(position() > before, "read %d consumed nothing", step);
  }
  return 0;
}
