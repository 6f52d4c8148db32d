#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/WizardHarness.h"

using namespace forgeline;
using test::WizardHarness;

namespace {

std::vector<std::string> lines(const auto& table, int count) {
  return std::vector<std::string>(table.begin(), table.begin() + count);
}

}  // namespace

TEST(McuDescriptionLoader, MissingKeysKeepThePreviousMcusValues) {
  WizardHarness w({{"MCU_A.txt", std::string(test::kDemo08)}, {"MCU_B.txt", "MenuName=B\nMODULE:X\n9. x\nENDMODULE\n"}});
  w.clickMcu(0);  // B sorts before DEMO08
  ASSERT_EQ(w.state->menuName, "B");
  EXPECT_EQ(w.state->includeName, "<???.h>");
  w.clickMcu(1);
  w.clickMcu(0);
  EXPECT_EQ(w.state->menuName, "B");
  EXPECT_EQ(w.state->includeName, "<demo08.h>");
  EXPECT_EQ(w.state->currentDevice, "DEMO08");
  EXPECT_EQ(lines(w.state->prmLines, w.state->prmLineCount),
            (std::vector<std::string>{"NAMES END\n", "SEGMENTS\n", "    RAM = READ_WRITE 0x0080 TO 0x00FF;\n",
                                      "    ROM = READ_ONLY  0xE000 TO 0xFFAD;\n", "END\n"}))
      << "no PRM block leaves the previous PRM lines";
  EXPECT_EQ(w.dialog.control(kMcuGroup).caption, "MCU (MCU_B.txt Revision=7)");
  EXPECT_EQ(w.state->moduleDescriptions[1], "") << "descriptions are emptied at every load";
}

TEST(McuDescriptionLoader, StructureOddities) {
  const std::string file =
      "MenuName=ODD\n"
      "1.\n"
      "orphan code\n"                  // before any module: belongs to box 0
      "MODULE:INIT\n"
      "6.\n"
      "init body\n"
      "Revision=3\n"                   // a header key inside a block is also code
      "MenuNameIndex = 0; /* MenuName=Z Revision=9 */\n"  // but only at the start of a line
      "9.Reads\n"                      // ends the section; description without separator
      "ignored after description\n"
      "ENDMODULE\n"
      "MODULE:TPM2 uses INIT\n"
      "PRMSTART\n"                     // a module line leaves no PRM block open...
      "first block\n"
      "PRMSTART\n"                     // ...and a second PRM start discards the first
      "\n"
      "second block\n"
      "ENDMODULE\n"
      "MODULE:LAST\n";                 // no ENDMODULE: shown but not counted
  WizardHarness w({{"MCU_ODD.txt", file}});
  w.clickMcu(0);
  const WizardState& s = *w.state;
  EXPECT_EQ(s.moduleCount, 2);
  EXPECT_EQ(s.moduleNames[1], "TPM");
  EXPECT_EQ(s.moduleUses[1], "INIT");
  EXPECT_EQ(s.moduleDescriptions[0], "eads");
  EXPECT_EQ(s.revision, 3);
  EXPECT_EQ(lines(s.prmLines, s.prmLineCount), (std::vector<std::string>{"\n", "second block\n"}));
  EXPECT_TRUE(w.shown(1));
  EXPECT_TRUE(w.shown(2));
  EXPECT_EQ(w.dialog.control(moduleBox(2)).caption, "LAST");
  w.clickModule(1);
  const std::string ticked = w.boxes();
  w.loadForBuild();
  EXPECT_EQ(w.boxes(), ticked) << "a build load leaves the marks alone";
  EXPECT_EQ(lines(s.section(1), s.sectionCount(1)), std::vector<std::string>{"orphan code\n"});
  EXPECT_EQ(lines(s.initLines, s.initLineCount), (std::vector<std::string>{"init body\n", "Revision=3\n", "MenuNameIndex = 0; /* MenuName=Z Revision=9 */\n"}));
}
