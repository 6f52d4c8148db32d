// Header keys: MenuName=, IncludeName=, CURRENTDEVICE= and Revision=.
#include <memory>

#include "check/CheckerParts.h"

namespace forgeline::checker {

namespace {

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

class HeaderKeyRules : public PieceRules {
 public:
  void see(const Piece& p, FileReport& report) override {
    if (!p.continuation) {
      endLine(report);
      menuNameLine_ = p.header == HeaderKey::menuName;
      if (menuNameLine_) line_ = p.line, value_ = p.headerValue();
      pieces_ = 0;
      length_ = 0;
    }
    ++pieces_;
    length_ += p.withoutLineEnd().size();
    if (p.header == HeaderKey::revision) checkRevision(p, report);
    if (p.header != HeaderKey::none && (p.use == PieceUse::codeLine || p.use == PieceUse::prmLine))
      reportInsideBlock(p, report);
  }

  void finish(const LoadedFile& loaded, FileReport& report) override {
    endLine(report);
    checkMenuName(loaded, report);
    for (const RequiredKey& row : kRequiredKeys)
      if (loaded.headerLineCount(row.key) == 0) report.add(RuleOrder::requiredKeys, row.kind, 0, row.consequence);
  }

 private:
  // A "MenuName=" line longer than a piece.
  void endLine(FileReport& report) {
    if (!menuNameLine_ || pieces_ < 2) return;
    menuNameLine_ = false;
    report.add(RuleOrder::longMenuName, FindingKind::longMenuName, line_,
               "menu name is " + std::to_string(length_ - 9) + " characters long: the wizard cuts it to its first " +
                   std::to_string(kMaxMenuNameChars) + " characters " + quoted(value_, kMaxMenuNameChars) +
                   " for the button and the .mcp name; shorten it to " + std::to_string(kMaxMenuNameChars) +
                   " characters");
  }

  static void checkMenuName(const LoadedFile& loaded, FileReport& report) {
    const McuFile& file = loaded.file;
    if (loaded.headerLineCount(HeaderKey::menuName) == 0) {
      report.add(RuleOrder::menuName, FindingKind::noMenuName, 0,
                 "no \"MenuName=\" line: the button shows \"" + std::string(kUnknownMenuName) + "\" and a build looks for the .mcp of the MCU loaded "
                 "before; add a line \"MenuName=NAME\" at the top");
      return;
    }
    if (file.listedNameLine == 0) {
      report.add(RuleOrder::menuName, FindingKind::noMenuName, loaded.firstMenuNameLine,
                 "the \"MenuName=\" value is " + quoted(kUnknownMenuName) + ", so the button shows " + quoted(kUnknownMenuName) + "; write the MCU's name after "
                 "\"MenuName=\"");
      return;
    }
    if (loaded.state.menuName != file.listedName)
      report.add(RuleOrder::menuName, FindingKind::menuNameChanges, loaded.lastMenuNameLine,
                 "this \"MenuName=\" value " + quoted(loaded.state.menuName) + " differs from " +
                     quoted(file.listedName) + " on line " + std::to_string(file.listedNameLine) +
                     ": the wizard lists the MCU under the first but loads it with this one and copies " +
                     quoted(loaded.state.menuName + ".mcp") + "; keep one \"MenuName=\" line");
  }

  static void checkRevision(const Piece& p, FileReport& report) {
    const std::string value = p.headerValue();
    if (isWholeNumber(value)) return;
    report.add(RuleOrder::revision, FindingKind::revisionNotNumber, p.line,
               "\"Revision=\" value " + quoted(value) + " is not a number; the wizard reads it as " +
                   std::to_string(parseRevision(value)) + "; write a whole number such as 7");
  }

  static void reportInsideBlock(const Piece& p, FileReport& report) {
    const std::string key(headerKeyText(p.header));
    const std::string where =
        p.use == PieceUse::prmLine
            ? "inside the PRM block: the wizard takes its value and also writes the line into Project.prm"
            : "inside section " + std::to_string(p.section) + " of " + moduleLabel(p.moduleName) +
                  ": the wizard takes its value and also builds the line into main.c as code";
    report.add(RuleOrder::headerInsideBlock, FindingKind::headerInsideBlock, p.line,
               "this \"" + key + "\" line stands " + where + "; move it above the first block");
  }

  // The line being read, when it is a "MenuName=" line.
  bool menuNameLine_ = false;
  int line_ = 0;
  std::string value_;
  std::size_t pieces_ = 0;
  std::size_t length_ = 0;
};

}  // namespace

std::unique_ptr<PieceRules> headerKeyRules() { return std::make_unique<HeaderKeyRules>(); }

}  // namespace forgeline::checker
