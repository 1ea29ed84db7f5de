// The plots of the subcommands (--plot FILE). Each takes the head of its
// subcommand's rows, then the rows as they are made, reads the columns it
// draws by their names, and turns them into a plot::Figure at the end; only
// a run that asks for a plot keeps them. A new subcommand's plot is one more
// RowPlot.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "api/table.h"
#include "cli/plot.h"
#include "cli/subcommands.h"

namespace quaven {
namespace cli {

class RowPlot {
 public:
  explicit RowPlot(std::string title) : title_(std::move(title)) {}
  virtual ~RowPlot() = default;
  void begin(const api::Head& head) { head_ = head; }
  virtual void add(const api::Row& row) = 0;
  virtual plot::Figure figure() const = 0;

 protected:
  // The value of the named column in `row` (not-a-number without it).
  double at(const api::Row& row, const std::string& column) const;
  // The figure's title: the plot's own, then the head's caption (the
  // full-wave body solved) when it has one.
  std::string title() const { return head_.caption.empty() ? title_ : title_ + ". " + head_.caption; }
  std::string title_;
  api::Head head_;
};

// Power and phase of each cut against the angle off axis. The power is shown
// relative to its largest value in the plot, the -3 and -10 dB levels below
// it marked and the axis ending --floor below it; rectangular, or polar with
// --plot-polar.
std::unique_ptr<RowPlot> pattern_plot(const HornOptions& o);
// The beamwidths at both levels; the phase centres, and the gain on a second
// axis; against frequency.
std::unique_ptr<RowPlot> response_plot(const HornOptions& o);
// The aperture and slant radii, and the gain, against S.
std::unique_ptr<RowPlot> design_plot(const DesignOptions& o);
// The efficiency budget (aperture efficiency and its four factors), and the
// edge tapers with the 45-degree cross-polar peak, against f/D or S.
std::unique_ptr<RowPlot> feed_plot(const FeedOptions& o);

}  // namespace cli
}  // namespace quaven
