// The plots of the subcommands (--plot FILE). Each collects its series as the
// rows are computed and turns them into a plot::Figure at the end; only a run
// that asks for a plot keeps them.
#pragma once

#include <string>
#include <vector>

#include "cli/plot.h"

namespace quaven {
namespace cli {

// What --plot, --plot-polar and --floor ask for.
struct PlotOptions {
  std::string file;        // empty: no plot
  bool polar = false;      // pattern power on a polar grid
  double floor_db = -40.0; // lowest level shown, dB below the peak
};

// A radiation pattern: power and phase of each cut against the angle off
// axis. The power is shown relative to its largest value in the plot, or as
// it is (in dBi) when `absolute`; either way the -3 and -10 dB levels below
// the peak are marked and the axis ends `floor_db` below it.
class PatternPlot {
 public:
  PatternPlot(std::string title, std::vector<std::string> cuts, bool absolute);
  // One angle (degrees): the power (dB) and phase (degrees) of every cut, in
  // the order of `cuts`.
  void add(double angle, const std::vector<double>& power_db, const std::vector<double>& phase_deg);
  plot::Figure figure(const PlotOptions& o) const;

 private:
  std::string title_;
  bool absolute_;
  std::vector<plot::Series> power_;
  std::vector<plot::Series> phase_;
};

// A frequency response: the beamwidths at two levels, the phase centres and
// the gain against frequency.
class ResponsePlot {
 public:
  // level1_db, level2_db: the levels of the two beamwidth pairs.
  ResponsePlot(std::string title, double level1_db, double level2_db);
  void add(double freq_ghz, double bwe1, double bwe2, double pce_wl, double bwh1, double bwh2, double pch_wl,
           double gain_db);
  plot::Figure figure() const;

 private:
  std::string title_;
  std::vector<plot::Series> widths_;  // E level1, E level2, H level1, H level2
  std::vector<plot::Series> centres_; // E, H, gain
};

// A design sweep: the aperture and slant radii and the gain against S.
class DesignPlot {
 public:
  // units: the length unit of the radii ("in" or "cm").
  DesignPlot(std::string title, std::string units);
  void add(double s, double arad, double srad, double gain_db);
  plot::Figure figure() const;

 private:
  std::string title_;
  std::string units_;
  std::vector<plot::Series> radii_;  // aperture, slant
  plot::Series gain_;
};

}  // namespace cli
}  // namespace quaven
