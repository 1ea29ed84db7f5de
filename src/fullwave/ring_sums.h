// The trapezoidal sums over the angle between two rings of a body of
// revolution (the modal Green's functions of bor.h and the moments of their
// gradient), the inner loop of the moment matrix's fill.
//
// The angle samples are taken in blocks of kAngleLanes, each lane with its
// own running sums, and the lanes are added in a fixed order at the end:
// written so, the loop vectorises, and every build (scalar, AVX2, AVX-512,
// WebAssembly) adds the same numbers in the same order and returns the same
// bits. The sine and cosine are this file's own (Cody-Waite reduction and
// Taylor polynomials, accurate to a few units in the last place), so that
// they vectorise with the loop and are the same on every machine. On x86-64
// with GCC the loop is compiled for plain x86-64, AVX2 and AVX-512 and the
// loader picks the widest the processor has (function multi-versioning);
// elsewhere it is plain code. No Eigen here: a file that includes Eigen
// must be built with the same instruction set as every other.
#pragma once

#include <vector>

namespace quaven {
namespace bor {
namespace detail {

constexpr int kAngleLanes = 8;

// The trapezoidal rule of n points over the angle a in [0, 2 pi), folded
// onto [0, pi] by the evenness of the integrand (n even, at least 4): the
// weight times 1, cos a and cos 2a (the EFIE's harmonics), times cos a,
// 1 - cos a and (1 - cos a) cos a (the MFIE's moments), and sin^2(a/2); the
// n/2 + 1 samples padded with weightless ones to a multiple of kAngleLanes.
struct AngleRule {
  explicit AngleRule(int n);
  int n = 0;  // points on the whole circle
  int m = 0;  // samples held, padding included
  std::vector<double> w, w1, w2, wn0, wn1, sh2;
};

// The samples a rule of n points holds.
inline int angle_samples(int n) { return (n / 2 + 1 + kAngleLanes - 1) / kAngleLanes * kAngleLanes; }

// Real and imaginary parts of the sums over the rule, with R^2 = d2 + b4
// sin^2(a/2), of f = exp(-jkR)/R times the weights w, w1, w2 (out[0..5])
// and, with `mfie`, of g = (1 + jkR) exp(-jkR)/R^3 times w1, wn0, wn1
// (out[6..11]). With `split` the static parts are left out: f less
// 1/R - k^2 R/2 and g less 1/R^3 + k^2/(2R) - k^4 R/8, whose sums the caller
// takes in closed form.
void angle_sums(double k, const AngleRule& rule, double d2, double b4, bool split, bool mfie, double out[12]);

}  // namespace detail
}  // namespace bor
}  // namespace quaven
