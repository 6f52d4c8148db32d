// Memory for the few big tables of a load. A process pays for every fresh
// page it touches, and on a busy or virtual machine a small page can cost
// several microseconds: a full MCU's record and lines would touch some 240
// small pages, but fit in one large page.
#pragma once

#include <cstddef>

namespace forgeline {

inline constexpr std::size_t kLargePageSize = 2 * 1024 * 1024;

// `size` bytes, not initialised, starting on a large-page boundary and
// backed by large pages where the system offers them (otherwise paged as
// usual). Under AddressSanitizer any access past the `size` bytes is
// reported, as past a heap block. Throws std::bad_alloc when no memory is
// left.
void* allocateLargePages(std::size_t size);
// Gives back what allocateLargePages(size) returned, with the same size.
void releaseLargePages(void* data, std::size_t size) noexcept;

}  // namespace forgeline
