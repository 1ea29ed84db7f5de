// The three subcommands: their options as read, and the Result each makes.
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
};

// The options of a given horn: response (with `range` the frequencies) and
// pattern (with `range` the angles).
struct HornOptions {
  Common common;
  Level level;
  std::string aperture, slant, freq;
  std::vector<std::string> range;
};

// Each throws UsageError for a value it cannot use.
Result design(const DesignOptions& o);
Result response(const HornOptions& o);
Result pattern(const HornOptions& o);

}  // namespace cli
}  // namespace quaven
