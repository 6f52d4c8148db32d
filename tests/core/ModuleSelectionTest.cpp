#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/WizardHarness.h"

using namespace forgeline;
using test::WizardHarness;

namespace {

using Modules = std::vector<std::pair<std::string, std::string>>;

// A key file with one module per (name, uses) pair, each with a description
// "about NAME".
std::string keyFile(const Modules& modules, const std::string& menu = "SEL") {
  std::string text = "MenuName=" + menu + "\n";
  for (const auto& [name, uses] : modules) {
    text += "MODULE:" + name + (uses.empty() ? "" : " uses " + uses) + "\n";
    text += "9. about " + name + "\nENDMODULE\n";
  }
  return text;
}

// One click, on a module box or else on an MCU button, then the boxes as
// WizardHarness::boxes() shows them and the count of ticked modules; where
// given, the red note and the repaints asked for so far. A click the window
// could not make is refused and changes nothing.
struct Step {
  int click = -1;
  std::string boxes;
  int chosenCount = 0;
  std::optional<int> mcu = std::nullopt;
  ClickOutcome outcome = ClickOutcome::done;
  std::optional<std::string> note = std::nullopt;
  std::optional<int> repaints = std::nullopt;
};

// `other`, when given, is a second MCU file, the second button.
void play(const Modules& modules, const Modules& other, const std::vector<Step>& steps) {
  std::map<std::string, std::string> files{{"MCU_SEL.txt", keyFile(modules)}};
  if (!other.empty()) files["MCU_SEL2.txt"] = keyFile(other, "SEL2");
  WizardHarness w(files, {});
  w.clickMcu(0);
  for (const Step& step : steps) {
    const std::string what = step.mcu ? "MCU button " + std::to_string(*step.mcu) : "box " + std::to_string(step.click);
    const ClickOutcome outcome = step.mcu ? (w.session.chooseMcu(*step.mcu) ? ClickOutcome::done : ClickOutcome::noSuchBox)
                                          : w.session.clickModule(step.click);
    EXPECT_EQ(outcome, step.outcome) << "clicking " << what;
    EXPECT_EQ(w.boxes(), step.boxes) << "after clicking " << what;
    EXPECT_EQ(w.state->chosenCount, step.chosenCount) << "after clicking " << what;
    if (step.note) { EXPECT_EQ(w.state->descriptionText, *step.note) << "after clicking " << what; }
    if (step.repaints) { EXPECT_EQ(w.dialog.repaintRequests(), *step.repaints) << "after clicking " << what; }
  }
}

}  // namespace

// Each row: the modules of one MCU file (of two, where the second matters) and the clicks played on it.
TEST(ModuleSelection, ClicksFollowTheUsesAndInitRules) {
  const std::string ticked = "xd xd xe";
  struct Row {
    const char* name;
    Modules modules;
    std::vector<Step> steps;
    Modules other = {};
  } rows[] = {
      {"a uses chain in box order: both forced and released", {{"P", "Q"}, {"Q", "R"}, {"R", ""}},
       {{0, "xe xd xd", 1}, {0, "-e -e -e", 0}}},
      // R's turn comes before Q is marked, so only Q.
      {"the same chain against box order", {{"R", ""}, {"Q", "R"}, {"P", "Q"}}, {{2, "-e xd xe", 1}}},
      {"names match as substrings, INIT only whole", {{"INIT", ""}, {"INITX", ""}, {"TPM", ""}, {"ADC", "TPMX"}},
       {{3, "xd -e xd xe", 1}, {1, "xd xe xd xe", 2}, {3, "xd xe -e -e", 1}}},
      {"a ticked module forced by another keeps its own tick", {{"ICS", ""}, {"ADC", "ICS"}},
       {{0, "xe -e", 1}, {1, "xd xe", 2}, {1, "xe -e", 1}, {0, "-e -e", 0}}},
      {"self-use locks the box until the MCU is chosen again", {{"SELF", "SELF"}, {"B", ""}},
       {{.click = 0, .boxes = "xd -e", .chosenCount = 1},
        {.click = 0, .boxes = "xd -e", .chosenCount = 1, .outcome = ClickOutcome::disabled},
        {.click = 1, .boxes = "xd xe", .chosenCount = 2},
        {.boxes = "-e -e", .chosenCount = 0, .mcu = 0}}},
      // The window offers no click on a hidden box, a disabled one or an MCU
      // button past the last shown, and the session takes none.
      {"clicks the window cannot make", {{"INIT", ""}, {"ICS", ""}, {"ADC", "ICS"}},
       {{.click = 2, .boxes = ticked, .chosenCount = 1},
        {.click = 0, .boxes = ticked, .chosenCount = 1, .outcome = ClickOutcome::disabled},
        {.click = 1, .boxes = ticked, .chosenCount = 1, .outcome = ClickOutcome::disabled},
        {.click = 3, .boxes = ticked, .chosenCount = 1, .outcome = ClickOutcome::hidden},
        {.click = kMaxModules, .boxes = ticked, .chosenCount = 1, .outcome = ClickOutcome::noSuchBox},
        {.boxes = ticked, .chosenCount = 1, .mcu = 1, .outcome = ClickOutcome::noSuchBox},
        {.boxes = ticked, .chosenCount = 1, .mcu = -1, .outcome = ClickOutcome::noSuchBox}}},
      {"an empty name is forced by any marked box", {{"INIT", ""}, {"", ""}, {"A", ""}}, {{2, "xd xd xe", 1}}},
      {"INIT's uses take effect only from the first click", {{"INIT", "CLK"}, {"A", ""}, {"CLK", ""}},
       {{.boxes = "xd -e -e", .chosenCount = 0, .mcu = 0}, {.click = 1, .boxes = "xd xe xd", .chosenCount = 1}}},
      // Unticking clears the note even with another box still ticked; one
      // repaint for choosing the MCU, one a click.
      {"the note follows the clicks; choosing the MCU again clears ticks and note",
       {{"INIT", ""}, {"A", ""}, {"B", ""}},
       {{.click = 1, .boxes = "xd xe -e", .chosenCount = 1, .note = "about A"},
        {.click = 2, .boxes = "xd xe xe", .chosenCount = 2, .note = "about B"},
        {.click = 1, .boxes = "xd -e xe", .chosenCount = 1, .note = "", .repaints = 4},
        {.boxes = "xd -e -e", .chosenCount = 0, .mcu = 0, .note = "", .repaints = 5}}},
      {"the uses of the MCU clicked before force nothing in the next", {{"P", "Q"}, {"Q", ""}},
       {{0, "xe xd", 1}, {.boxes = "-e -e", .mcu = 1}, {0, "xe -e", 1}, {.boxes = "-e -e", .mcu = 0}, {0, "xe xd", 1}},
       {{"P", ""}, {"Q", ""}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    play(row.modules, row.other, row.steps);
  }
}
