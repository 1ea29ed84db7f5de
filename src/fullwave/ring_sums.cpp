// Vectorised angle sums of the body-of-revolution kernels (see ring_sums.h).
#include "fullwave/ring_sums.h"

#include <algorithm>
#include <cmath>

#include "numeric/constants.h"

namespace quaven {
namespace bor {
namespace detail {
namespace {

// 2/pi, and pi/2 in three pieces of 33 significant bits each (the split of
// Cody & Waite as fdlibm's __ieee754_rem_pio2 keeps it), so that n times the
// first two pieces is exact for n < 2^20 and x - n pi/2 keeps its digits up
// to kr of a million radians, far beyond any body the solver takes on.
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kPio2Hi = 0x1.921fb544p+0;
constexpr double kPio2Mid = 0x1.0b4611a6p-34;
constexpr double kPio2Lo = 0x1.3198a2ep-69;
// Adding and subtracting 1.5 * 2^52 rounds a double below 2^51 to the
// nearest integer (ties to even) without a conversion to an integer type,
// which keeps the loop vectorisable on plain x86-64.
constexpr double kRound = 0x1.8p52;

// Taylor coefficients of sin r - r and 1 - cos r on |r| <= pi/4: the first
// omitted terms, r^19/19! and r^18/18!, are below 1e-19 there.
constexpr double kSin[8] = {-1.0 / 6.0,         1.0 / 120.0,           -1.0 / 5040.0,
                            1.0 / 362880.0,     -1.0 / 39916800.0,     1.0 / 6227020800.0,
                            -1.0 / 1307674368000.0, 1.0 / 355687428096000.0};
constexpr double kVers[8] = {1.0 / 2.0,          -1.0 / 24.0,          1.0 / 720.0,
                             -1.0 / 40320.0,     1.0 / 3628800.0,      -1.0 / 479001600.0,
                             1.0 / 87178291200.0, -1.0 / 20922789888000.0};

// sin x, cos x and 1 - cos x (the last without the cancellation of 1 - cos
// near x = 0) for 0 <= x < 2^20 pi/2. Branch-free, so that it vectorises.
inline __attribute__((always_inline)) void sin_cos_vers(double x, double& s, double& c, double& v) {
  const double n = (x * kTwoOverPi + kRound) - kRound;
  const double r = ((x - n * kPio2Hi) - n * kPio2Mid) - n * kPio2Lo;
  const double r2 = r * r;
  const double sr =
      r + r * r2 *
              (kSin[0] +
               r2 * (kSin[1] + r2 * (kSin[2] + r2 * (kSin[3] + r2 * (kSin[4] + r2 * (kSin[5] + r2 * (kSin[6] + r2 * kSin[7])))))));
  const double vr =
      r2 * (kVers[0] +
            r2 * (kVers[1] +
                  r2 * (kVers[2] + r2 * (kVers[3] + r2 * (kVers[4] + r2 * (kVers[5] + r2 * (kVers[6] + r2 * kVers[7])))))));
  const double cr = 1.0 - vr;
  // The quadrant n mod 4, as -2, -1, 0, 1 or 2.
  const double q = n - 4.0 * ((0.25 * n + kRound) - kRound);
  const bool q0 = q == 0.0, q1 = q == 1.0, q3 = q == -1.0;
  s = q0 ? sr : q1 ? cr : q3 ? -cr : -sr;
  c = q0 ? cr : q1 ? -sr : q3 ? sr : -cr;
  v = q0 ? vr : q1 ? 1.0 + sr : q3 ? 1.0 - sr : 2.0 - vr;
}

// Taylor coefficients of (1 + jx) exp(-jx) = sum c_n x^n, c_n = (-j)^n (1 -
// n)/n!, past the terms 1 + x^2/2 - x^4/8 taken out near a ring: the real
// ones c_6, c_8, ... and the imaginary parts of c_3, c_5, ... For x < 1/2
// the next terms are below 1e-11 of the sum.
constexpr double kSeriesRe[4] = {1.0 / 144.0, -1.0 / 5760.0, 1.0 / 403200.0, -11.0 / 479001600.0};
constexpr double kSeriesIm[5] = {-1.0 / 3.0, 1.0 / 30.0, -1.0 / 840.0, 1.0 / 45360.0, -1.0 / 3991680.0};

template <bool Split, bool Mfie>
inline __attribute__((always_inline)) void sums(double k, const AngleRule& rule, double d2, double b4,
                                                double out[12]) {
  constexpr int L = kAngleLanes;
  constexpr int S = Mfie ? 12 : 6;
  double acc[S][L];
  for (int j = 0; j < S; ++j)
    for (int l = 0; l < L; ++l) acc[j][l] = 0.0;
  const double* w = rule.w.data();
  const double* w1 = rule.w1.data();
  const double* w2 = rule.w2.data();
  const double* wn0 = rule.wn0.data();
  const double* wn1 = rule.wn1.data();
  const double* sh2 = rule.sh2.data();
  const double k3 = k * k * k;
  for (int i0 = 0; i0 < rule.m; i0 += L) {
    for (int l = 0; l < L; ++l) {
      const int i = i0 + l;
      const double r = std::sqrt(d2 + b4 * sh2[i]);
      const double kr = k * r;
      double sn, c, v;
      sin_cos_vers(kr, sn, c, v);
      const double ir = 1.0 / (r > 0.0 ? r : 1.0);
      double fr, fi, gr = 0.0, gi = 0.0;
      if (Split) {
        // (exp(-jkR) - 1 + (kR)^2/2)/R, whose limit at R = 0 is -jk.
        fr = r > 0.0 ? (0.5 * kr * kr - v) * ir : 0.0;
        fi = r > 0.0 ? -sn * ir : -k;
        if (Mfie) {
          // ((1 + jkR) exp(-jkR) - 1 - (kR)^2/2 + (kR)^4/8)/R^3, whose
          // limit at R = 0 is -jk^3/3; by its series where the difference
          // would lose its digits.
          const double x2 = kr * kr, ir3 = ir * ir * ir;
          const double sr = k3 * kr * x2 * (kSeriesRe[0] + x2 * (kSeriesRe[1] + x2 * (kSeriesRe[2] + x2 * kSeriesRe[3])));
          const double si =
              k3 * (kSeriesIm[0] + x2 * (kSeriesIm[1] + x2 * (kSeriesIm[2] + x2 * (kSeriesIm[3] + x2 * kSeriesIm[4]))));
          const double cr = (kr * sn - v - 0.5 * x2 + 0.125 * x2 * x2) * ir3;
          const double ci = (kr * c - sn) * ir3;
          gr = kr < 0.5 ? sr : cr;
          gi = kr < 0.5 ? si : ci;
        }
      } else {
        fr = c * ir;
        fi = -sn * ir;
        if (Mfie) {
          const double ir3 = ir * ir * ir;
          gr = (c + kr * sn) * ir3;
          gi = (kr * c - sn) * ir3;
        }
      }
      acc[0][l] += w[i] * fr;
      acc[1][l] += w[i] * fi;
      acc[2][l] += w1[i] * fr;
      acc[3][l] += w1[i] * fi;
      acc[4][l] += w2[i] * fr;
      acc[5][l] += w2[i] * fi;
      if (Mfie) {
        acc[6 % S][l] += w1[i] * gr;
        acc[7 % S][l] += w1[i] * gi;
        acc[8 % S][l] += wn0[i] * gr;
        acc[9 % S][l] += wn0[i] * gi;
        acc[10 % S][l] += wn1[i] * gr;
        acc[11 % S][l] += wn1[i] * gi;
      }
    }
  }
  // The lanes added pairwise in a fixed order.
  for (int j = 0; j < S; ++j) {
    double a[L];
    for (int l = 0; l < L; ++l) a[l] = acc[j][l];
    for (int h = L / 2; h > 0; h /= 2)
      for (int l = 0; l < h; ++l) a[l] += a[l + h];
    out[j] = a[0];
  }
  for (int j = S; j < 12; ++j) out[j] = 0.0;
}

// One function per case, each compiled for every instruction set the
// loader may pick.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__gnu_linux__)
#define QUAVEN_ANGLE_CLONES __attribute__((target_clones("default", "avx2", "avx512f")))
#else
#define QUAVEN_ANGLE_CLONES
#endif

QUAVEN_ANGLE_CLONES void sums_efie(double k, const AngleRule& rule, double d2, double b4, double out[12]) {
  sums<false, false>(k, rule, d2, b4, out);
}
QUAVEN_ANGLE_CLONES void sums_efie_split(double k, const AngleRule& rule, double d2, double b4, double out[12]) {
  sums<true, false>(k, rule, d2, b4, out);
}
QUAVEN_ANGLE_CLONES void sums_cfie(double k, const AngleRule& rule, double d2, double b4, double out[12]) {
  sums<false, true>(k, rule, d2, b4, out);
}
QUAVEN_ANGLE_CLONES void sums_cfie_split(double k, const AngleRule& rule, double d2, double b4, double out[12]) {
  sums<true, true>(k, rule, d2, b4, out);
}

}  // namespace

AngleRule::AngleRule(int points) {
  n = std::max(4, points + (points & 1));
  m = angle_samples(n);
  const int half = n / 2;
  const double h = 2.0 * physical::pi / n;
  w.assign(m, 0.0);
  w1.assign(m, 0.0);
  w2.assign(m, 0.0);
  wn0.assign(m, 0.0);
  wn1.assign(m, 0.0);
  sh2.assign(m, 1.0);
  for (int i = 0; i <= half; ++i) {
    const double a = i * h, s = std::sin(0.5 * a);
    const double wi = i == 0 || i == half ? h : 2.0 * h;
    // 1 - cos a = 2 sin^2(a/2) keeps its digits near a = 0.
    const double c = std::cos(a), omc = 2.0 * s * s;
    w[i] = wi;
    w1[i] = wi * c;
    w2[i] = wi * std::cos(2.0 * a);
    wn0[i] = wi * omc;
    wn1[i] = wi * omc * c;
    sh2[i] = s * s;
  }
}

void angle_sums(double k, const AngleRule& rule, double d2, double b4, bool split, bool mfie, double out[12]) {
  if (mfie)
    (split ? sums_cfie_split : sums_cfie)(k, rule, d2, b4, out);
  else
    (split ? sums_efie_split : sums_efie)(k, rule, d2, b4, out);
}

}  // namespace detail
}  // namespace bor
}  // namespace quaven
