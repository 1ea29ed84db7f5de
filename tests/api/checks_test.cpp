// The domain checks, the validity notes and the cone's geometry, against
// closed forms and the first zeros of J0 and J1' from A&S tables 9.5/9.7.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "api/checks.h"
#include "api/jobs.h"
#include "api/geometry.h"
#include "api/validity.h"
#include "numeric/shortest.h"
#include "reference.h"

namespace quaven {
namespace {


// The command line's words, as typed in these cases.
class Typed : public api::Words {
 public:
  std::string name(api::Arg a) const override { return a == api::Arg::slant ? "--slant" : "--x"; }
  std::string given(api::Arg a) const override {
    switch (a) {
      case api::Arg::slant: return "--slant x";
      case api::Arg::aperture: return "--aperture 1.2";
      case api::Arg::throat: return "--throat";
      default: return "--range r";
    }
  }
};

// The message of the refusal `check` throws, or "" when it passes.
template <class Check>
std::string refusal(Check check) {
  try {
    check();
  } catch (const api::Refusal& r) {
    return api::message(r, Typed());
  }
  return "";
}

bool refused(const std::string& message, const std::string& label, const std::string& rule) {
  return message.rfind(label + ": ", 0) == 0 && message.find(rule) != std::string::npos &&
         message.find('\n') == std::string::npos;
}

TEST(Checks, EachRuleRefusesWithOneLineNamingTheValueAndPassesTheLimits) {
  using namespace api::checks;
  EXPECT_EQ(refusal([] { slant_beyond_aperture(3.0, 1.2); }), "");
  EXPECT_EQ(refusal([] { slant_beyond_aperture(kInf, 1.2); }), "");
  for (const double r : {1.0, 1.2, 0.0, -3.0}) {
    EXPECT_TRUE(refused(refusal([r] { slant_beyond_aperture(r, 1.2); }), "--slant x",
                        "greater than the aperture radius (--aperture 1.2)"))
        << r;
  }
  EXPECT_EQ(refusal([] { throat_inside_aperture(0.4, 1.2); }), "");
  for (const double b : {0.0, -0.1, 1.2, 2.0})
    EXPECT_TRUE(refused(refusal([b] { throat_inside_aperture(b, 1.2); }), "--throat", "less than"));
  EXPECT_EQ(refusal([] { full_wave_throat(1.2, 1.2, kInf); }), "");
  EXPECT_TRUE(refused(refusal([] { full_wave_throat(1.2, 1.2, 3.0); }), "--throat", "with --slant inf"));

  // A sweep's direction and the value it reaches are checked in the model's
  // precision and named in that precision's shortest form.
  const auto run = [](api::Sweep s, bool single) {
    api::ResponseRequest q;
    q.model = single ? api::Model::legacy : api::Model::aperture;
    q.cone = {api::Number::of(1.2), api::Number::of(3.0)};
    q.freqs = s;
    struct Null : api::Sink {
      void begin(const api::Head&) override {}
      void row(const api::Row&) override {}
      void end() override {}
    } null;
    return refusal([&] { api::response(q, null); });
  };
  const auto counted = [](double a, double b, double c) {
    return api::Sweep::counted(api::Arg::freqs, api::Number::of(a), api::Number::of(b), api::Number::of(c));
  };
  EXPECT_EQ(run(counted(12.0, 8.0, -2.0), true), "");
  EXPECT_TRUE(refused(run(counted(8.0, 12.0, -1.0), true), "--range r", "from 8 to 12 needs a positive step"));
  EXPECT_TRUE(refused(run(counted(-2.0, 2.0, 1.0), true), "--range r", "greater than 0 GHz, but the sweep reaches -2"));
  // -0.2 read as a float is -0.20000000298023224 in double.
  const api::Number low{-0.2f, static_cast<double>(-0.2f)};
  EXPECT_TRUE(refused(run(api::Sweep::list({api::Number::of(0.4), low}), true), "--range r", "reaches -0.2"));
  EXPECT_TRUE(
      refused(run(api::Sweep::list({api::Number::of(0.4), low}), false), "--range r", "reaches -0.20000000298023224"));
  EXPECT_TRUE(refused(run(api::Sweep::list({api::Number::of(1.0), api::Number::of(0.0)}), false), "--range r",
                      "reaches 0"));
  EXPECT_EQ(refusal([&] { counted(1.0, 2.0, 0.0); }), "--x: the step must not be 0");
}

TEST(ShortestText, ReadsBackToTheSameValueInItsOwnPrecision) {
  EXPECT_EQ(shortest(0.2f), "0.2");
  EXPECT_EQ(shortest(1.2f), "1.2");
  EXPECT_EQ(shortest(180.000031f), "180.00003");
  EXPECT_EQ(shortest(static_cast<double>(0.2f)), "0.20000000298023224");
  EXPECT_EQ(shortest(1e-9), "1e-09");
  EXPECT_EQ(shortest(-0.0f), "-0");
  for (const float x : {3.14159274f, 1.17549435e-38f, 3.40282347e+38f, 1e-45f, 12345.678f}) {
    EXPECT_EQ(std::strtof(shortest(x).c_str(), nullptr), x) << shortest(x);
  }
  EXPECT_EQ(std::strtod(shortest(0.1 + 0.2).c_str(), nullptr), 0.1 + 0.2);
}

TEST(Geometry, ConeOfAThreeFourFiveTriangleAndItsLimits) {
  // a = 3, R = 5: cone length 4, half-angle asin(0.6) = 36.8698976458 deg;
  // a throat of 1 starts a third of the way along.
  const ConeGeometry g = cone_geometry(3.0, 5.0, 1.0);
  EXPECT_NEAR(g.flare_half_angle_deg, 36.86989764584402, 1e-12);
  EXPECT_NEAR(g.cone_length, 4.0, 1e-15);
  EXPECT_NEAR(g.horn_length, 4.0 * 2.0 / 3.0, 1e-15);
  EXPECT_TRUE(std::isnan(cone_geometry(3.0, 5.0, NAN).horn_length));
  // R = a + d a hair above a: sqrt(2 d + d^2) = sqrt(2 d) (1 + d/4) to far
  // below a rounding, where R^2 - a^2 would lose the d^2 term's share.
  const double d = std::ldexp(1.0, -40);
  EXPECT_NEAR(cone_geometry(1.0, 1.0 + d, NAN).cone_length, std::sqrt(2 * d) * (1 + d / 4), 2e-16 * std::sqrt(2 * d));
  const ConeGeometry flat = cone_geometry(1.2, kInf, 0.4);
  EXPECT_EQ(flat.flare_half_angle_deg, 0.0);
  EXPECT_TRUE(std::isinf(flat.cone_length) && std::isinf(flat.horn_length));
  for (const double r : {1.0, 0.5, -3.0, static_cast<double>(NAN)}) EXPECT_TRUE(std::isnan(cone_geometry(1.2, r, 0.4).cone_length)) << r;
  EXPECT_EQ(cone_geometry(1.0, 1.0, NAN).flare_half_angle_deg, 90.0);
}

TEST(Validity, CutOffRadiiAndTheDesignTolerance) {
  // j'11 = 1.84118378134066 and j01 = 2.40482555769577 (A&S 9.5, 9.7).
  EXPECT_NEAR(te11_cutoff_radius_wl, kChi11 / (2 * kPi), 1e-14);
  EXPECT_NEAR(tm01_cutoff_radius_wl, kJ01 / (2 * kPi), 1e-14);
  // 0.346 in at 10 GHz (lambda 1.180285 in).
  EXPECT_TRUE(below_te11_cutoff(0.345 / 1.180285));
  EXPECT_FALSE(below_te11_cutoff(0.347 / 1.180285));
  EXPECT_FALSE(single_mode_guide(0.29));
  EXPECT_TRUE(single_mode_guide(0.3));
  EXPECT_TRUE(single_mode_guide(0.38));
  EXPECT_FALSE(single_mode_guide(0.39));
  EXPECT_FALSE(beyond_design_curves(30.0, 29.97, 1.1686));
  EXPECT_TRUE(beyond_design_curves(60.0, 59.1, 1.0));
  EXPECT_TRUE(beyond_design_curves(200.0, 200.0, -0.1));
  EXPECT_TRUE(beyond_design_curves(30.0, 30.0, NAN));
  EXPECT_TRUE(beyond_design_curves(30.0, NAN, 1.0));
  EXPECT_EQ(note_keys(note_bit(Note::below_cutoff) | note_bit(Note::s_above_one)), "below_cutoff;s_above_1");
  EXPECT_EQ(note_keys(0), "");
}

}  // namespace
}  // namespace quaven
