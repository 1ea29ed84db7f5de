#include "numeric/shortest.h"

#include <charconv>

namespace quaven {
namespace {
template <class Real>
std::string to_text(Real x) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, r.ptr);
}
}  // namespace

std::string shortest(float x) { return to_text(x); }
std::string shortest(double x) { return to_text(x); }

}  // namespace quaven
