#include "numeric/besj.h"

namespace quaven {
float besj(const float&, const float&) { return 0.0f; }  // to come
}  // namespace quaven
