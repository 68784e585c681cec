// Independent work spread over the machine's threads. Each piece of work writes only what
// belongs to it (its own slot of a result, its own columns), with the same arithmetic as
// on one thread, so that what a run computes does not depend on how many threads did it.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace ringdate {

// The threads a run spreads its independent work over: the value given to
// set_worker_threads, else the environment's RINGDATE_THREADS (1-64), else the hardware's
// threads (at most 8). 1 does all work on the calling thread.
int worker_threads();
// Sets the count for the rest of the run; n < 1 goes back to the default. Not to be called
// while work is spread.
void set_worker_threads(int n);

// The workers parallel_for(n, ...) uses: worker_threads(), no more than the pieces.
inline std::size_t workers_for(std::size_t n) {
  return std::min(static_cast<std::size_t>(worker_threads()), n);
}

namespace parallel_detail {
// For tests: the next n thread starts fail as if the system refused them.
inline std::atomic<int> refused_starts{0};
}  // namespace parallel_detail

// Calls fn(k, w) once for every k in [0, n), on up to workers_for(n) threads, the calling
// thread among them; w (0 <= w < workers_for(n)) names the worker, for work areas of its
// own. The pieces are taken in increasing k as threads become free. Returns when every piece
// is done. When pieces throw, the exception of the lowest such k is rethrown here, after
// the other threads have finished (pieces after a throwing one may have run). A thread the
// system will not start (a limit on threads) is done without: the pieces go to the threads
// there are, the calling thread alone at worst.
template <class F>
void parallel_for(std::size_t n, F&& fn) {
  const std::size_t workers = workers_for(n);
  if (workers <= 1) {
    for (std::size_t k = 0; k < n; ++k) fn(k, std::size_t{0});
    return;
  }
  std::atomic<std::size_t> next{0};
  std::mutex failed_lock;
  std::exception_ptr failed;
  std::size_t failed_at = n;
  auto work = [&](std::size_t w) {
    for (std::size_t k; (k = next.fetch_add(1, std::memory_order_relaxed)) < n;) {
      try {
        fn(k, w);
      } catch (...) {
        const std::lock_guard<std::mutex> hold(failed_lock);
        if (k < failed_at) {
          failed_at = k;
          failed = std::current_exception();
        }
      }
    }
  };
  {
    std::vector<std::jthread> threads;
    threads.reserve(workers - 1);
    for (std::size_t w = 1; w < workers; ++w) {
      try {
        if (parallel_detail::refused_starts.load() > 0 &&
            parallel_detail::refused_starts.fetch_sub(1) > 0)
          throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        threads.emplace_back(work, w);
      } catch (const std::system_error&) {
        break;
      }
    }
    work(0);
  }  // the threads are joined here
  if (failed) std::rethrow_exception(failed);
}

}  // namespace ringdate
