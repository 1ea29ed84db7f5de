// The gnuplot driver on figures made for the purpose: gaps, the polar floor,
// series gnuplot cannot autoscale, and names it must not misread.
#include "cli/plot.h"
#include "reference.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace quaven {
namespace {


class PlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/quaven-plot-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override { ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0); }
  std::string dir_;
};

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Pieces and points of plot group `n` of a gnuplot SVG, without the key's
// sample line (the group's first piece).
void line_of(const std::string& svg, int n, int& pieces, int& points) {
  const std::string open = "id=\"gnuplot_plot_" + std::to_string(n) + "a\"";  // of the first panel
  const std::size_t start = svg.find(open);
  ASSERT_NE(start, std::string::npos) << open;
  // The group ends at its own </g>; the key's text sits in a nested group.
  std::size_t end = start;
  for (int depth = 1; depth > 0;) {
    const std::size_t open_g = svg.find("<g ", end);
    end = svg.find("</g>", end);
    ASSERT_NE(end, std::string::npos);
    if (open_g < end) {
      ++depth;
      end = open_g + 1;
    } else {
      --depth;
      end += 1;
    }
  }
  pieces = points = -1;  // the key
  for (std::size_t d = svg.find(" d='", start); d < end; d = svg.find(" d='", d + 1)) {
    const std::string path = svg.substr(d + 4, svg.find('\'', d + 4) - d - 4);
    for (const char c : path) {
      pieces += c == 'M';
      points += c == ',';
    }
  }
  points -= 1;  // the key's second point
}

plot::Series series(const char* name, std::initializer_list<double> ys) {
  plot::Series s;
  s.name = name;
  double x = 0.0;
  for (const double y : ys) s.add(x++, y);
  return s;
}

TEST_F(PlotTest, NonFiniteValuesAreGapsAndPolarValuesStopAtTheFloor) {
  plot::Figure fig;
  fig.title = "gaps";
  plot::Panel rect;
  rect.series = {series("a", {0, 1, kNan, 3, 4, -kInf, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                              22, 23, 24, 25, 26, 27, 28, 29})};
  fig.panels = {rect};
  const std::string svg = dir_ + "/gaps.svg";
  plot::write(fig, svg);
  int pieces = 0;
  int points = 0;
  line_of(read(svg), 1, pieces, points);
  EXPECT_EQ(pieces, 3);
  EXPECT_EQ(points, 28);

  // On a polar grid a value below the floor is drawn at the floor, and -inf
  // stays a gap.
  plot::Panel polar;
  polar.polar = true;
  polar.floor_db = -40.0;
  polar.series = {series("p", {0, -55, -kInf, -12.5})};
  fig.panels = {polar};
  const std::string text = plot::script(fig, plot::Format::svg, "x.svg");
  EXPECT_NE(text.find("\n0 0\n1 -40\n2 NaN\n3 -12.5\ne\n"), std::string::npos) << text;
}

TEST_F(PlotTest, DrawsSeriesWithNothingToScaleAndAwkwardNames) {
  // gnuplot refuses to autoscale an axis without a point: an empty panel, a
  // second axis of NaN and an all-NaN polar panel still give a file.
  plot::Figure fig;
  fig.title = "it's \"quoted\" & <odd>";
  plot::Panel empty;
  plot::Panel y2;
  y2.log_y = true;
  y2.series = {series("neg", {-1, -2}), series("nan", {kNan, kNan})};
  y2.series[1].second_axis = true;
  plot::Panel polar;
  polar.polar = true;
  polar.series = {series("nan", {kNan})};
  fig.panels = {empty, y2, polar};
  for (const char* name : {"/it's.svg", "/b.png", "/c.PDF"}) {
    const std::string path = dir_ + name;
    EXPECT_NO_THROW(plot::write(fig, path)) << name;
    EXPECT_GT(read(path).size(), 1000u) << name;
  }
  EXPECT_NE(read(dir_ + "/it's.svg").find("it's \"quoted\" &amp; &lt;odd"), std::string::npos);
  EXPECT_THROW(plot::format_of("a.svg.txt"), plot::Error);
  EXPECT_THROW(plot::format_of("dir.svg/a"), plot::Error);
}

}  // namespace
}  // namespace quaven
