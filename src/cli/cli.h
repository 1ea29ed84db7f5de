// The command-line subcommands: design, response, pattern and feed, each writing
// one table as fixed-width text, CSV or JSON, then exiting.
#pragma once

#include <functional>
#include <iosfwd>

namespace quaven {

// Runs `quaven SUBCOMMAND OPTIONS...`: the table to `out` (or the file of
// --output), help and version to `out`, diagnostics to `err`. Returns the
// exit status: 0 on success and for --help and --version, 2 for a bad
// option or value (with a usage message on `err`), 1 when the output
// cannot be written. Rows are written as they are computed.
//
// Which of `out` and `err` are terminals: a long run keeps a progress line
// on `err` when it is one, unless the rows themselves go to the same screen.
struct Terminals {
  bool out = false;
  bool err = false;
};
//
// `progress`, when given, is called with the rows written and the rows to
// come: once with none written when the table starts, then after each row
// (the browser page forwards it from its worker to show how far a long
// solve has gone).
using ProgressHook = std::function<void(long long done, long long total)>;
int run_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err, Terminals terminals = {},
            const ProgressHook& progress = nullptr);

}  // namespace quaven
