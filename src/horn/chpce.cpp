#include "horn/chpce.h"

namespace quaven {
void chpce(const float&, const float&, const float&, const float&, float& pe, const float&, float& ph) {
  pe = ph = 0.0f;  // to come
}
float rela(const float& p, const float& q) { return p - q; }  // to come
}  // namespace quaven
