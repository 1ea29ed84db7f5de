// Fixed-width output fields of the report and the terminal tables.
#pragma once

#include <string>

namespace quaven {

// x in a w.d field: fixed point rounded to d decimals (halfway cases to even,
// on the binary value), right-justified in exactly w characters, the decimal
// point always shown, a zero before the point only when there is room, a
// negative value that rounds to zero keeping its sign, NaN/Inf/-Inf shown as
// words, and w asterisks when the value does not fit.
std::string fixed(int w, int d, float x);

// n blanks.
std::string blanks(int n);

}  // namespace quaven
