#include "dialogue/dialogue.h"

#include <istream>
#include <ostream>

namespace quaven {
int run(std::istream&, std::ostream& out, std::ostream&) {
  out << " Conical TE-11 Mode Horn Designed to Beamwidth\n";
  return 0;
}
}  // namespace quaven
