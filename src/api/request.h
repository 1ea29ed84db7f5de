// What a front end asks of QUAVEN, whichever model answers it: one request
// per job (design, response, pattern, feed), each naming its model, its horn
// and body, and its sweep. A request holds values only; api/jobs.h runs it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace quaven {
namespace api {

enum class Arg;

// The three models: the single-precision legacy routines, the exact
// aperture integral in double precision, and the full-wave solution of the
// real metal horn.
enum class Model { legacy, aperture, full_wave };

// The length unit of a request's lengths, in and out.
enum class Units { in, cm };
const char* unit_name(Units u);  // "in", "cm"
// The legacy tables' factor from inches to the unit (2.54 or 1, in float).
float unit_factor(Units u);
double metres_per_unit(Units u);

// A number as the user gave it, in the two precisions the models read it in:
// the legacy models take `single` and the others `value`. A front end that
// reads text fills both from the same text (each correctly rounded, so no
// double rounding reaches a legacy figure); one given a double rounds it.
struct Number {
  float single = 0.0f;
  double value = 0.0;
  static Number of(double x) { return Number{static_cast<float>(x), x}; }
};

// A sweep: START STOP STEP counted as the legacy programs count it
// (int((STOP - START) / STEP + 1.4) in single precision, each value
// START + (i - 1) STEP computed afresh, in single precision for `single` and
// in double for `value`), or an explicit list of values.
class Sweep {
 public:
  Sweep() = default;
  // Throws Refusal (step_zero, uncountable) for a step of 0 or a count that
  // is not a number or exceeds the 32-bit range; a count below 1 is empty.
  static Sweep counted(Arg arg, Number first, Number last, Number step);
  static Sweep list(std::vector<Number> values);

  bool is_counted() const { return counted_; }
  long long size() const;
  // Value i, counted from 0.
  Number at(long long i) const;
  Number first() const { return first_; }
  Number last() const { return last_; }
  Number step() const { return step_; }
  // The least and greatest values the sweep reaches (a counted sweep's last
  // may lie beyond STOP by 0.4 of a step), in single or double precision;
  // false for an empty list.
  bool extent(bool single, double& lowest, double& highest) const;

 private:
  bool counted_ = false;
  Number first_, last_, step_;
  int count_ = 0;
  std::vector<Number> values_;
};

// A horn's cone: aperture radius and slant radius (apex to the aperture
// rim; +inf for S = 0) in the request's unit.
struct Cone {
  Number aperture;
  Number slant;
};

// A flange in the aperture plane: its outer radius and thickness (default:
// the wall's), in the request's unit.
struct Flange {
  Number radius;
  std::optional<Number> thickness;
};

// A choke ring round the rim: the groove's inner radius, width and depth,
// its walls' thickness (default: the horn's wall) and its mouth's setback
// behind the aperture plane (default 0), in the request's unit.
struct Choke {
  Number inner, width, depth;
  std::optional<Number> wall, setback;
};

// A whole generating curve (profile.h's ProfileBody), (z, rho) pairs in the
// request's unit: the inside from the back plate's centre to the mouth, the
// outside from the mouth back to the axis.
struct ProfileCurve {
  std::vector<std::array<double, 2>> inner, outer;
};

// The body round the cone that the full wave solves (and the throat every
// model can take for its notes and the horn's length): the feed guide's
// radius, its length and the wall's thickness, in the request's unit, and a
// flange and choke rings (from the axis outwards) round the rim. A part not
// given takes the model's default.
struct Body {
  std::optional<Number> throat;
  std::optional<Number> guide_length;
  std::optional<Number> wall;
  std::optional<Flange> flange;
  std::vector<Choke> chokes;
  // In place of the cone, the guide and the wall: the request's cone and
  // throat are then the profile's guide, its aperture the mouth.
  std::optional<ProfileCurve> profile;
};

// The plane a design is made in, numbered as the dialogue numbers it.
enum class Plane { e = 1, h = 2, mean = 3 };

// The pattern level of a beamwidth and the design curve (legacy) it is
// derived from: 0 none, 1 the 3 dB curve, 2 the 10 dB curve.
struct Level {
  Number db = Number{3.0f, 3.0};
  int derive_from = 0;
};

struct Job {
  Model model = Model::legacy;
  Units units = Units::in;
  // The model is named by the user's words (--exact, full_wave=True): these
  // say which were given, so that a contradiction is refused by name.
  bool exact_asked = false;
  bool full_wave_asked = false;
  // Threads the full-wave solver's fill may use (its results are the same
  // for any number); not given: the library's own count
  // (numeric/parallel.h).
  std::optional<int> threads;
  // The console dialogue's tables: every input taken as given (the level's
  // curve is `derive_from`, already settled) and every legacy figure shown as
  // the routines give it, unchecked, as the dialogue always has. The checks
  // such a request would fail are named in the head (Head::waived).
  bool unchecked = false;
  // A run of more than max_rows rows from a counted sweep (START STOP STEP,
  // where a tiny step asks for hundreds of millions without a word) is
  // refused unless the user has said so.
  bool rows_ok = false;
  // The rows are for a Touchstone file of S11, which only a full-wave
  // response computes: refused by every other job.
  bool touchstone = false;
};

inline constexpr long long max_rows = 10000000;

// How the full wave sweeps a band: every frequency solved (direct), or a few
// solved and the figures interpolated to a stated tolerance of the direct
// solution (fast; fullwave/sweep.h).
enum class SweepMethod { fast, direct };

// A band of frequencies, GHz.
struct Band {
  Number low, high;
};

// Horns designed to a beamwidth at a level in a plane, or to a gain, over S;
// with a band, each designed horn also swept over it.
struct DesignRequest : Job {
  Number freq;  // GHz
  std::optional<Number> beamwidth;
  std::optional<Number> gain;
  Level level;
  Plane plane = Plane::e;
  std::string plane_text = "E";
  Sweep s;
  Body body;
  std::optional<Band> band;
};

// One horn over a sweep of frequencies (GHz).
struct ResponseRequest : Job {
  Cone cone;
  Level level;
  Sweep freqs;
  Body body;
  // Not given: fast. Given, it needs the full wave.
  std::optional<SweepMethod> sweep;
};

// One horn's pattern at one frequency over a sweep of angles (degrees); the
// polar cuts (PolarCuts) also at each of several frequencies.
struct PatternRequest : Job {
  Cone cone;
  Number freq;
  std::optional<Sweep> freqs;  // in place of `freq`: the polar cuts only
  Sweep angles;
  Body body;
};

// A horn on a paraboloid: judged (a cone given) or designed for each f/D at
// the best S, over a sweep of S, or to a mean edge taper.
struct FeedRequest : Job {
  Number freq;
  Sweep f_over_d;
  std::optional<Number> aperture, slant;  // a horn to judge
  std::optional<Sweep> s;
  std::optional<Number> taper;
  // The bound on a designed horn's flare half-angle (degrees, above 0 and at
  // most 90; default_max_flare_deg when not given); a judged or designed
  // horn beyond it is noted.
  std::optional<Number> max_flare;
  Body body;
  // With the full wave: the open guide's choke rings (1 to 3) designed for
  // the dish (fullwave/choke_design.h), to the best efficiency or, with
  // `equal_tapers`, to equal E- and H-plane edge tapers.
  std::optional<int> choke_rings;
  bool equal_tapers = false;
  // With choke_rings: the guide's radius chosen too, within its single-mode
  // band, from the throat given.
  bool size_guide = false;
};

// A horn's body as the full wave solves it, for its dimensions, drawing and
// solid: the cone, the feed guide and the wall, their defaults the guide's
// own as in every full-wave job; with `freq` (GHz) the body is also checked
// as a full-wave response at that frequency checks it.
struct GeometryRequest : Job {
  Cone cone;
  Body body;
  std::optional<Number> freq;
};

}  // namespace api
}  // namespace quaven
