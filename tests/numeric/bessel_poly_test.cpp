#include "numeric/bessel_poly.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quaven {
namespace {

// The polynomial pairs (the short one against the long) against the standard library's Bessel functions over the
// whole interval, z = 0 (where J1(z)/z is 1/2) and the end point included.
TEST(BesselPoly, MatchesTheStandardLibraryToAFewUnitsInTheLastPlace) {
  double worst0 = 0.0, worst1 = 0.0;
  for (int k = 0; k <= 8000; ++k) {
    const double z = kBesselPolyMax * k / 8000.0;
    double j0, j1z;
    bessel_j0_j1z(z, j0, j1z);
    worst0 = std::max(worst0, std::fabs(j0 - std::cyl_bessel_j(0.0, z)));
    worst1 = std::max(worst1, std::fabs(j1z - (z == 0.0 ? 0.5 : std::cyl_bessel_j(1.0, z) / z)));
    if (z <= kBesselPolySmall) {
      double s0, s1z;
      bessel_j0_j1z_small(z, s0, s1z);
      worst0 = std::max(worst0, std::fabs(s0 - j0));
      worst1 = std::max(worst1, std::fabs(s1z - j1z));
    }
  }
  EXPECT_LT(worst0, 1e-15);
  EXPECT_LT(worst1, 5e-16);
}

}  // namespace
}  // namespace quaven
