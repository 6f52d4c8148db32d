#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/KeyFileFormat.h"

using namespace forgeline;

TEST(KeyFileFormat, ClassifiesHeaderKeysThenStructureKeysInTheirOrder) {
  struct Case {
    std::string line;
    HeaderKey header;
    std::string value;
    LineKind kind;
    int section;
  } cases[] = {
      {"MenuName=DEMO08\n", HeaderKey::menuName, "DEMO08", LineKind::content, 0},
      {"IncludeName=<demo08.h>\n", HeaderKey::includeName, "<demo08.h>", LineKind::content, 0},
      {"CURRENTDEVICE=DEMO08\n", HeaderKey::currentDevice, "DEMO08", LineKind::content, 0},
      {"Revision=7\n", HeaderKey::revision, "7", LineKind::content, 0},
      {"Revision=12", HeaderKey::revision, "1", LineKind::content, 0},
      {"MenuName=\n", HeaderKey::menuName, "", LineKind::content, 0},
      {"MenuName=", HeaderKey::menuName, "", LineKind::content, 0},
      {"menuname=X\n", HeaderKey::none, "", LineKind::content, 0},
      // A key counts only at the start of its line, never inside code.
      {"/* Revision=9 */\n", HeaderKey::none, "", LineKind::content, 0},
      {"MODULE:ADC /* MenuName=X */\n", HeaderKey::none, "", LineKind::moduleLine, 0},
      {"Revisions = 1; /* Revision=9 */\n", HeaderKey::none, "", LineKind::content, 0},
      {"MODULE:ADC uses ICS\n", HeaderKey::none, "", LineKind::moduleLine, 0},
      {"ENDMODULE\n", HeaderKey::none, "", LineKind::endLine, 0},
      {"ENDMODULEX\n", HeaderKey::none, "", LineKind::endLine, 0},
      {"PRMSTART\n", HeaderKey::none, "", LineKind::prmStart, 0},
      {"PRMEND\n", HeaderKey::none, "", LineKind::prmEnd, 0},
      {"9. text\n", HeaderKey::none, "", LineKind::descriptionLine, 0},
      {"1. includes\n", HeaderKey::none, "", LineKind::sectionHeader, 1},
      {"8.\n", HeaderKey::none, "", LineKind::sectionHeader, 8},
      {"0. zero\n", HeaderKey::none, "", LineKind::content, 0},
      {"10. two digits\n", HeaderKey::none, "", LineKind::content, 0},
      {"6\n", HeaderKey::none, "", LineKind::content, 0},
      {" 6.\n", HeaderKey::none, "", LineKind::content, 0},
      {"\n", HeaderKey::none, "", LineKind::content, 0},
  };
  for (const Case& c : cases) {
    ClassifiedLine line = classifyLine(c.line);
    EXPECT_EQ(line.header, c.header) << c.line;
    EXPECT_EQ(line.headerValue, c.value) << c.line;
    EXPECT_EQ(line.kind, c.kind) << c.line;
    EXPECT_EQ(line.section, c.section) << c.line;
  }
}

TEST(KeyFileFormat, ModuleLineGivesNameAndUsesText) {
  struct Case {
    std::string line, name, uses;
  } cases[] = {
      {"MODULE:ADC uses ICS\n", "ADC", "ICS"},
      {"MODULE:TPM2 uses ICS\n", "TPM", "ICS"},
      {"MODULE: ADC\n", "", ""},
      {"MODULE:SCI causes trouble\n", "SCI", "trouble"},
      {"MODULE:KBI/IRQ_X\n", "KBI/IRQ_X", ""},
      {"MODULE:Adc\n", "A", ""},
      {"MODULE:ADC", "ADC", ""},
      {"MODULE:ADC uses\n", "ADC", ""},
      {"MODULE:ADC uses ICS TPM\r\n", "ADC", "ICS TPM\r"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(moduleName(c.line), c.name) << c.line;
    EXPECT_EQ(moduleUsesText(c.line), c.uses) << c.line;
  }
}

TEST(KeyFileFormat, DescriptionDropsKeySeparatorAndLastCharacter) {
  EXPECT_EQ(descriptionText("9. Reads channel 0\n"), "Reads channel 0");
  EXPECT_EQ(descriptionText("9.Reads\n"), "eads");
  EXPECT_EQ(descriptionText("9.\n"), "");
  EXPECT_EQ(descriptionText("9."), "");
}

TEST(KeyFileFormat, RevisionReadsLikeAtoiButSaturates) {
  struct Case {
    std::string text;
    int value;
  } cases[] = {
      {"7", 7},          {"  -12abc", -12},        {"+5", 5},      {"abc", 0},
      {"", 0},           {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
      {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"\t 3", 3},
      // 2^64 + 3: a count that wrapped around would read 3.
      {"18446744073709551619", INT_MAX}, {"-18446744073709551619", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(parseRevision(c.text), c.value) << c.text;
}

TEST(KeyFileFormat, McuFilePatternIsExactAndIgnoresCaseOnlyWhenTold) {
  struct Case {
    std::string name;
    bool exact, ignoringCase;  // matches as given; matches the way Windows' wildcard does
  } cases[] = {
      {"MCU_DEMO08.txt", true, true}, {"MCU_.txt", true, true},    {"MCU_a.b.txt", true, true},
      {"mcu_x.txt", false, true},     {"Mcu_X.TxT", false, true},  {"MCU_X.TXT", false, true},
      {"mcu.txt", false, false},      {"MCU_X.txt~", false, false}, {"MCU.txt", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(matchesMcuPattern(c.name, false), c.exact) << c.name;
    EXPECT_EQ(matchesMcuPattern(c.name, true), c.ignoringCase) << c.name;
  }
  EXPECT_EQ(fileTitle("MCU_a.b.txt"), "MCU_a.b");
}
