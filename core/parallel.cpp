#include "core/parallel.h"

#include <sched.h>

#include <atomic>
#include <cstdlib>
#include <string_view>

namespace ringdate {

namespace {

std::atomic<int> chosen{0};  // 0: not set

int default_threads() {
  if (const char* env = std::getenv("RINGDATE_THREADS")) {
    const std::string_view s(env);
    int n = 0;
    bool digits = !s.empty() && s.size() <= 2;
    for (char c : s) {
      digits = digits && c >= '0' && c <= '9';
      n = n * 10 + (c - '0');
    }
    if (digits && n >= 1 && n <= 64) return n;
  }
  // The processors this process may run on (fewer than the machine's in a container or
  // under taskset), else the machine's.
  unsigned hw = std::thread::hardware_concurrency();
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
    hw = static_cast<unsigned>(CPU_COUNT(&set));
  return hw == 0 ? 1 : static_cast<int>(std::min(hw, 8u));
}

}  // namespace

int worker_threads() {
  int n = chosen.load(std::memory_order_relaxed);
  if (n == 0) {
    n = default_threads();
    chosen.store(n, std::memory_order_relaxed);
  }
  return n;
}

void set_worker_threads(int n) {
  chosen.store(n < 1 ? 0 : std::min(n, 64), std::memory_order_relaxed);
}

}  // namespace ringdate
