// The console dialogue: design tables and frequency responses.
#pragma once

#include <iosfwd>

namespace quaven {

// Runs one whole dialogue: prompts and tables to `out`, diagnostics to `err`,
// answers from `in`, records to the report file named in the first answer.
// Returns the process exit status: 0 at a normal end, non-zero after a
// failure (which `err` describes).
int run(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace quaven
