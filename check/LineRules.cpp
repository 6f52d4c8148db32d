// Lines: their length, the last line end, and bytes that are not text.
#include <cstdio>
#include <memory>
#include <optional>

#include "check/CheckerParts.h"

namespace forgeline::checker {

namespace {

std::string pieceRole(const Piece& p) {
  switch (p.kind) {
    case LineKind::moduleLine: return "acts as a module line";
    case LineKind::endLine: return "acts as ENDMODULE";
    case LineKind::prmStart: return "acts as PRMSTART";
    case LineKind::prmEnd: return "acts as PRMEND";
    case LineKind::descriptionLine: return "acts as a description line";
    case LineKind::sectionHeader: return "acts as a section header";
    case LineKind::content: break;
  }
  if (p.header != HeaderKey::none) return "acts as a " + std::string(headerKeyText(p.header)) + " line";
  switch (p.use) {
    case PieceUse::codeLine: return "is a code line of its own";
    case PieceUse::prmLine: return "is a PRM line of its own";
    default: return "is ignored";
  }
}

// What dropping the last character does to the last line; empty when harmless.
std::string lastCharacterEffect(const Piece& last) {
  const std::string cut = "the wizard drops its last character";
  if (last.header != HeaderKey::none)
    return cut + " and reads " + std::string(headerKeyText(last.header)) + " as " + quoted(last.headerValue());
  if (last.kind == LineKind::descriptionLine)
    return cut + " and shows the description " + quoted(descriptionText(last.text));
  if (last.kind == LineKind::moduleLine && usesPosition(last.text) != std::string::npos)
    return cut + " and reads the uses text as " + quoted(moduleUsesText(last.text));
  if (last.use == PieceUse::codeLine)
    return "the wizard stores it without a line end and main.c runs the next line on after it";
  if (last.use == PieceUse::prmLine)
    return "the wizard stores it without a line end and Project.prm runs the next line on after it";
  return {};
}

bool isBinaryByte(unsigned char c) {
  return c == 0x7F || (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v');
}

// A line of more pieces than this is described by its first pieces only.
constexpr std::size_t kListedPieces = 10;

class LineRules : public PieceRules {
 public:
  void see(const Piece& p, FileReport& report) override {
    seeBytes(p);
    if (!p.continuation) {
      endLine(report);
      line_ = p.line;
      pieces_ = 1;
      length_ = p.withoutLineEnd().size();
      at_ = p.text.size();
      splits_.clear();
      roles_.clear();
      return;
    }
    ++pieces_;
    length_ += p.withoutLineEnd().size();
    if (pieces_ <= kListedPieces) {
      splits_.push_back(std::to_string(at_));
      std::string shown = p.text == "\n" ? "(only the line end)" : quoted(p.text);
      roles_.push_back("the " + ordinalWord(pieces_) + " piece " + shown + " " + pieceRole(p));
    }
    at_ += p.text.size();
  }

  void finish(const LoadedFile& loaded, FileReport& report) override {
    endLine(report);
    reportBinaryContent(report);
    checkFinalLineEnd(loaded, report);
  }

 private:
  void seeBytes(const Piece& p) {
    if (!p.continuation) column_ = 0;
    for (char c : p.text) {
      ++column_;
      if (!isBinaryByte(static_cast<unsigned char>(c))) continue;
      if (!first_) first_ = Hit{p.line, column_, static_cast<unsigned char>(c)};
      if (p.line != lastBinaryLine_) ++binaryLines_, lastBinaryLine_ = p.line;
    }
  }

  void endLine(FileReport& report) {
    if (pieces_ >= 2) {
      std::vector<std::string> splits = splits_, roles = roles_;
      if (pieces_ > kListedPieces) {
        const std::size_t rest = pieces_ - kListedPieces;
        splits.push_back("every " + std::to_string(LineReader::kMaxPiece) + " after");
        roles.push_back(rest == 1 ? std::string("one more piece after them is a line of its own too")
                                  : std::to_string(rest) + " more pieces after them are lines of their own too");
      }
      report.add(RuleOrder::longLines, FindingKind::longLine, line_,
                 "line is " + std::to_string(length_) + " characters long; the wizard reads it as " + countWord(pieces_) +
                     " lines split after character" + (splits.size() > 1 ? "s " : " ") + joined(splits) + ", and " +
                     joined(roles) + "; break it into lines of at most " + std::to_string(kMaxLineChars) + " characters");
    }
    pieces_ = 0;
  }

  void reportBinaryContent(FileReport& report) {
    if (!first_) return;
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", first_->byte);
    std::string more = binaryLines_ > 1 ? " (and " + std::to_string(binaryLines_ - 1) + " more lines hold such bytes)" : "";
    report.add(RuleOrder::binaryContent, FindingKind::binaryContent, first_->line,
               std::string("line holds the byte ") + byte + " at column " + std::to_string(first_->column) + more +
                   ": binary content, not text; the wizard takes such bytes as ordinary characters and copies them "
                   "into captions and generated files; save the file as plain text");
  }

  static void checkFinalLineEnd(const LoadedFile& loaded, FileReport& report) {
    if (!loaded.lastPiece || loaded.lastPiece->text.ends_with('\n')) return;
    std::string effect = lastCharacterEffect(*loaded.lastPiece);
    if (effect.empty()) return;
    report.add(RuleOrder::finalLineEnd, FindingKind::noFinalLineEnd, loaded.lastPiece->line,
               "the last line has no line end, so " + effect + "; end the file with a line break");
  }

  struct Hit {
    int line;
    std::size_t column;
    unsigned char byte;
  };
  std::optional<Hit> first_;
  std::size_t binaryLines_ = 0;
  int lastBinaryLine_ = 0;
  std::size_t column_ = 0;

  // The line being read: its first line number, pieces, length and, for the
  // first pieces, where it splits and what each further piece does.
  int line_ = 0;
  std::size_t pieces_ = 0;
  std::size_t length_ = 0;
  std::size_t at_ = 0;
  std::vector<std::string> splits_, roles_;
};

}  // namespace

std::unique_ptr<PieceRules> lineRules() { return std::make_unique<LineRules>(); }

}  // namespace forgeline::checker
