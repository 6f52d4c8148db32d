// The bytes of the lines a load collects, kept together in a few big blocks
// instead of one heap string a line: a full MCU collects some 8,000 lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace forgeline {

class LineStore {
 public:
  LineStore() = default;
  // Views handed out point into this store, so it is never copied.
  LineStore(const LineStore&) = delete;
  LineStore& operator=(const LineStore&) = delete;

  // Copies `text` in; the view returned stays valid until clear().
  std::string_view keep(std::string_view text);
  // Forgets every text kept; the blocks stay for the next load.
  void clear();

 private:
  static constexpr std::size_t kBlockSize = 64 * 1024;
  // A block never grows past the room it was given, so nothing kept moves.
  std::vector<std::string> blocks_;
  std::size_t current_ = 0;  // the block being filled
};

}  // namespace forgeline
