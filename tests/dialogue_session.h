// A whole dialogue run in memory against a report file in its own
// temporary directory: the fixture of the session and hardening tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

#include "dialogue/dialogue.h"

namespace quaven::test {

// The whole contents of a file; empty when it cannot be read.
inline std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

struct Session {
  int status = -1;
  std::string out, err, report;
  bool report_exists = false;
};

class DialogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    // Short, since a report name keeps only its first 70 characters; the
    // process id keeps apart the same test run from two build trees at once.
    dir_ = std::filesystem::temp_directory_path() /
           ("qd" + std::to_string(::getpid()) + "-" + std::to_string(std::hash<std::string>{}(name) % 1000000));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    report_ = (dir_ / "report.txt").string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // A dialogue whose first answer is the report's name.
  Session talk(const std::string& answers) { return talk_raw(report_ + "\n" + answers); }
  Session talk_raw(const std::string& input) { return talk_on(input, nullptr); }
  // The same with the terminal written to `terminal` (the session's `out`
  // is then empty).
  Session talk_on(const std::string& input, std::ostream* terminal) {
    std::istringstream in(input);
    std::ostringstream out, err;
    Session s;
    s.status = run(in, terminal != nullptr ? *terminal : out, err);
    s.out = out.str();
    s.err = err.str();
    s.report = read_file(report_);
    s.report_exists = std::filesystem::exists(report_);
    return s;
  }
  std::filesystem::path dir_;
  std::string report_;
};

// The number of lines in `s`.
inline long lines(const std::string& s) { return static_cast<long>(std::count(s.begin(), s.end(), '\n')); }

}  // namespace quaven::test
