#include "cli/RecordingFileSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MemoryFileSystem.h"

using namespace forgeline;
using cli::RecordingFileSystem;

// What the dry run prints and that it leaves the disk alone is checked end
// to end, and the overlay beneath it by the file-system contract; these are
// what only the dry run does.

// A template of any size costs the dry run nothing: a copy is remembered,
// not read, so reading it shows its source as it is then.
TEST(RecordingFileSystem, ACopyIsRememberedNotRead) {
  MemoryFileSystem disk;
  disk.addFile("/KeyFiles/DEMO08.mcp", "before");
  RecordingFileSystem fs(disk, [](const std::string&) {});
  ASSERT_TRUE(fs.copyFile("/KeyFiles/DEMO08.mcp", "/P.mcp"));
  ASSERT_TRUE(fs.copyFile("/P.mcp", "/Q.mcp"));
  disk.addFile("/KeyFiles/DEMO08.mcp", "after");
  EXPECT_EQ(readWholeFile(fs, "/Q.mcp"), "after");
}

// Over a disk of drive roots the report steps up to the root as from "/".
TEST(RecordingFileSystem, ReportsFromADriveRoot) {
  MemoryFileSystem disk("C:/");
  disk.addFile("C:/Keys/burner.bbl", "burner\r\n");
  disk.addDirectory("C:/Users/x");
  ASSERT_TRUE(disk.changeDirectory("C:/Users/x"));
  std::vector<std::string> report;
  RecordingFileSystem fs(disk, [&](const std::string& line) { report.push_back(line); });
  EXPECT_TRUE(fs.createDirectory("P") && fs.copyFile("/Keys/burner.bbl", "C:/Users/x/P/burner.bbl"));
  EXPECT_EQ(report, (std::vector<std::string>{"mkdir P", "copy ../../Keys/burner.bbl -> P/burner.bbl"}));
}
