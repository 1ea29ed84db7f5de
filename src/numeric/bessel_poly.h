// J0(z) and J1(z)/z together for 0 <= z <= 8 (and, with fewer terms, for
// 0 <= z <= 4), from one pair of polynomials in t = 2 z^2/zmax^2 - 1 (both
// functions are even and entire in z). The coefficients are Chebyshev
// approximations written as ordinary polynomials, made by
// src/numeric/gen_bessel_poly.py with mpmath; in double precision the absolute
// error is below 6e-16 for J0 and 2e-16 for J1(z)/z over the whole interval,
// J1(z)/z included at z = 0 (where it is 1/2), so the pair needs no range
// reduction, no sine or cosine and no division. The aperture integrals of exact
// mode call it once per node and angle for every argument up to 8.
#pragma once

namespace quaven {

constexpr double kBesselPolyMax = 8.0;

namespace bessel_poly_detail {
// Degree 16 and degree 15, highest power first (gen_bessel_poly.py).
constexpr double kJ0[17] = {4.0030437640628113e-13, -1.2433011305498057e-11, 3.363450456866669e-10,
                            -7.915323084479192e-09, 1.5956109057781304e-07, -2.7177492236298073e-06,
                            3.8473197856340086e-05, -0.000443545922431152,  0.004058078989140805,
                            -0.028472718610882044,  0.14598884856759267,    -0.5074680458471,
                            1.0383794611437211,     -0.8080888076696872,    -0.6484692830871837,
                            0.9303012472958572,     0.04582966485981377};
constexpr double kJ1z[16] = {-4.0037632815796753e-13, 1.1658971884036515e-11, -2.943016833829492e-10,
                             6.43119017895857e-09,    -1.196708182234105e-07, 1.8684526037182737e-06,
                             -2.404574866003479e-05,  0.00024949458135972767, -0.0020290394945704573,
                             0.012456814392263375,    -0.05474581821284725,   0.15858376432721838,
                             -0.2595948652859303,     0.15151665143806636,    0.08105866038589796,
                             -0.05814382795599107};
// Degree 11 on 0 <= z <= 4, in t = z^2/8 - 1.
constexpr double kJ0Small[12] = {-1.087386575356365e-12, 6.479020175121799e-11, -3.177438895826758e-09,
                                 1.257727546569888e-07,  -3.910341979027126e-06, 9.228173992903978e-05,
                                 -0.0015789541366878978, 0.018352700610059374,   -0.13103206351364546,
                                 0.4795280821510112,     -0.565959973761085,     -0.1965480952704682};
constexpr double kJ1zSmall[12] = {-4.589949588973029e-14, 2.9905877007962974e-12, -1.6186075634562658e-10,
                                  7.149236897720016e-09,  -2.515456125864287e-07, 6.8430984637780495e-06,
                                  -0.00013842260985339855, 0.0019736926708597224, -0.01835270061006565,
                                  0.09827404763523412,    -0.23976404107550536,   0.14148999344027124};
}  // namespace bessel_poly_detail

// p(t) = c[0] t^15 + c[1] t^14 + ... + c[15] by Estrin's scheme: pairs, then
// pairs of pairs with t^2, t^4 and t^8, so that the chain of dependent
// operations is four multiply-adds long instead of fifteen.
inline double estrin15(const double* c, double t, double t2, double t4, double t8) {
  const double a0 = c[15] + c[14] * t, a1 = c[13] + c[12] * t, a2 = c[11] + c[10] * t, a3 = c[9] + c[8] * t;
  const double a4 = c[7] + c[6] * t, a5 = c[5] + c[4] * t, a6 = c[3] + c[2] * t, a7 = c[1] + c[0] * t;
  const double b0 = a0 + a1 * t2, b1 = a2 + a3 * t2, b2 = a4 + a5 * t2, b3 = a6 + a7 * t2;
  return (b0 + b1 * t4) + (b2 + b3 * t4) * t8;
}

// The same for c[0] t^11 + ... + c[11].
inline double estrin11(const double* c, double t, double t2, double t4, double t8) {
  const double a0 = c[11] + c[10] * t, a1 = c[9] + c[8] * t, a2 = c[7] + c[6] * t;
  const double a3 = c[5] + c[4] * t, a4 = c[3] + c[2] * t, a5 = c[1] + c[0] * t;
  return (a0 + a1 * t2) + (a2 + a3 * t2) * t4 + (a4 + a5 * t2) * t8;
}

// J0(z) and J1(z)/z for 0 <= z <= kBesselPolyMax (not checked).
inline void bessel_j0_j1z(double z, double& j0, double& j1z) {
  using namespace bessel_poly_detail;
  const double t = z * z * (1.0 / 32.0) - 1.0;
  const double t2 = t * t, t4 = t2 * t2, t8 = t4 * t4;
  j0 = estrin15(kJ0 + 1, t, t2, t4, t8) + kJ0[0] * (t8 * t8);
  j1z = estrin15(kJ1z, t, t2, t4, t8);
}

// The same for 0 <= z <= kBesselPolySmall (not checked), from a pair of degree
// 11: a quarter fewer operations where the argument is known to be small.
constexpr double kBesselPolySmall = 4.0;
inline void bessel_j0_j1z_small(double z, double& j0, double& j1z) {
  using namespace bessel_poly_detail;
  const double t = z * z * (1.0 / 8.0) - 1.0;
  const double t2 = t * t, t4 = t2 * t2, t8 = t4 * t4;
  j0 = estrin11(kJ0Small, t, t2, t4, t8);
  j1z = estrin11(kJ1zSmall, t, t2, t4, t8);
}

}  // namespace quaven
