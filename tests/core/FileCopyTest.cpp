#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <map>
#include <string>

#include "core/FileSystem.h"
#include "support/TestSupport.h"

using namespace forgeline;

namespace {

std::string everyByte(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 256);
  return bytes;
}

}  // namespace

// The kernel copies where it can and plain reading takes over where it
// cannot: either way the copy holds every byte of its source, replaces what
// the name held before, and a source that cannot be copied leaves nothing.
TEST(FileCopy, HoldsEveryByteOrNothing) {
  struct Case {
    const char* name;
    std::function<std::string(const std::string& dir)> source;  // makes it, gives its path
    bool copied;
  } cases[] = {
      {.name = "empty file",
       .source = [](const std::string& dir) { return test::writeFile(dir + "/in", ""), dir + "/in"; },
       .copied = true},
      {.name = "small file",
       .source = [](const std::string& dir) { return test::writeFile(dir + "/in", "one\r\ntwo"), dir + "/in"; },
       .copied = true},
      {.name = "file of several buffers",
       .source = [](const std::string& dir) { return test::writeFile(dir + "/in", everyByte(3 * 65536 + 5)), dir + "/in"; },
       .copied = true},
#ifdef __linux__
      // Its size reads as 0 although it has content.
      {.name = "kernel file", .source = [](const std::string&) { return std::string("/proc/version"); }, .copied = true},
#endif
#ifndef _WIN32
      // Windows has no named pipe in a folder.
      {.name = "pipe",
       .source =
           [](const std::string& dir) {
             ::mkfifo((dir + "/in").c_str(), 0644);
             return dir + "/in";
           },
       .copied = false},
#endif
      {.name = "folder",
       .source = [](const std::string& dir) { return test::makeDirectory(dir + "/in"), dir + "/in"; },
       .copied = false},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    const std::string source = c.source(dir.path());
    test::writeFile(dir / "out/copy", "an earlier and much longer content than any source's\r\n");
    std::map<std::string, std::string> expected = test::snapshotTree(dir / "out");
    if (c.copied) expected["copy"] = test::readFile(source);
    RealFileSystem fs(dir / "out");
    EXPECT_EQ(fs.copyFile(source, "copy"), c.copied) << c.name;
    EXPECT_EQ(test::snapshotTree(dir / "out"), expected) << c.name;
  }
}
