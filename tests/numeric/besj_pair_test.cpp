// besj_pair sums two Bessel series side by side; each value must be the
// bits besj gives alone, whichever series stops first.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "numeric/besj.h"
#include "numeric/gami.h"

namespace {

using quaven::besj;
using quaven::besj_pair;

bool same(float x, float y) {
  std::uint32_t a, b;
  std::memcpy(&a, &x, sizeof a);
  std::memcpy(&b, &y, sizeof b);
  return a == b || (std::isnan(x) && std::isnan(y));
}

TEST(BesjPair, SameBitsAsTwoBesjCalls) {
  // The pattern's pair (0, 2), pairs whose series stop at different blocks
  // (0 with 5, 10 with 1), fractional orders and negative integer orders,
  // over arguments up to and past the change to Hankel's expansion at 6,
  // negative ones and the non-finite ones.
  const float orders[][2] = {{0.0f, 2.0f}, {2.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 5.0f},  {10.0f, 1.0f},
                             {0.5f, 2.5f}, {-1.0f, 2.0f}, {0.0f, -2.0f}, {-1.5f, 3.0f}, {30.0f, 0.0f}};
  std::vector<float> xs = {0.0f, -0.0f, 1e-30f, 1e-6f, 6.0f, std::nextafter(6.0f, 7.0f), -3.0f,
                           std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
  for (int i = 0; i <= 8000; ++i) xs.push_back(0.001f * static_cast<float>(i) + 0.0003f);
  int failures = 0;
  for (const auto& nu : orders) {
    for (float x : xs) {
      float j1 = 0.0f, j2 = 0.0f;
      besj_pair(x, nu[0], nu[1], j1, j2);
      const float e1 = besj(x, nu[0]);
      const float e2 = besj(x, nu[1]);
      if ((!same(j1, e1) || !same(j2, e2)) && ++failures <= 10) {
        ADD_FAILURE() << "x=" << x << " orders " << nu[0] << ", " << nu[1] << ": " << j1 << ", " << j2
                      << " but besj gives " << e1 << ", " << e2;
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

TEST(BesjPair, SmallArgumentsGiveTheFirstTermExactly) {
  // For x <= 1e-4 the first block of the series is below half an ulp of the
  // first term (its ratio is (x/2)^2/(nu+1)), so besj returns
  // (1/Gamma(nu + 1)) (x/2)^nu itself: the factor that besj keeps for the
  // orders 1 and 2 must be gami's own value, bit for bit, as for any order.
  for (float nu : {1.0f, 2.0f, 3.0f, 0.5f}) {
    for (float x : {1e-4f, 3.7e-5f, 1e-6f}) {
      float arg = nu + 1.0f;
      const float expected = quaven::gami(arg) * std::pow(x / 2.0f, nu);
      float j1 = 0.0f, j2 = 0.0f;
      besj_pair(x, nu, nu, j1, j2);
      EXPECT_TRUE(same(besj(x, nu), expected)) << "J_" << nu << "(" << x << ") = " << besj(x, nu) << ", first term "
                                               << expected;
      EXPECT_TRUE(same(j1, expected) && same(j2, expected)) << "pair J_" << nu << "(" << x << ")";
    }
  }
}

}  // namespace
