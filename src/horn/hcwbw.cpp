#include "horn/hcwbw.h"

namespace quaven {
void hcwbw(const float&, const float&, const float&, float& bwe3, float& bwh3, float& bwe10, float& bwh10) {
  bwe3 = bwh3 = bwe10 = bwh10 = 0.0f;  // to come
}
}  // namespace quaven
