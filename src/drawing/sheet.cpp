#include "drawing/sheet.h"
#include "numeric/constants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace quaven {
namespace drawing {
namespace sheet {

namespace {

using physical::pi;

// Proportions of the lettering and the dimension marks, in text heights.
constexpr double kArrow = 1.0;        // arrow length
constexpr double kArrowWidth = 0.33;  // half its base, in arrow lengths
constexpr double kGapToObject = 0.25; // between the body and an extension line
constexpr double kOvershoot = 0.6;    // extension line past the dimension line
constexpr double kAboveLine = 0.3;    // text baseline off the dimension line
constexpr double kCharWidth = 0.55;   // mean width of a character
constexpr double kHatch = 0.8;        // hatch spacing
constexpr double kNoteLine = 1.6;     // note line pitch
constexpr double kMargin = 2.0;

Vec add(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec mul(Vec a, double k) { return {a.x * k, a.y * k}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
Vec unit_vec(Vec a) {
  const double n = std::hypot(a.x, a.y);
  return n > 0.0 ? mul(a, 1.0 / n) : Vec{1.0, 0.0};
}

// Characters, not bytes, of UTF-8 text.
std::size_t characters(const std::string& s) {
  std::size_t n = 0;
  for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

double text_width(const std::string& s, double height) {
  return kCharWidth * height * static_cast<double>(characters(s));
}

// The box about a text: its estimated width, from a quarter of its height
// below the baseline to its height above, turned with it.
void box(const Text& t, Vec& lo, Vec& hi) {
  const double w = text_width(t.text, t.height);
  const double x0 = t.align < 0 ? 0.0 : t.align == 0 ? -0.5 * w : -w;
  const double c = std::cos(t.angle_deg * pi / 180.0), sn = std::sin(t.angle_deg * pi / 180.0);
  lo = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
  hi = {-lo.x, -lo.y};
  for (const Vec corner : {Vec{x0, -0.25 * t.height}, Vec{x0 + w, -0.25 * t.height}, Vec{x0, t.height},
                           Vec{x0 + w, t.height}}) {
    const Vec p = add(t.at, Vec{corner.x * c - corner.y * sn, corner.x * sn + corner.y * c});
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
  }
}

class Builder {
 public:
  Builder(Sheet& s, double th) : s_(s), th_(th) {}

  void line(Vec a, Vec b, Layer layer) { s_.paths.push_back({{a, b}, false, layer}); }

  // An arrow whose tip is at `tip`, pointing along the unit vector `dir`.
  void arrow(Vec tip, Vec dir) {
    const double len = kArrow * th_;
    const Vec base = sub(tip, mul(dir, len));
    const Vec side = mul(Vec{-dir.y, dir.x}, kArrowWidth * len);
    s_.arrows.push_back({tip, add(base, side), sub(base, side)});
  }

  void text(Vec at, const std::string& t, double angle, int align, Layer layer) {
    s_.texts.push_back({at, t, th_, angle, align, layer});
  }

  // A linear dimension between `a` and `b` along `along` (1, 0) or (0, 1),
  // its line at `place` across.
  void linear(Vec a, Vec b, bool horizontal, double place, const std::string& label, const std::string& short_label) {
    // Coordinates along the measured direction (u) and across it (v).
    const auto u = [horizontal](Vec p) { return horizontal ? p.x : p.y; };
    const auto v = [horizontal](Vec p) { return horizontal ? p.y : p.x; };
    const auto at = [horizontal](double uu, double vv) { return horizontal ? Vec{uu, vv} : Vec{vv, uu}; };
    for (const Vec p : {a, b}) {
      const double d = place - v(p);
      if (std::fabs(d) < 1e-9 * th_) continue;
      const double sg = d > 0.0 ? 1.0 : -1.0;
      line(at(u(p), v(p) + sg * kGapToObject * th_), at(u(p), place + sg * kOvershoot * th_), Layer::dimension);
    }
    double lo = std::min(u(a), u(b)), hi = std::max(u(a), u(b));
    const double span = hi - lo;
    const double len = kArrow * th_;
    const Vec dir = at(1.0, 0.0);
    if (span >= 2.5 * len) {
      line(at(lo, place), at(hi, place), Layer::dimension);
      arrow(at(lo, place), mul(dir, -1.0));
      arrow(at(hi, place), dir);
    } else {
      // Too short for arrows inside: they point in from outside.
      line(at(lo - 2.0 * len, place), at(hi + 2.0 * len, place), Layer::dimension);
      arrow(at(lo, place), dir);
      arrow(at(hi, place), mul(dir, -1.0));
      lo -= 2.0 * len;
      hi += 2.0 * len;
    }
    // Text along the line, on the side a reader of a horizontal line sees
    // as above it (left of a vertical one, read upwards).
    const double off = horizontal ? kAboveLine * th_ : -kAboveLine * th_;
    const double angle = horizontal ? 0.0 : 90.0;
    // Between the arrows, shortened if need be; else beyond either end of
    // the line: the first place where it overlaps no text already placed.
    const auto fits = [&](const std::string& t) {
      return !t.empty() && text_width(t, th_) + th_ <= hi - lo && span >= 2.5 * len;
    };
    std::vector<Text> places;
    for (const std::string* t : {&label, &short_label}) {
      if (fits(*t)) places.push_back({at(0.5 * (lo + hi), place + off), *t, th_, angle, 0, Layer::dimension});
    }
    const Text before{at(lo - 0.5 * th_, place + off), label, th_, angle, 1, Layer::dimension};
    const Text after{at(hi + 0.5 * th_, place + off), label, th_, angle, -1, Layer::dimension};
    // A chain of horizontal lines runs left to right, so the first of them
    // has the left free; a vertical line's text reads upwards past its top.
    places.push_back(horizontal ? before : after);
    places.push_back(horizontal ? after : before);
    for (const Text& t : places) {
      if (free(t)) {
        s_.texts.push_back(t);
        return;
      }
    }
    s_.texts.push_back(places.front());
  }

  // Whether `t` overlaps no text already placed.
  bool free(const Text& t) const {
    Vec lo{}, hi{};
    box(t, lo, hi);
    for (const Text& o : s_.texts) {
      Vec olo{}, ohi{};
      box(o, olo, ohi);
      if (lo.x < ohi.x && olo.x < hi.x && lo.y < ohi.y && olo.y < hi.y) return false;
    }
    return true;
  }

  void angle(Vec vertex, Vec p1, Vec p2, double radius, const std::string& label) {
    const Vec u1 = unit_vec(sub(p1, vertex)), u2 = unit_vec(sub(p2, vertex));
    double a1 = std::atan2(u1.y, u1.x) * 180.0 / pi, a2 = std::atan2(u2.y, u2.x) * 180.0 / pi;
    double sweep = std::fmod(a2 - a1 + 720.0, 360.0);
    if (sweep > 180.0) {
      std::swap(a1, a2);
      sweep = 360.0 - sweep;
    }
    for (const Vec u : {u1, u2}) line(vertex, add(vertex, mul(u, radius + kOvershoot * th_)), Layer::dimension);
    const auto on = [&](double deg) {
      return Vec{std::cos(deg * pi / 180.0), std::sin(deg * pi / 180.0)};
    };
    // Arrows at the arc's ends along its tangent: inside the arc, or on an
    // arc too short for them, outside it pointing in.
    const double len = kArrow * th_;
    const bool inside = radius * sweep * pi / 180.0 >= 2.5 * len;
    const double extra = inside ? 0.0 : 2.0 * len / radius * 180.0 / pi;
    s_.arcs.push_back({vertex, radius, a1 - extra, a1 + sweep + extra, Layer::dimension});
    const Vec e1 = on(a1), e2 = on(a1 + sweep);
    const double sg = inside ? 1.0 : -1.0;
    arrow(add(vertex, mul(e1, radius)), mul(Vec{e1.y, -e1.x}, sg));
    arrow(add(vertex, mul(e2, radius)), mul(Vec{-e2.y, e2.x}, sg));
    if (sweep >= 20.0) {
      const Vec mid = on(a1 + 0.5 * sweep);
      const Vec at = add(vertex, mul(mid, radius + 0.5 * th_));
      text(add(at, Vec{0.0, -0.35 * th_}), label, 0.0, mid.x >= 0.0 ? -1 : 1, Layer::dimension);
    } else {
      // A narrow angle leaves no room between its rays: the text goes
      // beside the first ray's end, on the side away from the second.
      const Vec away = mul(Vec{e1.y, -e1.x}, 1.4 * th_);
      const Vec at = add(add(vertex, mul(e1, radius + kOvershoot * th_)), away);
      text(add(at, Vec{0.0, -0.35 * th_}), label, 0.0, e1.x >= 0.0 ? 1 : -1, Layer::dimension);
    }
  }

 private:
  Sheet& s_;
  double th_;
};

// Hatch lines at 45 degrees across a polygon: each line cut where it crosses
// the edges, the pieces inside kept (even-odd).
void hatch(Sheet& s, const std::vector<Vec>& poly, double spacing) {
  const Vec along = unit_vec({1.0, 1.0}), across = unit_vec({-1.0, 1.0});
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const Vec p : poly) {
    lo = std::min(lo, dot(p, across));
    hi = std::max(hi, dot(p, across));
  }
  // Lines at half-integer multiples of the spacing: never through a vertex
  // placed on a round number.
  for (double c = (std::floor(lo / spacing) + 0.5) * spacing; c < hi; c += spacing) {
    std::vector<double> cuts;
    for (std::size_t i = 0; i < poly.size(); ++i) {
      const Vec p = poly[i], q = poly[(i + 1) % poly.size()];
      const double dp = dot(p, across) - c, dq = dot(q, across) - c;
      if ((dp < 0.0) == (dq < 0.0)) continue;
      const Vec x = add(p, mul(sub(q, p), dp / (dp - dq)));
      cuts.push_back(dot(x, along));
    }
    std::sort(cuts.begin(), cuts.end());
    for (std::size_t k = 0; k + 1 < cuts.size(); k += 2) {
      s.paths.push_back(
          {{add(mul(across, c), mul(along, cuts[k])), add(mul(across, c), mul(along, cuts[k + 1]))}, false, Layer::hatch});
    }
  }
}

void extend(Sheet& s, Vec p) {
  s.min = {std::min(s.min.x, p.x), std::min(s.min.y, p.y)};
  s.max = {std::max(s.max.x, p.x), std::max(s.max.y, p.y)};
}

}  // namespace

std::string number(double v, int digits) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*g", digits, v == 0.0 ? 0.0 : v);  // no "-0"
  return buf;
}

Sheet layout(const Drawing& d) {
  Sheet s;
  const double k = 1.0 / d.unit.metres;
  const double th = d.text_height * k;
  s.text_height = th;
  Builder b(s, th);
  const auto P = [k](Vec v) { return Vec{v.x * k, v.y * k}; };

  // The section, on both sides of the axis. Edges along the axis (the seam
  // between the two halves of a back plate) are not drawn.
  const std::vector<Point>& pts = d.profile.points;
  const std::size_t n = pts.size();
  for (const double side : {1.0, -1.0}) {
    std::vector<Vec> poly;
    for (const Point& p : pts) poly.push_back({p.z * k, side * p.rho * k});
    if (d.profile.closed && n >= 3) {
      s.sections.push_back({poly, true, Layer::outline});
      hatch(s, poly, kHatch * th);
      // The outline in chains between edges on the axis.
      std::size_t start = 0;
      bool on_axis_edge = false;
      for (std::size_t i = 0; i < n; ++i) {
        if (pts[i].rho == 0.0 && pts[(i + 1) % n].rho == 0.0) {
          start = (i + 1) % n;
          on_axis_edge = true;
        }
      }
      if (!on_axis_edge) {
        s.paths.push_back({poly, true, Layer::outline});
      } else {
        Path chain{{}, false, Layer::outline};
        for (std::size_t j = 0; j <= n; ++j) {
          const std::size_t i = (start + j) % n;
          chain.points.push_back(poly[i]);
          const bool axis_edge = pts[i].rho == 0.0 && pts[(i + 1) % n].rho == 0.0;
          if (axis_edge || j == n) {
            if (chain.points.size() >= 2) s.paths.push_back(chain);
            chain.points.clear();
          }
        }
      }
    } else {
      s.paths.push_back({poly, false, Layer::outline});
    }
  }

  // The centre line, a little past the body at either end.
  double zmin = std::numeric_limits<double>::infinity(), zmax = -zmin;
  for (const Point& p : pts) {
    zmin = std::min(zmin, p.z * k);
    zmax = std::max(zmax, p.z * k);
  }
  if (n > 0) b.line({zmin - 2.0 * th, 0.0}, {zmax + 2.0 * th, 0.0}, Layer::centre);

  for (const Guide& g : d.guides) {
    const Vec a = P(g.a), e = P(g.b);
    b.line(a, e, Layer::guide);
    if (g.label.empty()) continue;
    const Vec dir = unit_vec(sub(e, a));
    if (std::fabs(dir.x) >= std::fabs(dir.y)) {
      // Beside the end and below it, clear of a centre line through it.
      b.text(add(e, Vec{-dir.x * 0.3 * th, -1.3 * th}), g.label, 0.0, dir.x >= 0.0 ? 1 : -1, Layer::guide);
    } else {
      b.text(add(e, Vec{0.0, dir.y > 0.0 ? 0.4 * th : -1.1 * th}), g.label, 0.0, 0, Layer::guide);
    }
  }

  for (const Dimension& dm : d.dimensions) {
    switch (dm.kind) {
      case Dimension::Kind::horizontal:
        b.linear(P(dm.a), P(dm.b), true, dm.place * k, dm.label, dm.short_label);
        break;
      case Dimension::Kind::vertical:
        b.linear(P(dm.a), P(dm.b), false, dm.place * k, dm.label, dm.short_label);
        break;
      case Dimension::Kind::angle:
        b.angle(P(dm.a), P(dm.b), P(dm.c), dm.place * k, dm.label);
        break;
    }
  }

  // The extent of what is drawn so far, then the notes under it.
  s.min = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
  s.max = {-s.min.x, -s.min.y};
  for (const auto* group : {&s.sections, &s.paths})
    for (const Path& p : *group)
      for (const Vec v : p.points) extend(s, v);
  for (const auto& a : s.arrows)
    for (const Vec v : a) extend(s, v);
  for (const Arc& a : s.arcs) {
    for (int i = 0; i <= 16; ++i) {
      const double t = (a.from_deg + (a.to_deg - a.from_deg) * i / 16.0) * pi / 180.0;
      extend(s, add(a.centre, Vec{a.radius * std::cos(t), a.radius * std::sin(t)}));
    }
  }
  for (const Text& t : s.texts) {
    Vec lo{}, hi{};
    box(t, lo, hi);
    extend(s, lo);
    extend(s, hi);
  }
  if (!(s.min.x <= s.max.x)) s.min = s.max = {0.0, 0.0};
  double y = s.min.y - 0.5 * kNoteLine * th;
  for (const std::string& note : d.notes) {
    y -= kNoteLine * th;
    b.text({s.min.x, y}, note, 0.0, -1, Layer::notes);
    extend(s, {s.min.x + text_width(note, th), y + th});
    extend(s, {s.min.x, y - 0.25 * th});
  }
  s.min = sub(s.min, Vec{kMargin * th, kMargin * th});
  s.max = add(s.max, Vec{kMargin * th, kMargin * th});
  return s;
}

}  // namespace sheet
}  // namespace drawing
}  // namespace quaven
