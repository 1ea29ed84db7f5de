// The shortest decimal text that reads back to the same value: a float's
// text read as a float, a double's as a double (0.2f gives "0.2", not
// "0.200000003"). Fixed or exponent form, whichever is shorter, as
// std::to_chars chooses; "nan", "inf" and "-inf" for values that are not
// finite, which callers that write CSV or JSON show in their own way.
#pragma once

#include <string>

namespace quaven {

std::string shortest(float x);
std::string shortest(double x);

}  // namespace quaven
