#include "core/LineStore.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/AddressPoison.h"

namespace forgeline {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

}  // namespace

// Under AddressSanitizer the part of a block that holds no kept text is
// marked unusable, so a write past a kept line is reported even though it
// stays inside the block, and so is a read through a view after clear().

LineStore::~LineStore() {
  for (const Block& block : blocks_) {
    unpoisonRoom(block.data, block.size);  // lent room goes back as it came
    if (block.owned) ::operator delete(block.data);
  }
}

void LineStore::lend(char* room, std::size_t size) {
  blocks_.insert(blocks_.begin(), Block{room, size, 0, false});
  poisonRoom(room, size);
}

std::string_view LineStore::keep(std::string_view text) {
  while (current_ < blocks_.size() && blocks_[current_].size - blocks_[current_].used < text.size()) ++current_;
  if (current_ == blocks_.size()) {
    blocks_.reserve(blocks_.size() + 1);  // so that push_back cannot throw and lose the block
    const std::size_t size = std::max(kBlockSize, text.size());
    blocks_.push_back(Block{static_cast<char*>(::operator new(size)), size, 0, true});
    poisonRoom(blocks_.back().data, size);
  }
  Block& block = blocks_[current_];
  char* at = block.data + block.used;
  unpoisonRoom(at, text.size());
  if (!text.empty()) std::memcpy(at, text.data(), text.size());
  block.used += text.size();
  return {at, text.size()};
}

void LineStore::clear() {
  for (Block& block : blocks_) {
    block.used = 0;
    poisonRoom(block.data, block.size);
  }
  current_ = 0;
}

}  // namespace forgeline
