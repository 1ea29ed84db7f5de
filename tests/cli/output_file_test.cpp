// The output file written without harm, and the progress line.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/atomic_file.h"
#include "cli/cli.h"
#include "cli/progress.h"
#include "text/row_writer.h"
#include <nlohmann/json.hpp>

namespace quaven {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quaven_atomic_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  // Only the files named are in the folder: no temporary file is left.
  void expect_only(const fs::path& file) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir_)) {
      EXPECT_EQ(e.path(), file);
      ++n;
    }
    EXPECT_EQ(n, 1);
  }
  fs::path dir_;
};

TEST_F(AtomicFileTest, ReplacesTheFileOnlyAtTheCommitKeepingItsPermissions) {
  const fs::path file = dir_ / "out.csv";
  std::ofstream(file) << "old\n";
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  std::string error;
  {
    AtomicFile f;
    ASSERT_TRUE(f.open(file.string(), error)) << error;
    f.stream() << std::string(200000, 'x');
    EXPECT_EQ(contents(file), "old\n");  // not yet
    ASSERT_TRUE(f.commit(error)) << error;
  }
  EXPECT_EQ(contents(file), std::string(200000, 'x'));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  expect_only(file);
  {
    AtomicFile abandoned;  // no commit: as if the run failed part-way
    ASSERT_TRUE(abandoned.open(file.string(), error));
    abandoned.stream() << "half";
  }
  EXPECT_EQ(contents(file), std::string(200000, 'x'));
  expect_only(file);
}

TEST_F(AtomicFileTest, AnUnwritableDestinationIsRefusedAtOpenWithTheReason) {
  std::string error;
  AtomicFile f;
  EXPECT_FALSE(f.open((dir_ / "no_such_dir" / "x.csv").string(), error));
  EXPECT_NE(error.find("no_such_dir/x.csv': No such file or directory"), std::string::npos) << error;
  EXPECT_FALSE(f.open(dir_.string(), error));
  EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
}

TEST_F(AtomicFileTest, AWritePastTheFileSizeLimitFailsAndLeavesThePreviousFile) {
  const fs::path file = dir_ / "out.json";
  std::ofstream(file) << "previous\n";
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  std::string error;
  bool opened = false, committed = true;
  {
    AtomicFile f;
    opened = f.open(file.string(), error);
    rlimit small = old;
    small.rlim_cur = 100000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    if (opened) {
      for (int i = 0; i < 1000; ++i) f.stream() << std::string(1000, 'y') << '\n';
      committed = f.commit(error);
    }
    setrlimit(RLIMIT_FSIZE, &old);  // SIGXFSZ was ignored, so the process lives
  }
  ASSERT_TRUE(opened) << error;
  EXPECT_FALSE(committed);
  EXPECT_NE(error.find("File too large"), std::string::npos) << error;
  EXPECT_EQ(contents(file), "previous\n");
  expect_only(file);
}

// Every entry of a folder, recursively, as paths relative to it: no
// temporary file may be left anywhere.
std::vector<std::string> entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(dir)) names.push_back(e.path().lexically_relative(dir).string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(AtomicFileTest, ALinkIsFollowedAndTheFileItEndsAtReplacedInItsOwnFolder) {
  fs::create_directories(dir_ / "a");
  fs::create_directories(dir_ / "b");
  const fs::path target = dir_ / "b" / "target.csv";
  std::ofstream(target) << "old\n";
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // Run as root, the file keeps its owner too (another user's, here).
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(target.c_str(), 1234, 4321), 0);
  }
  fs::create_symlink("../b/target.csv", dir_ / "a" / "link.csv");  // relative, into another folder
  fs::create_symlink(dir_ / "a" / "link.csv", dir_ / "chain.csv");  // absolute, to a link
  fs::create_symlink("b/new.csv", dir_ / "dangling.csv");           // to no file yet
  struct Case {
    const char* given;
    fs::path written;
  };
  for (const Case& c : {Case{"a/link.csv", target}, Case{"chain.csv", target}, Case{"dangling.csv", dir_ / "b" / "new.csv"}}) {
    std::string error;
    AtomicFile f;
    ASSERT_TRUE(f.open((dir_ / c.given).string(), error)) << c.given << ": " << error;
    EXPECT_EQ(f.destination(), Destination::replaced) << c.given;
    f.stream() << "new " << c.given << "\n";
    ASSERT_TRUE(f.commit(error)) << c.given << ": " << error;
    EXPECT_EQ(contents(c.written), std::string("new ") + c.given + "\n");
  }
  EXPECT_EQ(fs::read_symlink(dir_ / "a" / "link.csv"), "../b/target.csv");
  EXPECT_EQ(fs::read_symlink(dir_ / "dangling.csv"), "b/new.csv");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  if (root) {
    EXPECT_EQ(st.st_uid * 10000 + st.st_gid, 1234u * 10000 + 4321u);
  }
  EXPECT_EQ(entries(dir_), (std::vector<std::string>{"a", "a/link.csv", "b", "b/new.csv", "b/target.csv", "chain.csv",
                                                     "dangling.csv"}));
}

TEST_F(AtomicFileTest, AFifoAndADeviceAreWrittenInPlaceAndAFullDeviceFails) {
  // A FIFO with a reader: the reader gets every byte, and the FIFO stays.
  const fs::path fifo = dir_ / "pipe.csv";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string text(300000, 'z');
  std::string received;
  std::thread reader([&] { received = contents(fifo); });
  std::string error;
  {
    AtomicFile f;
    const bool opened = f.open(fifo.string(), error);  // waits for the reader
    EXPECT_TRUE(opened) << error;
    if (opened) {
      EXPECT_EQ(f.destination(), Destination::direct);
      f.stream() << text;
      EXPECT_TRUE(f.commit(error)) << error;
    }
  }
  reader.join();
  EXPECT_EQ(received.size(), text.size());
  EXPECT_TRUE(fs::is_fifo(fifo));
  expect_only(fifo);

  // Devices: written, never replaced; a full one is an error with the
  // reason, found at the commit at the latest.
  struct Case {
    const char* path;
    bool ok;
  };
  for (const Case& c : {Case{"/dev/null", true}, Case{"/dev/full", false}}) {
    struct stat before {}, after {};
    ASSERT_EQ(::stat(c.path, &before), 0);
    AtomicFile f;
    ASSERT_TRUE(f.open(c.path, error)) << error;
    EXPECT_EQ(f.destination(), Destination::direct);
    f.stream() << text;
    EXPECT_EQ(f.commit(error), c.ok) << c.path;
    if (!c.ok) {
      EXPECT_EQ(error, std::string("cannot write the output file '") + c.path + "': No space left on device");
    }
    ASSERT_EQ(::stat(c.path, &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode) && after.st_rdev == before.st_rdev && after.st_ino == before.st_ino) << c.path;
  }
  EXPECT_EQ(AtomicFile::check("/dev/full"), "");
  EXPECT_EQ(AtomicFile::check(dir_.string(), "plot file"),
            "cannot write the plot file '" + dir_.string() + "': Is a directory");

  // A block device is neither written over nor replaced (made here where
  // the process may: root with the capability).
  const fs::path disk = dir_ / "disk";
  if (::mknod(disk.c_str(), S_IFBLK | 0600, makedev(7, 200)) == 0) {
    AtomicFile f;
    EXPECT_FALSE(f.open(disk.string(), error));
    EXPECT_NE(error.find("block device"), std::string::npos) << error;
    EXPECT_NE(AtomicFile::check(disk.string()).find("block device"), std::string::npos);
    EXPECT_TRUE(fs::is_block_file(disk));
  }
}

TEST(ProgressTest, ShownOnATerminalForLongRunsOnlyAndClearedAtTheEnd) {
  using namespace std::chrono;
  steady_clock::time_point t{};
  const auto clock = [&t] { return t; };
  // A run on course for 2 s: a line after the first quarter second.
  std::ostringstream err;
  {
    Progress p(err, true, 1000, clock);
    t += milliseconds(100);
    p.update(50);
    EXPECT_EQ(err.str(), "");
    t += milliseconds(400);
    p.update(250);
    EXPECT_EQ(err.str(), "\rquaven: 250 of 1000 rows");
    t += milliseconds(10);
    p.update(260);  // too soon to redraw
    t += milliseconds(200);
    p.update(1000);
  }
  EXPECT_EQ(err.str(), "\rquaven: 250 of 1000 rows\rquaven: 1000 of 1000 rows\r" + std::string(25, ' ') + "\r");
  // Not a terminal, or a run on course for half a second: nothing.
  for (const bool terminal : {false, true}) {
    std::ostringstream quiet;
    Progress p(quiet, terminal, 1000, clock);
    t += milliseconds(300);
    p.update(terminal ? 600 : 100);
    t += milliseconds(3000);
    p.update(1000);
    p.finish();
    EXPECT_EQ(quiet.str(), "") << terminal;
  }
}

// The hook the browser page's worker forwards: rows written and rows to come,
// from none at the start to all at the end, whatever the form.
TEST(ProgressTest, HookSeesEveryRowOfARun) {
  for (const char* format : {"table", "json", "cut"}) {
    std::vector<const char*> argv{"quaven", "pattern", "--aperture", "1.2", "--slant", "3", "--freq", "10",
                                  "--angles", "0", "90", "15", "--exact", "--format", format};
    std::vector<std::pair<long long, long long>> calls;
    std::ostringstream out, err;
    const int status = run_cli(static_cast<int>(argv.size()), argv.data(), out, err, {},
                               [&calls](long long done, long long total) { calls.emplace_back(done, total); });
    ASSERT_EQ(status, 0) << err.str();
    const long long rows = std::string(format) == "cut" ? 3 : 7;
    ASSERT_EQ(calls.size(), static_cast<std::size_t>(rows + 1)) << format;
    for (long long i = 0; i <= rows; ++i) EXPECT_EQ(calls[static_cast<std::size_t>(i)], std::make_pair(i, rows)) << format;
  }
}

TEST(RowWriterTest, EachFormatStreamsRowsWithTheirNotes) {
  api::Head head;
  head.command = "design";
  head.inputs.number("freq_ghz", api::single_cell(0.2f));
  head.inputs.numbers("s_range", {api::double_cell(0.1), api::double_cell(INFINITY)});
  head.inputs.text("units", "in \"x\"");
  head.columns = {{"s_cycles", "cycles", true}, {"gain_db", "dB", false}};
  // The table: S in a legacy 6.3 field, the gain by printf in 7.2 after two
  // blanks, each under its heading.
  api::Field s_field, gain_field;
  s_field.width = 6;
  s_field.decimals = 3;
  s_field.head = {{"     S"}};
  gain_field.style = api::Field::Style::printf;
  gain_field.gap = 2;
  gain_field.width = 7;
  gain_field.decimals = 2;
  gain_field.head = {{"", 3.0f, " dB"}};
  head.table = {{0, s_field}, {1, gain_field}};
  head.key = "S = %";
  const Notes cut = note_bit(Note::below_cutoff);
  const auto run = [&](const std::string& format, int rows, std::string* err_text = nullptr) {
    std::ostringstream out, err;
    auto w = RowWriter::make(format, out, err);
    w->begin(head);
    for (int i = 1; i <= rows; ++i) {
      const Notes n = (i <= 3 || i == 5 || i >= 8) ? cut | (i == 2 ? note_bit(Note::s_above_one) : 0) : 0;
      w->row({{api::single_cell(0.1f * static_cast<float>(i)), api::double_cell(i == 4 ? NAN : 1.0 / 3.0)}, n});
    }
    w->end();
    if (err_text != nullptr) *err_text = err.str();
    return out.str();
  };
  std::string err;
  EXPECT_EQ(run("table", 20, &err).substr(0, 65), "\n     S   3. dB\n\n 0.100     0.33\n 0.200     0.33\n 0.300     0.33\n");
  EXPECT_EQ(run("table", 4).substr(65), " 0.400      nan\n");
  EXPECT_EQ(err, std::string("quaven: note at S = 0.1 to 0.3, 0.5, 0.8 to 2 (17 rows): ") +
                     note_text(Note::below_cutoff) + "\nquaven: note at S = 0.2 (1 row): " +
                     note_text(Note::s_above_one) + "\n");
  const std::string csv = run("csv", 4);
  EXPECT_EQ(csv, "s_cycles,gain_db,notes\n0.1,0.3333333333333333,below_cutoff\n"
                 "0.2,0.3333333333333333,below_cutoff;s_above_1\n0.3,0.3333333333333333,below_cutoff\n0.4,,\n");
  for (const int rows : {0, 1, 4}) {
    const auto doc = nlohmann::json::parse(run("json", rows));
    EXPECT_EQ(doc["inputs"]["freq_ghz"].get<double>(), 0.2);
    EXPECT_TRUE(doc["inputs"]["s_range"][1].is_null());
    EXPECT_EQ(doc["inputs"]["units"], "in \"x\"");
    EXPECT_EQ(doc["columns"], nlohmann::json({"s_cycles", "gain_db", "notes"}));
    ASSERT_EQ(doc["rows"].size(), static_cast<std::size_t>(rows));
    if (rows == 4) {
      EXPECT_EQ(doc["rows"][1]["notes"], nlohmann::json({"below_cutoff", "s_above_1"}));
      EXPECT_TRUE(doc["rows"][3]["gain_db"].is_null());
      EXPECT_EQ(doc["rows"][3]["notes"], nlohmann::json::array());
    }
  }
}

}  // namespace
}  // namespace quaven
