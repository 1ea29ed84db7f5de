#include "numeric/glina.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "test_data.h"

namespace {

using quaven::glina;

const int kOrders[] = {3, 4, 5, 6, 7, 8, 9, 10, 12, 16, 32};

float power(float* r) {  // component i: x^(i - 1)
  float v = 1.0f;
  for (int k = 1; k < static_cast<int>(r[1]); ++k) v = v * r[0];
  return v;
}

// Positive nodes (j >= 1) and the centre weight (j = 0) of every order,
// computed with mpmath and rounded to seven decimals.
struct Node { std::string x, w; };
std::map<int, std::map<int, Node>> reference_rules() {
  std::map<int, std::map<int, Node>> rules;
  for (const auto& row : quaven::test::read_rows("gauss_legendre.txt"))
    rules[static_cast<int>(row[0])][static_cast<int>(row[1])] = Node{row.words.at(2), row.words.at(3)};
  return rules;
}

TEST(Glina, Order16IntegratesPowersUpTo31OnUnitInterval) {
  float record[2] = {};
  float results[32];
  glina(0.0f, 1.0f, record, power, 16, results, 32);
  for (int p = 0; p < 32; ++p) {
    const double expected = 1.0 / (p + 1);
    EXPECT_NEAR(results[p], expected, 5e-7 * expected) << "x^" << p;
  }
}

TEST(Glina, EveryOrderIntegratesPolynomialsOfDegreeUpTo2nMinus1) {
  // Seven-decimal nodes and weights and single-precision sums: about seven
  // significant digits (order 9 comes to a relative 6e-7, order 32 to 5.1e-7).
  for (int n : kOrders) {
    float record[2] = {};
    std::vector<float> results(2 * n);
    glina(0.0f, 1.0f, record, power, n, results.data(), 2 * n);
    for (int p = 0; p < 2 * n; ++p) {
      const double expected = 1.0 / (p + 1);
      EXPECT_NEAR(results[p], expected, 8e-7 * expected) << "order " << n << ", x^" << p;
    }
  }
}

TEST(Glina, TablesHoldPublishedNodesAndWeights) {
  const auto rules = reference_rules();
  ASSERT_EQ(rules.size(), 11u);
  for (int n : kOrders) {
    quaven::detail::GaussRule rule;
    ASSERT_TRUE(quaven::detail::gauss_rule(n, rule)) << n;
    const auto& ref = rules.at(n);
    EXPECT_EQ(rule.half, n / 2);
    EXPECT_EQ(rule.odd, n % 2 == 1);
    if (rule.odd) {
      EXPECT_EQ(rule.w0, std::stof(ref.at(0).w)) << "order " << n << " centre";
    }
    for (int j = 1; j <= n / 2; ++j) {
      // The tabulated t(32) of order 16 is 0.2816035; the root rounds to ...36.
      const std::string x = (n == 16 && j == 2) ? "0.2816035" : ref.at(j).x;
      EXPECT_EQ(rule.t[j - 1], std::stof(x)) << "order " << n << " node " << j;
      EXPECT_EQ(rule.w[j - 1], std::stof(ref.at(j).w)) << "order " << n << " node " << j;
    }
  }
}

TEST(Glina, VisitsNodesOutwardsBelowFirstAndAsksComponentsInTurn) {
  const auto ref = reference_rules().at(16);
  std::vector<std::pair<float, float>> calls;
  float record[4] = {0.0f, 0.0f, 7.0f, 9.0f};
  float results[5] = {0.0f, 0.0f, 0.0f, 0.0f, -1.0f};
  auto spy = [&calls](float* r) {
    calls.emplace_back(r[0], r[1]);
    return r[1];
  };
  glina(0.0f, 1.0f, record, spy, 16, results, 4);
  ASSERT_EQ(calls.size(), 64u);
  for (int j = 1; j <= 8; ++j) {
    const double x = std::stod(ref.at(j).x);
    for (int side = 0; side < 2; ++side) {
      const double node = side == 0 ? 0.5 - 0.5 * x : 0.5 + 0.5 * x;
      for (int i = 1; i <= 4; ++i) {
        const auto& call = calls[(2 * (j - 1) + side) * 4 + i - 1];
        EXPECT_NEAR(call.first, node, 1e-7) << "node " << j << " side " << side;
        EXPECT_EQ(call.second, static_cast<float>(i)) << "node " << j << " side " << side;
      }
    }
  }
  EXPECT_EQ(record[2], 7.0f);  // the caller's parameters are untouched
  EXPECT_EQ(record[3], 9.0f);
  EXPECT_EQ(record[1], 4.0f);
  EXPECT_NEAR(results[0], 1.0f, 1e-6f);  // weights times h sum to the length
  EXPECT_NEAR(results[3], 4.0f, 4e-6f);
  EXPECT_EQ(results[4], -1.0f);
}

TEST(Glina, UnsupportedOrderGivesZerosWithoutCallingTheIntegrand) {
  for (int n : {11, 20, 0, -3, 64}) {
    float record[2] = {5.0f, 6.0f};
    float results[4] = {3.0f, 3.0f, 3.0f, 3.0f};
    int calls = 0;
    auto counter = [&calls](float*) { ++calls; return 1.0f; };
    glina(0.0f, 1.0f, record, counter, n, results, 3);
    EXPECT_EQ(calls, 0) << "order " << n;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(results[i], 0.0f) << "order " << n;
    EXPECT_EQ(results[3], 3.0f) << "order " << n << ": result beyond m written";
    EXPECT_EQ(record[0], 5.0f);
    EXPECT_EQ(record[1], 6.0f);
  }
}

TEST(Glina, OddOrderSumsCentreLastAndConstantIntegratesToLength) {
  std::vector<float> nodes;
  float record[2] = {};
  float result = 0.0f;
  glina(-1.0f, 1.0f, record, [&nodes](float* r) { nodes.push_back(r[0]); return 1.0f; }, 3, &result, 1);
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[2], 0.0f);
  EXPECT_LT(nodes[0], nodes[1]);
  EXPECT_FLOAT_EQ(result, 2.0f);
}

TEST(Glina, ReversedLimitsNegateEveryResultAndEqualLimitsGiveZero) {
  for (int n : kOrders) {
    float record[2] = {};
    float forward[6], backward[6], empty[6];
    glina(0.25f, 3.0f, record, power, n, forward, 6);
    glina(3.0f, 0.25f, record, power, n, backward, 6);
    glina(1.5f, 1.5f, record, power, n, empty, 6);
    for (int i = 0; i < 6; ++i) {
      EXPECT_NEAR(backward[i], -forward[i], 4e-7f * std::fabs(forward[i])) << "order " << n << " x^" << i;
      EXPECT_EQ(empty[i], 0.0f) << "order " << n << " x^" << i;
    }
  }
}

TEST(Glina, NoComponentsMeansNoCalls) {
  float record[2] = {};
  float result = 8.0f;
  int calls = 0;
  glina(0.0f, 1.0f, record, [&calls](float*) { ++calls; return 1.0f; }, 16, &result, 0);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(result, 8.0f);
}

}  // namespace
