#include <gtest/gtest.h>

#include <array>
#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ExpectedFiles.h"
#include "core/Clock.h"
#include "core/MemoryFileSystem.h"
#include "core/WizardState.h"
#include "generate/MainSourceComposer.h"

using namespace forgeline;

namespace {

using StoredLines = std::vector<std::pair<int, std::string>>;  // section, line as the loader keeps it

// Writes main.c into an empty memory disk and reads it back.
std::string writtenMainSource(const std::string& name, int chosenCount, const std::vector<std::string>& initLines,
                              const StoredLines& lines, CalendarDate date = {5, 12, 2026}) {
  auto state = std::make_unique<WizardState>();
  state->projectName = name;
  state->chosenCount = chosenCount;
  for (const std::string& line : initLines) state->initLines[static_cast<std::size_t>(state->initLineCount++)] = state->codeLineText.keep(line);
  for (const auto& [section, line] : lines)
    state->section(section)[static_cast<std::size_t>(state->sectionCount(section)++)] = state->codeLineText.keep(line);
  MemoryFileSystem fs;
  FixedClock clock(date);
  EXPECT_TRUE(writeMainSource(*state, fs, clock).ok());
  return fs.snapshot()["/main.c"];
}

}  // namespace

// The body of main is INIT's lines with nothing ticked, the ticked module's
// section 6 with one, and the fixed empty loop with two or more; the other
// regions take their sections whatever the count, and every stored line is
// written as it stands: a format string survives, pieces of a long line
// stored without their line end join again.
TEST(MainSourceComposer, EachRegionTakesItsSectionAndTheBodyFollowsTheTicks) {
  const StoredLines ticked{{6, "  ticked body;\n"}, {6, "  second line;\n"}};
  const StoredLines everySection{{1, "/* s1 */\n"}, {2, "/* s2 */\n"}, {3, "/* s3 */\n"}, {4, "/* s4 */\n"},
                                 {5, "/* s5 */\n"}, {6, "/* s6 */\n"}, {7, "/* s7 */\n"}, {8, "/* s8 */\n"}};
  const std::string m = expected::kMultipleModulesBody;
  struct Case {
    const char* label;
    int chosenCount;
    std::vector<std::string> initLines;
    StoredLines lines;
    std::array<std::string, 8> regions;
  } cases[] = {
      {"none ticked", 0, {"  INIT body;\n"}, ticked, {"", "", "", "", "", "  INIT body;\r\n", "", ""}},
      {"none ticked, no INIT lines", 0, {}, ticked, {}},
      {"one ticked", 1, {"  INIT body;\n"}, ticked,
       {"", "", "", "", "", "  ticked body;\r\n  second line;\r\n", "", ""}},
      {"two ticked", 2, {"  INIT body;\n"}, ticked, {"", "", "", "", "", m, "", ""}},
      {"every section, one ticked", 1, {}, everySection,
       {"/* s1 */\r\n", "/* s2 */\r\n", "/* s3 */\r\n", "/* s4 */\r\n", "/* s5 */\r\n", "/* s6 */\r\n", "/* s7 */\r\n",
        "/* s8 */\r\n"}},
      {"every section, five ticked", 5, {}, everySection,
       {"/* s1 */\r\n", "/* s2 */\r\n", "/* s3 */\r\n", "/* s4 */\r\n", "/* s5 */\r\n", m, "/* s7 */\r\n",
        "/* s8 */\r\n"}},
      {"lines as they stand", 1, {}, {{4, "const char* fmt = \"%d%%s%n\";\n"}, {6, "  part one, "}, {6, "part two;\n"}},
       {"", "", "", "const char* fmt = \"%d%%s%n\";\r\n", "", "  part one, part two;\r\n", "", ""}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(writtenMainSource("Blinky", c.chosenCount, c.initLines, c.lines),
              expected::mainSource("// Blinky  5Dec26\r\n// ======\r\n", c.regions))
        << c.label;
}

// The date is the day without a leading zero, the month's name and the year
// modulo 100, each two wide; the underline is one "=" per UTF-8 character.
TEST(MainSourceComposer, HeaderLinesOnDisk) {
  struct Case {
    std::string name;
    CalendarDate date;
    std::string head;
  } cases[] = {
      {"Blinky", {15, 3, 2026}, "// Blinky 15Mar26\r\n// ======\r\n"},
      {"Blinky", {5, 1, 2005}, "// Blinky  5Jan 5\r\n// ======\r\n"},
      {"Blinky", {31, 10, 1999}, "// Blinky 31Oct99\r\n// ======\r\n"},
      {"Blinky", {1, 2, 2100}, "// Blinky  1Feb 0\r\n// ======\r\n"},
      {"100%", {9, 9, 2019}, "// 100%  9Sep19\r\n// ====\r\n"},
      {std::string(50, 'x'), {5, 12, 2026},
       "// " + std::string(50, 'x') + "  5Dec26\r\n// " + std::string(50, '=') + "\r\n"},
      // A name longer than any the build passes: the underline stops at 186.
      {std::string(200, 'x'), {5, 12, 2026},
       "// " + std::string(200, 'x') + "  5Dec26\r\n// " + std::string(186, '=') + "\r\n"},
      {"Gr\xc3\xbc\xc3\x9f", {5, 12, 2026}, "// Gr\xc3\xbc\xc3\x9f  5Dec26\r\n// ====\r\n"},
      {"a\xff" "b", {5, 12, 2026}, "// a\xff" "b  5Dec26\r\n// ===\r\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(writtenMainSource(c.name, 0, {}, {}, c.date), expected::mainSource(c.head, {})) << c.name;
}

// Every month by the name the C library gives it, in a header on disk.
TEST(MainSourceComposer, EveryMonthHasItsOwnName) {
  for (int month = 1; month <= 12; ++month) {
    std::tm time{};
    time.tm_mon = month - 1;
    char name[8] = {};
    ASSERT_EQ(std::strftime(name, sizeof name, "%b", &time), 3U) << month;
    const std::string written = writtenMainSource("M", 0, {}, {}, {28, month, 2026});
    EXPECT_EQ(written.substr(0, written.find('\n') + 1), std::string("// M 28") + name + "26\r\n") << month;
  }
}
