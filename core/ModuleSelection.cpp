#include <algorithm>
#include <bitset>
#include <string>

#include "core/Wizard.h"

namespace forgeline {

namespace {

void noteTick(WizardState& state, int index) {
  auto* end = state.tickOrder.begin() + state.tickCount;
  end = std::remove(state.tickOrder.begin(), end, index);
  if (state.moduleChosen[static_cast<std::size_t>(index)]) *end++ = index;
  state.tickCount = static_cast<int>(end - state.tickOrder.begin());
}

}  // namespace

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
  noteTick(state, index);
  // Unticking clears the line even while other modules stay ticked.
  state.descriptionText = state.moduleChosen[clicked] ? state.moduleDescriptions[clicked] : std::string();

  // Every click recomputes all marks from the user's own flags. This click is
  // the only thing that touches the boxes until it returns, so the marks it
  // sets are kept here too and read back from this copy, which the window
  // would otherwise be asked for 2,500 times a click.
  std::bitset<kMaxModules> marked;
  for (int k = 0; k < state.moduleCount; ++k) {
    const auto slot = static_cast<std::size_t>(k);
    const bool isInit = state.moduleNames[slot] == kInitModuleName;
    marked[slot] = isInit || state.moduleChosen[slot];
    dialog.setEnabled(moduleBox(k), !isInit);
    dialog.setMarked(moduleBox(k), marked[slot]);
  }

  if (!state.usedByKnown) {
    for (int k = 0; k < state.moduleCount; ++k) {
      const auto target = static_cast<std::size_t>(k);
      state.usedBy[target].reset();
      for (int m = 0; m < state.moduleCount; ++m) {
        const auto source = static_cast<std::size_t>(m);
        state.usedBy[target][source] = state.moduleUses[source].find(state.moduleNames[target]) != std::string::npos;
      }
    }
    state.usedByKnown = true;
  }

  // One pass, in box order, each target taking the marks of its sources as
  // they stand at its turn: a target forced on early in the pass counts as a
  // source for later targets, but a target is never looked at again after
  // its own turn. Key-file authors order their modules with this in mind.
  for (int k = 0; k < state.moduleCount; ++k) {
    const auto target = static_cast<std::size_t>(k);
    if ((marked & state.usedBy[target]).none()) continue;
    marked[target] = true;
    dialog.setMarked(moduleBox(k), true);
    dialog.setEnabled(moduleBox(k), false);
  }

  state.chosenCount = countChosenModules(state);
  dialog.requestRepaint();
}

}  // namespace forgeline
