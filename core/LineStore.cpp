#include "core/LineStore.h"

#include <algorithm>

namespace forgeline {

std::string_view LineStore::keep(std::string_view text) {
  while (current_ < blocks_.size() && blocks_[current_].capacity() - blocks_[current_].size() < text.size())
    ++current_;
  if (current_ == blocks_.size()) blocks_.emplace_back().reserve(std::max(kBlockSize, text.size()));
  std::string& block = blocks_[current_];
  const std::size_t at = block.size();
  block.append(text);
  return std::string_view(block).substr(at);
}

void LineStore::clear() {
  for (std::string& block : blocks_) block.clear();
  current_ = 0;
}

}  // namespace forgeline
