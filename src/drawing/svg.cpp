// The drawing as SVG: the sheet's primitives with y turned downwards, the
// view box in the drawing's unit and the image's size in that unit.
#include <cmath>
#include <string>

#include "drawing/files.h"
#include "drawing/sheet.h"
#include "numeric/constants.h"

namespace quaven {
namespace drawing {

namespace {

using sheet::Layer;
using sheet::number;

std::string escaped(const std::string& text) {
  std::string e;
  for (const char c : text) {
    switch (c) {
      case '&': e += "&amp;"; break;
      case '<': e += "&lt;"; break;
      case '>': e += "&gt;"; break;
      case '"': e += "&quot;"; break;
      default: e += c;
    }
  }
  return e;
}

std::string xy(Vec v) { return number(v.x, 8) + "," + number(-v.y, 8); }

std::string points(const std::vector<Vec>& pts) {
  std::string s;
  for (const Vec v : pts) s += (s.empty() ? "" : " ") + xy(v);
  return s;
}

}  // namespace

std::string svg(const Drawing& d) {
  const sheet::Sheet s = sheet::layout(d);
  const double th = s.text_height;
  const double w = s.max.x - s.min.x, h = s.max.y - s.min.y;
  const std::string& u = d.unit.name;
  std::string o;
  o += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  o += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + number(w, 8) + u + "\" height=\"" +
       number(h, 8) + u + "\" viewBox=\"" + number(s.min.x, 8) + " " + number(-s.max.y, 8) + " " + number(w, 8) +
       " " + number(h, 8) + "\">\n";
  o += "<title>" + escaped(d.notes.empty() ? std::string("Section") : d.notes.front()) + "</title>\n";
  o += "<rect x=\"" + number(s.min.x, 8) + "\" y=\"" + number(-s.max.y, 8) + "\" width=\"" + number(w, 8) +
       "\" height=\"" + number(h, 8) + "\" fill=\"white\"/>\n";

  const std::string thin = number(0.06 * th, 4), heavy = number(0.16 * th, 4);
  o += "<g id=\"section\" fill=\"#e4e4e4\" stroke=\"none\">\n";
  for (const sheet::Path& p : s.sections) o += "<polygon points=\"" + points(p.points) + "\"/>\n";
  o += "</g>\n";

  struct Style {
    Layer layer;
    const char* id;
    std::string attributes;
  };
  const Style styles[] = {
      {Layer::hatch, "hatch", "stroke=\"#555\" stroke-width=\"" + thin + "\""},
      {Layer::centre, "centre",
       "stroke=\"#000\" stroke-width=\"" + thin + "\" stroke-dasharray=\"" + number(2.4 * th, 4) + " " +
           number(0.5 * th, 4) + " " + number(0.3 * th, 4) + " " + number(0.5 * th, 4) + "\""},
      {Layer::guide, "guides",
       "stroke=\"#000\" stroke-width=\"" + thin + "\" stroke-dasharray=\"" + number(0.8 * th, 4) + " " +
           number(0.4 * th, 4) + "\""},
      {Layer::outline, "outline", "stroke=\"#000\" stroke-width=\"" + heavy + "\" stroke-linejoin=\"miter\""},
      {Layer::dimension, "dimensions", "stroke=\"#000\" stroke-width=\"" + thin + "\""},
  };
  for (const Style& st : styles) {
    o += "<g id=\"" + std::string(st.id) + "\" fill=\"none\" " + st.attributes + ">\n";
    for (const sheet::Path& p : s.paths) {
      if (p.layer != st.layer) continue;
      o += std::string(p.closed ? "<polygon" : "<polyline") + " points=\"" + points(p.points) + "\"/>\n";
    }
    if (st.layer == Layer::dimension) {
      for (const sheet::Arc& a : s.arcs) {
        const double pi = physical::pi;
        const Vec from{a.centre.x + a.radius * std::cos(a.from_deg * pi / 180.0),
                       a.centre.y + a.radius * std::sin(a.from_deg * pi / 180.0)};
        const Vec to{a.centre.x + a.radius * std::cos(a.to_deg * pi / 180.0),
                     a.centre.y + a.radius * std::sin(a.to_deg * pi / 180.0)};
        // Anticlockwise with y up is clockwise with y down: sweep flag 0.
        o += "<path d=\"M" + xy(from) + " A" + number(a.radius, 8) + "," + number(a.radius, 8) + " 0 " +
             (a.to_deg - a.from_deg > 180.0 ? "1" : "0") + ",0 " + xy(to) + "\"/>\n";
      }
    }
    o += "</g>\n";
  }
  o += "<g id=\"arrows\" fill=\"#000\" stroke=\"none\">\n";
  for (const auto& a : s.arrows) o += "<polygon points=\"" + points(a) + "\"/>\n";
  o += "</g>\n";

  o += "<g id=\"text\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"" + number(th, 6) +
       "\" fill=\"#000\" stroke=\"none\">\n";
  for (const sheet::Text& t : s.texts) {
    const char* anchor = t.align < 0 ? "start" : t.align == 0 ? "middle" : "end";
    o += "<text x=\"" + number(t.at.x, 8) + "\" y=\"" + number(-t.at.y, 8) + "\" text-anchor=\"" + anchor + "\"";
    if (t.angle_deg != 0.0) {
      o += " transform=\"rotate(" + number(-t.angle_deg, 6) + " " + number(t.at.x, 8) + " " + number(-t.at.y, 8) +
           ")\"";
    }
    o += ">" + escaped(t.text) + "</text>\n";
  }
  o += "</g>\n</svg>\n";
  return o;
}

}  // namespace drawing
}  // namespace quaven
