// Write failures are failures: a report file that cannot be written, or a
// terminal that cannot, ends the run with a diagnostic on standard error
// and a non-zero status, and nothing written before is lost. In memory
// through the dialogue, and as a process: the built program with standard
// output closed or on a full disk, and killed with SIGKILL part-way
// through a long sweep. And the command line's --output and --plot as a
// process: devices, standard output and signals.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "dialogue_session.h"

namespace quaven::hardening {
namespace {

using namespace quaven::test;

const std::string kStdoutFailure = "quaven: cannot write to standard output\n";
const std::string kDesign = "10 30\n3\n1\n0.2 0.2 1\n0 0\n0 0 0\n0 0\n";

// A terminal that takes `limit` characters and then fails, as a full disk.
class FailingTerminal : public std::streambuf {
 public:
  explicit FailingTerminal(std::size_t limit) : limit_(limit) {}
  const std::string& text() const { return text_; }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (text_.size() >= limit_) return traits_type::eof();
    text_.push_back(traits_type::to_char_type(c));
    return c;
  }

 private:
  std::size_t limit_;
  std::string text_;
};

using WriteFailureTest = DialogueTest;

TEST_F(WriteFailureTest, AReportOnAFullDiskEndsTheRunAtItsFirstRecord) {
  const Session s = talk_raw("/dev/full\n2\n" + kDesign);
  EXPECT_EQ(s.status, 1);
  EXPECT_EQ(s.err, "quaven: cannot write the report file '/dev/full'\n");
  // The plane prompt was open; the failure ends its line.
  EXPECT_EQ(s.out.substr(s.out.size() - 6), "rage \n");
  // A run that writes no record has nothing to lose.
  const Session none = talk_raw("/dev/full\n2\n0 0\n");
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.err, "");
}

TEST_F(WriteFailureTest, ATerminalThatFailsEndsTheRunAndTheReportKeepsItsRecords) {
  const Session plain = talk("2\n" + kDesign);
  ASSERT_EQ(plain.status, 0);
  const std::string line = " 0.200        1.1686         2.8927";
  const std::size_t at = plain.out.find(line);
  ASSERT_NE(at, std::string::npos) << plain.out;
  ASSERT_EQ(plain.report.find(line) + 65, plain.report.size());  // the report's last record
  struct Case {
    const char* label;
    std::size_t limit;
    std::string report;  // what the report holds after the failure
  };
  const Case cases[] = {
      // The design line reached the report before the terminal refused it.
      {"at the design line", at, plain.report},
      {"within the design line", at + 20, plain.report},
      // The header goes to the terminal first: the report has only the
      // records before it.
      {"at the table header", at - 1, plain.report.substr(0, plain.report.find("\n   S    Aperture"))},
      {"at the title line", 0, ""},
  };
  for (const Case& c : cases) {
    FailingTerminal terminal(c.limit);
    std::ostream out(&terminal);
    std::filesystem::remove(report_);
    const Session s = talk_on(report_ + "\n2\n" + kDesign, &out);
    EXPECT_EQ(s.status, 1) << c.label;
    EXPECT_EQ(s.err, kStdoutFailure) << c.label;
    EXPECT_EQ(terminal.text(), plain.out.substr(0, c.limit)) << c.label;
    EXPECT_EQ(s.report, c.report) << c.label;
  }
}

// --- the built program as a process -------------------------------------

struct Process {
  int status = -1;  // as waitpid gives it
  std::string out, err;
};

enum class Stdout { file, closed, full };

// Runs the program with `input` on standard input and standard output as
// `mode` says; standard output and error are collected through files.
Process run_program(const std::string& input, Stdout mode, const std::filesystem::path& dir,
                    const char* argument = nullptr) {
  const std::string in_path = (dir / "stdin").string(), out_path = (dir / "stdout").string(),
                    err_path = (dir / "stderr").string();
  std::ofstream(in_path, std::ios::binary) << input;
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open(in_path.c_str(), O_RDONLY);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(err, 2);
    if (mode == Stdout::closed) {
      close(1);
    } else {
      const int out = mode == Stdout::full ? open("/dev/full", O_WRONLY)
                                           : open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, 1);
      close(out);
    }
    close(in);
    close(err);
    execl(QUAVEN_BINARY, QUAVEN_BINARY, argument, static_cast<char*>(nullptr));
    _exit(127);
  }
  Process p;
  waitpid(pid, &p.status, 0);
  p.out = read_file(out_path);
  p.err = read_file(err_path);
  return p;
}

TEST_F(WriteFailureTest, TheProgramReportsAnUnwritableStandardOutput) {
  for (Stdout mode : {Stdout::closed, Stdout::full}) {
    const char* label = mode == Stdout::closed ? "closed" : "/dev/full";
    const Process p = run_program(report_ + "\n2\n" + kDesign, mode, dir_);
    ASSERT_TRUE(WIFEXITED(p.status)) << label;
    EXPECT_EQ(WEXITSTATUS(p.status), 1) << label;
    EXPECT_EQ(p.err, kStdoutFailure) << label;
  }
  // Written as usual, the same answers end normally.
  const Process p = run_program(report_ + "\n2\n" + kDesign, Stdout::file, dir_);
  ASSERT_TRUE(WIFEXITED(p.status));
  EXPECT_EQ(WEXITSTATUS(p.status), 0);
  EXPECT_EQ(p.err, "");
}

// --help and --version ended with status 0 when their text could not be
// written.
TEST_F(WriteFailureTest, HelpAndVersionOnAnUnwritableStandardOutputEndedAsASuccess) {
  for (const char* argument : {"--help", "--version"}) {
    for (Stdout mode : {Stdout::closed, Stdout::full}) {
      const Process p = run_program("", mode, dir_, argument);
      ASSERT_TRUE(WIFEXITED(p.status)) << argument;
      EXPECT_EQ(WEXITSTATUS(p.status), 1) << argument;
      EXPECT_EQ(p.err, kStdoutFailure) << argument;
    }
    const Process p = run_program("", Stdout::file, dir_, argument);
    EXPECT_EQ(WEXITSTATUS(p.status), 0) << argument;
    EXPECT_NE(p.out, "") << argument;
  }
}

TEST_F(WriteFailureTest, TheProgramReportsAReportOnAFullDisk) {
  const Process p = run_program("/dev/full\n2\n" + kDesign, Stdout::file, dir_);
  ASSERT_TRUE(WIFEXITED(p.status));
  EXPECT_EQ(WEXITSTATUS(p.status), 1);
  EXPECT_EQ(p.err, "quaven: cannot write the report file '/dev/full'\n");
}

// A sweep of 800 000 lines, the answers on a pipe that stays open. Once the
// terminal has shown some design lines, SIGKILL: every line the terminal
// showed was written to the report before it (records go to the report
// first), so each must be in the file, and the file must be exactly the
// beginning of what an uninterrupted run writes, in whole lines.
TEST_F(WriteFailureTest, ASigkilledRunKeepsEveryRecordWrittenBeforeTheKill) {
  const std::string answers = "2\n10 30\n3\n1\n0.1 0.9 1e-6\n";
  int to_child[2], from_child[2];
  ASSERT_EQ(pipe(to_child), 0);
  ASSERT_EQ(pipe(from_child), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(to_child[0], 0);
    dup2(from_child[1], 1);
    close(to_child[0]), close(to_child[1]), close(from_child[0]), close(from_child[1]);
    execl(QUAVEN_BINARY, QUAVEN_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(to_child[0]);
  close(from_child[1]);
  const std::string input = report_ + "\n" + answers;
  ASSERT_EQ(write(to_child[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));

  // Read the terminal until it has shown 200 design lines (64 characters).
  std::string shown;
  long design_lines = 0;
  char buf[4096];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (design_lines < 200 && std::chrono::steady_clock::now() < deadline) {
    const ssize_t n = read(from_child[0], buf, sizeof buf);
    if (n <= 0) break;
    shown.append(buf, static_cast<std::size_t>(n));
    design_lines = 0;
    std::istringstream rows(shown);
    for (std::string row; std::getline(rows, row) && !rows.eof();) design_lines += row.size() == 64;
  }
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  close(to_child[1]);
  close(from_child[0]);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the run ended before the kill";
  ASSERT_GE(design_lines, 200);

  const std::string killed = read_file(report_);
  ASSERT_FALSE(killed.empty());
  EXPECT_EQ(killed.back(), '\n');
  long killed_lines = 0;
  std::istringstream rows(killed);
  for (std::string row; std::getline(rows, row);) killed_lines += row.size() == 64;
  EXPECT_GE(killed_lines, design_lines);

  // The same run, uninterrupted, over a range that ends a few lines later.
  const Session whole = talk("2\n10 30\n3\n1\n0.1 " + std::to_string(0.1 + (killed_lines + 5) * 1e-6) +
                             " 1e-6\n0 0\n0 0 0\n0 0\n");
  ASSERT_EQ(whole.status, 0) << whole.err;
  ASSERT_GT(whole.report.size(), killed.size());
  EXPECT_EQ(killed, whole.report.substr(0, killed.size()));
  // Every line the terminal showed is in the file.
  std::istringstream terminal_rows(shown);
  for (std::string row; std::getline(terminal_rows, row) && !terminal_rows.eof();)
    if (row.size() == 64) {
      EXPECT_NE(killed.find(row + "\n"), std::string::npos) << row;
    }
}

// --- the command line's destinations, as a process ---------------------

struct Child {
  pid_t pid = -1;
  int status = -1;  // as waitpid gives it
  std::string err;
};

// Starts the program with `args`, standard output on `out_path` opened with
// `out_flags`, in `cwd`, with `env` ("NAME=value") added, the three
// termination signals at their default action, and in a process group of
// its own (so that a signal can reach it and its children, as Ctrl-C does).
Child start(const std::vector<std::string>& args, const std::string& out_path, int out_flags,
            const std::filesystem::path& cwd, const std::vector<std::string>& env = {}) {
  const std::string err_path = (cwd / ".stderr").string();
  Child c;
  c.pid = fork();
  if (c.pid == 0) {
    setpgid(0, 0);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int out = open(out_path.c_str(), out_flags, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(cwd.c_str()) != 0) _exit(100);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> argv = {const_cast<char*>(QUAVEN_BINARY)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(QUAVEN_BINARY, argv.data());
    _exit(127);
  }
  return c;
}

Child run_in(const std::filesystem::path& cwd, const std::vector<std::string>& args, const std::string& out_path,
             int out_flags = O_WRONLY | O_CREAT | O_TRUNC) {
  Child c = start(args, out_path, out_flags, cwd);
  waitpid(c.pid, &c.status, 0);
  c.err = read_file((cwd / ".stderr").string());
  std::filesystem::remove(cwd / ".stderr");
  return c;
}

int exit_status(const Child& c) { return WIFEXITED(c.status) ? WEXITSTATUS(c.status) : -1; }

// The names in a folder.
std::vector<std::string> names(const std::filesystem::path& dir) {
  std::vector<std::string> n;
  for (const auto& e : std::filesystem::directory_iterator(dir)) n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

// Waits up to 30 s for an entry of `dir` whose name starts with `prefix`.
bool appears(const std::filesystem::path& dir, const std::string& prefix) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    for (const std::string& n : names(dir))
      if (n.compare(0, prefix.size(), prefix) == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

const std::vector<std::string> kPattern = {"pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10",
                                           "--angles", "0",        "90",  "15",     "--format", "csv"};

std::vector<std::string> with(std::vector<std::string> args, std::initializer_list<std::string> more) {
  args.insert(args.end(), more);
  return args;
}

// As root, --output /dev/full and --output /dev/stdout turned the device and
// the link into ordinary files, and the full disk ended with status 0;
// --output - wrote a file named '-'.
TEST_F(WriteFailureTest, OutputOntoADeviceOrStandardOutputIsWrittenThereAndNeverReplaced) {
  const std::string out = (dir_ / "stdout").string();
  const Child plain = run_in(dir_, kPattern, out);
  ASSERT_EQ(exit_status(plain), 0) << plain.err;
  const std::string rows = read_file(out);
  ASSERT_NE(rows.find("\n90,"), std::string::npos) << rows;

  struct stat before {}, after {};
  ASSERT_EQ(stat("/dev/full", &before), 0);
  const Child full = run_in(dir_, with(kPattern, {"--output", "/dev/full"}), out);
  EXPECT_EQ(exit_status(full), 1);
  EXPECT_EQ(full.err, "quaven: cannot write the output file '/dev/full': No space left on device\n");
  ASSERT_EQ(stat("/dev/full", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode) && after.st_rdev == before.st_rdev);

  // Standard output by its name or by '-': the rows go there, through the
  // descriptor the shell opened (a redirection that appends appends).
  for (const char* name : {"/dev/stdout", "-"}) {
    std::ofstream(out) << "head\n";
    const Child c = run_in(dir_, with(kPattern, {"--output", name}), out, O_WRONLY | O_APPEND);
    EXPECT_EQ(exit_status(c), 0) << name << ": " << c.err;
    EXPECT_EQ(read_file(out), "head\n" + rows) << name;
  }
  EXPECT_TRUE(std::filesystem::is_symlink("/dev/stdout"));
  EXPECT_EQ(names(dir_), std::vector<std::string>{"stdout"});  // and no file '-'
  const Child on_full = run_in(dir_, with(kPattern, {"--output", "/dev/stdout"}), "/dev/full", O_WRONLY);
  EXPECT_EQ(exit_status(on_full), 1);
  EXPECT_NE(on_full.err.find("No space left on device"), std::string::npos) << on_full.err;
}

// Ctrl-C or SIGTERM during a run left the hidden temporary file behind.
TEST_F(WriteFailureTest, ASignalMidRunRemovesTheTemporaryFileAndEndsTheRunAsTheSignalDoes) {
  const std::filesystem::path file = dir_ / "out.csv";
  // 1.8 million rows: seconds of work, ended as soon as it has begun.
  const std::vector<std::string> args = {"pattern", "--aperture", "1.2",  "--slant",  "3",   "--freq",
                                         "10",      "--angles",   "0",    "180",      "1e-4", "--format",
                                         "csv",     "--output",   "out.csv"};
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    std::ofstream(file) << "old\n";
    Child c = start(args, "/dev/null", O_WRONLY, dir_);
    const bool began = appears(dir_, ".out.csv.");
    kill(c.pid, sig);
    waitpid(c.pid, &c.status, 0);
    std::filesystem::remove(dir_ / ".stderr");
    EXPECT_TRUE(began) << strsignal(sig);
    EXPECT_TRUE(WIFSIGNALED(c.status) && WTERMSIG(c.status) == sig) << strsignal(sig) << ": status " << c.status;
    EXPECT_EQ(names(dir_), std::vector<std::string>{"out.csv"}) << strsignal(sig);
    EXPECT_EQ(read_file(file.string()), "old\n") << strsignal(sig);
  }
}

// The same for --plot while gnuplot draws (a stand-in that reads its script
// and waits): its scratch file under TMPDIR and the plot's temporary go.
TEST_F(WriteFailureTest, ASignalWhileThePlotIsDrawnRemovesItsScratchFile) {
  const std::filesystem::path tmp = dir_ / "tmp", fake = dir_ / "gnuplot";
  std::filesystem::create_directories(tmp);
  std::ofstream(fake) << "#!/bin/sh\ncat >/dev/null\nexec sleep 30\n";
  std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
  const std::string env_tmp = "TMPDIR=" + tmp.string(), env_plot = "QUAVEN_GNUPLOT=" + fake.string();
  Child c = start(with(kPattern, {"--plot", "p.svg"}), "/dev/null", O_WRONLY, dir_, {env_tmp, env_plot});
  const bool drawing = appears(tmp, "quaven-plot-");
  kill(-c.pid, SIGTERM);  // the whole group, gnuplot too, as a terminal's Ctrl-C
  waitpid(c.pid, &c.status, 0);
  std::filesystem::remove(dir_ / ".stderr");
  EXPECT_TRUE(drawing);
  EXPECT_TRUE(WIFSIGNALED(c.status) && WTERMSIG(c.status) == SIGTERM) << c.status;
  EXPECT_EQ(names(tmp), std::vector<std::string>{});
  EXPECT_EQ(names(dir_), (std::vector<std::string>{"gnuplot", "tmp"}));
}

}  // namespace
}  // namespace quaven::hardening
