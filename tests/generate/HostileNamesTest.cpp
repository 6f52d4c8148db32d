// Project names are typed by people, and earlier projects sit beside the
// new one. Every build here runs on the real disk, in a main folder inside a
// larger temporary tree that is compared before and after: the build may add
// its one new project folder inside the main folder and nothing else.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/WizardHarness.h"

using namespace forgeline;
using namespace forgeline::test;

namespace {

using Tree = std::map<std::string, std::string>;

const std::string kRefusedOutcome =
    "msg=That name cannot be used as a folder name. Please try a different project name.|new=";
const std::string kTakenOutcome =
    "msg=That project folder exists already. Please try a different project name.|new=";

std::string builtOutcome(const std::string& folder) {
  return "msg=CodeWarrior 6.3 Project created successfully. Will now exit GUI.|ended|new=" + printable(folder) + " ";
}

// The outer folder holds a file and a folder of its own beside main/, which
// holds KeyFiles, an earlier project, a loose file and a link that leads out
// of the main folder: everything a careless name could reach.
std::unique_ptr<WizardHarness> workshop(const std::string& keyFile = kDemo08) {
  auto w = std::make_unique<WizardHarness>(Tree{{"MCU_DEMO08.txt", keyFile}}, std::vector<std::string>{"DEMO08"},
                                           "main", WizardHarness::Disk::real);
  writeFile(*w->dir / "outside.txt", "outside\n");
  makeDirectory(*w->dir / "x");
  w->addFile("Earlier/Sources/main.c", "earlier main.c\r\n");
  w->addFile("Earlier/Earlier.mcp", "earlier project\r\n");
  w->addFile("notes.txt", "notes\n");
#ifdef _WIN32
  // Wine makes no links; a plain folder keeps the name "out" taken.
  w->addDirectory("out");
#else
  makeSymlink(*w->dir / "x", w->root + "/out");
#endif
  return w;
}

// DEMO08 chosen, ADC ticked (the uses rule joins ICS), `name` built. Gives
// the messages shown, "ended" when the dialog closed, and the new entries of
// the main folder.
std::string build(WizardHarness& w, const std::string& name) {
  w.clickMcu(0);
  w.clickModule(2);
  const Tree before = w.tree();
  w.build(name);
  EXPECT_EQ(w.fs.currentDirectory(), w.keyFiles());
  std::string out;
  for (const ShownMessage& message : w.dialog.messages()) out += "msg=" + message.text + "|";
  if (w.dialog.ended()) out += "ended|";
  out += "new=";
  for (const auto& [path, content] : w.tree())
    if (!before.contains(path) && path.find('/') == std::string::npos) out += printable(path) + " ";
  return out;
}

Tree everything(const WizardHarness& w) { return snapshotTree(w.dir->path()); }

TEST(HostileNames, EveryNameStaysInsideTheMainFolderAndKeyFilesStaysByteIdentical) {
  std::string umlauts60;
  for (int i = 0; i < 60; ++i) umlauts60 += "\xC3\xA4";
  const std::string grosse = "Projekt-Gr\xC3\xB6\xC3\x9F" "e";
  // The name typed and the project folder the build makes; none: refused,
  // as a name no folder can carry, or as taken. "Earlier" is refused rather
  // than written into: its main.c and .mcp would otherwise be overwritten,
  // which the tree comparison sees.
  struct Row {
    std::string name;
    std::string folder;
    bool taken = false;
  };
  const std::vector<Row> rows = {
      {"../x", ""}, {"/tmp/x", ""}, {"a/b", ""}, {"a\\b", ""}, {"..", ""}, {".", ""}, {"", ""}, {"../../x", ""},
      {"..\\outside.txt", ""}, {"Earlier", "", true}, {"KeyFiles", "", true}, {"notes.txt", "", true},
      {"out", "", true},
      {std::string(300, 'a'), std::string(50, 'a')},
      {std::string(50, 'b') + "/../../x", std::string(50, 'b')},
      {std::string(49, 'c') + "/x", ""},
      {"%s%n%x", "%s%n%x"}, {"-rf", "-rf"}, {"--help", "--help"}, {"..x", "..x"}, {"a b", "a b"},
      {grosse, grosse}, {umlauts60, umlauts60.substr(0, 100)},
      // What Windows cannot hold is refused everywhere (ProjectName's own test
      // has every such rule); a few here prove the build asks.
      {"new\nline", ""}, {"x.", ""}, {"a:b", ""}, {"C:", ""}, {"com9.mcp", ""},
      {"CONSOLE", "CONSOLE"},
  };
  const bool tmpXExisted = exists("/tmp/x");
  for (const auto& [name, folder, taken] : rows) {
    SCOPED_TRACE("name \"" + printable(name) + "\"");
    auto w = workshop();
    const Tree before = everything(*w);
    EXPECT_EQ(build(*w, name), taken ? kTakenOutcome : folder.empty() ? kRefusedOutcome : builtOutcome(folder));
    // Additions only in the new folder: KeyFiles stays byte-identical too.
    EXPECT_EQ(changesOutside(before, everything(*w), folder.empty() ? "" : "main/" + folder), "");
    if (folder.empty()) continue;
    // A long name is cut for the folder, the template's copy and main.c alike.
    EXPECT_TRUE(w->has(folder + "/" + folder + ".mcp"));
    EXPECT_TRUE(w->read(folder + "/Sources/main.c").starts_with("// " + folder + "  5Dec26\r\n"));
  }
  EXPECT_EQ(exists("/tmp/x"), tmpXExisted);
}

// A menu name is read from a key file that may come from anyone. One that
// holds a separator, or a NUL that would cut ".mcp" off, never finds a
// template: the copy fails as for a missing one, and the project holds no
// file from outside KeyFiles.
TEST(HostileNames, AMenuNameNeverReachesATemplateOutsideKeyFiles) {
  using namespace std::string_literals;
  const std::string missingTemplate = "msg=Error 20: Could not copy MCP file.|new=Second ";
  // Each menu name with the file it would have copied, below the outer folder.
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"../notes", "main/notes.mcp"},
      {"../../stolen", "stolen.mcp"},
      {"../../outside.txt\0"s, "outside.txt"},
      {"../../outside.txt\0tail"s, "outside.txt"},
      {"sub/inner", "main/KeyFiles/sub/inner.mcp"},
      {"..\\notes", "main/KeyFiles/..\\notes.mcp"},
      {"DEMO08\0"s, "main/KeyFiles/DEMO08"},
  };
  for (const auto& [menu, reachable] : rows) {
    SCOPED_TRACE("MenuName=" + printable(menu));
    std::string keyFile = kDemo08;
    auto w = workshop(keyFile.replace(keyFile.find("DEMO08\n"), 6, menu));
    writeFile(*w->dir / reachable, "not a template of this MCU\n");
    const Tree before = everything(*w);
    EXPECT_EQ(build(*w, "Second"), missingTemplate);
    const Tree after = everything(*w);
    EXPECT_EQ(changesOutside(before, after, "main/Second"), "");
    for (const auto& [path, content] : after)
      if (path.starts_with("main/Second/")) { EXPECT_NE(content, "not a template of this MCU\n") << path; }
  }
}

// Someone who can write in the main folder swaps a folder of the new
// project for a link, or plants a link where a file is about to go, between
// two steps of the build. Nothing that appeared after the build made its
// folder is followed: the step fails with its own message, or the file
// lands in the folder the build made (now under another name) or replaces
// the planted link, and nothing outside the project changes.
TEST(HostileNames, ALinkSwappedInDuringTheBuildLeadsNowhere) {
  FORGELINE_SKIP_WITHOUT_LINKS_AND_PIPES();
  struct Swap {
    FsOp before;
    const char* call;     // the argument of the call the swap comes before
    const char* replaced;  // below main/: a folder moved aside (or a file) for a link
    const char* shown;
  };
  const std::string built = "CodeWarrior 6.3 Project created successfully. Will now exit GUI.|ended";
  const Swap swaps[] = {
      {FsOp::changeDirectory, "Second", "Second", "Error 02: Could not move back to main folder."},
      {FsOp::createDirectory, "cmd", "Second/cmd", "Error 06: Could not create cmd folder."},
      {FsOp::changeDirectory, "bin", "Second/bin", "Error 04: Could not move to bin folder."},
      {FsOp::changeDirectory, "Sources", "Second/Sources", "Error 15: Could not move to Sources folder."},
      {FsOp::openForWriting, "Project.Map", "Second/bin", built.c_str()},
      {FsOp::copyFile, "burner.bbl", "Second/prm/burner.bbl", built.c_str()},
      {FsOp::openForWriting, "main.c", "Second/Sources/main.c", built.c_str()},
      {FsOp::copyFile, "Second.mcp", "Second/Second.mcp", built.c_str()},
  };
  for (const Swap& swap : swaps) {
    SCOPED_TRACE(std::string("link at ") + swap.replaced + " before the call on " + swap.call);
    auto w = workshop();
    const Tree before = everything(*w);
    const std::string replaced = w->root + "/" + swap.replaced;
    const std::string outside = std::string(swap.replaced).find('.') == std::string::npos ? "x" : "outside.txt";
    w->faulty.beforeCall(swap.before, swap.call, [&] {
      // The project folder itself is still empty and goes; a subfolder is
      // moved aside within the project.
      if (std::string(swap.replaced) == "Second") {
        EXPECT_EQ(::rmdir(replaced.c_str()), 0);
      } else if (exists(replaced)) {
        EXPECT_EQ(::rename(replaced.c_str(), (replaced + ".moved").c_str()), 0);
      }
      makeSymlink(*w->dir / outside, replaced);
    });
    EXPECT_EQ(build(*w, "Second"), std::string("msg=") + swap.shown + "|new=Second ");
    EXPECT_EQ(changesOutside(before, everything(*w), "main/Second"), "");
  }
}

}  // namespace
