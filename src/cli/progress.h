// A progress line on standard error for long runs: "rows done of total",
// kept up to date in place and cleared at the end. Shown only when standard
// error is a terminal and the run is on course to take more than about a
// second, so that quick runs, pipes and log files never see it.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>

namespace quaven {

class Progress {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // `terminal`: whether `err` is a terminal. `clock` stands in for the
  // steady clock in tests.
  Progress(std::ostream& err, bool terminal, long long total, Clock clock = nullptr);
  ~Progress() { finish(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // `done` rows of the total are written.
  void update(long long done);
  // Clears the line, if one was shown.
  void finish();

 private:
  std::chrono::steady_clock::time_point now() const;

  std::ostream& err_;
  bool enabled_;
  long long total_;
  Clock clock_;
  std::chrono::steady_clock::time_point start_, last_;
  bool shown_ = false;
  std::size_t width_ = 0;  // characters of the line shown
};

// Whether file descriptor `fd` is a terminal.
bool is_terminal(int fd);

}  // namespace quaven
