// The plots of the subcommands.
#include "cli/plots.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <limits>
#include <utility>

namespace quaven {
namespace cli {

namespace {

plot::Series named(std::string name) {
  plot::Series s;
  s.name = std::move(name);
  return s;
}

// "3 dB" for a level of 3, "−40 dB" (with a minus sign) for -40.
std::string db(double level) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g dB", std::fabs(level));
  return (level < 0.0 ? "−" : "") + std::string(buf);
}

}  // namespace

// ---------------------------------------------------------------- pattern

PatternPlot::PatternPlot(std::string title, std::vector<std::string> cuts, bool absolute)
    : title_(std::move(title)), absolute_(absolute) {
  for (const std::string& c : cuts) {
    power_.push_back(named(c));
    phase_.push_back(named(c));
    phase_.back().break_jump = 180.0;  // wrapped phase: no line from +180 to -180
  }
}

void PatternPlot::add(double angle, const std::vector<double>& power_db, const std::vector<double>& phase_deg) {
  for (std::size_t k = 0; k < power_.size(); ++k) {
    power_[k].add(angle, power_db.at(k));
    phase_[k].add(angle, phase_deg.at(k));
  }
}

plot::Figure PatternPlot::figure(const PlotOptions& o) const {
  double peak = -std::numeric_limits<double>::infinity();
  for (const plot::Series& s : power_) {
    for (const double y : s.y) {
      if (std::isfinite(y)) peak = std::max(peak, y);
    }
  }
  if (!std::isfinite(peak)) peak = 0.0;

  plot::Figure fig;
  fig.title = title_;
  plot::Panel power;
  power.xlabel = "Angle off axis (deg)";
  power.series = power_;
  // Relative power: 0 dB at the peak. Polar grids are always relative.
  const bool relative = !absolute_ || o.polar;
  if (relative) {
    for (plot::Series& s : power.series) {
      for (double& y : s.y) y -= peak;
    }
  }
  const double top = relative ? 0.0 : peak;
  power.levels = {{top - 3.0, "−3 dB"}, {top - 10.0, "−10 dB"}};
  if (o.polar) {
    power.title = "Power relative to the peak (dB), centre at " + db(o.floor_db);
    power.polar = true;
    power.floor_db = o.floor_db;
    power.ceiling_db = 0.0;
  } else {
    power.title = relative ? "Power relative to the peak" : "Directivity";
    power.ylabel = relative ? "Relative power (dB)" : "Directivity (dBi)";
    power.ymin = top + o.floor_db;
    power.ymax = top + 3.0;
    power.xtic_step = 30.0;
  }

  plot::Panel phase;
  phase.title = "Phase";
  phase.xlabel = "Angle off axis (deg)";
  phase.ylabel = "Phase (deg)";
  phase.ymin = -180.0;
  phase.ymax = 180.0;
  phase.ytic_step = 90.0;
  phase.xtic_step = 30.0;
  phase.series = phase_;

  // Angle tics every 30 degrees suit a wide sweep; gnuplot chooses for a
  // narrow one.
  double lo = std::numeric_limits<double>::infinity();
  double hi = -lo;
  for (const plot::Series& s : power_) {
    for (const double x : s.x) {
      lo = std::min(lo, x);
      hi = std::max(hi, x);
    }
  }
  if (!(hi - lo >= 90.0)) power.xtic_step = phase.xtic_step = 0.0;

  fig.panels = {power, phase};
  return fig;
}

// --------------------------------------------------------------- response

ResponsePlot::ResponsePlot(std::string title, double level1_db, double level2_db) : title_(std::move(title)) {
  widths_ = {named("E plane, " + db(level1_db)), named("E plane, " + db(level2_db)),
             named("H plane, " + db(level1_db)), named("H plane, " + db(level2_db))};
  centres_ = {named("Phase centre, E plane"), named("Phase centre, H plane"), named("Gain (right axis)")};
  centres_[2].second_axis = true;
}

void ResponsePlot::add(double freq_ghz, double bwe1, double bwe2, double pce_wl, double bwh1, double bwh2,
                       double pch_wl, double gain_db) {
  widths_[0].add(freq_ghz, bwe1);
  widths_[1].add(freq_ghz, bwe2);
  widths_[2].add(freq_ghz, bwh1);
  widths_[3].add(freq_ghz, bwh2);
  centres_[0].add(freq_ghz, pce_wl);
  centres_[1].add(freq_ghz, pch_wl);
  centres_[2].add(freq_ghz, gain_db);
}

plot::Figure ResponsePlot::figure() const {
  plot::Figure fig;
  fig.title = title_;
  plot::Panel widths;
  widths.title = "Beamwidths";
  widths.xlabel = "Frequency (GHz)";
  widths.ylabel = "Full beamwidth (deg)";
  widths.series = widths_;
  plot::Panel centres;
  centres.title = "Phase centres behind the aperture, and gain";
  centres.xlabel = "Frequency (GHz)";
  centres.ylabel = "Phase centre (wavelengths)";
  centres.y2label = "Gain (dB)";
  centres.series = centres_;
  fig.panels = {widths, centres};
  return fig;
}

// ----------------------------------------------------------------- design

DesignPlot::DesignPlot(std::string title, std::string units)
    : title_(std::move(title)), units_(std::move(units)), gain_(named("Gain")) {
  radii_ = {named("Aperture radius"), named("Slant radius")};
}

void DesignPlot::add(double s, double arad, double srad, double gain_db) {
  radii_[0].add(s, arad);
  radii_[1].add(s, srad);
  gain_.add(s, gain_db);
}

plot::Figure DesignPlot::figure() const {
  plot::Figure fig;
  fig.title = title_;
  plot::Panel radii;
  radii.title = "Radii";
  radii.xlabel = "Maximum aperture phase deviation S (cycles)";
  radii.ylabel = "Radius (" + units_ + ")";
  radii.series = radii_;
  // The slant radius grows as 1/S towards S = 0: a logarithmic axis keeps
  // the aperture radius readable beside it.
  radii.log_y = true;
  plot::Panel gain;
  gain.title = "Gain";
  gain.xlabel = radii.xlabel;
  gain.ylabel = "Gain (dB)";
  gain.series = {gain_};
  fig.panels = {radii, gain};
  return fig;
}

}  // namespace cli
}  // namespace quaven
