#include "horn/chngn.h"

namespace quaven {
void chngn(const float&, const float&, const float&, float& gain) { gain = 0.0f; }  // to come
}  // namespace quaven
