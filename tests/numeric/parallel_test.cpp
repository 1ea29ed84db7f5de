// The library's threads: every index of a loop runs once, on as many threads
// as set, nested loops stay on their thread, a failure surfaces as the
// exception of the lowest failing index, and the ordered loop hands results
// over in order however unequal the tasks.
#include "numeric/parallel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace quaven::parallel;

TEST(Parallel, LoopsRunEveryIndexOnceOnTheThreadsSet) {
  const ThreadCountScope scope(3);
  EXPECT_EQ(thread_count(), 3);
  std::vector<int> runs(1000, 0);
  std::mutex m;
  std::set<std::thread::id> ids;
  parallel_for(1000, [&](int i) {
    ++runs[i];
    // Unequal tasks, so that the other threads take some.
    if (i % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::lock_guard<std::mutex> lock(m);
    ids.insert(std::this_thread::get_id());
  });
  EXPECT_EQ(std::count(runs.begin(), runs.end(), 1), 1000);
  EXPECT_GT(ids.size(), 1u);
  EXPECT_LE(ids.size(), 3u);

  // A loop inside a loop's body runs on that body's thread.
  std::vector<int> inner_on_own_thread(8, 0);
  parallel_for(8, [&](int i) {
    const std::thread::id self = std::this_thread::get_id();
    bool same = true;
    parallel_for(16, [&](int) { same = same && std::this_thread::get_id() == self; });
    inner_on_own_thread[i] = same;
  });
  EXPECT_EQ(std::count(inner_on_own_thread.begin(), inner_on_own_thread.end(), 1), 8);

  // The lowest failing index's exception, whichever thread met it first.
  for (int threads : {1, 3}) {
    const ThreadCountScope t(threads);
    try {
      parallel_for(200, [&](int i) {
        if (i == 199) throw std::runtime_error("199");
        if (i == 7) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          throw std::runtime_error("7");
        }
      });
      ADD_FAILURE() << "no exception on " << threads << " threads";
    } catch (const std::runtime_error& e) {
      // Index 199 may not even start once 7 has failed; 7 always runs.
      EXPECT_EQ(std::string(e.what()), "7") << threads;
    }
  }
}

TEST(Parallel, OrderedLoopConsumesInOrderAndStopsAtTheFirstFailure) {
  for (int threads : {1, 2, 4}) {
    const ThreadCountScope scope(threads);
    std::vector<int> order;
    parallel_ordered<std::string>(
        40,
        [](int i) {
          // The early indices are the slow ones.
          std::this_thread::sleep_for(std::chrono::microseconds(i < 5 ? 3000 : 10));
          return std::to_string(i * i);
        },
        [&](int i, std::string r) {
          EXPECT_EQ(r, std::to_string(i * i));
          order.push_back(i);
        });
    ASSERT_EQ(order.size(), 40u) << threads;
    for (int i = 0; i < 40; ++i) EXPECT_EQ(order[i], i) << threads;

    // A failure at 13: everything before it is consumed, nothing after it,
    // and its exception comes out.
    std::vector<int> seen;
    EXPECT_THROW(parallel_ordered<int>(
                     40,
                     [](int i) {
                       if (i == 13) throw std::invalid_argument("13");
                       return i;
                     },
                     [&](int i, int) { seen.push_back(i); }),
                 std::invalid_argument);
    ASSERT_EQ(seen.size(), 13u) << threads;
    for (int i = 0; i < 13; ++i) EXPECT_EQ(seen[i], i);
  }
}

TEST(Parallel, CountIsTheSettingOrTheDefault) {
  set_thread_count(0);
  EXPECT_EQ(thread_count(), default_thread_count());
  EXPECT_GE(default_thread_count(), 1);
  {
    const ThreadCountScope scope(5);
    EXPECT_EQ(thread_count(), 5);
    const ThreadCountScope ignored(0);
    EXPECT_EQ(thread_count(), 5);
  }
  EXPECT_EQ(thread_count(), default_thread_count());
  // Two requests at once on their own threads, each with its own count,
  // ending in the other order than they began: neither sees the other's,
  // and the setting is as it was.
  std::mutex m;
  std::condition_variable cv;
  int stage = 0;
  int seen[2] = {0, 0};
  std::thread first([&] {
    std::unique_lock<std::mutex> lock(m);
    {
      const ThreadCountScope scope(3);
      stage = 1;
      cv.notify_all();
      cv.wait(lock, [&] { return stage == 2; });
      seen[0] = thread_count();
    }
    stage = 3;
    cv.notify_all();
  });
  std::thread second([&] {
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [&] { return stage == 1; });
    const ThreadCountScope scope(7);
    stage = 2;
    cv.notify_all();
    cv.wait(lock, [&] { return stage == 3; });
    seen[1] = thread_count();
  });
  first.join();
  second.join();
  EXPECT_EQ(seen[0], 3);
  EXPECT_EQ(seen[1], 7);
  EXPECT_EQ(thread_count(), default_thread_count());
  set_thread_count(2);
  EXPECT_EQ(thread_count(), 2);
  set_thread_count(0);
}

}  // namespace
