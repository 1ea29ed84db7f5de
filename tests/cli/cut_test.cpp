#include "text/cut.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "feed/feed.h"
#include "numeric/constants.h"

namespace quaven {
namespace cli {
namespace {

// The three principal cuts of a horn over theta = -180 .. 180 degrees read
// back as the layout defines them: a header line, the line of V_INI V_INC
// V_NUM C ICOMP ICUT NCOMP, then V_NUM lines of Re/Im co and Re/Im cross.
TEST(CutFile, PrincipalCutsReadBackInTheLayout) {
  const exact::Horn horn(1.1, 0.3);
  const double deg = physical::rad_per_deg;
  std::ostringstream out;
  for (double phi : {0.0, 45.0, 90.0}) {
    write_polar_cut(out, "horn a/lambda = 1.1, S = 0.3\nphi cut", -180.0, 2.5, 145, phi, [&](double th) {
      const feed::Polarised p = feed::ludwig3(horn.field(std::fabs(th) * deg), phi * deg);
      return CutValue{p.co, p.xp};
    });
  }
  std::istringstream in(out.str());
  for (double phi : {0.0, 45.0, 90.0}) {
    std::string title;
    std::getline(in, title);
    EXPECT_EQ(title, "horn a/lambda = 1.1, S = 0.3 phi cut");
    double v_ini, v_inc, c;
    int v_num, icomp, icut, ncomp;
    in >> v_ini >> v_inc >> v_num >> c >> icomp >> icut >> ncomp;
    EXPECT_EQ(v_ini, -180.0);
    EXPECT_EQ(v_inc, 2.5);
    EXPECT_EQ(v_num, 145);
    EXPECT_EQ(c, phi);
    EXPECT_EQ(icomp, 3);
    EXPECT_EQ(icut, 1);
    EXPECT_EQ(ncomp, 2);
    for (int i = 0; i < v_num; ++i) {
      double cr, ci, xr, xi;
      in >> cr >> ci >> xr >> xi;
      const exact::Field f = horn.field(std::fabs(v_ini + i * v_inc) * deg);
      // The principal planes are pure E- and H-plane fields; 45 degrees
      // carries (A + B)/2 and (A - B)/2.
      const std::complex<double> co = phi == 0.0 ? f.e : phi == 90.0 ? f.h : 0.5 * (f.e + f.h);
      const std::complex<double> xp = phi == 45.0 ? 0.5 * (f.e - f.h) : 0.0;
      const double tol = 1e-9 * std::abs(horn.field(0.0).e);
      EXPECT_NEAR(cr, co.real(), tol);
      EXPECT_NEAR(ci, co.imag(), tol);
      EXPECT_NEAR(xr, xp.real(), tol);
      EXPECT_NEAR(xi, xp.imag(), tol);
    }
    in >> std::ws;
  }
  EXPECT_TRUE(in.eof());
}

}  // namespace
}  // namespace cli
}  // namespace quaven
