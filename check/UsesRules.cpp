// Uses texts and the one-pass uses rule.
#include <set>
#include <utility>

#include "check/CheckerParts.h"
#include "core/DialogModel.h"

namespace forgeline::checker {

namespace {

// True when every place `name` occurs in `text` lies inside a longer run of
// module-name characters.
bool onlyInsideLongerNames(const std::string& text, const std::string& name) {
  for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    const bool before = at > 0 && isNameChar(text[at - 1]);
    const bool after = at + name.size() < text.size() && isNameChar(text[at + name.size()]);
    if (!before && !after) return false;
  }
  return true;
}

std::string enclosingName(const std::string& text, const std::string& name) {
  std::size_t begin = text.find(name), end = begin + name.size();
  while (begin > 0 && isNameChar(text[begin - 1])) --begin;
  while (end < text.size() && isNameChar(text[end])) ++end;
  return text.substr(begin, end - begin);
}

void checkUsesTexts(const std::vector<Slot>& slots, FileReport& report) {
  for (const Slot& slot : slots) {
    if (slot.uses.empty()) continue;
    const int line = slot.moduleLine->line;
    if (!slot.name.empty() && slot.uses.find(slot.name) != std::string::npos)
      report.add(RuleOrder::uses, FindingKind::usesItself, line,
                 moduleLabel(slot.name) + " names itself in its uses text, so once ticked its box is disabled and "
                                          "cannot be unticked until the MCU is chosen again; take " +
                     slot.name + " out of its own uses text");
    bool namesAny = false;
    for (const Slot& target : slots) {
      if (target.name.empty() || slot.uses.find(target.name) == std::string::npos) continue;
      namesAny = true;
      if (&target == &slot || !onlyInsideLongerNames(slot.uses, target.name)) continue;
      report.add(RuleOrder::uses, FindingKind::usesMatchesInsideWord, line,
                 "the uses text " + quoted(slot.uses) + " holds " + target.name + " only inside " +
                     quoted(enclosingName(slot.uses, target.name)) + ", yet marking " + moduleLabel(slot.name) +
                     " forces module " + target.name + " on as well; write whole module names and rename modules "
                     "whose name is part of another's");
    }
    if (!namesAny && usesWord(slot.moduleLine->text).empty())
      report.add(RuleOrder::uses, FindingKind::usesNamesNoModule, line,
                 "the uses text " + quoted(slot.uses) + " names no module of this file, so marking " +
                     moduleLabel(slot.name) + " forces nothing on; name the needed modules exactly as their "
                                              "MODULE: lines do");
  }
}

// Ticks each module in turn through the wizard's own rules and compares the
// boxes they mark with everything the uses texts lead to.
void checkUsesOrder(const LoadedFile& loaded, const std::vector<Slot>& slots, FileReport& report) {
  WizardState& state = loaded.state;
  auto usesNames = [&](int source, int target) {
    return state.moduleUses[static_cast<std::size_t>(source)].find(state.moduleNames[static_cast<std::size_t>(target)]) !=
           std::string::npos;
  };
  std::set<std::pair<int, int>> reported;  // (source, missed target)
  for (const Slot& ticked : slots) {
    if (ticked.name == kInitModuleName) continue;
    DialogModel dialog;
    toggleModule(state, dialog, ticked.index);
    std::set<int> wanted = {ticked.index};
    for (int m = 0; m < state.moduleCount; ++m)
      if (state.moduleNames[static_cast<std::size_t>(m)] == kInitModuleName) wanted.insert(m);
    for (bool grew = true; grew;) {
      grew = false;
      for (int source : std::set<int>(wanted))
        for (int target = 0; target < state.moduleCount; ++target)
          if (!wanted.contains(target) && usesNames(source, target)) grew = wanted.insert(target).second || grew;
    }
    for (int target : wanted) {
      if (dialog.isMarked(moduleBox(target))) continue;
      for (int source : wanted) {
        if (!dialog.isMarked(moduleBox(source)) || !usesNames(source, target) || !reported.insert({source, target}).second)
          continue;
        const std::string& r = state.moduleNames[static_cast<std::size_t>(target)];
        const std::string& q = state.moduleNames[static_cast<std::size_t>(source)];
        const Piece* at = loaded.moduleLineOf(target);
        report.add(RuleOrder::uses, FindingKind::dependencyMissed, at != nullptr ? at->line : 0,
                   "with " + ticked.name + " ticked, " + q + " is marked and uses " + r + ", but the box of " + r +
                       " comes before that of " + q + ", so the one-pass uses rule never marks " + r +
                       " and the build lacks its code; move module " + r + " below module " + q);
      }
    }
    toggleModule(state, dialog, ticked.index);
  }
}

}  // namespace

void checkUses(const LoadedFile& loaded, const std::vector<Slot>& slots, FileReport& report) {
  checkUsesTexts(slots, report);
  checkUsesOrder(loaded, slots, report);
}

}  // namespace forgeline::checker
