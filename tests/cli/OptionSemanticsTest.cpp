// What each option means given twice, in another place, together with the
// others or after "--", as the parser reads it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "cli/CommandLine.h"

using namespace forgeline;
using test::describe;

TEST(CliOptions, RepeatedOrderedCombinedAndAfterTheMark) {
  struct Case {
    std::vector<std::string> args;
    std::string error;  // empty: accepted as the fields below say
    std::string mcu = {};
    std::vector<std::string> directories = {};
    std::vector<std::string> clicks = {};
    std::string name = {};
    std::string print = {};
    cli::OutputFormat output = cli::OutputFormat::text;
  } cases[] = {
      // -C: every one kept in order, glued or not, before the command only.
      {.args = {"-C", "a", "-Cb", "-C", "/c", "-C", "-d", "list"}, .error = "", .directories = {"a", "b", "/c", "-d"}},
      {.args = {"-C", "a", "--", "list"}, .error = "unexpected argument 'list'"},
      // After "--" every word is an argument, the mark itself too; a slip
      // before the mark is refused first.
      {.args = {"build", "--", "#0", "--dry-run"}, .error = "unexpected argument '--dry-run'"},
      {.args = {"build", "#0", "--", "--", "x"}, .error = "unexpected argument '--'"},
      {.args = {"--", "build", "#0"}, .error = "unexpected argument 'build'"},
      {.args = {"build", "--dry-rn", "--", "#0"}, .error = "unknown option '--dry-rn' for build; did you mean '--dry-run'?"},
      {.args = {"build", "--", "--dry-run"}, .error = "", .mcu = "--dry-run"},
      // --click: every one in order, the same box again too, anywhere after
      // the command, its value may begin with "-"; after "--" it is a word.
      {.args = {"show", "--click", "B", "#0", "--click=A", "--click", "B", "--click", "-x"},
       .error = "",
       .clicks = {"B", "A", "B", "-x"}},
      {.args = {"show", "#0", "--", "--click", "A"}, .error = "unexpected argument '--click'"},
      // --format: once, anywhere after the command.
      {.args = {"show", "--format", "json", "#0", "--click", "A"}, .error = "", .clicks = {"A"},
       .output = cli::OutputFormat::json},
      {.args = {"list", "--format=json", "--format", "json"},
       .error = "--format is given 2 times ('json', 'json'); give it once"},
      {.args = {"list", "--", "--format=json"}, .error = "unexpected argument '--format=json'"},
      // --print: once, with --dry-run before or after it.
      {.args = {"build", "--print", "Sources/main.c", "#0", "--dry-run"}, .error = "", .print = "Sources/main.c"},
      {.args = {"build", "#0", "--dry-run", "--print=a", "--print=b"},
       .error = "--print is given 2 times ('a', 'b'); give it once"},
      {.args = {"build", "#0", "--print", "a"}, .error = "--print needs --dry-run"},
      {.args = {"build", "#0", "--dry-run", "--", "--print", "a"}, .error = "unexpected argument '--print'"},
      // --name: once; its value may look like an option or be the mark.
      {.args = {"build", "#0", "--name", "--help"}, .error = "", .mcu = "#0", .name = "--help"},
      {.args = {"build", "#0", "--name", "--name", "--date", "2024-12-06"}, .error = "", .name = "--name"},
      {.args = {"build", "#0", "--name", "-C", "--click", "A"}, .error = "", .mcu = "#0", .clicks = {"A"}, .name = "-C"},
      {.args = {"build", "--name", "--", "--", "--click"}, .error = "", .mcu = "--click", .name = "--"},
      {.args = {"build", "--name=--click", "#0"}, .error = "", .name = "--click"},
      {.args = {"build", "#0", "--name", "a", "--name", "a"}, .error = "--name is given 2 times ('a', 'a'); give it once"},
  };
  for (const Case& c : cases) {
    const cli::ParsedArguments parsed = cli::parseArguments(c.args);
    EXPECT_EQ(parsed.error, c.error) << describe(c.args);
    if (!c.error.empty()) continue;
    const cli::Invocation& got = parsed.invocation;
    if (!c.mcu.empty()) { EXPECT_EQ(got.mcu, c.mcu) << describe(c.args); }
    EXPECT_EQ(got.directories, c.directories) << describe(c.args);
    EXPECT_EQ(got.clicks, c.clicks) << describe(c.args);
    EXPECT_EQ(got.projectName.value_or(""), c.name) << describe(c.args);
    EXPECT_EQ(got.printPath.value_or(""), c.print) << describe(c.args);
    EXPECT_EQ(got.output, c.output) << describe(c.args);
  }
}
