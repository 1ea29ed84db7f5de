// quaven: conical TE11 horn design to beamwidth. Without arguments it runs
// the console dialogue; with arguments, one command-line job.
#include <iostream>

#include "dialogue/cli.h"
#include "dialogue/dialogue.h"

int main(int argc, char** argv) {
  if (argc > 1) return quaven::run_cli(argc, argv, std::cout, std::cerr);
  return quaven::run(std::cin, std::cout, std::cerr);
}
