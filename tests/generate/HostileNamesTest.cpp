// Project names are typed by people, and earlier projects sit beside the
// new one. Every build here runs for real on disk, in a main folder that
// lies inside a larger temporary tree, and the whole tree is compared before
// and after: the build may add its one new project folder inside the main
// folder and nothing else, KeyFiles stays byte-identical, and no file that
// was there before is changed or lost.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DialogModel.h"
#include "core/Wizard.h"
#include "session/WizardSession.h"
#include "generate/ProjectBuilder.h"
#include "support/TestSupport.h"

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
#ifdef _WIN32
    // Wine makes no links; a plain folder keeps the name "out" taken.
    makeDirectory(main() + "/out");
#else
    makeSymlink(dir / "x", main() + "/out");
#endif
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
    const FixedClock clock({6, 12, 2024});
    WizardSession session(dialog, fs, clock);
    session.open();
    session.chooseMcu(0);
    session.clickModule(2);
    session.typeProjectName(name);
    if (faults) faults(fs);

    const Tree before = snapshotTree(main());
    session.pressBuild();
    EXPECT_EQ(real.currentDirectory(), main() + "/KeyFiles");

    std::string out;
    for (const ShownMessage& message : dialog.messages()) out += "msg=" + message.text + "|";
    if (dialog.ended()) out += "ended|";
    out += "new=";
    for (const auto& [path, content] : snapshotTree(main()))
      if (!before.contains(path) && path.find('/') == std::string::npos) out += printable(path) + " ";
    return out;
  }

  Tree tree() const { return snapshotTree(dir.path()); }

  TempDir dir;
};

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
    Workshop shop;
    const Tree before = shop.tree();
    EXPECT_EQ(shop.build(name), taken ? kTakenOutcome : folder.empty() ? kRefusedOutcome : builtOutcome(folder));
    // The only place additions may go is the new folder, so this also keeps
    // KeyFiles byte-identical.
    EXPECT_EQ(changesOutside(before, shop.tree(), folder.empty() ? "" : "main/" + folder), "");
    if (folder.empty()) continue;
    // A long name is cut for the folder, the template's copy and main.c alike.
    EXPECT_TRUE(exists(shop.main() + "/" + folder + "/" + folder + ".mcp"));
    EXPECT_TRUE(readFile(shop.main() + "/" + folder + "/Sources/main.c").starts_with("// " + folder + "  6Dec24\r\n"));
  }
  EXPECT_EQ(exists("/tmp/x"), tmpXExisted);
}

// A menu name is read from a key file that may come from anyone. One that
// holds a separator, or a NUL that would cut ".mcp" off, never finds a
// template: the copy fails as for a missing one, and the project holds no
// file from outside KeyFiles.
TEST(HostileNames, AMenuNameNeverReachesATemplateOutsideKeyFiles) {
  using namespace std::string_literals;
  const std::string demo = kDemo08;
  const std::string missingTemplate = "msg=Error 20: Could not copy MCP file.|new=Second ";
  // Each menu name with the file it would have copied, relative to the
  // workshop's root.
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
    Workshop shop;
    std::string keyFile = demo;
    keyFile.replace(keyFile.find("DEMO08\n"), 6, menu);
    writeFile(shop.main() + "/KeyFiles/MCU_DEMO08.txt", keyFile);
    writeFile(shop.dir / reachable, "not a template of this MCU\n");
    const Tree before = shop.tree();
    EXPECT_EQ(shop.build("Second"), missingTemplate);
    const Tree after = shop.tree();
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
    Workshop shop;
    const Tree before = shop.tree();
    const std::string replaced = shop.main() + "/" + swap.replaced;
    const std::string outside = std::string(swap.replaced).find('.') == std::string::npos ? "x" : "outside.txt";
    const std::string outcome = shop.build("Second", [&](FaultyFileSystem& fs) {
      fs.beforeCall(swap.before, swap.call, [&] {
        // The project folder itself is still empty and goes; a subfolder is
        // moved aside within the project.
        if (std::string(swap.replaced) == "Second") {
          EXPECT_EQ(::rmdir(replaced.c_str()), 0);
        } else if (exists(replaced)) {
          EXPECT_EQ(::rename(replaced.c_str(), (replaced + ".moved").c_str()), 0);
        }
        makeSymlink(shop.dir / outside, replaced);
      });
    });
    EXPECT_EQ(outcome, std::string("msg=") + swap.shown + "|new=Second ");
    EXPECT_EQ(changesOutside(before, shop.tree(), "main/Second"), "");
  }
}

}  // namespace
