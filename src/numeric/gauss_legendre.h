// Gauss-Legendre rules of any order in double precision.
#pragma once

#include <vector>

namespace quaven {
namespace numeric {

// Nodes and weights of the n-point Gauss-Legendre rule on [-1, 1], computed
// once per order by Newton's method on P_n and kept.
struct GaussRule {
  std::vector<double> x;
  std::vector<double> w;
};
const GaussRule& gauss_rule(int n);

}  // namespace numeric
}  // namespace quaven
