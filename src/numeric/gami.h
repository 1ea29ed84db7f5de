// Reciprocal gamma function (was gami) and gamma function (was gam).
#pragma once

namespace quaven {

// 1/Gamma(x) for |x| < 33, and 0 at or beyond that limit or for a NaN.
// Power series of A&S 6.1.34 (its first twenty coefficients) for the
// fractional part, then the recurrence up or down.
//
// x  in/out  used as the working variable: afterwards it holds 0 for a
//            positive integer, x itself for |x| < 1, the fractional part
//            stepped back up (x > 1) or down (x <= -1) by ones, and x
//            untouched at or beyond the limit. Pass a temporary to keep it.
float gami(float& x);

// Gamma(x) = 1/gami(x); overwrites x exactly as gami does. Where gami gives 0
// (0, the negative integers, |x| >= 33) it returns +infinity, for a NaN a NaN.
float gam(float& x);

}  // namespace quaven
