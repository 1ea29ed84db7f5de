// The command line on arbitrary argument vectors. The input is split at
// line ends into at most 24 arguments after "quaven"; an argument naming
// --output or --plot is dropped (and --full-wave, too slow to fuzz), so that nothing is written to the disk and
// no plotting program is started. Standard
// output is a buffer that refuses more than 16 kB, as a full disk would, so
// that a sweep of any length ends soon. Every run must end with status 0,
// 1 (only when the output was refused) or 2 (with a one-line message on
// standard error that starts "quaven: ").
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "fuzz_check.h"

namespace {

class BoundedBuffer : public std::streambuf {
 public:
  explicit BoundedBuffer(std::size_t limit) : limit_(limit) {}
  bool refused() const { return refused_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (size_ >= limit_) {
      refused_ = true;
      return traits_type::eof();
    }
    ++size_;
    return c;
  }

 private:
  std::size_t limit_;
  std::size_t size_ = 0;
  bool refused_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args = {"quaven"};
  std::string arg;
  for (std::size_t i = 0; i <= size && args.size() <= 24; ++i) {
    if (i == size || data[i] == '\n') {
      const bool writes = arg.find("--o") != std::string::npos || arg.find("output") != std::string::npos ||
                          arg == "--plot" || arg.rfind("--plot=", 0) == 0;
      // The full-wave solver takes far too long for a fuzz input.
      const bool slow = arg.find("full-wave") != std::string::npos;
      if (!writes && !slow) args.push_back(arg);
      arg.clear();
    } else {
      arg += static_cast<char>(data[i]);
    }
  }
  if (args.size() < 2) return 0;  // no arguments: the dialogue, fuzzed on its own
  std::vector<const char*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());

  BoundedBuffer out_buffer(16384);
  std::ostream out(&out_buffer);
  std::ostringstream err;
  const int status = quaven::run_cli(static_cast<int>(argv.size()), argv.data(), out, err);
  const std::string e = err.str();
  FUZZ_CHECK(status == 0 || status == 1 || status == 2, "status %d", status);
  if (status == 1) FUZZ_CHECK(out_buffer.refused(), "status 1 with the output accepted: %s", e.c_str());
  if (status == 2) FUZZ_CHECK(e.rfind("quaven: ", 0) == 0, "status 2 without a message: %s", e.c_str());
  return 0;
}
