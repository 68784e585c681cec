// Storage for the large arrays of a run (the store's matrices, the data file, the corrected
// file's text): taken straight from the kernel in whole 2 MB pages, left untouched until
// written, and advised for huge pages. Where the system grants them, filling megabytes
// costs a few page faults instead of one per 4 kB; elsewhere the advice is ignored and
// the memory behaves as any other. Small requests go to the ordinary allocator.
#pragma once

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace ringdate {

inline constexpr std::size_t huge_page_size = std::size_t(2) << 20;
// Requests from this size on get pages of their own.
inline constexpr std::size_t page_storage_threshold = std::size_t(1) << 20;

// Reserves whole huge pages for `bytes`, aligned on a huge page; nullptr when the kernel
// refuses.
inline void* map_pages(std::size_t bytes) {
  const std::size_t size = (bytes + huge_page_size - 1) & ~(huge_page_size - 1);
  void* raw = ::mmap(nullptr, size + huge_page_size, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto base = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t at = (base + huge_page_size - 1) & ~(huge_page_size - 1);
  if (at > base) ::munmap(raw, at - base);  // the slack before and after the aligned pages
  if (base + huge_page_size > at)
    ::munmap(reinterpret_cast<void*>(at + size), base + huge_page_size - at);
  void* p = reinterpret_cast<void*>(at);
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);  // advice only: a refusal changes nothing
#endif
  return p;
}

inline void unmap_pages(void* p, std::size_t bytes) {
  ::munmap(p, (bytes + huge_page_size - 1) & ~(huge_page_size - 1));
}

// The ordinary heap in huge pages as well, for runs that hold many mid-sized arrays at once
// (a check keeps several tracks of every series: 16 kB each for 2000 years), which would
// otherwise cost a page fault per 4 kB. The heap is grown once by `bytes` (address space
// only: nothing is touched), advised for huge pages, and kept: blocks up to 32 MB come from
// it rather than from mappings of their own, and freed memory is not given back to the
// kernel before the run ends. Returns the bytes advised: 0 where the heap does not grow in
// place (another allocator, as under a sanitizer) or the system has no such advice.
inline std::size_t heap_in_huge_pages(std::size_t bytes) {
#if defined(MADV_HUGEPAGE) && defined(M_TOP_PAD)
  constexpr int most_from_heap = 32 << 20;  // the largest threshold mallopt accepts
  ::mallopt(M_MMAP_THRESHOLD, most_from_heap);
  ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(std::min<std::size_t>(bytes * 2, 1u << 30)));
  ::mallopt(M_TOP_PAD, static_cast<int>(std::min<std::size_t>(bytes, 1u << 30)));
  const auto lo = reinterpret_cast<std::uintptr_t>(::sbrk(0));
  // A block larger than the free space at the heap's top makes the heap grow, by the
  // block and the top pad.
  const std::size_t top = ::mallinfo2().keepcost;
  void* volatile grow = ::malloc(top + (std::size_t(1) << 16));  // volatile: not elided
  ::free(grow);
  const auto hi = reinterpret_cast<std::uintptr_t>(::sbrk(0));
  const std::uintptr_t from = (lo + huge_page_size - 1) & ~(huge_page_size - 1);
  const std::uintptr_t to = hi & ~(huge_page_size - 1);
  if (lo == static_cast<std::uintptr_t>(-1) || to <= from) return 0;
  if (::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE) != 0) return 0;
  return to - from;
#else
  (void)bytes;
  return 0;
#endif
}

// An allocator that takes large blocks from map_pages. Elements made without a value are
// left uninitialised (default-initialised), so that a container made with a size gets its
// storage without a pass that writes it: its owner writes what it uses.
template <class T>
struct PageAllocator {
  using value_type = T;
  PageAllocator() = default;
  template <class U>
  PageAllocator(const PageAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    const std::size_t bytes = n * sizeof(T);
    if (bytes < page_storage_threshold) return std::allocator<T>().allocate(n);
    void* p = map_pages(bytes);
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t n) noexcept {
    const std::size_t bytes = n * sizeof(T);
    if (bytes < page_storage_threshold) {
      std::allocator<T>().deallocate(p, n);
    } else {
      unmap_pages(p, bytes);
    }
  }
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  template <class U>
  bool operator==(const PageAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace ringdate
