// The fixed-width records of the design and frequency-response tables,
// shared by the dialogue and the command-line table format.
#pragma once

#include <string>

#include "horn/figures.h"

namespace quaven {

// Factor from inches to the chosen unit: 1 centimetres, 2 inches.
inline constexpr float unit_factor[2] = {2.54f, 1.0f};
// Label of the unit after the aperture in the response title.
inline constexpr const char* unit_label[2] = {" cm ", " in."};

// Header of a design table (three lines, the first and last empty).
std::string design_header();
// One design line (64 characters and a line end); lengths and phase centres
// are multiplied by `un`, each product rounded to single precision.
std::string design_record(const DesignLine& d, float un);

// The title that precedes a response table in the report.
std::string response_title(float arad, float srad, int iunit);
// Header of a response table with the column levels `blv` (dB): E-plane
// 3 and 10 dB columns, then H-plane 3 and 10 dB columns.
std::string response_header(const float blv[4]);
// One response line (68 characters and a line end).
std::string response_record(float fr, const HornFigures& h, float un);

}  // namespace quaven
