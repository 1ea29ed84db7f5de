// The sweeps of the dialogue and the command line: first, first + step, ...
#pragma once

namespace quaven {

// A sweep of `count` values first, first + step, ..., each computed afresh
// from its number i (counted from 1) in the precision T.
template <class T>
struct BasicSweep {
  T first = T(0);
  T last = T(0);
  T step = T(0);
  int count = 0;
  T at(int i) const { return first + static_cast<T>(i - 1) * step; }
};

// The sweeps of the legacy models, in single precision.
using Sweep = BasicSweep<float>;

// Sets sweep.count = int((last - first)/step + 1.4), computed in single
// precision: the sweep runs in either direction and its last value may lie
// beyond `last` by up to 0.4 of a step. False, leaving the count, for a
// step of 0 or a count that is not a number or lies outside the 32-bit
// range. A count below 1 means an empty sweep.
bool count_sweep(Sweep& sweep);

}  // namespace quaven
