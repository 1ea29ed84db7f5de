#include "cli/progress.h"

#include <unistd.h>

#include <string>

namespace quaven {
namespace {
using std::chrono::milliseconds;
// Time to watch before judging how long the run will take, and the shortest
// run worth a progress line.
constexpr milliseconds kJudgeAfter{250};
constexpr milliseconds kWorthShowing{1000};
constexpr milliseconds kRefresh{100};
}  // namespace

bool is_terminal(int fd) { return ::isatty(fd) == 1; }

Progress::Progress(std::ostream& err, bool terminal, long long total, Clock clock)
    : err_(err), enabled_(terminal && total > 1), total_(total), clock_(std::move(clock)) {
  if (enabled_) start_ = last_ = now();
}

std::chrono::steady_clock::time_point Progress::now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void Progress::update(long long done) {
  if (!enabled_ || done <= 0) return;
  const auto t = now();
  if (!shown_) {
    const auto elapsed = t - start_;
    if (elapsed < kJudgeAfter) return;
    // The time the whole run will take at the pace so far.
    const double expected = std::chrono::duration<double>(elapsed).count() * static_cast<double>(total_) /
                            static_cast<double>(done);
    if (expected < std::chrono::duration<double>(kWorthShowing).count()) {
      enabled_ = false;  // a short run: never show a line
      return;
    }
  } else if (t - last_ < kRefresh) {
    return;
  }
  last_ = t;
  const std::string line = "quaven: " + std::to_string(done) + " of " + std::to_string(total_) + " rows";
  std::string text = "\r" + line;
  if (line.size() < width_) text += std::string(width_ - line.size(), ' ');
  width_ = line.size() > width_ ? line.size() : width_;
  err_ << text << std::flush;
  shown_ = true;
}

void Progress::finish() {
  if (shown_) err_ << "\r" << std::string(width_, ' ') << "\r" << std::flush;
  shown_ = false;
  enabled_ = false;
}

}  // namespace quaven
