#include "cli/subcommands.h"

#include <cmath>
#include <string>

#include "dialogue/fields.h"
#include "dialogue/records.h"
#include "horn/exact.h"

namespace quaven {
namespace cli {
namespace {

constexpr float bl[4] = {3.0f, 10.0f, 3.0f, 10.0f};  // curve levels, dB

// ------------------------------------------------------------- exact mode

constexpr double kClight = 11.80285;  // inches per nanosecond, as the dialogue's c

// The figures of a horn (inches, GHz) in exact mode, at the levels l1 and
// l2 (dB): beamwidths at l1 in bwe3/bwh3 and at l2 in bwe10/bwh10.
HornFigures exact_figures(double f, double arad, double srad, double l1, double l2) {
  const double wl = kClight / f;
  const double s = arad * arad / (2.0 * wl * srad);
  const exact::Figures x = exact::figures(arad / wl, s, l1, l2);
  HornFigures h;
  h.bwe3 = static_cast<float>(x.bwe1);
  h.bwh3 = static_cast<float>(x.bwh1);
  h.bwe10 = static_cast<float>(x.bwe2);
  h.bwh10 = static_cast<float>(x.bwh2);
  h.pce = static_cast<float>(x.pce);
  h.pch = static_cast<float>(x.pch);
  h.gain = static_cast<float>(x.gain);
  return h;
}

// An exact design line: the aperture whose beamwidth at plev dB (as typed)
// is bw at phase deviation s, and its figures at 3 and 10 dB.
DesignLine exact_design_row(const DesignRequest& r, int i) {
  DesignLine d;
  d.s = r.s.at(i);
  const double s = d.s;
  const double wl = kClight / static_cast<double>(r.freq);
  const exact::Plane plane = static_cast<exact::Plane>(r.iplane);
  const double aw = exact::design_aw(s, static_cast<double>(r.bw), static_cast<double>(r.plev), plane);
  const double arad = aw * wl;
  const double srad = arad * arad / (2.0 * wl * s);
  d.aw = static_cast<float>(aw);
  d.arad = static_cast<float>(arad);
  d.srad = static_cast<float>(srad);
  d.fig = exact_figures(static_cast<double>(r.freq), arad, srad, 3.0, 10.0);
  return d;
}

// A pattern row in exact mode, on the scale of chp11: amplitude
// 20 log10((1 + cos theta) pi^2 (a / lambda) |integral|), phase its argument.
PatternRow exact_pattern_row(const PatternRequest& r, int i) {
  constexpr double kPi = 3.14159265358979323846;
  PatternRow p;
  p.deg = r.angles.at(i);
  const double wl = kClight / static_cast<double>(r.freq);
  const double a = r.arad;
  const double aw = a / wl;
  const exact::Horn horn(aw, a * a / (2.0 * wl * static_cast<double>(r.srad)));
  const exact::Field f = horn.field(static_cast<double>(p.deg) * kPi / 180.0);
  const double scale = 2.0 * kPi * kPi * aw;
  p.ampe = static_cast<float>(20.0 * std::log10(scale * std::abs(f.e)));
  p.amph = static_cast<float>(20.0 * std::log10(scale * std::abs(f.h)));
  p.phe = static_cast<float>(std::arg(f.e) * 180.0 / kPi);
  p.phh = static_cast<float>(std::arg(f.h) * 180.0 / kPi);
  return p;
}

}  // namespace

// ------------------------------------------------------------ subcommands

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
    res.inputs["curve_level_db"] = json_number(bl[r.ilev - 1]);
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

  // Design to a gain: the design table with the four beamwidths appended.
  const std::string bw_head = "  E 3 dB  H 3 dB E 10 dB H 10 dB";
  std::string header = design_header();
  if (r.to_gain) header.insert(header.find("E, H") + 4, bw_head);
  res.table = header;
  for (int i = 1; i <= r.s.count; ++i) {
    const DesignLine d = c.exact ? exact_design_row(r, i) : design_row(r, i);
    if (c.exact && std::isnan(d.aw)) {
      res.notes += "quaven: no aperture has a beamwidth of " + g9(r.bw) + " degrees at " + g9(r.plev) + " dB" +
                   " for S = " + g9(d.s) + "\n";
    }
    const HornFigures& h = d.fig;
    res.rows.push_back({d.s, un * d.arad, un * d.srad, h.gain, h.pce, h.pch, h.bwe3, h.bwh3, h.bwe10, h.bwh10});
    std::string line = design_record(d, un);
    if (r.to_gain) {
      line.pop_back();
      line += blanks(2) + fixed(6, 1, h.bwe3) + blanks(2) + fixed(6, 1, h.bwh3) + blanks(2) + fixed(6, 1, h.bwe10) +
              blanks(2) + fixed(6, 1, h.bwh10) + "\n";
    }
    res.table += line;
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
  res.inputs["curve_level_db"] = json_number(bl[r.ilev - 1]);
  if (c.exact) res.inputs["exact"] = true;
  res.inputs["freq_range_ghz"] = {json_number(r.f.first), json_number(r.f.last), json_number(r.f.step)};
  res.inputs["units"] = c.units;
  // The design's column levels: the curve levels with plev at the chosen one.
  float blv[4] = {bl[0], bl[1], bl[2], bl[3]};
  blv[r.ilev - 1] = r.plev;
  blv[r.ilev + 1] = r.plev;
  const std::string u = "_" + c.units;
  res.columns = {"frequency_ghz",
                 "beamwidth_e_" + level_name(blv[0]) + "_deg",
                 "beamwidth_e_" + level_name(blv[1]) + "_deg",
                 "phase_centre_e_wl",
                 "beamwidth_h_" + level_name(blv[2]) + "_deg",
                 "beamwidth_h_" + level_name(blv[3]) + "_deg",
                 "phase_centre_h_wl",
                 "gain_db"};
  res.table = response_header(blv);
  for (int i = 1; i <= r.f.count; ++i) {
    const float fr = r.f.at(i);
    const HornFigures h = c.exact ? exact_figures(static_cast<double>(fr), static_cast<double>(r.arad), static_cast<double>(r.srad),
                                                     static_cast<double>(blv[0]), static_cast<double>(blv[1])) : response_row(r, i);
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
  res.table = "\n" + right(9, "Angle") + right(21, "E Plane") + right(21, "H Plane") + "\n" + right(9, "(deg)") +
              right(12, "Ampl. (dB)") + right(9, "Phase") + right(12, "Ampl. (dB)") + right(9, "Phase") + "\n\n";
  for (int i = 1; i <= r.angles.count; ++i) {
    const PatternRow p = o.common.exact ? exact_pattern_row(r, i) : pattern_row(r, i);
    res.rows.push_back({p.deg, p.ampe, p.phe, p.amph, p.phh});
    res.table += blanks(1) + fixed(8, 2, p.deg) + blanks(2) + fixed(10, 2, p.ampe) + blanks(2) + fixed(7, 1, p.phe) +
                 blanks(2) + fixed(10, 2, p.amph) + blanks(2) + fixed(7, 1, p.phh) + "\n";
  }
  return res;
}

}  // namespace cli
}  // namespace quaven
