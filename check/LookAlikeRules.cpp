// Lines the wizard silently reads otherwise than they look: near misses of a
// section header, a block keyword or a header key, code that no section
// takes, and a byte-order mark in front of the first line.
#include <algorithm>
#include <array>
#include <memory>

#include "check/CheckerParts.h"

namespace forgeline::checker {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// A line the loader took as neither a key nor a structure line: it is code,
// a PRM line, or ignored.
bool isPlainLine(const Piece& p) {
  return !p.continuation && p.kind == LineKind::content && p.header == HeaderKey::none;
}

// What the loader did with a plain line, for the middle of a sentence.
std::string whatBecameOf(const Piece& p) {
  switch (p.use) {
    case PieceUse::codeLine:
      return "reads it as a code line of section " + std::to_string(p.section) + " of " + moduleLabel(p.moduleName) +
             " and copies it into main.c as it stands";
    case PieceUse::prmLine: return "writes it into Project.prm as a linker line";
    default: return "ignores it";
  }
}

// "6.", "10.", " 6.", "6 .", "6)": a number and a full stop, bracket or colon
// alone on a line. Returns why it is no section header; empty when the line
// does not look like one.
std::string sectionHeaderMiss(std::string_view line) {
  std::string_view text = trimmed(line);
  std::size_t digits = 0;
  while (digits < text.size() && isDigit(text[digits])) ++digits;
  if (digits == 0 || digits > 2) return {};
  std::size_t mark = digits;
  while (mark < text.size() && isBlank(text[mark])) ++mark;
  if (mark + 1 != text.size() || std::string_view(".):").find(text[mark]) == std::string_view::npos) return {};
  const std::string number(text.substr(0, digits));
  if (digits > 1 || number == "0" || number == "9")
    return "there is no section " + number + ", sections are 1 to 8";
  if (isBlank(line.front())) return "a section header must begin at the very start of the line";
  if (mark > digits) return "a blank stands between the digit and the full stop";
  return quoted(text.substr(mark, 1)) + " stands where the full stop belongs";
}

struct Keyword {
  std::string_view spelling;
  LineKind kind;
};
constexpr Keyword kKeywords[] = {{"ENDMODULE", LineKind::endLine},
                                 {"PRMSTART", LineKind::prmStart},
                                 {"PRMEND", LineKind::prmEnd},
                                 {kModuleKey, LineKind::moduleLine}};

// The keyword a line was meant as, with case, blanks, "_" and "-" ignored
// and nothing but punctuation after it; nullptr when none.
const Keyword* meantKeyword(std::string_view line) {
  std::string folded;
  for (char c : trimmed(line))
    if (!isBlank(c) && c != '_' && c != '-') folded += upper(c);
  for (const Keyword& k : kKeywords) {
    if (!folded.starts_with(k.spelling)) continue;
    const std::string_view rest = std::string_view(folded).substr(k.spelling.size());
    if (k.kind == LineKind::moduleLine || rest.find_first_not_of(";:.") == std::string_view::npos) return &k;
  }
  return nullptr;
}

// "menuname=", " Revision=3", "MenuName =X": a header key with its case,
// a leading blank or a blank before "=" wrong. Returns the line as it should
// be written; empty when the line does not look like a header key.
std::string headerKeyMiss(std::string_view line) {
  const std::string_view text = trimmed(line);
  for (HeaderKey key : {HeaderKey::menuName, HeaderKey::includeName, HeaderKey::currentDevice, HeaderKey::revision}) {
    const std::string_view spelling = headerKeyText(key);  // with its "="
    const std::string_view name = spelling.substr(0, spelling.size() - 1);
    if (text.size() < name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i) same = upper(text[i]) == upper(name[i]);
    if (!same) continue;
    std::size_t equals = name.size();
    while (equals < text.size() && isBlank(text[equals])) ++equals;
    if (equals >= text.size() || text[equals] != '=') continue;
    return std::string(spelling) + std::string(trimmed(text.substr(equals + 1)));
  }
  return {};
}

void checkLookAlikeLine(const Piece& p, FileReport& report) {
  const std::string_view line = p.withoutLineEnd();
  if (std::string cause = sectionHeaderMiss(line); !cause.empty()) {
    report.add(RuleOrder::lookAlikeLines, FindingKind::lookAlikeSectionHeader, p.line,
               quoted(line) + " looks like a section header, but " + cause + ", so the wizard " + whatBecameOf(p) +
                   "; write \"1.\" to \"8.\" at the very start of the line");
  } else if (const Keyword* k = meantKeyword(line)) {
    report.add(RuleOrder::lookAlikeLines, FindingKind::lookAlikeKeyword, p.line,
               quoted(line) + " looks like " + quoted(k->spelling) + " but is not spelt exactly so at the start of "
               "the line, so the wizard " + whatBecameOf(p) + "; write " + quoted(k->spelling) +
                   (k->kind == LineKind::moduleLine ? " followed by the name" : "") + " at the very start of the line");
  } else if (std::string meant = headerKeyMiss(line); !meant.empty() && p.use == PieceUse::none) {
    report.add(RuleOrder::lookAlikeLines, FindingKind::lookAlikeHeaderKey, p.line,
               quoted(line) + " looks like a header key, but a key must begin the line spelt exactly so with \"=\" "
               "right after it, so the wizard ignores the line; write " + quoted(meant));
  }
}

bool isLookAlike(std::string_view line) {
  return !sectionHeaderMiss(line).empty() || meantKeyword(line) != nullptr || !headerKeyMiss(line).empty();
}

// ENDMODULE, PRMSTART or PRMEND with more after it: the loader acts on the
// keyword and drops the rest.
void checkKeywordTail(const Piece& p, FileReport& report) {
  if (p.continuation) return;
  for (const Keyword& k : kKeywords) {
    if (k.kind != p.kind || k.kind == LineKind::moduleLine) continue;
    const std::string_view rest = trimmed(p.withoutLineEnd().substr(k.spelling.size()));
    if (!rest.empty())
      report.add(RuleOrder::lookAlikeLines, FindingKind::keywordWithExtraText, p.line,
                 "the wizard takes this line as " + std::string(k.spelling) + " and ignores " + quoted(rest) +
                     " after it; leave " + std::string(k.spelling) + " alone on its line");
  }
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// `first` is the file's first piece.
void checkByteOrderMark(const Piece& first, FileReport& report) {
  if (!first.text.starts_with(kByteOrderMark)) return;
  const std::string_view rest = std::string_view(first.text).substr(kByteOrderMark.size());
  const ClassifiedLine meant = classifyLine(rest);
  const std::string advice = "save the file without a byte-order mark (in Notepad: UTF-8, not UTF-8 with BOM; or ANSI)";
  if (meant.header == HeaderKey::none && meant.kind == LineKind::content) {
    report.add(RuleOrder::byteOrderMark, FindingKind::byteOrderMark, 1,
               "the file starts with a UTF-8 byte-order mark, three bytes the wizard reads as part of line 1; " + advice);
    return;
  }
  std::string_view what = meant.kind == LineKind::descriptionLine ? "9." : rest.substr(0, 2);
  if (meant.header != HeaderKey::none) what = headerKeyText(meant.header);
  for (const Keyword& k : kKeywords)
    if (k.kind == meant.kind) what = k.spelling;
  report.add(RuleOrder::byteOrderMark, FindingKind::byteOrderMarkHidesLine, 1,
             "the file starts with a UTF-8 byte-order mark, three bytes the wizard reads as part of line 1, so line 1 "
             "does not begin with " + quoted(what) + " and the wizard ignores it; " + advice);
}

// Code inside a module that stands after its module line, its description
// or a PRM block and before any section header is read by no section.
class DroppedLines {
 public:
  // A piece that starts in the middle of a line still acts as a line of its
  // own, so it moves in and out of modules like any other.
  void see(const Piece& p, FileReport& report) {
    if (p.kind != LineKind::content || p.header != HeaderKey::none) flush(report);
    if (p.kind == LineKind::moduleLine) inModule_ = true, module_ = p.moduleName, after_ = "its module line";
    if (p.kind == LineKind::endLine) inModule_ = false;
    if (p.kind == LineKind::descriptionLine) after_ = "its description line";
    if (p.kind == LineKind::prmEnd) after_ = "a PRM block";
    if (!inModule_ || !isPlainLine(p) || p.use != PieceUse::none || trimmed(p.withoutLineEnd()).empty()) return;
    if (isLookAlike(p.withoutLineEnd())) {
      flush(report);
      return;
    }
    if (count_++ == 0) firstLine_ = p.line;
  }

  void flush(FileReport& report) {
    const int count = count_;
    if (count > 0)
      report.add(RuleOrder::droppedLines, FindingKind::droppedCodeLines, firstLine_,
                 "in " + moduleLabel(module_) + ", " + thisAndMore(count) + oneOrMany(count, " follows ", " follow ") +
                     after_ + " with no section header in between, so no section takes " +
                     oneOrMany(count, "it", "them") + " and the wizard drops " + oneOrMany(count, "it", "them") +
                     " from main.c; put the section header (\"1.\" to \"8.\") above " + oneOrMany(count, "it", "them"));
    count_ = 0;
  }

 private:
  bool inModule_ = false;
  std::string module_, after_;
  int count_ = 0;  // plain lines dropped since the last flush
  int firstLine_ = 0;
};

class LookAlikeRules : public PieceRules {
 public:
  void see(const Piece& p, FileReport& report) override {
    if (first_) checkByteOrderMark(p, report);
    first_ = false;
    if (isPlainLine(p)) checkLookAlikeLine(p, report);
    checkKeywordTail(p, report);
    dropped_.see(p, report);
  }
  void finish(const LoadedFile&, FileReport& report) override { dropped_.flush(report); }

 private:
  bool first_ = true;
  DroppedLines dropped_;
};

}  // namespace

std::unique_ptr<PieceRules> lookAlikeRules() { return std::make_unique<LookAlikeRules>(); }

}  // namespace forgeline::checker
