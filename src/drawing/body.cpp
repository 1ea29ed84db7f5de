#include "drawing/body.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "fullwave/fullwave.h"
#include "numeric/constants.h"

namespace quaven {
namespace drawing {

namespace {

using physical::pi;

}  // namespace

Profile horn_profile(const fullwave::Geometry& g) {
  Profile p;
  for (const bor::Point& c : fullwave::outline(g)) p.points.push_back({c.rho, c.z});
  // A thin wall is the open curve of the inner surface alone; a profile is
  // closed.
  p.closed = g.wall > 0.0 || !g.profile.empty();
  return p;
}

namespace {

// A body drawn from its generating curve alone: the guide's and the
// mouth's diameters and the overall length.
Drawing profile_drawing(Drawing d, const fullwave::Geometry& g) {
  double outer = 0.0, z_lo = 0.0, z_hi = 0.0;
  for (const Point& p : d.profile.points) {
    outer = std::max(outer, p.rho);
    z_lo = std::min(z_lo, p.z);
    z_hi = std::max(z_hi, p.z);
  }
  const double th = 0.022 * std::max(z_hi - z_lo, 2.0 * outer), gap = 3.2 * th;
  d.text_height = th;
  const Unit& unit = d.unit;
  const auto length = [&unit](double metres) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", unit.decimals, metres / unit.metres);
    return std::string(buf);
  };
  using K = Dimension::Kind;
  const double b = g.throat_radius, l = g.guide_length, a = g.aperture_radius;
  // The mouth: the last inside point before the outside begins.
  double z_mouth = z_hi;
  for (const Point& p : d.profile.points)
    if (p.rho == a) z_mouth = p.z;
  d.dimensions.push_back({K::vertical, {0.5 * l, -b}, {0.5 * l, b}, {}, 0.5 * l, "guide Ø " + length(2.0 * b),
                          "Ø " + length(2.0 * b)});
  d.dimensions.push_back({K::vertical, {z_mouth, -a}, {z_mouth, a}, {}, z_hi + gap, "mouth Ø " + length(2.0 * a)});
  d.dimensions.push_back({K::horizontal, {z_lo, -outer}, {z_hi, -outer}, {}, -(outer + gap),
                          "overall length " + length(z_hi - z_lo)});
  d.notes.push_back("Body of revolution from a profile: section through the axis. Lengths in " + unit.words + ".");
  d.notes.push_back("Feed guide: radius b " + length(b) + ", length " + length(l) + "; mouth radius " + length(a) +
                    "; outer radius " + length(outer) + ".");
  return d;
}

}  // namespace

Unit millimetres() { return {"mm", "millimetres", 1e-3, 2, 4}; }
Unit centimetres() { return {"cm", "centimetres", 1e-2, 3, 5}; }
Unit inches() { return {"in", "inches", 0.0254, 3, 1}; }

Drawing horn_drawing(const fullwave::Geometry& g, const Unit& unit) {
  Drawing d;
  d.profile = horn_profile(g);  // refuses what is not a horn
  d.unit = unit;
  if (!g.profile.empty()) return profile_drawing(d, g);
  const double b = g.throat_radius, l = g.guide_length, a = g.aperture_radius, w = g.wall;
  const bool cone = a > b;
  const double sin0 = cone ? a / g.slant_radius : 0.0;
  const double cos0 = std::sqrt(1.0 - sin0 * sin0);
  const double cone_length = cone ? std::sqrt(g.slant_radius * g.slant_radius - a * a) : 0.0;
  const double horn_length = cone ? cone_length * (1.0 - b / a) : 0.0;  // throat plane to aperture plane
  const double zap = l + horn_length;
  const double rim = a + w / cos0;  // outer radius of the rim (a for a thin wall)
  // The widest radius of the body: the rim, the guide's outside behind a
  // slight flare, or a flange or choke ring.
  double outer = std::max(rim, b + w);
  for (const Point& p : d.profile.points) outer = std::max(outer, p.rho);

  // Text and spacing in proportion to the body, so that a drawing looks the
  // same at any size.
  const double size = std::max(zap + w, 2.0 * outer);
  const double th = 0.022 * size;
  const double gap = 3.2 * th;  // between rows of dimensions
  d.text_height = th;

  const auto length = [&unit](double metres) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", unit.decimals, metres / unit.metres);
    return std::string(buf);
  };
  const auto degrees = [](double radians) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f°", radians * 180.0 / pi);
    return std::string(buf);
  };
  using K = Dimension::Kind;
  std::vector<Dimension>& dim = d.dimensions;

  // Diameters: the guide's inside the bore, the aperture and the rim beyond
  // the aperture plane.
  // The guide's in the longer stretch of the bore clear of the apex, where
  // the cone produced meets the axis.
  const double apex = zap - cone_length;
  double bore = 0.5 * l;
  if (cone && apex > 0.0 && apex < l) bore = apex > l - apex ? 0.5 * apex : 0.5 * (apex + l);
  dim.push_back({K::vertical, {bore, -b}, {bore, b}, {}, bore, "guide Ø " + length(2.0 * b), "Ø " + length(2.0 * b)});
  dim.push_back({K::vertical, {zap, -a}, {zap, a}, {}, zap + gap, "aperture Ø " + length(2.0 * a)});
  if (w > 0.0) {
    dim.push_back({K::vertical, {zap, -rim}, {zap, rim}, {}, zap + 2.0 * gap, "rim Ø " + length(2.0 * rim)});
    const double at = bore < 0.5 * l ? 0.75 * l : 0.25 * l;  // clear of the guide's diameter
    dim.push_back({K::vertical, {at, b}, {at, b + w}, {}, at, "wall " + length(w)});
  }

  // Lengths under the body: guide and horn in a chain, then the whole
  // length, then the cone's from its apex when the apex is near enough to
  // draw.
  double row = -(outer + gap);
  dim.push_back({K::horizontal, {0.0, -b}, {l, -b}, {}, row, "guide length " + length(l)});
  if (cone) dim.push_back({K::horizontal, {l, -b}, {zap, -a}, {}, row, "horn length " + length(horn_length)});
  if (w > 0.0) {
    row -= gap;
    dim.push_back({K::horizontal, {-w, -(b + w)}, {zap, -rim}, {}, row, "overall length " + length(zap + w)});
  }
  if (cone && apex >= -w - 0.6 * (zap + w)) {
    row -= gap;
    dim.push_back({K::horizontal, {apex, 0.0}, {zap, -a}, {}, row, "cone length " + length(cone_length)});
    d.guides.push_back({{l, b}, {apex, 0.0}, ""});
    d.guides.push_back({{l, -b}, {apex, 0.0}, "apex"});
  }
  if (cone) {
    // At the throat's corner, between the guide's wall produced and the cone.
    const double radius = 0.6 * horn_length / cos0;
    dim.push_back({K::angle, {l, b}, {zap, b}, {zap, a}, radius, "flare half-angle " + degrees(std::asin(sin0))});
  }
  if (cone) d.guides.push_back({{l, -(outer + 0.5 * gap)}, {l, outer + 0.7 * gap}, "throat"});

  d.notes.push_back("Conical horn: section through the axis. Lengths in " + unit.words + ".");
  d.notes.push_back("Feed guide: radius b " + length(b) + ", length " + length(l) +
                    (w > 0.0 ? "; wall and back plate " + length(w) + " thick." : "; a wall of no thickness."));
  if (cone) {
    d.notes.push_back("Cone: aperture radius a " + length(a) + ", slant radius R " + length(g.slant_radius) +
                      ", flare half-angle " + degrees(std::asin(sin0)) + ".");
    d.notes.push_back("Cone length (apex to aperture plane) " + length(cone_length) +
                      "; horn length (throat plane to aperture plane) " + length(horn_length) + ".");
  } else {
    d.notes.push_back("Open-ended guide: aperture radius a " + length(a) + ".");
  }
  if (w > 0.0) d.notes.push_back("Rim: flat in the aperture plane, outer radius " + length(rim) + ".");

  // A flange's diameter beyond the rim's; each groove's depth inside it, on
  // the upper half.
  if (g.flange.radius > rim) {
    const double r = g.flange.radius;
    dim.push_back({K::vertical, {zap, -r}, {zap, r}, {}, zap + 3.0 * gap, "flange Ø " + length(2.0 * r)});
    d.notes.push_back("Flange: in the aperture plane, outer radius " + length(r) + ", " + length(g.flange.thickness) +
                      " thick.");
  }
  for (std::size_t i = 0; i < g.chokes.size(); ++i) {
    const fullwave::Choke& c = g.chokes[i];
    const double mouth = zap - c.setback, mid = c.inner + 0.5 * c.width;
    dim.push_back({K::horizontal, {mouth - c.depth, mid}, {mouth, mid}, {}, mid, "depth " + length(c.depth),
                   length(c.depth)});
    d.notes.push_back("Choke ring " + std::to_string(i + 1) + ": groove inner radius " + length(c.inner) +
                      ", width " + length(c.width) + ", depth " + length(c.depth) + "; walls " + length(c.wall) +
                      " thick; mouth " + length(c.setback) + " behind the aperture plane.");
  }
  return d;
}

}  // namespace drawing
}  // namespace quaven
