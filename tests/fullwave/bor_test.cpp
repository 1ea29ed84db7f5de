// The body-of-revolution moment method against closed forms: its modal
// Green's functions and their gradient moments against brute-force
// quadrature, and plane-wave scattering by a perfectly conducting sphere
// against the Mie series, by the EFIE, the MFIE and the CFIE, away from and
// at a resonance of the cavity the sphere encloses.
#include "fullwave/bor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <stdexcept>

#include "numeric/parallel.h"

namespace {

using quaven::bor::cd;
using quaven::bor::Formulation;
constexpr double kPi = 3.14159265358979323846;
constexpr double kEta = 376.730313668;

// Mie far-field amplitudes S1 (H-plane) and S2 (E-plane) of a perfectly
// conducting sphere of size x = k a (Bohren & Huffman, 1983, ch. 4, with the
// conductor's coefficients a_n = psi_n'/xi_n', b_n = psi_n/xi_n), and with
// `jt`, `jp` the magnitudes of its surface current J = r^ x H (unit incident
// E, times eta) at polar angle theta: |J_theta| in the E-plane and |J_phi|
// in the H-plane. From the same expansion of H, using the Wronskian
// psi_n xi_n' - psi_n' xi_n = j: eta J_theta = (cos phi / x) sum E_n
// (tau_n / xi_n' + j pi_n / xi_n), eta J_phi = (sin phi / x) sum E_n (pi_n /
// xi_n' + j tau_n / xi_n), E_n = j^n (2n + 1)/(n (n + 1)).
void mie(double x, double theta, cd& s1, cd& s2, double* jt = nullptr, double* jp = nullptr) {
  const int nmax = static_cast<int>(x + 4.0 * std::cbrt(x) + 10.0);
  const double mu = std::cos(theta);
  double pim1 = 0.0, pi = 1.0;
  cd ct = 0.0, cp = 0.0, in = 1.0;
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
    in *= cd(0.0, 1.0);
    const cd xi = x * hn, xid = x * hm - static_cast<double>(n) * hn;
    ct += in * f * (tau / xid + cd(0.0, pi) / xi);
    cp += in * f * (pi / xid + cd(0.0, tau) / xi);
    const double next = ((2.0 * n + 1.0) / n) * mu * pi - ((n + 1.0) / n) * pim1;
    pim1 = pi;
    pi = next;
  }
  if (jt) *jt = std::abs(ct) / x;
  if (jp) *jp = std::abs(cp) / x;
}

// A sphere of size k a = ka (k = 2 pi), meshed at `nseg` segments along the
// meridian, under x-polarised incidence along +z.
quaven::bor::Body sphere(double ka, Formulation f, int nseg = 63, quaven::bor::Options o = {}) {
  const double k = 2.0 * kPi, a = ka / k;
  std::vector<quaven::bor::Point> nodes;
  for (int i = 0; i <= nseg; ++i) {
    const double t = kPi * i / nseg;
    nodes.push_back({i == 0 || i == nseg ? 0.0 : a * std::sin(t), -a * std::cos(t)});
  }
  o.formulation = f;
  quaven::bor::Body body(nodes, k, o);
  body.solve([&](double, double z) {
    const cd e = std::exp(cd(0.0, -k * z));
    return quaven::bor::IncidentSample(e, 0.0, e, e / kEta, 0.0, e / kEta);
  });
  return body;
}

// Largest error of the current's magnitude at the nodes against the Mie
// series, relative to the largest current.
double current_error(const quaven::bor::Body& body, double ka) {
  const auto& nodes = body.nodes();
  const int nseg = static_cast<int>(nodes.size()) - 1;
  double worst = 0.0, big = 0.0;
  for (int i = 1; i < nseg; ++i) {
    cd s1, s2;
    double jt, jp;
    mie(ka, kPi - kPi * i / nseg, s1, s2, &jt, &jp);
    // J_t = 2 cos(phi) rho J_t / rho and J_phi = 2j sin(phi) rho J_phi / rho.
    const double gt = 2.0 * kEta * std::abs(body.rho_jt(i)) / nodes[i].rho;
    const double gp = 2.0 * kEta * std::abs(body.rho_jphi(i)) / nodes[i].rho;
    worst = std::max({worst, std::fabs(gt - jt), std::fabs(gp - jp)});
    big = std::max({big, jt, jp});
  }
  return worst / big;
}

TEST(BodyOfRevolution, ModalGreenAndItsGradientMatchBruteForceNearAndFar) {
  const double k = 2.0 * kPi;
  // Rings close together (static parts in closed form) and far apart.
  const double pairs[3][4] = {{0.5, 0.1, 0.503, 0.104}, {0.8, 0.0, 0.2, 0.9}, {0.3, 0.2, 0.31, 0.2}};
  for (const auto& p : pairs) {
    cd got[3], grad[3];
    quaven::bor::modal_green(k, p[0], p[1], p[2], p[3], 64, got);
    quaven::bor::modal_green_gradient(k, p[0], p[1], p[2], p[3], 64, grad);
    // Midpoint rule fine enough to resolve the peak at a = 0.
    const int n = 1 << 18;
    cd want[3] = {0.0, 0.0, 0.0}, wgrad[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < n; ++i) {
      const double a = (i + 0.5) * 2.0 * kPi / n;
      const double r = std::sqrt(p[0] * p[0] + p[2] * p[2] - 2.0 * p[0] * p[2] * std::cos(a) +
                                 (p[1] - p[3]) * (p[1] - p[3]));
      const cd e = std::exp(cd(0.0, -k * r)) / (4.0 * kPi) * (2.0 * kPi / n);
      for (int m = 0; m < 3; ++m) want[m] += std::cos(m * a) * e / r;
      // (1 + jkR) exp(-jkR)/(4 pi R^3) times cos a, 1 - cos a, (1 - cos a) cos a.
      const cd g = cd(1.0, k * r) * e / (r * r * r);
      wgrad[0] += std::cos(a) * g;
      wgrad[1] += (1.0 - std::cos(a)) * g;
      wgrad[2] += (1.0 - std::cos(a)) * std::cos(a) * g;
    }
    for (int m = 0; m < 3; ++m) {
      EXPECT_LT(std::abs(got[m] - want[m]), 1e-6 * std::abs(want[0])) << m;
      EXPECT_LT(std::abs(grad[m] - wgrad[m]), 1e-6 * std::abs(wgrad[m])) << m << " " << grad[m] << " " << wgrad[m];
    }
  }
}

TEST(BodyOfRevolution, SphereFarFieldMatchesMieSeriesByEachEquation) {
  // Radius half a wavelength, meshed at lambda/40 along the meridian.
  const double ka = kPi;
  for (Formulation f : {Formulation::efie, Formulation::mfie, Formulation::cfie}) {
    SCOPED_TRACE(quaven::bor::name(f));
    const quaven::bor::Body body = sphere(ka, f);
    EXPECT_EQ(body.formulation(), f);
    for (int deg = 0; deg <= 180; deg += 10) {
      const double th = deg * kPi / 180.0;
      cd s1, s2;
      mie(ka, th, s1, s2);
      const quaven::bor::FarField ff = body.far_field(th);
      EXPECT_NEAR(std::abs(ff.e) * 2.0 * kPi / std::abs(s2), 1.0, 0.005) << deg;
      EXPECT_NEAR(std::abs(ff.h) * 2.0 * kPi / std::abs(s1), 1.0, 0.005) << deg;
    }
    // The MFIE's and the CFIE's currents are also close to the exact ones;
    // the EFIE's J_phi ripples near the shadow-side pole by some 4 %.
    EXPECT_LT(current_error(body, ka), f == Formulation::efie ? 0.05 : 0.006);
  }
  // An open surface (a hemisphere) is left to the EFIE.
  std::vector<quaven::bor::Point> cup;
  for (int i = 0; i <= 16; ++i) cup.push_back({i == 0 ? 0.0 : 0.5 * std::sin(0.5 * kPi * i / 16), -0.5 * std::cos(0.5 * kPi * i / 16)});
  EXPECT_EQ(quaven::bor::Body(cup, 2.0 * kPi).formulation(), Formulation::efie);
  quaven::bor::Options o;
  o.formulation = Formulation::cfie;
  EXPECT_THROW(quaven::bor::Body(cup, 2.0 * kPi, o), std::invalid_argument);
}

TEST(BodyOfRevolution, OnlyTheCfieStaysUniqueAtTheSpheresCavityResonance) {
  // The first resonance of the spherical cavity excited by the harmonic
  // m = 1, TM (n = 1): the zero of (x j_1(x))' = x j_0(x) - j_1(x) near
  // 2.744. The EFIE and the MFIE have no unique solution there.
  double lo = 2.6, hi = 2.9;
  const auto d = [](double x) { return x * std::sph_bessel(0, x) - std::sph_bessel(1, x); };
  for (int i = 0; i < 60; ++i) (d(lo) * d(0.5 * (lo + hi)) <= 0.0 ? hi : lo) = 0.5 * (lo + hi);
  const double cavity = 0.5 * (lo + hi);
  // The discretised EFIE's singular point: the least reciprocal condition
  // number within 0.01 of the cavity's resonance (golden section).
  const auto rc = [](double ka, Formulation f) { return sphere(ka, f).rcond(); };
  double a = cavity - 0.01, b = cavity + 0.01;
  const double edge = std::min(rc(a, Formulation::efie), rc(b, Formulation::efie));
  const double g = 0.5 * (std::sqrt(5.0) - 1.0);
  double x1 = b - g * (b - a), x2 = a + g * (b - a), f1 = rc(x1, Formulation::efie), f2 = rc(x2, Formulation::efie);
  while (b - a > 1e-7) {
    if (f1 < f2) {
      b = x2, x2 = x1, f2 = f1, x1 = b - g * (b - a), f1 = rc(x1, Formulation::efie);
    } else {
      a = x1, x1 = x2, f1 = f2, x2 = a + g * (b - a), f2 = rc(x2, Formulation::efie);
    }
  }
  const double ka = 0.5 * (a + b);
  SCOPED_TRACE(ka);
  EXPECT_NEAR(ka, cavity, 0.002);
  EXPECT_LT(rc(ka, Formulation::efie), 0.01 * edge);
  EXPECT_LT(rc(ka, Formulation::mfie), 0.01 * rc(cavity - 0.01, Formulation::mfie));
  EXPECT_GT(rc(ka, Formulation::cfie), 0.95 * rc(cavity - 0.01, Formulation::cfie));
  // There the EFIE's and the MFIE's currents are wrong and the CFIE's are
  // not.
  EXPECT_GT(current_error(sphere(ka, Formulation::efie), ka), 0.2);
  EXPECT_GT(current_error(sphere(ka, Formulation::mfie), ka), 0.2);
  const quaven::bor::Body body = sphere(ka, Formulation::cfie);
  EXPECT_LT(current_error(body, ka), 0.005);
  for (int deg = 0; deg <= 180; deg += 30) {
    cd s1, s2;
    mie(ka, deg * kPi / 180.0, s1, s2);
    const quaven::bor::FarField ff = body.far_field(deg * kPi / 180.0);
    EXPECT_NEAR(std::abs(ff.e) * 2.0 * kPi / std::abs(s2), 1.0, 0.005) << deg;
    EXPECT_NEAR(std::abs(ff.h) * 2.0 * kPi / std::abs(s1), 1.0, 0.005) << deg;
  }
}

TEST(BodyOfRevolution, FillIsTheSameOnAnyThreadsAndItsCheaperRulesKeepTheirBounds) {
  const double ka = kPi;
  const auto largest = [](const quaven::bor::Body& b) {
    double m = 0.0;
    for (int i = 0; i < static_cast<int>(b.nodes().size()); ++i)
      m = std::max({m, std::abs(b.rho_jt(i)), std::abs(b.rho_jphi(i))});
    return m;
  };
  // The currents to the last bit on one thread and on three, by both
  // equations (the CFIE's fill has the MFIE's terms too).
  for (Formulation f : {Formulation::efie, Formulation::cfie}) {
    SCOPED_TRACE(quaven::bor::name(f));
    quaven::parallel::ThreadCountScope one(1);
    const quaven::bor::Body serial = sphere(ka, f);
    quaven::parallel::ThreadCountScope three(3);
    const quaven::bor::Body threaded = sphere(ka, f);
    int differ = 0;
    for (int i = 0; i < static_cast<int>(serial.nodes().size()); ++i)
      differ += serial.rho_jt(i) != threaded.rho_jt(i) || serial.rho_jphi(i) != threaded.rho_jphi(i);
    EXPECT_EQ(differ, 0);
  }
  // The angle counts picked per pair of segments against 160 points for
  // every pair: the same currents within 1e-11 of the largest.
  quaven::bor::Options many;
  many.angle_points = 160;
  const quaven::bor::Body picked = sphere(ka, Formulation::cfie), fixed = sphere(ka, Formulation::cfie, 63, many);
  double worst = 0.0;
  for (int i = 0; i < static_cast<int>(picked.nodes().size()); ++i)
    worst = std::max({worst, std::abs(picked.rho_jt(i) - fixed.rho_jt(i)),
                      std::abs(picked.rho_jphi(i) - fixed.rho_jphi(i))});
  EXPECT_LT(worst, 1e-11 * largest(fixed));
  // Meshed finely enough (250 segments, a wavelength over 160) for its error
  // estimate to let it in, the two-point rule on far pairs moves the far
  // field, but by less than 1e-6 of itself.
  quaven::bor::Options full;
  full.far_rule = false;
  const quaven::bor::Body cheap = sphere(ka, Formulation::cfie, 250), exact = sphere(ka, Formulation::cfie, 250, full);
  double moved = 0.0;
  for (int deg = 0; deg <= 180; deg += 15) {
    const quaven::bor::FarField a = cheap.far_field(deg * kPi / 180.0), b = exact.far_field(deg * kPi / 180.0);
    moved = std::max({moved, std::abs(a.e - b.e) / std::abs(b.e), std::abs(a.h - b.h) / std::abs(b.h)});
  }
  EXPECT_GT(moved, 0.0);
  EXPECT_LT(moved, 1e-6);
}

}  // namespace
