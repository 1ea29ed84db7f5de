// Far-field pattern of the TE11 aperture with quadratic phase (was chp11),
// and its integrand (was fintc).
#pragma once

namespace quaven {

// The integrand of the aperture integral over the normalised radius x.
// record[0] = x, record[1] = component (1..4 as a real), record[2] = 2*pi*S,
// record[3] = u = k*a*|sin theta|. Component 1 evaluates the five Bessel
// values of x and keeps FE, FH and the aperture phase psi; components 2 to 4
// reuse them, which relies on glina asking for component 1 first at each node.
// One object serves one quadrature at a time. This is the pattern integral as
// defined; Te11Pattern below evaluates the same sums with the work that does
// not depend on the angle done once, and must give the same bits.
class Fintc {
 public:
  float operator()(const float* record);

 private:
  float fe_ = 0.0f;
  float fh_ = 0.0f;
  float psi_ = 0.0f;
};

// The TE11 pattern of one horn at one frequency, for any number of angles.
// The construction works out the aperture phase terms cos psi and sin psi at
// the sixteen quadrature nodes, which do not depend on the angle; `at` then
// gives what chp11 gives for that horn, bit for bit. Read only once made, so
// one object may serve several threads.
class Te11Pattern {
 public:
  static constexpr int nodes = 16;  // order of the Gauss-Legendre rule
  Te11Pattern(const float& f, const float& a, const float& r);
  void at(const float& th, float& ampe, float& amph, float& phe, float& phh) const;

 private:
  float a_;
  float wl_;
  float cos_psi_[nodes];
  float sin_psi_[nodes];
};

// f in GHz; a, r aperture and slant radius in inches (r may be +inf);
// th angle off axis in radians. Out: E- and H-plane amplitude in dB and
// phase in degrees (-180..180). A plane whose scaled magnitude is below 1e-6
// is reported as -120 dB with phase 0.
void chp11(const float& f, const float& a, const float& r, const float& th, float& ampe, float& amph,
           float& phe, float& phh);

}  // namespace quaven
