// What the wizard's fixed tables drop.
#include <map>
#include <utility>

#include "check/CheckerParts.h"

namespace forgeline::checker {

namespace {

struct DropGroup {
  const Piece* first = nullptr;
  int count = 0;
  std::vector<std::string> moduleNames;
};

std::map<std::pair<DroppedKind, int>, DropGroup> dropGroups(const std::vector<Piece>& pieces) {
  std::map<std::pair<DroppedKind, int>, DropGroup> groups;
  for (const Piece& p : pieces) {
    if (!p.dropped) continue;
    DropGroup& group = groups[{*p.dropped, *p.dropped == DroppedKind::sectionLine ? p.section : 0}];
    if (group.first == nullptr) group.first = &p;
    ++group.count;
    if (*p.dropped == DroppedKind::module) group.moduleNames.push_back(p.moduleName);
  }
  return groups;
}

}  // namespace

void checkCapacities(const McuFile& file, FileReport& report) {
  for (const auto& [key, group] : dropGroups(file.pieces)) {
    const int line = group.first->line;
    switch (key.first) {
      case DroppedKind::module:
        report.add(FindingKind::tooManyModules, line,
                   "module " + std::to_string(group.first->module + 1) + " is past the " + std::to_string(kMaxModules) +
                       " module boxes: the wizard ignores " + thisAndMore(group.count, "module") + " (" +
                       names(group.moduleNames) + ") with their descriptions and code; keep at most " +
                       std::to_string(kMaxModules) + " modules in a file");
        break;
      case DroppedKind::prmLine:
        report.add(FindingKind::tooManyPrmLines, line,
                   "the PRM block outgrows the " + std::to_string(kMaxPrmLines) + " lines the wizard keeps: " +
                       thisAndMore(group.count) + oneOrMany(group.count, " is", " are") + " left out of Project.prm; shorten the PRM block");
        break;
      case DroppedKind::initLine:
        report.add(FindingKind::tooManyInitLines, line,
                   "section 6 of INIT outgrows the " + std::to_string(kMaxInitLines) + " lines the wizard keeps: " +
                       thisAndMore(group.count) + oneOrMany(group.count, " is", " are") + " left out of main; shorten INIT's section 6");
        break;
      case DroppedKind::sectionLine:
        report.add(FindingKind::tooManySectionLines, line,
                   "with every module marked, section " + std::to_string(key.second) + " outgrows the " +
                       std::to_string(kMaxSectionLines) + " lines the wizard keeps: " + thisAndMore(group.count) +
                       oneOrMany(group.count, " is", " are") + " left out of main.c; move code out of section " + std::to_string(key.second));
        break;
    }
  }
  for (const auto& [slot, pieces] : file.tickedLoads) {
    const auto groups = dropGroups(pieces);
    auto found = groups.find({DroppedKind::sectionLine, 6});
    if (found == groups.end()) continue;
    const DropGroup& group = found->second;
    report.add(FindingKind::tooManySectionLines, group.first->line,
               "when " + moduleLabel(file.state->moduleNames[static_cast<std::size_t>(slot)]) +
                   " is ticked, its section 6 outgrows the " + std::to_string(kMaxSectionLines) +
                   " lines the wizard keeps: " + thisAndMore(group.count) + oneOrMany(group.count, " is", " are") + " left out of main; shorten it");
  }
}

}  // namespace forgeline::checker
