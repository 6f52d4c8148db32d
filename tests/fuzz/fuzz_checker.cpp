// Fuzzes the key-file checker over a small KeyFiles made from the input.
#include "FuzzSupport.h"
#include "check/KeyFileChecker.h"

#include <utility>

using namespace forgeline;
using namespace forgeline::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedKeyFiles keyFiles(data, size);
  MemoryFileSystem& fs = keyFiles.fs;
  CheckReport report = checkKeyFiles(fs);

  // The checker only reads, and leaves the working directory where it was.
  FORGELINE_FUZZ_CHECK(fs.snapshot() == keyFiles.before);
  FORGELINE_FUZZ_CHECK(fs.currentDirectory() == "/");
  FORGELINE_FUZZ_CHECK(report.filesChecked >= 0 && report.filesChecked <= static_cast<int>(keyFiles.mcuFiles.size()));
  // Every finding counts once, a line that sums up unlisted ones for them all,
  // and no file lists more of one kind than the cap and that line.
  int covered = 0;
  std::map<std::pair<std::string, FindingKind>, int> perKind;
  for (const Finding& finding : report.findings) {
    covered += finding.covers;
    FORGELINE_FUZZ_CHECK(finding.covers >= 1);
    FORGELINE_FUZZ_CHECK(++perKind[std::make_pair(finding.file, finding.kind)] <= kMaxListedFindingsOfAKind + 1);
    FORGELINE_FUZZ_CHECK(finding.line >= 0);
    FORGELINE_FUZZ_CHECK(finding.file.starts_with("KeyFiles"));
    FORGELINE_FUZZ_CHECK(!formatFinding(finding).empty());
  }
  FORGELINE_FUZZ_CHECK(report.errors() + report.warnings() == covered);
  (void)formatSummary(report);
  return 0;
}
