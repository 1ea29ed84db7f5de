// Bessel function of the first kind of real order (was besj).
#pragma once

namespace quaven {

// J_nu(x) in single precision. Both arguments are read only. Ascending power
// series (A&S 9.1.10) for x <= 6, summed in blocks of five terms; Hankel's
// asymptotic expansion (A&S 9.2.5, 9.2.9, 9.2.10) for x > 6. Calls gami on a
// temporary holding nu + 1 when nu != 0 and x <= 6. A negative integer order
// takes J_-n = (-1)^n J_n (A&S 9.1.5), where the series would divide 0 by 0.
float besj(const float& x, const float& nu);

}  // namespace quaven
