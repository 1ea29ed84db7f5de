#include "cli/subcommands.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "dialogue/records.h"
#include "horn/exact_api.h"
#include "horn/levels.h"
#include "numeric/constants.h"

namespace quaven {
namespace cli {
namespace {

// The value of a row or table field (single precision, like every figure the
// tables and the CSV and JSON forms show).
float out(double v) { return static_cast<float>(v); }

// Design rows in exact mode: the figures of exact::design, lengths in the
// chosen unit.
void exact_design_rows(const DesignOptions& o, const DesignRequest& r, Result& res) {
  const Common& c = o.common;
  exact::DesignRequest q;
  q.frequency_ghz = exact_value("--freq", o.freq);
  q.beamwidth_deg = exact_value("--beamwidth", o.beamwidth);
  q.level_db = exact_value("--level", o.level.level);
  q.plane = static_cast<exact::Plane>(r.iplane);
  const BasicSweep<double> s = exact_sweep("--s-range", o.s_range, r.s);
  const double mu = c.metres_per_unit();
  for (int i = 1; i <= s.count; ++i) {
    q.s_cycles = s.at(i);
    const exact::HornDesign d = exact::design(q);
    if (!d.found()) {
      res.notes += "quaven: no aperture has a beamwidth of " + g9(r.bw) + " degrees at " + g9(r.plev) + " dB" +
                   " for S = " + g9(out(d.s_cycles)) + "\n";
    }
    const exact::HornResponse& h = d.response;
    const float arad = out(d.aperture_radius_m / mu), srad = out(d.slant_radius_m / mu);
    res.rows.push_back({out(d.s_cycles), arad, srad, out(h.gain_db), out(h.phase_centre_e_wl),
                        out(h.phase_centre_h_wl), out(h.beamwidths_1.e_plane_deg), out(h.beamwidths_1.h_plane_deg),
                        out(h.beamwidths_2.e_plane_deg), out(h.beamwidths_2.h_plane_deg)});
    // The table shows the phase centres as the dialogue does: wavelengths
    // times the unit factor.
    res.table += design_fields(out(d.s_cycles), arad, srad, out(h.gain_db), c.un() * out(h.phase_centre_e_wl),
                               c.un() * out(h.phase_centre_h_wl)) +
                 "\n";
  }
}

}  // namespace

Result design(const DesignOptions& o) {
  DesignRequest r;
  r.freq = positive("--freq", real_value("--freq", o.freq));
  r.to_gain = o.gain_opt->count() > 0;
  if (r.to_gain == (o.beamwidth_opt->count() > 0)) throw UsageError{"give either --beamwidth or --gain"};
  if (r.to_gain) {
    r.gain = real_value("--gain", o.gain);
  } else {
    r.bw = positive("--beamwidth", real_value("--beamwidth", o.beamwidth));
    o.level.resolve(r.plev, r.ilev);
    r.iplane = o.plane == "E" ? 1 : (o.plane == "H" ? 2 : 3);
  }
  r.s = sweep_value("--s-range", o.s_range);
  if (o.common.exact && r.to_gain) throw UsageError{"--exact designs to a beamwidth, not to a gain"};

  const Common& c = o.common;
  const float un = c.un();
  Result res;
  res.command = "design";
  res.inputs["freq_ghz"] = json_number(r.freq);
  if (c.exact) res.inputs["exact"] = true;
  if (r.to_gain) {
    res.inputs["gain_db"] = json_number(r.gain);
  } else {
    res.inputs["beamwidth_deg"] = json_number(r.bw);
    res.inputs["level_db"] = json_number(r.plev);
    res.inputs["curve_level_db"] = json_number(legacy::curve_levels[r.ilev - 1]);
    res.inputs["plane"] = o.plane;
  }
  res.inputs["s_range"] = {json_number(r.s.first), json_number(r.s.last), json_number(r.s.step)};
  res.inputs["units"] = c.units;
  const std::string u = "_" + c.units;
  // The table shows the phase centres as the dialogue does (wavelengths
  // times the unit factor); CSV and JSON name them for what they are.
  res.columns = {"s_cycles",          "aperture_radius" + u, "slant_radius" + u,     "gain_db",
                 "phase_centre_e_wl", "phase_centre_h_wl",   "beamwidth_e_3db_deg", "beamwidth_h_3db_deg",
                 "beamwidth_e_10db_deg", "beamwidth_h_10db_deg"};

  // A design to a gain shows the four beamwidths after the phase centres.
  res.table = design_header(r.to_gain);
  if (c.exact) {
    exact_design_rows(o, r, res);
    return res;
  }
  for (int i = 1; i <= r.s.count; ++i) {
    const DesignLine d = design_row(r, i);
    const HornFigures& h = d.fig;
    res.rows.push_back({d.s, un * d.arad, un * d.srad, h.gain, h.pce, h.pch, h.bwe3, h.bwh3, h.bwe10, h.bwh10});
    if (r.to_gain) {
      res.table += design_fields(d.s, un * d.arad, un * d.srad, h.gain, un * h.pce, un * h.pch) +
                   beamwidth_fields(h.bwe3, h.bwh3, h.bwe10, h.bwh10) + "\n";
    } else {
      res.table += design_record(d, un);
    }
  }
  return res;
}

namespace {

// The horn of --aperture and --slant in inches; the typed values go to the
// inputs.
void horn(const HornOptions& o, float& arad, float& srad, Json& inputs) {
  const float a = positive("--aperture", real_value("--aperture", o.aperture));
  const float r = real_value("--slant", o.slant, true);
  inputs["aperture_radius"] = json_number(a);
  inputs["slant_radius"] = json_number(r);
  arad = a / o.common.un();
  srad = r / o.common.un();
}

// Response rows in exact mode: exact::response at the column levels.
void exact_response_rows(const HornOptions& o, const ResponseRequest& r, Result& res) {
  const Common& c = o.common;
  exact::ResponseRequest q;
  q.aperture_radius_m = exact_value("--aperture", o.aperture) * c.metres_per_unit();
  q.slant_radius_m = exact_value("--slant", o.slant, true) * c.metres_per_unit();
  const std::array<double, 4> levels = column_levels(exact_value("--level", o.level.level), r.ilev);
  q.level1_db = levels[0];
  q.level2_db = levels[1];
  const BasicSweep<double> f = exact_sweep("--freq-range", o.range, r.f);
  for (int i = 1; i <= f.count; ++i) {
    q.frequency_ghz = f.at(i);
    const exact::HornResponse h = exact::response(q);
    const float fr = out(h.frequency_ghz);
    const float bwe1 = out(h.beamwidths_1.e_plane_deg), bwe2 = out(h.beamwidths_2.e_plane_deg);
    const float bwh1 = out(h.beamwidths_1.h_plane_deg), bwh2 = out(h.beamwidths_2.h_plane_deg);
    const float pce = out(h.phase_centre_e_wl), pch = out(h.phase_centre_h_wl);
    res.rows.push_back({fr, bwe1, bwe2, pce, bwh1, bwh2, pch, out(h.gain_db)});
    res.table += response_record(fr, bwe1, bwe2, c.un() * pce, bwh1, bwh2, c.un() * pch, out(h.gain_db));
  }
}

}  // namespace

Result response(const HornOptions& o) {
  ResponseRequest r;
  Result res;
  res.command = "response";
  horn(o, r.arad, r.srad, res.inputs);
  o.level.resolve(r.plev, r.ilev);
  r.f = sweep_value("--freq-range", o.range);

  const Common& c = o.common;
  const float un = c.un();
  res.inputs["level_db"] = json_number(r.plev);
  res.inputs["curve_level_db"] = json_number(legacy::curve_levels[r.ilev - 1]);
  if (c.exact) res.inputs["exact"] = true;
  res.inputs["freq_range_ghz"] = {json_number(r.f.first), json_number(r.f.last), json_number(r.f.step)};
  res.inputs["units"] = c.units;
  const std::array<float, 4> blv = column_levels(r.plev, r.ilev);
  res.columns = {"frequency_ghz",
                 "beamwidth_e_" + level_name(blv[0]) + "_deg",
                 "beamwidth_e_" + level_name(blv[1]) + "_deg",
                 "phase_centre_e_wl",
                 "beamwidth_h_" + level_name(blv[2]) + "_deg",
                 "beamwidth_h_" + level_name(blv[3]) + "_deg",
                 "phase_centre_h_wl",
                 "gain_db"};
  res.table = response_header(blv.data());
  if (c.exact) {
    exact_response_rows(o, r, res);
    return res;
  }
  for (int i = 1; i <= r.f.count; ++i) {
    const float fr = r.f.at(i);
    const HornFigures h = response_row(r, i);
    res.rows.push_back({fr, h.bwe3, h.bwe10, h.pce, h.bwh3, h.bwh10, h.pch, h.gain});
    res.table += response_record(fr, h, un);
  }
  return res;
}

Result pattern(const HornOptions& o) {
  PatternRequest r;
  Result res;
  res.command = "pattern";
  r.freq = positive("--freq", real_value("--freq", o.freq));
  horn(o, r.arad, r.srad, res.inputs);
  r.angles = sweep_value("--angles", o.range);

  res.inputs["freq_ghz"] = json_number(r.freq);
  res.inputs["angles_deg"] = {json_number(r.angles.first), json_number(r.angles.last), json_number(r.angles.step)};
  res.inputs["units"] = o.common.units;
  if (o.common.exact) res.inputs["exact"] = true;
  res.columns = {"angle_deg", "amplitude_e_db", "phase_e_deg", "amplitude_h_db", "phase_h_deg"};
  res.table = pattern_header();
  if (o.common.exact) {
    const double mu = o.common.metres_per_unit();
    const exact::PatternEvaluator horn(exact_value("--aperture", o.aperture) * mu,
                                       exact_value("--slant", o.slant, true) * mu, exact_value("--freq", o.freq));
    const BasicSweep<double> angles = exact_sweep("--angles", o.range, r.angles);
    for (int i = 1; i <= angles.count; ++i) {
      const exact::PatternPoint p = horn.at(angles.at(i));
      const std::vector<float> row = {out(p.angle_deg), out(p.amplitude_e_db), out(p.phase_e_deg),
                                      out(p.amplitude_h_db), out(p.phase_h_deg)};
      res.rows.push_back(row);
      res.table += pattern_record(row[0], row[1], row[2], row[3], row[4]);
    }
    return res;
  }
  for (int i = 1; i <= r.angles.count; ++i) {
    const PatternRow p = pattern_row(r, i);
    res.rows.push_back({p.deg, p.ampe, p.phe, p.amph, p.phh});
    res.table += pattern_record(p.deg, p.ampe, p.phe, p.amph, p.phh);
  }
  return res;
}

}  // namespace cli
}  // namespace quaven
