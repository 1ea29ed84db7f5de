// The full-wave horn over a band of frequencies: every frequency solved on
// its own (direct), or a few solved and the figures interpolated between
// them under an error control against the direct solution (fast).
//
// The fast sweep cuts the band into pieces. On each piece it solves the horn
// at the Chebyshev-Lobatto points of the piece on one mesh (the mesh of the
// piece's highest frequency, so that the figures are smooth functions of
// frequency there) and interpolates each figure with the polynomial through
// them in barycentric form. Away from a resonance or a jump the figures are
// analytic in frequency and that interpolant converges geometrically with
// the number of points (Trefethen, "Approximation Theory and Approximation
// Practice", ch. 8), and the barycentric formula evaluates it stably
// (Berrut & Trefethen, SIAM Review 46, 2004); a piecewise-cubic interpolant
// would need several times the solves for the same error. The piece is
// accepted when the last Chebyshev coefficients of every figure are small
// and a direct solve (its own mesh, as the direct sweep solves it) at two
// frequencies of the sweep between the points agrees with the interpolant
// to the tolerance. Otherwise the piece takes twice the points (nested, so
// the first solves are kept) and, failing that, is halved. A resonance, the
// pattern's level crossing a shoulder (a beamwidth that jumps) or any other
// feature the interpolant cannot follow is thus split off into pieces too
// short to be worth interpolating, whose frequencies are solved directly: it
// is never smoothed over.
#pragma once

#include <map>
#include <vector>

#include "fullwave/fullwave.h"

namespace quaven {
namespace fullwave {

enum class SweepMethod { direct, fast };

// How far an interpolated figure may lie from the direct solution.
struct SweepTolerance {
  double beamwidth_deg = 0.02;
  double directivity_db = 0.005;
  double phase_centre_wl = 0.005;
  double s11 = 0.002;  // |delta S11|, the complex difference
};

struct SweepRequest {
  Geometry geometry;
  std::vector<double> frequencies_ghz;  // in any order
  double level1_db = 3.0;
  double level2_db = 10.0;
  double per_wavelength = 20.0;
  SweepMethod method = SweepMethod::fast;
  SweepTolerance tolerance;
};

// Solves on construction; throws std::invalid_argument as response() does.
class FrequencySweep {
 public:
  explicit FrequencySweep(const SweepRequest& request);

  std::size_t size() const { return freqs_.size(); }
  // The horn at frequencies_ghz[i]: a direct solve's response, or one whose
  // figures and power balance are interpolated (frequency, aperture radius
  // and phase deviation are exact; unknowns and formulation are those of the
  // piece's mesh).
  HornResponse at(std::size_t i) const;
  // Whether frequency i was solved directly because the interpolant could
  // not meet its tolerance there (a short piece about a feature).
  bool fell_back(std::size_t i) const;
  // Full-wave solves made, and the pieces interpolated.
  int solves() const { return solves_; }
  int pieces() const { return static_cast<int>(pieces_.size()); }

 private:
  struct Piece {
    double lo, hi;
    std::vector<double> x;                // nodes, GHz
    std::vector<std::vector<double>> y;  // figures at each node
    HornResponse shape;                   // unknowns and formulation of its mesh
  };
  void fit(const std::vector<std::size_t>& idx, int depth);
  HornResponse solve(double f, double mesh_ghz);
  void solve_direct(std::size_t i);

  SweepRequest request_;
  std::vector<double> freqs_;
  std::map<std::size_t, HornResponse> direct_;  // frequencies solved on their own mesh
  std::vector<bool> fell_back_;
  std::vector<Piece> pieces_;  // in increasing frequency
  int solves_ = 0;
};

}  // namespace fullwave
}  // namespace quaven
