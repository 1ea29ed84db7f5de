#include "fullwave/dense_lu.h"

#include <algorithm>
#include <complex>
#include <cstddef>

// The path of OpenBLAS where the build found it (CMake writes the header; the
// page's build has none).
#if __has_include("fullwave/openblas_path.h")
#include "fullwave/openblas_path.h"
#endif

#ifdef QUAVEN_OPENBLAS_LIBRARY
#include <dlfcn.h>
#include <sys/resource.h>

#include <thread>
#endif

namespace quaven {
namespace bor {

namespace {

using cd = std::complex<double>;

// LAPACK's Fortran interface as OpenBLAS exports it; character arguments carry
// their hidden lengths, as gfortran passes them.
struct Lapack {
  void (*getrf)(const int* m, const int* n, cd* a, const int* lda, int* ipiv, int* info);
  void (*getrs)(const char* trans, const int* n, const int* nrhs, const cd* a, const int* lda, const int* ipiv,
                cd* b, const int* ldb, int* info, std::size_t trans_len);
  void (*gecon)(const char* norm, const int* n, const cd* a, const int* lda, const double* anorm, double* rcond,
                cd* work, double* rwork, int* info, std::size_t norm_len);
};

#ifdef QUAVEN_OPENBLAS_LIBRARY
// Whether the process may map what OpenBLAS takes: a 128 MiB work buffer for
// each of its own threads (one per processor, started when it loads) and for
// each thread that calls it. Where an address-space or data limit is lower,
// OpenBLAS retries the failing mmap for ever, so Eigen factors there.
bool room_for_openblas() {
  const rlim_t threads = std::max(1U, std::thread::hardware_concurrency());
  const rlim_t need = (2 * threads + 2) * (rlim_t{128} << 20) + (rlim_t{1} << 30);
  for (const int resource : {RLIMIT_AS, RLIMIT_DATA}) {
    rlimit lim{};
    if (getrlimit(resource, &lim) != 0) return false;
    if (lim.rlim_cur != RLIM_INFINITY && lim.rlim_cur < need) return false;
  }
  return true;
}
#endif

// OpenBLAS, loaded once by the first caller, or null where it is missing or
// the process has too little room for it.
const Lapack* lapack() {
#ifdef QUAVEN_OPENBLAS_LIBRARY
  static const Lapack* loaded = []() -> const Lapack* {
    if (!room_for_openblas()) return nullptr;
    void* lib = dlopen(QUAVEN_OPENBLAS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) return nullptr;
    static Lapack l;
    l.getrf = reinterpret_cast<decltype(l.getrf)>(dlsym(lib, "zgetrf_"));
    l.getrs = reinterpret_cast<decltype(l.getrs)>(dlsym(lib, "zgetrs_"));
    l.gecon = reinterpret_cast<decltype(l.gecon)>(dlsym(lib, "zgecon_"));
    const auto threads = reinterpret_cast<void (*)(int)>(dlsym(lib, "openblas_set_num_threads"));
    if (l.getrf == nullptr || l.getrs == nullptr || l.gecon == nullptr || threads == nullptr) return nullptr;
    // One thread: OpenBLAS would otherwise share each factorisation out to
    // threads of its own, beside those the fill and the parallel rows keep busy.
    threads(1);
    return &l;
  }();
  return loaded;
#else
  return nullptr;
#endif
}

}  // namespace

bool DenseLU::openblas() { return lapack() != nullptr; }

void DenseLU::compute(Eigen::MatrixXcd& a) {
  const Lapack* l = lapack();
  lapack_ = l != nullptr;
  if (!lapack_) {
    eigen_.compute(a);
    a = Eigen::MatrixXcd();
    return;
  }
  lu_.swap(a);
  a = Eigen::MatrixXcd();
  const int n = static_cast<int>(lu_.rows());
  norm1_ = n > 0 ? lu_.cwiseAbs().colwise().sum().maxCoeff() : 0.0;
  pivots_.assign(static_cast<std::size_t>(n), 0);
  int info = 0;
  if (n > 0) l->getrf(&n, &n, lu_.data(), &n, pivots_.data(), &info);
  singular_ = info != 0;
}

Eigen::VectorXcd DenseLU::solve(const Eigen::VectorXcd& b) const {
  if (!lapack_) return eigen_.solve(b);
  Eigen::VectorXcd x = b;
  const int n = static_cast<int>(lu_.rows()), one = 1;
  int info = 0;
  // An exactly singular factor gives infinities, as Eigen's solve would.
  if (n > 0) lapack()->getrs("N", &n, &one, lu_.data(), &n, pivots_.data(), x.data(), &n, &info, 1);
  return x;
}

double DenseLU::rcond() const {
  if (!lapack_) return eigen_.rcond();
  const int n = static_cast<int>(lu_.rows());
  if (n == 0 || singular_) return 0.0;
  std::vector<cd> work(2 * static_cast<std::size_t>(n));
  std::vector<double> rwork(2 * static_cast<std::size_t>(n));
  double rc = 0.0;
  int info = 0;
  lapack()->gecon("1", &n, lu_.data(), &n, &norm1_, &rc, work.data(), rwork.data(), &info, 1);
  return rc;
}

}  // namespace bor
}  // namespace quaven
