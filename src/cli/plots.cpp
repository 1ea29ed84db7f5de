// The plots of the subcommands.
#include "cli/plots.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>


namespace quaven {
namespace cli {

double RowPlot::at(const api::Row& row, const std::string& column) const {
  const int k = head_.index(column);
  return k < 0 ? std::numeric_limits<double>::quiet_NaN() : row.cells.at(static_cast<std::size_t>(k)).value;
}

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


// What a title says of the models.
std::string models(const Common& c) { return c.exact ? "exact aperture integral" : "legacy models"; }
// (The body solved follows in the head's caption.)
std::string full_wave_model() { return "full-wave solution"; }
std::string models(const HornOptions& o) { return o.full_wave ? full_wave_model() : models(o.common); }

std::string horn_title(const HornOptions& o) {
  return "aperture radius " + o.aperture + " " + o.common.units + " and slant radius " + o.slant + " " +
         o.common.units;
}

// ---------------------------------------------------------------- pattern

// Power (dB) and phase (degrees) of each cut against the angle.
class PatternPlot : public RowPlot {
 public:
  // `dbi`: the power is directivity in dBi, shown as such on a rectangular
  // grid (a polar grid always shows it relative to the peak).
  PatternPlot(std::string title, const std::vector<std::string>& cuts, const PlotOptions& o, bool dbi)
      : RowPlot(std::move(title)), options_(o), dbi_(dbi) {
    for (const std::string& c : cuts) {
      power_.push_back(named(c));
      phase_.push_back(named(c));
      phase_.back().break_jump = 180.0;  // wrapped phase: no line from +180 to -180
    }
  }

  void add(const api::Row& row) override {
    // The columns of each cut, in the order of the cuts' names.
    static const char* const columns[][2] = {{"amplitude_e_db", "phase_e_deg"},
                                             {"amplitude_h_db", "phase_h_deg"},
                                             {"amplitude_45_co_db", "phase_45_co_deg"},
                                             {"amplitude_45_xp_db", "phase_45_xp_deg"}};
    const double angle = at(row, "angle_deg");
    for (std::size_t k = 0; k < power_.size(); ++k) {
      power_[k].add(angle, at(row, columns[k][0]));
      phase_[k].add(angle, at(row, columns[k][1]));
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

    return plot::Figure{title(), {power, phase}};
  }

 private:
  PlotOptions options_;
  bool dbi_;
  std::vector<plot::Series> power_;
  std::vector<plot::Series> phase_;
};

// --------------------------------------------------------------- response

// The beamwidths at the two levels of each plane, the phase centres and the
// gain, against frequency.
class ResponsePlot : public RowPlot {
 public:
  explicit ResponsePlot(std::string title) : RowPlot(std::move(title)) {
    widths_.resize(4);
    centres_ = {named("Phase centre, E plane"), named("Phase centre, H plane"), named("Gain (right axis)")};
    centres_[2].second_axis = true;
  }

  void add(const api::Row& row) override {
    const double f = at(row, "frequency_ghz");
    const std::vector<std::string> widths = width_columns();
    for (std::size_t k = 0; k < widths.size() && k < 4; ++k) widths_[k].add(f, at(row, widths[k]));
    centres_[0].add(f, at(row, "phase_centre_e_wl"));
    centres_[1].add(f, at(row, "phase_centre_h_wl"));
    centres_[2].add(f, at(row, "gain_db"));
  }

  plot::Figure figure() const override {
    plot::Panel widths;
    widths.title = "Beamwidths";
    widths.xlabel = "Frequency (GHz)";
    widths.ylabel = "Full beamwidth (deg)";
    widths.series = widths_;
    const std::vector<std::string> columns = width_columns();
    for (std::size_t k = 0; k < columns.size() && k < 4; ++k) {
      const double level = head_.columns.at(static_cast<std::size_t>(head_.index(columns[k]))).level_db;
      widths.series[k].name = (k < 2 ? "E plane, " : "H plane, ") + db(level);
    }
    plot::Panel centres;
    centres.title = "Phase centres behind the aperture, and gain";
    centres.xlabel = "Frequency (GHz)";
    centres.ylabel = "Phase centre (wavelengths)";
    centres.y2label = "Gain (dB)";
    centres.series = centres_;
    return plot::Figure{title(), {widths, centres}};
  }

 private:
  // The beamwidth columns, E plane then H plane, each at its two levels.
  std::vector<std::string> width_columns() const {
    std::vector<std::string> names;
    for (const char* plane : {"beamwidth_e_", "beamwidth_h_"}) {
      for (const api::Column& c : head_.columns) {
        if (c.name.compare(0, 12, plane) == 0) names.push_back(c.name);
      }
    }
    return names;
  }

  std::vector<plot::Series> widths_;
  std::vector<plot::Series> centres_;
};

// ----------------------------------------------------------------- design

// The aperture and slant radii, and the gain, against S.
class DesignPlot : public RowPlot {
 public:
  DesignPlot(std::string title, std::string units) : RowPlot(std::move(title)), units_(std::move(units)) {
    radii_ = {named("Aperture radius"), named("Slant radius")};
    gain_ = named("Gain");
  }

  void add(const api::Row& row) override {
    const double s = at(row, "s_cycles");
    radii_[0].add(s, at(row, "aperture_radius_" + units_));
    radii_[1].add(s, at(row, "slant_radius_" + units_));
    gain_.add(s, at(row, "gain_db"));
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
    return plot::Figure{title(), {radii, gain}};
  }

 private:
  std::string units_;
  std::vector<plot::Series> radii_;
  plot::Series gain_;
};


// ------------------------------------------------------------------- feed

// The aperture efficiency and its four factors, the two edge tapers and the
// 45-degree cross-polar peak, drawn against f/D for a sweep of f/D, else
// against S.
class FeedPlot : public RowPlot {
 public:
  FeedPlot(std::string title, bool against_s) : RowPlot(std::move(title)), against_s_(against_s) {
    budget_ = {named("Aperture"), named("Spillover"), named("Illumination"), named("Phase"), named("Polarisation")};
    tapers_ = {named("Edge taper, E plane"), named("Edge taper, H plane"), named("Cross-polar peak, 45° plane")};
  }

  void add(const api::Row& row) override {
    static const char* const budget[] = {"aperture_efficiency", "spillover_efficiency", "illumination_efficiency",
                                         "phase_efficiency", "polarisation_efficiency"};
    static const char* const tapers[] = {"edge_taper_e_db", "edge_taper_h_db", "cross_pol_45_db"};
    const double x = at(row, against_s_ ? "s_cycles" : "f_over_d");
    for (std::size_t k = 0; k < budget_.size(); ++k) budget_[k].add(x, 100.0 * at(row, budget[k]));
    for (std::size_t k = 0; k < tapers_.size(); ++k) tapers_[k].add(x, at(row, tapers[k]));
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
    return plot::Figure{title(), {budget, tapers}};
  }

 private:
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
  return std::make_unique<ResponsePlot>("Response of the horn with " + horn_title(o) + " (" + models(o) + ")");
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
  return std::make_unique<DesignPlot>(title + " (" + (o.full_wave ? full_wave_model() : models(o.common)) + ")", o.common.units);
}

std::unique_ptr<RowPlot> feed_plot(const FeedOptions& o) {
  const std::string dish =
      o.f_over_d_range.empty() ? "f/D " + o.f_over_d : "f/D " + o.f_over_d_range[0] + " to " + o.f_over_d_range[1];
  const std::string horn = o.aperture.empty() ? "best horns" : "horn with " + o.aperture + " " + o.common.units +
                                                                   " aperture and " + o.slant + " " + o.common.units +
                                                                   " slant radius";
  const bool against_s = o.f_over_d_range.empty() && !o.s_range.empty();
  return std::make_unique<FeedPlot>("Dish feed: " + horn + ", " + dish + ", at " + o.freq + " GHz (" +
                                        (o.full_wave ? full_wave_model() : "exact aperture integral") + ")",
                                    against_s);
}

}  // namespace cli
}  // namespace quaven
