// Lines: their length, the last line end, and bytes that are not text.
#include <cstdio>
#include <optional>
#include <set>

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

void checkLongLines(const McuFile& file, FileReport& report) {
  for (LineSpan span : lineSpans(file.pieces)) {
    if (span.count < 2) continue;
    std::vector<std::string> splits, roles;
    std::size_t at = 0;
    for (std::size_t i = 0; i < span.count; ++i) {
      const Piece& p = file.pieces[span.first + i];
      if (i > 0) {
        splits.push_back(std::to_string(at));
        std::string shown = p.text == "\n" ? "(only the line end)" : quoted(p.text);
        roles.push_back("the " + ordinalWord(i + 1) + " piece " + shown + " " + pieceRole(p));
      }
      at += p.text.size();
    }
    report.add(FindingKind::longLine, file.pieces[span.first].line,
               "line is " + std::to_string(lineLength(file.pieces, span)) + " characters long; the wizard reads it as " +
                   countWord(span.count) + " lines split after character" + (splits.size() > 1 ? "s " : " ") +
                   joined(splits) + ", and " + joined(roles) + "; break it into lines of at most " +
                   std::to_string(kMaxLineChars) + " characters");
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

void checkFinalLineEnd(const McuFile& file, FileReport& report) {
  if (file.pieces.empty() || file.pieces.back().text.ends_with('\n')) return;
  std::string effect = lastCharacterEffect(file.pieces.back());
  if (effect.empty()) return;
  report.add(FindingKind::noFinalLineEnd, file.pieces.back().line,
             "the last line has no line end, so " + effect + "; end the file with a line break");
}

bool isBinaryByte(unsigned char c) {
  return c == 0x7F || (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v');
}

void checkBinaryContent(const McuFile& file, FileReport& report) {
  struct Hit {
    int line;
    std::size_t column;
    unsigned char byte;
  };
  std::optional<Hit> first;
  std::set<int> lines;
  std::size_t column = 0;
  for (const Piece& p : file.pieces) {
    if (!p.continuation) column = 0;
    for (char c : p.text) {
      ++column;
      if (!isBinaryByte(static_cast<unsigned char>(c))) continue;
      if (!first) first = Hit{p.line, column, static_cast<unsigned char>(c)};
      lines.insert(p.line);
    }
  }
  if (!first) return;
  char byte[8];
  std::snprintf(byte, sizeof byte, "0x%02X", first->byte);
  std::string more = lines.size() > 1 ? " (and " + std::to_string(lines.size() - 1) + " more lines hold such bytes)" : "";
  report.add(FindingKind::binaryContent, first->line,
             std::string("line holds the byte ") + byte + " at column " + std::to_string(first->column) + more +
                 ": binary content, not text; the wizard takes such bytes as ordinary characters and copies them "
                 "into captions and generated files; save the file as plain text");
}

}  // namespace

std::vector<LineSpan> lineSpans(const std::vector<Piece>& pieces) {
  std::vector<LineSpan> spans;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (!pieces[i].continuation || spans.empty()) spans.push_back({i, 0});
    ++spans.back().count;
  }
  return spans;
}

std::size_t lineLength(const std::vector<Piece>& pieces, LineSpan span) {
  std::size_t length = 0;
  for (std::size_t i = span.first; i < span.first + span.count; ++i) length += pieces[i].withoutLineEnd().size();
  return length;
}

void checkLines(const McuFile& file, FileReport& report) {
  checkBinaryContent(file, report);
  checkLongLines(file, report);
  checkFinalLineEnd(file, report);
}

}  // namespace forgeline::checker
