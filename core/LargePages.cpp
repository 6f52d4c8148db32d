#include "core/LargePages.h"

#include <cstdint>
#include <new>

#include "core/AddressPoison.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace forgeline {

#if defined(__linux__)

namespace {

std::size_t span(std::size_t size) { return (size + kLargePageSize - 1) / kLargePageSize * kLargePageSize; }

}  // namespace

void* allocateLargePages(std::size_t size) {
  // A large page must start on a large-page boundary: map one more than
  // needed and give back what lies outside the aligned range. The advice
  // is only a wish; without large pages the range is paged as usual.
  const std::size_t length = span(size);
  void* raw = mmap(nullptr, length + kLargePageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto rawStart = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t start = (rawStart + kLargePageSize - 1) / kLargePageSize * kLargePageSize;
  if (start > rawStart) munmap(raw, start - rawStart);
  if (const std::size_t tail = rawStart + kLargePageSize - start; tail > 0)
    munmap(reinterpret_cast<void*>(start + length), tail);
  madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
  // The rest of the last large page is nobody's.
  poisonRoom(reinterpret_cast<void*>(start + size), length - size);
  return reinterpret_cast<void*>(start);
}

void releaseLargePages(void* data, std::size_t size) noexcept {
  // The range may be mapped again for anything else: it must not stay marked.
  unpoisonRoom(data, span(size));
  munmap(data, span(size));
}

#else

void* allocateLargePages(std::size_t size) { return ::operator new(size); }

void releaseLargePages(void* data, std::size_t) noexcept { ::operator delete(data); }

#endif

}  // namespace forgeline
