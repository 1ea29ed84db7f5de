// quaven: conical TE11 horn design to beamwidth. Without arguments it runs
// the console dialogue; with arguments, one command-line job.
#include <iostream>

#include "cli/cli.h"
#include "cli/progress.h"
#include "dialogue/dialogue.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    const int status = quaven::run_cli(argc, argv, std::cout, std::cerr, {quaven::is_terminal(1), quaven::is_terminal(2)});
    // Text such as --help and --version is written without a check of its
    // own; an unwritable standard output must not end as a success.
    std::cout.flush();
    if (status == 0 && !std::cout) {
      std::cerr << "quaven: cannot write to standard output\n";
      return 1;
    }
    return status;
  }
  return quaven::run(std::cin, std::cout, std::cerr);
}
