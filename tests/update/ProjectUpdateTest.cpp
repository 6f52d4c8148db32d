#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/MemoryFileSystem.h"
#include "session/WizardSession.h"
#include "support/TestSupport.h"
#include "update/ProjectUpdate.h"

using namespace forgeline;

namespace {

const char* const kMainSource = "/Blinky/Sources/main.c";
const char* const kKeyFile = "/KeyFiles/MCU_NOVA16.txt";

// The example KeyFiles, in memory, beside which projects are built.
struct Examples {
  MemoryFileSystem disk;
  Examples() {
    const std::string from = std::string(std::getenv("FORGELINE_SOURCE_DIR")) + "/examples/KeyFiles";
    for (const auto& entry : std::filesystem::directory_iterator(from))
      disk.addFile("/KeyFiles/" + entry.path().filename().string(), test::readFile(entry.path().string()));
  }

  // Builds Blinky on the S08-NOVA16 with the boxes clicked in order.
  void build(const std::vector<std::string>& clicks) {
    const FixedClock clock({5, 12, 2026});
    WizardSession session(disk, clock);
    ASSERT_TRUE(session.open());
    ASSERT_TRUE(session.chooseMcu(1));
    for (const std::string& box : clicks)
      for (int i = 0; i < kMaxModules; ++i)
        if (session.control(moduleBox(i)).caption == box) session.clickModule(i);
    session.typeProjectName("Blinky");
    ASSERT_TRUE(session.pressBuild());
    disk.changeDirectory("/");
  }

  // What the update tells is kept in `told`.
  UpdateOutcome update(const std::vector<BoxChange>& changes = {}) {
    std::ostringstream out;
    const UpdateOutcome outcome = updateProject(disk, {"Blinky", changes, false}, out);
    told = out.str();
    return outcome;
  }
  std::string told;

  std::string read(const std::string& path) { return readWholeFile(disk, path).value_or("<missing>"); }
  void replace(const std::string& path, const std::string& from, const std::string& to) {
    std::string bytes = read(path);
    ASSERT_NE(bytes.find(from), std::string::npos) << from;
    disk.addFile(path, bytes.replace(bytes.find(from), from.size(), to));
  }
};

// The user's own lines in three places: an include, a global and a line in
// a function body, each away from where the modules put theirs.
std::string withUserLines(std::string text) {
  const std::pair<const char*, const char*> edits[] = {
      {"#include \"derivative.h\"\r\n", "#include <string.h> /* mine */\r\n#include \"derivative.h\"\r\n"},
      {"volatile unsigned int tpmMilliseconds;\r\n",
       "static unsigned char myCounter; /* mine */\r\nvolatile unsigned int tpmMilliseconds;\r\n"},
      {"  PTBD ^= LED_MASK;\r\n", "  PTBD ^= LED_MASK;\r\n  myCounter++; /* mine */\r\n"},
  };
  for (const auto& [from, to] : edits) {
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, std::string(from).size(), to);
  }
  return text;
}

// One line of LED's code in the key file, and its fix.
const char* const kToggleKeyLine = "  PTBD ^= LED_MASK;\n";
const char* const kFixedToggleKeyLine = "  PTBD ^= (unsigned char)LED_MASK;\n";
// A fix away from the user's lines.
const char* const kDirectionKeyLine = "  PTBDD |= LED_MASK;\n";
const char* const kFixedDirectionKeyLine = "  PTBDD |= (unsigned char)LED_MASK;\n";

}  // namespace

// A changed line in a module's section reaches a project nobody edited byte
// for byte, and an edited one by merge.
TEST(ProjectUpdate, AKeyFileFixReachesEditedAndUneditedProjects) {
  Examples fixed;
  fixed.replace(kKeyFile, kDirectionKeyLine, kFixedDirectionKeyLine);
  fixed.build({"LED"});
  const std::string fresh = fixed.read(kMainSource);
  for (const bool edited : {false, true}) {
    Examples project;
    project.build({"LED"});
    if (edited) project.disk.addFile(kMainSource, withUserLines(project.read(kMainSource)));
    const std::string cmdBefore = project.read("/Blinky/cmd/BDM_P&E_Multilink_CyclonePro_Reset.cmd");
    project.replace(kKeyFile, kDirectionKeyLine, kFixedDirectionKeyLine);
    EXPECT_EQ(project.update().status, UpdateStatus::clean) << edited;
    EXPECT_EQ(project.told, edited ? "merged Sources/main.c\n" : "updated Sources/main.c\n");
    EXPECT_EQ(project.read(kMainSource), edited ? withUserLines(fresh) : fresh) << edited;
    EXPECT_EQ(project.read("/Blinky/cmd/BDM_P&E_Multilink_CyclonePro_Reset.cmd"), cmdBefore);
    EXPECT_EQ(project.read("/Blinky/.forgeline/base/Sources/main.c"), fresh) << edited;
  }
}

// A copied template is renewed when KeyFiles has a new one and the project's
// copy is as it was copied; one changed in the project is left and told.
TEST(ProjectUpdate, ATemplateIsRenewedOnlyWhereTheProjectLeftItAlone) {
  for (const bool changedInProject : {false, true}) {
    Examples project;
    project.build({"LED"});
    if (changedInProject) project.disk.addFile("/Blinky/Blinky.mcp", "saved by the IDE\r\n");
    project.disk.addFile("/KeyFiles/S08-NOVA16.mcp", "a new template\r\n");
    EXPECT_EQ(project.update().status, UpdateStatus::clean);
    EXPECT_EQ(project.told, changedInProject ? "kept Blinky.mcp\n" : "updated Blinky.mcp\n");
    EXPECT_EQ(project.read("/Blinky/Blinky.mcp"), changedInProject ? "saved by the IDE\r\n" : "a new template\r\n");
    EXPECT_EQ(project.update().status, UpdateStatus::clean);
    EXPECT_EQ(project.told, "") << "told once, not at every update";
  }
}

// Whatever stops an update before it starts, the project stays as it was.
TEST(ProjectUpdate, AWrongRecordKeyFileOrBoxTouchesNothing) {
  struct Case {
    const char* what;
    std::string recordFrom, recordTo;
    std::vector<BoxChange> changes;
    UpdateStatus status;
    std::string error;
  } cases[] = {
      {"a newer format", "format = 1", "format = 2", {}, UpdateStatus::failed,
       "'Blinky': the record is of format 2, newer than this Forgeline reads (1)"},
      {"a missing key file", "MCU_NOVA16.txt", "MCU_GONE.txt", {}, UpdateStatus::failed,
       "the key file MCU_GONE.txt the project was built from is not in KeyFiles"},
      {"an unknown box", "", "", {{true, "ADX"}}, UpdateStatus::badUsage, "no module box matches 'ADX'"},
      {"a box past the last", "", "", {{true, "#6"}}, UpdateStatus::badUsage, "no module box matches '#6'"},
  };
  for (const Case& c : cases) {
    Examples project;
    project.build({"LED"});
    if (!c.recordFrom.empty()) project.replace("/Blinky/.forgeline/record.txt", c.recordFrom, c.recordTo);
    project.replace(kKeyFile, kToggleKeyLine, kFixedToggleKeyLine);
    const auto before = project.disk.snapshot();
    const UpdateOutcome outcome = project.update(c.changes);
    EXPECT_EQ(outcome.status, c.status) << c.what;
    EXPECT_EQ(outcome.error, c.error) << c.what;
    EXPECT_EQ(project.disk.snapshot(), before) << c.what;
  }
}

// The dry run writes nothing; the diff it prints is the README's transcript.
TEST(ProjectUpdate, TheDryRunWritesNothing) {
  Examples project;
  project.build({"LED"});
  project.replace(kKeyFile, kToggleKeyLine, kFixedToggleKeyLine);
  const auto before = project.disk.snapshot();
  std::ostringstream out;
  EXPECT_EQ(updateProject(project.disk, {"Blinky", {}, true}, out).status, UpdateStatus::clean);
  EXPECT_EQ(project.disk.snapshot(), before);
}

// The record replays the ticks in the order they were clicked, the first
// tick first, whatever the order of the boxes.
TEST(ProjectUpdate, TheRecordKeepsTheTicksInClickOrder) {
  Examples project;
  project.build({"SCI", "ADC", "LED"});
  const std::string record = project.read("/Blinky/.forgeline/record.txt");
  EXPECT_NE(record.find("\ntick = SCI\ntick = ADC\ntick = LED\nproject = Blinky\n"), std::string::npos) << record;
}
