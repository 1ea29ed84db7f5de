// A drawing laid out as the few primitives its SVG and DXF forms share:
// polylines, filled triangles, arcs and text, in the drawing's unit with y
// up. Private to the drawing writers.
#pragma once

#include <string>
#include <vector>

#include "drawing/body.h"

namespace quaven {
namespace drawing {
namespace sheet {

enum class Layer { outline, hatch, centre, guide, dimension, notes };

struct Path {
  std::vector<Vec> points;
  bool closed;
  Layer layer;
};

// Text at `at`: its baseline's start (align -1), middle (0) or end (1),
// turned `angle_deg` anticlockwise about that point.
struct Text {
  Vec at;
  std::string text;
  double height;
  double angle_deg;
  int align;
  Layer layer;
};

struct Arc {
  Vec centre;
  double radius;
  double from_deg;  // anticlockwise from `from_deg` to `to_deg`
  double to_deg;
  Layer layer;
};

struct Sheet {
  std::vector<Path> sections;  // closed polygons of solid metal (filled in SVG)
  std::vector<Path> paths;
  std::vector<std::vector<Vec>> arrows;  // filled triangles
  std::vector<Arc> arcs;
  std::vector<Text> texts;
  Vec min;
  Vec max;  // the extent of everything, margins included
  double text_height;
};

Sheet layout(const Drawing& d);

// The number in the shortest form that keeps `digits` significant digits.
std::string number(double v, int digits = 10);

}  // namespace sheet
}  // namespace drawing
}  // namespace quaven
