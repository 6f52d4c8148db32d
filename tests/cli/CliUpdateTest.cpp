#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "support/TestSupport.h"

using forgeline::test::CliResult;
using forgeline::test::runCliProgram;
namespace test = forgeline::test;

namespace {

std::string examples() { return std::string(std::getenv("FORGELINE_SOURCE_DIR")) + "/examples"; }

// main.c of Blinky built fresh with `clicks`, as a dry run on the untouched
// examples prints it.
std::string freshMainSource(const std::vector<std::string>& clicks) {
  std::vector<std::string> args = {"-C", examples(), "build", "S08-NOVA16", "--name", "Blinky", "--date", "2026-12-05"};
  for (const std::string& box : clicks) args.insert(args.end(), {"--click", box});
  args.insert(args.end(), {"--dry-run", "--print", "Sources/main.c"});
  return runCliProgram(args, "/").out;
}

// The user's own lines, typed in an editor that ends lines with LF alone;
// the update writes them back with the project's CR LF.
std::string withUserLines(std::string text, const char* lineEnd) {
  const std::pair<std::string, std::string> edits[] = {
      {"volatile unsigned int tpmMilliseconds;", "static unsigned char toggles;"},
      {"  PTBD ^= LED_MASK;\r\n", "  toggles++;"},
  };
  for (const auto& [anchor, line] : edits) {
    const std::size_t at = text.find(anchor);
    if (at == std::string::npos) continue;
    const std::size_t where = anchor.ends_with('\n') ? at + anchor.size() : at;
    text.insert(where, line + lineEnd);
  }
  return text;
}

}  // namespace

// The update as a script runs it: by name from the main folder, or in the
// project folder itself; the user's lines stay, main's body follows the
// number of modules, and a project without a record is left alone.
TEST(CliUpdate, TicksComeAndGoAroundTheUsersLines) {
  test::TempDir dir;
  std::filesystem::copy(examples() + "/KeyFiles", dir / "KeyFiles");
  const std::string project = dir / "Blinky";
  const std::vector<std::string> build = {"build", "S08-NOVA16", "--click", "LED", "--name", "Blinky",
                                         "--date", "2026-12-05"};
  ASSERT_EQ(runCliProgram(build, dir.path()).status, 0);
  test::writeFile(project + "/Sources/main.c", withUserLines(test::readFile(project + "/Sources/main.c"), "\n"));
  struct Step {
    std::vector<std::string> args;
    std::string where;
    std::vector<std::string> fresh;
  } steps[] = {
      {{"-C", dir.path(), "update", "Blinky", "--click", "ADC"}, "/", {"LED", "ADC"}},
      {{"update", "--unclick", "ADC"}, project, {"LED"}},
  };
  for (const Step& step : steps) {
    const CliResult result = runCliProgram(step.args, step.where);
    EXPECT_EQ(result.status, 0) << test::describe(step.args) << "\n" << result.err;
    EXPECT_EQ(result.out, "merged Sources/main.c\n") << test::describe(step.args);
    EXPECT_EQ(test::readFile(project + "/Sources/main.c"), withUserLines(freshMainSource(step.fresh), "\r\n"))
        << test::describe(step.args);
  }

  ASSERT_EQ(runCliProgram({"-C", dir.path(), "build", "S08-NOVA16", "--name", "Plain", "--no-record"}, "/").status, 0);
  const auto before = test::snapshotTree(dir.path());
  const CliResult refused = runCliProgram({"-C", dir.path(), "update", "Plain"}, "/");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            "forgeline-cli: 'Plain' has no record of its build (.forgeline/record.txt), so it cannot be updated; "
            "a project built with --no-record or before records has none\n");
  EXPECT_EQ(test::snapshotTree(dir.path()), before);
}
