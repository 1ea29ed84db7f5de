#include "numeric/gauss_legendre.h"

#include <cmath>
#include <map>
#include <mutex>

#include "numeric/constants.h"

namespace quaven {
namespace numeric {
namespace {

using physical::pi;

GaussRule make_rule(int n) {
  // Newton's method on P_n from the asymptotic first guess
  // cos(pi (i - 1/4) / (n + 1/2)) (A&S 22.16.6); weights A&S 25.4.29.
  GaussRule r;
  r.x.resize(n);
  r.w.resize(n);
  for (int i = 0; i < (n + 1) / 2; ++i) {
    double z = std::cos(pi * (i + 0.75) / (n + 0.5));
    double dp = 0.0;
    for (int it = 0; it < 100; ++it) {
      double p0 = 1.0, p1 = z;
      for (int k = 2; k <= n; ++k) {
        const double p2 = ((2 * k - 1) * z * p1 - (k - 1) * p0) / k;
        p0 = p1;
        p1 = p2;
      }
      if (n == 1) p0 = 1.0;
      dp = n * (z * p1 - p0) / (z * z - 1.0);
      const double dz = p1 / dp;
      z -= dz;
      if (std::fabs(dz) < 1e-16) break;
    }
    // Derivative once more at the converged node for the weight.
    double p0 = 1.0, p1 = z;
    for (int k = 2; k <= n; ++k) {
      const double p2 = ((2 * k - 1) * z * p1 - (k - 1) * p0) / k;
      p0 = p1;
      p1 = p2;
    }
    dp = n * (z * p1 - p0) / (z * z - 1.0);
    const double w = 2.0 / ((1.0 - z * z) * dp * dp);
    r.x[i] = -z;
    r.x[n - 1 - i] = z;
    r.w[i] = w;
    r.w[n - 1 - i] = w;
  }
  if (n % 2 == 1) r.x[n / 2] = 0.0;
  return r;
}

}  // namespace

const GaussRule& gauss_rule(int n) {
  static std::map<int, GaussRule> rules;
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  auto it = rules.find(n);
  if (it == rules.end()) it = rules.emplace(n, make_rule(n)).first;
  return it->second;
}

}  // namespace numeric
}  // namespace quaven
