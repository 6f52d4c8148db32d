// The report as it reaches its reader: each file's findings passed on while
// the check goes on, in the order a sort of the whole report gives, and a
// named file that cannot be read.
#include "check/KeyFileChecker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/MemoryFileSystem.h"
#include "support/TestSupport.h"

using namespace forgeline;
using enum FindingKind;

namespace {

constexpr auto E = Severity::error;
constexpr auto W = Severity::warning;

// A whole key file after its MenuName= line, with nothing to report.
const std::string kBody =
    "IncludeName=<t.h>\nCURRENTDEVICE=T\nRevision=1\nPRMSTART\nSEGMENTS\nEND\nPRMEND\n"
    "MODULE:INIT\n9. Start-up\n7.\nvoid MCU_Init(void) { }\nENDMODULE\n";

using Shape = std::tuple<std::string, int, Severity, FindingKind>;

// Each finding with the number of disk operations made before it arrived.
struct Arrivals : FindingSink {
  explicit Arrivals(const test::FaultyFileSystem& fs) : disk(fs) {}
  void add(const Finding& finding) override { seen.push_back({finding, disk.log().size()}); }
  const test::FaultyFileSystem& disk;
  std::vector<std::pair<Finding, std::size_t>> seen;
};

}  // namespace

// The findings of one MCU file reach the reader before the next file is
// read for its check, and in the order the whole report sorted by file and
// line always had: at one place, findings across files first. A missing
// template's finding sorts before the MCU files (C_Layout.hwl) or after
// them (burner.bbl, Start08.c).
TEST(CheckReport, StreamsEachFileInTheOrderOfTheWholeReport) {
  const std::string K = "KeyFiles/";
  const std::vector<Shape> ofC = {
      {K + "MCU_C.txt.txt", 0, W, lookAlikeFileName}, {K + "MCU_C.txt.txt", 0, E, noMenuName},
      {K + "MCU_C.txt.txt", 0, E, noIncludeName},     {K + "MCU_C.txt.txt", 0, E, noCurrentDevice},
      {K + "MCU_C.txt.txt", 0, E, noRevision},        {K + "MCU_C.txt.txt", 0, E, noPrmBlock},
      {K + "MCU_C.txt.txt", 0, W, noInit}};
  const std::vector<Shape> ofAB = {{K + "MCU_A.txt", 1, E, missingTemplate},
                                   {K + "MCU_B.txt", 1, W, sameMenuName},
                                   {K + "MCU_B.txt", 1, E, missingTemplate}};
  const auto concat = [](std::initializer_list<std::vector<Shape>> parts) {
    std::vector<Shape> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  const Shape z{K + "MCU-Z.txt", 0, W, lookAlikeFileName};
  struct Case {
    std::vector<std::string> missing;
    std::vector<Shape> expected;
  } cases[] = {
      {{"C_Layout.hwl", "Start08.c"},
       concat({{{K + "C_Layout.hwl", 0, E, missingTemplate}, z}, ofAB, ofC, {{K + "Start08.c", 0, E, missingTemplate}}})},
      {{"burner.bbl", "Start08.c"},
       concat({{z}, ofAB, ofC,
               {{K + "Start08.c", 0, E, missingTemplate}, {K + "burner.bbl", 0, E, missingTemplate}}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing.front());
    MemoryFileSystem disk;
    test::writeKeyFiles(disk, {{"MCU_A.txt", "MenuName=SAME\n" + kBody}, {"MCU_B.txt", "MenuName=SAME\n" + kBody},
                               {"MCU_C.txt.txt", "x\n"}, {"MCU-Z.txt", "x\n"}}, {}, false);
    for (const auto& [name, bytes] : test::keyFileTemplates({}))
      if (std::find(c.missing.begin(), c.missing.end(), name) == c.missing.end()) disk.addFile("KeyFiles/" + name, bytes);
    test::FaultyFileSystem log(disk);
    Arrivals arrivals(log);
    EXPECT_EQ(checkKeyFiles(log, arrivals), 3);

    std::vector<Shape> shapes;
    std::string listing;
    for (const auto& [f, opens] : arrivals.seen) {
      shapes.push_back({f.file, f.line, f.severity, f.kind});
      listing += formatFinding(f) + "\n";
      const std::string next = f.file == K + "MCU_A.txt" ? "MCU_B.txt" : f.file == K + "MCU_B.txt" ? "MCU_C.txt.txt" : "";
      if (!next.empty()) {
        const std::vector<std::string>& ops = log.log();
        const auto pastLastRead = std::find(ops.rbegin(), ops.rend(), "read " + next).base();
        EXPECT_LT(opens, static_cast<std::size_t>(pastLastRead - ops.begin())) << formatFinding(f);
      }
    }
    EXPECT_EQ(shapes, c.expected) << listing;

    std::ostringstream out;
    EXPECT_EQ(runCheck(disk, {}, out), 1);
    EXPECT_EQ(out.str(), listing + "9 errors, 4 warnings in 3 files\n");
  }
}

// Only the files named on the command line are checked; one that cannot be
// read says why, in the system's words: the real disk's, so on the real disk.
TEST(CheckReport, ANamedFileThatCannotBeReadSaysWhy) {
  test::TempDir dir;
  test::writeKeyFiles(dir.path(), {{"MCU_T.txt", "MenuName=T\n" + kBody}, {"MCU_U.txt", "junk"}}, {"T"});
  RealFileSystem fs(dir.path());
  const std::optional<std::string> home = fs.currentDirectory();
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
  EXPECT_EQ(fs.currentDirectory(), home);
}
