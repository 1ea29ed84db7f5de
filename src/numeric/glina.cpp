#include "numeric/glina.h"

namespace quaven::detail {
namespace {

// The tabulated orders, and for the order at position k of `nn` the index of
// its first abscissa in `t` and of its first weight in `a` (all from 1).
constexpr int nn[11] = {3, 4, 5, 6, 7, 8, 9, 10, 12, 16, 32};
constexpr int nt[11] = {1, 2, 4, 6, 9, 12, 16, 20, 25, 31, 39};
constexpr int na[11] = {1, 3, 5, 8, 11, 15, 19, 24, 29, 35, 43};

// Positive Gauss-Legendre abscissas on [-1, 1], nearest 0 first, n div 2 per
// order; the centre 0 of an odd order has no entry. Seven decimals as
// published (A&S table 25.4). t(32) = 0.2816035 is the tabulated digit on
// which the program's figures rest (the root is 0.28160355...).
constexpr float t[54] = {
    // n = 3
    0.7745967f,
    // n = 4
    0.3399810f, 0.8611363f,
    // n = 5
    0.5384693f, 0.9061798f,
    // n = 6
    0.2386192f, 0.6612094f, 0.9324695f,
    // n = 7
    0.4058452f, 0.7415312f, 0.9491079f,
    // n = 8
    0.1834346f, 0.5255324f, 0.7966665f, 0.9602899f,
    // n = 9
    0.3242534f, 0.6133714f, 0.8360311f, 0.9681602f,
    // n = 10
    0.1488743f, 0.4333954f, 0.6794096f, 0.8650634f, 0.9739065f,
    // n = 12
    0.1252334f, 0.3678315f, 0.5873180f, 0.7699027f, 0.9041173f, 0.9815606f,
    // n = 16
    0.0950125f, 0.2816035f, 0.4580168f, 0.6178762f, 0.7554044f, 0.8656312f,
    0.9445750f, 0.9894009f,
    // n = 32
    0.0483077f, 0.1444720f, 0.2392874f, 0.3318686f, 0.4213513f, 0.5068999f,
    0.5877158f, 0.6630443f, 0.7321821f, 0.7944838f, 0.8493676f, 0.8963212f,
    0.9349061f, 0.9647623f, 0.9856115f, 0.9972639f,
};

// Their weights, in the same order; an odd order's centre weight comes first.
constexpr float a[58] = {
    // n = 3
    0.8888889f, 0.5555556f,
    // n = 4
    0.6521452f, 0.3478548f,
    // n = 5
    0.5688889f, 0.4786287f, 0.2369269f,
    // n = 6
    0.4679139f, 0.3607616f, 0.1713245f,
    // n = 7
    0.4179592f, 0.3818301f, 0.2797054f, 0.1294850f,
    // n = 8
    0.3626838f, 0.3137066f, 0.2223810f, 0.1012285f,
    // n = 9
    0.3302394f, 0.3123471f, 0.2606107f, 0.1806482f, 0.0812744f,
    // n = 10
    0.2955242f, 0.2692667f, 0.2190864f, 0.1494513f, 0.0666713f,
    // n = 12
    0.2491470f, 0.2334925f, 0.2031674f, 0.1600783f, 0.1069393f, 0.0471753f,
    // n = 16
    0.1894506f, 0.1826034f, 0.1691565f, 0.1495960f, 0.1246290f, 0.0951585f,
    0.0622535f, 0.0271525f,
    // n = 32
    0.0965401f, 0.0956387f, 0.0938444f, 0.0911739f, 0.0876521f, 0.0833119f,
    0.0781939f, 0.0723458f, 0.0658222f, 0.0586841f, 0.0509981f, 0.0428359f,
    0.0342739f, 0.0253921f, 0.0162744f, 0.0070186f,
};

// 1-based element access, as the index tables count.
template <class T, int N>
constexpr const T& at(const T (&table)[N], int i) { return table[i - 1]; }

}  // namespace

bool gauss_rule(int n, GaussRule& rule) {
  int k = 0;
  for (int i = 1; i <= 11; ++i) {
    if (at(nn, i) == n) k = i;
  }
  if (k == 0) return false;
  rule.half = n / 2;
  rule.odd = n > 2 * rule.half;
  const int s = rule.odd ? 1 : 0;
  rule.t = &at(t, at(nt, k));
  rule.w = &at(a, at(na, k) + s);
  rule.w0 = rule.odd ? at(a, at(na, k)) : 0.0f;
  return true;
}

}  // namespace quaven::detail
