// Exact mode: the conical TE11 horn evaluated from its aperture integral in
// double precision, instead of the single-precision universal-curve models.
//
// The aperture of radius a carries the TE11 field of a circular guide of the
// same radius with a quadratic phase lag that reaches S cycles at the rim. In
// the far field, at angle theta off axis (u = k a sin theta, x = rho / a,
// psi = 2 pi S x^2, chi the first zero of J1'):
//
//   E-plane  P_E(theta) = (1 + cos theta)/2 * int_0^1 FE(x, u) e^{-j psi} dx
//   H-plane  P_H(theta) = (1 + cos theta)/2 * int_0^1 FH(x, u) e^{-j psi} dx
//   FE = J1'(ux) J1(chi x) + chi x J1'(chi x) J1(ux)/(ux)
//   FH = J1(chi x) J1(ux)/(ux) + chi x J1'(chi x) J1'(ux)
//
// (Silver, Microwave Antenna Theory and Design, 1949, sec. 10.9; the same
// integrand as the pattern routine chp11, written with J1(z)/z = (J0+J2)/2
// and J1'(z) = (J0-J2)/2, A&S 9.1.27.) It is aperture theory: the guide's
// higher modes and the diffraction at the rim are not modelled, and "exact"
// means that the figures are those of this integral, without the
// universal-curve and cos^n approximations, to about 1e-10 relative.
#pragma once

#include <complex>
#include <vector>

#include "numeric/constants.h"
#include "numeric/gauss_legendre.h"

namespace quaven {
namespace exact {

// First zero of J1'(z) (A&S table 9.5, j'_{1,1}).
constexpr double chi = physical::chi;

// Design plane, as the dialogue numbers them.
enum class Plane { e = 1, h = 2, mean = 3 };

// The complex far field of the two principal planes at one angle.
struct Field {
  std::complex<double> e;
  std::complex<double> h;
};

// A horn given by its aperture radius in wavelengths (aw = a / lambda) and its
// maximum aperture phase deviation s in cycles. The Gauss-Legendre rule and
// every factor of the integrand that does not depend on the angle are set up
// once here, so that each angle costs two Bessel evaluations per node.
class Horn {
 public:
  Horn(double aw, double s);

  double aw() const { return aw_; }
  double s() const { return s_; }
  int order() const { return static_cast<int>(nodes_.size()); }

  // Far field at theta (radians) including the factor (1 + cos theta)/2.
  Field field(double theta) const;

  // Power of each plane in dB at theta (20 log10 |P|, unnormalised).
  void power_db(double theta, double& pe, double& ph) const;

 private:
  struct Node {
    double x;
    double w;
    double j1c;              // J1(chi x)
    double cj1pc;            // chi x J1'(chi x)
    std::complex<double> ph;  // w * e^{-j psi(x)}
  };
  double aw_;
  double s_;
  std::vector<Node> nodes_;
};

// The double-precision Gauss-Legendre rules the aperture integrals use.
using numeric::GaussRule;
using numeric::gauss_rule;

// The Gauss order a Horn uses for the largest u = k a and phase deviation s.
int aperture_order(double umax, double s);

// Full beamwidths in degrees at `level` dB below the peak (level > 0): twice
// the angle at which the power, going outward from the peak of the main
// beam, first falls to that level. Not-a-number where it does not fall that
// far short of 180 degrees off axis, for a level that is not positive, and for
// an aperture that is not a number or wider than some ten million wavelengths.
struct Beamwidths {
  double e;
  double h;
};
Beamwidths beamwidths(const Horn& horn, double level);

// The beamwidths at two levels from one walk over the pattern.
void beamwidths(const Horn& horn, double level1, double level2, Beamwidths& b1, Beamwidths& b2);

// Phase centres in wavelengths behind the aperture: for each plane the
// distance d of the point source whose phase 2 pi d (1 - cos theta) plus a
// constant fits the unwrapped pattern phase best in least squares, with equal
// weight per unit angle over 0 .. half that plane's 10 dB beamwidth `bw10`
// (degrees). Not-a-number where the beamwidth is.
struct PhaseCentres {
  double e;
  double h;
};
PhaseCentres phase_centres(const Horn& horn, double bwe10, double bwh10);

// Aperture efficiency of the TE11 distribution with quadratic phase:
// |int E_y dA|^2 / (A int |E|^2 dA).
double aperture_efficiency(double s);

// Gain in dB: (k a)^2 times the aperture efficiency.
double gain_db(double aw, double s);

// The aperture radius in wavelengths whose beamwidth at `level` dB in `plane`
// (the mean of the E- and H-plane beamwidths for Plane::mean) is `bw`
// degrees at phase deviation s. Not-a-number where no aperture gives it.
double design_aw(double s, double bw, double level, Plane plane);

// Everything a table line shows, in exact mode: the beamwidths at the two
// levels, the phase centres (over the 10 dB beamwidths) and the gain.
struct Figures {
  double bwe1, bwh1;  // at level1
  double bwe2, bwh2;  // at level2
  double pce, pch;    // wavelengths
  double gain;        // dB
};
Figures figures(double aw, double s, double level1, double level2);

}  // namespace exact
}  // namespace quaven
