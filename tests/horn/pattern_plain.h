// The straightforward TE11 pattern and phase centre, kept beside the tests
// as the reference that the library's evaluation must match bit for bit:
// every pattern point is a fresh 16-point glina quadrature whose integrand
// works out all five Bessel values at every node.
#pragma once

namespace quaven::plain {

void chp11(const float& f, const float& a, const float& r, const float& th, float& ampe, float& amph,
           float& phe, float& phh);

void chpce(const float& f, const float& a, const float& r, const float& be, float& pe, const float& bh,
           float& ph);

}  // namespace quaven::plain
