// The full-wave horn over a band of frequencies: every frequency solved on
// its own (direct), or a few solved and the figures interpolated between
// them under an error control against the direct solution (fast).
//
// The fast sweep cuts the band into pieces. On each piece it solves the horn
// at the Chebyshev-Lobatto points of the piece and interpolates each figure
// with the polynomial through them in barycentric form. Away from a
// resonance or a jump the figures are analytic in frequency, the interpolant
// converges geometrically with the number of points (Trefethen,
// "Approximation Theory and Approximation Practice", ch. 8) and the
// barycentric formula evaluates it stably (Berrut & Trefethen, SIAM Review
// 46, 2004); a piecewise cubic would need several times the solves for the
// same error. The piece is accepted when the last Chebyshev coefficients of
// every figure are below half its tolerance and a direct solve at two
// frequencies of the sweep between the points agrees with the interpolant to
// the tolerance. Otherwise the piece takes twice the points (nested, so the
// first solves are kept) while that shrinks the coefficients as a smooth
// figure's shrink, and is halved when it does not: a resonance, the
// pattern's level crossing a shoulder (a beamwidth that jumps) or any other
// feature the interpolant cannot follow ends in pieces too short to be worth
// interpolating, whose frequencies are solved directly. It is never smoothed
// over.
//
// Each point is solved on its own mesh, as the direct sweep solves it, not
// all on the mesh of the piece's highest frequency. One mesh makes the
// figures smooth in frequency, but its figures differ from the direct ones
// by the change of discretisation error between the two meshes: 0.011
// degree of the reference horn's 10 dB beamwidth over 8-12 GHz at 20 segments
// per wavelength, more than the tolerance for a 25 dB beamwidth at 12. The
// frequency's own mesh gains a segment here and there as the frequency
// rises, a small step in the figures; interpolated through such points the reference horn's figures lie within 0.0033 degree, 0.0004
// wavelength, 0.0002 dB and 0.00004 of S11 of the direct ones, and each
// solve is cheaper (the top frequency's mesh is the finest).
#pragma once

#include <functional>
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
  // Called, if given, with the number of frequencies settled (solved, or
  // inside a piece whose interpolant is accepted) each time it grows, and
  // with a growing share of a piece's frequencies while it is solved.
  std::function<void(std::size_t)> progress;
};

// Solves on construction; throws std::invalid_argument as response() does.
class FrequencySweep {
 public:
  explicit FrequencySweep(const SweepRequest& request);

  std::size_t size() const { return freqs_.size(); }
  // The horn at frequencies_ghz[i]: a direct solve's response, or one whose
  // figures and power balance are interpolated (frequency, aperture radius
  // and phase deviation are exact; unknowns and formulation are those of the
  // piece's lowest point).
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
    HornResponse shape;                   // its lowest point's unknowns and formulation
  };
  void fit(const std::vector<std::size_t>& idx, int depth);
  HornResponse solve(double f);
  void solve_direct(std::size_t i);

  SweepRequest request_;
  std::vector<double> freqs_;
  std::map<double, HornResponse> direct_;  // frequencies solved on their own mesh
  std::vector<bool> fell_back_;
  std::vector<Piece> pieces_;  // in increasing frequency
  int solves_ = 0;
  std::size_t settled_ = 0, reported_ = 0;
  void settle(std::size_t n);
  void report(std::size_t n);
};

}  // namespace fullwave
}  // namespace quaven
