// What the checker's rule families share: the pieces of a load as they pass,
// the little kept of each MCU file, the findings of one file, and the wording
// helpers.
#pragma once

#include <array>
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

// What the loader made of a file, piece by piece; a rule sees one piece at a
// time and keeps what it needs.
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

// What a check keeps of one MCU file once its own rules are done: what the
// rules across files need, never the file's lines.
struct McuFile {
  std::string name;
  std::string shownAs;  // how findings name the file, e.g. "KeyFiles/MCU_X.txt"
  bool readable = true;
  bool listed = false;     // among the files the catalogue offers
  std::string listedName;  // the caption of its button
  std::string menuName;    // the menu name a build loads it with
  bool hasMenuNameLine = false;
  int listedNameLine = 0;  // the "MenuName=" line the catalogue takes; 0 for none

  bool isRs08() const { return isRs08MenuName(menuName); }
};

// What one build-mode load with every box marked leaves for the rules that
// look at the file as a whole.
struct LoadedFile {
  LoadedFile(const McuFile& f, WizardState& s) : file(f), state(s) {}
  const McuFile& file;
  WizardState& state;
  std::array<int, 5> headerLines{};  // how many lines of each HeaderKey
  int firstMenuNameLine = 0;
  int lastMenuNameLine = 0;
  // The last module line the loader gave each box.
  std::array<std::optional<Piece>, kMaxModules> moduleLines{};
  std::optional<Piece> lastPiece;

  int headerLineCount(HeaderKey key) const { return headerLines[static_cast<std::size_t>(key)]; }
  const Piece* moduleLineOf(int slot) const {
    const std::optional<Piece>& line = moduleLines[static_cast<std::size_t>(slot)];
    return line ? &*line : nullptr;
  }
};

// Where a rule's findings stand among others of the same line: rules report
// in this order, whenever during the load they find something.
enum class RuleOrder {
  catalogue,
  binaryContent,
  longLines,
  finalLineEnd,
  menuName,
  longMenuName,
  requiredKeys,
  revision,
  headerInsideBlock,
  prmBlocks,
  moduleLines,
  codeBeforeFirstModule,
  byteOrderMark,
  lookAlikeLines,
  droppedLines,
  moduleTable,
  noInit,
  mcuInit,
  descriptions,
  uses,
  capacities,
  tickedCapacities,
  mcpTemplate,
};

// Findings of one file. Each kind lists at most kMaxListedFindingsOfAKind of
// them and one more finding counts the rest, so a huge file gives a short
// report.
class FileReport {
 public:
  explicit FileReport(std::string file) : file_(std::move(file)) {}
  void add(RuleOrder order, FindingKind kind, int line, std::string text);
  // Adds the counting findings and appends all, in line order, to `out`.
  void moveInto(std::vector<Finding>& out);

 private:
  struct Held {
    RuleOrder order;
    Finding finding;
  };
  struct Unlisted {
    int count = 0;
    int firstLine = 0;
    int lastLine = 0;
    RuleOrder order = RuleOrder::catalogue;
  };
  std::string file_;
  std::vector<Held> held_;
  std::map<FindingKind, int> listed_;
  std::map<FindingKind, Unlisted> unlisted_;
};

// A finding about the folder or across files; such findings are few.
void addFinding(std::vector<Finding>& out, const std::string& file, FindingKind kind, int line, std::string text);

// One rule family: follows a load piece by piece, keeping only what its
// findings need, and reports the rest once the load is over. `p` lives only
// for the call.
class PieceRules {
 public:
  virtual ~PieceRules() = default;
  virtual void see(const Piece& p, FileReport& report) { (void)p, (void)report; }
  virtual void finish(const LoadedFile& loaded, FileReport& report) = 0;
};

// A module the wizard counts, with the module line that named it.
struct Slot {
  int index = 0;
  const Piece* moduleLine = nullptr;
  std::string name;
  std::string uses;
};

std::vector<Slot> countedModules(const LoadedFile& loaded);

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

std::unique_ptr<PieceRules> lineRules();        // length, last line end, binary bytes
std::unique_ptr<PieceRules> headerKeyRules();   // MenuName=, IncludeName=, ...
std::unique_ptr<PieceRules> prmBlockRules();    // PRMSTART ... PRMEND
std::unique_ptr<PieceRules> moduleLineRules();  // MODULE: lines, ENDMODULE, code before the first
std::unique_ptr<PieceRules> lookAlikeRules();   // near misses, dropped code, byte-order mark
std::unique_ptr<PieceRules> moduleTableRules(); // the counted modules, descriptions, uses
std::unique_ptr<PieceRules> capacityRules();    // what the tables drop
void checkUses(const LoadedFile& loaded, const std::vector<Slot>& slots, FileReport& report);
void checkMcpTemplate(FileSystem& inKeyFiles, const LoadedFile& loaded, FileReport& report);

// --- across files -------------------------------------------------------------
// The MCU files are checked one by one in byte order of their names; these
// keep no more of them than their findings need.

void checkLookAlikes(const std::vector<DirectoryEntry>& entries, std::vector<Finding>& out);

// The catalogue's findings about one file, given the files before it: a file
// the wizard never lists, a menu name an earlier file has. Keeps the menu
// names of the listed files (at most kMaxMcus).
class CatalogueRules {
 public:
  void check(const McuFile& file, std::vector<Finding>& out);

 private:
  std::map<std::string, std::string> firstWithName_;  // menu name -> the first file that has it
};

// The templates a build copies out of KeyFiles whatever MCU it is for (or
// for each HCS08 or RS08 MCU): each is looked up once, and a missing one is
// a finding as soon as one MCU file needs it.
class SharedTemplates {
 public:
  explicit SharedTemplates(FileSystem& inKeyFiles);
  // Whether the finding of a missing template sorts before `shownAs`.
  bool anyMissingBefore(std::string_view shownAs) const;
  // The file's readable, hasMenuNameLine and menuName.
  void see(const McuFile& file);
  void report(std::vector<Finding>& out) const;

 private:
  struct Need {
    bool missing = false;
    std::vector<std::string> users;  // the menu names of the first few MCUs that need it
  };
  std::vector<Need> needs_;  // one per template, in the templates' order
};

// What SharedTemplates needs of a file, read ahead of its check by a load
// of its own, for findings that sort before the file's own.
McuFile readAheadForTemplates(FileSystem& inKeyFiles, const std::string& name);

}  // namespace forgeline::checker
