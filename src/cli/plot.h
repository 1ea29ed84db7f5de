// Figures drawn by gnuplot: a small description of a plot (a title and one or
// more panels of named series) written to SVG, PNG or PDF.
//
// gnuplot is run as a separate program through a pipe, with the data inline in
// the script it reads. It draws polar grids in dB and second y axes natively,
// and its SVG and PNG output is the same bytes run to run. The binary is the
// one named by the environment variable QUAVEN_GNUPLOT, else `gnuplot` on PATH.
#pragma once

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace quaven {
namespace plot {

// A named curve. Values that are not finite are sent as NaN, which gnuplot
// leaves out and breaks the line at: a gap, never a zero.
struct Series {
  std::string name;
  std::vector<double> x;
  std::vector<double> y;
  bool second_axis = false;  // drawn against the panel's right-hand y axis
  // When > 0, the line is broken between neighbours whose y values differ by
  // more than this (a phase that wraps from +180 to -180 degrees).
  double break_jump = 0.0;

  void add(double xv, double yv) {
    x.push_back(xv);
    y.push_back(yv);
  }
};

// A level marked across a panel (a horizontal line, or a circle on a polar
// grid) and named in the legend.
struct Level {
  double y;
  std::string name;
};

// One plot area. Rectangular by default; polar panels take x as the angle in
// degrees (0 at the top, positive clockwise, labels signed -180..180) and y as
// the radius in dB from `floor_db` (centre) to `ceiling_db` (rim); values below
// the floor are drawn at the floor.
struct Panel {
  std::string title;
  std::string xlabel;   // with its unit, e.g. "Angle off axis (deg)"
  std::string ylabel;
  std::string y2label;  // used when a series is on the second axis
  double xtic_step = 0.0;  // 0: gnuplot's choice
  double ytic_step = 0.0;
  // Range of the left y axis; a bound that is not finite is left to gnuplot.
  // Lines that leave the range are cut at its edge.
  double ymin = std::numeric_limits<double>::quiet_NaN();
  double ymax = std::numeric_limits<double>::quiet_NaN();
  bool log_y = false;  // logarithmic left y axis (values <= 0 are left out)
  bool polar = false;
  double floor_db = -40.0;
  double ceiling_db = 0.0;
  std::vector<Level> levels;
  std::vector<Series> series;
};

struct Figure {
  std::string title;
  std::vector<Panel> panels;
};

enum class Format { svg, png, pdf };

// Any failure to draw or write a plot; what() is one line.
struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The format named by the extension of `path` (.svg, .png, .pdf, in any
// case); throws Error for any other.
Format format_of(const std::string& path);

// The gnuplot program to run: $QUAVEN_GNUPLOT (a path, or a name looked up on
// PATH) or `gnuplot` on PATH. Throws Error when it is not an executable file.
std::string find_gnuplot();

// What can be checked before any work is done: the extension, the gnuplot
// program and a destination that looks writable (AtomicFile::check).
// Throws Error.
void check(const std::string& path);

// The gnuplot script, with its data inline, that draws `fig` to `output`.
std::string script(const Figure& fig, Format format, const std::string& output);

// Draws `fig` into `path`: gnuplot writes a scratch file (ScratchFile), which
// is checked whole and then written to `path` as AtomicFile writes any
// output (an ordinary file replaced only when complete, a link's target
// replaced and the link kept, a FIFO or device written in place). On any
// failure the scratch and temporary files are removed, a file already at
// `path` is untouched, and Error says why.
void write(const Figure& fig, const std::string& path);

}  // namespace plot
}  // namespace quaven
