// The body-of-revolution moment method against closed forms: its modal
// Green's functions against brute-force quadrature, and plane-wave scattering
// by a perfectly conducting sphere against the Mie series.
#include "horn/bor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace {

using quaven::bor::cd;
constexpr double kPi = 3.14159265358979323846;

// Mie far-field amplitudes S1 (H-plane) and S2 (E-plane) of a perfectly
// conducting sphere of size x = k a (Bohren & Huffman, 1983, ch. 4, with the
// conductor's coefficients a_n = psi_n'/xi_n', b_n = psi_n/xi_n).
void mie(double x, double theta, cd& s1, cd& s2) {
  const int nmax = static_cast<int>(x + 4.0 * std::cbrt(x) + 6.0);
  const double mu = std::cos(theta);
  double pim1 = 0.0, pi = 1.0;
  s1 = s2 = 0.0;
  for (int n = 1; n <= nmax; ++n) {
    const double jn = std::sph_bessel(n, x), jm = std::sph_bessel(n - 1, x);
    const cd hn(jn, std::sph_neumann(n, x)), hm(jm, std::sph_neumann(n - 1, x));
    const cd b = jn / hn;
    const cd a = (x * jm - n * jn) / (x * hm - static_cast<double>(n) * hn);
    const double tau = n * mu * pi - (n + 1) * pim1;
    const double f = (2.0 * n + 1.0) / (n * (n + 1.0));
    s1 += f * (a * pi + b * tau);
    s2 += f * (a * tau + b * pi);
    const double next = ((2.0 * n + 1.0) / n) * mu * pi - ((n + 1.0) / n) * pim1;
    pim1 = pi;
    pi = next;
  }
}

TEST(BodyOfRevolution, ModalGreenMatchesBruteForceNearAndFar) {
  const double k = 2.0 * kPi;
  // Rings close together (static part in closed form) and far apart.
  const double pairs[3][4] = {{0.5, 0.1, 0.503, 0.104}, {0.8, 0.0, 0.2, 0.9}, {0.3, 0.2, 0.31, 0.2}};
  for (const auto& p : pairs) {
    cd got[3];
    quaven::bor::modal_green(k, p[0], p[1], p[2], p[3], 64, got);
    // Midpoint rule fine enough to resolve the peak at a = 0.
    const int n = 1 << 18;
    cd want[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < n; ++i) {
      const double a = (i + 0.5) * 2.0 * kPi / n;
      const double r = std::sqrt(p[0] * p[0] + p[2] * p[2] - 2.0 * p[0] * p[2] * std::cos(a) +
                                 (p[1] - p[3]) * (p[1] - p[3]));
      const cd g = std::exp(cd(0.0, -k * r)) / (4.0 * kPi * r) * (2.0 * kPi / n);
      for (int m = 0; m < 3; ++m) want[m] += std::cos(m * a) * g;
    }
    for (int m = 0; m < 3; ++m) EXPECT_LT(std::abs(got[m] - want[m]), 1e-6 * std::abs(want[0])) << m;
  }
}

TEST(BodyOfRevolution, SphereFarFieldMatchesMieSeries) {
  // A sphere of radius half a wavelength, meshed at lambda/40 along the
  // meridian, under x-polarised incidence along +z.
  const double k = 2.0 * kPi, a = 0.5;
  const int nseg = 63;
  std::vector<quaven::bor::Point> nodes;
  for (int i = 0; i <= nseg; ++i) {
    const double t = kPi * i / nseg;
    nodes.push_back({i == 0 || i == nseg ? 0.0 : a * std::sin(t), -a * std::cos(t)});
  }
  quaven::bor::Options o;
  o.formulation = quaven::bor::Formulation::efie;
  quaven::bor::Body body(nodes, k, o);
  body.solve([&](double, double z) {
    const cd e = std::exp(cd(0.0, -k * z));
    return quaven::bor::IncidentSample(e, 0.0, e, e / 376.730313668, 0.0, e / 376.730313668);
  });
  for (int deg = 0; deg <= 180; deg += 10) {
    const double th = deg * kPi / 180.0;
    cd s1, s2;
    mie(k * a, th, s1, s2);
    const quaven::bor::FarField f = body.far_field(th);
    EXPECT_NEAR(std::abs(f.e) * k / std::abs(s2), 1.0, 0.005) << deg;
    EXPECT_NEAR(std::abs(f.h) * k / std::abs(s1), 1.0, 0.005) << deg;
  }
}

}  // namespace
