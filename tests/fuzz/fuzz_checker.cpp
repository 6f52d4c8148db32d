// Fuzzes the key-file checker over a small KeyFiles made from the input.
#include "FuzzSupport.h"
#include "check/KeyFileChecker.h"

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
  FORGELINE_FUZZ_CHECK(report.errors() + report.warnings() == static_cast<int>(report.findings.size()));
  for (const Finding& finding : report.findings) {
    FORGELINE_FUZZ_CHECK(finding.line >= 0);
    FORGELINE_FUZZ_CHECK(finding.file.starts_with("KeyFiles"));
    FORGELINE_FUZZ_CHECK(!formatFinding(finding).empty());
  }
  (void)formatSummary(report);
  return 0;
}
