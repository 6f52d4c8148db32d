// What a refused MCU, module or command is answered with: the likely meant
// choices, or the few choices there are.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "cli/Suggestion.h"

using namespace forgeline;

TEST(Suggestion, CaseFirstThenContainedThenClosest) {
  const std::vector<std::string> mcus = {"RS08-WREN2", "S08-NOVA16", "S08-ORION32", "S08-NOVA16"};
  const std::vector<std::string> commands = {"list", "show", "build", "check"};
  struct Case {
    std::string typed;
    const std::vector<std::string>& choices;
    std::vector<std::string> meant;
  } cases[] = {
      {.typed = "s08-nova16", .choices = mcus, .meant = {"S08-NOVA16"}},
      {.typed = "NOVA16", .choices = mcus, .meant = {"S08-NOVA16"}},
      {.typed = "s08", .choices = mcus, .meant = {"RS08-WREN2", "S08-NOVA16", "S08-ORION32"}},
      {.typed = "S08-NOVA61", .choices = mcus, .meant = {"S08-NOVA16"}},
      {.typed = "S08-ORIN32", .choices = mcus, .meant = {"S08-ORION32"}},
      {.typed = "ADX", .choices = {"ADC", "SCI", "ADD"}, .meant = {"ADC", "ADD"}},
      {.typed = "XYZZY", .choices = mcus, .meant = {}},
      {.typed = "", .choices = mcus, .meant = {}},
      {.typed = "bulid", .choices = commands, .meant = {"build"}},
      {.typed = "chek", .choices = commands, .meant = {"check"}},
      {.typed = "lsit", .choices = commands, .meant = {"list"}},
      {.typed = "shwo", .choices = commands, .meant = {"show"}},
      {.typed = "remove", .choices = commands, .meant = {}},
      {.typed = "bd", .choices = commands, .meant = {}},
      // Equality wins over containment: "LED" is meant, not "LEDS" too.
      {.typed = "led", .choices = {"INIT", "LED", "LEDS"}, .meant = {"LED"}},
      // Only ASCII letters fold; a byte above 127 must match as it is.
      {.typed = "caf\xc9", .choices = {"CAF\xe9", "CAF\xc9"}, .meant = {"CAF\xc9"}},
      {.typed = std::string(100000, 'x'), .choices = mcus, .meant = {}},
  };
  for (const Case& c : cases) EXPECT_EQ(cli::likelyMeant(c.typed, c.choices), c.meant) << c.typed.substr(0, 20);
}

TEST(Suggestion, ListsTheChoicesOnlyWhenFewAndNoneIsLikely) {
  std::vector<std::string> many;
  for (char c = 'A'; c < static_cast<char>('A' + cli::kFewChoices + 1); ++c) many.push_back(std::string(4, c));
  struct Case {
    std::string typed;
    std::vector<std::string> choices;
    std::string tail;
  } cases[] = {
      {.typed = "NOVA16", .choices = {"S08-NOVA16"}, .tail = "; did you mean 'S08-NOVA16'?"},
      {.typed = "x", .choices = {"AX", "BX", "CX"}, .tail = "; did you mean 'AX', 'BX' or 'CX'?"},
      {.typed = "QQ", .choices = {"TPM", "ICS", "TPM"}, .tail = "; the choices are 'TPM', 'ICS'"},
      {.typed = "QQ", .choices = many, .tail = ""},
      {.typed = "QQ", .choices = {}, .tail = ""},
  };
  for (const Case& c : cases) EXPECT_EQ(cli::suggestionFor(c.typed, c.choices), c.tail) << c.typed;
}

// End to end on the shipped examples, which stay untouched: show writes nothing.
TEST(Suggestion, RefusalsOnTheExamplesNameWhatWasMeant) {
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
