#include "api/request.h"

#include <algorithm>

#include "api/refusal.h"
#include "numeric/constants.h"
#include "numeric/sweep.h"

namespace quaven {
namespace api {

const char* unit_name(Units u) { return u == Units::cm ? "cm" : "in"; }
float unit_factor(Units u) { return legacy::unit_factor[u == Units::cm ? 0 : 1]; }
double metres_per_unit(Units u) { return u == Units::cm ? physical::metres_per_cm : physical::metres_per_inch; }

Sweep Sweep::counted(Arg arg, Number first, Number last, Number step) {
  quaven::Sweep s;
  s.first = first.single;
  s.last = last.single;
  s.step = step.single;
  if (s.step == 0.0f) throw Refusal(Rule::step_zero, arg);
  if (!count_sweep(s)) throw Refusal(Rule::uncountable, arg);
  Sweep w;
  w.counted_ = true;
  w.first_ = first;
  w.last_ = last;
  w.step_ = step;
  w.count_ = s.count;
  return w;
}

Sweep Sweep::list(std::vector<Number> values) {
  Sweep w;
  w.values_ = std::move(values);
  return w;
}

long long Sweep::size() const {
  if (counted_) return count_ > 0 ? count_ : 0;
  return static_cast<long long>(values_.size());
}

Number Sweep::at(long long i) const {
  if (!counted_) return values_.at(static_cast<std::size_t>(i));
  // As the legacy programs count: first + (i - 1) step for i from 1.
  const BasicSweep<float> f{first_.single, last_.single, step_.single, count_};
  const BasicSweep<double> d{first_.value, last_.value, step_.value, count_};
  const int n = static_cast<int>(i) + 1;
  return Number{f.at(n), d.at(n)};
}

bool Sweep::extent(bool single, double& lowest, double& highest) const {
  const auto pick = [single](const Number& n) { return single ? static_cast<double>(n.single) : n.value; };
  if (counted_) {
    // The last value may lie beyond STOP by 0.4 of a step.
    const double a = pick(first_), b = pick(at(count_ - 1));
    lowest = std::min(a, b);
    highest = std::max(a, b);
    return true;
  }
  if (values_.empty()) return false;
  lowest = highest = pick(values_[0]);
  for (const Number& n : values_) {
    lowest = std::min(lowest, pick(n));
    highest = std::max(highest, pick(n));
  }
  return true;
}

}  // namespace api
}  // namespace quaven
