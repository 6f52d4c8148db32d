// Finds the mistakes that make a hand-written key file silently go wrong,
// reading KeyFiles with the very reader, classifier and loader the wizard
// uses, so every finding is what the wizard will really do.
#pragma once

#include <string>
#include <vector>

#include "core/FileSystem.h"

namespace forgeline {

enum class Severity { warning, error };

struct Finding {
  std::string file;  // "KeyFiles/NAME"
  int line = 0;      // 1-based physical line; 0 when no line applies
  Severity severity = Severity::error;
  std::string text;
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
