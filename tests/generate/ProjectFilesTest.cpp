// The writers' own cases; Project.Map, the command files, the settings files
// and derivative.h of both families are checked byte for byte by the builds.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/MemoryFileSystem.h"
#include "core/WizardState.h"
#include "generate/ProjectFiles.h"

using namespace forgeline;

TEST(ProjectFiles, PrmFileIsTheStoredLinesBackToBack) {
  struct Case {
    std::vector<std::string> lines;
    std::string file;
  } cases[] = {
      {{"NAMES END\n", "SEGMENTS\n", "END\n"}, "NAMES END\r\nSEGMENTS\r\nEND\r\n"},
      {{"NAMES END\n", "END"}, "NAMES END\r\nEND"},
      {{"a piece without its end, ", "and the rest\n"}, "a piece without its end, and the rest\r\n"},
      {{"STACKSIZE 0x50 // 100% of it\n"}, "STACKSIZE 0x50 // 100% of it\r\n"},
      {{"\n"}, "\r\n"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    auto state = std::make_unique<WizardState>();
    for (const std::string& line : c.lines)
      state->prmLines[static_cast<std::size_t>(state->prmLineCount++)] = state->prmLineText.keep(line);
    state->prmLines[static_cast<std::size_t>(state->prmLineCount)] = "beyond the count\n";
    EXPECT_TRUE(writePrmFile(*state, fs).ok());
    EXPECT_EQ(fs.snapshot()["/Project.prm"], c.file) << c.lines.size() << " lines";
  }
}
