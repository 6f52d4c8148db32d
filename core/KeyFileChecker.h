// Finds the mistakes that make a hand-written key file silently go wrong,
// reading KeyFiles with the very reader, classifier and loader the wizard
// uses, so every finding is what the wizard will really do.
#pragma once

#include <string>
#include <vector>

#include "core/FileSystem.h"

namespace forgeline {

enum class Severity { warning, error };

// What a finding is about; each kind has one fixed severity.
enum class FindingKind {
  // errors: the wizard will misbehave
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
  // warnings: legal, but rarely what the author meant
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

}  // namespace forgeline
