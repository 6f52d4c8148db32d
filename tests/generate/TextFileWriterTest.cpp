#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/MemoryFileSystem.h"
#include "generate/TextFileWriter.h"
#include "support/TestSupport.h"

using namespace forgeline;

// Each file overwrites a longer one, so that a file opened without being
// emptied shows. Which failure gives which message is checked by the build.
TEST(TextFileWriter, EveryLineFeedBecomesCarriageReturnLineFeed) {
  struct Case {
    std::string text;
    std::string file;
  } cases[] = {
      {"", ""},
      {"one\n", "one\r\n"},
      {"\n\n", "\r\n\r\n"},
      {"no end", "no end"},
      {"already\r\n", "already\r\r\n"},
      {"lone\rcarriage return\n", "lone\rcarriage return\r\n"},
      {"100% %s %d %n\n", "100% %s %d %n\r\n"},
      {std::string("nul\0byte\n", 9), std::string("nul\0byte\r\n", 10)},
      {"\xef\xbb\xbf" "kept as given\n", "\xef\xbb\xbf" "kept as given\r\n"},
      {"\xff\xfe high bytes\n", "\xff\xfe high bytes\r\n"},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    fs.addFile("out.txt", "a much longer earlier content\r\n");
    EXPECT_TRUE(writeTextFile(fs, "out.txt", c.text).ok()) << c.text;
    EXPECT_EQ(fs.snapshot(), (std::map<std::string, std::string>{{"/", "<dir>"}, {"/out.txt", c.file}})) << c.text;
  }
}

// A small file reaches the disk in one write however many pieces make it; a
// big one in 64 KB chunks as it comes. A failed chunk drops the file unclosed,
// which the builder's failing steps check.
TEST(TextFileWriter, WritesInChunks) {
  const std::string big(40000, 'x');
  struct Case {
    std::vector<std::string> pieces;
    int writes;
    std::string file;
  } cases[] = {
      {{"first", "\n", "second\n"}, 1, "first\r\nsecond\r\n"},
      {{big + "\n", big + "\n", big + "\n", big}, 2, big + "\r\n" + big + "\r\n" + big + "\r\n" + big},
  };
  for (const Case& c : cases) {
    MemoryFileSystem memory;
    test::FaultyFileSystem fs(memory);
    TextFileWriter writer(fs, "out.txt");
    for (const std::string& piece : c.pieces) writer.write(piece);
    EXPECT_TRUE(writer.close().ok());
    std::vector<std::string> log{"write out.txt"};
    log.insert(log.end(), static_cast<std::size_t>(c.writes), "write-bytes out.txt");
    log.push_back("close out.txt");
    EXPECT_EQ(fs.log(), log) << c.pieces.size() << " pieces";
    EXPECT_EQ(memory.snapshot(), (std::map<std::string, std::string>{{"/", "<dir>"}, {"/out.txt", c.file}}));
  }
}
