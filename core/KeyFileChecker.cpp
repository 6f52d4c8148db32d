#include "core/KeyFileChecker.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>

#include "core/DialogModel.h"
#include "core/Wizard.h"

namespace forgeline {

Severity severityOf(FindingKind kind) {
  // The kinds list every error before the first warning.
  return kind < FindingKind::moduleNameCutShort ? Severity::error : Severity::warning;
}

int CheckReport::errors() const {
  int n = 0;
  for (const Finding& f : findings) n += f.severity == Severity::error;
  return n;
}

int CheckReport::warnings() const {
  int n = 0;
  for (const Finding& f : findings) n += f.severity == Severity::warning;
  return n;
}

namespace {

constexpr const char* kKeyFilesFolder = "KeyFiles";
constexpr std::string_view kUnknownMenuName = "???";
constexpr std::size_t kMaxLineChars = 98;
constexpr std::size_t kMaxMenuNameChars = LineReader::kMaxPiece - 10;  // "MenuName=" and the cut last character

// ---------------------------------------------------------------------------
// What the loader made of a file, piece by piece.

enum class PieceUse { none, moduleLine, descriptionLine, codeLine, prmLine };

struct Piece {
  int line = 0;
  bool continuation = false;  // starts in the middle of its line
  std::string text;
  LineKind kind = LineKind::content;
  HeaderKey header = HeaderKey::none;
  PieceUse use = PieceUse::none;
  int module = -1;         // the module slot of a module, description or code line
  int section = 0;         // the section of a code line
  std::string moduleName;  // a module line's name; for a code line, the name of the module it belongs to
  std::optional<DroppedKind> dropped;

  std::string_view withoutLineEnd() const {
    return text.ends_with('\n') ? std::string_view(text).substr(0, text.size() - 1) : std::string_view(text);
  }
  std::string headerValue() const { return std::string(classifyLine(text).headerValue); }
};

// Listens to one load and keeps every piece with what the loader did to it.
// Each event after onPiece is about the piece just announced.
class LoadRecorder : public LoadObserver {
 public:
  std::vector<Piece> pieces;

  void onPiece(int lineNumber, bool continuation, std::string_view piece, const ClassifiedLine& line) override {
    Piece p;
    p.line = lineNumber;
    p.continuation = continuation;
    p.text = std::string(piece);
    p.kind = line.kind;
    p.header = line.header;
    pieces.push_back(std::move(p));
  }
  void onModuleLine(int, int index, std::string_view name) override {
    currentModule_ = std::string(name);
    mark(PieceUse::moduleLine, index).moduleName = currentModule_;
  }
  void onDescriptionLine(int, int index) override { mark(PieceUse::descriptionLine, index); }
  void onCodeLine(int, int index, int section) override {
    Piece& p = mark(PieceUse::codeLine, index);
    p.section = section;
    p.moduleName = currentModule_;
  }
  void onPrmLine(int) override { mark(PieceUse::prmLine, -1); }
  void onDropped(DroppedKind kind, int, int) override { pieces.back().dropped = kind; }

 private:
  Piece& mark(PieceUse use, int index) {
    Piece& p = pieces.back();
    p.use = use;
    p.module = index;
    return p;
  }
  std::string currentModule_;
};

// The folder as the catalogue scan sees it from inside KeyFiles: the scan's
// own step into "KeyFiles" is already done, and the listing may be narrowed
// to one file so that the scan reads exactly that file's menu name.
class CatalogueView : public FileSystemWrapper {
 public:
  CatalogueView(FileSystem& inKeyFiles, std::optional<std::string> onlyEntry)
      : FileSystemWrapper(inKeyFiles), onlyEntry_(std::move(onlyEntry)) {}
  bool changeDirectory(const std::string& path) override {
    return path == kKeyFilesFolder || target().changeDirectory(path);
  }
  std::vector<DirectoryEntry> listEntries() const override {
    std::vector<DirectoryEntry> entries = target().listEntries();
    if (onlyEntry_) std::erase_if(entries, [&](const DirectoryEntry& e) { return e.name != *onlyEntry_; });
    return entries;
  }

 private:
  std::optional<std::string> onlyEntry_;
};

struct McuFile {
  std::string name;
  bool readable = true;
  bool listed = false;     // among the files the catalogue offers
  std::string listedName;  // the caption of its button
  std::vector<Piece> pieces;
  std::unique_ptr<WizardState> state;  // after a build-mode load with every box marked
  // Pieces of a build-mode load with one module ticked, for a module whose
  // own section 6 outgrows its table.
  std::map<int, std::vector<Piece>> tickedLoads;

  const Piece* moduleLineOf(int slot) const {
    const Piece* found = nullptr;
    for (const Piece& p : pieces)
      if (p.use == PieceUse::moduleLine && p.module == slot) found = &p;
    return found;
  }
  std::vector<const Piece*> headerLines(HeaderKey key) const {
    std::vector<const Piece*> found;
    for (const Piece& p : pieces)
      if (p.header == key) found.push_back(&p);
    return found;
  }
  // The "MenuName=" line the catalogue takes: the first whose value is not "???".
  const Piece* listedNameLine() const {
    for (const Piece* p : headerLines(HeaderKey::menuName))
      if (p->headerValue() != kUnknownMenuName) return p;
    return nullptr;
  }
  bool isRs08() const { return state->menuName.starts_with("RS"); }
};

void markEveryBox(DialogModel& dialog) {
  for (int i = 0; i < kMaxModules; ++i) dialog.setMarked(moduleBox(i), true);
}

std::vector<Piece> loadTicked(WizardState& state, DialogModel& dialog, FileSystem& fs, int slot) {
  LoadRecorder recorder;
  markEveryBox(dialog);
  state.moduleChosen[static_cast<std::size_t>(slot)] = true;
  loadMcuDescription(state, dialog, fs, 0, LoadMode::buildMode, &recorder);
  state.moduleChosen[static_cast<std::size_t>(slot)] = false;
  return std::move(recorder.pieces);
}

// Runs the scan and the loader on one file the way the wizard would: the
// scan for the button's caption, a preview load as on a click, then a build
// load with every module box marked, which collects the most any build can.
McuFile readMcuFile(FileSystem& inKeyFiles, const std::string& name, bool listed) {
  McuFile file;
  file.name = name;
  file.listed = listed;
  file.state = std::make_unique<WizardState>();
  file.readable = inKeyFiles.openForReading(name) != nullptr;
  if (!file.readable) return file;
  DialogModel dialog;
  CatalogueView view(inKeyFiles, name);
  scanCatalogue(*file.state, dialog, view);
  file.listedName = dialog.control(mcuButton(0)).caption;
  loadMcuDescription(*file.state, dialog, view, 0, LoadMode::previewMode);
  markEveryBox(dialog);
  LoadRecorder recorder;
  loadMcuDescription(*file.state, dialog, view, 0, LoadMode::buildMode, &recorder);
  file.pieces = std::move(recorder.pieces);

  // Section 6 comes only from the one module the user ticks, so its table
  // is tried one module at a time, for the modules that could outgrow it.
  std::map<int, int> section6Lines;
  for (const Piece& p : file.pieces)
    if (p.use == PieceUse::codeLine && p.section == 6 && p.moduleName != "INIT") ++section6Lines[p.module];
  for (const auto& [slot, count] : section6Lines)
    if (count > kMaxSectionLines && slot < file.state->moduleCount)
      file.tickedLoads[slot] = loadTicked(*file.state, dialog, view, slot);
  return file;
}

// ---------------------------------------------------------------------------
// Wording helpers.

// A text as it may stand inside a one-line message: no line end, control
// bytes as \xNN, long texts shortened.
std::string quoted(std::string_view text, std::size_t limit = 40) {
  if (text.ends_with('\n')) text.remove_suffix(1);
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (text.size() > limit) out += "...";
  return out + "\"";
}

std::string ordinalWord(std::size_t n) {
  constexpr const char* kWords[] = {"", "first", "second", "third", "fourth", "fifth",
                                    "sixth", "seventh", "eighth", "ninth", "tenth"};
  if (n < std::size(kWords)) return kWords[n];
  return std::to_string(n) + "th";
}

std::string countWord(std::size_t n) {
  constexpr const char* kWords[] = {"no", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten"};
  return n < std::size(kWords) ? kWords[n] : std::to_string(n);
}

// "a, b and c"
std::string joined(const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += i + 1 == parts.size() ? " and " : ", ";
    out += parts[i];
  }
  return out;
}

// "1 PRM line", "5 PRM lines"
std::string counted(int n, const std::string& what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

// "this line", "this line and 4 more"
std::string thisAndMore(int count, const char* what = "line") {
  std::string out = std::string("this ") + what;
  if (count > 1) out += " and " + std::to_string(count - 1) + " more";
  return out;
}

std::string names(const std::vector<std::string>& list, std::size_t limit = 5) {
  std::vector<std::string> shown(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(std::min(limit, list.size())));
  for (std::string& name : shown) name = name.empty() ? "(no name)" : name;
  if (list.size() > limit) shown.push_back("more");
  return joined(shown);
}

bool isNameChar(char c) { return (c >= 'A' && c <= 'Z') || c == '_' || c == '/'; }
bool isWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string moduleLabel(const std::string& name) { return name.empty() ? "the module with no name" : "module " + name; }

// ---------------------------------------------------------------------------
// Findings of one file.

class FileReport {
 public:
  FileReport(std::vector<Finding>& out, std::string file) : out_(out), file_(std::move(file)) {}
  void add(FindingKind kind, int line, std::string text) {
    out_.push_back({file_, line, severityOf(kind), std::move(text), kind});
  }

 private:
  std::vector<Finding>& out_;
  std::string file_;
};

// The pieces of one physical line: [first, first + count).
struct LineSpan {
  std::size_t first = 0;
  std::size_t count = 0;
};

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

// What a piece of a split line turns into when the wizard reads it alone.
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

// --- lines: length, last line end, binary bytes ------------------------------

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

// --- header keys -------------------------------------------------------------

void checkMenuName(const McuFile& file, FileReport& report) {
  std::vector<const Piece*> lines = file.headerLines(HeaderKey::menuName);
  if (lines.empty()) {
    report.add(FindingKind::noMenuName, 0,
               "no \"MenuName=\" line: the button shows \"???\" and a build looks for the .mcp of the MCU loaded "
               "before; add a line \"MenuName=NAME\" at the top");
    return;
  }
  const Piece* listedLine = file.listedNameLine();
  if (listedLine == nullptr) {
    report.add(FindingKind::noMenuName, lines.front()->line,
               "the \"MenuName=\" value is \"???\", so the button shows \"???\"; write the MCU's name after "
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
  const char* consequence;
};

constexpr RequiredKey kRequiredKeys[] = {
    {HeaderKey::includeName, FindingKind::noIncludeName,
     "no \"IncludeName=\" line: derivative.h would include the header of the MCU loaded before (or <???.h>); "
     "add a line \"IncludeName=<name.h>\""},
    {HeaderKey::currentDevice, FindingKind::noCurrentDevice,
     "no \"CURRENTDEVICE=\" line: the debugger settings would name the device of the MCU loaded before; add a line "
     "\"CURRENTDEVICE=NAME\""},
};

bool isWholeNumber(std::string_view value) {
  std::size_t i = value.find_first_not_of(" \t");
  if (i == std::string_view::npos) return false;
  if (value[i] == '+' || value[i] == '-') ++i;
  std::size_t digits = i;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
  return i > digits && value.find_first_not_of(" \t", i) == std::string_view::npos;
}

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

// --- PRM block ---------------------------------------------------------------

void checkPrmBlocks(const McuFile& file, FileReport& report) {
  const Piece* lastStart = nullptr;
  int linesSinceStart = 0;
  for (const Piece& p : file.pieces) {
    if (p.use == PieceUse::prmLine) ++linesSinceStart;
    if (p.kind != LineKind::prmStart) continue;
    if (lastStart != nullptr)
      report.add(FindingKind::secondPrmBlock, p.line,
                 "a second PRMSTART: the wizard discards the " + counted(linesSinceStart, "PRM line") +
                     " read since line " + std::to_string(lastStart->line) +
                     " and keeps only the block that starts here; keep one PRM block");
    lastStart = &p;
    linesSinceStart = 0;
  }
  if (lastStart == nullptr)
    report.add(FindingKind::noPrmBlock, 0,
               "no PRM block: Project.prm would get the PRM lines of the MCU loaded before; add PRMSTART, the "
               "linker lines and PRMEND");
}

// --- module lines --------------------------------------------------------------

// Where "uses" stands inside a longer word, that word; else empty.
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

void checkModuleLine(const McuFile& file, std::size_t i, FileReport& report) {
  const Piece& p = file.pieces[i];
  const std::string& name = p.moduleName;
  const std::size_t nameEnd = 7 + name.size();
  if (name.empty()) {
    report.add(FindingKind::emptyModuleName, p.line,
               "module line gives an empty module name: the box has no caption and every marked box forces this "
               "module on; write the name right after \"MODULE:\"");
  } else if (nameEnd < p.text.size() && std::string_view(" \t\n").find(p.text[nameEnd]) == std::string_view::npos) {
    report.add(FindingKind::moduleNameCutShort, p.line,
               "module name stops at " + quoted(p.text.substr(nameEnd, 1)) + ": the wizard calls this module " + name +
                   ", not " + quoted(p.withoutLineEnd().substr(7, p.withoutLineEnd().find_first_of(" \t", 7) - 7)) +
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

void checkModuleLines(const McuFile& file, FileReport& report) {
  for (std::size_t i = 0; i < file.pieces.size(); ++i) {
    const Piece& p = file.pieces[i];
    if (p.use == PieceUse::moduleLine && p.module < kMaxModules) checkModuleLine(file, i, report);
  }
  checkCodeBeforeFirstModule(file, report);
}

// --- the module table: names, descriptions, uses texts -----------------------

struct Slot {
  int index = 0;
  const Piece* moduleLine = nullptr;
  std::string name;
  std::string uses;
};

// The modules the wizard counts, each with the module line that named it.
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

void checkNamesAndDescriptions(const McuFile& file, const std::vector<Slot>& slots, FileReport& report) {
  std::map<std::string, const Slot*> firstWithName;
  bool hasInit = false;
  for (const Slot& slot : slots) {
    hasInit = hasInit || slot.name == "INIT";
    if (slot.name.empty()) continue;
    auto [first, isNew] = firstWithName.emplace(slot.name, &slot);
    if (!isNew && slot.name == "INIT")
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
    if (slot.name != "INIT" && file.state->moduleDescriptions[static_cast<std::size_t>(slot.index)].empty())
      report.add(FindingKind::noDescription, slot.moduleLine->line,
                 moduleLabel(slot.name) + " has no description: ticking it shows no text; add a line "
                                          "\"9. what it does\" below its module line");
  }
  if (!hasInit)
    report.add(FindingKind::noInit, 0,
               "no module named INIT: a project with no module ticked gets an empty main and no start-up code; add "
               "a MODULE:INIT block");
  for (const Piece& p : file.pieces) {
    if (p.use != PieceUse::descriptionLine || p.module >= kMaxModules || p.text.size() < 3) continue;
    if (std::string_view(" \t\n").find(p.text[2]) != std::string_view::npos) continue;
    report.add(FindingKind::descriptionWithoutSeparator, p.line,
               "description line has no blank after \"9.\", so the wizard drops its first character and shows " +
                   quoted(descriptionText(p.text)) + "; write \"9. \" before the text");
  }
}

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
      report.add(FindingKind::usesItself, line,
                 moduleLabel(slot.name) + " names itself in its uses text, so once ticked its box is disabled and "
                                          "cannot be unticked until the MCU is chosen again; take " +
                     slot.name + " out of its own uses text");
    bool namesAny = false;
    for (const Slot& target : slots) {
      if (target.name.empty() || slot.uses.find(target.name) == std::string::npos) continue;
      namesAny = true;
      if (&target == &slot || !onlyInsideLongerNames(slot.uses, target.name)) continue;
      report.add(FindingKind::usesMatchesInsideWord, line,
                 "the uses text " + quoted(slot.uses) + " holds " + target.name + " only inside " +
                     quoted(enclosingName(slot.uses, target.name)) + ", yet marking " + moduleLabel(slot.name) +
                     " forces module " + target.name + " on as well; write whole module names and rename modules "
                     "whose name is part of another's");
    }
    if (!namesAny && usesWord(slot.moduleLine->text).empty())
      report.add(FindingKind::usesNamesNoModule, line,
                 "the uses text " + quoted(slot.uses) + " names no module of this file, so marking " +
                     moduleLabel(slot.name) + " forces nothing on; name the needed modules exactly as their "
                                              "MODULE: lines do");
  }
}

// Ticks each module in turn through the wizard's own rules and compares the
// boxes they mark with everything the uses texts lead to.
void checkUsesOrder(const McuFile& file, const std::vector<Slot>& slots, FileReport& report) {
  WizardState& state = *file.state;
  auto usesNames = [&](int source, int target) {
    return state.moduleUses[static_cast<std::size_t>(source)].find(state.moduleNames[static_cast<std::size_t>(target)]) !=
           std::string::npos;
  };
  std::set<std::pair<int, int>> reported;  // (source, missed target)
  for (const Slot& ticked : slots) {
    if (ticked.name == "INIT") continue;
    DialogModel dialog;
    toggleModule(state, dialog, ticked.index);
    std::set<int> wanted = {ticked.index};
    for (int m = 0; m < state.moduleCount; ++m)
      if (state.moduleNames[static_cast<std::size_t>(m)] == "INIT") wanted.insert(m);
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
        const Piece* at = file.moduleLineOf(target);
        report.add(FindingKind::dependencyMissed, at != nullptr ? at->line : 0,
                   "with " + ticked.name + " ticked, " + q + " is marked and uses " + r + ", but the box of " + r +
                       " comes before that of " + q + ", so the one-pass uses rule never marks " + r +
                       " and the build lacks its code; move module " + r + " below module " + q);
      }
    }
    toggleModule(state, dialog, ticked.index);
  }
}

// --- capacities ---------------------------------------------------------------

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
                       thisAndMore(group.count) + " are left out of Project.prm; shorten the PRM block");
        break;
      case DroppedKind::initLine:
        report.add(FindingKind::tooManyInitLines, line,
                   "section 6 of INIT outgrows the " + std::to_string(kMaxInitLines) + " lines the wizard keeps: " +
                       thisAndMore(group.count) + " are left out of main; shorten INIT's section 6");
        break;
      case DroppedKind::sectionLine:
        report.add(FindingKind::tooManySectionLines, line,
                   "with every module marked, section " + std::to_string(key.second) + " outgrows the " +
                       std::to_string(kMaxSectionLines) + " lines the wizard keeps: " + thisAndMore(group.count) +
                       " are left out of main.c; move code out of section " + std::to_string(key.second));
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
                   " lines the wizard keeps: " + thisAndMore(group.count) + " are left out of main; shorten it");
  }
}

// --- templates ------------------------------------------------------------------

bool hasFile(FileSystem& inKeyFiles, const std::string& name) { return inKeyFiles.openForReading(name) != nullptr; }

void checkMcpTemplate(FileSystem& inKeyFiles, const McuFile& file, FileReport& report) {
  std::vector<const Piece*> lines = file.headerLines(HeaderKey::menuName);
  if (file.listedNameLine() == nullptr) return;  // already an error of its own
  const std::string mcp = file.state->menuName + ".mcp";
  if (hasFile(inKeyFiles, mcp)) return;
  report.add(FindingKind::missingTemplate, lines.back()->line,
             "the project template " + quoted(mcp, 100) +
                 " is missing from KeyFiles: a build of this MCU stops with \"Error 20: Could not copy MCP file.\"; "
                 "add it to KeyFiles or correct the menu name");
}

enum class Family { all, hcs08, rs08 };

struct SharedTemplate {
  const char* name;
  Family family;
  const char* buildError;
};

constexpr SharedTemplate kSharedTemplates[] = {
    {"burner.bbl", Family::all, "Error 12: Could not copy 'burner.bbl' file."},
    {"Start08.c", Family::hcs08, "Error 16b: Could not copy 'Start08.c'."},
    {"StartRS08.c", Family::rs08, "Error 16a: Could not copy 'StartRS08.c'."},
    {"C_Layout.hwl", Family::all, "Error 18: Could not copy 'C_Layout.hwl'."},
    {"Default.mem", Family::all, "Error 19: Could not copy 'Default.mem'."},
};

void checkSharedTemplates(FileSystem& inKeyFiles, const std::vector<McuFile>& files, std::vector<Finding>& out) {
  for (const SharedTemplate& t : kSharedTemplates) {
    std::vector<std::string> users;
    for (const McuFile& file : files) {
      if (!file.readable || file.headerLines(HeaderKey::menuName).empty()) continue;
      if (t.family == Family::all || (t.family == Family::rs08) == file.isRs08()) users.push_back(file.state->menuName);
    }
    if (users.empty() || hasFile(inKeyFiles, t.name)) continue;
    const std::string who = t.family == Family::all ? "every build"
                            : t.family == Family::rs08
                                ? "a build of an RS08 MCU (" + names(users, 3) + ")"
                                : "a build of an HCS08 MCU (" + names(users, 3) + ")";
    FileReport(out, std::string(kKeyFilesFolder) + "/" + t.name)
        .add(FindingKind::missingTemplate, 0,
             "missing from KeyFiles: " + who + " stops with \"" + t.buildError + "\"; put the template into KeyFiles");
  }
}

// --- the catalogue --------------------------------------------------------------

bool looksMeantAsMcuFile(std::string_view name) {
  auto lower = [](std::string_view text) {
    std::string out(text);
    for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
  };
  return name.size() >= 8 && lower(name.substr(0, 4)) == "mcu_" && lower(name.substr(name.size() - 4)) == ".txt";
}

void checkLookAlikes(const std::vector<DirectoryEntry>& entries, std::vector<Finding>& out) {
  for (const DirectoryEntry& entry : entries) {
    FileReport report(out, std::string(kKeyFilesFolder) + "/" + entry.name);
    if (matchesMcuPattern(entry.name)) {
      if (!entry.isRegularFile)
        report.add(FindingKind::lookAlikeFileName, 0,
                   "the name matches \"MCU_*.txt\" but this is not a regular file, so the wizard skips it; make it "
                   "a file or rename it");
    } else if (looksMeantAsMcuFile(entry.name)) {
      const std::string meant = "MCU_" + entry.name.substr(4, entry.name.size() - 8) + ".txt";
      report.add(FindingKind::lookAlikeFileName, 0,
                 "the name does not match \"MCU_*.txt\" exactly (case matters), so the wizard never lists this file; "
                 "rename it to " + meant);
    }
  }
}

void checkCatalogue(const std::vector<McuFile>& files, std::vector<Finding>& out) {
  std::map<std::string, const McuFile*> firstWithName;
  for (const McuFile& file : files) {
    FileReport report(out, std::string(kKeyFilesFolder) + "/" + file.name);
    if (!file.listed)
      report.add(FindingKind::tooManyMcuFiles, 0,
                 "the wizard lists only the first " + std::to_string(kMaxMcus) +
                     " MCU files in byte order of their names and never offers this one; keep at most " +
                     std::to_string(kMaxMcus) + " MCU_*.txt files in KeyFiles");
    const Piece* line = file.readable ? file.listedNameLine() : nullptr;
    if (line == nullptr || !file.listed) continue;
    auto [first, isNew] = firstWithName.emplace(file.listedName, &file);
    if (!isNew)
      report.add(FindingKind::sameMenuName, line->line,
                 "menu name " + quoted(file.listedName) + " is also the menu name of " + first->second->name +
                     ": the wizard shows two buttons with the same label and both builds copy the same .mcp; give "
                     "each MCU its own menu name");
  }
}

void checkMcuFile(FileSystem& inKeyFiles, const McuFile& file, std::vector<Finding>& out) {
  FileReport report(out, std::string(kKeyFilesFolder) + "/" + file.name);
  if (!file.readable) {
    report.add(FindingKind::unreadableFile, 0,
               "cannot be read: the wizard lists it as \"???\" and loads nothing when it is chosen; make the file "
               "readable");
    return;
  }
  checkBinaryContent(file, report);
  checkLongLines(file, report);
  checkFinalLineEnd(file, report);
  checkHeaderKeys(file, report);
  checkPrmBlocks(file, report);
  checkModuleLines(file, report);
  const std::vector<Slot> slots = countedModules(file);
  checkNamesAndDescriptions(file, slots, report);
  checkUsesTexts(slots, report);
  checkUsesOrder(file, slots, report);
  checkCapacities(file, report);
  checkMcpTemplate(inKeyFiles, file, report);
}

// Enters KeyFiles for the length of the check and always goes back.
class KeyFilesVisit {
 public:
  explicit KeyFilesVisit(FileSystem& fs) : fs_(fs), home_(fs.currentDirectory()) {
    entered_ = fs_.changeDirectory(kKeyFilesFolder);
  }
  ~KeyFilesVisit() {
    if (entered_) fs_.changeDirectory(home_ ? *home_ : std::string(".."));
  }
  KeyFilesVisit(const KeyFilesVisit&) = delete;
  KeyFilesVisit& operator=(const KeyFilesVisit&) = delete;
  bool entered() const { return entered_; }

 private:
  FileSystem& fs_;
  std::optional<std::string> home_;
  bool entered_ = false;
};

}  // namespace

CheckReport checkKeyFiles(FileSystem& fs) {
  CheckReport report;
  KeyFilesVisit visit(fs);
  if (!visit.entered()) {
    report.findings.push_back({kKeyFilesFolder, 0, Severity::error,
                               "there is no KeyFiles folder here: the wizard shows \"Could not find 'KeyFiles' "
                               "directory. Will abort.\" and ends; run the check in the folder that holds KeyFiles",
                               FindingKind::noKeyFiles});
    return report;
  }

  // The catalogue itself decides which files are offered.
  auto catalogue = std::make_unique<WizardState>();
  DialogModel catalogueDialog;
  CatalogueView allFiles(fs, std::nullopt);
  scanCatalogue(*catalogue, catalogueDialog, allFiles);
  const std::set<std::string> listed(catalogue->mcuFileTitles.begin(),
                                     catalogue->mcuFileTitles.begin() + catalogue->mcuCount);

  std::vector<DirectoryEntry> entries = fs.listEntries();
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  std::vector<McuFile> files;
  for (const DirectoryEntry& entry : entries)
    if (entry.isRegularFile && matchesMcuPattern(entry.name))
      files.push_back(readMcuFile(fs, entry.name, listed.contains(fileTitle(entry.name))));
  report.filesChecked = static_cast<int>(files.size());

  if (files.empty())
    report.findings.push_back({kKeyFilesFolder, 0, Severity::error,
                               "no file in KeyFiles matches \"MCU_*.txt\": the wizard shows \"Found no MCU files. Will "
                               "abort.\" and ends; add at least one MCU_NAME.txt",
                               FindingKind::noMcuFiles});
  checkLookAlikes(entries, report.findings);
  checkCatalogue(files, report.findings);
  checkSharedTemplates(fs, files, report.findings);
  for (const McuFile& file : files) checkMcuFile(fs, file, report.findings);

  std::stable_sort(report.findings.begin(), report.findings.end(), [](const Finding& a, const Finding& b) {
    return std::tie(a.file, a.line) < std::tie(b.file, b.line);
  });
  return report;
}

std::string formatFinding(const Finding& finding) {
  std::string where = finding.file;
  if (finding.line > 0) where += ":" + std::to_string(finding.line);
  return where + (finding.severity == Severity::error ? ": error: " : ": warning: ") + finding.text;
}

std::string formatSummary(const CheckReport& report) {
  return std::to_string(report.errors()) + " errors, " + std::to_string(report.warnings()) + " warnings in " +
         std::to_string(report.filesChecked) + " files";
}

}  // namespace forgeline
