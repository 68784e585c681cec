#include "core/pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool own_allocator = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool own_allocator = true;
#else
constexpr bool own_allocator = false;
#endif
#else
constexpr bool own_allocator = false;
#endif

// The flags of the mapping that holds `p`, from /proc/self/smaps ("" when none does).
std::string flags_of_mapping_holding(const void* p) {
  const auto at = reinterpret_cast<std::uintptr_t>(p);
  std::ifstream smaps("/proc/self/smaps");
  std::string line;
  bool inside = false;
  while (std::getline(smaps, line)) {
    std::uintptr_t lo = 0, hi = 0;
    char dash = 0;
    std::istringstream head(line);
    if (head >> std::hex >> lo >> dash >> hi && dash == '-') {
      inside = lo <= at && at < hi;
    } else if (inside && line.rfind("VmFlags:", 0) == 0) {
      return line;
    }
  }
  return "";
}

}  // namespace

// The blocks a check holds by the thousand (tracks of 16 kB) and the larger ones the heap
// would otherwise map one by one (200 kB) come from memory advised for huge pages, so that
// filling them costs a fault per 2 MB rather than per 4 kB.
TEST(HeapInHugePages, MidSizedBlocksComeFromAdvisedMemory) {
  if (own_allocator) GTEST_SKIP() << "the sanitizer's allocator keeps its own heap";
  if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled"))
    GTEST_SKIP() << "no transparent huge pages in this kernel";
  const std::size_t advised = ringdate::heap_in_huge_pages(std::size_t(32) << 20);
  EXPECT_GE(advised, std::size_t(28) << 20);
  for (std::size_t bytes : {std::size_t(16) << 10, std::size_t(200) << 10}) {
    std::vector<void*> blocks;
    for (std::size_t total = 0; total < (std::size_t(12) << 20); total += bytes)
      blocks.push_back(std::malloc(bytes));
    std::size_t in_advised = 0;
    for (void* b : blocks) {
      ASSERT_NE(b, nullptr);
      in_advised += flags_of_mapping_holding(b).find(" hg") != std::string::npos;
    }
    for (void* b : blocks) std::free(b);
    // All but those below the first huge-page boundary of the grown heap (and a few reusing
    // space freed earlier).
    EXPECT_GE(in_advised + ringdate::huge_page_size / bytes + 8, blocks.size()) << bytes;
  }
}
