#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/KeyFileFormat.h"
#include "support/TestSupport.h"

using namespace forgeline;

namespace {

// Delivers its bytes a few at a time, so that a CR LF pair can straddle two
// reads the way it does at a buffer boundary of a real file, and notes where
// each read ended.
class TrickleInput : public InputFile {
 public:
  TrickleInput(std::string bytes, std::size_t step) : bytes_(std::move(bytes)), step_(step) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t n = std::min({size, step_, bytes_.size() - pos_});
    bytes_.copy(buffer, n, pos_);
    pos_ += n;
    readEnds.push_back(pos_);
    return n;
  }
  std::vector<std::size_t> readEnds;

 private:
  std::string bytes_;
  std::size_t step_;
  std::size_t pos_ = 0;
};

// A step of 0 reads the bytes where they lie in memory.
constexpr std::size_t kInMemory = 0;

// Reads as big as the reader asks for, as from a file on disk.
constexpr std::size_t kWholeReads = SIZE_MAX;

std::vector<std::string> readPieces(const std::string& bytes, std::size_t step = 4096,
                                    std::vector<std::size_t>* readEnds = nullptr) {
  TrickleInput input(bytes, step);
  const std::string original = bytes;
  LineReader reader = step == kInMemory ? LineReader(std::string_view(bytes)) : LineReader(input);
  std::vector<std::string> pieces;
  std::string_view piece;
  while (reader.next(piece)) pieces.emplace_back(piece);
  EXPECT_EQ(bytes, original) << "the bytes read in memory changed";
  if (readEnds != nullptr) *readEnds = input.readEnds;
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

// A CR LF pair split between two reads is still one line end, wherever the
// split falls: at the end of the read that fills the 64 KB buffer, and at
// byte 65536 of the file in 4 KB reads; the pair ends the read, straddles
// it or starts the next, after a line of any length around a whole piece.
TEST(LineReader, CrLfSplitBetweenReadsIsFolded) {
  const std::string lines = test::repeat(std::string(63, 'a') + "\n", 4000);
  std::vector<std::size_t> ends;
  readPieces(lines, kWholeReads, &ends);
  // The reads grow until one asks for all the buffer's free room.
  std::size_t fillEnd = 0;
  for (std::size_t i = 1; i < ends.size() && fillEnd == 0; ++i)
    if (ends[i] - ends[i - 1] > 32768) fillEnd = ends[i];
  ASSERT_GT(fillEnd, 65536U);
  struct Boundary {
    const char* name;
    std::size_t step;
    std::size_t readEnd;
  } boundaries[] = {{"the read that fills the buffer", kWholeReads, fillEnd}, {"byte 65536", 4096, 65536}};
  for (const Boundary& b : boundaries)
    for (const std::size_t lineLength : {0, 50, 97, 98, 99, 150})
      for (const std::size_t cr : {b.readEnd - 2, b.readEnd - 1, b.readEnd}) {
        std::string bytes = lines;
        bytes.replace(cr - lineLength - 1, lineLength + 3, "\n" + std::string(lineLength, 'b') + "\r\n");
        const std::string where =
            std::string(b.name) + ", CR at " + std::to_string(cr) + " after " + std::to_string(lineLength) + " bytes";
        EXPECT_TRUE(readPieces(bytes, b.step, &ends) == readPieces(bytes, kInMemory)) << where;
        EXPECT_NE(std::find(ends.begin(), ends.end(), b.readEnd), ends.end()) << where << ": no read ended there";
      }
}
