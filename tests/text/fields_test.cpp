// w.d fields. Every expected field is derived by hand from the field rules
// and, where rounding is close, from the exact binary value of the float
// (0.35f is 0.34999999403953552..., 123.45f is 123.44999694824218..., 0.1f
// is 0.10000000149011611938...).
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "text/fields.h"

namespace {

using quaven::fixed;

struct FieldCase {
  int w, d;
  float x;
  const char* expected;
};

void check_fields(const FieldCase* cases, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const FieldCase& c = cases[i];
    EXPECT_EQ(fixed(c.w, c.d, c.x), c.expected)
        << "x = " << c.x << " in a " << c.w << "." << c.d << " field";
  }
}

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

TEST(Fixed, FieldsOfTheDesignAndResponseRecords) {
  const FieldCase cases[] = {
      {6, 3, 0.2f, " 0.200"},    {8, 4, 1.1686f, "  1.1686"}, {8, 4, 2.9683f, "  2.9683"},
      {8, 4, 7.3475f, "  7.3475"}, {7, 2, 14.57f, "  14.57"},  {4, 0, 3.0f, "  3."},
      {4, 0, 10.0f, " 10."},     {5, 1, 3.0f, "  3.0"},      {5, 1, 10.0f, " 10.0"},
      {8, 3, 10.0f, "  10.000"}, {6, 1, 123.45f, " 123.4"},   {7, 3, -1.5f, " -1.500"},
  };
  check_fields(cases, std::size(cases));
}

TEST(Fixed, RoundsTheBinaryValueHalfwayToEven) {
  const FieldCase cases[] = {
      {5, 2, 0.125f, " 0.12"}, {5, 2, 0.375f, " 0.38"}, {4, 0, 2.5f, "  2."},
      {4, 0, 3.5f, "  4."},    {4, 1, 0.35f, " 0.3"},   {4, 1, 0.15f, " 0.2"},
      {6, 2, 1.005f, "  1.00"}, {5, 1, -0.25f, " -0.2"},
      {25, 20, 0.1f, "   0.10000000149011611938"},
  };
  check_fields(cases, std::size(cases));
}

TEST(Fixed, LeadingZeroOnlyWhereThereIsRoom) {
  const FieldCase cases[] = {
      {6, 3, 0.5f, " 0.500"}, {5, 3, 0.5f, "0.500"}, {4, 3, 0.5f, ".500"},
      {6, 3, -0.5f, "-0.500"}, {5, 3, -0.5f, "-.500"}, {4, 3, -0.5f, "****"},
      {4, 0, 0.4f, "  0."},   {2, 0, 0.4f, "0."},    {1, 0, 0.4f, "."},
      {4, 3, 0.9996f, "****"},  // rounds up to 1.000, which needs 5 places
  };
  check_fields(cases, std::size(cases));
}

TEST(Fixed, NegativeValueRoundingToZeroKeepsItsSign) {
  const FieldCase cases[] = {
      {6, 3, -0.0001f, "-0.000"}, {5, 3, -0.0004f, "-.000"}, {4, 3, -0.0001f, "****"},
      {6, 3, 0.0001f, " 0.000"},  {4, 3, 0.0004f, ".000"},   {6, 3, -0.0f, "-0.000"},
      {6, 3, 1e-45f, " 0.000"},
  };
  check_fields(cases, std::size(cases));
}

TEST(Fixed, AsterisksWhenTheValueDoesNotFit) {
  const FieldCase cases[] = {
      {6, 3, 123.456f, "******"}, {6, 3, 99.9996f, "******"}, {6, 3, 99.9994f, "99.999"},
      {6, 3, -99.999f, "******"}, {6, 0, 12345.0f, "12345."}, {6, 0, 123456.0f, "******"},
      {8, 4, 1e10f, "********"},  {7, 2, std::numeric_limits<float>::max(), "*******"},
      {7, 2, std::numeric_limits<float>::lowest(), "*******"},
  };
  check_fields(cases, std::size(cases));
}

TEST(Fixed, NonFiniteValuesAsWords) {
  const FieldCase cases[] = {
      {7, 3, nan, "    NaN"}, {7, 3, -nan, "    NaN"}, {8, 4, inf, "     Inf"},
      {8, 4, -inf, "    -Inf"}, {3, 0, inf, "Inf"},    {3, 1, -inf, "***"},
      {2, 0, nan, "**"},
  };
  check_fields(cases, std::size(cases));
}

TEST(Fixed, DegenerateLayoutsGiveTheirWidth) {
  const FieldCase cases[] = {
      {0, 3, 1.0f, ""}, {-5, 2, 1.0f, ""}, {3, 3, 0.0f, "***"}, {4, 40, 1.0f, "****"}, {4, -1, 3.0f, "  3."},
  };
  check_fields(cases, std::size(cases));
  EXPECT_EQ(fixed(200, 190, 1.0f), std::string(8, ' ') + "1." + std::string(190, '0'));
}

}  // namespace
