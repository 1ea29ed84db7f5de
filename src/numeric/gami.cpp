#include "numeric/gami.h"

namespace quaven {
float gami(float&) { return 0.0f; }  // to come
float gam(float& x) { return 1.0f / gami(x); }
}  // namespace quaven
