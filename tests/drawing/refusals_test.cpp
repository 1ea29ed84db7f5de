// What the drawing library refuses, with a reason, instead of writing a file
// that is wrong: a solid of no thickness, a curve that is not a section, a
// number of segments out of range, a Touchstone sample that cannot be
// written or two at one frequency.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "drawing/files.h"
#include "drawing/touchstone.h"
#include "fullwave/fullwave.h"

namespace quaven {
namespace {

TEST(DrawingRefusals, EachNamesTheValueAndTheRule) {
  const fullwave::Geometry horn{0.0114, 0.045, 0.0305, 0.0762, 0.0015};
  fullwave::Geometry thin = horn;
  thin.wall = 0.0;
  drawing::Profile pinched = drawing::horn_profile(horn);
  pinched.points[3].rho = 0.0;  // a corner on the axis mid-way
  const drawing::Profile section = drawing::horn_profile(horn);
  const std::vector<touchstone::Sample> good = {{10.0, {0.1, -0.2}}};
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* reason;
  };
  const Case cases[] = {
      {"thin wall", [&] { drawing::stl(drawing::horn_profile(thin)); }, "wall: the solid needs a wall thicker than 0"},
      {"pinched", [&] { drawing::stl(pinched); }, "meets the axis other than at its ends"},
      {"2 segments", [&] { drawing::stl(section, {2, drawing::millimetres()}); }, "from 3 to 3600"},
      {"3601 segments", [&] { drawing::stl(section, {3601, drawing::millimetres()}); }, "from 3 to 3600"},
      {"not a horn", [&] { drawing::horn_drawing({0.02, 0.045, 0.0305, 0.03, 0.0}, drawing::inches()); },
       "slant radius must exceed the aperture radius"},
      {"no samples", [] { touchstone::s1p({}, touchstone::Form::ri, {}); }, "needs one frequency or more"},
      {"NaN S11", [] { touchstone::s1p({{10.0, {NAN, 0.0}}}, touchstone::Form::ma, {}); },
       "S11 at 10 GHz is not a finite number"},
      {"0 GHz", [] { touchstone::s1p({{0.0, {0.1, 0.0}}}, touchstone::Form::ri, {}); }, "must be positive"},
      {"twice", [] { touchstone::s1p({{9.5, {0.1, 0.0}}, {9.5, {0.2, 0.0}}}, touchstone::Form::ri, {}); },
       "9.5 GHz: given twice"},
  };
  for (const Case& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.what << ": " << e.what();
    }
  }
  EXPECT_EQ(drawing::stl_segments_check("--segments", 3600), "");
  EXPECT_EQ(drawing::stl_segments_check("segments", 0),
            "segments: must be a whole number from 3 to 3600 (segments round the axis)");
  EXPECT_EQ(drawing::stl_wall_check("--wall", 0.0).rfind("--wall: ", 0), 0u);
  // A comment cannot break out into the data: a line break becomes a space.
  EXPECT_EQ(touchstone::s1p(good, touchstone::Form::ri, {"a\n10 0.5 0.5"}),
            "! a 10 0.5 0.5\n# GHZ S RI R 50\n! freq_ghz  re_s11  im_s11\n10 0.1 -0.2\n");
}

}  // namespace
}  // namespace quaven
