// What a refused MCU, module, command or option is answered with, on the
// shipped examples.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CliProcess.h"

using namespace forgeline;

// End to end on the shipped examples, which stay untouched: show writes nothing.
TEST(CliSuggestion, RefusalsOnTheExamplesNameWhatWasMeant) {
  const std::string examples = std::string(std::getenv("FORGELINE_SOURCE_DIR")) + "/examples";
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {.args = {"show", "NOVA16"},
       .err = "forgeline-cli: no MCU matches 'NOVA16'; did you mean 'S08-NOVA16'?\n"},
      {.args = {"show", "S08-NOVA16", "--click", "led"},
       .err = "forgeline-cli: no module box matches 'led'; did you mean 'LED'?\n"},
      {.args = {"show", "S08-NOVA16", "--click", "PWM"},
       .err = "forgeline-cli: no module box matches 'PWM'; the choices are 'LED', 'TPM', 'ICS', 'ADC', 'SCI'\n"},
      {.args = {"bulid", "S08-NOVA16"},
       .err = "forgeline-cli: unknown command 'bulid'; did you mean 'build'? (see forgeline-cli --help)\n"},
      // Options of the program itself, -C among them, and where -C belongs.
      {.args = {"--bogus", "list"},
       .err = "forgeline-cli: unknown option '--bogus'; the choices are '--help', '--version', '-C' (see "
              "forgeline-cli --help)\n"},
      {.args = {"list", "-C", ".."},
       .err = "forgeline-cli: unknown option '-C' for list; -C goes before the command: forgeline-cli -C DIR list "
              "(see forgeline-cli --help)\n"},
      {.args = {"show", "#1", "-C.."},
       .err = "forgeline-cli: unknown option '-C..' for show; -C goes before the command: forgeline-cli -C DIR show "
              "(see forgeline-cli --help)\n"},
      // A flag of the program's own, given to a command, has no value to move.
      {.args = {"list", "--version"},
       .err = "forgeline-cli: unknown option '--version' for list; the choices are '--help', '--format' (see "
              "forgeline-cli --help)\n"},
      {.args = {"list", "--Cx"},
       .err = "forgeline-cli: unknown option '--Cx' for list; the choices are '--help', '--format' (see "
              "forgeline-cli --help)\n"},
      // An option given twice, in the program's words and not the parser's.
      {.args = {"check", "--format=gcc", "--format", "sarif"},
       .err = "forgeline-cli: --format is given 2 times ('gcc', 'sarif'); give it once (see forgeline-cli --help)\n"},
      {.args = {"build", "#1", "--name", "A", "--name=B", "--name", "C"},
       .err = "forgeline-cli: --name is given 3 times ('A', 'B', 'C'); give it once (see forgeline-cli --help)\n"},
      {.args = {"show", "#1", "--format=json", "--format=jsn"},
       .err = "forgeline-cli: --format is given 2 times ('json', 'jsn'); give it once (see forgeline-cli --help)\n"},
      {.args = {"list", "--format=jsn"},
       .err = "forgeline-cli: invalid format 'jsn': expected text or json (see forgeline-cli --help)\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"-C", examples};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::CliResult r = test::runCliProgram(args, "/");
    EXPECT_EQ(r.status, 2) << test::describe(c.args);
    EXPECT_EQ(r.out, "") << test::describe(c.args);
    EXPECT_EQ(r.err, c.err) << test::describe(c.args);
  }
}
