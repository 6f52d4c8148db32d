#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/KeyFileFormat.h"
#include "core/MemoryFileSystem.h"

using namespace forgeline;

namespace {

// Delivers its bytes a few at a time, so that a CR LF pair can straddle two
// reads the way it does at a buffer boundary of a real file.
class TrickleInput : public InputFile {
 public:
  TrickleInput(std::string bytes, std::size_t step) : bytes_(std::move(bytes)), step_(step) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t n = std::min({size, step_, bytes_.size() - pos_});
    bytes_.copy(buffer, n, pos_);
    pos_ += n;
    return n;
  }

 private:
  std::string bytes_;
  std::size_t step_;
  std::size_t pos_ = 0;
};

// A step of 0 reads the bytes where they lie in memory.
constexpr std::size_t kInMemory = 0;

std::vector<std::string> readPieces(const std::string& bytes, std::size_t step = 4096) {
  TrickleInput input(bytes, step);
  const std::string original = bytes;
  LineReader reader = step == kInMemory ? LineReader(std::string_view(bytes)) : LineReader(input);
  std::vector<std::string> pieces;
  std::string_view piece;
  while (reader.next(piece)) pieces.emplace_back(piece);
  EXPECT_EQ(bytes, original) << "the bytes read in memory changed";
  return pieces;
}

const std::string x98(98, 'x'), x99(99, 'x');

}  // namespace

TEST(LineReader, SplitsLikeAHundredByteTextModeBuffer) {
  struct Case {
    std::string input;
    std::vector<std::string> pieces;
  } cases[] = {
      {"abc\n", {"abc\n"}},
      {"abc\r\ndef\r\n", {"abc\n", "def\n"}},
      {"abc\ndef", {"abc\n", "def"}},
      {"", {}},
      {"\n\n", {"\n", "\n"}},
      {x98 + "\n", {x98 + "\n"}},
      {x99 + "\n", {x99, "\n"}},
      {x98 + "\r\n", {x98 + "\n"}},
      {std::string(120, 'y') + "\n", {std::string(99, 'y'), std::string(21, 'y') + "\n"}},
      {std::string(250, 'z'), {std::string(99, 'z'), std::string(99, 'z'), std::string(52, 'z')}},
      // A CR that is not followed by LF is an ordinary byte, as is NUL.
      {"a\rb\n", {"a\rb\n"}},
      {"a\r\r\nb", {"a\r\n", "b"}},
      {std::string("a\0b\n", 4), {std::string("a\0b\n", 4)}},
      {"end\r", {"end\r"}},
      {x99 + "\r\n", {x99, "\n"}},
      {x98 + "\ry\n", {x98 + "\r", "y\n"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(readPieces(c.input), c.pieces) << "input: " << c.input;
    EXPECT_EQ(readPieces(c.input, 1), c.pieces) << "byte by byte: " << c.input;
    EXPECT_EQ(readPieces(c.input, kInMemory), c.pieces) << "in memory: " << c.input;
  }
}

// Big files arrive in growing reads; wherever a read ends, the pieces must be
// those of a byte-by-byte reading.
TEST(LineReader, BigFileReadsAsIfByteByByte) {
  std::string bytes;
  for (int i = 0; bytes.size() < 300000; ++i) {
    bytes += std::string(static_cast<std::size_t>(i % 131), static_cast<char>('a' + i % 26));
    bytes += i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r";
  }
  MemoryInputFile whole(bytes);
  LineReader reader(whole);
  std::vector<std::string> pieces;
  std::string_view piece;
  while (reader.next(piece)) pieces.emplace_back(piece);
  EXPECT_EQ(pieces, readPieces(bytes, 1));
  EXPECT_EQ(readPieces(bytes, kInMemory), pieces);
}

// Bytes in memory, given as such or as a file held in memory, are read where
// they lie: only a piece whose CR LF is folded is a copy. A file read in part
// before goes on from where it was.
TEST(LineReader, BytesInMemoryAreReadWhereTheyLie) {
  const std::string bytes = "one\ntwo\r\n" + x99 + "three";
  struct Case {
    const char* name;
    std::size_t readBefore;  // bytes taken from the file before the reader starts
  } cases[] = {{.name = "bytes", .readBefore = 0}, {.name = "file", .readBefore = 0}, {.name = "file read in part", .readBefore = 4}};
  for (const Case& c : cases) {
    MemoryInputFile file(bytes);
    char skipped[4];
    file.read(skipped, c.readBefore);
    LineReader reader = c.name == std::string("bytes") ? LineReader(std::string_view(bytes)) : LineReader(file);
    std::vector<std::pair<std::string, std::ptrdiff_t>> seen;  // each piece, and where it lies in `bytes` (-1: elsewhere)
    std::string_view piece;
    while (reader.next(piece)) {
      const bool inside = piece.data() >= bytes.data() && piece.data() < bytes.data() + bytes.size();
      seen.emplace_back(piece, inside ? piece.data() - bytes.data() : -1);
    }
    std::vector<std::pair<std::string, std::ptrdiff_t>> expected{{"two\n", -1}, {x99, 9}, {"three", 108}};
    if (c.readBefore == 0) expected.insert(expected.begin(), {"one\n", 0});
    EXPECT_EQ(seen, expected) << c.name;
  }
}
