#include "numeric/glina.h"

namespace quaven::detail {
bool gauss_rule(int, GaussRule&) { return false; }  // tables to come
}  // namespace quaven::detail
