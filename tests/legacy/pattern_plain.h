// The straightforward TE11 pattern and phase centre, kept beside the tests
// as the reference that the library's evaluation must match bit for bit:
// every pattern point is a fresh 16-point glina quadrature whose integrand
// works out all five Bessel values at every node.
#pragma once

namespace quaven {

// The integrand of the aperture integral over the normalised radius x.
// record[0] = x, record[1] = component (1..4 as a real), record[2] = 2*pi*S,
// record[3] = u = k*a*|sin theta|. Component 1 evaluates the five Bessel
// values of x and keeps FE, FH and the aperture phase psi; components 2 to 4
// reuse them, which relies on glina asking for component 1 first at each node.
// One object serves one quadrature at a time. This is the pattern integral as
// defined; the library's Te11Pattern evaluates the same sums with the work
// that does not depend on the angle done once, and must give the same bits.
class Fintc {
 public:
  float operator()(const float* record);

 private:
  float fe_ = 0.0f;
  float fh_ = 0.0f;
  float psi_ = 0.0f;
};

}  // namespace quaven

namespace quaven::plain {

void chp11(const float& f, const float& a, const float& r, const float& th, float& ampe, float& amph,
           float& phe, float& phh);

void chpce(const float& f, const float& a, const float& r, const float& be, float& pe, const float& bh,
           float& ph);

}  // namespace quaven::plain
