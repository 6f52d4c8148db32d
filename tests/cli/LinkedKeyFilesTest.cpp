// KeyFiles is often a link to one shared library of key files. The project
// is made in the folder the command was given, beside the link, never
// beside the library; a failed build leaves its pieces there too.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "support/TestSupport.h"

using namespace forgeline;
using namespace forgeline::test;

TEST(LinkedKeyFiles, TheProjectAppearsWhereTheCommandWasGiven) {
  FORGELINE_SKIP_WITHOUT_LINKS_AND_PIPES();
  const std::string built = "forgeline-cli: CodeWarrior 6.3 Project created successfully. Will now exit GUI.\n";
  const std::string error12 = "forgeline-cli: Error 12: Could not copy 'burner.bbl' file.\n";
  struct Row {
    std::string library;  // the link's target, below the temporary folder
    std::string folder;   // the -C argument, from the temporary folder
    bool withBurner = true;
  } rows[] = {
      {.library = "library/KeyFiles", .folder = "ws"},
      {.library = "library/shared", .folder = "ws"},
      {.library = "library/KeyFiles", .folder = "ws/KeyFiles/.."},
      {.library = "library/shared", .folder = "ws", .withBurner = false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("KeyFiles -> " + row.library + ", -C " + row.folder + (row.withBurner ? "" : ", no burner.bbl"));
    TempDir dir;
    writeTwoMcuKeyFiles(dir / "staging");
    makeDirectory(dir / "library");
    std::filesystem::rename(dir / "staging/KeyFiles", dir / row.library);
    if (!row.withBurner) std::filesystem::remove(dir / (row.library + "/burner.bbl"));
    makeDirectory(dir / "ws");
    makeSymlink(dir / row.library, dir / "ws/KeyFiles");
    const auto library = snapshotTree(dir / "library");

    CliResult result =
        runCliProgram({"-C", row.folder, "build", "DEMO08", "--name", "P", "--date", "2024-12-06"}, dir.path());
    EXPECT_EQ(result.err, row.withBurner ? built : error12);
    EXPECT_EQ(result.status, row.withBurner ? 0 : 1);
    EXPECT_EQ(exists(dir / "ws/P/bin/Project.Map"), true);
    EXPECT_EQ(exists(dir / "ws/P/P.mcp"), row.withBurner);
    EXPECT_EQ(snapshotTree(dir / "library"), library);
  }
}
