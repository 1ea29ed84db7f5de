// A flange and choke rings added to a horn's generating curve (see
// profile.h).
#include "fullwave/profile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace quaven {
namespace fullwave {
namespace {

using Part = PartError::Part;

// One radial stretch of the parts outside the rim: metal from `back` to
// `front` in z over rho from `lo` to `hi`.
struct Stretch {
  double lo, hi;
  double front, back;
};

bool finite_positive(double x) { return x > 0.0 && std::isfinite(x); }

std::string ring_name(int i) { return "choke ring " + std::to_string(i + 1); }

// The parts' checks one by one, before any is laid out.
void check_parts(const HornOutside& horn, double z_plate, const Flange& flange, const std::vector<Choke>& chokes) {
  const double ro = horn.rim.rho, zap = horn.rim.z;
  // A length so small beside the body that adding it changes nothing is no
  // length the outline can hold.
  const auto told = [&](double x) { return zap - x < zap && ro + x > ro; };
  if (flange.radius != 0.0) {
    if (!finite_positive(flange.thickness))
      throw PartError(Part::flange, 0, "the flange's thickness must be greater than 0");
    if (!told(flange.thickness))
      throw PartError(Part::flange, 0, "the flange's thickness is too small to tell from 0 beside the body");
    if (!(flange.radius >= ro && std::isfinite(flange.radius)))
      throw PartError(Part::flange, 0, "the flange's radius must be at least the rim's outer radius (aperture and wall)");
    if (!(zap - flange.thickness > z_plate))
      throw PartError(Part::flange, 0, "the flange reaches behind the feed guide's back plate");
  }
  for (std::size_t i = 0; i < chokes.size(); ++i) {
    const Choke& c = chokes[i];
    const int n = static_cast<int>(i);
    const std::string name = ring_name(n);
    if (!finite_positive(c.width)) throw PartError(Part::choke, n, name + ": the groove's width must be greater than 0");
    if (!finite_positive(c.depth)) throw PartError(Part::choke, n, name + ": the groove's depth must be greater than 0");
    if (!finite_positive(c.wall)) throw PartError(Part::choke, n, name + ": the ring's wall must be thicker than 0");
    if (!(told(c.width) && told(c.depth) && told(c.wall)))
      throw PartError(Part::choke, n, name + ": a width, depth or wall too small to tell from 0 beside the body");
    if (!(c.setback >= 0.0 && std::isfinite(c.setback)))
      throw PartError(Part::choke, n, name + ": the setback behind the aperture plane must be 0 or more");
    if (!(c.inner >= ro && std::isfinite(c.inner)))
      throw PartError(Part::choke, n,
                      name + ": the groove's inner radius must be at least the rim's outer radius (aperture and wall)");
    if (i > 0) {
      const Choke& p = chokes[i - 1];
      // (Within rounding: a ring computed to begin where the last ends.)
      if (!(c.inner >= p.inner + p.width + p.wall - 1e-9 * ro))
        throw PartError(Part::choke, n,
                        name + ": the groove overlaps ring " + std::to_string(i) +
                            " (its inner radius must be at least that ring's inner radius, width and wall; rings go "
                            "from the axis outwards)");
    }
    // The flange's face is the aperture plane: a ring within it is a groove
    // cut into that face, whose mouth cannot lie behind it.
    if (c.setback > 0.0 && flange.radius > c.inner - c.wall)
      throw PartError(Part::choke, n,
                      name + ": a ring set back from the aperture plane cannot lie within the flange, whose face is "
                             "that plane");
    if (!(zap - c.setback - c.depth - c.wall > z_plate))
      throw PartError(Part::choke, n, name + ": the ring reaches behind the feed guide's back plate");
  }
}

// The stretches of metal outside the rim, from the rim outwards.
std::vector<Stretch> stretches(const HornOutside& horn, const Flange& flange, const std::vector<Choke>& chokes) {
  const double ro = horn.rim.rho, zap = horn.rim.z;
  const bool flanged = flange.radius > ro;
  std::vector<double> x = {ro};
  if (flanged) x.push_back(flange.radius);
  for (const Choke& c : chokes)
    for (const double r : {c.inner - c.wall, c.inner, c.inner + c.width, c.inner + c.width + c.wall})
      if (r > ro) x.push_back(r);
  // Radii that differ only by rounding (a flange computed to end where a
  // ring's outer wall does) are one: a sliver between them would be a
  // stretch of no metal.
  std::sort(x.begin(), x.end());
  const double eps = 1e-9 * ro;
  x.erase(std::unique(x.begin(), x.end(), [eps](double p, double q) { return q - p <= eps; }), x.end());

  std::vector<Stretch> out;
  for (std::size_t k = 0; k + 1 < x.size(); ++k) {
    const double m = 0.5 * (x[k] + x[k + 1]);
    double front = -std::numeric_limits<double>::infinity(), back = std::numeric_limits<double>::infinity();
    double cut = std::numeric_limits<double>::infinity();  // a groove's bottom: air above it
    if (flanged && m < flange.radius) {
      front = zap;
      back = zap - flange.thickness;
    }
    for (const Choke& c : chokes) {
      if (!(m > c.inner - c.wall && m < c.inner + c.width + c.wall)) continue;
      const double mouth = zap - c.setback, bottom = mouth - c.depth;
      const bool groove = m > c.inner && m < c.inner + c.width;
      front = std::max(front, groove ? bottom : mouth);
      back = std::min(back, bottom - c.wall);
      if (groove) cut = std::min(cut, bottom);
    }
    if (!(front > back)) {
      // No part here: the ring beyond this stretch is joined to nothing.
      int ring = 0;
      while (ring + 1 < static_cast<int>(chokes.size()) && chokes[ring].inner - chokes[ring].wall < x[k + 1]) ++ring;
      throw PartError(Part::choke, ring,
                      ring_name(ring) + ": no metal joins it to the horn" +
                          (ring > 0 ? " or to the ring before it" : "") +
                          ": give a flange reaching it, or let its inner wall meet the rim or that ring");
    }
    out.push_back({x[k], x[k + 1], std::min(front, cut), back});
  }
  return out;
}

void add(std::vector<bor::Point>& c, double rho, double z) {
  if (!c.empty() && c.back().rho == rho && c.back().z == z) return;
  // Three corners on one vertical or horizontal line: the middle one goes.
  if (c.size() >= 2) {
    const bor::Point& p = c[c.size() - 2];
    const bor::Point& q = c.back();
    if ((p.rho == q.rho && q.rho == rho && (q.z - p.z) * (z - q.z) > 0.0) ||
        (p.z == q.z && q.z == z && (q.rho - p.rho) * (rho - q.rho) > 0.0))
      c.pop_back();
  }
  c.push_back({rho, z});
}

}  // namespace

std::vector<bor::Point> add_parts(const std::vector<bor::Point>& inside, const HornOutside& horn,
                                  const Flange& flange, const std::vector<Choke>& chokes) {
  double z_plate = horn.rim.z;
  for (const bor::Point& p : horn.outside) z_plate = std::min(z_plate, p.z);
  check_parts(horn, z_plate, flange, chokes);
  std::vector<bor::Point> c = inside;
  c.push_back(horn.rim);
  const std::vector<Stretch> s = stretches(horn, flange, chokes);
  if (s.empty()) {
    c.insert(c.end(), horn.outside.begin(), horn.outside.end());
    return c;
  }
  // Front faces outwards, the outer edge, back faces inwards.
  for (const Stretch& t : s) {
    add(c, t.lo, t.front);
    add(c, t.hi, t.front);
  }
  for (auto t = s.rbegin(); t != s.rend(); ++t) {
    add(c, t->hi, t->back);
    add(c, t->lo, t->back);
  }
  // Inwards along the innermost back face to the horn's outside, then down
  // it: the first piece of the outside that reaches below that face.
  const double zb = s.front().back;
  bor::Point from = horn.rim;
  std::size_t next = 0;
  while (next < horn.outside.size() && horn.outside[next].z >= zb) from = horn.outside[next++];
  if (next == horn.outside.size()) throw PartError(Part::flange, 0, "the parts reach behind the feed guide's back plate");
  const bor::Point& to = horn.outside[next];
  const double t = (from.z - zb) / (from.z - to.z);
  add(c, from.rho + t * (to.rho - from.rho), zb);
  for (; next < horn.outside.size(); ++next) add(c, horn.outside[next].rho, horn.outside[next].z);
  return c;
}

namespace {

// Whether the closed pieces p0-p1 and q0-q1 share a point.
bool meet(const bor::Point& p0, const bor::Point& p1, const bor::Point& q0, const bor::Point& q1) {
  const auto cross = [](const bor::Point& o, const bor::Point& a, const bor::Point& b) {
    return (a.rho - o.rho) * (b.z - o.z) - (a.z - o.z) * (b.rho - o.rho);
  };
  const auto within = [](const bor::Point& a, const bor::Point& b, const bor::Point& c) {
    return std::min(a.rho, b.rho) <= c.rho && c.rho <= std::max(a.rho, b.rho) && std::min(a.z, b.z) <= c.z &&
           c.z <= std::max(a.z, b.z);
  };
  const double d1 = cross(q0, q1, p0), d2 = cross(q0, q1, p1), d3 = cross(p0, p1, q0), d4 = cross(p0, p1, q1);
  if (((d1 > 0.0 && d2 < 0.0) || (d1 < 0.0 && d2 > 0.0)) && ((d3 > 0.0 && d4 < 0.0) || (d3 < 0.0 && d4 > 0.0)))
    return true;
  return (d1 == 0.0 && within(q0, q1, p0)) || (d2 == 0.0 && within(q0, q1, p1)) ||
         (d3 == 0.0 && within(p0, p1, q0)) || (d4 == 0.0 && within(p0, p1, q1));
}

}  // namespace

ProfileBody profile_body(const std::vector<bor::Point>& inner, const std::vector<bor::Point>& outer) {
  const auto fail = [](std::size_t i, const std::string& rule) {
    throw std::invalid_argument("point " + std::to_string(i + 1) + ": " + rule);
  };
  if (inner.size() < 3) throw std::invalid_argument("the inside needs 3 points at least: the back plate's centre and edge, and the feed guide's end");
  if (outer.empty()) throw std::invalid_argument("the outside needs 1 point at least: the back plate's outer centre");
  // Each point is a node of the mesh at least, and the solver takes 2000
  // nodes (4000 unknowns) at most; the crossing check below is quadratic.
  if (inner.size() + outer.size() > 2000)
    throw std::invalid_argument("the curve has more than 2000 points: more nodes than the solver takes");
  std::vector<bor::Point> c = inner;
  c.insert(c.end(), outer.begin(), outer.end());
  const std::size_t n = c.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (!(std::isfinite(c[i].rho) && std::isfinite(c[i].z))) fail(i, "z and rho must be finite numbers");
    if (!(c[i].rho >= 0.0)) fail(i, "rho must be 0 or more");
    const bool end = i == 0 || i + 1 == n;
    if (end && c[i].rho != 0.0) fail(i, "the curve must begin and end on the axis (rho 0), at the back plate's centre");
    if (!end && c[i].rho == 0.0) fail(i, "only the first and last points lie on the axis");
    if (i > 0 && c[i].rho == c[i - 1].rho && c[i].z == c[i - 1].z) fail(i, "the same as the point before it");
  }
  if (!(c[1].z == c[0].z && c[2].rho == c[1].rho && c[2].z > c[1].z))
    throw std::invalid_argument(
        "points 1 to 3: the inside must begin with the feed guide: the back plate's centre, its edge at the same z, "
        "then along the axis (z growing) at the same radius");
  if (!(c[n - 1].z < c[0].z)) fail(n - 1, "the back plate's outer centre must lie behind its inner one (z lower)");
  // Every piece, the axis from the last point to the first included, against
  // every other that is not its neighbour; neighbours only at their corner.
  for (std::size_t i = 0; i < n; ++i) {
    const bor::Point& a0 = c[i];
    const bor::Point& a1 = c[(i + 1) % n];
    for (std::size_t j = i + 1; j < n; ++j) {
      const bor::Point& b0 = c[j];
      const bor::Point& b1 = c[(j + 1) % n];
      const bool next = j == i + 1, wrap = i == 0 && j == n - 1;
      if (!next && !wrap) {
        if (meet(a0, a1, b0, b1)) fail(j, "the curve crosses or touches itself (near point " + std::to_string(i + 1) + ")");
        continue;
      }
      // Neighbours share a corner; they must not fold back along each other.
      const bor::Point& corner = next ? a1 : a0;
      const bor::Point& p = next ? a0 : a1;
      const bor::Point& q = next ? b1 : b0;
      const double cr = (p.rho - corner.rho) * (q.z - corner.z) - (p.z - corner.z) * (q.rho - corner.rho);
      const double dot = (p.rho - corner.rho) * (q.rho - corner.rho) + (p.z - corner.z) * (q.z - corner.z);
      if (cr == 0.0 && dot > 0.0) fail(next ? j : i, "the curve folds back on itself");
    }
  }
  ProfileBody b;
  const double z0 = c[0].z;
  for (bor::Point p : c) b.outline.push_back({p.rho, p.z - z0});
  b.guide_radius = c[1].rho;
  b.guide_length = c[2].z - c[1].z;
  b.mouth_radius = inner.back().rho;
  return b;
}

}  // namespace fullwave
}  // namespace quaven
