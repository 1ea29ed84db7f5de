// A body's drawing and solid as files: the dimensioned section as SVG and as
// DXF, and the solid as an STL mesh. Each returns the whole file's bytes.
#pragma once

#include <string>

#include "drawing/body.h"

namespace quaven {
namespace drawing {

// The drawing as an SVG image whose width and height are those of the
// drawing itself in its unit (printed at 100 %, it is full size). UTF-8.
std::string svg(const Drawing& d);

// The same drawing as an ASCII DXF (AutoCAD R12, which every CAD and CAM
// program reads) in the drawing's unit: the section's outline as closed
// polylines on layer OUTLINE, its hatch on HATCH, the centre line on CENTER,
// guides on GUIDES, and the dimensions (lines, arcs, filled arrows and text,
// not associative DIMENSION entities) on DIMENSIONS, the notes on NOTES. Ø
// and ° are written as %%c and %%d, other characters beyond ASCII as \U+XXXX.
std::string dxf(const Drawing& d);

// The solid swept by a closed profile about the axis as a binary STL: each
// piece of the curve turned through `segments` equal steps into planar
// quadrilaterals (two triangles each; a triangle fan where the curve meets
// the axis), every facet's vertices counter-clockwise seen from outside, so
// that the mesh is closed and consistently oriented. Vertices are in `unit`
// (millimetres, what slicers and CAM programs assume of an STL that says
// nothing). Binary rather than ASCII: a fifth of the size, and each vertex
// is the same 32-bit number in every facet that shares it, so that no
// printing of decimals can open a seam.
//
// The mesh's cross-section is a regular polygon inscribed in the circle of
// the body: its volume is the body's times segments sin(2 pi/segments)/(2 pi).
//
// Throws std::invalid_argument for an open profile (a wall of no
// thickness has no solid to print: the message says so), a profile of
// fewer than three points or with a point off the half-plane, or a number
// of segments outside stl_segments_check's range.
struct StlOptions {
  int segments = 360;
  Unit unit = millimetres();
};
std::string stl(const Profile& profile, const StlOptions& options = StlOptions());

// The checks a front end makes before asking for an STL, each "" or one
// line naming the input by its `label` and the rule it breaks:
// segments: a whole number from 3 to 3600 (a tenth of a degree).
std::string stl_segments_check(const std::string& label, long long segments);
// wall: a solid needs a wall thicker than 0 (`wall_m`, metres).
std::string stl_wall_check(const std::string& label, double wall_m);

constexpr int kMinSegments = 3;
constexpr int kMaxSegments = 3600;

}  // namespace drawing
}  // namespace quaven
