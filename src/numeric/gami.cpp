#include "numeric/gami.h"

#include <cmath>
#include <limits>

namespace quaven {
namespace {

// c1 ... c20 of 1/Gamma(z) = sum c_k z^k (A&S 6.1.34), as published; the
// remaining six published coefficients are below single-precision reach.
constexpr float c[20] = {
    1.0000000000000000f,  0.5772156649015329f,  -0.6558780715202538f, -0.0420026350340952f,
    0.1665386113822915f,  -0.0421977345555443f, -0.0096219715278770f, 0.0072189432466630f,
    -0.0011651675918591f, -0.0002152416741149f, 0.0001280502823882f,  -0.0000201348547807f,
    -0.0000012504934821f, 0.0000011330272320f,  -0.0000002056338417f, 0.0000000061160950f,
    0.0000000050020075f,  -0.0000000011812746f, 0.0000000001043427f,  0.0000000000077823f,
};

constexpr float ck(int k) { return c[k - 1]; }  // 1-based, as in A&S

constexpr float limit = 33.0f;

}  // namespace

float gami(float& x) {
  if (!(std::fabs(x) < limit)) return 0.0f;  // also for a NaN
  const int n = static_cast<int>(x);           // truncation toward zero
  x = x - static_cast<float>(n);               // the fractional part f
  const int m = n < 0 ? -n : n;

  if (x == 0.0f && n > 0) {  // 1/(m - 1)!
    float result = 1.0f;
    for (int i = 2; i <= m; ++i) result = result / static_cast<float>(i - 1);
    return result;
  }

  float sum = ck(20);
  for (int k = 19; k >= 1; --k) sum = ck(k) + x * sum;
  float result = x * sum;  // 1/Gamma(f)

  if (n > 0) {  // 1/Gamma(f + m) = 1/Gamma(f) / (f (f + 1) ... (f + m - 1))
    for (int i = 1; i <= m; ++i) {
      result = result / x;
      x = x + 1.0f;
    }
  } else if (n < 0) {  // 1/Gamma(f - m) = 1/Gamma(f) (f - 1) (f - 2) ... (f - m)
    for (int i = 1; i <= m; ++i) {
      x = x - 1.0f;
      result = result * x;
    }
  }
  return result;
}

// Where gami gives 0 (the poles 0, -1, -2, ... and |x| >= 33) the quotient has
// no value of its own: gam returns +infinity there, and a NaN for a NaN.
float gam(float& x) {
  const float r = gami(x);
  if (r == 0.0f) return std::isnan(x) ? x : std::numeric_limits<float>::infinity();
  return 1.0f / r;
}

}  // namespace quaven
