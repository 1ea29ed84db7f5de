// quaven: conical TE11 horn design to beamwidth.
#include <iostream>

#include "dialogue/dialogue.h"

int main() { return quaven::run(std::cin, std::cout, std::cerr); }
