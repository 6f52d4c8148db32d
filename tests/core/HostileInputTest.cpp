// Key files are written by hand and copied around, so the wizard meets every
// kind of damage. Each row sets up a hostile KeyFiles, opens the wizard on
// it, chooses the first MCU, ticks every module it can and reads the file
// again the way a build does, then compares what happened with the outcome
// the row states. Whatever the row, KeyFiles must be byte-identical after,
// and after the key-file checker has read it too.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DialogModel.h"
#include "core/KeyFileChecker.h"
#include "core/Wizard.h"
#include "support/TestSupport.h"

using namespace forgeline;
using namespace forgeline::test;

namespace {

// A long list as its first two, its last and its length.
std::string showList(const std::vector<std::string>& items) {
  std::vector<std::string> shown;
  for (const std::string& item : items) shown.push_back(printable(item));
  std::string out;
  if (shown.size() > 4) {
    return shown[0] + "," + shown[1] + ",...," + shown.back() + " (" + std::to_string(shown.size()) + ")";
  }
  for (std::size_t i = 0; i < shown.size(); ++i) out += (i ? "," : "") + shown[i];
  return out;
}

std::string repeat(const std::string& text, int times) {
  std::string out;
  out.reserve(text.size() * static_cast<std::size_t>(times));
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

struct FaultRule {
  FsOp op;
  std::string path;
  int skip = 0;
};

struct HostileRow {
  const char* name;
  std::function<void(const std::string& root)> setUp;
  std::string expected;
  std::vector<FaultRule> faults = {};
  // Runs after the scan and before the MCU is chosen.
  std::function<void(const std::string& root)> betweenScanAndClick = nullptr;
};

// Drives the wizard through the row and describes what it did, field by
// field, in one line.
std::string runRow(const HostileRow& row, const std::string& root) {
  RealFileSystem real(root);
  FaultyFileSystem fs(real);
  for (const FaultRule& rule : row.faults) fs.failOn(rule.op, rule.path, rule.skip);
  DialogModel dialog;
  auto state = std::make_unique<WizardState>();

  initialiseWizard(*state, dialog, fs);
  std::string out;
  for (const ShownMessage& message : dialog.messages()) out += "msg=" + message.text + "|";
  if (dialog.ended()) return out + "ended";

  std::vector<std::string> buttons;
  for (int i = 0; i < state->mcuCount; ++i) buttons.push_back(dialog.control(mcuButton(i)).caption);
  out += "buttons=" + showList(buttons);

  if (row.betweenScanAndClick) row.betweenScanAndClick(root);
  loadMcuDescription(*state, dialog, fs, 0, LoadMode::previewMode);
  for (int i = 0; i < kMaxModules; ++i) {
    const ControlState& box = dialog.control(moduleBox(i));
    if (!box.visible || !box.enabled || box.marked) continue;
    dialog.setMarked(moduleBox(i), true);
    toggleModule(*state, dialog, i);
  }
  loadMcuDescription(*state, dialog, fs, state->selectedMcu, LoadMode::buildMode);

  std::vector<std::string> boxes;
  for (int i = 0; i < kMaxModules; ++i)
    if (dialog.control(moduleBox(i)).visible) boxes.push_back(dialog.control(moduleBox(i)).caption);
  out += "|group=" + printable(dialog.control(kMcuGroup).caption);
  out += "|boxes=" + showList(boxes);
  out += "|modules=" + std::to_string(state->moduleCount);
  out += "|prm=" + std::to_string(state->prmLineCount);
  if (state->prmLineCount > 0) out += " last " + printable(state->prmLines[static_cast<std::size_t>(state->prmLineCount - 1)]);
  out += "|init=" + std::to_string(state->initLineCount);
  out += "|sections=";
  std::size_t longest = 0;
  for (int s = 1; s <= kSectionCount; ++s) {
    out += (s > 1 ? "," : "") + std::to_string(state->sectionCount(s));
    for (int i = 0; i < state->sectionCount(s); ++i)
      longest = std::max(longest, state->section(s)[static_cast<std::size_t>(i)].size());
  }
  for (int i = 0; i < state->prmLineCount; ++i)
    longest = std::max(longest, state->prmLines[static_cast<std::size_t>(i)].size());
  for (int i = 0; i < state->initLineCount; ++i)
    longest = std::max(longest, state->initLines[static_cast<std::size_t>(i)].size());
  out += "|longest=" + std::to_string(longest);
  return out;
}

void keyFile(const std::string& root, const std::string& name, const std::string& bytes) {
  writeFile(root + "/KeyFiles/" + name, bytes);
}

const std::string kMinimal = "MenuName=A\nMODULE:INIT\nENDMODULE\n";

const std::vector<HostileRow>& hostileRows() {
  static const std::vector<HostileRow> rows = {
      {"binary junk: every byte value, 64 times over",
       [](const std::string& root) {
         std::string junk;
         for (int i = 0; i < 256; ++i) junk.push_back(static_cast<char>(i));
         keyFile(root, "MCU_JUNK.txt", repeat(junk, 64));
       },
       "buttons=???|group=MCU (MCU_JUNK.txt Revision=0)|boxes=|modules=0|prm=0|init=0|sections=0,0,0,0,0,0,0,0"
       "|longest=0"},

      {"a single 1 MiB line, as the menu name and as a code line",
       [](const std::string& root) {
         keyFile(root, "MCU_BIG.txt",
                 "MenuName=" + std::string(1 << 20, 'N') + "\nMODULE:INIT\n1.\n" + std::string(1 << 20, 'c') +
                     "\nENDMODULE\n");
       },
       "buttons=N*89|group=MCU (MCU_BIG.txt Revision=0)|boxes=INIT|modules=1|prm=0|init=0"
       "|sections=1000,0,0,0,0,0,0,0|longest=99"},

      {"a file without a single line end",
       [](const std::string& root) { keyFile(root, "MCU_FLAT.txt", "MenuName=" + std::string(1 << 20, 'F')); },
       "buttons=F*89|group=MCU (MCU_FLAT.txt Revision=0)|boxes=|modules=0|prm=0|init=0"
       "|sections=0,0,0,0,0,0,0,0|longest=0"},

      {"10,000 modules: the first 50 get the 50 boxes",
       [](const std::string& root) {
         keyFile(root, "MCU_MANY.txt", "MenuName=MANY\n" + repeat("MODULE:M\n9. d\n1.\nline\nENDMODULE\n", 10000));
       },
       "buttons=MANY|group=MCU (MCU_MANY.txt Revision=0)|boxes=M,M,...,M (50)|modules=50|prm=0|init=0"
       "|sections=50,0,0,0,0,0,0,0|longest=5"},

      {"100,000 PRM lines: the first 100 are kept",
       [](const std::string& root) {
         std::string prm = "MenuName=PRM\nPRMSTART\n";
         for (int i = 0; i < 100000; ++i) prm += "line " + std::to_string(i) + "\n";
         keyFile(root, "MCU_PRM.txt", prm + "PRMEND\n");
       },
       "buttons=PRM|group=MCU (MCU_PRM.txt Revision=0)|boxes=|modules=0|prm=100 last line 99\\x0A|init=0"
       "|sections=0,0,0,0,0,0,0,0|longest=8"},

      {"INIT start-up lines beyond the table and one section over-full from two modules",
       [](const std::string& root) {
         keyFile(root, "MCU_FULL.txt",
                 "MenuName=FULL\nMODULE:INIT\n6.\n" + repeat("  init();\n", 150) + "ENDMODULE\nMODULE:A\n7.\n" +
                     repeat("a();\n", 600) + "ENDMODULE\nMODULE:B\n7.\n" + repeat("b();\n", 600) + "ENDMODULE\n");
       },
       "buttons=FULL|group=MCU (MCU_FULL.txt Revision=0)|boxes=INIT,A,B|modules=3|prm=0|init=100"
       "|sections=0,0,0,0,0,0,1000,0|longest=10"},

      {"NUL bytes are ordinary bytes; a NUL ends a module name",
       [](const std::string& root) {
         static const char kBytes[] = "MenuName=A\0B\nMODULE:N\0X\n1.\n\0\nENDMODULE\n";
         keyFile(root, "MCU_NUL.txt", std::string(kBytes, sizeof kBytes - 1));
       },
       "buttons=A\\x00B|group=MCU (MCU_NUL.txt Revision=0)|boxes=N|modules=1|prm=0|init=0"
       "|sections=1,0,0,0,0,0,0,0|longest=2"},

      {"CR-only line ends: the whole file is one line",
       [](const std::string& root) { keyFile(root, "MCU_CR.txt", "MenuName=CR\rMODULE:INIT\r1.\rx\rENDMODULE\r"); },
       "buttons=CR\\x0DMODULE:INIT\\x0D1.\\x0Dx\\x0DENDMODULE|group=MCU (MCU_CR.txt Revision=0)|boxes=|modules=0"
       "|prm=0|init=0|sections=0,0,0,0,0,0,0,0|longest=0"},

      {"CR LF line ends read like LF",
       [](const std::string& root) {
         keyFile(root, "MCU_CRLF.txt", "MenuName=W\r\nRevision=3\r\nMODULE:INIT\r\n1.\r\nx\r\nENDMODULE\r\n");
       },
       "buttons=W|group=MCU (MCU_CRLF.txt Revision=3)|boxes=INIT|modules=1|prm=0|init=0|sections=1,0,0,0,0,0,0,0"
       "|longest=2"},

      {"KeyFiles is a file",
       [](const std::string& root) { writeFile(root + "/KeyFiles", "not a folder\n"); },
       "msg=Could not find 'KeyFiles' directory. Will abort.|ended"},

      {"KeyFiles cannot be entered",
       [](const std::string& root) { keyFile(root, "MCU_A.txt", kMinimal); },
       "msg=Could not find 'KeyFiles' directory. Will abort.|ended", {{FsOp::changeDirectory, "KeyFiles"}}},

      {"KeyFiles cannot be listed",
       [](const std::string& root) { keyFile(root, "MCU_A.txt", kMinimal); },
       "msg=Found no MCU files. Will abort.|ended", {{FsOp::listEntries, ""}}},

      {"an MCU file name that is a folder is passed by",
       [](const std::string& root) {
         makeDirectory(root + "/KeyFiles/MCU_0DIR.txt");
         keyFile(root, "MCU_A.txt", kMinimal);
       },
       "buttons=A|group=MCU (MCU_A.txt Revision=0)|boxes=INIT|modules=1|prm=0|init=0|sections=0,0,0,0,0,0,0,0"
       "|longest=0"},

      {"the only MCU file name is a folder",
       [](const std::string& root) { makeDirectory(root + "/KeyFiles/MCU_DIR.txt"); },
       "msg=Found no MCU files. Will abort.|ended"},

      {"an MCU file name that is a dangling link is passed by",
       [](const std::string& root) {
         keyFile(root, "MCU_B.txt", "MenuName=B\n");
         ASSERT_EQ(::symlink("MCU_GONE.txt", (root + "/KeyFiles/MCU_0LINK.txt").c_str()), 0);
       },
       "buttons=B|group=MCU (MCU_B.txt Revision=0)|boxes=|modules=0|prm=0|init=0|sections=0,0,0,0,0,0,0,0"
       "|longest=0"},

      {"an MCU file name that is a named pipe is passed by, and nothing waits on it",
       [](const std::string& root) {
         keyFile(root, "MCU_B.txt", "MenuName=B\n");
         ASSERT_EQ(::mkfifo((root + "/KeyFiles/MCU_0PIPE.txt").c_str(), 0644), 0);
       },
       "buttons=B|group=MCU (MCU_B.txt Revision=0)|boxes=|modules=0|prm=0|init=0|sections=0,0,0,0,0,0,0,0"
       "|longest=0"},

      {"the file vanishes between the scan and the click",
       [](const std::string& root) { keyFile(root, "MCU_A.txt", "MenuName=A\nRevision=4\nMODULE:INIT\nENDMODULE\n"); },
       "buttons=A|group=MCU (MCU_A.txt Revision=0)|boxes=|modules=0|prm=0|init=0|sections=0,0,0,0,0,0,0,0|longest=0",
       {},
       [](const std::string& root) { std::filesystem::remove(root + "/KeyFiles/MCU_A.txt"); }},

      {"the file becomes a folder between the scan and the click",
       [](const std::string& root) { keyFile(root, "MCU_A.txt", kMinimal); },
       "buttons=A|group=MCU (MCU_A.txt Revision=0)|boxes=|modules=0|prm=0|init=0|sections=0,0,0,0,0,0,0,0|longest=0",
       {},
       [](const std::string& root) {
         std::filesystem::remove(root + "/KeyFiles/MCU_A.txt");
         makeDirectory(root + "/KeyFiles/MCU_A.txt");
       }},

      {"an MCU file that cannot be opened at all stays listed as ???",
       [](const std::string& root) { keyFile(root, "MCU_A.txt", kMinimal); },
       "buttons=???|group=MCU (MCU_A.txt Revision=0)|boxes=|modules=0|prm=0|init=0|sections=0,0,0,0,0,0,0,0"
       "|longest=0",
       {{FsOp::openForReading, "MCU_A.txt"}}},

      {"an MCU file readable for the scan but not for the click",
       [](const std::string& root) { keyFile(root, "MCU_A.txt", kMinimal); },
       "buttons=A|group=MCU (MCU_A.txt Revision=0)|boxes=|modules=0|prm=0|init=0|sections=0,0,0,0,0,0,0,0|longest=0",
       {{FsOp::openForReading, "MCU_A.txt", 1}}},

      {"an MCU file readable for the click but not for the build: the build load reads nothing",
       [](const std::string& root) { keyFile(root, "MCU_A.txt", "MenuName=A\nMODULE:INIT\n1.\nx\nENDMODULE\n"); },
       "buttons=A|group=MCU (MCU_A.txt Revision=0)|boxes=INIT|modules=0|prm=0|init=0|sections=0,0,0,0,0,0,0,0"
       "|longest=0",
       {{FsOp::openForReading, "MCU_A.txt", 2}}},

      {"60 MCU files: the first 50 in byte order are offered",
       [](const std::string& root) {
         for (int i = 0; i < 60; ++i) {
           std::string n = (i < 10 ? "0" : "") + std::to_string(i);
           keyFile(root, "MCU_" + n + ".txt", "MenuName=" + n + "\n");
         }
       },
       "buttons=00,01,...,49 (50)|group=MCU (MCU_00.txt Revision=0)|boxes=|modules=0|prm=0|init=0"
       "|sections=0,0,0,0,0,0,0,0|longest=0"},
  };
  return rows;
}

TEST(HostileInput, EveryRowGivesItsDocumentedOutcomeAndLeavesKeyFilesAlone) {
  for (const HostileRow& row : hostileRows()) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    row.setUp(dir.path());
    if (::testing::Test::HasFatalFailure()) return;
    const auto before = snapshotTree(dir.path());
    std::string outcome;
    if (row.betweenScanAndClick) {
      // The row changes KeyFiles itself on the way; what must stay is its
      // state after that change.
      HostileRow inner = row;
      std::map<std::string, std::string> afterChange;
      inner.betweenScanAndClick = [&](const std::string& root) {
        row.betweenScanAndClick(root);
        afterChange = snapshotTree(root);
      };
      outcome = runRow(inner, dir.path());
      EXPECT_EQ(snapshotTree(dir.path()), afterChange) << row.name;
    } else {
      outcome = runRow(row, dir.path());
      EXPECT_EQ(snapshotTree(dir.path()), before) << row.name;
    }
    EXPECT_EQ(outcome, row.expected) << row.name;

    // The checker reads the same damage and must survive it just as well,
    // changing nothing and leaving its file system where it found it.
    const auto beforeCheck = snapshotTree(dir.path());
    RealFileSystem checkFs(dir.path());
    const CheckReport report = checkKeyFiles(checkFs);
    EXPECT_EQ(checkFs.currentDirectory(), dir.path()) << row.name;
    EXPECT_EQ(snapshotTree(dir.path()), beforeCheck) << row.name;
    // Every readable MCU file is checked, also those past the wizard's 50.
    int mcuFiles = 0;
    std::error_code ignored;
    if (std::filesystem::is_directory(dir / "KeyFiles", ignored)) {
      for (const auto& entry : std::filesystem::directory_iterator(dir / "KeyFiles"))
        mcuFiles += entry.is_regular_file(ignored) && matchesMcuPattern(entry.path().filename().string());
    }
    EXPECT_EQ(report.filesChecked, mcuFiles) << row.name;
  }
}

}  // namespace
