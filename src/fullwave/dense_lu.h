// LU factors of the dense complex moment matrix, and solves with them.
//
// The factorisation is nearly all of a large body's solve (8/3 n^3 real
// operations: 0.16 Tflop at 3,850 unknowns). Where the machine has OpenBLAS
// (tools/install-deps installs it) its zgetrf does the work: OpenBLAS picks its
// kernels for the processor when it loads (SSE2 to AVX-512), which Eigen,
// built for any x86-64 with the same flags in every file, cannot. The library
// is loaded by the first factorisation, so runs that solve no full wave never
// map it, and it is kept to the calling thread: a factorisation is the same
// whatever the thread count, and two solves on two threads do not compete for
// cores. Without it (or in the page's WebAssembly build) Eigen's
// partial-pivoting LU does the same job.
#pragma once

#include <vector>

#include <Eigen/Dense>

namespace quaven {
namespace bor {

class DenseLU {
 public:
  // Factors `a`, taking its storage for the factors (no second n-by-n matrix
  // is held); `a` is left empty.
  void compute(Eigen::MatrixXcd& a);
  Eigen::VectorXcd solve(const Eigen::VectorXcd& b) const;
  // An estimate of the reciprocal condition number in the 1-norm.
  double rcond() const;
  // Whether OpenBLAS factors the matrices here.
  static bool openblas();

 private:
  bool lapack_ = false;
  // LAPACK's factors in lapack's layout (column-major) with its pivots, and
  // the matrix's 1-norm, which the condition estimate needs.
  Eigen::MatrixXcd lu_;
  std::vector<int> pivots_;
  double norm1_ = 0.0;
  bool singular_ = false;
  Eigen::PartialPivLU<Eigen::MatrixXcd> eigen_;
};

}  // namespace bor
}  // namespace quaven
