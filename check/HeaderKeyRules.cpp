// Header keys: MenuName=, IncludeName=, CURRENTDEVICE= and Revision=.

#include "check/CheckerParts.h"

namespace forgeline::checker {

namespace {

void checkMenuName(const McuFile& file, FileReport& report) {
  std::vector<const Piece*> lines = file.headerLines(HeaderKey::menuName);
  if (lines.empty()) {
    report.add(FindingKind::noMenuName, 0,
               "no \"MenuName=\" line: the button shows \"" + std::string(kUnknownMenuName) + "\" and a build looks for the .mcp of the MCU loaded "
               "before; add a line \"MenuName=NAME\" at the top");
    return;
  }
  const Piece* listedLine = file.listedNameLine();
  if (listedLine == nullptr) {
    report.add(FindingKind::noMenuName, lines.front()->line,
               "the \"MenuName=\" value is " + quoted(kUnknownMenuName) + ", so the button shows " + quoted(kUnknownMenuName) + "; write the MCU's name after "
               "\"MenuName=\"");
    return;
  }
  const Piece* loadedLine = lines.back();
  if (file.state->menuName != file.listedName)
    report.add(FindingKind::menuNameChanges, loadedLine->line,
               "this \"MenuName=\" value " + quoted(file.state->menuName) + " differs from " +
                   quoted(file.listedName) + " on line " + std::to_string(listedLine->line) +
                   ": the wizard lists the MCU under the first but loads it with this one and copies " +
                   quoted(file.state->menuName + ".mcp") + "; keep one \"MenuName=\" line");
  for (LineSpan span : lineSpans(file.pieces)) {
    const Piece* p = &file.pieces[span.first];
    if (span.count < 2 || p->header != HeaderKey::menuName) continue;
    const std::size_t length = lineLength(file.pieces, span);
    report.add(FindingKind::longMenuName, p->line,
               "menu name is " + std::to_string(length - 9) + " characters long: the wizard cuts it to its first " +
                   std::to_string(kMaxMenuNameChars) + " characters " + quoted(p->headerValue(), kMaxMenuNameChars) +
                   " for the button and the .mcp name; shorten it to " + std::to_string(kMaxMenuNameChars) +
                   " characters");
  }
}

struct RequiredKey {
  HeaderKey key;
  FindingKind kind;
  std::string consequence;
};

const RequiredKey kRequiredKeys[] = {
    {HeaderKey::includeName, FindingKind::noIncludeName,
     std::string("no \"IncludeName=\" line: derivative.h would include the header of the MCU loaded before (or ") +
         kDefaultIncludeName + "); add a line \"IncludeName=<name.h>\""},
    {HeaderKey::currentDevice, FindingKind::noCurrentDevice,
     "no \"CURRENTDEVICE=\" line: the debugger settings would name the device of the MCU loaded before; add a line "
     "\"CURRENTDEVICE=NAME\""},
    {HeaderKey::revision, FindingKind::noRevision,
     "no \"Revision=\" line: the MCU frame would show the revision of the MCU loaded before (0 for the first); add "
     "a line \"Revision=1\""},
};

bool isWholeNumber(std::string_view value) {
  std::size_t i = value.find_first_not_of(" \t");
  if (i == std::string_view::npos) return false;
  if (value[i] == '+' || value[i] == '-') ++i;
  std::size_t digits = i;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
  return i > digits && value.find_first_not_of(" \t", i) == std::string_view::npos;
}

}  // namespace

void checkHeaderKeys(const McuFile& file, FileReport& report) {
  checkMenuName(file, report);
  for (const RequiredKey& row : kRequiredKeys)
    if (file.headerLines(row.key).empty()) report.add(row.kind, 0, row.consequence);
  for (const Piece* p : file.headerLines(HeaderKey::revision)) {
    const std::string value = p->headerValue();
    if (isWholeNumber(value)) continue;
    report.add(FindingKind::revisionNotNumber, p->line,
               "\"Revision=\" value " + quoted(value) + " is not a number; the wizard reads it as " +
                   std::to_string(parseRevision(value)) + "; write a whole number such as 7");
  }
  for (const Piece& p : file.pieces) {
    if (p.header == HeaderKey::none || (p.use != PieceUse::codeLine && p.use != PieceUse::prmLine)) continue;
    const std::string key(headerKeyText(p.header));
    const std::string where =
        p.use == PieceUse::prmLine
            ? "inside the PRM block: the wizard takes its value and also writes the line into Project.prm"
            : "inside section " + std::to_string(p.section) + " of " + moduleLabel(p.moduleName) +
                  ": the wizard takes its value and also builds the line into main.c as code";
    report.add(FindingKind::headerInsideBlock, p.line,
               "this \"" + key + "\" line stands " + where + "; move it above the first block");
  }
}

}  // namespace forgeline::checker
