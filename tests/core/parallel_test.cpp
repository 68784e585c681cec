#include "core/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using ringdate::parallel_for;
using ringdate::set_worker_threads;
using ringdate::worker_threads;
using ringdate::workers_for;

// Sets the thread count for one test and puts the default back after it.
struct Threads {
  explicit Threads(int n) { set_worker_threads(n); }
  ~Threads() { set_worker_threads(0); }
};

// Every piece runs exactly once, with a worker index within the workers used, whatever the
// number of threads and of pieces (none, fewer than the threads, many); with one thread
// every piece runs on the calling thread, in order.
TEST(ParallelFor, EveryPieceRunsOnceOnAWorkerOfItsOwnRange) {
  for (int threads : {1, 2, 3, 8}) {
    const Threads set(threads);
    EXPECT_EQ(worker_threads(), threads);
    for (std::size_t n : {0u, 1u, 2u, 5u, 64u, 1000u}) {
      std::vector<std::atomic<int>> runs(n);
      std::vector<std::size_t> worker(n, 99), order;
      std::vector<std::thread::id> thread(n);
      parallel_for(n, [&](std::size_t k, std::size_t w) {
        runs[k].fetch_add(1);
        worker[k] = w;
        thread[k] = std::this_thread::get_id();
        if (threads == 1) order.push_back(k);
      });
      const std::size_t workers = workers_for(n);
      EXPECT_EQ(workers, std::min<std::size_t>(static_cast<std::size_t>(threads), n));
      for (std::size_t k = 0; k < n; ++k) {
        ASSERT_EQ(runs[k].load(), 1) << threads << " threads, piece " << k << " of " << n;
        ASSERT_LT(worker[k], workers);
        // Worker 0 is the calling thread.
        if (worker[k] == 0) {
          ASSERT_EQ(thread[k], std::this_thread::get_id());
        }
      }
      if (threads == 1) {
        for (std::size_t k = 0; k < n; ++k) ASSERT_EQ(order[k], k);
      }
    }
  }
  EXPECT_GE(worker_threads(), 1);  // the default again
}

// A piece that throws does not end the program: after every thread has finished, the
// exception of the lowest piece that threw reaches the caller.
TEST(ParallelFor, TheExceptionOfTheLowestFailingPieceReachesTheCaller) {
  for (int threads : {1, 2, 4}) {
    const Threads set(threads);
    std::atomic<int> done{0};
    try {
      parallel_for(200, [&](std::size_t k, std::size_t) {
        if (k == 37 || k == 150) throw std::runtime_error("piece " + std::to_string(k));
        done.fetch_add(1);
      });
      ADD_FAILURE() << "no exception with " << threads << " threads";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "piece 37") << threads;
    }
    if (threads == 1) {
      EXPECT_EQ(done.load(), 37);  // one thread stops at the first failure
    } else {
      EXPECT_GE(done.load(), 37);
    }
  }
}

// A thread the system refuses to start is done without: every piece still runs once, on
// the threads there are (here the calling thread alone: the first start is refused).
TEST(ParallelFor, AThreadThatCannotStartLeavesItsPiecesToTheOthers) {
  const Threads set(4);
  ringdate::parallel_detail::refused_starts = 1;
  std::vector<std::atomic<int>> runs(300);
  std::vector<std::thread::id> thread(runs.size());
  parallel_for(runs.size(), [&](std::size_t k, std::size_t w) {
    runs[k].fetch_add(1);
    thread[k] = std::this_thread::get_id();
    EXPECT_EQ(w, 0u);
  });
  EXPECT_EQ(ringdate::parallel_detail::refused_starts.load(), 0);
  for (std::size_t k = 0; k < runs.size(); ++k) {
    ASSERT_EQ(runs[k].load(), 1) << k;
    ASSERT_EQ(thread[k], std::this_thread::get_id()) << k;
  }
}

}  // namespace
