// J0(z) and J1(z)/z together for 0 <= z <= 8, from one pair of polynomials in
// t = z^2/32 - 1 (both functions are even and entire in z). The coefficients
// are Chebyshev approximations written as ordinary polynomials, made by
// src/numeric/gen_bessel_poly.py with mpmath; in double precision the absolute
// error is below 7e-16 for J0 and 3e-16 for J1(z)/z over the whole interval,
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
}  // namespace bessel_poly_detail

// J0(z) and J1(z)/z for 0 <= z <= kBesselPolyMax (not checked).
inline void bessel_j0_j1z(double z, double& j0, double& j1z) {
  using namespace bessel_poly_detail;
  const double t = z * z * (1.0 / 32.0) - 1.0;
  double a = kJ0[0], b = 0.0;
  for (int k = 0; k < 16; ++k) {
    a = a * t + kJ0[k + 1];
    b = b * t + kJ1z[k];
  }
  j0 = a;
  j1z = b;
}

}  // namespace quaven
