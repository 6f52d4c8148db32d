#include "core/LineStore.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace forgeline {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

}  // namespace

LineStore::~LineStore() {
  for (const Block& block : blocks_)
    if (block.owned) ::operator delete(block.data);
}

void LineStore::lend(char* room, std::size_t size) {
  blocks_.insert(blocks_.begin(), Block{room, size, 0, false});
}

std::string_view LineStore::keep(std::string_view text) {
  while (current_ < blocks_.size() && blocks_[current_].size - blocks_[current_].used < text.size()) ++current_;
  if (current_ == blocks_.size()) {
    blocks_.reserve(blocks_.size() + 1);  // so that push_back cannot throw and lose the block
    const std::size_t size = std::max(kBlockSize, text.size());
    blocks_.push_back(Block{static_cast<char*>(::operator new(size)), size, 0, true});
  }
  Block& block = blocks_[current_];
  char* at = block.data + block.used;
  if (!text.empty()) std::memcpy(at, text.data(), text.size());
  block.used += text.size();
  return {at, text.size()};
}

void LineStore::clear() {
  for (Block& block : blocks_) block.used = 0;
  current_ = 0;
}

}  // namespace forgeline
