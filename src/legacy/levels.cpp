#include "legacy/levels.h"

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

}  // namespace quaven
