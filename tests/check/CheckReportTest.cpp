// The report as it reaches its reader: a named file that cannot be read
// says why.
#include "check/KeyFileChecker.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/MemoryFileSystem.h"
#include "support/TestSupport.h"

using namespace forgeline;
using enum FindingKind;

namespace {

// A whole key file after its MenuName= line, with nothing to report.
const std::string kBody =
    "IncludeName=<t.h>\nCURRENTDEVICE=T\nRevision=1\nPRMSTART\nSEGMENTS\nEND\nPRMEND\n"
    "MODULE:INIT\n9. Start-up\n7.\nvoid MCU_Init(void) { }\nENDMODULE\n";

}  // namespace

// A file named on the command line that cannot be read says why, in the
// system's words.
TEST(CheckReport, ANamedFileThatCannotBeReadSaysWhy) {
  test::TempDir dir;
  test::writeKeyFiles(dir.path(), {{"MCU_T.txt", "MenuName=T\n" + kBody}}, {"T"});
  RealFileSystem fs(dir.path());
  const CheckReport report = checkKeyFiles(fs, {"KeyFiles/MCU_TYPO.txt", "nowhere/MCU_T.txt", "KeyFiles", "KeyFiles/MCU_T.txt"});
  ASSERT_EQ(report.findings.size(), 3u) << formatSummary(report);
  const std::string advice = "): check the path and that the file is readable";
#ifdef _WIN32
  const std::string missing = "";  // Windows words these its own way
#else
  const std::string missing = std::strerror(ENOENT);
#endif
  for (std::size_t i = 0; i < 2; ++i) {
    const std::string& text = report.findings[i].text;
    EXPECT_EQ(report.findings[i].kind, unreadableFile);
    ASSERT_TRUE(text.starts_with("cannot be read (" + missing) && text.ends_with(advice)) << text;
    EXPECT_GT(text.size(), std::string("cannot be read (").size() + advice.size()) << text;
  }
  EXPECT_EQ(report.findings[2].text, "cannot be read (Is a directory" + advice);
  EXPECT_EQ(formatSummary(report), "3 errors, 0 warnings in 4 files");
}
