// A wizard opened on a temporary KeyFiles, driven the way the window drives
// it: clicks on MCU buttons and module boxes through the in-memory dialog.
#pragma once

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DialogModel.h"
#include "core/Wizard.h"
#include "support/TestSupport.h"

namespace forgeline::test {

struct WizardHarness {
  explicit WizardHarness(std::initializer_list<std::pair<const std::string, std::string>> mcuFiles,
                         const std::vector<std::string>& mcpMenuNames = {})
      : fs(dir.path()) {
    writeKeyFiles(dir.path(), mcuFiles, mcpMenuNames);
    initialiseWizard(*state, dialog, fs);
  }

  void clickMcu(int i) { loadMcuDescription(*state, dialog, fs, i, LoadMode::previewMode); }
  // The box flips its own mark before the click reaches the rules.
  void clickModule(int i) {
    dialog.setMarked(moduleBox(i), !dialog.isMarked(moduleBox(i)));
    toggleModule(*state, dialog, i);
  }
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
  std::unique_ptr<WizardState> state = std::make_unique<WizardState>();
};

}  // namespace forgeline::test
