#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DialogModel.h"
#include "core/Wizard.h"
#include "session/WizardSession.h"
#include "support/WizardHarness.h"

using namespace forgeline;
using test::WizardHarness;

namespace {

std::string menu(const std::string& name) { return "MenuName=" + name + "\n"; }

}  // namespace

TEST(CatalogueScan, SortsByMenuNameByteWiseAndTitlesMoveAlong) {
  WizardHarness w({{"MCU_1.txt", menu("beta")}, {"MCU_2.txt", menu("alpha")}, {"MCU_3.txt", menu("Alpha")}});
  EXPECT_EQ(w.mcus(), (std::vector<std::string>{"Alpha", "alpha", "beta"}));
  EXPECT_EQ(w.mcus(true), (std::vector<std::string>{"MCU_3", "MCU_2", "MCU_1"}));
  EXPECT_EQ(w.state->mcuCount, 3);
  EXPECT_FALSE(w.dialog.ended());
  EXPECT_FALSE(WizardHarness({{"MCU_A.txt", menu("A")}}).dialog.control(kBuildButton).enabled) << "until an MCU is chosen";
}

TEST(CatalogueScan, EqualMenuNamesCanChangeOrderThroughAThirdEntry) {
  // Alone, two equal names are never exchanged: file-name order stays.
  EXPECT_EQ(WizardHarness({{"MCU_1.txt", menu("B")}, {"MCU_2.txt", menu("B")}}).mcus(true),
            (std::vector<std::string>{"MCU_1", "MCU_2"}));
  // Listed B1, B2, A: the exchange sort swaps B1 with A, leaving A, B2, B1.
  WizardHarness w({{"MCU_1.txt", menu("B")}, {"MCU_2.txt", menu("B")}, {"MCU_3.txt", menu("A")}});
  EXPECT_EQ(w.mcus(true), (std::vector<std::string>{"MCU_3", "MCU_2", "MCU_1"}));
}

TEST(CatalogueScan, MenuNameCutsAndFallbacks) {
  WizardHarness w({
      {"MCU_a.txt", "first line\nMenuName=ABC\r\nMenuName=LATER\n"},
      {"MCU_b.txt", "MenuName=ABD"},  // no line end: the last character goes
      {"MCU_c.txt", "MenuName=???\nMenuName=REAL\n"},
      {"MCU_d.txt", ""},
      {"MCU_e.txt", "no key here\n"},
      {"MCU_f.txt", "MenuName=\n"},
      {"MCU_g.txt", "MenuName=" + std::string(95, 'L') + "\n"},
  });
  std::map<std::string, std::string> byTitle;
  for (std::size_t i = 0; i < w.mcus().size(); ++i) byTitle[w.mcus(true)[i]] = w.mcus()[i];
  EXPECT_EQ(byTitle["MCU_a"], "ABC");
  EXPECT_EQ(byTitle["MCU_b"], "AB");
  EXPECT_EQ(byTitle["MCU_c"], "REAL");
  EXPECT_EQ(byTitle["MCU_d"], "???");
  EXPECT_EQ(byTitle["MCU_e"], "???");
  EXPECT_EQ(byTitle["MCU_f"], "");
  EXPECT_EQ(byTitle["MCU_g"], std::string(89, 'L'));
  EXPECT_EQ(w.mcus().front(), "") << "the empty name sorts first";
}

// Windows' disk and wildcard ignore case; elsewhere only "MCU_*.txt" counts.
TEST(CatalogueScan, NamesInAnotherCaseCountOnlyOnWindows) {
  WizardHarness w({{"mcu_x.txt", menu("X")}, {"MCU_Y.TXT", menu("Y")}});
  EXPECT_EQ(w.dialog.ended(), !kFileNamesIgnoreCase);
  EXPECT_EQ(w.dialog.messages().size(), kFileNamesIgnoreCase ? 0u : 1u);
}

TEST(CatalogueScan, KeepsOnlyTheFirstFiftyFilesInByteOrder) {
  std::map<std::string, std::string> files;
  for (int i = 0; i < 60; ++i) {
    char name[16], menuName[8];
    std::snprintf(name, sizeof name, "MCU_%02d.txt", i);
    std::snprintf(menuName, sizeof menuName, "M%d", 99 - i);
    files[name] = menu(menuName);
  }
  WizardHarness w(files, {}, {});
  ASSERT_EQ(w.state->mcuCount, 50);
  EXPECT_EQ(w.mcus(true).size(), 50u);
  EXPECT_EQ(w.mcus(true).back(), "MCU_00");
  EXPECT_EQ(w.mcus(true).front(), "MCU_49");
}
