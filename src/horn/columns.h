// The names of the columns a front end gives its rows (CSV headers, JSON
// keys, the Python module's mapping), one list per kind of row, so that the
// command line and the bindings name the same figure the same way. `unit` is
// the suffix of lengths: "_in" or "_cm".
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace quaven {

// A level as a column names it: 3 -> "3db", 3.5 -> "3.5db".
inline std::string level_name(float level) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%gdb", static_cast<double>(level));
  return buf;
}

// A response row's figures at the four column levels (levels.h's
// column_levels: E-plane pair, H-plane pair).
inline std::vector<std::string> response_columns(const std::array<float, 4>& levels) {
  return {"frequency_ghz",
          "beamwidth_e_" + level_name(levels[0]) + "_deg",
          "beamwidth_e_" + level_name(levels[1]) + "_deg",
          "phase_centre_e_wl",
          "beamwidth_h_" + level_name(levels[2]) + "_deg",
          "beamwidth_h_" + level_name(levels[3]) + "_deg",
          "phase_centre_h_wl",
          "gain_db",
          "s_cycles",
          "aperture_wavelengths"};
}

// The cone's shape after a row's figures; the horn's whole length with a throat.
inline void add_geometry_columns(std::vector<std::string>& columns, const std::string& unit, bool throat) {
  columns.push_back("flare_half_angle_deg");
  columns.push_back("cone_length" + unit);
  if (throat) columns.push_back("horn_length" + unit);
}

// A horn on a dish: the dish, the horn, Kildal's efficiency and its factors,
// focus, tapers, cross-polar peak, the horn's gain and its cone.
inline std::vector<std::string> feed_columns(const std::string& unit) {
  std::vector<std::string> c = {"f_over_d",
                                "rim_half_angle_deg",
                                "s_cycles",
                                "aperture_radius" + unit,
                                "slant_radius" + unit,
                                "aperture_wavelengths",
                                "aperture_efficiency",
                                "spillover_efficiency",
                                "illumination_efficiency",
                                "phase_efficiency",
                                "polarisation_efficiency",
                                "aperture_efficiency_at_aperture_plane",
                                "focus_behind_aperture_wl",
                                "edge_taper_e_db",
                                "edge_taper_h_db",
                                "cross_pol_45_db",
                                "gain_db"};
  add_geometry_columns(c, unit, false);
  return c;
}

}  // namespace quaven
