// Module lines, ENDMODULE, descriptions and the table of counted modules.
#include <algorithm>
#include <map>

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

void checkModuleLine(const McuFile& file, std::size_t i, FileReport& report) {
  const Piece& p = file.pieces[i];
  const std::string& name = p.moduleName;
  const std::size_t nameEnd = kModuleKey.size() + name.size();
  if (name.empty()) {
    report.add(FindingKind::emptyModuleName, p.line,
               "module line gives an empty module name: the box has no caption and every marked box forces this "
               "module on; " + emptyNameCause(p.withoutLineEnd()));
  } else if (nameEnd < p.text.size() && isLowerCase(p.text[nameEnd])) {
    report.add(FindingKind::moduleNameCutShort, p.line,
               "module name stops at " + quoted(p.text.substr(nameEnd, 1)) + ", a lower-case letter: the wizard calls "
               "this module " + name + ", not " + quoted(writtenName(p.withoutLineEnd())) +
                   "; write module names in capitals: " + quoted("MODULE:" + inCapitals(writtenName(p.withoutLineEnd()))));
  } else if (nameEnd < p.text.size() && std::string_view(" \t\n").find(p.text[nameEnd]) == std::string_view::npos) {
    report.add(FindingKind::moduleNameCutShort, p.line,
               "module name stops at " + quoted(p.text.substr(nameEnd, 1)) + ": the wizard calls this module " + name +
                   ", not " + quoted(writtenName(p.withoutLineEnd())) +
                   "; use only the capitals A-Z, \"_\" and \"/\" in module names");
  }
  if (std::string word = usesWord(p.text); !word.empty())
    report.add(FindingKind::usesInsideWord, p.line,
               "\"uses\" is found inside the word " + quoted(word) + ", so the wizard takes " +
                   quoted(moduleUsesText(p.text)) + " as the uses text and forces on every module named in it; "
                   "keep \"uses\" out of other words on a module line");

  for (std::size_t j = i + 1; j < file.pieces.size(); ++j) {
    const Piece& next = file.pieces[j];
    if (next.kind == LineKind::endLine) return;
    if (next.kind != LineKind::moduleLine) continue;
    report.add(FindingKind::unclosedModule, p.line,
               moduleLabel(name) + " has no ENDMODULE before the next module line (line " + std::to_string(next.line) +
                   "), so " + moduleLabel(next.moduleName) + " takes over its box and this code is built whenever "
                   "that box is marked; add ENDMODULE before line " + std::to_string(next.line));
    return;
  }
  report.add(FindingKind::unclosedModule, p.line,
             moduleLabel(name) + " has no ENDMODULE before the end of the file: its box shows, but the wizard does "
                                 "not count the module, so its uses are never applied and a tick on it is not "
                                 "counted; add ENDMODULE at the end of the module");
}

void checkCodeBeforeFirstModule(const McuFile& file, FileReport& report) {
  const Piece* first = nullptr;
  int count = 0;
  for (const Piece& p : file.pieces) {
    if (p.use == PieceUse::moduleLine) break;
    if (p.use != PieceUse::codeLine) continue;
    if (first == nullptr) first = &p;
    ++count;
  }
  if (first != nullptr)
    report.add(FindingKind::codeBeforeFirstModule, first->line,
               "code under a section header before the first module line: the wizard files " + thisAndMore(count) +
                   " as code of module box 0 and builds it whenever that box is marked; move it into a module block");
}

}  // namespace

void checkModuleLines(const McuFile& file, FileReport& report) {
  for (std::size_t i = 0; i < file.pieces.size(); ++i) {
    const Piece& p = file.pieces[i];
    if (p.use == PieceUse::moduleLine && p.module < kMaxModules) checkModuleLine(file, i, report);
  }
  checkCodeBeforeFirstModule(file, report);
}

std::vector<Slot> countedModules(const McuFile& file) {
  std::vector<Slot> slots;
  const WizardState& s = *file.state;
  for (int m = 0; m < s.moduleCount; ++m) {
    const Piece* line = file.moduleLineOf(m);
    if (line == nullptr) continue;  // counted by a stray ENDMODULE, never shown
    const auto k = static_cast<std::size_t>(m);
    slots.push_back({m, line, s.moduleNames[k], s.moduleUses[k]});
  }
  return slots;
}

bool definesMcuInit(std::string_view line);
void checkMcuInit(const McuFile& file, const std::vector<Slot>& slots, FileReport& report);

void checkModuleTable(const McuFile& file, const std::vector<Slot>& slots, FileReport& report) {
  std::map<std::string, const Slot*> firstWithName;
  bool hasInit = false;
  for (const Slot& slot : slots) {
    hasInit = hasInit || slot.name == kInitModuleName;
    if (slot.name.empty()) continue;
    auto [first, isNew] = firstWithName.emplace(slot.name, &slot);
    if (!isNew && slot.name == kInitModuleName)
      report.add(FindingKind::duplicateInit, slot.moduleLine->line,
                 "a second module named INIT (the first is on line " + std::to_string(first->second->moduleLine->line) +
                     "): both boxes are always marked and the section-6 lines of both make up main when nothing is "
                     "ticked; merge them into one INIT module");
    else if (!isNew)
      report.add(FindingKind::duplicateModule, slot.moduleLine->line,
                 "module name " + slot.name + " is also the name of the module on line " +
                     std::to_string(first->second->moduleLine->line) +
                     ": two boxes read the same and a uses text naming it forces both on; give each module its own "
                     "name");
    if (slot.name != kInitModuleName && file.state->moduleDescriptions[static_cast<std::size_t>(slot.index)].empty())
      report.add(FindingKind::noDescription, slot.moduleLine->line,
                 moduleLabel(slot.name) + " has no description: ticking it shows no text; add a line "
                                          "\"9. what it does\" below its module line");
  }
  if (!hasInit)
    report.add(FindingKind::noInit, 0,
               "no module named INIT: a project with no module ticked gets an empty main and no start-up code; add "
               "a MODULE:INIT block");
  checkMcuInit(file, slots, report);
  for (const Piece& p : file.pieces) {
    if (p.use != PieceUse::descriptionLine || p.module >= kMaxModules || p.text.size() < 3) continue;
    if (std::string_view(" \t\n").find(p.text[2]) != std::string_view::npos) continue;
    report.add(FindingKind::descriptionWithoutSeparator, p.line,
               "description line has no blank after \"9.\", so the wizard drops its first character and shows " +
                   quoted(descriptionText(p.text)) + "; write \"9. \" before the text");
  }
}

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

// With two or more modules ticked, main is the fixed body that starts with a
// call of MCU_Init, whatever INIT holds.
void checkMcuInit(const McuFile& file, const std::vector<Slot>& slots, FileReport& report) {
  const Slot* init = nullptr;
  int tickable = 0;
  for (const Slot& slot : slots) {
    if (slot.name != kInitModuleName) ++tickable;
    else if (init == nullptr) init = &slot;
  }
  if (init == nullptr || tickable < 2) return;
  for (const Piece& p : file.pieces)
    if (p.use == PieceUse::codeLine && p.moduleName == kInitModuleName && p.section != 6 && definesMcuInit(p.text))
      return;
  report.add(FindingKind::initWithoutMcuInit, init->moduleLine->line,
             "module INIT defines no function MCU_Init, yet with two or more modules ticked main begins with "
             "\"MCU_Init();\", so linking such a project fails on the undefined _MCU_Init; define "
             "\"void MCU_Init(void)\" in section 7 of INIT and declare it in section 5");
}

}  // namespace forgeline::checker
