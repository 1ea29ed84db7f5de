// The dialogue's records besides its tables (whose lines text/row_writer.h
// makes from the value API's rows): the title of a response in the report.
#pragma once

#include <string>

#include "numeric/constants.h"

namespace quaven {

// Factor from inches to the chosen unit: 1 centimetres, 2 inches.
using legacy::unit_factor;
// Label of the unit after the aperture in the response title.
inline constexpr const char* unit_label[2] = {" cm ", " in."};

// The title that precedes a response table in the report.
std::string response_title(float arad, float srad, int iunit);

}  // namespace quaven
