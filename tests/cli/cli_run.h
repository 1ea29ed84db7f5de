// Runs the command line in memory, as the tests of the subcommands do.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace quaven {

struct CliRun {
  int status;
  std::string out, err;
};

// `quaven ARGS...`: its exit status, standard output and standard error.
inline CliRun run(const std::vector<std::string>& args) {
  std::vector<const char*> argv{"quaven"};
  for (const auto& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = run_cli(static_cast<int>(argv.size()), argv.data(), out, err);
  return CliRun{status, out.str(), err.str()};
}

}  // namespace quaven
