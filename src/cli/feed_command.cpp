// `quaven feed`: a horn judged as the feed of a paraboloid, or designed for
// one, from the exact (double-precision) aperture-theory physics, or judged
// from the full-wave solution of the real horn.
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cut.h"
#include "cli/full_wave.h"
#include "cli/subcommands.h"
#include "horn/checks.h"
#include "horn/columns.h"
#include "horn/exact_api.h"
#include "horn/feed.h"
#ifdef QUAVEN_FULL_WAVE
#include "horn/fullwave_feed.h"
#endif
#include "horn/geometry.h"
#include "horn/input_checks.h"
#include "horn/validity.h"

namespace quaven {
namespace cli {
namespace {

void refuse(const std::string& message) {
  if (!message.empty()) throw UsageError{message};
}

std::string label(const std::string& option, const std::vector<std::string>& texts) {
  std::string t = option;
  for (const auto& x : texts) t += " " + x;
  return t;
}

// A sweep of doubles from its texts, its step towards its stop; sets the
// least and greatest values it reaches.
BasicSweep<double> checked_sweep(const std::string& option, const std::vector<std::string>& texts, double& lowest,
                                 double& highest) {
  const BasicSweep<double> s = exact_sweep(option, texts, sweep_value(option, texts));
  refuse(checks::step_towards_stop(label(option, texts), s.first, s.last, s.step));
  const double end = s.at(s.count);
  lowest = std::min(s.first, end);
  highest = std::max(s.first, end);
  return s;
}

// The table: one fixed-width line per row, efficiencies in per cent; a
// design marks its best row with '*'. "At plane" is the efficiency with the
// aperture centre at the focus, "Focus" the best focus behind the aperture.
constexpr const char* kFeedColumns = "%s%5s %5s %5s %7s %7s  %5s %5s %6s %6s %6s  %8s %7s %6s %6s %6s %5s\n";

// The full wave adds the return loss after the gain (there the directivity).
std::string feed_header(const std::string& unit, bool design, bool full_wave) {
  const std::string u = "(" + unit + ")";
  const char* m = design ? " " : "";
  std::string lines[2];
  for (int k = 0; k < 2; ++k) {
    char buf[512];
    const int n = k == 0 ? std::snprintf(buf, sizeof buf, kFeedColumns, m, "f/D", "Rim", "S", "Apert.", "Slant", "Total",
                                         "Spill", "Illum.", "Phase", "Polar.", "At plane", "Focus", "Taper", "Taper",
                                         "X-pol", "Gain")
                         : std::snprintf(buf, sizeof buf, kFeedColumns, m, "", "(deg)", "(cyc)", u.c_str(), u.c_str(),
                                         "(%)", "(%)", "(%)", "(%)", "(%)", "(%)", "(wl)", "E (dB)", "H (dB)", "(dB)",
                                         "(dB)");
    lines[k].assign(buf, static_cast<std::size_t>(n));
    if (full_wave) lines[k].insert(lines[k].size() - 1, k == 0 ? "    S11" : "   (dB)");
  }
  return "\n" + lines[0] + lines[1] + "\n";
}

// With `full_wave`, the return loss `s11_db` after the gain.
std::string feed_line(const feed::FeedRow& r, double a, double rs, bool design, bool best, bool full_wave,
                      double s11_db) {
  const feed::Judgement& j = r.judgement;
  char buf[512];
  std::snprintf(buf, sizeof buf,
                "%s%5.2f %5.1f %5.3f %7.3f %7.3f  %5.1f %5.1f %6.1f %6.1f %6.1f  %8.1f %7.3f %6.1f %6.1f %6.1f %5.1f\n",
                design ? (best ? "*" : " ") : "", r.f_over_d, j.rim_half_angle_deg, r.s_cycles, a, rs,
                100.0 * j.best.aperture, 100.0 * j.best.spillover, 100.0 * j.best.illumination, 100.0 * j.best.phase,
                100.0 * j.best.polarisation, 100.0 * j.aperture_efficiency_at_aperture_plane,
                j.focus_behind_aperture_wl, j.edge_taper_e_db, j.edge_taper_h_db, j.cross_pol_45_db, r.gain_db);
  std::string line = buf;
  if (full_wave) {
    std::snprintf(buf, sizeof buf, " %6.1f", s11_db);
    line.insert(line.size() - 1, buf);
  }
  return line;
}

Notes feed_notes(const feed::FeedRow& r, bool design, bool full_wave) {
  Notes n = 0;
  if (design && std::isnan(r.aperture_radius_wl)) {
    n |= note_bit(full_wave ? Note::no_full_wave_feed_design : Note::no_feed_design);
  }
  if (below_te11_cutoff(r.aperture_radius_wl)) n |= note_bit(Note::below_cutoff);
  if (r.s_cycles > 1.0) n |= note_bit(Note::s_above_one);
  return n;
}

}  // namespace

void feed(const FeedOptions& o, Output& output) {
  const Common& c = o.common;
  check_full_wave(o, c);
  check_throat_needs_full_wave(o, "feed");
  const bool fw = o.full_wave;
  const double freq = exact_value("--freq", o.freq);
  refuse(checks::positive("--freq", freq));

  // The dish: one f/D or a sweep of them, every one positive.
  const bool fd_sweep = !o.f_over_d_range.empty();
  if (fd_sweep == !o.f_over_d.empty()) throw UsageError{"give either --f-over-d or --f-over-d-range"};
  BasicSweep<double> fds;
  double fd_lo = 0.0, fd_hi = 0.0;
  std::string fd_label;
  if (fd_sweep) {
    fds = checked_sweep("--f-over-d-range", o.f_over_d_range, fd_lo, fd_hi);
    fd_label = label("--f-over-d-range", o.f_over_d_range);
  } else {
    fds.first = fds.last = fd_lo = fd_hi = exact_value("--f-over-d", o.f_over_d);
    fds.step = 1.0;
    fds.count = 1;
    fd_label = "--f-over-d " + o.f_over_d;
  }
  refuse(checks::f_over_d_positive(fd_label, fd_lo));

  // A horn to judge, or the design's phase deviations and taper.
  const bool judging = !o.aperture.empty() || !o.slant.empty();
  double a = 0.0, rs = 0.0;
  BasicSweep<double> ss;
  bool s_sweep = false;
  double taper = std::numeric_limits<double>::quiet_NaN();
  Inputs inputs;
  inputs.number("freq_ghz", double_cell(freq));
  if (fd_sweep) {
    inputs.numbers("f_over_d_range", {double_cell(fds.first), double_cell(fds.last), double_cell(fds.step)});
  } else {
    inputs.number("f_over_d", double_cell(fds.first));
  }
  if (judging) {
    if (o.aperture.empty() || o.slant.empty()) throw UsageError{"give both --aperture and --slant to judge a horn"};
    if (!o.taper.empty() || !o.s_range.empty()) {
      throw UsageError{"--taper and --s-range design a horn; --aperture and --slant judge a given one"};
    }
    a = exact_value("--aperture", o.aperture);
    if (!(a > 0.0)) throw UsageError{"--aperture: must be greater than 0"};
    rs = exact_value("--slant", o.slant, true);
    refuse(checks::slant_exceeds_aperture("--slant " + o.slant, rs, "--aperture " + o.aperture, a));
    inputs.number("aperture_radius", double_cell(a));
    inputs.number("slant_radius", double_cell(rs));
  } else {
    if (!o.taper.empty()) {
      taper = exact_value("--taper", o.taper);
      refuse(checks::edge_taper_negative("--taper " + o.taper, taper));
      inputs.number("taper_db", double_cell(taper));
    }
    s_sweep = !o.s_range.empty();
    if (s_sweep) {
      double lo = 0.0, hi = 0.0;
      ss = checked_sweep("--s-range", o.s_range, lo, hi);
      refuse(checks::s_within_design_range(label("--s-range", o.s_range), lo, hi));
      inputs.numbers("s_range", {double_cell(ss.first), double_cell(ss.last), double_cell(ss.step)});
    }
    refuse(checks::full_wave_design_needs_s(full_wave_labels, "--s-range", fw, s_sweep));
  }
  inputs.text("units", c.units);
#ifdef QUAVEN_FULL_WAVE
  // A judged horn is solved once before anything is written: every f/D
  // reads the same pattern. A design solves its horns as it goes; the
  // guide, common to them all, is tried first as an open-ended guide, so
  // that a guide the model refuses is refused before anything is written.
  fullwave::Geometry geometry{};
  std::unique_ptr<fullwave::Horn> horn;
  if (fw) {
    const double throat = throat_value(o.throat, true);
    if (judging) {
      refuse(checks::full_wave_throat("--throat " + o.throat, throat, "--aperture " + o.aperture, a, "--slant", rs));
    }
    inputs.number("throat_radius", double_cell(throat));
    if (judging) {
      geometry = full_wave_geometry(o, c, a, rs, throat, freq, inputs);
      refuse(fullwave::solvable_up_to(full_wave_labels, "--throat " + o.throat, geometry, freq));
    } else {
      geometry = full_wave_body(o, c, throat, freq, inputs);
      geometry.aperture_radius = geometry.throat_radius;
      geometry.slant_radius = std::numeric_limits<double>::infinity();
    }
    try {
      horn = std::make_unique<fullwave::Horn>(geometry, freq);
    } catch (const std::invalid_argument& e) {
      throw UsageError{std::string("--full-wave: ") + e.what()};
    }
  }
#endif

  const std::string u = "_" + c.units;
  std::vector<std::string> columns = feed_columns(u);
  const bool design = !judging;
  if (design) columns.push_back("best");
  if (fw) columns.push_back("s11_db");
  const long long per_fd = s_sweep ? ss.count : 1;
  output.begin("feed", inputs, columns, feed_header(c.units, design, fw), "f/D = %", fds.count * per_fd);

  const double mu = c.metres_per_unit();
  const auto write = [&](const feed::FeedRow& r, bool best, double s11_db = std::numeric_limits<double>::quiet_NaN()) {
    const double ar = design ? r.aperture_radius_m / mu : a, sr = design ? r.slant_radius_m / mu : rs;
    const feed::Judgement& j = r.judgement;
    const ConeGeometry g = cone_geometry(ar, sr, std::numeric_limits<double>::quiet_NaN());
    std::vector<Cell> cells;
    for (const double x : {r.f_over_d, j.rim_half_angle_deg, r.s_cycles, ar, sr, r.aperture_radius_wl,
                           j.best.aperture, j.best.spillover, j.best.illumination, j.best.phase, j.best.polarisation,
                           j.aperture_efficiency_at_aperture_plane, j.focus_behind_aperture_wl, j.edge_taper_e_db,
                           j.edge_taper_h_db, j.cross_pol_45_db, r.gain_db, g.flare_half_angle_deg, g.cone_length})
      cells.push_back(double_cell(x));
    if (design) cells.push_back(double_cell(best ? 1.0 : 0.0));
    if (fw) cells.push_back(double_cell(s11_db));
    output.row(cells, feed_notes(r, design, fw),
               output.table() ? feed_line(r, ar, sr, design, best, fw, s11_db) : std::string());
  };

  for (int k = 1; k <= fds.count; ++k) {
    const double fd = fds.at(k);
    if (fw) {
#ifdef QUAVEN_FULL_WAVE
      if (judging) {
        const fullwave::FeedRow r = fullwave::judge_feed(*horn, geometry, freq, fd);
        write(r.feed, false, r.s11_db);
      } else {
        // Each S designed once (some seven to a dozen solutions), the best
        // marked when all are known.
        std::vector<fullwave::FeedRow> rows;
        int best = -1;
        for (int i = 1; i <= ss.count; ++i) {
          rows.push_back(fullwave::design_feed(geometry, freq, fd, ss.at(i), taper));
          const double eta = rows.back().feed.judgement.best.aperture;
          if (!std::isnan(eta) && (best < 0 || eta > rows[best].feed.judgement.best.aperture)) best = i - 1;
        }
        for (int i = 0; i < ss.count; ++i) write(rows[i].feed, i == best, rows[i].s11_db);
      }
#endif
    } else if (judging) {
      write(feed::judge(feed::JudgeRequest{a * mu, rs * mu, freq, fd}), false);
    } else if (!s_sweep) {
      write(std::isnan(taper) ? feed::best_design_row(freq, fd) : feed::design({freq, fd, 0.0, taper}), true);
    } else {
      // The best row of the sweep is known only once every S is designed:
      // a first pass keeps each S's aperture efficiency (not its row), the
      // second makes and writes the rows.
      std::vector<double> eta(ss.count);
      int best = -1;
      for (int i = 1; i <= ss.count; ++i) {
        eta[i - 1] = feed::design({freq, fd, ss.at(i), taper}).judgement.best.aperture;
        if (!std::isnan(eta[i - 1]) && (best < 0 || eta[i - 1] > eta[best])) best = i - 1;
      }
      for (int i = 1; i <= ss.count; ++i) write(feed::design({freq, fd, ss.at(i), taper}), i - 1 == best);
    }
  }
  output.end();
}

}  // namespace cli
}  // namespace quaven
