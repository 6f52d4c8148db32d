// Module lines, ENDMODULE, descriptions and the table of counted modules.
#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "check/CheckerParts.h"

namespace forgeline::checker {

std::string usesWord(std::string_view line) {
  std::size_t at = usesPosition(line);
  if (at == std::string_view::npos) return {};
  const bool before = at > 0 && isWordChar(line[at - 1]);
  const bool after = at + 4 < line.size() && isWordChar(line[at + 4]);
  if (!before && !after) return {};
  std::size_t begin = at, end = at + 4;
  while (begin > 0 && isWordChar(line[begin - 1])) --begin;
  while (end < line.size() && isWordChar(line[end])) ++end;
  return std::string(line.substr(begin, end - begin));
}


namespace {

// What the author wrote as the name: everything after "MODULE:" up to a blank.
std::string_view writtenName(std::string_view line) {
  std::string_view rest = line.substr(kModuleKey.size());
  return rest.substr(0, rest.find_first_of(" \t"));
}

bool isLowerCase(char c) { return c >= 'a' && c <= 'z'; }

std::string inCapitals(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (isLowerCase(c)) c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// Why a module line gives an empty name, said for the character that ends it.
std::string emptyNameCause(std::string_view line) {
  const std::string_view rest = line.substr(kModuleKey.size());
  const std::size_t start = std::min(rest.find_first_not_of(" \t"), rest.size());
  const std::string_view word = rest.substr(start, rest.find_first_of(" \t", start) - start);
  const std::string meant = quoted(std::string(kModuleKey) + inCapitals(word));
  if (rest.starts_with(' ') || rest.starts_with('\t'))
    return "a blank right after \"MODULE:\" ends the name before it begins; write " + meant;
  if (!rest.empty() && isLowerCase(rest.front()))
    return quoted(rest.substr(0, 1)) + " is a lower-case letter, which ends the name before it begins; write module "
           "names in capitals: " + meant;
  return "write the name right after \"MODULE:\"";
}

// The module line's name and uses text; whether ENDMODULE follows is seen later.
void checkModuleLine(const Piece& p, FileReport& report) {
  const std::string& name = p.moduleName;
  const std::size_t nameEnd = kModuleKey.size() + name.size();
  if (name.empty()) {
    report.add(RuleOrder::moduleLines, FindingKind::emptyModuleName, p.line,
               "module line gives an empty module name: the box has no caption and every marked box forces this "
               "module on; " + emptyNameCause(p.withoutLineEnd()));
  } else if (nameEnd < p.text.size() && isLowerCase(p.text[nameEnd])) {
    report.add(RuleOrder::moduleLines, FindingKind::moduleNameCutShort, p.line,
               "module name stops at " + quoted(p.text.substr(nameEnd, 1)) + ", a lower-case letter: the wizard calls "
               "this module " + name + ", not " + quoted(writtenName(p.withoutLineEnd())) +
                   "; write module names in capitals: " + quoted("MODULE:" + inCapitals(writtenName(p.withoutLineEnd()))));
  } else if (nameEnd < p.text.size() && std::string_view(" \t\n").find(p.text[nameEnd]) == std::string_view::npos) {
    report.add(RuleOrder::moduleLines, FindingKind::moduleNameCutShort, p.line,
               "module name stops at " + quoted(p.text.substr(nameEnd, 1)) + ": the wizard calls this module " + name +
                   ", not " + quoted(writtenName(p.withoutLineEnd())) +
                   "; use only the capitals A-Z, \"_\" and \"/\" in module names");
  }
  if (std::string word = usesWord(p.text); !word.empty())
    report.add(RuleOrder::moduleLines, FindingKind::usesInsideWord, p.line,
               "\"uses\" is found inside the word " + quoted(word) + ", so the wizard takes " +
                   quoted(moduleUsesText(p.text)) + " as the uses text and forces on every module named in it; "
                   "keep \"uses\" out of other words on a module line");
}

class ModuleLineRules : public PieceRules {
 public:
  void see(const Piece& p, FileReport& report) override {
    if (p.kind == LineKind::endLine) open_.reset();
    if (p.kind == LineKind::moduleLine && open_) {
      report.add(RuleOrder::moduleLines, FindingKind::unclosedModule, open_->line,
                 moduleLabel(open_->name) + " has no ENDMODULE before the next module line (line " + std::to_string(p.line) +
                     "), so " + moduleLabel(p.moduleName) + " takes over its box and this code is built whenever "
                     "that box is marked; add ENDMODULE before line " + std::to_string(p.line));
      open_.reset();
    }
    if (p.use == PieceUse::moduleLine) {
      beforeFirstModule_ = false;
      if (p.module < kMaxModules) {
        checkModuleLine(p, report);
        open_ = OpenModule{p.line, p.moduleName};
      }
    }
    if (beforeFirstModule_ && p.use == PieceUse::codeLine && codeBeforeFirst_++ == 0) firstCodeLine_ = p.line;
  }

  void finish(const LoadedFile&, FileReport& report) override {
    if (open_)
      report.add(RuleOrder::moduleLines, FindingKind::unclosedModule, open_->line,
                 moduleLabel(open_->name) + " has no ENDMODULE before the end of the file: its box shows, but the wizard does "
                                     "not count the module, so its uses are never applied and a tick on it is not "
                                     "counted; add ENDMODULE at the end of the module");
    if (codeBeforeFirst_ > 0)
      report.add(RuleOrder::codeBeforeFirstModule, FindingKind::codeBeforeFirstModule, firstCodeLine_,
                 "code under a section header before the first module line: the wizard files " +
                     thisAndMore(codeBeforeFirst_) +
                     " as code of module box 0 and builds it whenever that box is marked; move it into a module block");
  }

 private:
  // A module line not yet followed by ENDMODULE or another module line.
  struct OpenModule {
    int line;
    std::string name;
  };
  std::optional<OpenModule> open_;
  bool beforeFirstModule_ = true;
  int codeBeforeFirst_ = 0;
  int firstCodeLine_ = 0;
};

}  // namespace

std::unique_ptr<PieceRules> moduleLineRules() { return std::make_unique<ModuleLineRules>(); }

std::vector<Slot> countedModules(const LoadedFile& loaded) {
  std::vector<Slot> slots;
  const WizardState& s = loaded.state;
  for (int m = 0; m < s.moduleCount; ++m) {
    const Piece* line = loaded.moduleLineOf(m);
    if (line == nullptr) continue;  // counted by a stray ENDMODULE, never shown
    const auto k = static_cast<std::size_t>(m);
    slots.push_back({m, line, s.moduleNames[k], s.moduleUses[k]});
  }
  return slots;
}

namespace {

// A definition of MCU_Init: the name as a whole word followed by "(", on a
// line that does not end in ";" as a call or a declaration does.
bool definesMcuInit(std::string_view line) {
  constexpr std::string_view kName = "MCU_Init";
  while (!line.empty() && std::string_view(" \t\r\n").find(line.back()) != std::string_view::npos) line.remove_suffix(1);
  if (line.ends_with(';')) return false;
  for (std::size_t at = line.find(kName); at != std::string_view::npos; at = line.find(kName, at + 1)) {
    const std::size_t after = line.find_first_not_of(" \t", at + kName.size());
    if ((at == 0 || !isWordChar(line[at - 1])) && after != std::string_view::npos && line[after] == '(') return true;
  }
  return false;
}

class ModuleTableRules : public PieceRules {
 public:
  void see(const Piece& p, FileReport& report) override {
    if (p.use == PieceUse::codeLine && p.moduleName == kInitModuleName && p.section != 6 && definesMcuInit(p.text))
      initDefinesMcuInit_ = true;
    if (p.use != PieceUse::descriptionLine || p.module >= kMaxModules || p.text.size() < 3) return;
    if (std::string_view(" \t\n").find(p.text[2]) != std::string_view::npos) return;
    report.add(RuleOrder::descriptions, FindingKind::descriptionWithoutSeparator, p.line,
               "description line has no blank after \"9.\", so the wizard drops its first character and shows " +
                   quoted(descriptionText(p.text)) + "; write \"9. \" before the text");
  }

  void finish(const LoadedFile& loaded, FileReport& report) override {
    const std::vector<Slot> slots = countedModules(loaded);
    std::map<std::string, const Slot*> firstWithName;
    bool hasInit = false;
    for (const Slot& slot : slots) {
      hasInit = hasInit || slot.name == kInitModuleName;
      if (slot.name.empty()) continue;
      auto [first, isNew] = firstWithName.emplace(slot.name, &slot);
      if (!isNew && slot.name == kInitModuleName)
        report.add(RuleOrder::moduleTable, FindingKind::duplicateInit, slot.moduleLine->line,
                   "a second module named INIT (the first is on line " + std::to_string(first->second->moduleLine->line) +
                       "): both boxes are always marked and the section-6 lines of both make up main when nothing is "
                       "ticked; merge them into one INIT module");
      else if (!isNew)
        report.add(RuleOrder::moduleTable, FindingKind::duplicateModule, slot.moduleLine->line,
                   "module name " + slot.name + " is also the name of the module on line " +
                       std::to_string(first->second->moduleLine->line) +
                       ": two boxes read the same and a uses text naming it forces both on; give each module its own "
                       "name");
      if (slot.name != kInitModuleName && loaded.state.moduleDescriptions[static_cast<std::size_t>(slot.index)].empty())
        report.add(RuleOrder::moduleTable, FindingKind::noDescription, slot.moduleLine->line,
                   moduleLabel(slot.name) + " has no description: ticking it shows no text; add a line "
                                            "\"9. what it does\" below its module line");
    }
    if (!hasInit)
      report.add(RuleOrder::noInit, FindingKind::noInit, 0,
                 "no module named INIT: a project with no module ticked gets an empty main and no start-up code; add "
                 "a MODULE:INIT block");
    checkMcuInit(slots, report);
    checkUses(loaded, slots, report);
  }

 private:
  // With two or more modules ticked, main is the fixed body that starts with
  // a call of MCU_Init, whatever INIT holds.
  void checkMcuInit(const std::vector<Slot>& slots, FileReport& report) const {
    const Slot* init = nullptr;
    int tickable = 0;
    for (const Slot& slot : slots) {
      if (slot.name != kInitModuleName) ++tickable;
      else if (init == nullptr) init = &slot;
    }
    if (init == nullptr || tickable < 2 || initDefinesMcuInit_) return;
    report.add(RuleOrder::mcuInit, FindingKind::initWithoutMcuInit, init->moduleLine->line,
               "module INIT defines no function MCU_Init, yet with two or more modules ticked main begins with "
               "\"MCU_Init();\", so linking such a project fails on the undefined _MCU_Init; define "
               "\"void MCU_Init(void)\" in section 7 of INIT and declare it in section 5");
  }

  bool initDefinesMcuInit_ = false;  // a code line of INIT outside section 6 defines MCU_Init
};

}  // namespace

std::unique_ptr<PieceRules> moduleTableRules() { return std::make_unique<ModuleTableRules>(); }

}  // namespace forgeline::checker
