#include "horn/universal_curves.h"

namespace quaven::curves {
const float e3[count] = {};  // to come
const float h3[count] = {};
const float e1[count] = {};
const float h1[count] = {};
}  // namespace quaven::curves
