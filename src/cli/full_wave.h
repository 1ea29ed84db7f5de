// The full-wave options of the subcommands that offer the model (response,
// pattern, feed): checked alike, and turned into the body in metres.
#pragma once

#include <string>

#include "cli/options.h"
#include "cli/row_writer.h"
#include "cli/subcommands.h"
#include "horn/input_checks.h"
#ifdef QUAVEN_FULL_WAVE
#include "horn/fullwave.h"
#endif

namespace quaven {
namespace cli {

// The throat radius of --throat in the chosen units (read in double when
// `exact`, else as the legacy models read it), or NaN without it.
double throat_value(const std::string& text, bool exact);

// The full-wave options by their names on the command line.
extern const checks::FullWaveLabels full_wave_labels;

// One model at a time, the throat required with --full-wave, the guide's
// length and wall only with it (checks::full_wave_options); UsageError
// otherwise.
void check_full_wave(const FullWaveOptions& o, const Common& c);

// --throat refused without --full-wave by a subcommand (`what`: "the
// pattern", "feed") whose only use of it is the full-wave body.
void check_throat_needs_full_wave(const FullWaveOptions& o, const std::string& what);

#ifdef QUAVEN_FULL_WAVE
// The parts of the full-wave body besides the horn's radii, in metres: the
// guide (throat in the chosen units, checked to carry TE11 at `lowest_ghz`),
// its length and the wall, with the library's defaults at `lowest_ghz`. The
// values used go to the inputs.
fullwave::Geometry full_wave_body(const FullWaveOptions& o, const Common& c, double throat, double lowest_ghz,
                                  Inputs& inputs);

// The full-wave body in metres from the horn (a, r and throat in the chosen
// units) and the options, with the library's defaults at `lowest_ghz` for
// the guide's length and the wall; refused before anything is written when
// it is not a horn or `lowest_ghz` is below the guide's TE11 cut-off. The
// values used go to the inputs.
fullwave::Geometry full_wave_geometry(const FullWaveOptions& o, const Common& c, double a, double r, double throat,
                                      double lowest_ghz, Inputs& inputs);
#endif

}  // namespace cli
}  // namespace quaven
