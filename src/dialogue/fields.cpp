#include "dialogue/fields.h"

namespace quaven {
std::string fixed(int w, int, float) { return std::string(static_cast<std::size_t>(w > 0 ? w : 0), '*'); }  // to come
}  // namespace quaven
