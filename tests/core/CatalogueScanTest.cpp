#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/WizardHarness.h"

using namespace forgeline;
using test::WizardHarness;

namespace {

std::string menu(const std::string& name) { return "MenuName=" + name + "\n"; }

}  // namespace

TEST(CatalogueScan, SortsByMenuNameByteWiseAndTitlesMoveAlong) {
  WizardHarness w({{"MCU_1.txt", menu("beta")}, {"MCU_2.txt", menu("alpha")}, {"MCU_3.txt", menu("Alpha")},
                   {"MCU_4.txt", menu("")}});
  EXPECT_EQ(w.mcus(), (std::vector<std::string>{"", "Alpha", "alpha", "beta"}));
  EXPECT_EQ(w.mcus(true), (std::vector<std::string>{"MCU_4", "MCU_3", "MCU_2", "MCU_1"}));
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

// The caption a file gives, from its bytes.
TEST(CatalogueScan, MenuNameCutsAndFallbacks) {
  struct Case {
    std::string file, menu;
  } cases[] = {
      {"first line\nMenuName=ABC\r\nMenuName=LATER\n", "ABC"},
      {"MenuName=ABD", "AB"},  // no line end: the last character goes
      {"MenuName=???\nMenuName=REAL\n", "REAL"},
      {"", "???"},
      {"no key here\n", "???"},
      {"MenuName=\n", ""},
      {"MenuName=" + std::string(95, 'L') + "\n", std::string(89, 'L')},
  };
  for (const Case& c : cases) EXPECT_EQ(readMenuName(c.file), c.menu) << c.file;
}

// On the real disk, whose listing order is its own: which fifty are kept must not depend on it.
TEST(CatalogueScan, KeepsOnlyTheFirstFiftyFilesInByteOrder) {
  std::map<std::string, std::string> files;
  for (int i = 10; i < 70; ++i) files["MCU_" + std::to_string(i) + ".txt"] = menu("M" + std::to_string(99 - i));
  WizardHarness w(files, {}, {}, WizardHarness::Disk::real);
  EXPECT_EQ(w.mcus(true).size(), 50u);
  EXPECT_EQ(w.mcus(true).back(), "MCU_10");
  EXPECT_EQ(w.mcus(true).front(), "MCU_59");
}
