// The subcommands design, response, pattern, feed and geometry: their options as
// typed, turned into the value API's requests, whose rows are written as
// they are computed.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/output.h"

namespace quaven {
namespace cli {

// The full-wave model and the parts of its body besides the horn's radii, in
// --units (empty: not given; the guide's length and wall then take the
// library's defaults). `throat` is also response's and design's feed guide
// without it.
struct FullWaveOptions {
  bool full_wave = false;
  std::string throat;
  std::string guide_length, wall;
  std::string sweep;                // response's: fast or direct, empty when not given (fast)
  std::string flange;               // RADIUS[,THICKNESS]
  std::vector<std::string> chokes;  // INNER,WIDTH,DEPTH[,WALL[,SETBACK]] each
  std::string profile;              // a generating curve's CSV file
  std::string threads;  // the solver's thread count, as typed
};

// A design over S, to a beamwidth or a gain, optionally swept over a band
// (`band`: FMIN FMAX, empty when not given).
struct DesignOptions : FullWaveOptions {
  Common common;
  Level level;
  std::string freq, beamwidth, gain, plane = "E";
  std::vector<std::string> s_range, band;
  CLI::Option* beamwidth_opt = nullptr;
  CLI::Option* gain_opt = nullptr;
  CLI::Option* plane_opt = nullptr;
};

// The options of a given horn: response (with `range` the frequencies) and
// pattern (with `range` the angles, and `freq` or, for the .cut form,
// `freq_range`).
struct HornOptions : FullWaveOptions {
  Common common;
  Level level;
  std::string aperture, slant, freq;
  std::vector<std::string> range, freq_range;
};

// A horn on a dish: judged (--aperture and --slant) or designed (at the
// best S, or over --s-range, to the best efficiency or to --taper).
// With --full-wave it judges the full-wave horn of --aperture, --slant and
// the feed guide.
struct FeedOptions : FullWaveOptions {
  Common common;
  std::string freq, f_over_d, aperture, slant, taper, max_flare;
  std::vector<std::string> f_over_d_range, s_range;
  std::string choke_design;  // the number of rings
  bool equal_tapers = false;
  bool size_guide = false;
};

// A horn's body: its dimensions, drawing or solid. `format` is the form
// chosen (--format, or the --output file's extension).
struct GeometryOptions {
  Common common;
  std::string aperture, slant, throat, guide_length, wall, freq, segments;
  std::string flange;
  std::vector<std::string> chokes;
  std::string profile;
};

// The form a geometry run writes: --format when given, else the kind the
// --output file's extension names (.svg, .dxf, .stl, .csv, .json, any
// case), else the table.
std::string geometry_format(const GeometryOptions& o);

// Each reads its options (UsageError for a text it cannot read), names them
// in `words`, and runs its request, whose rows go to `out` one by one
// (api::Refusal for a request the model refuses, OutputError when the rows
// cannot be written).
void design(const DesignOptions& o, Words& words, Output& out);
void response(const HornOptions& o, Words& words, Output& out);
void pattern(const HornOptions& o, Words& words, Output& out);
void feed(const FeedOptions& o, Words& words, Output& out);
void geometry(const GeometryOptions& o, const std::string& format, Words& words, Output& out);

}  // namespace cli
}  // namespace quaven
