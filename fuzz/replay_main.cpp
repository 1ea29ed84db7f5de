// Replays fuzz inputs without libFuzzer: every regular file under the paths
// given (files or directories, in name order) goes once through the
// target's LLVMFuzzerTestOneInput. A fault shows as a sanitizer report or an
// abort; a path that holds no input is an error, so an empty corpus cannot
// pass unnoticed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::size_t replayed = 0;
  for (int a = 1; a < argc; ++a) {
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_directory(argv[a], ec)) {
      for (const auto& entry : fs::recursive_directory_iterator(argv[a]))
        if (entry.is_regular_file()) files.push_back(entry.path());
    } else if (fs::is_regular_file(argv[a], ec)) {
      files.emplace_back(argv[a]);
    }
    if (files.empty()) {
      std::fprintf(stderr, "replay: no input in '%s'\n", argv[a]);
      return 1;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      // A copy of exactly the file's size, so that a read past its end is
      // caught as it would be under libFuzzer.
      std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
      LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
      ++replayed;
    }
  }
  if (replayed == 0) {
    std::fprintf(stderr, "replay: no input given\n");
    return 1;
  }
  std::printf("replayed %zu inputs\n", replayed);
  return 0;
}
