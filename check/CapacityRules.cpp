// What the wizard's fixed tables drop.
#include <array>
#include <map>
#include <memory>
#include <utility>

#include "check/CheckerParts.h"

namespace forgeline::checker {

namespace {

// The dropped pieces of one kind (and section): the first, how many, and
// the first names of dropped modules.
struct DropGroup {
  int line = 0;
  int module = 0;
  int count = 0;
  std::vector<std::string> moduleNames;
};

// A table tried with one module ticked: its section 6 alone fills the
// section's table, since no other module's section 6 is built with it.
struct TickedSection6 {
  int lines = 0;
  int firstDroppedLine = 0;
};

class CapacityRules : public PieceRules {
 public:
  void see(const Piece& p, FileReport&) override {
    if (p.dropped) {
      DropGroup& group = groups_[{*p.dropped, *p.dropped == DroppedKind::sectionLine ? p.section : 0}];
      if (group.count++ == 0) group.line = p.line, group.module = p.module;
      // names() shows the first five and "more".
      if (*p.dropped == DroppedKind::module && group.moduleNames.size() <= 5) group.moduleNames.push_back(p.moduleName);
    }
    if (p.use == PieceUse::codeLine && p.section == 6 && p.moduleName != kInitModuleName && p.module >= 0 &&
        p.module < kMaxModules) {
      TickedSection6& slot = ticked_[static_cast<std::size_t>(p.module)];
      if (++slot.lines == kMaxSectionLines + 1) slot.firstDroppedLine = p.line;
    }
  }

  void finish(const LoadedFile& loaded, FileReport& report) override {
    for (const auto& [key, group] : groups_) reportGroup(key.first, key.second, group, report);
    for (int slot = 0; slot < loaded.state.moduleCount; ++slot) {
      const TickedSection6& t = ticked_[static_cast<std::size_t>(slot)];
      if (t.lines <= kMaxSectionLines) continue;
      const int dropped = t.lines - kMaxSectionLines;
      report.add(RuleOrder::tickedCapacities, FindingKind::tooManySectionLines, t.firstDroppedLine,
                 "when " + moduleLabel(loaded.state.moduleNames[static_cast<std::size_t>(slot)]) +
                     " is ticked, its section 6 outgrows the " + std::to_string(kMaxSectionLines) +
                     " lines the wizard keeps: " + thisAndMore(dropped) + oneOrMany(dropped, " is", " are") +
                     " left out of main; shorten it");
    }
  }

 private:
  static void reportGroup(DroppedKind kind, int section, const DropGroup& group, FileReport& report) {
    const int line = group.line;
    switch (kind) {
      case DroppedKind::module:
        report.add(RuleOrder::capacities, FindingKind::tooManyModules, line,
                   "module " + std::to_string(group.module + 1) + " is past the " + std::to_string(kMaxModules) +
                       " module boxes: the wizard ignores " + thisAndMore(group.count, "module") + " (" +
                       names(group.moduleNames) + ") with their descriptions and code; keep at most " +
                       std::to_string(kMaxModules) + " modules in a file");
        break;
      case DroppedKind::prmLine:
        report.add(RuleOrder::capacities, FindingKind::tooManyPrmLines, line,
                   "the PRM block outgrows the " + std::to_string(kMaxPrmLines) + " lines the wizard keeps: " +
                       thisAndMore(group.count) + oneOrMany(group.count, " is", " are") + " left out of Project.prm; shorten the PRM block");
        break;
      case DroppedKind::initLine:
        report.add(RuleOrder::capacities, FindingKind::tooManyInitLines, line,
                   "section 6 of INIT outgrows the " + std::to_string(kMaxInitLines) + " lines the wizard keeps: " +
                       thisAndMore(group.count) + oneOrMany(group.count, " is", " are") + " left out of main; shorten INIT's section 6");
        break;
      case DroppedKind::sectionLine:
        report.add(RuleOrder::capacities, FindingKind::tooManySectionLines, line,
                   "with every module marked, section " + std::to_string(section) + " outgrows the " +
                       std::to_string(kMaxSectionLines) + " lines the wizard keeps: " + thisAndMore(group.count) +
                       oneOrMany(group.count, " is", " are") + " left out of main.c; move code out of section " + std::to_string(section));
        break;
    }
  }

  std::map<std::pair<DroppedKind, int>, DropGroup> groups_;
  std::array<TickedSection6, kMaxModules> ticked_{};
};

}  // namespace

std::unique_ptr<PieceRules> capacityRules() { return std::make_unique<CapacityRules>(); }

}  // namespace forgeline::checker
