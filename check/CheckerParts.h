// What the checker's rule families share: the record of one MCU file as the
// loader read it, the findings of one file, and the wording helpers.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/KeyFileChecker.h"
#include "core/Wizard.h"

namespace forgeline::checker {

inline constexpr const char* kKeyFilesFolder = "KeyFiles";
inline constexpr std::size_t kMaxLineChars = 98;
// "MenuName=" and the cut last character take the rest of a piece.
inline constexpr std::size_t kMaxMenuNameChars = LineReader::kMaxPiece - 10;

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

struct McuFile {
  std::string name;
  std::string shownAs;  // how findings name the file, e.g. "KeyFiles/MCU_X.txt"
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
  bool isRs08() const { return isRs08MenuName(state->menuName); }
};

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

std::vector<LineSpan> lineSpans(const std::vector<Piece>& pieces);
std::size_t lineLength(const std::vector<Piece>& pieces, LineSpan span);

// A module the wizard counts, with the module line that named it.
struct Slot {
  int index = 0;
  const Piece* moduleLine = nullptr;
  std::string name;
  std::string uses;
};


std::vector<Slot> countedModules(const McuFile& file);

// --- wording ------------------------------------------------------------------

// A text as it may stand inside a one-line message: no line end, control
// bytes as \xNN, long texts shortened.
std::string quoted(std::string_view text, std::size_t limit = 40);
std::string ordinalWord(std::size_t n);  // "first", "second", ...
std::string countWord(std::size_t n);    // "no", "one", "two", ...
std::string joined(const std::vector<std::string>& parts);  // "a, b and c"
std::string counted(int n, const std::string& what);       // "1 PRM line", "5 PRM lines"
std::string thisAndMore(int count, const char* what = "line");  // "this line", "this line and 4 more"
// `one` for a count of 1, else `many`: "is" or "are" after thisAndMore().
inline const char* oneOrMany(int count, const char* one, const char* many) { return count == 1 ? one : many; }
std::string names(const std::vector<std::string>& list, std::size_t limit = 5);
std::string moduleLabel(const std::string& name);  // "module X", "the module with no name"
bool isWordChar(char c);
// Where "uses" stands inside a longer word on a module line, that word; else empty.
std::string usesWord(std::string_view line);

// --- the rule families, one file at a time -------------------------------------

void checkLines(const McuFile& file, FileReport& report);          // length, last line end, binary bytes
void checkHeaderKeys(const McuFile& file, FileReport& report);     // MenuName=, IncludeName=, ...
void checkPrmBlocks(const McuFile& file, FileReport& report);      // PRMSTART ... PRMEND
void checkModuleLines(const McuFile& file, FileReport& report);    // MODULE: lines, ENDMODULE, descriptions
void checkModuleTable(const McuFile& file, const std::vector<Slot>& slots, FileReport& report);
void checkUses(const McuFile& file, const std::vector<Slot>& slots, FileReport& report);
void checkLookAlikeLines(const McuFile& file, FileReport& report);  // near misses, dropped code, byte-order mark
void checkCapacities(const McuFile& file, FileReport& report);     // what the tables drop
void checkMcpTemplate(FileSystem& inKeyFiles, const McuFile& file, FileReport& report);

// --- across files -------------------------------------------------------------

void checkSharedTemplates(FileSystem& inKeyFiles, const std::vector<McuFile>& files, std::vector<Finding>& out);
void checkLookAlikes(const std::vector<DirectoryEntry>& entries, std::vector<Finding>& out);
void checkCatalogue(const std::vector<McuFile>& files, std::vector<Finding>& out);

}  // namespace forgeline::checker
