// The bytes of the lines a load collects, kept together in a few big blocks
// instead of one heap string a line: a full MCU collects some 8,000 lines.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace forgeline {

class LineStore {
 public:
  LineStore() = default;
  ~LineStore();
  // Views handed out point into this store, so it is never copied.
  LineStore(const LineStore&) = delete;
  LineStore& operator=(const LineStore&) = delete;

  // Hands the store room it does not own, filled before any block of its
  // own; it must outlive the store. Called before the first keep().
  void lend(char* room, std::size_t size);

  // Copies `text` in; the view returned stays valid until clear().
  std::string_view keep(std::string_view text);
  // Forgets every text kept; the blocks stay for the next load.
  void clear();

 private:
  struct Block {
    char* data = nullptr;
    std::size_t size = 0;
    std::size_t used = 0;
    bool owned = true;
  };
  // A block never grows past the room it was given, so nothing kept moves.
  std::vector<Block> blocks_;
  std::size_t current_ = 0;  // the block being filled
};

}  // namespace forgeline
