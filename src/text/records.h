// The fixed-width records of the design, frequency-response and pattern
// tables, shared by the dialogue and the command-line table format. Each
// record is offered whole for the legacy figures and as its fields, values
// already in the table's units, for any other source of figures.
#pragma once

#include <string>

#include "legacy/figures.h"
#include "numeric/constants.h"

namespace quaven {

// Factor from inches to the chosen unit: 1 centimetres, 2 inches.
using legacy::unit_factor;
// Label of the unit after the aperture in the response title.
inline constexpr const char* unit_label[2] = {" cm ", " in."};

// Header of a design table (three lines, the first and last empty); with
// `beamwidths` the four columns of beamwidth_fields follow the phase centres.
std::string design_header(bool beamwidths = false);
// The fields of one design line, without its line end (64 characters).
std::string design_fields(float s, float arad, float srad, float gain, float pce, float pch);
// The E- and H-plane beamwidths at 3 dB and at 10 dB, appended to a design
// line (32 characters).
std::string beamwidth_fields(float bwe3, float bwh3, float bwe10, float bwh10);
// One design line (64 characters and a line end); lengths and phase centres
// are multiplied by `un`, each product rounded to single precision.
std::string design_record(const DesignLine& d, float un);

// The title that precedes a response table in the report.
std::string response_title(float arad, float srad, int iunit);
// Header of a response table with the column levels `blv` (dB): E-plane
// 3 and 10 dB columns, then H-plane 3 and 10 dB columns.
std::string response_header(const float blv[4]);
// One response line (68 characters and a line end) from its fields: the
// E-plane beamwidths at the first and second column level and phase centre,
// the same for the H-plane, and the gain.
std::string response_record(float fr, float bwe1, float bwe2, float pce, float bwh1, float bwh2, float pch,
                            float gain);
// The same from the legacy figures; phase centres multiplied by `un`.
std::string response_record(float fr, const HornFigures& h, float un);

// Header of a pattern table, and one line: angle, then amplitude (dB) and
// phase (degrees) of the E-plane and of the H-plane.
std::string pattern_header();
std::string pattern_record(float deg, float ampe, float phe, float amph, float phh);

}  // namespace quaven
