#include "horn/chbwd.h"

namespace quaven {
void chbwd(const float&, float& aw, const float&, const int&, const int&) { aw = 0.0f; }  // to come
}  // namespace quaven
