// A wizard session opened on a temporary KeyFiles, driven the way the window
// drives it: clicks on MCU buttons and module boxes.
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
      : fs(dir.path()) {
    writeKeyFiles(dir.path(), mcuFiles, mcpMenuNames);
    session.open();
  }

  void clickMcu(int i) { session.chooseMcu(i); }
  void clickModule(int i) { session.clickModule(i); }
  void loadForBuild() { loadMcuDescription(*state, dialog, fs, state->selectedMcu, LoadMode::buildMode); }

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
  RealFileSystem fs;
  DialogModel dialog;
  FixedClock clock{CalendarDate{5, 12, 2026}};
  std::unique_ptr<WizardState> state = std::make_unique<WizardState>();
  WizardSession session{dialog, fs, clock, state.get()};
};

}  // namespace forgeline::test
