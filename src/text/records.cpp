#include "text/records.h"

#include "text/fields.h"

namespace quaven {

std::string response_title(float arad, float srad, int iunit) {
  const float un = unit_factor[iunit - 1];
  return "\n Frequency Response, Aperture:" + fixed(8, 3, un * arad) + unit_label[iunit - 1] + blanks(2) +
         " Slant Radius:" + fixed(8, 3, un * srad) + "\n";
}

}  // namespace quaven
