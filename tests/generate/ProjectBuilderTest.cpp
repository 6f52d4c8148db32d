#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ExpectedFiles.h"
#include "support/WizardHarness.h"

using namespace forgeline;
using test::FsOp;
using test::WizardHarness;

namespace {

const char* const kAppName = "forgeline";
const char* const kFolderExists = "That project folder exists already. Please try a different project name.";
const char* const kSuccess = "CodeWarrior 6.3 Project created successfully. Will now exit GUI.";

ShownMessage plain(const std::string& text) { return {text, kAppName, MessageIcon::none}; }
ShownMessage folderExistsWarning() { return {kFolderExists, kWindowTitle, MessageIcon::warning}; }
ShownMessage refusedNameWarning() {
  return {"That name cannot be used as a folder name. Please try a different project name.", kWindowTitle,
          MessageIcon::warning};
}

// Everything under the main folder but KeyFiles and the project's record,
// whose own tests are with the update.
std::map<std::string, std::string> projectTree(const WizardHarness& wizard) {
  std::map<std::string, std::string> tree = wizard.tree();
  std::erase_if(tree, [](const auto& entry) {
    return entry.first.starts_with("KeyFiles") || entry.first.find("/.forgeline") != std::string::npos;
  });
  return tree;
}

// DEMO08 chosen and ADC ticked (which forces ICS on): the road of one build.
std::unique_ptr<WizardHarness> demoWizard(const std::string& subfolder = {},
                                          WizardHarness::Disk on = WizardHarness::Disk::memory) {
  auto wizard = std::make_unique<WizardHarness>(std::map<std::string, std::string>{{"MCU_DEMO08.txt", test::kDemo08}},
                                                std::vector<std::string>{"DEMO08"}, subfolder, on);
  wizard->clickMcu(0);
  wizard->clickModule(2);
  return wizard;
}

const std::string kDemoMainSource =
    expected::mainSource("// Blinky  5Dec26\r\n// ======\r\n",
                         {"#include \"derivative.h\"\r\n", "", "", "unsigned int adcValue;\r\n",
                          "void ICS_Init(void);\r\n", "  ICS_Init();\r\n  for (;;) { adcValue = ADC_Read(); }\r\n",
                          "void ICS_Init(void) { }\r\nunsigned int ADC_Read(void) { return 0; }\r\n", ""});

// The four command files, in name order: Postload, Preload, Reset, Startup.
const char* const kCommandText[] = {"// After load the commands written below will be executed\r\n",
                                    "// Before load the commands written below will be executed\r\n",
                                    "// After reset the commands written below will be executed\r\n",
                                    "// At startup the commands written below will be executed\r\n"};

// Every entry of a complete Blinky build, in the order the build makes them.
const std::vector<std::pair<std::string, std::string>> kDemoTree = {
    {"Blinky", "<dir>"},
    {"Blinky/bin", "<dir>"},
    {"Blinky/bin/Project.Map", "Placeholder.\r\n"},
    {"Blinky/cmd", "<dir>"},
    {"Blinky/cmd/BDM_P&E_Multilink_CyclonePro_Postload.cmd", kCommandText[0]},
    {"Blinky/cmd/BDM_P&E_Multilink_CyclonePro_Preload.cmd", kCommandText[1]},
    {"Blinky/cmd/BDM_P&E_Multilink_CyclonePro_Reset.cmd", kCommandText[2]},
    {"Blinky/cmd/BDM_P&E_Multilink_CyclonePro_Startup.cmd", kCommandText[3]},
    {"Blinky/prm", "<dir>"},
    {"Blinky/prm/burner.bbl", "burner template\r\n"},
    {"Blinky/prm/Project.prm",
     "NAMES END\r\n"
     "SEGMENTS\r\n"
     "    RAM = READ_WRITE 0x0080 TO 0x00FF;\r\n"
     "    ROM = READ_ONLY  0xE000 TO 0xFFAD;\r\n"
     "END\r\n"},
    {"Blinky/Sources", "<dir>"},
    {"Blinky/Sources/derivative.h", expected::derivativeHeader("<demo08.h>", true)},
    {"Blinky/Sources/main.c", kDemoMainSource},
    {"Blinky/Sources/Start08.c", "/* HCS08 start-up */\r\n"},
    {"Blinky/BDM_P&E_Multilink_CyclonePro.ini", expected::kHcs08Ini},
    {"Blinky/C_Layout.hwl", "layout template\r\n"},
    {"Blinky/Default.mem", "memory template\r\n"},
    {"Blinky/Blinky.mcp", "mcp of DEMO08\r\n"},
};

// The paths of kDemoTree up to and including `last`, sorted like a snapshot.
std::vector<std::string> demoPathsThrough(const std::string& last) {
  std::vector<std::string> paths;
  if (last.empty()) return paths;
  for (const auto& [path, bytes] : kDemoTree) {
    paths.push_back(path);
    if (path == last) break;
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

// On the real disk, in a deep folder, so that restoring the working
// directory cannot rely on a fixed-size buffer. The folders are open as far
// as the umask lets them, like any made by hand.
TEST(ProjectBuilder, FullBuildMakesExactlyTheProjectTree) {
  auto wizard = demoWizard(std::string(70, 'd') + "/" + std::string(70, 'e') + "/" + std::string(70, 'f'),
                           WizardHarness::Disk::real);
  ASSERT_GT(wizard->keyFiles().size(), 220u);
  const auto keyFilesBefore = wizard->tree("KeyFiles");
#ifndef _WIN32
  const mode_t umaskBefore = ::umask(027);
#endif
  wizard->build("Blinky");
#ifndef _WIN32
  ::umask(umaskBefore);
  for (const auto& [path, bytes] : kDemoTree) {
    struct stat info {};
    ASSERT_EQ(::stat((wizard->root + "/" + path).c_str(), &info), 0) << path;
    if (S_ISDIR(info.st_mode)) {
      EXPECT_EQ(info.st_mode & 07777, 0750u) << path;
    }
  }
#endif

  EXPECT_EQ(wizard->dialog.messages(), std::vector<ShownMessage>{plain(kSuccess)});
  EXPECT_TRUE(wizard->dialog.ended());
  EXPECT_FALSE(wizard->state->buildFailed);
  EXPECT_EQ(wizard->fs.currentDirectory(), wizard->keyFiles());
  EXPECT_EQ(projectTree(*wizard), (std::map<std::string, std::string>(kDemoTree.begin(), kDemoTree.end())));
  EXPECT_EQ(wizard->tree("KeyFiles"), keyFilesBefore);
}

// kKeyFiles in a fault's path stands for the KeyFiles folder of the test.
TEST(ProjectBuilder, FailingStepShowsItsMessageAndSkipsTheRest) {
  const std::string kKeyFiles = "<KeyFiles>", error99 = "Error 99: Please exit and restart GUI.",
                    error12 = "Error 12: Could not copy 'burner.bbl' file.",
                    error20 = "Error 20: Could not copy MCP file.";
  struct Fault {
    FsOp op;
    std::string path;
    int skip = 0;
  };
  const std::string cmd = "BDM_P&E_Multilink_CyclonePro_Reset.cmd", ini = "BDM_P&E_Multilink_CyclonePro.ini",
                    startup = "BDM_P&E_Multilink_CyclonePro_Startup.cmd";
  struct Case {
    std::vector<Fault> faults;
    std::vector<std::string> messages;  // the folder-exists one a warning, the others plain
    std::string lastMade;               // the last entry of the tree the build got to; empty for none
    std::string lastOperation;          // what the build did last before going back to KeyFiles; empty if it could not
    bool ended = false, failed = true;
    std::string inKeyFiles = {};  // a folder made in KeyFiles before the build
  } cases[] = {
      // The move to the main folder fails, so the project folder is made
      // in KeyFiles, or found there already.
      {{{FsOp::changeDirectory, ".."}}, {"Error 01: Could not move back to main folder."}, "", "mkdir Blinky"},
      {{{FsOp::changeDirectory, ".."}}, {"Error 01: Could not move back to main folder.", kFolderExists}, "",
       "mkdir Blinky", false, true, "Blinky"},
      {{{FsOp::changeDirectory, "Blinky"}}, {"Error 02: Could not move back to main folder."}, "Blinky", "cd Blinky"},
      {{{FsOp::createDirectory, "bin"}}, {"Error 03: Could not create bin folder."}, "Blinky", "mkdir bin"},
      {{{FsOp::changeDirectory, "bin"}}, {"Error 04: Could not move to bin folder."}, "Blinky/bin", "cd bin"},
      {{{FsOp::changeDirectory, "..", 1}}, {"Error 05: Could not move back to main folder."}, "Blinky/bin/Project.Map",
       "cd .."},
      {{{FsOp::createDirectory, "cmd"}}, {"Error 06: Could not create cmd folder."}, "Blinky/bin/Project.Map",
       "mkdir cmd"},
      {{{FsOp::changeDirectory, "cmd"}}, {"Error 07: Could not move to cmd folder."}, "Blinky/cmd", "cd cmd"},
      {{{FsOp::changeDirectory, "..", 2}}, {"Error 09: Could not move back to main folder."}, "Blinky/cmd/" + startup,
       "cd .."},
      {{{FsOp::createDirectory, "prm"}}, {"Error 10: Could not create prm folder."}, "Blinky/cmd/" + startup,
       "mkdir prm"},
      {{{FsOp::changeDirectory, "prm"}}, {"Error 11: Could not move to prm folder."}, "Blinky/prm", "cd prm"},
      {{{FsOp::copyFile, "burner.bbl"}}, {error12}, "Blinky/prm", "copy burner.bbl"},
      {{{FsOp::changeDirectory, "..", 3}}, {"Error 13: Could not move back to main folder."}, "Blinky/prm/Project.prm",
       "cd .."},
      {{{FsOp::createDirectory, "Sources"}}, {"Error 14: Could not create Sources folder."}, "Blinky/prm/Project.prm",
       "mkdir Sources"},
      {{{FsOp::changeDirectory, "Sources"}}, {"Error 15: Could not move to Sources folder."}, "Blinky/Sources",
       "cd Sources"},
      {{{FsOp::copyFile, "Start08.c"}}, {"Error 16b: Could not copy 'Start08.c'."}, "Blinky/Sources/main.c",
       "copy Start08.c"},
      {{{FsOp::changeDirectory, "..", 4}}, {"Error 17: Could not move back to main folder."},
       "Blinky/Sources/Start08.c", "cd .."},
      {{{FsOp::copyFile, "C_Layout.hwl"}}, {"Error 18: Could not copy 'C_Layout.hwl'."}, "Blinky/" + ini,
       "copy C_Layout.hwl"},
      {{{FsOp::copyFile, "Default.mem"}}, {"Error 19: Could not copy 'Default.mem'."}, "Blinky/C_Layout.hwl",
       "copy Default.mem"},
      {{{FsOp::copyFile, "Blinky.mcp"}}, {error20}, "Blinky/Default.mem", "copy Blinky.mcp"},
      {{{FsOp::openForWriting, "main.c"}}, {"Could not create 'main.c'. Please close file."},
       "Blinky/Sources/derivative.h", "write main.c", true},
      // A file that could not be written whole never takes its name.
      {{{FsOp::write, "main.c"}}, {"Could not write 'main.c'."}, "Blinky/Sources/derivative.h", "write-bytes main.c"},
      {{{FsOp::openForWriting, "Project.Map"}}, {"Could not create 'Project.Map'."}, "Blinky/bin", "write Project.Map"},
      {{{FsOp::close, cmd}}, {"Could not write '" + cmd + "'."}, "Blinky/cmd/BDM_P&E_Multilink_CyclonePro_Preload.cmd",
       "close " + cmd},
      {{{FsOp::write, "Project.prm"}}, {"Could not write 'Project.prm'."}, "Blinky/prm/burner.bbl",
       "write-bytes Project.prm"},
      {{{FsOp::openForWriting, "derivative.h"}}, {"Could not create 'derivative.h'."}, "Blinky/Sources",
       "write derivative.h"},
      {{{FsOp::openForWriting, ini}}, {"Could not create '" + ini + "'."}, "Blinky/Sources/Start08.c", "write " + ini},
      // The working directory not saved, or not entered again: Error 99
      // after the build's own message, which alone decides buildFailed.
      {{{FsOp::changeDirectory, kKeyFiles}}, {kSuccess, error99}, "Blinky/Blinky.mcp", "", true, false},
      {{{FsOp::currentDirectory, ""}}, {kSuccess, error99}, "Blinky/Blinky.mcp", "", true, false},
      {{{FsOp::changeDirectory, kKeyFiles}, {FsOp::copyFile, "burner.bbl"}}, {error12, error99}, "Blinky/prm", ""},
  };
  for (const Case& c : cases) {
    auto wizard = demoWizard();
    const std::string label = c.messages[0] + " " + c.lastOperation;
    for (const Fault& fault : c.faults)
      wizard->faulty.failOn(fault.op, fault.path == kKeyFiles ? wizard->keyFiles() : fault.path, fault.skip);
    if (!c.inKeyFiles.empty()) wizard->addDirectory("KeyFiles/" + c.inKeyFiles);
    auto keyFilesBefore = wizard->tree("KeyFiles");
    wizard->build("Blinky");
    // No key file changes; a project folder made in KeyFiles stays empty.
    auto keyFilesAfter = wizard->tree("KeyFiles");
    keyFilesBefore.erase("Blinky");
    keyFilesAfter.erase("Blinky");
    EXPECT_EQ(keyFilesAfter, keyFilesBefore) << label;

    std::vector<ShownMessage> shown;
    for (const std::string& m : c.messages) shown.push_back(m == kFolderExists ? folderExistsWarning() : plain(m));
    EXPECT_EQ(wizard->dialog.messages(), shown) << label;
    EXPECT_EQ(wizard->dialog.ended(), c.ended) << label;
    EXPECT_EQ(wizard->state->buildFailed, c.failed) << label;
    std::vector<std::string> made;
    for (const auto& [path, bytes] : projectTree(*wizard)) made.push_back(path);
    EXPECT_EQ(made, demoPathsThrough(c.lastMade)) << label;
    EXPECT_EQ(wizard->has("KeyFiles/Blinky"), c.lastMade.empty()) << label;
    if (c.lastOperation.empty()) {
      EXPECT_NE(wizard->fs.currentDirectory(), wizard->keyFiles()) << label;
      continue;
    }
    EXPECT_EQ(wizard->fs.currentDirectory(), wizard->keyFiles()) << label;
    const auto& log = wizard->faulty.log();
    ASSERT_GE(log.size(), 2u) << label;
    EXPECT_EQ(log[log.size() - 2], c.lastOperation) << label;
    EXPECT_EQ(log.back(), "cd " + wizard->keyFiles()) << label;
  }
}

// A refused or taken name warns, and the next build is a first build (what
// a name does to the disk is the hostile names' test).
TEST(ProjectBuilder, ARefusedOrTakenNameWarnsAndTheNextBuildIsAFirstBuild) {
  auto fresh = demoWizard();
  fresh->build("Fresh");
  for (const std::string name : {"Blinky", "a/b", "LPT1"}) {
    auto wizard = demoWizard();
    wizard->addDirectory("Blinky");
    wizard->build(name);
    EXPECT_TRUE(wizard->state->buildFailed && !wizard->dialog.ended()) << name;
    wizard->build("Fresh");
    const ShownMessage warning = name == "Blinky" ? folderExistsWarning() : refusedNameWarning();
    EXPECT_EQ(wizard->dialog.messages(), (std::vector<ShownMessage>{warning, plain(kSuccess)})) << name;
    EXPECT_FALSE(wizard->state->buildFailed) << name;
    EXPECT_EQ(wizard->tree("Fresh"), fresh->tree("Fresh")) << name;
  }
}

// The family decides the debugger files, the command files, the start-up
// template (whose failed copy is Error 16a for RS08) and the macros of
// derivative.h; a description without IncludeName gives the default header
// name and one with it has that name as it stands, quotes and "%" alike; one
// without CURRENTDEVICE leaves both device lines of the settings file bare.
TEST(ProjectBuilder, FamilyFollowsTheFirstTwoLettersOfTheMenuName) {
  std::string bareIni = expected::kHcs08Ini;
  for (std::size_t at; (at = bareIni.find("=DEMO08")) != std::string::npos;) bareIni.erase(at + 1, 6);
  struct Case {
    std::string menuName, device;
    bool rs08;
    std::string ini, include = "<???.h>";
  } cases[] = {{"RS08KA2", "MC9RS08KA2", true, expected::kRs08Ini},
               {"RS", "MC9RS08KA2", true, expected::kRs08Ini, "\"%s%d.h\""},
               {"rs08ka2", "DEMO08", false, expected::kHcs08Ini},
               {"HCS08QG8", "DEMO08", false, expected::kHcs08Ini, "\"%s%d.h\""},
               {"R", "", false, bareIni}};
  for (const Case& c : cases) {
    std::string device = c.device.empty() ? "" : "CURRENTDEVICE=" + c.device + "\n";
    if (c.include != "<???.h>") device += "IncludeName=" + c.include + "\n";
    WizardHarness wizard({{"MCU_X.txt", "MenuName=" + c.menuName + "\n" + device + "MODULE:INIT\nENDMODULE\n"}}, {c.menuName});
    wizard.clickMcu(0);
    wizard.build("P");
    ASSERT_EQ(wizard.dialog.messages(), std::vector<ShownMessage>{plain(kSuccess)}) << c.menuName;
    const std::string p = "P/", prefix = c.rs08 ? "RS08_" : "";
    const std::string cmd = prefix + "BDM_P&E_Multilink_CyclonePro_";
    EXPECT_EQ(wizard.tree(p + "cmd"),
              (std::map<std::string, std::string>{{cmd + "Postload.cmd", kCommandText[0]},
                                                  {cmd + "Preload.cmd", kCommandText[1]},
                                                  {cmd + "Reset.cmd", kCommandText[2]},
                                                  {cmd + "Startup.cmd", kCommandText[3]}}))
        << c.menuName;
    EXPECT_EQ(wizard.read(p + prefix + "BDM_P&E_Multilink_CyclonePro.ini"), c.ini) << c.menuName;
    EXPECT_FALSE(wizard.has(p + (c.rs08 ? "" : "RS08_") + "BDM_P&E_Multilink_CyclonePro.ini")) << c.menuName;
    EXPECT_EQ(wizard.read(p + "Sources/derivative.h"), expected::derivativeHeader(c.include, !c.rs08)) << c.menuName;
    EXPECT_EQ(wizard.read(p + "Sources/" + (c.rs08 ? "StartRS08.c" : "Start08.c")),
              c.rs08 ? "/* RS08 start-up */\r\n" : "/* HCS08 start-up */\r\n")
        << c.menuName;
    EXPECT_FALSE(wizard.has(p + "Sources/" + (c.rs08 ? "Start08.c" : "StartRS08.c"))) << c.menuName;
    EXPECT_EQ(wizard.read(p + "P.mcp"), "mcp of " + c.menuName + "\r\n") << c.menuName;
    if (!c.rs08) continue;
    wizard.dialog.clearMessages();
    wizard.faulty.failOn(FsOp::copyFile, "StartRS08.c");
    wizard.build("Q");
    EXPECT_EQ(wizard.dialog.messages(), std::vector<ShownMessage>{plain("Error 16a: Could not copy 'StartRS08.c'.")});
    EXPECT_TRUE(wizard.has("Q/Sources/main.c"));
    EXPECT_FALSE(wizard.has("Q/Sources/StartRS08.c"));
  }
}

// main's body is INIT's when no module is ticked and the ticked modules'
// otherwise, counted when the build starts: a count left from before (by a
// face that flips marks itself, or an MCU chosen again) must not decide it.
TEST(ProjectBuilder, MainBodyFollowsTheTicksCountedAtBuildTime) {
  const std::string head = "// P  5Dec26\r\n// =\r\n";
  const std::string initMain =
      expected::mainSource(head, {"#include \"derivative.h\"\r\n", "", "", "", "", "  for (;;) { }\r\n", "", ""});
  const std::string modulesMain = head + kDemoMainSource.substr(kDemoMainSource.find("// ======\r\n") + 11);
  struct Case {
    std::string name;
    bool chooseAgain;
    int staleCount;
    std::string mainSource;
  } cases[] = {
      {.name = "stale count of two, nothing ticked", .chooseAgain = true, .staleCount = 2, .mainSource = initMain},
      {.name = "stale count of none, two ticked", .chooseAgain = false, .staleCount = 0, .mainSource = modulesMain},
  };
  for (const Case& c : cases) {
    auto wizard = demoWizard();
    if (c.chooseAgain) wizard->clickMcu(0);
    wizard->state->chosenCount = c.staleCount;
    wizard->build("P");
    ASSERT_EQ(wizard->dialog.messages(), std::vector<ShownMessage>{plain(kSuccess)}) << c.name;
    EXPECT_EQ(wizard->read("P/Sources/main.c"), c.mainSource) << c.name;
  }
}
