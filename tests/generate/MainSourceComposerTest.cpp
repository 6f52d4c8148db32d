#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/WizardState.h"
#include "generate/MainSourceComposer.h"
#include "support/TestSupport.h"

using namespace forgeline;

namespace {

// Lines 3 to 28 of every main.c whose sections 1 to 5 are empty: the
// skeleton from the first blank line down to the opening brace of main.
const std::string kEmptyRegionsBeforeBody =
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// INCLUDES ///////////////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// DEFINES ////////////////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// GLOBAL CONSTANTS ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// GLOBAL VARIABLES ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// FUNCTION HEADERS ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// *** MAIN ***********************************************************                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "void main(void)                                                                            \r\n"
    "{                                                                                          \r\n";

// The skeleton after the body of main when sections 7 and 8 are empty.
const std::string kEmptyRegionsAfterBody =
    "}                                                                                          \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "// ********************************************************************                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// FUNCTION BODIES ////////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// INTERRUPT BODIES ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n";

const std::string kBlinkyHead =
    "// Blinky  5Dec26\r\n"
    "// ======\r\n";

const std::string kBlinky =
    "// Blinky  5Dec26\r\n"
    "// ======\r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// INCLUDES ///////////////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "#include \"derivative.h\"\r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// DEFINES ////////////////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// GLOBAL CONSTANTS ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// GLOBAL VARIABLES ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "unsigned char counter;\r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// FUNCTION HEADERS ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// *** MAIN ***********************************************************                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "void main(void)                                                                            \r\n"
    "{                                                                                          \r\n"
    "  counter = 0;\r\n"
    "  for (;;) { counter++; }\r\n"
    "}                                                                                          \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "// ********************************************************************                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// FUNCTION BODIES ////////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// INTERRUPT BODIES ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n";

const std::string kEveryRegionFilled =
    "// Blinky  5Dec26\r\n"
    "// ======\r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// INCLUDES ///////////////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "/* s1 */\r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// DEFINES ////////////////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "/* s2 */\r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// GLOBAL CONSTANTS ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "/* s3 */\r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// GLOBAL VARIABLES ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "/* s4 */\r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// FUNCTION HEADERS ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "/* s5 */\r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// *** MAIN ***********************************************************                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "void main(void)                                                                            \r\n"
    "{                                                                                          \r\n"
    "/* s6 */\r\n"
    "}                                                                                          \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "// ********************************************************************                    \r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// FUNCTION BODIES ////////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "/* s7 */\r\n"
    "                                                                                           \r\n"
    "                                                                                           \r\n"
    "// INTERRUPT BODIES ///////////////////////////////////////////////////                    \r\n"
    "//---------------------------------------------------------------------                    \r\n"
    "/* s8 */\r\n";

constexpr CalendarDate kBlinkyDate{5, 12, 2026};

void addLine(WizardState& state, int section, const std::string& line) {
  state.section(section)[static_cast<std::size_t>(state.sectionCount(section)++)] = line;
}

void addInitLine(WizardState& state, const std::string& line) {
  state.initLines[static_cast<std::size_t>(state.initLineCount++)] = line;
}

std::unique_ptr<WizardState> blinkyState(int chosenCount) {
  auto state = std::make_unique<WizardState>();
  state->projectName = "Blinky";
  state->chosenCount = chosenCount;
  return state;
}

// Writes main.c into a fresh folder and reads it back as it is on disk.
std::string writtenMainSource(const WizardState& state, CalendarDate date = kBlinkyDate) {
  test::TempDir dir;
  RealFileSystem fs(dir.path());
  FixedClock clock(date);
  EXPECT_TRUE(writeMainSource(state, fs, clock).ok());
  return test::readFile(dir / "main.c");
}

}  // namespace

TEST(MainSourceComposer, BlinkyIsTheWorkedExample) {
  auto state = blinkyState(1);
  addLine(*state, 1, "#include \"derivative.h\"\n");
  addLine(*state, 4, "unsigned char counter;\n");
  addLine(*state, 6, "  counter = 0;\n");
  addLine(*state, 6, "  for (;;) { counter++; }\n");
  addInitLine(*state, "  never written;\n");
  EXPECT_EQ(writtenMainSource(*state), kBlinky);
}

TEST(MainSourceComposer, EachSectionGoesToItsOwnRegion) {
  auto state = blinkyState(1);
  for (int s = 1; s <= 8; ++s) addLine(*state, s, "/* s" + std::to_string(s) + " */\n");
  EXPECT_EQ(writtenMainSource(*state), kEveryRegionFilled);
}

TEST(MainSourceComposer, BodyOfMainFollowsTheNumberOfTickedModules) {
  struct Case {
    int chosenCount;
    bool hasInitLines;
    std::string body;
  } cases[] = {
      {0, true, "  INIT body;\r\n"},
      {0, false, ""},
      {1, true, "  ticked body;\r\n  second line;\r\n"},
      {2, true,
       "MCU_Init();  \r\n"
       "for (;;)    // Empty project was created due to multiple module choice. \r\n"
       "  {          \r\n"
       "  }          \r\n"},
      {5, false,
       "MCU_Init();  \r\n"
       "for (;;)    // Empty project was created due to multiple module choice. \r\n"
       "  {          \r\n"
       "  }          \r\n"},
  };
  for (const Case& c : cases) {
    auto state = blinkyState(c.chosenCount);
    if (c.hasInitLines) addInitLine(*state, "  INIT body;\n");
    addLine(*state, 6, "  ticked body;\n");
    addLine(*state, 6, "  second line;\n");
    EXPECT_EQ(writtenMainSource(*state), kBlinkyHead + kEmptyRegionsBeforeBody + c.body + kEmptyRegionsAfterBody)
        << "chosenCount " << c.chosenCount << ", INIT lines " << c.hasInitLines;
  }
}

TEST(MainSourceComposer, MultipleModulesStillFillTheOtherRegions) {
  auto state = blinkyState(2);
  for (int s = 1; s <= 8; ++s) addLine(*state, s, "/* s" + std::to_string(s) + " */\n");
  const std::string multipleBody =
      "MCU_Init();  \r\n"
      "for (;;)    // Empty project was created due to multiple module choice. \r\n"
      "  {          \r\n"
      "  }          \r\n";
  std::string expected = kEveryRegionFilled;
  expected.replace(expected.find("/* s6 */\r\n"), 10, multipleBody);
  EXPECT_EQ(writtenMainSource(*state), expected);
}

TEST(MainSourceComposer, EmptySectionsAndSeveralModulesGiveFortyThreeLines) {
  auto state = blinkyState(2);
  const std::string file = writtenMainSource(*state);
  std::size_t lines = 0;
  for (std::size_t at = file.find("\r\n"); at != std::string::npos; at = file.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, 43u);
  EXPECT_TRUE(file.ends_with(
      "// INTERRUPT BODIES ///////////////////////////////////////////////////                    \r\n"
      "//---------------------------------------------------------------------                    \r\n"));
}

TEST(MainSourceComposer, HeaderLineDateForms) {
  struct Case {
    std::string name;
    CalendarDate date;
    std::string header;
  } cases[] = {
      {"Blinky", {5, 12, 2026}, "// Blinky  5Dec26"},
      {"Blinky", {15, 3, 2026}, "// Blinky 15Mar26"},
      {"Blinky", {5, 1, 2005}, "// Blinky  5Jan 5"},
      {"Blinky", {31, 10, 1999}, "// Blinky 31Oct99"},
      {"Blinky", {1, 2, 2100}, "// Blinky  1Feb 0"},
      {"100%", {9, 9, 2019}, "// 100%  9Sep19"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(mainSourceHeaderLine(c.name, c.date), c.header) << c.date.day << "." << c.date.month << "." << c.date.year;
}

TEST(MainSourceComposer, HeaderAndUnderlineOnDisk) {
  struct Case {
    std::string name;
    CalendarDate date;
    std::string head;
  } cases[] = {
      {"Blinky", {15, 3, 2026}, "// Blinky 15Mar26\r\n// ======\r\n"},
      {"Blinky", {5, 1, 2005}, "// Blinky  5Jan 5\r\n// ======\r\n"},
      {std::string(50, 'x'), {5, 12, 2026}, "// " + std::string(50, 'x') + "  5Dec26\r\n// " + std::string(50, '=') + "\r\n"},
      {"Gr\xc3\xbc\xc3\x9f", {5, 12, 2026}, "// Gr\xc3\xbc\xc3\x9f  5Dec26\r\n// ====\r\n"},
      {"a\xff" "b", {5, 12, 2026}, "// a\xff" "b  5Dec26\r\n// ===\r\n"},
  };
  for (const Case& c : cases) {
    auto state = blinkyState(0);
    state->projectName = c.name;
    EXPECT_EQ(writtenMainSource(*state, c.date), c.head + kEmptyRegionsBeforeBody + kEmptyRegionsAfterBody) << c.name;
  }
}

TEST(MainSourceComposer, StoredLinesAreWrittenAsTheyStand) {
  auto state = blinkyState(1);
  // A format string survives, and pieces of a long line stored without their
  // line end are joined again.
  addLine(*state, 4, "const char* fmt = \"%d%%s%n\";\n");
  addLine(*state, 6, "  part one, ");
  addLine(*state, 6, "part two;\n");
  std::string expected = kBlinkyHead + kEmptyRegionsBeforeBody + "  part one, part two;\r\n" + kEmptyRegionsAfterBody;
  const std::string variables =
      "// GLOBAL VARIABLES ///////////////////////////////////////////////////                    \r\n"
      "//---------------------------------------------------------------------                    \r\n";
  expected.insert(expected.find(variables) + variables.size(), "const char* fmt = \"%d%%s%n\";\r\n");
  EXPECT_EQ(writtenMainSource(*state), expected);
}
