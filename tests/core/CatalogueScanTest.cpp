#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DialogModel.h"
#include "core/Wizard.h"
#include "session/WizardSession.h"
#include "support/TestSupport.h"

using namespace forgeline;

namespace {

struct Opened {
  std::unique_ptr<WizardState> state = std::make_unique<WizardState>();
  DialogModel dialog;
  std::vector<std::string> captions;  // of the shown MCU buttons, in order
  std::vector<std::string> titles;
};

Opened openWizard(FileSystem& fs) {
  Opened o;
  const FixedClock clock{{5, 12, 2026}};
  WizardSession(o.dialog, fs, clock, o.state.get()).open();
  for (int i = 0; i < kMaxMcus; ++i) {
    if (!o.dialog.control(mcuButton(i)).visible) continue;
    o.captions.push_back(o.dialog.control(mcuButton(i)).caption);
    o.titles.push_back(o.state->mcuFileTitles[static_cast<std::size_t>(i)]);
  }
  return o;
}

Opened openWizard(const std::map<std::string, std::string>& files) {
  test::TempDir dir;
  test::writeKeyFiles(dir.path(), files);
  RealFileSystem fs(dir.path());
  return openWizard(fs);
}

std::string menu(const std::string& name) { return "MenuName=" + name + "\n"; }

}  // namespace

TEST(CatalogueScan, SortsByMenuNameByteWiseAndTitlesMoveAlong) {
  Opened o = openWizard({{"MCU_1.txt", menu("beta")}, {"MCU_2.txt", menu("alpha")}, {"MCU_3.txt", menu("Alpha")}});
  EXPECT_EQ(o.captions, (std::vector<std::string>{"Alpha", "alpha", "beta"}));
  EXPECT_EQ(o.titles, (std::vector<std::string>{"MCU_3", "MCU_2", "MCU_1"}));
  EXPECT_EQ(o.state->mcuCount, 3);
  EXPECT_FALSE(o.dialog.control(mcuButton(3)).visible);
  EXPECT_FALSE(o.dialog.ended());
}

TEST(CatalogueScan, EqualMenuNamesCanChangeOrderThroughAThirdEntry) {
  // Alone, two equal names are never exchanged: file-name order stays.
  EXPECT_EQ(openWizard({{"MCU_1.txt", menu("B")}, {"MCU_2.txt", menu("B")}}).titles,
            (std::vector<std::string>{"MCU_1", "MCU_2"}));
  // Listed B1, B2, A: the exchange sort swaps B1 with A, leaving A, B2, B1.
  Opened o = openWizard({{"MCU_1.txt", menu("B")}, {"MCU_2.txt", menu("B")}, {"MCU_3.txt", menu("A")}});
  EXPECT_EQ(o.titles, (std::vector<std::string>{"MCU_3", "MCU_2", "MCU_1"}));
}

TEST(CatalogueScan, MenuNameCutsAndFallbacks) {
  Opened o = openWizard({
      {"MCU_a.txt", "first line\nMenuName=ABC\r\nMenuName=LATER\n"},
      {"MCU_b.txt", "MenuName=ABD"},  // no line end: the last character goes
      {"MCU_c.txt", "MenuName=???\nMenuName=REAL\n"},
      {"MCU_d.txt", ""},
      {"MCU_e.txt", "no key here\n"},
      {"MCU_f.txt", "MenuName=\n"},
      {"MCU_g.txt", "MenuName=" + std::string(95, 'L') + "\n"},
  });
  std::map<std::string, std::string> byTitle;
  for (std::size_t i = 0; i < o.titles.size(); ++i) byTitle[o.titles[i]] = o.captions[i];
  EXPECT_EQ(byTitle["MCU_a"], "ABC");
  EXPECT_EQ(byTitle["MCU_b"], "AB");
  EXPECT_EQ(byTitle["MCU_c"], "REAL");
  EXPECT_EQ(byTitle["MCU_d"], "???");
  EXPECT_EQ(byTitle["MCU_e"], "???");
  EXPECT_EQ(byTitle["MCU_f"], "");
  EXPECT_EQ(byTitle["MCU_g"], std::string(89, 'L'));
  EXPECT_EQ(o.captions.front(), "") << "the empty name sorts first";
}

// A KeyFiles that is a file, an unreadable MCU file and MCU names that are
// links or pipes are rows of HostileInputTest.
TEST(CatalogueScan, AbortsWithMessageWhenThereIsNothingToOffer) {
  const ShownMessage noKeyFiles{"Could not find 'KeyFiles' directory. Will abort.", kWindowTitle, MessageIcon::error};
  const ShownMessage noMcuFiles{"Found no MCU files. Will abort.", kWindowTitle, MessageIcon::error};
  {
    test::TempDir dir;
    RealFileSystem fs(dir.path());
    Opened o = openWizard(fs);
    EXPECT_EQ(o.dialog.messages(), std::vector<ShownMessage>{noKeyFiles});
    EXPECT_TRUE(o.dialog.ended());
  }
  {
    // Near misses do not count: a folder, a longer extension.
    test::TempDir dir;
    test::writeKeyFiles(dir.path(), {{"MCU_x.txt~", menu("X")}});
    test::makeDirectory(dir / "KeyFiles/MCU_dir.txt");
    RealFileSystem fs(dir.path());
    Opened o = openWizard(fs);
    EXPECT_EQ(o.dialog.messages(), std::vector<ShownMessage>{noMcuFiles});
    EXPECT_TRUE(o.dialog.ended());
  }
}

// Windows' disk and wildcard ignore case; elsewhere only "MCU_*.txt" counts.
TEST(CatalogueScan, NamesInAnotherCaseCountOnlyOnWindows) {
  test::TempDir dir;
  test::writeKeyFiles(dir.path(), {{"mcu_x.txt", menu("X")}, {"MCU_Y.TXT", menu("Y")}});
  RealFileSystem fs(dir.path());
  Opened o = openWizard(fs);
  EXPECT_EQ(o.dialog.ended(), !kFileNamesIgnoreCase);
  EXPECT_EQ(o.dialog.messages().size(), kFileNamesIgnoreCase ? 0u : 1u);
}

TEST(CatalogueScan, KeepsOnlyTheFirstFiftyFilesInByteOrder) {
  std::map<std::string, std::string> files;
  for (int i = 0; i < 60; ++i) {
    char name[16], menuName[8];
    std::snprintf(name, sizeof name, "MCU_%02d.txt", i);
    std::snprintf(menuName, sizeof menuName, "M%d", 99 - i);
    files[name] = menu(menuName);
  }
  Opened o = openWizard(files);
  ASSERT_EQ(o.state->mcuCount, 50);
  EXPECT_EQ(o.titles.size(), 50u);
  EXPECT_EQ(o.titles.back(), "MCU_00");
  EXPECT_EQ(o.titles.front(), "MCU_49");
}

TEST(CatalogueScan, OpeningSetsTitleAndDefaults) {
  Opened o = openWizard({{"MCU_A.txt", menu("A")}});
  EXPECT_EQ(o.dialog.control(kWindow).caption, "Forgeline for 8-bit MCUs   - rev15");
  EXPECT_EQ(o.dialog.projectNameText(), "Project01");
  EXPECT_FALSE(o.dialog.control(kBuildButton).enabled);
  EXPECT_EQ(o.state->includeName, "<???.h>");
  EXPECT_EQ(o.state->menuName, "A") << "the last file read stays in menuName";
}
