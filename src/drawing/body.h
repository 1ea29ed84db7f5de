// The body of a horn as the files engineers exchange describe it: its
// generating curve (the section of its metal on one side of the axis), and a
// drawing of that section with its dimensions.
//
// Everything the drawing and the solid need comes from the generating curve
// and a list of dimensions, so that another body of revolution (a flange, a
// choke ring, a profile read from a file) is drawn and meshed by the same
// code once its curve and its dimensions are given. Lengths are in metres
// here; a Unit says in what the files give them.
#pragma once

#include <string>
#include <vector>

namespace quaven {
namespace fullwave {
struct Geometry;
}

namespace drawing {

// A point of a generating curve: radius from the axis and position along it.
struct Point {
  double rho;
  double z;
};

// The generating curve of a body of revolution, in the rho-z half-plane.
// `closed`: a polygon (its last point joins its first), the section of a
// solid; else an open polyline, a sheet of no thickness. Points on the axis
// (rho = 0) may only be the first or the last.
struct Profile {
  std::vector<Point> points;
  bool closed = true;
};

// The horn as the full wave models it (fullwave::outline): the feed guide
// with its back plate, the cone and the rim, each a wall of thickness
// g.wall; a thin wall (0) gives the open curve of the inner surface.
// Throws std::invalid_argument for a geometry that is not a horn.
Profile horn_profile(const fullwave::Geometry& g);

// The length unit of a file: its symbol and its name in words, its size in
// metres, the decimals a drawing shows, and the DXF code of the unit.
struct Unit {
  std::string name;
  std::string words;
  double metres;
  int decimals;
  int dxf_code;
};
Unit millimetres();
Unit centimetres();
Unit inches();

// A point of the drawing plane, in metres: x along the axis (z), y across it
// (the signed radius: the drawing shows the section on both sides).
struct Vec {
  double x;
  double y;
};

// A dimension: a line with arrows between two points, its value as the
// label says (the label is the whole text, e.g. "aperture Ø 60.96").
struct Dimension {
  enum class Kind {
    horizontal,  // the x distance of `a` and `b`, its line at y = `place`
    vertical,    // the y distance, its line at x = `place`
    angle,       // at vertex `a`, between the rays to `b` and `c`; arc radius `place`
  };
  Kind kind;
  Vec a;
  Vec b;
  Vec c;  // angle only
  double place;
  std::string label;
  std::string short_label = "";  // used where `label` does not fit ("Ø 22.86")
};

// A thin construction line (the cone produced to its apex, the throat
// plane), with a label at its end `b` ("" for none).
struct Guide {
  Vec a;
  Vec b;
  std::string label;
};

// What a drawing shows: the section of the body on both sides of the axis,
// hatched where it is solid, its centre line, guides, dimensions, and notes
// (lines of text) under it. Text is `text_height` metres high.
struct Drawing {
  Profile profile;
  std::vector<Dimension> dimensions;
  std::vector<Guide> guides;
  std::vector<std::string> notes;
  Unit unit;
  double text_height;
};

// The horn's section with its guide radius and length, the throat, the
// flare half-angle, the cone and horn lengths (as the command line's
// cone_length and horn_length columns: apex to aperture plane, throat plane
// to aperture plane), the aperture, the wall and the rim, in `unit`.
// Throws std::invalid_argument for a geometry that is not a horn.
Drawing horn_drawing(const fullwave::Geometry& g, const Unit& unit);

}  // namespace drawing
}  // namespace quaven
