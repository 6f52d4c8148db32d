// Which folder the wizard starts in, and the red lines every face shows.
#include <gtest/gtest.h>

#include "core/Wizard.h"
#include "session/StartFolder.h"
#include "session/WizardSession.h"
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

// The warning needs two ticked modules; the description stands alone.
TEST(WizardNotes, TheWarningFollowsTwoOrMoreTickedModules) {
  const auto state = WizardState::createInLargePages();
  state->descriptionText = "Reads channel 0";
  for (int chosen : {0, 1, 2, 3}) {
    state->chosenCount = chosen;
    const WizardNotes notes = notesFor(*state);
    EXPECT_EQ(notes.description, "Reads channel 0");
    EXPECT_EQ(notes.warning, chosen >= 2 ? kMultipleModulesWarning : "") << chosen;
  }
}

}  // namespace
}  // namespace forgeline
