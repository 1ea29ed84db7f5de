// Lagrange interpolation, the universal-curve tables and the three-point window.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <tuple>

#include "legacy/algip.h"
#include "legacy/universal_curves.h"
#include "test_data.h"

namespace {

using quaven::algip;
using quaven::table_window;
using quaven::window_value;
namespace curves = quaven::curves;

const std::map<std::string, const float*> columns = {
    {"e3", curves::e3}, {"h3", curves::h3}, {"e1", curves::e1}, {"h1", curves::h1}};

float curve_at(float s, const float* column) {
  return window_value(table_window(s, curves::step, 1.0f, curves::largest_first), s, column);
}

// Lagrange's polynomial through n points reproduces every polynomial of degree
// at most n - 1: through the nodes and between and beyond them.
TEST(Algip, ReproducesPolynomialsOfDegreeBelowN) {
  struct Case {
    int n;
    double c0, c1, c2;  // polynomial c0 + c1 x + c2 x^2 (c2 = 0 below n = 3)
  };
  const Case cases[] = {{1, 2.5, 0, 0}, {2, -1.0, 3.0, 0}, {3, 0.5, -2.0, 4.0}, {3, 1.0, 0.25, -8.0}};
  const float xs[3] = {0.2f, 0.24f, 0.28f};
  for (const Case& c : cases) {
    float ys[3];
    for (int i = 0; i < 3; ++i) {
      const double x = xs[i];
      ys[i] = static_cast<float>(c.c0 + c.c1 * x + c.c2 * x * x);
    }
    for (float xf : {0.2f, 0.21f, 0.24f, 0.2666f, 0.28f, 0.3f, 0.1f}) {
      const double x = xf;
      const double want = c.c0 + c.c1 * x + c.c2 * x * x;
      const float got = algip(xf, xs, ys, c.n);
      EXPECT_NEAR(got, want, 2e-5 * (1.0 + std::fabs(want)))
          << "n=" << c.n << " x=" << x << " polynomial " << c.c0 << "," << c.c1 << "," << c.c2;
    }
  }
}

TEST(Algip, DegenerateCounts) {
  const float xs[3] = {1.0f, 2.0f, 3.0f};
  const float ys[3] = {7.5f, -1.0f, 4.0f};
  for (float x : {-3.0f, 0.0f, 1.0f, 2.5f, 100.0f}) {
    EXPECT_EQ(algip(x, xs, ys, 1), 7.5f) << "n=1 must return ys(1) at x=" << x;
    EXPECT_EQ(algip(x, xs, ys, 0), 0.0f) << "n=0 must return 0 at x=" << x;
    EXPECT_EQ(algip(x, xs, ys, -2), 0.0f) << "n<0 must return 0 at x=" << x;
  }
}

TEST(UniversalCurves, EveryColumnRisesStrictlyWithS) {
  for (const auto& [name, column] : columns) {
    for (int q = 1; q < curves::count; ++q) {
      EXPECT_LT(column[q - 1], column[q]) << name << " entries " << q << " and " << q + 1;
    }
  }
}

// The window lands on the grid point at or below S; the first entry is never
// above the largest allowed, and (mended) never below 1.
TEST(TableWindow, FirstEntryForS) {
  struct Case {
    float s, step, offset;
    int largest, first;
  };
  const Case cases[] = {
      {0.0f, 0.04f, 1.0f, 17, 1},      {0.1f, 0.04f, 1.0f, 17, 3},
      {0.2f, 0.04f, 1.0f, 17, 6},      {0.20334f, 0.04f, 1.0f, 17, 6},
      {0.66f, 0.04f, 1.0f, 17, 17},    {0.70f, 0.04f, 1.0f, 17, 17},
      {0.72f, 0.04f, 1.0f, 17, 17},    {5.0f, 0.04f, 1.0f, 17, 17},
      {0.0f, 0.02f, 1.1f, 39, 1},      {0.019f, 0.02f, 1.1f, 39, 2},
      {0.20334f, 0.02f, 1.1f, 39, 11}, {0.61002f, 0.02f, 1.1f, 39, 31},
      {0.7579f, 0.02f, 1.1f, 39, 38},  {0.758f, 0.02f, 1.1f, 39, 39},
      {3.8126f, 0.02f, 1.1f, 39, 39},
      // Below the grid: clamped to the first entry.
      {-0.01f, 0.04f, 1.0f, 17, 1},    {-0.2f, 0.04f, 1.0f, 17, 1},
      {-0.005f, 0.02f, 1.1f, 39, 1},   {-0.3f, 0.02f, 1.1f, 39, 1},
  };
  for (const Case& c : cases) {
    const quaven::Window w = table_window(c.s, c.step, c.offset, c.largest);
    EXPECT_TRUE(w.valid) << "S=" << c.s;
    EXPECT_EQ(w.first, c.first) << "S=" << c.s << " step=" << c.step << " offset=" << c.offset;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(w.xs[i], static_cast<float>(c.first + i - 1) * c.step) << "S=" << c.s << " xs(" << i + 1 << ")";
    }
  }
}

TEST(UniversalCurves, StatedWindowValues) {
  struct Case {
    float s;
    const char* column;
    double want, tol;
  };
  const Case cases[] = {
      {0.0f, "e3", 1.61634, 0.0},       // S = 0 returns the first entry exactly
      {0.0f, "h1", 3.518897, 0.0},
      {0.0f, "h3", 2.037624, 0.0},
      {0.0f, "e1", 2.73138, 0.0},
      {0.1f, "e3", 1.6239, 5e-5},
      {0.2f, "e3", 1.648646, 2e-6},     // on a grid point
      {0.72f, "e3", 5.182586, 2e-6},
      {0.8f, "e3", 5.69695, 5e-6},      // extrapolated from entries 17 to 19
      {0.8f, "h3", 3.8479, 5e-5},
  };
  for (const Case& c : cases) {
    const float got = curve_at(c.s, columns.at(c.column));
    if (c.tol == 0.0) {
      EXPECT_EQ(got, static_cast<float>(c.want)) << c.column << " at S=" << c.s;
    } else {
      EXPECT_NEAR(got, c.want, c.tol) << c.column << " at S=" << c.s;
    }
  }
}

// Across and beyond the grid, against 50-digit Lagrange values through the
// same three entries, within a stated float rounding bound per row.
TEST(UniversalCurves, MatchesHighPrecisionReference) {
  const auto rows = quaven::test::read_rows("horn_reference.txt", "window");
  int checked = 0;
  for (const auto& row : rows) {
    if (row.words[0] == "c") continue;  // the gain table is checked by chngn_test
    const float s = static_cast<float>(row[1]);
    const float got = curve_at(s, columns.at(row.words[0]));
    EXPECT_NEAR(got, row[2], row[3]) << row.line;
    ++checked;
  }
  EXPECT_GE(checked, 150) << "reference data missing or short";
}

// Regression: a negative S used to index before the table; it now extrapolates
// the parabola through the first three entries.
TEST(TableWindowRegression, NegativeSExtrapolatesFirstThreeEntries) {
  const double x1 = 0.0, x2 = 0.04f, x3 = 0.08f;  // the float grid points
  for (float sf : {-0.01f, -0.05f, -0.12f, -0.2f}) {
    const double s = sf;
    for (const auto& [name, column] : columns) {
      const double y1 = column[0], y2 = column[1], y3 = column[2];
      // Newton form of the same parabola, in double.
      const double d12 = (y2 - y1) / (x2 - x1), d23 = (y3 - y2) / (x3 - x2);
      const double d123 = (d23 - d12) / (x3 - x1);
      const double want = y1 + d12 * (s - x1) + d123 * (s - x1) * (s - x2);
      EXPECT_NEAR(curve_at(sf, column), want, 1e-5 * (1.0 + std::fabs(want))) << name << " S=" << s;
    }
  }
}

// Regression: a non-finite S has no integer index; the window is invalid and
// reading it gives NaN without touching the table (a null column proves it).
TEST(TableWindowRegression, NonFiniteSGivesNaNWithoutReadingTable) {
  const float inf = std::numeric_limits<float>::infinity();
  for (float s : {inf, -inf, std::numeric_limits<float>::quiet_NaN()}) {
    for (auto [step, offset, largest] : {std::tuple{0.04f, 1.0f, 17}, std::tuple{0.02f, 1.1f, 39}}) {
      const quaven::Window w = table_window(s, step, offset, largest);
      EXPECT_FALSE(w.valid) << "S=" << s;
      EXPECT_TRUE(std::isnan(window_value(w, s, nullptr))) << "S=" << s;
    }
  }
}

// Regression: a huge finite S must clamp before any float-to-int conversion
// (whose overflow is undefined), giving the last window.
TEST(TableWindowRegression, HugeFiniteSClampsWithoutIntegerOverflow) {
  for (float s : {1e10f, 1e30f, FLT_MAX, -1e10f, -FLT_MAX}) {
    const quaven::Window w = table_window(s, 0.04f, 1.0f, 17);
    EXPECT_TRUE(w.valid) << "S=" << s;
    EXPECT_EQ(w.first, s > 0 ? 17 : 1) << "S=" << s;
  }
}

}  // namespace
