// Far-field pattern of the TE11 aperture with quadratic phase (was chp11).
#pragma once

namespace quaven {

// The TE11 pattern of one horn at one frequency, for any number of angles.
// The construction works out the aperture phase terms cos psi and sin psi at
// the sixteen quadrature nodes, which do not depend on the angle; `at` then
// gives, bit for bit, what a fresh 16-point glina quadrature of the
// integrand (A&S 9.1.27 forms of FE and FH, all five Bessel values worked out
// at every node) gives for that horn and angle. Read only once made, so
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
