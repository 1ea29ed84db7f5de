// Writes the drawing library's files for a few bodies into a folder, with a
// JSON description of each body, for check_files.py to read back with
// independent readers (admesh, ezdxf, scikit-rf, an XML parser).
//
// Usage: write_files FOLDER
#include <complex>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "drawing/files.h"
#include "drawing/touchstone.h"
#include "fullwave/fullwave.h"

namespace {

using namespace quaven;

bool save(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out.flush());
}

std::string num(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

fullwave::Geometry horn(double b, double l, double a, double r, double w) {
  fullwave::Geometry g{};
  g.throat_radius = b;
  g.guide_length = l;
  g.aperture_radius = a;
  g.slant_radius = r;
  g.wall = w;
  return g;
}

struct Case {
  const char* name;
  fullwave::Geometry g;
  drawing::Unit unit;
  int segments;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: write_files FOLDER\n";
    return 2;
  }
  const std::string dir = argv[1];
  const double in = 0.0254;
  const double wl = 0.0299792458;  // 10 GHz
  const std::vector<Case> cases = {
      // The reference horn with the full wave's default guide and wall at 10 GHz.
      {"reference", horn(0.45 * in, 1.5 * wl, 1.2 * in, 3.0 * in, wl / 20.0), drawing::inches(), 360},
      // A narrow cone whose apex lies far behind the guide, in millimetres,
      // coarsely turned.
      {"narrow", horn(0.012, 0.03, 0.02, 0.3, 0.002), drawing::millimetres(), 7},
      // The open-ended guide: no cone, a thick wall, in centimetres.
      {"guide", horn(0.0115, 0.05, 0.0115, INFINITY, 0.003), drawing::centimetres(), 48},
      // A wide flare on a short guide.
      {"wide", horn(0.45 * in, 0.6 * in, 2.5 * in, 2.7 * in, 0.04 * in), drawing::inches(), 90},
      // A thin wall: drawn, but no solid.
      {"thin", horn(0.45 * in, 1.5 * wl, 1.2 * in, 3.0 * in, 0.0), drawing::millimetres(), 0},
  };
  std::string json = "[\n";
  bool ok = true;
  for (const Case& c : cases) {
    const drawing::Drawing d = drawing::horn_drawing(c.g, c.unit);
    const std::string base = dir + "/" + c.name;
    ok = ok && save(base + ".svg", drawing::svg(d)) && save(base + ".dxf", drawing::dxf(d));
    std::string stl_refusal;
    if (c.segments > 0) {
      ok = ok && save(base + ".stl", drawing::stl(drawing::horn_profile(c.g), {c.segments, drawing::millimetres()}));
    } else {
      try {
        drawing::stl(drawing::horn_profile(c.g));
      } catch (const std::invalid_argument& e) {
        stl_refusal = e.what();
      }
    }
    json += std::string(json.size() > 2 ? ",\n" : "") + "{\"name\": \"" + c.name + "\", \"b\": " +
            num(c.g.throat_radius) + ", \"l\": " + num(c.g.guide_length) + ", \"a\": " + num(c.g.aperture_radius) +
            ", \"R\": " + (std::isfinite(c.g.slant_radius) ? num(c.g.slant_radius) : "null") +
            ", \"w\": " + num(c.g.wall) + ", \"unit\": \"" + c.unit.name + "\", \"unit_m\": " + num(c.unit.metres) +
            ", \"decimals\": " + std::to_string(c.unit.decimals) + ", \"segments\": " + std::to_string(c.segments) +
            ", \"stl_refusal\": \"" + stl_refusal + "\"}";
  }
  json += "\n]\n";
  ok = ok && save(dir + "/bodies.json", json);

  // S11 of the reference horn by the full wave at three frequencies, and
  // values made to try the format's corners (a phase of exactly 180 and
  // -90 degrees, a tiny and a whole reflection), given out of order.
  const fullwave::Geometry ref = cases[0].g;
  std::vector<touchstone::Sample> samples;
  for (const double f : {10.0, 8.5, 11.5}) samples.push_back({f, fullwave::Horn(ref, f).s11()});
  samples.push_back({12.25, {-1.0, 0.0}});
  samples.push_back({7.875, {0.0, -3.25e-7}});
  samples.push_back({9.0, {0.6, 0.8}});
  std::string csv = "frequency_ghz,s11_re,s11_im\n";
  for (const auto& s : samples) csv += num(s.frequency_ghz) + "," + num(s.s11.real()) + "," + num(s.s11.imag()) + "\n";
  const auto comments = touchstone::horn_port_comments(ref.throat_radius);
  ok = ok && save(dir + "/s11.csv", csv) &&
       save(dir + "/ri.s1p", touchstone::s1p(samples, touchstone::Form::ri, comments)) &&
       save(dir + "/ma.s1p", touchstone::s1p(samples, touchstone::Form::ma, comments));
  if (!ok) std::cerr << "write_files: cannot write into " << dir << "\n";
  return ok ? 0 : 1;
}
