// The command line as a process under resource limits: long sweeps stream in
// bounded memory, and an --output file is replaced whole or not at all, even
// past the file-size limit.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quaven::hardening {
namespace {

namespace fs = std::filesystem;

struct ProcessRun {
  int status = -1;
  long max_rss_kb = 0;
  std::string err;
};

// Runs the program with `args`, standard output to `out_path`, under an
// address-space limit and a file-size limit (bytes; 0: none), and a limit of
// CPU seconds (0: none) past which a process that spins is killed.
ProcessRun run_quaven(const std::vector<std::string>& args, const fs::path& out_path, rlim_t address_space,
                      rlim_t file_size, rlim_t cpu_seconds = 0) {
  const fs::path err_path = fs::temp_directory_path() / ("quaven_process_err_" + std::to_string(getpid()));
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(100);
    if (address_space != 0) {
      const rlimit as{address_space, address_space};
      if (setrlimit(RLIMIT_AS, &as) != 0) _exit(101);
    }
    if (file_size != 0) {
      const rlimit fsize{file_size, file_size};
      if (setrlimit(RLIMIT_FSIZE, &fsize) != 0) _exit(102);
    }
    if (cpu_seconds != 0) {
      const rlimit cpu{cpu_seconds, cpu_seconds + 5};  // SIGXCPU, then SIGKILL
      if (setrlimit(RLIMIT_CPU, &cpu) != 0) _exit(104);
    }
    std::vector<char*> argv = {const_cast<char*>(QUAVEN_BINARY)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(QUAVEN_BINARY, argv.data());
    _exit(103);
  }
  ProcessRun r;
  int wstatus = 0;
  rusage usage{};
  if (pid > 0 && wait4(pid, &wstatus, 0, &usage) == pid) {
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    r.max_rss_kb = usage.ru_maxrss;
  }
  std::ifstream in(err_path);
  r.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  fs::remove(err_path);
  return r;
}

std::string contents(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(CommandLineProcess, AMillionRowsInEachFormStayUnderFiftyMegabytes) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizers' own memory would be measured";
#endif
  constexpr rlim_t kLimit = 50u << 20;
  struct Case {
    std::vector<std::string> args;
  };
  // 1000001 pattern rows in each form; design and response rows cost more
  // time each, so 100001 of them, enough to show any growth per row (a row
  // kept in memory costs hundreds of bytes).
  std::vector<Case> cases;
  for (const char* format : {"table", "csv", "json"}) {
    cases.push_back({{"pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10", "--angles", "0", "180", "0.00018",
                      "--format", format}});
  }
  cases.push_back({{"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0", "1", "1e-5", "--format", "json"}});
  cases.push_back({{"response", "--aperture", "1.2", "--slant", "3", "--freq-range", "1", "101", "0.001", "--format",
                    "csv", "--throat", "0.4"}});
  for (const auto& c : cases) {
    const std::string what = c.args[0] + " " + *(std::find(c.args.begin(), c.args.end(), "--format") + 1);
    const ProcessRun r = run_quaven(c.args, "/dev/null", kLimit, 0);
    EXPECT_EQ(r.status, 0) << what << ": " << r.err;
    EXPECT_LT(r.max_rss_kb, 50 * 1024) << what;
    std::printf("%s: peak resident %ld kB\n", what.c_str(), r.max_rss_kb);
  }
}

// The full wave under a tight address-space limit: the dense solve must not
// depend on mapping more than the limit allows (a BLAS that retries a failed
// mmap for ever would spin here until the CPU limit kills it).
TEST(CommandLineProcess, AFullWaveSolveRunsUnderATightAddressSpaceLimit) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizers reserve far more address space than the limit";
#endif
  const ProcessRun r = run_quaven({"response", "--full-wave", "--aperture", "1.2", "--slant", "3", "--throat", "0.45",
                                   "--freq-range", "10", "10", "1", "--threads", "2"},
                                  "/dev/null", 200u << 20, 0, 60);
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST(CommandLineProcess, OutputPastTheFileSizeLimitLeavesThePreviousFile) {
  const fs::path dir = fs::temp_directory_path() / ("quaven_fsize_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path file = dir / "response.csv";
  std::ofstream(file) << "previous\n";
  const std::vector<std::string> args = {"response", "--aperture", "1.2",   "--slant",  "3",
                                         "--freq-range", "8",      "12",    "0.0004", "--format",
                                         "csv",          "--output", file.string()};
  const ProcessRun limited = run_quaven(args, "/dev/null", 0, 65536);
  EXPECT_EQ(limited.status, 1);
  EXPECT_NE(limited.err.find("quaven: cannot write the output file '" + file.string() + "': File too large"),
            std::string::npos)
      << limited.err;
  EXPECT_EQ(contents(file), "previous\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary left

  const ProcessRun whole = run_quaven(args, "/dev/null", 0, 0);
  EXPECT_EQ(whole.status, 0) << whole.err;
  const std::string text = contents(file);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10002);

  // A destination that cannot be written is reported before any row is
  // computed: this sweep of a thousand million rows would never end.
  const ProcessRun bad = run_quaven({"design", "--freq", "10", "--beamwidth", "30", "--s-range", "0", "1", "1e-9",
                                     "--rows-ok", "--output", (dir / "no_such_dir" / "x.csv").string()},
                                    "/dev/null", 0, 0);
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("no_such_dir/x.csv': No such file or directory"), std::string::npos) << bad.err;
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quaven::hardening
