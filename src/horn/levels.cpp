#include "horn/levels.h"

#include "numeric/constants.h"

namespace quaven {

int curve_of_level(float plev) {
  int ilev = 0;
  for (int i = 1; i <= 2; ++i) {
    if (legacy::curve_levels[i - 1] == plev) ilev = i;
  }
  return ilev;
}

int resolve_curve(float plev, int derive) {
  const int own = curve_of_level(plev);
  if (own == 0) return derive;
  return derive != 0 && derive != own ? -1 : own;
}

std::array<float, 4> column_levels(float plev, int ilev) {
  std::array<float, 4> blv = {legacy::curve_levels[0], legacy::curve_levels[1], legacy::curve_levels[2],
                              legacy::curve_levels[3]};
  if (ilev == 1 || ilev == 2) {
    blv[ilev - 1] = plev;
    blv[ilev + 1] = plev;
  }
  return blv;
}

}  // namespace quaven
