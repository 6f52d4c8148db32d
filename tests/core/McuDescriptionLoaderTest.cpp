#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/WizardHarness.h"

using namespace forgeline;
using test::WizardHarness;
using test::repeat;

namespace {

std::vector<std::string> lines(const auto& table, int count) {
  return std::vector<std::string>(table.begin(), table.begin() + count);
}

}  // namespace

TEST(McuDescriptionLoader, Demo08PreviewLoad) {
  WizardHarness w({{"MCU_DEMO08.txt", std::string(test::kDemo08)}});
  w.clickMcu(0);
  const WizardState& s = *w.state;
  EXPECT_EQ(s.menuName, "DEMO08");
  EXPECT_EQ(s.includeName, "<demo08.h>");
  EXPECT_EQ(s.currentDevice, "DEMO08");
  EXPECT_EQ(s.revision, 7);
  EXPECT_EQ(lines(s.prmLines, s.prmLineCount),
            (std::vector<std::string>{"NAMES END\n", "SEGMENTS\n", "    RAM = READ_WRITE 0x0080 TO 0x00FF;\n",
                                      "    ROM = READ_ONLY  0xE000 TO 0xFFAD;\n", "END\n"}));
  EXPECT_EQ(s.moduleCount, 3);
  EXPECT_EQ(lines(s.moduleNames, 3), (std::vector<std::string>{"INIT", "ICS", "ADC"}));
  EXPECT_EQ(lines(s.moduleUses, 3), (std::vector<std::string>{"", "", "ICS"}));
  EXPECT_EQ(lines(s.moduleDescriptions, 3),
            (std::vector<std::string>{"Start-up code only", "Internal clock source",
                                      "Reads analogue channel 0 in the main loop"}));
  for (int sec = 1; sec <= 8; ++sec) EXPECT_EQ(s.sectionCount(sec), 0);
  EXPECT_EQ(s.initLineCount, 0);
  EXPECT_EQ(w.boxes(), "xd -e -e");
  EXPECT_TRUE(w.dialog.control(kBuildButton).enabled);
  EXPECT_EQ(w.dialog.control(kMcuGroup).caption, "MCU (MCU_DEMO08.txt Revision=7)");
}

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
  EXPECT_EQ(lines(w.state->prmLines, w.state->prmLineCount).back(), "END\n") << "no PRM block leaves the previous PRM lines";
  EXPECT_EQ(w.dialog.control(kMcuGroup).caption, "MCU (MCU_B.txt Revision=7)");
  EXPECT_EQ(w.state->moduleUses[2], "") << "uses texts are emptied at every load";
  EXPECT_EQ(w.state->moduleDescriptions[1], "");
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
  EXPECT_EQ(s.menuName, "ODD");
  EXPECT_EQ(w.dialog.control(kMcuGroup).caption, "MCU (MCU_ODD.txt Revision=3)");
  EXPECT_EQ(lines(s.prmLines, s.prmLineCount), (std::vector<std::string>{"\n", "second block\n"}));
  EXPECT_TRUE(w.shown(1));
  EXPECT_TRUE(w.shown(2));
  EXPECT_EQ(w.dialog.control(moduleBox(2)).caption, "LAST");
  w.loadForBuild();
  EXPECT_EQ(lines(s.section(1), s.sectionCount(1)), std::vector<std::string>{"orphan code\n"});
  EXPECT_EQ(lines(s.initLines, s.initLineCount), (std::vector<std::string>{"init body\n", "Revision=3\n", "MenuNameIndex = 0; /* MenuName=Z Revision=9 */\n"}));
}

TEST(McuDescriptionLoader, UnreadableFileShowsNoBoxesAndKeepsRevision) {
  WizardHarness w({{"MCU_A.txt", std::string(test::kDemo08)}});
  w.clickMcu(0);
  test::FaultyFileSystem faulty(w.fs);
  faulty.failOn(test::FsOp::openForReading);
  loadMcuDescription(*w.state, w.dialog, faulty, 0, LoadMode::previewMode);
  EXPECT_EQ(w.state->moduleCount, 0);
  EXPECT_FALSE(w.shown(0));
  EXPECT_EQ(w.dialog.control(kMcuGroup).caption, "MCU (MCU_A.txt Revision=7)");
}

TEST(McuDescriptionLoader, SurplusBeyondEveryTableIsDroppedNotStored) {
  std::string file = "MenuName=BIG\nPRMSTART\n" + repeat("prm\n", 150) + "PRMEND\n";
  // INIT's 700 lines of section 1 take more than one block of the line store.
  const std::string longest(97, 'a');
  file += "MODULE:INIT\n6.\n" + repeat("init;\n", 130) + "1.\n" + repeat(longest + "\n", 700) + "ENDMODULE\n";
  for (int i = 1; i < 60; ++i) file += "MODULE:M" + std::string(static_cast<std::size_t>(i % 26 + 1), 'A') +
                                       "\n9. m\n1.\n" + repeat("b;\n", 20) + "ENDMODULE\n";
  WizardHarness w({{"MCU_BIG.txt", file}});
  w.clickMcu(0);
  EXPECT_EQ(w.state->moduleCount, 50);
  EXPECT_EQ(w.state->prmLineCount, 100);
  for (int i = 1; i < 50; ++i) w.clickModule(i);
  const std::string ticked = w.boxes();
  w.loadForBuild();
  EXPECT_EQ(w.boxes(), ticked) << "a build load leaves the marks alone";
  EXPECT_EQ(w.state->initLineCount, 100);
  std::vector<std::string> section1(700, longest + "\n");
  section1.resize(1000, "b;\n");
  EXPECT_EQ(lines(w.state->section(1), w.state->sectionCount(1)), section1) << "700 of INIT and 49 x 20, cut at the table's end";
  EXPECT_EQ(w.state->moduleCount, 50);
}
