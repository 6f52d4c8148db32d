// Finds the mistakes that make a hand-written key file silently go wrong,
// reading KeyFiles with the very reader, classifier and loader the wizard
// uses, so every finding is what the wizard will really do.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "core/FileSystem.h"

namespace forgeline {

enum class Severity { warning, error };

// What a finding is about. Each kind's severity and title stand in one table
// (findingKindInfo), one row per kind in this order: a kind is its own row's
// index, so a kind added here needs its row at the same place there.
enum class FindingKind {
  noKeyFiles,
  noMcuFiles,
  unreadableFile,
  binaryContent,
  longLine,
  noFinalLineEnd,
  noMenuName,
  noIncludeName,
  noCurrentDevice,
  noPrmBlock,
  unclosedModule,
  emptyModuleName,
  tooManyMcuFiles,
  tooManyModules,
  tooManyPrmLines,
  tooManyInitLines,
  tooManySectionLines,
  missingTemplate,
  moduleNameCutShort,
  usesInsideWord,
  usesNamesNoModule,
  usesMatchesInsideWord,
  dependencyMissed,
  usesItself,
  duplicateModule,
  duplicateInit,
  noInit,
  noDescription,
  descriptionWithoutSeparator,
  codeBeforeFirstModule,
  secondPrmBlock,
  menuNameChanges,
  sameMenuName,
  longMenuName,
  revisionNotNumber,
  headerInsideBlock,
  lookAlikeFileName,
  noRevision,
  droppedCodeLines,
  lookAlikeSectionHeader,
  lookAlikeKeyword,
  lookAlikeHeaderKey,
  keywordWithExtraText,
  byteOrderMark,
  byteOrderMarkHidesLine,
  initWithoutMcuInit,
  menuNameWithSeparator,
};
inline constexpr FindingKind kLastFindingKind = FindingKind::menuNameWithSeparator;

struct FindingKindInfo {
  FindingKind kind;
  const char* id;     // stable name for tools, e.g. "long-line"
  Severity severity;  // errors: the wizard will misbehave; warnings: legal, rarely meant
  const char* title;  // what the kind is about, in a few words
  // What the wizard does with such a file and how to mend it: the rule's
  // help in a SARIF log, and a row of the README's table of findings.
  const char* description;
};

const FindingKindInfo& findingKindInfo(FindingKind kind);
std::span<const FindingKindInfo> findingKinds();
Severity severityOf(FindingKind kind);

struct Finding {
  std::string file;  // "KeyFiles/NAME"
  int line = 0;      // 1-based physical line; 0 when no line applies
  Severity severity = Severity::error;
  std::string text;
  FindingKind kind = FindingKind::noKeyFiles;
  // How many findings this one stands for: more than one where a file has so
  // many of a kind that the rest are only counted.
  int covers = 1;
};

// A file lists at most this many findings of one kind; one more finding then
// counts the rest.
inline constexpr int kMaxListedFindingsOfAKind = 100;

// What a report's summary tells.
struct CheckTotals {
  // Every finding counts, also those only counted.
  int errors = 0;
  int warnings = 0;
  int filesChecked = 0;
  void count(const Finding& finding) { (finding.severity == Severity::error ? errors : warnings) += finding.covers; }
};

struct CheckReport {
  std::vector<Finding> findings;  // in file order, then line order
  int filesChecked = 0;
  CheckTotals totals() const;
  int errors() const { return totals().errors; }
  int warnings() const { return totals().warnings; }
};

// Takes a check's findings one by one, in the report's order, each as soon
// as it is final.
class FindingSink {
 public:
  virtual ~FindingSink() = default;
  virtual void add(const Finding& finding) = 0;
};

// `fs` stands in the folder that holds KeyFiles; its working directory is
// left as it was. A missing KeyFiles is one error finding. Each file's
// findings go to `sink` once that file is checked, so what is held does not
// grow with the files or the findings; only the few findings across files
// wait for the end. Returns how many MCU files were checked.
int checkKeyFiles(FileSystem& fs, FindingSink& sink);
// Checks just the key files at `paths` (relative to `fs`'s working directory
// or absolute), each with the templates of its own folder; findings name the
// files as given, and one that cannot be opened says the system's reason.
int checkKeyFiles(FileSystem& fs, const std::vector<std::string>& paths, FindingSink& sink);
// The same, every finding collected.
CheckReport checkKeyFiles(FileSystem& fs);
CheckReport checkKeyFiles(FileSystem& fs, const std::vector<std::string>& paths);

// How a report names a file for its reader. The checker names files as
// found from the folder it checked; a person, an editor or a CI job opens
// them from the folder the command was run in, which -C may have left.
class ReportPaths {
 public:
  // Names as found, and no base folder for SARIF.
  ReportPaths() = default;
  // Both absolute: the folder checked (findings are relative to it) and the
  // folder the command was run in.
  ReportPaths(std::string checkedFolder, std::string workingFolder);

  // A path that opens from the working folder: the name as found when the
  // two folders are one, relative to the working folder when the file lies
  // inside it, else absolute; a path given absolute stays as given.
  std::string shown(const std::string& file) const;

  struct Location {
    std::string uri;         // percent-encoded
    bool underBase = false;  // relative to baseUri(); else a file:// URI, or as found when no base is known
  };
  // For SARIF: relative to the working folder when the file lies inside it,
  // else an absolute file:// URI.
  Location location(const std::string& file) const;
  // The working folder as a file:// URI ending in "/"; empty when unknown.
  std::string baseUri() const;

 private:
  std::string checked_;
  std::string working_;
};

// "file:///a%20b/c" for "/a b/c", "file:///C:/x" for "C:/x", "file://server/share"
// for "//server/share": every byte but the unreserved ones and "/" encoded.
std::string fileUri(const std::string& absolutePath);

// "KeyFiles/MCU_X.txt:LINE: error: TEXT" (no ":LINE" when line is 0), the
// file named as `paths` shows it.
std::string formatFinding(const Finding& finding, const ReportPaths& paths = {});
// "1 error, 2 warnings in 1 file"
std::string formatSummary(const CheckTotals& totals);
std::string formatSummary(const CheckReport& report);

// The findings as one SARIF 2.1.0 log, the form code-scanning services and
// editor plugins read: one run, a rule per finding kind, a result per
// finding. It is written as it goes: the head with every rule at once, each
// result as it comes, the tail with the summary at finish().
class SarifWriter : public FindingSink {
 public:
  explicit SarifWriter(std::ostream& out, ReportPaths paths = {});
  void add(const Finding& finding) override;
  void finish(const CheckTotals& totals);

 private:
  std::ostream& out_;
  ReportPaths paths_;
  bool anyResult_ = false;
};
void writeSarif(const CheckReport& report, std::ostream& out);

enum class ReportFormat { gcc, sarif };

// How `forgeline-cli check` is asked to run.
struct CheckOptions {
  std::vector<std::string> files;  // `check FILE...`; empty: every file of KeyFiles
  ReportFormat format = ReportFormat::gcc;
  // The absolute folder the command was run in, from which the report names
  // files; empty: the folder checked.
  std::string workingFolder;
  // Only the findings: no summary line after them (the SARIF log stays whole).
  bool quiet = false;
};

// The check command: checks the KeyFiles in `fs`'s working directory (or
// just `options.files`) without the wizard's start-up scan, writes each
// finding to `out` as soon as it is final and then the summary (or the SARIF
// log), and returns the exit status: 1 when there is an error, else 0.
int runCheck(FileSystem& fs, const CheckOptions& options, std::ostream& out);

}  // namespace forgeline
