// The whole dialogue on arbitrary standard input. The first line of the
// input (the report file's name) is replaced by a file in the temporary
// directory; the rest are the answers. The terminal takes at most 16 KiB,
// after which it fails like a full disk: the dialogue then ends with its
// write-failure diagnostic, which bounds the table lines one input can
// produce (a sweep of a billion values ends after a few hundred lines)
// without changing what the program does.
//
// Checked: the run ends with status 0 or 1; standard error holds only
// "quaven: " lines of printable text, at least one after a failure;
// terminal and report hold only printable text and line ends; and a run
// that failed without losing its terminal ended the open prompt line.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <streambuf>
#include <string>

#include "dialogue/dialogue.h"
#include "fuzz_check.h"

namespace {

constexpr std::size_t terminal_limit = 16384;

// A terminal that holds `limit` characters and then refuses the rest.
class LimitedTerminal : public std::streambuf {
 public:
  explicit LimitedTerminal(std::size_t limit) : limit_(limit) {}
  const std::string& text() const { return text_; }
  bool full() const { return full_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (text_.size() >= limit_) {
      full_ = true;
      return traits_type::eof();
    }
    text_.push_back(traits_type::to_char_type(c));
    return c;
  }

 private:
  std::size_t limit_;
  std::string text_;
  bool full_ = false;
};

bool printable_lines(const std::string& s) {
  for (char c : s) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u != '\n' && (u < 0x20 || u > 0x7e)) return false;
  }
  return true;
}

const std::string& report_name() {
  static const std::string name =
      (std::filesystem::temp_directory_path() / ("quaven-fuzz-" + std::to_string(::getpid()) + ".txt")).string();
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t first_end = bytes.find('\n');
  const std::string answers = first_end == std::string::npos ? std::string() : bytes.substr(first_end + 1);
  std::filesystem::remove(report_name());

  std::istringstream in(report_name() + "\n" + answers);
  LimitedTerminal terminal(terminal_limit);
  std::ostream out(&terminal);
  std::ostringstream err;
  const int status = quaven::run(in, out, err);

  const std::string e = err.str();
  FUZZ_CHECK(status == 0 || status == 1, "status %d", status);
  FUZZ_CHECK(status == 0 || !e.empty(), "a failure without a diagnostic");
  FUZZ_CHECK(printable_lines(e) && (e.empty() || e.back() == '\n'), "standard error: %s", e.c_str());
  for (std::size_t at = 0; at < e.size(); at = e.find('\n', at) + 1)
    FUZZ_CHECK(e.compare(at, 8, "quaven: ") == 0, "standard error: %s", e.c_str());
  FUZZ_CHECK(printable_lines(terminal.text()), "terminal output not printable");
  if (status == 1 && !terminal.full())
    FUZZ_CHECK(!terminal.text().empty() && terminal.text().back() == '\n', "the failure left the prompt line open");

  std::ifstream file(report_name(), std::ios::binary);
  FUZZ_CHECK(static_cast<bool>(file), "no report file");
  const std::string report{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  FUZZ_CHECK(printable_lines(report) && (report.empty() || report.back() == '\n'), "report not whole lines");
  return 0;
}
