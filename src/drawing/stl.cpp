// The solid of revolution as a binary STL: an 80-byte header, the number of
// facets, and 50 bytes a facet (normal, three vertices, a zero attribute),
// little-endian 32-bit floats.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "drawing/files.h"
#include "numeric/constants.h"

namespace quaven {
namespace drawing {

namespace {

using physical::pi;

struct Vertex {
  float x, y, z;
};

void put_u32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFFu);
}

void put_float(std::string& out, float f) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof bits);
  put_u32(out, bits);
}

void facet(std::string& out, const Vertex& a, const Vertex& b, const Vertex& c) {
  // The normal of the facet as its vertices give it (right hand, outwards).
  const auto d = [](float f) { return static_cast<double>(f); };
  const double ux = d(b.x) - d(a.x), uy = d(b.y) - d(a.y), uz = d(b.z) - d(a.z);
  const double vx = d(c.x) - d(a.x), vy = d(c.y) - d(a.y), vz = d(c.z) - d(a.z);
  double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (len > 0.0) {
    nx /= len;
    ny /= len;
    nz /= len;
  }
  for (const double v : {nx, ny, nz}) put_float(out, static_cast<float>(v));
  for (const Vertex* p : {&a, &b, &c}) {
    put_float(out, p->x);
    put_float(out, p->y);
    put_float(out, p->z);
  }
  out += std::string(2, '\0');
}

}  // namespace

std::string stl_segments_check(const std::string& label, long long segments) {
  if (segments >= kMinSegments && segments <= kMaxSegments) return std::string();
  return label + ": must be a whole number from " + std::to_string(kMinSegments) + " to " +
         std::to_string(kMaxSegments) + " (segments round the axis)";
}

std::string stl_wall_check(const std::string& label, double wall_m) {
  if (wall_m > 0.0) return std::string();
  return label + ": the solid needs a wall thicker than 0 (a wall of no thickness has no volume to print)";
}

std::string stl(const Profile& profile, const StlOptions& options) {
  const std::string segments_rule = stl_segments_check("segments", options.segments);
  if (!segments_rule.empty()) throw std::invalid_argument(segments_rule);
  if (!profile.closed) throw std::invalid_argument(stl_wall_check("wall", 0.0));
  const std::vector<Point>& p = profile.points;
  const std::size_t n = p.size();
  if (n < 3) throw std::invalid_argument("a solid's generating curve needs three points or more");
  if (!(options.unit.metres > 0.0)) throw std::invalid_argument("the unit of the STL must be a positive length");
  double twice_area = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point& a = p[i];
    const Point& b = p[(i + 1) % n];
    if (!(a.rho >= 0.0 && std::isfinite(a.rho) && std::isfinite(a.z)))
      throw std::invalid_argument("a point of the generating curve lies off the half-plane rho >= 0");
    if (a.rho == 0.0 && i != 0 && i + 1 != n)
      throw std::invalid_argument("the generating curve meets the axis other than at its ends");
    twice_area += a.rho * b.z - b.rho * a.z;
  }
  if (twice_area == 0.0) throw std::invalid_argument("the generating curve encloses no area");
  // Facets' vertices run anticlockwise seen from outside when the section
  // is to the right of the curve as it runs in the rho-z plane (rho across,
  // z up): a curve that runs the other way round is taken backwards.
  const bool reverse = twice_area > 0.0;

  const int m = options.segments;
  std::vector<double> cs(static_cast<std::size_t>(m)), sn(static_cast<std::size_t>(m));
  for (int j = 0; j < m; ++j) {
    const double t = 2.0 * pi * j / m;
    cs[static_cast<std::size_t>(j)] = std::cos(t);
    sn[static_cast<std::size_t>(j)] = std::sin(t);
  }
  const double k = 1.0 / options.unit.metres;
  // Each vertex from one formula, so that the facets that share it hold
  // the same bits.
  const auto vertex = [&](std::size_t i, int j) {
    const Point& q = p[i % n];
    const std::size_t jj = static_cast<std::size_t>(j % m);
    if (q.rho == 0.0) return Vertex{0.0f, 0.0f, static_cast<float>(q.z * k)};
    return Vertex{static_cast<float>(q.rho * cs[jj] * k), static_cast<float>(q.rho * sn[jj] * k),
                  static_cast<float>(q.z * k)};
  };

  std::uint64_t facets = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const bool a0 = p[i].rho == 0.0, a1 = p[(i + 1) % n].rho == 0.0;
    facets += a0 && a1 ? 0 : a0 || a1 ? 1 : 2;
  }
  facets *= static_cast<std::uint64_t>(m);

  std::string out;
  std::string header = "QUAVEN body of revolution, " + std::to_string(m) + " segments, unit " + options.unit.name;
  header.resize(80, ' ');
  out.reserve(84 + 50 * facets);
  out += header;
  put_u32(out, static_cast<std::uint32_t>(facets));
  for (std::size_t i = 0; i < n; ++i) {
    const bool a0 = p[i].rho == 0.0, a1 = p[(i + 1) % n].rho == 0.0;
    if (a0 && a1) continue;  // along the axis: sweeps nothing
    for (int j = 0; j < m; ++j) {
      // The quadrilateral between the two rings: A, B on this step, C, D on
      // the next; planar, as both chords are square to the same bisector.
      const Vertex A = vertex(i, j), B = vertex(i + 1, j), C = vertex(i + 1, j + 1), D = vertex(i, j + 1);
      const auto tri = [&](const Vertex& x, const Vertex& y, const Vertex& z) {
        if (reverse) {
          facet(out, x, z, y);
        } else {
          facet(out, x, y, z);
        }
      };
      if (a1) {
        tri(A, B, D);
      } else if (a0) {
        tri(A, B, C);
      } else {
        tri(A, B, C);
        tri(A, C, D);
      }
    }
  }
  return out;
}

}  // namespace drawing
}  // namespace quaven
