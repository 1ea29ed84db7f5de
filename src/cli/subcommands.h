// The subcommands design, response, pattern and feed: their options as
// typed, turned into the value API's requests, whose rows are written as
// they are computed.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/output.h"

namespace quaven {
namespace cli {

struct DesignOptions {
  Common common;
  Level level;
  std::string freq, beamwidth, gain, plane = "E";
  std::vector<std::string> s_range;
  CLI::Option* beamwidth_opt = nullptr;
  CLI::Option* gain_opt = nullptr;
  CLI::Option* plane_opt = nullptr;
  std::string throat;  // empty: not given
};

// The full-wave model and the parts of its body besides the horn's radii, in
// --units (empty: not given; the guide's length and wall then take the
// library's defaults). `throat` is also response's feed guide without it.
struct FullWaveOptions {
  bool full_wave = false;
  std::string throat;
  std::string guide_length, wall;
  std::string threads;  // the solver's thread count, as typed
};

// The options of a given horn: response (with `range` the frequencies) and
// pattern (with `range` the angles).
struct HornOptions : FullWaveOptions {
  Common common;
  Level level;
  std::string aperture, slant, freq;
  std::vector<std::string> range;
};

// A horn on a dish: judged (--aperture and --slant) or designed (at the
// best S, or over --s-range, to the best efficiency or to --taper).
// With --full-wave it judges the full-wave horn of --aperture, --slant and
// the feed guide.
struct FeedOptions : FullWaveOptions {
  Common common;
  std::string freq, f_over_d, aperture, slant, taper;
  std::vector<std::string> f_over_d_range, s_range;
};

// Each reads its options (UsageError for a text it cannot read), names them
// in `words`, and runs its request, whose rows go to `out` one by one
// (api::Refusal for a request the model refuses, OutputError when the rows
// cannot be written).
void design(const DesignOptions& o, Words& words, Output& out);
void response(const HornOptions& o, Words& words, Output& out);
void pattern(const HornOptions& o, Words& words, Output& out);
void feed(const FeedOptions& o, Words& words, Output& out);

}  // namespace cli
}  // namespace quaven
