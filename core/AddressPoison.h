// AddressSanitizer knows the heap's blocks, but not the rooms we carve out
// of blocks of our own (the large-page record's block, the line store's
// rooms): a write past what is in use there would land in memory it counts
// as ours and go unreported. These mark such room unusable until it is
// handed out, so that it is checked like the heap. Without AddressSanitizer
// they do nothing and cost nothing.
#pragma once

#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FORGELINE_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(FORGELINE_ADDRESS_SANITIZER)
#define FORGELINE_ADDRESS_SANITIZER 1
#endif

#ifdef FORGELINE_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

namespace forgeline {

#ifdef FORGELINE_ADDRESS_SANITIZER
inline constexpr bool kAddressSanitizer = true;
// Any access to [data, data + size) is reported from now on.
inline void poisonRoom(const void* data, std::size_t size) noexcept { __asan_poison_memory_region(data, size); }
// [data, data + size) may be used again.
inline void unpoisonRoom(const void* data, std::size_t size) noexcept { __asan_unpoison_memory_region(data, size); }
#else
inline constexpr bool kAddressSanitizer = false;
inline void poisonRoom(const void*, std::size_t) noexcept {}
inline void unpoisonRoom(const void*, std::size_t) noexcept {}
#endif

}  // namespace forgeline
