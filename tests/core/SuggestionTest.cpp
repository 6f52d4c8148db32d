// What a word that names none of the choices is answered with: the likely
// meant choices, or the few choices there are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Suggestion.h"

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
      // A closer choice found later pushes out a farther one found first.
      {.typed = "ABCDEF", .choices = {"ABCDXY", "ABCDEX"}, .meant = {"ABCDEX"}},
      // Containment wins over a closer spelling: "NOVB" is one edit away.
      {.typed = "NOVA", .choices = {"NOVB", "S08-NOVA16"}, .meant = {"S08-NOVA16"}},
      // Close is up to a third of the typed length in edits: 2 of 6, not 3.
      {.typed = "SENSOR", .choices = {"SENTRY", "SEXSOR"}, .meant = {"SEXSOR"}},
      {.typed = "SENSOR", .choices = {"SENTRY", "SEXXOR"}, .meant = {"SEXXOR"}},
      {.typed = "SENSOR", .choices = {"SENTRY", "SXXXOR"}, .meant = {}},
      // Only ASCII letters fold; a byte above 127 must match as it is.
      {.typed = "caf\xc9", .choices = {"CAF\xe9", "CAF\xc9"}, .meant = {"CAF\xc9"}},
      {.typed = std::string(100000, 'x'), .choices = mcus, .meant = {}},
  };
  for (const Case& c : cases) EXPECT_EQ(likelyMeant(c.typed, c.choices), c.meant) << c.typed.substr(0, 20);
}

TEST(Suggestion, ListsTheChoicesOnlyWhenFewAndNoneIsLikely) {
  // Exactly as many choices as are still listed, and one more.
  std::vector<std::string> few;
  for (char c = 'A'; c < static_cast<char>('A' + kFewChoices); ++c) few.push_back(std::string(4, c));
  std::vector<std::string> many = few;
  many.push_back("ZZZZ");
  struct Case {
    std::string typed;
    std::vector<std::string> choices;
    std::string tail;
  } cases[] = {
      {.typed = "NOVA16", .choices = {"S08-NOVA16"}, .tail = "; did you mean 'S08-NOVA16'?"},
      {.typed = "x", .choices = {"AX", "BX", "CX"}, .tail = "; did you mean 'AX', 'BX' or 'CX'?"},
      {.typed = "QQ", .choices = {"TPM", "ICS", "TPM"}, .tail = "; the choices are 'TPM', 'ICS'"},
      {.typed = "QQ",
       .choices = few,
       .tail = "; the choices are 'AAAA', 'BBBB', 'CCCC', 'DDDD', 'EEEE', 'FFFF', 'GGGG', 'HHHH'"},
      {.typed = "QQ", .choices = many, .tail = ""},
      {.typed = "QQ", .choices = {}, .tail = ""},
  };
  for (const Case& c : cases) EXPECT_EQ(suggestionFor(c.typed, c.choices), c.tail) << c.typed;
}
