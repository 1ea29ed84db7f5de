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
// maximum aperture phase deviation s in cycles. The integrand oscillates
// faster as u = k a sin theta grows, so the Gauss order is chosen for the u
// of each angle: the horn keeps the phase factors of the rules that are
// enough up to u = 4 and up to u = kNearU (1 + |s|) (the main beam and its
// first sidelobes, where the beamwidths and phase centres are found), and
// wider angles use the rule for the whole visible range u = k a. The Bessel
// values of chi x at the nodes are made once per rule for every horn, so each
// angle costs one J0/J1 pair per node.
class Horn {
 public:
  Horn(double aw, double s);

  double aw() const { return aw_; }
  double s() const { return s_; }
  // The Gauss order used at the widest angles.
  int order() const { return far_order_; }
  // The Gauss order used at theta.
  int order_at(double theta) const;

  // Far field at theta (radians) including the factor (1 + cos theta)/2.
  Field field(double theta) const;
  // The same for one plane only (0 E, 1 H).
  std::complex<double> field(double theta, int plane) const;

  // The power of one plane in dB at theta and its derivative in theta (dB per
  // radian), from d/du J0(ux) = -x J1(ux) and d/du [J1(ux)/(ux)] =
  // -x J2(ux)/(ux): the same Bessel values as the field itself.
  // With per_log_aw, also the derivative in log(aw) at fixed theta.
  double power_db(double theta, int plane, double& slope, double* per_log_aw = nullptr) const;

  // Power of each plane in dB at theta (20 log10 |P|, unnormalised).
  void power_db(double theta, double& pe, double& ph) const;

  // The near rules serve up to u = 4 and up to u = kNearU (1 + |s|) (the
  // 10 dB point of the main beam lies near u = 3 + 10 s), or the whole visible
  // range if that is smaller.
  static constexpr double kNearU = 8.0;

 private:
  struct Node {
    double x;
    double j1c;               // J1(chi x)
    double cj1pc;             // chi x J1'(chi x)
    std::complex<double> ph;  // w * e^{-j psi(x)}
  };
  struct Tier {
    double u;  // largest u the rule serves
    std::vector<Node> nodes;
  };
  template <bool E, bool H, bool D = false>
  void integrals(double u, std::complex<double>& ie, std::complex<double>& ih, std::complex<double>* di = nullptr) const;
  double aw_;
  double s_;
  int far_order_;
  std::vector<Tier> tiers_;  // ascending u; beyond the last, far_order_
};

// The double-precision Gauss-Legendre rules the aperture integrals use.
using numeric::GaussRule;
using numeric::gauss_rule;

// The least Gauss order that integrates the aperture integral to about 1e-12
// of its peak for every u up to umax at phase deviation s.
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
