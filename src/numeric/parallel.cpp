// The library's thread count and the threads of its loops (see parallel.h).
#include "numeric/parallel.h"

#include <cstdlib>

#if !defined(__EMSCRIPTEN__) || defined(__EMSCRIPTEN_PTHREADS__)
#define QUAVEN_HAVE_THREADS 1
#include <thread>
#endif

namespace quaven {
namespace parallel {
namespace {

// 0 until set: the default then.
std::atomic<int> g_count{0};
// The count of the request the calling thread is running (ThreadCountScope),
// 0 where there is none: kept per thread, so that requests running at the
// same time on different threads (Python's, with the interpreter released)
// neither see nor undo each other's count.
thread_local int t_request = 0;

}  // namespace

int default_thread_count() {
#ifdef QUAVEN_HAVE_THREADS
  if (const char* env = std::getenv("QUAVEN_THREADS")) {
    char* end = nullptr;
    const long n = std::strtol(env, &end, 10);
    if (end != env && *end == '\0' && n > 0) return static_cast<int>(std::min(n, 1024L));
  }
  const unsigned hw = std::thread::hardware_concurrency();
  return hw > 0 ? static_cast<int>(std::min(hw, 1024U)) : 1;
#else
  return 1;
#endif
}

int thread_count() {
#ifdef QUAVEN_HAVE_THREADS
  if (t_request > 0) return t_request;
  int n = g_count.load();
  if (n <= 0) {
    // Read once: the environment does not change under a running program.
    static const int fallback = default_thread_count();
    n = fallback;
  }
  return n;
#else
  return 1;
#endif
}

void set_thread_count(int n) { g_count = n > 0 ? std::min(n, 1024) : 0; }

ThreadCountScope::ThreadCountScope(int n) : active_(n > 0) {
  if (!active_) return;
  saved_ = t_request;
  t_request = std::min(n, 1024);
}

ThreadCountScope::~ThreadCountScope() {
  if (active_) t_request = saved_;
}

namespace detail {

bool& in_loop() {
  thread_local bool inside = false;
  return inside;
}

void run_with_helpers(int helpers, const std::function<void()>& helper, const std::function<void()>& caller) {
#ifdef QUAVEN_HAVE_THREADS
  std::vector<std::thread> threads;
  threads.reserve(helpers > 0 ? helpers : 0);
  for (int t = 0; t < helpers; ++t) {
    try {
      threads.emplace_back(helper);
    } catch (...) {
      break;  // no more threads to be had: the ones started and the caller do the work
    }
  }
  caller();
  for (std::thread& t : threads) t.join();
#else
  (void)helpers;
  (void)helper;
  caller();
#endif
}

}  // namespace detail
}  // namespace parallel
}  // namespace quaven
