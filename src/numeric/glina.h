// Gauss–Legendre quadrature of several integrands at once (was glina).
#pragma once

namespace quaven {

namespace detail {
// One tabulated rule: its positive abscissas on [-1, 1] (nearest 0 first),
// their weights, and for odd orders the weight of the centre node.
struct GaussRule {
  const float* t = nullptr;  // `half` positive abscissas
  const float* w = nullptr;  // weights of those abscissas, same order
  float w0 = 0.0f;           // centre weight (odd orders only)
  int half = 0;              // n div 2
  bool odd = false;
};
// Looks up order n among the tabulated orders 3, 4, 5, 6, 7, 8, 9, 10, 12,
// 16, 32; returns false for any other order.
bool gauss_rule(int n, GaussRule& rule);
}  // namespace detail

// glina integrates the m components of one integrand from `lower` to `upper`
// with the n-point Gauss–Legendre rule.
//
// record   in/out  the integrand record shared with the integrand: glina writes
//                  the abscissa into record[0] once per node and the component
//                  number (1.0, 2.0, ... m) into record[1] before every call;
//                  further elements carry the caller's parameters untouched.
// integrand in     callable as float(float* record), returning component
//                  record[1] at abscissa record[0]. Passed as a template
//                  argument so the hot path needs no allocation or type erasure.
// n        in      order; an order not tabulated gives m zeros and no call.
// results  out     results[i-1] = integral of component i.
// m        in      number of components.
//
// Nodes are visited in pairs from the midpoint outwards (below before above),
// the centre last for odd orders; at each node components 1..m are asked for
// in turn, so an integrand may share work between the components of a node.
// Each partial sum is rounded to single precision; the half-width multiplies
// each sum once, at the end (A&S 25.4.29 with the tables of A&S 25.4).
template <class Integrand>
void glina(const float& lower, const float& upper, float* record, Integrand&& integrand, const int& n,
           float* results, const int& m) {
  for (int i = 0; i < m; ++i) results[i] = 0.0f;
  detail::GaussRule rule;
  if (!detail::gauss_rule(n, rule)) return;
  const float h = (upper - lower) / 2.0f;
  const float mid = (upper + lower) / 2.0f;
  for (int j = 0; j < rule.half; ++j) {
    const float x = rule.t[j];
    const float w = rule.w[j];
    record[0] = mid - h * x;
    for (int i = 1; i <= m; ++i) {
      record[1] = static_cast<float>(i);
      results[i - 1] = results[i - 1] + integrand(record) * w;
    }
    record[0] = mid + h * x;
    for (int i = 1; i <= m; ++i) {
      record[1] = static_cast<float>(i);
      results[i - 1] = results[i - 1] + integrand(record) * w;
    }
  }
  if (rule.odd) {
    record[0] = mid;
    for (int i = 1; i <= m; ++i) {
      record[1] = static_cast<float>(i);
      results[i - 1] = (results[i - 1] + integrand(record) * rule.w0) * h;
    }
  } else {
    for (int i = 0; i < m; ++i) results[i] = results[i] * h;
  }
}

}  // namespace quaven
