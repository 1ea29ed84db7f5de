#include "horn/chp11.h"

namespace quaven {
float Fintc::operator()(const float*) { return 0.0f; }  // to come
void chp11(const float&, const float&, const float&, const float&, float& ampe, float& amph, float& phe,
           float& phh) {
  ampe = amph = -120.0f;
  phe = phh = 0.0f;
}
}  // namespace quaven
