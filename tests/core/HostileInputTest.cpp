// Key files are written by hand and copied around, so the wizard meets every
// kind of damage. Each row sets up a hostile KeyFiles, opens the wizard on
// it, chooses the first MCU, ticks every module it can and reads the file
// again the way a build does, then compares what happened with the outcome
// the row states. Whatever the row, KeyFiles must be byte-identical after,
// and after the key-file checker has read it too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DialogModel.h"
#include "check/KeyFileChecker.h"
#include "core/Wizard.h"
#include "session/WizardSession.h"
#include "support/TestSupport.h"

using namespace forgeline;
using namespace forgeline::test;

namespace {

std::string joined(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + printable(items[i]);
  return out;
}

struct HostileRow {
  const char* name;
  std::function<void(const std::string& root)> setUp;
  // Buttons, group caption and boxes always; the counts and the longest
  // stored line only when they are not zero.
  std::string expected;
  // Failures on MCU_A.txt (any path for a listing), each after that many passes.
  std::vector<std::pair<FsOp, int>> faults = {};
  // Runs after the scan and before the MCU is chosen.
  std::function<void(const std::string& root)> betweenScanAndClick = nullptr;
  bool needsLinksAndPipes = false;
};

// Drives the wizard through the row and describes what it did in one line.
// `keyFiles` becomes the tree as it must stay: after the row's own change.
std::string runRow(const HostileRow& row, const std::string& root, std::map<std::string, std::string>& keyFiles) {
  RealFileSystem real(root);
  FaultyFileSystem fs(real);
  for (const auto& [op, skip] : row.faults) fs.failOn(op, op == FsOp::listEntries ? "" : "MCU_A.txt", skip);
  DialogModel dialog;
  FixedClock clock{{5, 12, 2026}};
  auto state = std::make_unique<WizardState>();
  WizardSession session(dialog, fs, clock, state.get());

  session.open();
  std::string out;
  for (const ShownMessage& message : dialog.messages()) out += "msg=" + message.text + "|";
  if (dialog.ended()) return out + "ended";

  std::vector<std::string> buttons, boxes;
  for (int i = 0; i < state->mcuCount; ++i) buttons.push_back(dialog.control(mcuButton(i)).caption);
  if (row.betweenScanAndClick) {
    row.betweenScanAndClick(root);
    keyFiles = snapshotTree(root);
  }
  session.chooseMcu(0);
  for (int i = 0; i < kMaxModules; ++i)
    if (!dialog.control(moduleBox(i)).marked) session.clickModule(i);
  loadMcuDescription(*state, dialog, fs, state->selectedMcu, LoadMode::buildMode);

  for (int i = 0; i < kMaxModules; ++i)
    if (dialog.control(moduleBox(i)).visible) boxes.push_back(dialog.control(moduleBox(i)).caption);
  out += "buttons=" + joined(buttons) + "|group=" + printable(dialog.control(kMcuGroup).caption) +
         "|boxes=" + joined(boxes);
  if (state->moduleCount) out += "|modules=" + std::to_string(state->moduleCount);
  if (const int n = state->prmLineCount)
    out += "|prm=" + std::to_string(n) + " last " + printable(state->prmLines[n - 1]);
  if (state->initLineCount) out += "|init=" + std::to_string(state->initLineCount);
  std::string sections;
  std::size_t longest = 0;
  for (int s = 1; s <= kSectionCount; ++s) {
    sections += (s > 1 ? "," : "") + std::to_string(state->sectionCount(s));
    for (int i = 0; i < state->sectionCount(s); ++i) longest = std::max(longest, state->section(s)[i].size());
  }
  for (int i = 0; i < state->prmLineCount; ++i) longest = std::max(longest, state->prmLines[i].size());
  for (int i = 0; i < state->initLineCount; ++i) longest = std::max(longest, state->initLines[i].size());
  if (sections != "0,0,0,0,0,0,0,0") out += "|sections=" + sections;
  if (longest) out += "|longest=" + std::to_string(longest);
  return out;
}

void keyFile(const std::string& root, const std::string& name, const std::string& bytes) {
  writeFile(root + "/KeyFiles/" + name, bytes);
}
void minimalA(const std::string& root) { keyFile(root, "MCU_A.txt", "MenuName=A\nMODULE:INIT\nENDMODULE\n"); }

const std::string kGroupA = "|group=MCU (MCU_A.txt Revision=0)|boxes=";

const std::vector<HostileRow>& hostileRows() {
  static const std::vector<HostileRow> rows = {
      {"binary junk: every byte value, 64 times over",
       [](const std::string& root) {
         std::string junk;
         for (int i = 0; i < 256; ++i) junk.push_back(static_cast<char>(i));
         keyFile(root, "MCU_JUNK.txt", repeat(junk, 64));
       },
       "buttons=???|group=MCU (MCU_JUNK.txt Revision=0)|boxes="},

      // The module has no ENDMODULE, so it gets its box but is never counted.
      {"a single 1 MiB line as the menu name, and as the last code line without a line end",
       [](const std::string& root) {
         keyFile(root, "MCU_BIG.txt",
                 "MenuName=" + std::string(1 << 20, 'N') + "\nMODULE:INIT\n1.\n" + std::string(1 << 20, 'c'));
       },
       "buttons=N*89|group=MCU (MCU_BIG.txt Revision=0)|boxes=INIT|sections=1000,0,0,0,0,0,0,0|longest=99"},

      {"10,000 modules: the first 50 get the 50 boxes",
       [](const std::string& root) {
         keyFile(root, "MCU_MANY.txt", "MenuName=MANY\n" + repeat("MODULE:M\n9. d\n1.\nline\nENDMODULE\n", 10000));
       },
       "buttons=MANY|group=MCU (MCU_MANY.txt Revision=0)|boxes=" + repeat("M,", 49) + "M|modules=50"
       "|sections=50,0,0,0,0,0,0,0|longest=5"},

      {"100,000 PRM lines: the first 100 are kept",
       [](const std::string& root) {
         std::string prm = "MenuName=PRM\nPRMSTART\n";
         for (int i = 0; i < 100000; ++i) prm += "line " + std::to_string(i) + "\n";
         keyFile(root, "MCU_PRM.txt", prm + "PRMEND\n");
       },
       "buttons=PRM|group=MCU (MCU_PRM.txt Revision=0)|boxes=|prm=100 last line 99\\x0A|longest=8"},

      {"NUL bytes are ordinary bytes; a NUL ends a module name",
       [](const std::string& root) {
         static const char kBytes[] = "MenuName=A\0B\nMODULE:N\0X\n1.\n\0\nENDMODULE\n";
         keyFile(root, "MCU_NUL.txt", std::string(kBytes, sizeof kBytes - 1));
       },
       "buttons=A\\x00B|group=MCU (MCU_NUL.txt Revision=0)|boxes=N|modules=1|sections=1,0,0,0,0,0,0,0|longest=2"},

      {"CR-only line ends: the whole file is one line",
       [](const std::string& root) { keyFile(root, "MCU_CR.txt", "MenuName=CR\rMODULE:INIT\r1.\rx\rENDMODULE\r"); },
       "buttons=CR\\x0DMODULE:INIT\\x0D1.\\x0Dx\\x0DENDMODULE|group=MCU (MCU_CR.txt Revision=0)|boxes="},

      {"KeyFiles is a file", [](const std::string& root) { writeFile(root + "/KeyFiles", "not a folder\n"); },
       "msg=Could not find 'KeyFiles' directory. Will abort.|ended"},

      {"KeyFiles cannot be listed", minimalA, "msg=Found no MCU files. Will abort.|ended", {{FsOp::listEntries, 0}}},

      // Each would be a second button if it were taken for a file, and the
      // pipe would hang the scan if it were opened.
      {"MCU file names that are a folder, a dangling link and a named pipe are passed by",
       [](const std::string& root) {
         minimalA(root);
         makeDirectory(root + "/KeyFiles/MCU_0DIR.txt");
         makeSymlink("MCU_GONE.txt", root + "/KeyFiles/MCU_0LINK.txt");
         makeFifo(root + "/KeyFiles/MCU_0PIPE.txt");
       },
       "buttons=A" + kGroupA + "INIT|modules=1", {}, nullptr, true},

      {"the file vanishes between the scan and the click",
       [](const std::string& root) { keyFile(root, "MCU_A.txt", "MenuName=A\nRevision=4\nMODULE:INIT\nENDMODULE\n"); },
       "buttons=A" + kGroupA, {},
       [](const std::string& root) { std::filesystem::remove(root + "/KeyFiles/MCU_A.txt"); }},

      {"the file becomes a folder between the scan and the click", minimalA, "buttons=A" + kGroupA, {},
       [](const std::string& root) {
         std::filesystem::remove(root + "/KeyFiles/MCU_A.txt");
         makeDirectory(root + "/KeyFiles/MCU_A.txt");
       }},

      {"an MCU file that cannot be opened at all stays listed as ???", minimalA, "buttons=???" + kGroupA,
       {{FsOp::openForReading, 0}}},

      {"an MCU file readable for the click but not for the build: the build load reads nothing, keeps the revision",
       [](const std::string& root) {
         keyFile(root, "MCU_A.txt", "MenuName=A\nRevision=4\nMODULE:INIT\n1.\nx\nENDMODULE\n");
       },
       "buttons=A|group=MCU (MCU_A.txt Revision=4)|boxes=INIT", {{FsOp::openForReading, 2}}},

  };
  return rows;
}

void runRows(bool needingLinksAndPipes) {
  for (const HostileRow& row : hostileRows()) {
    if (row.needsLinksAndPipes != needingLinksAndPipes) continue;
    SCOPED_TRACE(row.name);
    TempDir dir;
    row.setUp(dir.path());
    if (::testing::Test::HasFatalFailure()) return;
    auto before = snapshotTree(dir.path());
    EXPECT_EQ(runRow(row, dir.path(), before), row.expected);
    EXPECT_EQ(snapshotTree(dir.path()), before);

    // The checker reads the same damage and must survive it just as well,
    // changing nothing and leaving its file system where it found it.
    RealFileSystem checkFs(dir.path());
    const CheckReport report = checkKeyFiles(checkFs);
    EXPECT_EQ(checkFs.currentDirectory(), dir.path());
    EXPECT_EQ(snapshotTree(dir.path()), before);
    // Every readable MCU file is checked, also those past the wizard's 50.
    int mcuFiles = 0;
    std::error_code ignored;
    if (std::filesystem::is_directory(dir / "KeyFiles", ignored)) {
      for (const auto& entry : std::filesystem::directory_iterator(dir / "KeyFiles"))
        mcuFiles += entry.is_regular_file(ignored) && matchesMcuPattern(entry.path().filename().string());
    }
    EXPECT_EQ(report.filesChecked, mcuFiles);
  }
}

TEST(HostileInput, EveryRowGivesItsDocumentedOutcomeAndLeavesKeyFilesAlone) { runRows(false); }

TEST(HostileInput, RowsWithLinksAndPipesToo) {
  FORGELINE_SKIP_WITHOUT_LINKS_AND_PIPES();
  runRows(true);
}

}  // namespace
