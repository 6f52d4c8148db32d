// A report that cannot reach standard output (a full disk, a closed
// descriptor) makes every command fail with one line on standard error that
// says why, instead of claiming "done" for output nobody will see.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "support/TestSupport.h"

using namespace forgeline;
using namespace forgeline::test;

TEST(LostOutput, EveryCommandThatPrintsExitsOneWithOneLine) {
  struct Row {
    std::vector<std::string> args;
    std::string errBefore = {};  // what the command says on standard error before the output check
  };
  const std::string built = "forgeline-cli: CodeWarrior 6.3 Project created successfully. Will now exit GUI.\n";
  const Row rows[] = {
      {.args = {"list"}},
      {.args = {"show", "#1", "--click", "KBI"}},
      {.args = {"check"}},
      {.args = {"check", "--format=sarif"}},
      {.args = {"--help"}},
      {.args = {"--version"}},
      {.args = {"build", "#1", "--name", "P", "--date", "2024-12-06", "--dry-run"}, .errBefore = built},
  };
  for (StandardOutput output : {StandardOutput::full, StandardOutput::closed}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(describe(row.args) + (output == StandardOutput::full ? " >/dev/full" : " >&-"));
      TempDir dir;
      writeTwoMcuKeyFiles(dir / "main");
      const auto before = snapshotTree(dir.path());
      CliResult result = runCliProgram(row.args, dir / "main", output);
      EXPECT_EQ(result.status, 1);
      ASSERT_TRUE(result.err.starts_with(row.errBefore)) << result.err;
      const std::string last = result.err.substr(row.errBefore.size());
      // With the system's reason, also after a report longer than any buffer.
      EXPECT_TRUE(last.starts_with("forgeline-cli: could not write to standard output: ")) << last;
      EXPECT_EQ(linesOf(last).size(), 1u) << last;
      EXPECT_EQ(changesOutside(before, snapshotTree(dir.path()), ""), "");
    }
  }
}
