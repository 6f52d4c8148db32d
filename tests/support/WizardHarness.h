// A wizard session opened on a temporary KeyFiles, driven the way the window
// drives it: clicks on MCU buttons and module boxes, a name typed and Build
// pressed. The session works through a file system that fails on cue.
#pragma once

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DialogModel.h"
#include "core/Wizard.h"
#include "session/WizardSession.h"
#include "support/TestSupport.h"

namespace forgeline::test {

struct WizardHarness {
  explicit WizardHarness(std::initializer_list<std::pair<const std::string, std::string>> mcuFiles,
                         const std::vector<std::string>& mcpMenuNames = {})
      : WizardHarness(std::map<std::string, std::string>(mcuFiles), mcpMenuNames, {}) {}
  // KeyFiles in `subfolder` of the temporary folder, when it is not empty.
  WizardHarness(const std::map<std::string, std::string>& mcuFiles, const std::vector<std::string>& mcpMenuNames,
                const std::string& subfolder)
      : root(subfolder.empty() ? dir.path() : dir / subfolder), fs((makeDirectory(root), root)) {
    writeKeyFiles(root, mcuFiles, mcpMenuNames);
    session.open();
  }

  void clickMcu(int i) { session.chooseMcu(i); }
  void clickModule(int i) { session.clickModule(i); }
  void build(const std::string& name) {
    session.typeProjectName(name);
    session.pressBuild();
  }
  std::string keyFiles() const { return root + "/KeyFiles"; }
  void loadForBuild() { loadMcuDescription(*state, dialog, fs, state->selectedMcu, LoadMode::buildMode); }

  // The captions of the shown MCU buttons in order, or the file titles behind them.
  std::vector<std::string> mcus(bool titles = false) const {
    std::vector<std::string> out;
    for (int i = 0; i < kMaxMcus; ++i)
      if (dialog.control(mcuButton(i)).visible)
        out.push_back(titles ? state->mcuFileTitles[static_cast<std::size_t>(i)] : dialog.control(mcuButton(i)).caption);
    return out;
  }

  bool marked(int i) const { return dialog.control(moduleBox(i)).marked; }
  bool enabled(int i) const { return dialog.control(moduleBox(i)).enabled; }
  bool shown(int i) const { return dialog.control(moduleBox(i)).visible; }

  // "x" marked or "-", then "e" enabled or "d" disabled, for each loaded box.
  std::string boxes() const {
    std::string out;
    for (int i = 0; i < state->moduleCount; ++i) {
      if (i) out += ' ';
      out += marked(i) ? 'x' : '-';
      out += enabled(i) ? 'e' : 'd';
    }
    return out;
  }

  TempDir dir;
  std::string root;
  RealFileSystem fs;
  FaultyFileSystem faulty{fs};
  DialogModel dialog;
  FixedClock clock{CalendarDate{5, 12, 2026}};
  // Made as the window's and the command's own record is made.
  WizardState::Owned state = WizardState::createInLargePages();
  WizardSession session{dialog, faulty, clock, state.get()};
};

}  // namespace forgeline::test
