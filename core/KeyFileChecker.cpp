#include "core/KeyFileChecker.h"

namespace forgeline {

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

CheckReport checkKeyFiles(FileSystem& fs) {
  (void)fs;
  return {};
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
