// Project names are typed by people, and earlier projects sit beside the
// new one. Every build here runs for real on disk, in a main folder that
// lies inside a larger temporary tree, and the whole tree is compared before
// and after: the build may add its one new project folder inside the main
// folder and nothing else, KeyFiles stays byte-identical, and no file that
// was there before is changed or lost.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DialogModel.h"
#include "core/Wizard.h"
#include "generate/ProjectBuilder.h"
#include "support/TestSupport.h"

using namespace forgeline;
using namespace forgeline::test;

namespace {

using Tree = std::map<std::string, std::string>;

constexpr const char* kRefused = "That project folder exists already. Please try a different project name.";
constexpr const char* kSuccess = "CodeWarrior 6.3 Project created successfully. Will now exit GUI.";

// root/ holds a file and a folder of its own beside main/, which holds
// KeyFiles, an earlier project, a loose file and a link that leads out of
// the main folder: everything a careless name could reach.
struct Workshop {
  Workshop() {
    writeFile(dir / "outside.txt", "outside\n");
    makeDirectory(dir / "x");
    writeKeyFiles(main(), {{"MCU_DEMO08.txt", kDemo08}}, {"DEMO08"});
    writeFile(main() + "/Earlier/Sources/main.c", "earlier main.c\r\n");
    writeFile(main() + "/Earlier/Earlier.mcp", "earlier project\r\n");
    writeFile(main() + "/notes.txt", "notes\n");
    EXPECT_EQ(::symlink((dir / "x").c_str(), (main() + "/out").c_str()), 0);
  }

  std::string main() const { return dir / "main"; }

  // One run of the wizard on the main folder: DEMO08 chosen, ADC ticked
  // (the uses rule joins ICS), `name` typed, Build pressed, through a file
  // system that fails where `faults` says. Gives the messages shown,
  // "ended" when the dialog closed, and the new entries of the main folder.
  std::string build(const std::string& name, const std::function<void(FaultyFileSystem&)>& faults = {}) {
    RealFileSystem real(main());
    FaultyFileSystem fs(real);
    DialogModel dialog;
    auto state = std::make_unique<WizardState>();
    initialiseWizard(*state, dialog, fs);
    loadMcuDescription(*state, dialog, fs, 0, LoadMode::previewMode);
    dialog.setMarked(moduleBox(2), true);
    toggleModule(*state, dialog, 2);
    dialog.setProjectNameText(name);
    if (faults) faults(fs);

    const Tree before = snapshotTree(main());
    buildProject(*state, dialog, fs, FixedClock({6, 12, 2024}));
    EXPECT_EQ(real.currentDirectory(), main() + "/KeyFiles");

    std::string out;
    for (const ShownMessage& message : dialog.messages()) out += "msg=" + message.text + "|";
    if (dialog.ended()) out += "ended|";
    out += "new=";
    for (const auto& [path, content] : snapshotTree(main()))
      if (!before.contains(path) && path.find('/') == std::string::npos) out += test::printable(path) + " ";
    return out;
  }

  TempDir dir;
};

// Everything of `before` is still in `after`, unchanged; every addition lies
// inside main/`folder`, and with an empty `folder` there is no addition.
void expectOnlyAddedInside(const Tree& before, const Tree& after, const std::string& folder,
                           const std::string& context) {
  for (const auto& [path, content] : before) {
    auto found = after.find(path);
    if (found == after.end()) {
      ADD_FAILURE() << context << ": lost " << test::printable(path);
    } else if (found->second != content) {
      ADD_FAILURE() << context << ": changed " << test::printable(path);
    }
  }
  const std::string inside = "main/" + folder;
  for (const auto& [path, content] : after) {
    if (before.contains(path)) continue;
    const bool allowed = !folder.empty() && (path == inside || path.starts_with(inside + "/"));
    if (!allowed) ADD_FAILURE() << context << ": added " << test::printable(path);
  }
}

Tree keyFilesOf(const Tree& tree) {
  Tree keyFiles;
  for (const auto& [path, content] : tree)
    if (path.starts_with("main/KeyFiles")) keyFiles.emplace(path, content);
  return keyFiles;
}

struct NameRow {
  std::string name;
  std::string expected;  // the messages, "ended" and the new entries of the main folder
  std::string folder;    // the project folder the build may make; empty: none
};

const std::string kRefusedOutcome = std::string("msg=") + kRefused + "|new=";

std::string builtOutcome(const std::string& folder) {
  return std::string("msg=") + kSuccess + "|ended|new=" + test::printable(folder) + " ";
}

TEST(HostileNames, EveryNameStaysInsideTheMainFolderAndKeyFilesStaysByteIdentical) {
  const std::string umlaut = "\xC3\xA4";
  std::string umlauts60;
  for (int i = 0; i < 60; ++i) umlauts60 += umlaut;
  const std::vector<NameRow> rows = {
      {"../x", kRefusedOutcome, ""},
      {"/tmp/x", kRefusedOutcome, ""},
      {"a/b", kRefusedOutcome, ""},
      {"a\\b", kRefusedOutcome, ""},
      {"..", kRefusedOutcome, ""},
      {".", kRefusedOutcome, ""},
      {"", kRefusedOutcome, ""},
      {"../../x", kRefusedOutcome, ""},
      {"..\\outside.txt", kRefusedOutcome, ""},
      {"Earlier", kRefusedOutcome, ""},
      {"KeyFiles", kRefusedOutcome, ""},
      {"notes.txt", kRefusedOutcome, ""},
      {"out", kRefusedOutcome, ""},
      {std::string(300, 'a'), builtOutcome(std::string(50, 'a')), std::string(50, 'a')},
      {std::string(50, 'b') + "/../../x", builtOutcome(std::string(50, 'b')), std::string(50, 'b')},
      {std::string(49, 'c') + "/x", kRefusedOutcome, ""},
      {"%s%n%x", builtOutcome("%s%n%x"), "%s%n%x"},
      {"new\nline", builtOutcome("new\nline"), "new\nline"},
      {"carriage\rreturn", builtOutcome("carriage\rreturn"), "carriage\rreturn"},
      {"tab\tbed", builtOutcome("tab\tbed"), "tab\tbed"},
      {"-rf", builtOutcome("-rf"), "-rf"},
      {"--help", builtOutcome("--help"), "--help"},
      {"...", builtOutcome("..."), "..."},
      {" ", builtOutcome(" "), " "},
      {"Projekt-Gr\xC3\xB6\xC3\x9F" "e", builtOutcome("Projekt-Gr\xC3\xB6\xC3\x9F" "e"),
       "Projekt-Gr\xC3\xB6\xC3\x9F" "e"},
      {umlauts60, builtOutcome(umlauts60.substr(0, 100)), umlauts60.substr(0, 100)},
  };
  const bool tmpXExisted = exists("/tmp/x");
  for (const NameRow& row : rows) {
    const std::string context = "name \"" + test::printable(row.name) + "\"";
    SCOPED_TRACE(context);
    Workshop shop;
    const Tree before = snapshotTree(shop.dir.path());
    EXPECT_EQ(shop.build(row.name), row.expected) << context;
    const Tree after = snapshotTree(shop.dir.path());
    expectOnlyAddedInside(before, after, row.folder, context);
    EXPECT_EQ(keyFilesOf(after), keyFilesOf(before)) << context;
    if (!row.folder.empty()) {
      EXPECT_TRUE(exists(shop.main() + "/" + row.folder + "/" + row.folder + ".mcp")) << context;
    }
  }
  EXPECT_EQ(exists("/tmp/x"), tmpXExisted);
}

TEST(HostileNames, AnExistingFolderOfTheSameNameIsNeverWrittenInto) {
  Workshop shop;
  writeFile(shop.main() + "/Taken/prm/Project.prm", "hand-tuned\r\n");
  const Tree before = snapshotTree(shop.dir.path());
  EXPECT_EQ(shop.build("Taken"), kRefusedOutcome);
  EXPECT_EQ(snapshotTree(shop.dir.path()), before);
}

// The build fails at each place it can fail; whatever it leaves behind lies
// inside its own new folder, and the earlier project, KeyFiles and the tree
// around the main folder are as they were.
TEST(HostileNames, AFailedBuildLeavesEarlierProjectsUntouched) {
  struct Failure {
    FsOp op;
    const char* path;
    const char* message;
  };
  const std::vector<Failure> failures = {
      {FsOp::createDirectory, "bin", "Error 03: Could not create bin folder."},
      {FsOp::openForWriting, "Project.Map", "Could not create 'Project.Map'."},
      {FsOp::changeDirectory, "cmd", "Error 07: Could not move to cmd folder."},
      {FsOp::copyFile, "burner.bbl", "Error 12: Could not copy 'burner.bbl' file."},
      {FsOp::write, "main.c", "Could not write 'main.c'."},
      {FsOp::copyFile, "Start08.c", "Error 16b: Could not copy 'Start08.c'."},
      {FsOp::copyFile, "Default.mem", "Error 19: Could not copy 'Default.mem'."},
      {FsOp::copyFile, "Second.mcp", "Error 20: Could not copy MCP file."},
  };
  for (const Failure& failure : failures) {
    SCOPED_TRACE(failure.message);
    Workshop shop;
    const Tree before = snapshotTree(shop.dir.path());
    EXPECT_EQ(shop.build("Second", [&](FaultyFileSystem& fs) { fs.failOn(failure.op, failure.path); }),
              std::string("msg=") + failure.message + "|new=Second ");
    const Tree after = snapshotTree(shop.dir.path());
    expectOnlyAddedInside(before, after, "Second", failure.message);
  }
}

TEST(HostileNames, AMainSourceThatCannotBeCreatedEndsTheWizardAndLosesNothing) {
  Workshop shop;
  const Tree before = snapshotTree(shop.dir.path());
  EXPECT_EQ(shop.build("Second", [](FaultyFileSystem& fs) { fs.failOn(FsOp::openForWriting, "main.c"); }),
            "msg=Could not create 'main.c'. Please close file.|ended|new=Second ");
  expectOnlyAddedInside(before, snapshotTree(shop.dir.path()), "Second", "main.c not created");
}

// Moving up out of KeyFiles fails: the project folder is then made inside
// KeyFiles, as an empty folder; no key file changes.
TEST(HostileNames, AFailedMoveOutOfKeyFilesChangesNoKeyFile) {
  Workshop shop;
  const Tree before = snapshotTree(shop.dir.path());
  EXPECT_EQ(shop.build("Second", [](FaultyFileSystem& fs) { fs.failOn(FsOp::changeDirectory, ".."); }),
            "msg=Error 01: Could not move back to main folder.|new=");
  Tree expected = before;
  expected["main/KeyFiles/Second"] = "<dir>";
  EXPECT_EQ(snapshotTree(shop.dir.path()), expected);
}

TEST(HostileNames, ASecondBuildNeverModifiesTheFirstProject) {
  Workshop shop;
  EXPECT_EQ(shop.build("First"), builtOutcome("First"));
  const Tree afterFirst = snapshotTree(shop.dir.path());

  EXPECT_EQ(shop.build("Second"), builtOutcome("Second"));
  expectOnlyAddedInside(afterFirst, snapshotTree(shop.dir.path()), "Second", "second build");

  const Tree afterSecond = snapshotTree(shop.dir.path());
  EXPECT_EQ(shop.build("First"), kRefusedOutcome);
  EXPECT_EQ(snapshotTree(shop.dir.path()), afterSecond);
}

}  // namespace
