// Bessel function of the first kind of real order (was besj).
#pragma once

namespace quaven {

// J_nu(x) in single precision. Both arguments are read only. Ascending power
// series (A&S 9.1.10) for x <= 6, summed in blocks of five terms; Hankel's
// asymptotic expansion (A&S 9.2.5, 9.2.9, 9.2.10) for x > 6. Calls gami on a
// temporary holding nu + 1 when nu != 0 and x <= 6. A negative integer order
// takes J_-n = (-1)^n J_n (A&S 9.1.5), where the series would divide 0 by 0.
float besj(const float& x, const float& nu);

// J_nu1(x) and J_nu2(x) of one argument: the same bits as besj(x, nu1) and
// besj(x, nu2), the two series summed side by side so that their divisions
// overlap. Inputs are read only; outputs through j1, j2.
void besj_pair(const float& x, const float& nu1, const float& nu2, float& j1, float& j2);

}  // namespace quaven
