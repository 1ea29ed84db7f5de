// The plots of the subcommands.
#include "cli/plots.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "horn/levels.h"

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

double at(const std::vector<double>& row, std::size_t k) { return row.at(k); }

// What a title says of the models.
std::string models(const Common& c) { return c.exact ? "exact aperture integral" : "legacy models"; }
std::string full_wave_model(const FullWaveOptions& o, const Common& c) {
  return "full-wave solution with a " + o.throat + " " + c.units + " feed guide";
}
std::string models(const HornOptions& o) { return o.full_wave ? full_wave_model(o, o.common) : models(o.common); }

std::string horn_title(const HornOptions& o) {
  return "aperture radius " + o.aperture + " " + o.common.units + " and slant radius " + o.slant + " " +
         o.common.units;
}

// ---------------------------------------------------------------- pattern

// Rows: the angle, then power (dB) and phase (degrees) of each cut.
class PatternPlot : public RowPlot {
 public:
  // `dbi`: the power is directivity in dBi, shown as such on a rectangular
  // grid (a polar grid always shows it relative to the peak).
  PatternPlot(std::string title, const std::vector<std::string>& cuts, const PlotOptions& o, bool dbi)
      : title_(std::move(title)), options_(o), dbi_(dbi) {
    for (const std::string& c : cuts) {
      power_.push_back(named(c));
      phase_.push_back(named(c));
      phase_.back().break_jump = 180.0;  // wrapped phase: no line from +180 to -180
    }
  }

  void add(const std::vector<double>& row) override {
    for (std::size_t k = 0; k < power_.size(); ++k) {
      power_[k].add(at(row, 0), at(row, 1 + 2 * k));
      phase_[k].add(at(row, 0), at(row, 2 + 2 * k));
    }
  }

  plot::Figure figure() const override {
    double peak = -std::numeric_limits<double>::infinity();
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    for (const plot::Series& s : power_) {
      for (const double y : s.y) {
        if (std::isfinite(y)) peak = std::max(peak, y);
      }
      for (const double x : s.x) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
    }
    if (!std::isfinite(peak)) peak = 0.0;

    plot::Panel power;
    power.series = power_;
    const bool relative = options_.polar || !dbi_;
    const double top = relative ? 0.0 : peak;
    if (relative) {
      for (plot::Series& s : power.series) {
        for (double& y : s.y) y -= peak;
      }
    }
    power.levels = {{top - 3.0, "−3 dB"}, {top - 10.0, "−10 dB"}};
    if (options_.polar) {
      power.title = "Power relative to the peak (dB), centre at " + db(options_.floor_db);
      power.polar = true;
      power.floor_db = options_.floor_db;
    } else {
      power.title = relative ? "Power relative to the peak" : "Directivity, levels marked below the peak";
      power.xlabel = "Angle off axis (deg)";
      power.ylabel = relative ? "Relative power (dB)" : "Directivity (dBi)";
      power.ymin = top + options_.floor_db;
      power.ymax = top + 3.0;
    }

    plot::Panel phase;
    phase.title = "Phase";
    phase.xlabel = "Angle off axis (deg)";
    phase.ylabel = "Phase (deg)";
    phase.ymin = -180.0;
    phase.ymax = 180.0;
    phase.ytic_step = 90.0;
    phase.series = phase_;

    // Angle tics every 30 degrees suit a wide sweep; gnuplot chooses for a
    // narrow one.
    if (hi - lo >= 90.0) power.xtic_step = phase.xtic_step = 30.0;

    plot::Figure fig;
    fig.title = title_;
    fig.panels = {power, phase};
    return fig;
  }

 private:
  std::string title_;
  PlotOptions options_;
  bool dbi_;
  std::vector<plot::Series> power_;
  std::vector<plot::Series> phase_;
};

// --------------------------------------------------------------- response

// Rows: frequency, E-plane beamwidths at the two levels, E-plane phase
// centre, the same three for the H plane, gain.
class ResponsePlot : public RowPlot {
 public:
  // The levels are resolved when the figure is made: by then the
  // subcommand has accepted them.
  ResponsePlot(std::string title, Level level) : title_(std::move(title)), level_(std::move(level)) {
    widths_.resize(4);
    centres_ = {named("Phase centre, E plane"), named("Phase centre, H plane"), named("Gain (right axis)")};
    centres_[2].second_axis = true;
  }

  void add(const std::vector<double>& row) override {
    const double f = at(row, 0);
    widths_[0].add(f, at(row, 1));
    widths_[1].add(f, at(row, 2));
    widths_[2].add(f, at(row, 4));
    widths_[3].add(f, at(row, 5));
    centres_[0].add(f, at(row, 3));
    centres_[1].add(f, at(row, 6));
    centres_[2].add(f, at(row, 7));
  }

  plot::Figure figure() const override {
    float plev = 0.0f;
    int ilev = 0;
    level_.resolve(plev, ilev);
    const std::array<float, 4> blv = column_levels(plev, ilev);
    plot::Panel widths;
    widths.title = "Beamwidths";
    widths.xlabel = "Frequency (GHz)";
    widths.ylabel = "Full beamwidth (deg)";
    widths.series = widths_;
    for (int k = 0; k < 4; ++k) {
      widths.series[k].name = (k < 2 ? "E plane, " : "H plane, ") + db(static_cast<double>(blv[k]));
    }
    plot::Panel centres;
    centres.title = "Phase centres behind the aperture, and gain";
    centres.xlabel = "Frequency (GHz)";
    centres.ylabel = "Phase centre (wavelengths)";
    centres.y2label = "Gain (dB)";
    centres.series = centres_;
    plot::Figure fig;
    fig.title = title_;
    fig.panels = {widths, centres};
    return fig;
  }

 private:
  std::string title_;
  Level level_;
  std::vector<plot::Series> widths_;
  std::vector<plot::Series> centres_;
};

// ----------------------------------------------------------------- design

// Rows: S, aperture radius, slant radius, gain, ...
class DesignPlot : public RowPlot {
 public:
  DesignPlot(std::string title, std::string units) : title_(std::move(title)), units_(std::move(units)) {
    radii_ = {named("Aperture radius"), named("Slant radius")};
    gain_ = named("Gain");
  }

  void add(const std::vector<double>& row) override {
    const double s = at(row, 0);
    radii_[0].add(s, at(row, 1));
    radii_[1].add(s, at(row, 2));
    gain_.add(s, at(row, 3));
  }

  plot::Figure figure() const override {
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
    plot::Figure fig;
    fig.title = title_;
    fig.panels = {radii, gain};
    return fig;
  }

 private:
  std::string title_;
  std::string units_;
  std::vector<plot::Series> radii_;
  plot::Series gain_;
};


// ------------------------------------------------------------------- feed

// Rows: f/D, rim half-angle, S, aperture and slant radii, aperture in
// wavelengths, the aperture efficiency and its four factors, the efficiency
// at the aperture plane, the focus, the two edge tapers, the 45-degree
// cross-polar peak, ... The budget and the tapers are drawn against f/D for a
// sweep of f/D, else against S.
class FeedPlot : public RowPlot {
 public:
  FeedPlot(std::string title, bool against_s) : title_(std::move(title)), against_s_(against_s) {
    budget_ = {named("Aperture"), named("Spillover"), named("Illumination"), named("Phase"), named("Polarisation")};
    tapers_ = {named("Edge taper, E plane"), named("Edge taper, H plane"), named("Cross-polar peak, 45° plane")};
  }

  void add(const std::vector<double>& row) override {
    const double x = at(row, against_s_ ? 2 : 0);
    for (std::size_t k = 0; k < budget_.size(); ++k) budget_[k].add(x, 100.0 * at(row, 6 + k));
    for (std::size_t k = 0; k < tapers_.size(); ++k) tapers_[k].add(x, at(row, 13 + k));
  }

  plot::Figure figure() const override {
    const std::string xlabel = against_s_ ? "Maximum aperture phase deviation S (cycles)" : "f/D";
    plot::Panel budget;
    budget.title = "Efficiency budget, feed at its best focus";
    budget.xlabel = xlabel;
    budget.ylabel = "Efficiency (%)";
    budget.series = budget_;
    plot::Panel tapers;
    tapers.title = "Edge tapers and cross-polarisation";
    tapers.xlabel = xlabel;
    tapers.ylabel = "Level (dB)";
    tapers.series = tapers_;
    plot::Figure fig;
    fig.title = title_;
    fig.panels = {budget, tapers};
    return fig;
  }

 private:
  std::string title_;
  bool against_s_;
  std::vector<plot::Series> budget_;
  std::vector<plot::Series> tapers_;
};

}  // namespace

std::unique_ptr<RowPlot> pattern_plot(const HornOptions& o) {
  return std::make_unique<PatternPlot>("Pattern of the horn with " + horn_title(o) + " at " + o.freq + " GHz (" +
                                           models(o) + ")",
                                       o.common.exact || o.full_wave ? std::vector<std::string>{"E plane", "H plane", "45° plane, co-polar",
                                                                                 "45° plane, cross-polar"}
                                                      : std::vector<std::string>{"E plane", "H plane"},
                                       o.common.plot, o.common.exact || o.full_wave);
}

std::unique_ptr<RowPlot> response_plot(const HornOptions& o) {
  return std::make_unique<ResponsePlot>("Response of the horn with " + horn_title(o) + " (" + models(o) + ")",
                                        o.level);
}

std::unique_ptr<RowPlot> design_plot(const DesignOptions& o) {
  std::string title;
  if (o.gain_opt != nullptr && o.gain_opt->count() > 0) {
    title = "Horns with a gain of " + o.gain + " dB at " + o.freq + " GHz";
  } else {
    const std::string plane = o.plane == "avg" ? "mean of the E and H planes" : o.plane + " plane";
    title = "Horns with a beamwidth of " + o.beamwidth + "° at " + o.level.level + " dB (" + plane + ") at " + o.freq +
            " GHz";
  }
  return std::make_unique<DesignPlot>(title + " (" + models(o.common) + ")", o.common.units);
}

std::unique_ptr<RowPlot> feed_plot(const FeedOptions& o) {
  const std::string dish =
      o.f_over_d_range.empty() ? "f/D " + o.f_over_d : "f/D " + o.f_over_d_range[0] + " to " + o.f_over_d_range[1];
  const std::string horn = o.aperture.empty() ? "best horns" : "horn with " + o.aperture + " " + o.common.units +
                                                                   " aperture and " + o.slant + " " + o.common.units +
                                                                   " slant radius";
  const bool against_s = o.f_over_d_range.empty() && !o.s_range.empty();
  return std::make_unique<FeedPlot>("Dish feed: " + horn + ", " + dish + ", at " + o.freq + " GHz (" +
                                        (o.full_wave ? full_wave_model(o, o.common) : "exact aperture integral") + ")",
                                    against_s);
}

}  // namespace cli
}  // namespace quaven
