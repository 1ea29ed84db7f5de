// Perfectly conducting bodies of revolution under an x-polarised excitation:
// the electric-, magnetic- and combined-field integral equations for the
// azimuthal harmonics m = +-1, solved by the method of moments in double
// precision.
//
// The body is the surface swept by a generating curve (a polyline in the
// rho-z half-plane) about the z axis. The surface current is expanded in
//
//   J = sum_i [ I_i^t T_i(t)/rho t^ + I_i^phi T_i(t)/rho phi^ ] e^{j m phi}
//
// with T_i the triangle (rooftop) on the two segments at node i and t the arc
// length (Mautz & Harrington, Appl. Sci. Res. 20, 1969; Glisson & Wilton,
// IEEE Trans. AP-28, 1980, whose T/rho expansion makes rho J_t piecewise
// linear and its surface divergence piecewise constant). Galerkin testing with
// the conjugate harmonic decouples the harmonics; the m = -1 solution follows
// from the m = +1 one by symmetry (its phi coefficients change sign), so only
// m = +1 is solved and the physical current of an x-polarised excitation is
//
//   J_t = 2 cos(phi) sum I^t T/rho,   J_phi = 2j sin(phi) sum I^phi T/rho.
//
// An open surface (a generating curve with an end off the axis, such as an
// infinitely thin horn wall) is solved by the electric-field integral
// equation (EFIE), the only one of the three that applies to it. A closed
// surface (both ends on the axis) is solved by the combined-field equation
// (CFIE) of Mautz & Harrington ("H-field, E-field, and combined-field
// solutions for conducting bodies of revolution", AEU 32, 1978): the EFIE
// alone has no unique solution at the resonant frequencies of the cavity the
// surface encloses, the magnetic-field equation (MFIE) alone none at those of
// the same cavity with the other boundary condition, and their sum none at
// any frequency.
//
// The EFIE's modal Green's functions
//
//   K_n(t, t') = int_0^{2 pi} cos(n a) exp(-j k R)/(4 pi R) da,  n = 0, 1, 2,
//
// and the MFIE's moments of the gradient kernel
//
//   g(R) = (1 + j k R) exp(-j k R)/(4 pi R^3)   (grad G = -(r - r') g),
//
//   M_1 = int cos(a) g da,  N_0 = int (1 - cos a) g da,
//   N_1 = int (1 - cos a) cos(a) g da,
//
// are summed in one loop by the trapezoidal rule over the angle a (spectrally
// accurate for a periodic integrand, the FFT evaluation of Gedney & Mittra,
// IEEE Trans. AP-38, 1990, restricted to the harmonics needed); where the two
// points are close the static parts 1/R, R and 1/R^3 are taken out and
// integrated in closed form with complete elliptic integrals, and the
// logarithmic singularity that remains along the curve is resolved by a
// graded Gauss rule that clusters its nodes at the singular point. Time
// convention exp(j omega t).
#pragma once

#include <complex>
#include <vector>

#include <Eigen/Dense>

#include "fullwave/dense_lu.h"

namespace quaven {
namespace bor {

using cd = std::complex<double>;

struct Point {
  double rho;
  double z;
};

// The nodes of a polyline whose pieces run between the given corners, each
// piece cut into equal segments no longer than `h`, and into at least
// `min_segments`. Corners on the axis (rho = 0) may only be the first or the
// last.
std::vector<Point> mesh_polyline(const std::vector<Point>& corners, double h, int min_segments = 1);

// An incident field that is x-polarised about the axis: at (rho, phi, z)
//   E_rho = er cos(phi),  E_z = ez cos(phi),  E_phi = -ephi sin(phi),
//   H_rho = hr sin(phi),  H_z = hz sin(phi),  H_phi = hphi cos(phi)
// (a plane wave x^ exp(-jkz) has er = ephi = e, hr = hphi = e / eta). The
// magnetic field is needed by the MFIE and the CFIE; all six are asked for
// so that none is left zero by mistake.
struct IncidentSample {
  IncidentSample(cd er_, cd ez_, cd ephi_, cd hr_, cd hz_, cd hphi_)
      : er(er_), ez(ez_), ephi(ephi_), hr(hr_), hz(hz_), hphi(hphi_) {}
  cd er, ez, ephi;
  cd hr, hz, hphi;
};

// The complex far field of the two principal planes, r E exp(jkr), for an
// x-polarised body: E_theta(theta, phi) = e cos(phi), E_phi = -h sin(phi),
// so that e is the E-plane (phi = 0) and h the H-plane (phi = 90 degrees)
// co-polar field. Volts when the currents are in amperes per metre.
struct FarField {
  cd e;
  cd h;
};

// The integral equation solved: `automatic` is the CFIE on a closed surface
// and the EFIE on an open one; the MFIE alone is there to be checked.
enum class Formulation { automatic, efie, mfie, cfie };

// "EFIE", "MFIE", "CFIE" (or "automatic").
const char* name(Formulation f);

struct Options {
  int gauss = 3;        // Gauss nodes per segment for the outer integrals
  int graded = 8;       // graded nodes on each side of a singular point
  double near = 1.0;    // segments closer than this many segment lengths use the graded rule
  // Pairs of segments far enough apart for its estimated error take the
  // two-point Gauss rule in place of `gauss` (see bor.cpp).
  bool far_rule = true;
  // Points of the trapezoidal rule over the angle for every pair of rings
  // whose static part is not taken out; 0: the fewest that keep the sums
  // within about 1e-13 (see bor.cpp), picked for each pair of segments.
  int angle_points = 0;
  Formulation formulation = Formulation::automatic;
};

// The moment-method system of one body at one wavenumber k (1/m). Throws
// std::invalid_argument when the MFIE or the CFIE is asked of an open
// surface.
class Body {
 public:
  Body(std::vector<Point> nodes, double k, const Options& opt = Options());

  int unknowns() const { return n_; }
  // Whether both ends of the generating curve lie on the axis.
  bool closed() const { return closed_; }
  // The equation solved (never `automatic`).
  Formulation formulation() const { return formulation_; }
  const std::vector<Point>& nodes() const { return nodes_; }
  double k() const { return k_; }

  // Solves for the currents under an excitation given at each point of the
  // surface (the callable maps (rho, z) to an IncidentSample).
  template <class F>
  void solve(F&& incident) {
    Eigen::VectorXcd v = Eigen::VectorXcd::Zero(unknowns());
    for (const Quad& q : quad_) {
      const IncidentSample s = incident(q.rho, q.z);
      add_rhs(v, q, s);
    }
    solve_rhs(v);
  }
  // Solves for a right-hand side assembled as solve() assembles it.
  void solve_rhs(const Eigen::VectorXcd& v);

  // An estimate of the reciprocal condition number (1-norm) of the moment
  // matrix, from its LU factors: it falls towards 0 where the equation has
  // no unique solution, as the EFIE's does at a resonance of the cavity a
  // closed body encloses.
  double rcond() const { return lu_.rcond(); }

  // Far field of the solved currents, phase referred to the point z0 on the
  // axis.
  FarField far_field(double theta, double z0 = 0.0) const;

  // Node coefficients of the solution: rho J_t and rho J_phi / j at each node,
  // without the factors 2 cos(phi) and 2 sin(phi) (zero where no basis sits).
  cd rho_jt(int node) const;
  cd rho_jphi(int node) const;

 private:
  struct Quad {
    int seg;
    double rho, z, w;  // position and weight (segment length times Gauss weight)
    double u;          // fraction along the segment
  };
  template <bool Mfie>
  void fill(const Options& opt);
  void add_rhs(Eigen::VectorXcd& v, const Quad& q, const IncidentSample& s) const;

  std::vector<Point> nodes_;
  double k_;
  bool closed_ = false;
  Formulation formulation_ = Formulation::efie;
  double side_ = 1.0;  // the outward normal is side_ * (phi^ x t^)
  double we_ = 1.0, wm_ = 0.0;  // weights of the EFIE and the MFIE
  std::vector<int> it_, ip_;  // unknown index of the t and phi basis at each node, or -1
  std::vector<Quad> quad_;
  int n_ = 0;
  Eigen::MatrixXcd z_;  // the moment matrix while it is filled
  DenseLU lu_;  // its factors (the matrix's own storage)
  Eigen::VectorXcd x_;
  // The far field's view of the solved currents at each quadrature point.
  struct FarPoint {
    int ring;       // index into rings_, the point's radius
    double z;
    double c, d;    // the segment's direction (rho, z)
    cd wft, wfp;    // rho J_t and rho J_phi / j there, times the weight
  };
  std::vector<FarPoint> far_;
  std::vector<double> rings_;
};

// The modal Green's functions K_0, K_1, K_2 between the rings through
// (r1, z1) and (r2, z2), with an n-point trapezoidal rule in the angle.
void modal_green(double k, double r1, double z1, double r2, double z2, int n, cd out[3]);

// The MFIE's moments M_1, N_0, N_1 of the gradient kernel (see above)
// between the same rings, from the same loop.
void modal_green_gradient(double k, double r1, double z1, double r2, double z2, int n, cd out[3]);

}  // namespace bor
}  // namespace quaven
