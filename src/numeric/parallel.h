// The library's threads: one thread count for the whole program, and loops
// whose iterations run on that many threads.
//
// The count is set in one place: set_thread_count(n), which the front ends
// call for --threads N (command line) and threads= (Python); until then it
// is the environment variable QUAVEN_THREADS when that holds a positive
// integer, else the processor count. A build without threads (the
// WebAssembly page) always has one, and every loop runs on the caller.
//
// The loops hand out their indices in increasing order, one at a time, to
// whichever thread is free, so tasks of unequal cost keep every thread busy;
// a loop started from inside another's body runs serially on its thread (no
// threads are added to threads). Which thread runs an index must not change
// a result: each index writes only what no other index writes, or the caller
// arranges the order in which results are combined (parallel_ordered).
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace quaven {
namespace parallel {

// The number of threads loops use (at least 1).
int thread_count();

// Sets it; n <= 0 goes back to the default (QUAVEN_THREADS, or the
// processor count). Takes effect for loops started afterwards.
void set_thread_count(int n);

// The default count: QUAVEN_THREADS when it is a positive integer, the
// processor count otherwise, 1 without threads.
int default_thread_count();

// Sets the count of the loops the calling thread starts for as long as it
// lives (n <= 0 leaves it as it is), then puts back the one it found: a
// request's own count. It takes precedence over set_thread_count and is the
// calling thread's alone, so that two requests running at the same time on
// different threads keep their own counts.
class ThreadCountScope {
 public:
  explicit ThreadCountScope(int n);
  ~ThreadCountScope();
  ThreadCountScope(const ThreadCountScope&) = delete;
  ThreadCountScope& operator=(const ThreadCountScope&) = delete;

 private:
  int saved_ = 0;
  bool active_ = false;
};

namespace detail {
// Whether the calling thread is running a loop's body.
bool& in_loop();
// Runs helper() on `helpers` new threads and caller() on the calling one,
// and returns when all have returned (fewer helpers where threads cannot be
// started; none without threads). Neither may throw.
void run_with_helpers(int helpers, const std::function<void()>& helper, const std::function<void()>& caller);
}  // namespace detail

// Calls body(i) for every i in [0, n) on up to thread_count() threads and
// returns when all have returned. If a body throws, no further index is
// started and the exception of the lowest index that threw is rethrown.
template <class Body>
void parallel_for(int n, Body&& body) {
  if (n <= 0) return;
  const int threads = std::min(n, thread_count());
  if (threads <= 1 || detail::in_loop()) {
    for (int i = 0; i < n; ++i) body(i);
    return;
  }
  std::atomic<int> next{0};
  std::atomic<bool> failed{false};
  std::mutex mutex;
  int error_index = n;
  std::exception_ptr error;
  const std::function<void()> work = [&] {
    const bool outer = detail::in_loop();
    detail::in_loop() = true;
    for (int i; !failed.load() && (i = next.fetch_add(1)) < n;) {
      try {
        body(i);
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex);
        if (i < error_index) {
          error_index = i;
          error = std::current_exception();
        }
        failed = true;
      }
    }
    detail::in_loop() = outer;
  };
  detail::run_with_helpers(threads - 1, work, work);
  if (error) std::rethrow_exception(error);
}

// Computes produce(i) for every i in [0, n) on up to thread_count() threads
// and hands each result to consume(i, result) on the calling thread in the
// order of i, as soon as it and all before it are done (the caller produces
// too, and consumes what is ready after each of its own). A result is kept
// only until it is consumed. If produce or consume throws, no further index
// is started, the results before the first failure in the order of i are
// still consumed, and that failure's exception is rethrown.
template <class T, class Produce, class Consume>
void parallel_ordered(int n, Produce&& produce, Consume&& consume) {
  if (n <= 0) return;
  const int threads = std::min(n, thread_count());
  if (threads <= 1 || detail::in_loop()) {
    for (int i = 0; i < n; ++i) consume(i, produce(i));
    return;
  }
  std::atomic<int> next{0};
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable ready;
  std::vector<std::optional<T>> results(n);
  std::vector<std::exception_ptr> errors(n);
  std::vector<char> done(n, 0);
  // One index produced and stored; false when there is none left to start.
  const auto produce_one = [&] {
    int i;
    if (stop.load() || (i = next.fetch_add(1)) >= n) return false;
    std::optional<T> r;
    std::exception_ptr e;
    try {
      r.emplace(produce(i));
    } catch (...) {
      e = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex);
    results[i] = std::move(r);
    errors[i] = e;
    done[i] = 1;
    if (e) stop = true;
    ready.notify_all();
    return true;
  };
  int consumed = 0;
  std::exception_ptr error;
  // Consumes in order what is done; with `wait`, waits for every index that
  // was started. Returns false once nothing more can be consumed.
  const auto consume_ready = [&](bool wait) {
    while (consumed < n && !error) {
      std::optional<T> r;
      {
        std::unique_lock<std::mutex> lock(mutex);
        if (wait) ready.wait(lock, [&] { return done[consumed] || (stop && next.load() <= consumed); });
        if (!done[consumed]) return !(stop && next.load() <= consumed);
        if (errors[consumed]) {
          error = errors[consumed];
          stop = true;
          return false;
        }
        r = std::move(results[consumed]);
        results[consumed].reset();
      }
      try {
        consume(consumed, std::move(*r));
      } catch (...) {
        error = std::current_exception();
        stop = true;
        return false;
      }
      ++consumed;
    }
    return false;
  };
  const std::function<void()> helper = [&] {
    detail::in_loop() = true;
    while (produce_one()) {
    }
    detail::in_loop() = false;
  };
  const std::function<void()> caller = [&] {
    detail::in_loop() = true;
    while (produce_one()) consume_ready(false);
    detail::in_loop() = false;
    consume_ready(true);
  };
  detail::run_with_helpers(threads - 1, helper, caller);
  for (int i = consumed; !error && i < n; ++i) error = errors[i];
  if (error) std::rethrow_exception(error);
}

}  // namespace parallel
}  // namespace quaven
