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
// (findingKindInfo); the order here means nothing.
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
};
inline constexpr FindingKind kLastFindingKind = FindingKind::lookAlikeFileName;

struct FindingKindInfo {
  FindingKind kind;
  const char* id;     // stable name for tools, e.g. "long-line"
  Severity severity;  // errors: the wizard will misbehave; warnings: legal, rarely meant
  const char* title;  // what the kind is about, in a few words
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
};

struct CheckReport {
  std::vector<Finding> findings;  // in file order, then line order
  int filesChecked = 0;
  int errors() const;
  int warnings() const;
};

// `fs` stands in the folder that holds KeyFiles; its working directory is
// left as it was. A missing KeyFiles is one error finding.
CheckReport checkKeyFiles(FileSystem& fs);

// "KeyFiles/MCU_X.txt:LINE: error: TEXT" (no ":LINE" when line is 0).
std::string formatFinding(const Finding& finding);
// "N errors, M warnings in K files"
std::string formatSummary(const CheckReport& report);

// How `forgeline-cli check` is asked to run.
struct CheckOptions {};

// The check command: checks the KeyFiles in `fs`'s working directory without
// the wizard's start-up scan, writes every finding and then the summary to
// `out`, and returns the exit status: 1 when there is an error, else 0.
int runCheck(FileSystem& fs, const CheckOptions& options, std::ostream& out);

}  // namespace forgeline
