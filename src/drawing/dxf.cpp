// The drawing as an AutoCAD R12 ASCII DXF: pairs of lines, a group code and
// its value. R12 needs no object handles nor class tables, and is the DXF
// that every program which reads DXF at all reads.
#include <cstdint>
#include <cstdio>
#include <string>

#include "drawing/files.h"
#include "drawing/sheet.h"

namespace quaven {
namespace drawing {

namespace {

using sheet::Layer;
using sheet::number;

const char* layer_name(Layer l) {
  switch (l) {
    case Layer::outline: return "OUTLINE";
    case Layer::hatch: return "HATCH";
    case Layer::centre: return "CENTER";
    case Layer::guide: return "GUIDES";
    case Layer::dimension: return "DIMENSIONS";
    case Layer::notes: return "NOTES";
  }
  return "0";
}

// Text in the DXF's own escapes: %%c for Ø, %%d for °, %%p for ±, and
// \U+XXXX for any other character beyond ASCII (decoded from UTF-8).
std::string dxf_text(const std::string& s) {
  std::string o;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::uint32_t cp = c;
    std::size_t len = 1;
    if (c >= 0xF0 && i + 3 < s.size()) {
      cp = ((c & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3Fu);
      len = 4;
    } else if (c >= 0xE0 && i + 2 < s.size()) {
      cp = ((c & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu);
      len = 3;
    } else if (c >= 0xC0 && i + 1 < s.size()) {
      cp = ((c & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu);
      len = 2;
    }
    i += len;
    if (cp == 0xD8 || cp == 0x2300) {
      o += "%%c";
    } else if (cp == 0xB0) {
      o += "%%d";
    } else if (cp == 0xB1) {
      o += "%%p";
    } else if (cp >= 0x80) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "\\U+%04X", static_cast<unsigned>(cp));
      o += buf;
    } else if (cp >= 0x20) {
      o += static_cast<char>(cp);
    }
  }
  return o;
}

class Writer {
 public:
  void pair(int code, const std::string& value) { out_ += std::to_string(code) + "\n" + value + "\n"; }
  void pair(int code, double value) { pair(code, number(value)); }
  void integer(int code, int value) { pair(code, std::to_string(value)); }
  void point(int base, Vec v) {
    pair(base, v.x);
    pair(base + 10, v.y);
    pair(base + 20, 0.0);
  }
  std::string& text() { return out_; }

 private:
  std::string out_;
};

}  // namespace

std::string dxf(const Drawing& d) {
  const sheet::Sheet s = sheet::layout(d);
  Writer w;
  const double ltscale = 1.5 * s.text_height;

  w.pair(0, "SECTION");
  w.pair(2, "HEADER");
  w.pair(9, "$ACADVER");
  w.pair(1, "AC1009");
  w.pair(9, "$INSBASE");
  w.point(10, {0.0, 0.0});
  w.pair(9, "$EXTMIN");
  w.point(10, s.min);
  w.pair(9, "$EXTMAX");
  w.point(10, s.max);
  w.pair(9, "$LIMMIN");
  w.pair(10, s.min.x);
  w.pair(20, s.min.y);
  w.pair(9, "$LIMMAX");
  w.pair(10, s.max.x);
  w.pair(20, s.max.y);
  // Read by the programs that know them (they came with R2000); the
  // notes say the unit as well.
  w.pair(9, "$INSUNITS");
  w.integer(70, d.unit.dxf_code);
  w.pair(9, "$MEASUREMENT");
  w.integer(70, d.unit.dxf_code == 1 ? 0 : 1);
  w.pair(9, "$LTSCALE");
  w.pair(40, ltscale);
  w.pair(9, "$TEXTSIZE");
  w.pair(40, s.text_height);
  w.pair(0, "ENDSEC");

  w.pair(0, "SECTION");
  w.pair(2, "TABLES");
  // Line types: continuous, centre (long dash, gap, short dash, gap) and
  // dashed; lengths are multiplied by $LTSCALE.
  struct LineType {
    const char* name;
    const char* description;
    std::vector<double> dashes;
  };
  const LineType types[] = {{"CONTINUOUS", "Solid line", {}},
                            {"CENTER", "Center ____ _ ____ _", {1.25, -0.25, 0.25, -0.25}},
                            {"DASHED", "Dashed __ __ __", {0.5, -0.25}}};
  w.pair(0, "TABLE");
  w.pair(2, "LTYPE");
  w.integer(70, 3);
  for (const LineType& t : types) {
    double total = 0.0;
    for (const double x : t.dashes) total += x < 0.0 ? -x : x;
    w.pair(0, "LTYPE");
    w.pair(2, t.name);
    w.integer(70, 0);
    w.pair(3, t.description);
    w.integer(72, 65);
    w.integer(73, static_cast<int>(t.dashes.size()));
    w.pair(40, total);
    for (const double x : t.dashes) w.pair(49, x);
  }
  w.pair(0, "ENDTAB");
  struct LayerDef {
    Layer layer;
    int colour;
    const char* type;
  };
  const LayerDef layers[] = {{Layer::outline, 7, "CONTINUOUS"}, {Layer::hatch, 8, "CONTINUOUS"},
                             {Layer::centre, 1, "CENTER"},      {Layer::guide, 8, "DASHED"},
                             {Layer::dimension, 3, "CONTINUOUS"}, {Layer::notes, 7, "CONTINUOUS"}};
  w.pair(0, "TABLE");
  w.pair(2, "LAYER");
  w.integer(70, static_cast<int>(sizeof layers / sizeof layers[0]));
  for (const LayerDef& l : layers) {
    w.pair(0, "LAYER");
    w.pair(2, layer_name(l.layer));
    w.integer(70, 0);
    w.integer(62, l.colour);
    w.pair(6, l.type);
  }
  w.pair(0, "ENDTAB");
  w.pair(0, "TABLE");
  w.pair(2, "STYLE");
  w.integer(70, 1);
  w.pair(0, "STYLE");
  w.pair(2, "STANDARD");
  w.integer(70, 0);
  w.pair(40, 0.0);
  w.pair(41, 1.0);
  w.pair(50, 0.0);
  w.integer(71, 0);
  w.pair(42, s.text_height);
  w.pair(3, "txt");
  w.pair(4, "");
  w.pair(0, "ENDTAB");
  w.pair(0, "ENDSEC");

  w.pair(0, "SECTION");
  w.pair(2, "ENTITIES");
  for (const sheet::Path& p : s.paths) {
    const char* layer = layer_name(p.layer);
    if (p.points.size() == 2 && !p.closed) {
      w.pair(0, "LINE");
      w.pair(8, layer);
      w.point(10, p.points[0]);
      w.point(11, p.points[1]);
      continue;
    }
    w.pair(0, "POLYLINE");
    w.pair(8, layer);
    w.integer(66, 1);
    w.point(10, {0.0, 0.0});
    w.integer(70, p.closed ? 1 : 0);
    for (const Vec v : p.points) {
      w.pair(0, "VERTEX");
      w.pair(8, layer);
      w.point(10, v);
    }
    w.pair(0, "SEQEND");
    w.pair(8, layer);
  }
  for (const sheet::Arc& a : s.arcs) {
    w.pair(0, "ARC");
    w.pair(8, layer_name(a.layer));
    w.point(10, a.centre);
    w.pair(40, a.radius);
    w.pair(50, a.from_deg);
    w.pair(51, a.to_deg);
  }
  for (const auto& a : s.arrows) {
    w.pair(0, "SOLID");
    w.pair(8, layer_name(Layer::dimension));
    w.point(10, a[0]);
    w.point(11, a[1]);
    w.point(12, a[2]);
    w.point(13, a[2]);  // a triangle: the fourth corner on the third
  }
  for (const sheet::Text& t : s.texts) {
    w.pair(0, "TEXT");
    w.pair(8, layer_name(t.layer));
    w.point(10, t.at);
    w.pair(40, t.height);
    w.pair(1, dxf_text(t.text));
    if (t.angle_deg != 0.0) w.pair(50, t.angle_deg);
    if (t.align >= 0) {
      w.integer(72, t.align == 0 ? 1 : 2);
      w.point(11, t.at);
    }
  }
  w.pair(0, "ENDSEC");
  w.pair(0, "EOF");
  return std::move(w.text());
}

}  // namespace drawing
}  // namespace quaven
