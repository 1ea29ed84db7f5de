#include "numeric/sweep.h"

namespace quaven {

bool count_sweep(Sweep& sweep) {
  if (sweep.step == 0.0f) return false;
  const float n = (sweep.last - sweep.first) / sweep.step + 1.4f;
  if (!(n > -2147483648.0f && n < 2147483648.0f)) return false;
  sweep.count = static_cast<int>(n);
  return true;
}

}  // namespace quaven
