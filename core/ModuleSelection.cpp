#include <string>

#include "core/Wizard.h"

namespace forgeline {

int countChosenModules(const WizardState& state) {
  int count = 0;
  for (int k = 0; k < state.moduleCount; ++k)
    if (state.moduleChosen[static_cast<std::size_t>(k)]) ++count;
  return count;
}

void toggleModule(WizardState& state, DialogPort& dialog, int index) {
  if (index < 0 || index >= kMaxModules) return;
  const auto clicked = static_cast<std::size_t>(index);
  state.moduleChosen[clicked] = !state.moduleChosen[clicked];
  // Unticking clears the line even while other modules stay ticked.
  state.descriptionText = state.moduleChosen[clicked] ? state.moduleDescriptions[clicked] : std::string();

  // Every click recomputes all marks from the user's own flags.
  for (int k = 0; k < state.moduleCount; ++k) {
    const bool isInit = state.moduleNames[static_cast<std::size_t>(k)] == "INIT";
    dialog.setEnabled(moduleBox(k), !isInit);
    dialog.setMarked(moduleBox(k), isInit || state.moduleChosen[static_cast<std::size_t>(k)]);
  }

  // One pass, target outside and source inside, reading each source's mark
  // at the moment of the test: a target forced on early in the pass counts as
  // a source for later targets, but a target is never looked at again after
  // its own turn. Key-file authors order their modules with this in mind.
  for (int k = 0; k < state.moduleCount; ++k) {
    const std::string& name = state.moduleNames[static_cast<std::size_t>(k)];
    for (int m = 0; m < state.moduleCount; ++m) {
      if (dialog.isMarked(moduleBox(m)) &&
          state.moduleUses[static_cast<std::size_t>(m)].find(name) != std::string::npos) {
        dialog.setMarked(moduleBox(k), true);
        dialog.setEnabled(moduleBox(k), false);
        // Further sources would only force the same box on again.
        break;
      }
    }
  }

  state.chosenCount = countChosenModules(state);
  dialog.requestRepaint();
}

}  // namespace forgeline
