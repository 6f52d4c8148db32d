// Which folder the wizard starts in.
#include <gtest/gtest.h>

#include "session/StartFolder.h"
#include "support/TestSupport.h"

namespace forgeline {
namespace {

// A project folder with KeyFiles, one without, and a KeyFiles that is gone:
// on the real disk, which is what the start-up asks before any wizard opens.
TEST(StartFolder, KeyFilesItselfStandsForTheFolderAroundIt) {
  test::TempDir dir;
  for (const char* folder : {"project", "project/KeyFiles", "plain", "plain/KeyFiles.d"})
    test::makeDirectory(dir / folder);
  struct Row {
    std::string picked;
    bool holds;
    std::string startsIn;
  } rows[] = {
      {dir / "project", true, dir / "project"},
      {dir / "project/KeyFiles", false, dir / "project"},
      {dir / "project/KeyFiles/", false, dir / "project"},
      {dir / "plain", false, dir / "plain"},
      {dir / "plain/KeyFiles.d", false, dir / "plain/KeyFiles.d"},
      {dir / "missing/KeyFiles", false, dir / "missing/KeyFiles"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(holdsKeyFiles(row.picked), row.holds) << row.picked;
    EXPECT_EQ(startFolderFor(row.picked), row.startsIn) << row.picked;
  }
}

}  // namespace
}  // namespace forgeline
