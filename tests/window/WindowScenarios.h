// What a user does with the wizard's window, written once for both windows:
// each window's test instantiates the suite with its driver, a WindowFixture
// that opens, runs and ends its window, clicks, types and presses keys on the
// controls (ControlId), and reads them back (look: "" when hidden, else the
// caption as written, "[x]" when ticked, "#" when disabled; drawn: as drawn;
// tip: the tooltip, "" for none), places and pixels in client coordinates.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/DialogPort.h"
#include "core/FileSystem.h"
#include "core/WizardState.h"
#include "support/TestSupport.h"

namespace forgeline::test {

inline const std::string kWindowTitle = "Forgeline for 8-bit MCUs   - rev15";

// A button's or frame's text as both toolkits draw it: "&&" is an "&", and
// a lone "&" marks the next letter as a shortcut and is not drawn.
inline std::string withoutMnemonics(const std::string& text) {
  std::string drawn;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    drawn += text[i];
  }
  return drawn;
}

// DEMO08 under another menu name.
inline std::string demoNamed(const std::string& menuName) {
  std::string text = kDemo08;
  text.replace(text.find("MenuName=DEMO08"), 15, "MenuName=" + menuName);
  return text;
}
inline const std::map<std::string, std::string> kDemoOnly{{"MCU_DEMO08.txt", kDemo08}};

// A rectangle, right and bottom excluded; empty when it holds no pixel.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
  bool intersects(const Box& o) const {
    return !empty() && !o.empty() && left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
  Box united(const Box& o) const {
    if (empty() || o.empty()) return empty() ? o : *this;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
  }
  friend bool operator==(const Box&, const Box&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "(" << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ")";
  }
};

// The window as drawn, 0xRRGGBB per pixel; a screen of more dots per inch
// draws `ratio` pixels for each of the window's own.
struct Pixels {
  int width = 0, height = 0;
  double ratio = 1;
  std::vector<std::uint32_t> rgb;

  Box whole() const { return {0, 0, int(width / ratio), int(height / ratio)}; }
  // The bounding box of the red pixels inside `area`, the edges of smoothed
  // letters included.
  Box redIn(const Box& area) const {
    Box found;
    for (int y = std::max(int(area.top * ratio), 0); y < std::min(int(area.bottom * ratio), height); ++y)
      for (int x = std::max(int(area.left * ratio), 0); x < std::min(int(area.right * ratio), width); ++x) {
        const std::uint32_t p = rgb[std::size_t(y) * std::size_t(width) + std::size_t(x)];
        const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
        if (red >= 200 && red - green >= 80 && red - blue >= 80) found = found.united({x, y, x + 1, y + 1});
      }
    if (found.empty()) return found;
    return {int(found.left / ratio), int(found.top / ratio), int((found.right - 1) / ratio) + 1,
            int((found.bottom - 1) / ratio) + 1};
  }
};

enum class Note { description, warning };
// The keys, the title bar's close button and the menu entry that opens About.
enum class Key { enter, keypadEnter, escape, up, down, left, right, f1, close, aboutEntry };

// A KeyFiles folder of its own, a fixed date, and the message boxes recorded
// instead of shown, as "caption|icon|text" (icon: none, warning, error, else
// the box's own style), each with whether the window was visible under it.
struct WindowFixture {
  WindowFixture(const std::map<std::string, std::string>& mcuFiles, bool withKeyFiles) {
    if (withKeyFiles) writeKeyFiles(dir.path(), mcuFiles, {"DEMO08"});
  }
  void record(const std::string& caption, const std::string& icon, const std::string& text, bool windowShown) {
    messages.push_back(caption + "|" + icon + "|" + text);
    shownDuringMessage.push_back(windowShown);
  }

  TempDir dir;
  RealFileSystem fs{dir.path()};
  FixedClock clock{{24, 12, 2024}};
  std::vector<std::string> messages;
  std::vector<bool> shownDuringMessage;
};

// The looks of a group's shown buttons, space-separated.
template <typename Driver>
std::string shown(const Driver& w, ControlId (*control)(int)) {
  std::string list;
  static_assert(kMaxMcus == kMaxModules);
  for (int i = 0; i < kMaxMcus; ++i)
    if (const std::string look = w.look(control(i)); !look.empty()) list += (list.empty() ? "" : " ") + look;
  return list;
}

template <typename Driver>
class WindowScenarios : public ::testing::Test {};
TYPED_TEST_SUITE_P(WindowScenarios);

TYPED_TEST_P(WindowScenarios, OpensWithTheCatalogueInMenuNameOrder) {
  TypeParam w({{"MCU_one.txt", demoNamed("ZETA")}, {"MCU_two.txt", demoNamed("ALPHA")},
               {"MCU_three.txt", demoNamed("MID")}});
  w.open();
  EXPECT_EQ(w.look(kWindow), kWindowTitle);
  EXPECT_TRUE(w.hasIcon());
  EXPECT_EQ(shown(w, mcuButton), "ALPHA MID ZETA");
  EXPECT_EQ(shown(w, moduleBox), "");
  EXPECT_FALSE(w.extrasShown());  // TWRPI boxes, OK, Cancel
  EXPECT_EQ(w.look(kBuildButton), "Build CW6.3 Project#");
  EXPECT_EQ(w.look(kMcuGroup), "MCU");
  EXPECT_TRUE(w.messages.empty());
  // The name box has the focus and its text selected, so a name typed at
  // once replaces the default one.
  EXPECT_EQ(w.look(kProjectNameBox), "Project01");
  w.typeKeys("Blinky");
  EXPECT_EQ(w.look(kProjectNameBox), "Blinky");

  // The red notes sit one under the other between the project-name row and
  // the frames below it, whatever a character comes to in pixels.
  const Box description = w.noteAt(Note::description), warning = w.noteAt(Note::warning);
  const int line = w.lineHeight();
  EXPECT_GE(description.top, std::max(w.place(kProjectNameBox).bottom, w.place(kBuildButton).bottom));
  EXPECT_GE(warning.top, description.top + line);
  EXPECT_GT(w.place(kMcuGroup).top, warning.top + line);
  for (const Box& frame : w.frames())
    EXPECT_TRUE(frame.bottom <= description.top || frame.top > warning.top + line) << frame;
  EXPECT_EQ(w.aboutEntry(), "&About Forgeline MFC...");
}

// Key-file texts are UTF-8 when they are valid UTF-8, else code page 1252:
// the same MCU as written on Linux and as written on Windows long ago (a
// micro sign in its menu name and in a module's description) looks the same.
TYPED_TEST_P(WindowScenarios, KeyFileTextsShowAsUtf8OrElseCodePage1252) {
  std::vector<std::vector<std::uint32_t>> looks;
  for (const std::string micro : {"\xC2\xB5", "\xB5"}) {
    std::string text = demoNamed("S08-" + micro);
    const std::string description = "Reads analogue channel 0 in the main loop";
    text.replace(text.find(description), description.size(), "Samples every 100 " + micro + "s");
    TypeParam w({{"MCU_DEMO08.txt", text}});
    w.open();
    w.click(mcuButton(0));
    w.click(moduleBox(2));
    EXPECT_EQ(shown(w, mcuButton), "S08-\xC2\xB5[x]");
    EXPECT_EQ(w.state().descriptionText, "Samples every 100 " + micro + "s");
    looks.push_back(w.picture().rgb);
  }
  EXPECT_TRUE(looks[0] == looks[1]);
}

TYPED_TEST_P(WindowScenarios, AbortsBeforeTheWindowIsShown) {
  for (const auto& [withKeyFiles, message] :
       {std::pair{false, "Could not find 'KeyFiles' directory. Will abort."},
        std::pair{true, "Found no MCU files. Will abort."}}) {
    TypeParam w({}, withKeyFiles);
    EXPECT_EQ(w.run(), "cancel") << message;
    EXPECT_EQ(w.messages, std::vector<std::string>{kWindowTitle + "|error|" + message});
    EXPECT_EQ(w.shownDuringMessage, std::vector<bool>{false}) << message;
    EXPECT_EQ(w.look(kWindow), "") << message;
  }
}

// ADC uses ICS: ticking it forces ICS on and locks it, a click on a locked
// box is no click, and unticking ADC frees ICS again. Build then creates the
// project under the name typed, in letters of any script, and ends the dialog.
TYPED_TEST_P(WindowScenarios, TicksApplyTheRulesAndBuildCreatesTheProject) {
  TypeParam w;
  w.open();
  const struct {
    ControlId click;
    const char* modules;
    int chosen;
  } steps[] = {
      {mcuButton(0), "INIT[x]# ICS ADC", 0},        {moduleBox(2), "INIT[x]# ICS[x]# ADC[x]", 1},
      {moduleBox(1), "INIT[x]# ICS[x]# ADC[x]", 1}, {moduleBox(2), "INIT[x]# ICS ADC", 0},
      {moduleBox(2), "INIT[x]# ICS[x]# ADC[x]", 1},
  };
  for (const auto& step : steps) {
    w.click(step.click);
    EXPECT_EQ(shown(w, moduleBox), step.modules) << "step " << &step - steps;
    EXPECT_EQ(w.state().chosenCount, step.chosen) << "step " << &step - steps;
  }
  EXPECT_EQ(w.look(kBuildButton), "Build CW6.3 Project");
  const std::string name = "Blinky-\xC3\xA9\xE6\xB8\xA9";
  w.type(name);
  w.click(kBuildButton);
  RealFileSystem disk(w.dir.path());
  EXPECT_TRUE(readWholeFile(disk, name + "/" + name + ".mcp"));
  EXPECT_TRUE(readWholeFile(disk, name + "/Sources/main.c").value_or("").starts_with("// " + name + " 24Dec24\r\n"));
  EXPECT_EQ(w.messages, std::vector<std::string>{std::string(TypeParam::kProgram) +
                                                 "|none|CodeWarrior 6.3 Project created successfully. Will now "
                                                 "exit GUI."});
  EXPECT_EQ(w.ending(), "cancel");
  EXPECT_EQ(w.look(kWindow), "");
}

// Each row clicks on a window with two MCUs. A newly chosen MCU starts with
// nothing ticked, so neither red line of the MCU before stays on screen.
TYPED_TEST_P(WindowScenarios, RedNotesAreDrawnWhereTheyBelong) {
  struct Case {
    std::vector<ControlId> clicks;
    bool description;
    bool warning;
  } cases[] = {
      {.clicks = {mcuButton(0)}, .description = false, .warning = false},
      {.clicks = {mcuButton(0), moduleBox(1)}, .description = true, .warning = false},
      {.clicks = {mcuButton(0), moduleBox(1), moduleBox(2)}, .description = true, .warning = true},
      {.clicks = {mcuButton(0), moduleBox(1), moduleBox(2), moduleBox(2)}, .description = false, .warning = false},
      {.clicks = {mcuButton(0), moduleBox(1), moduleBox(2), mcuButton(1)}, .description = false, .warning = false},
  };
  for (const Case& c : cases) {
    TypeParam w({{"MCU_DEMO08.txt", kDemo08}, {"MCU_OTHER.txt", demoNamed("OTHER")}});
    w.open();
    for (ControlId control : c.clicks) w.click(control);
    const std::string row = "row of " + std::to_string(c.clicks.size()) + " clicks";
    EXPECT_EQ(shown(w, mcuButton), c.clicks.back() == mcuButton(1) ? "DEMO08 OTHER[x]" : "DEMO08[x] OTHER") << row;

    const Pixels picture = w.picture();
    const int line = w.lineHeight(), width = picture.whole().right;
    const Box description = w.noteAt(Note::description), warning = w.noteAt(Note::warning);
    const Box inDescription = picture.redIn({0, description.top, width, description.top + line});
    const Box inWarning = picture.redIn({0, warning.top, width, warning.top + line});
    EXPECT_EQ(!inDescription.empty(), c.description) << row;
    EXPECT_EQ(!inWarning.empty(), c.warning) << row;
    // Each text begins at its point and fills the top of its row: its
    // corner, not its baseline, is there.
    for (const auto& [at, text] : {std::pair{description, inDescription}, std::pair{warning, inWarning}}) {
      if (text.empty()) continue;
      EXPECT_TRUE(text.left >= at.left && text.left < at.left + 4) << row << " " << text << " at " << at;
      EXPECT_TRUE(text.top >= at.top && text.top < at.top + line / 2) << row << " " << text << " at " << at;
    }
    // No red anywhere else, none on a frame.
    EXPECT_EQ(picture.redIn(picture.whole()), inDescription.united(inWarning)) << row;
    for (const Box& frame : w.frames()) EXPECT_FALSE(frame.intersects(inDescription.united(inWarning))) << frame;
  }
}

// Key-file texts are shown as written: an "&" in a menu name or a file name
// is a character, never the mark of a keyboard shortcut. A caption too long for its control is drawn
// cut with "…" (a button's at its end, the frame's in the middle, so its
// revision stays readable), and only a cut caption has a tooltip, which
// holds it whole.
TYPED_TEST_P(WindowScenarios, CaptionsShowAsWrittenAndWholeInATooltipWhenCut) {
  const std::string longMenu = "S08-R&D-A-MENU-NAME-THAT-RUNS-ON-FAR-PAST-THE-END-OF-ITS-BOX";
  ASSERT_EQ(longMenu.size(), 60u);
  const std::string longFile = "MCU_R&D_A_FILE_TITLE_THAT_HIDES_THE_REVISION";
  std::string text = demoNamed(longMenu);
  text.replace(text.find("MODULE:ADC"), 10, "MODULE:ANALOGUE_TO_DIGITAL_CONVERTER");
  TypeParam w({{"MCU_short.txt", demoNamed("S08-R&D")}, {longFile + ".txt", text}});
  w.open();
  w.click(mcuButton(1));
  const std::string ellipsis = "\xE2\x80\xA6";
  const struct {
    ControlId control;
    std::string caption;
    std::string cut;  // "" when it fits, else "end" or "middle"
  } rows[] = {
      {mcuButton(0), "S08-R&D", ""},
      {mcuButton(1), longMenu, "end"},
      {moduleBox(1), "ICS", ""},
      {moduleBox(2), "ANALOGUE_TO_DIGITAL_CONVERTER", "end"},
      {kMcuGroup, "MCU (" + longFile + ".txt Revision=7)", "middle"},
  };
  for (const auto& row : rows) {
    const std::string drawn = w.drawn(row.control);
    EXPECT_EQ(w.tip(row.control), row.cut.empty() ? "" : row.caption) << row.caption;
    if (row.cut.empty()) {
      EXPECT_EQ(drawn, row.caption);
      continue;
    }
    const std::size_t mark = drawn.find(ellipsis);
    ASSERT_NE(mark, std::string::npos) << drawn;
    const std::string head = drawn.substr(0, mark), tail = drawn.substr(mark + ellipsis.size());
    EXPECT_TRUE(row.caption.starts_with(head) && row.caption.ends_with(tail) && head.size() >= 6) << drawn;
    EXPECT_EQ(tail.empty(), row.cut == "end") << drawn;
  }
  EXPECT_EQ(w.look(mcuButton(1)), longMenu + "[x]");
  EXPECT_EQ(w.look(kMcuGroup), rows[4].caption);
}

// A project folder there already, or a main folder the disk will not add to
// (not "taken": the warning gives the system's reason): either way the
// dialog stays open with every choice and nothing on the disk changes.
TYPED_TEST_P(WindowScenarios, AFailingBuildLeavesTheDialogOpenWithEveryChoice) {
  for (const bool locked : {false, true}) {
    TypeParam w;
    if (!locked) makeDirectory(w.dir / "Project01");
    w.open();
    for (ControlId control : {mcuButton(0), moduleBox(1), moduleBox(2)}) w.click(control);
    const std::vector<std::string> before = w.controlStates();
    const auto tree = snapshotTree(w.dir.path());
    std::optional<UnwritableFolder> lock;
    if (locked) lock.emplace(w.dir.path());
    if (lock && lock->reason().empty())
      GTEST_SKIP() << "the second row needs a folder this system can refuse to this user";
    w.click(kBuildButton);
    const std::string warning = locked ? "Could not create the project folder 'Project01': " + lock->reason() + "."
                                       : "That project folder exists already. Please try a different project name.";
    EXPECT_EQ(w.messages, std::vector<std::string>{kWindowTitle + "|warning|" + warning});
    EXPECT_EQ(w.ending(), "");
    EXPECT_EQ(w.look(kWindow), kWindowTitle);
    EXPECT_EQ(w.controlStates(), before);
    EXPECT_EQ(w.state().chosenCount, 2);
    EXPECT_EQ(snapshotTree(w.dir.path()), tree);
  }
}

// Enter neither builds nor closes; F1 and the menu's entry open About and
// return to the wizard as it was; Esc and the close button end with Cancel.
// None creates anything.
TYPED_TEST_P(WindowScenarios, KeysAndCloseNeverBuild) {
  const std::string about = "About Forgeline MFC|Forgeline MFC Version 1.0|default|icon";
  struct Case {
    ControlId focus;
    Key key;
    bool closes;
    std::string about = "";
  } cases[] = {
      {.focus = kProjectNameBox, .key = Key::enter, .closes = false},
      {.focus = kProjectNameBox, .key = Key::keypadEnter, .closes = false},
      {.focus = kBuildButton, .key = Key::enter, .closes = false},
      {.focus = moduleBox(1), .key = Key::enter, .closes = false},
      {.focus = kProjectNameBox, .key = Key::f1, .closes = false, .about = about},
      {.focus = kProjectNameBox, .key = Key::aboutEntry, .closes = false, .about = about},
      {.focus = kProjectNameBox, .key = Key::escape, .closes = true},
      {.focus = kProjectNameBox, .key = Key::close, .closes = true},
  };
  for (const Case& c : cases) {
    TypeParam w;
    w.open();
    for (ControlId control : {mcuButton(0), moduleBox(2)}) w.click(control);
    w.type("Keep");
    const std::vector<std::string> before = w.controlStates();
    const auto tree = snapshotTree(w.dir.path());
    const std::string row = "key " + std::to_string(int(c.key)) + " on " + std::to_string(int(c.focus.group));
    EXPECT_EQ(w.press(c.focus, c.key), c.about) << row;
    EXPECT_EQ(w.ending(), c.closes ? "cancel" : "") << row;
    EXPECT_EQ(w.look(kWindow), c.closes ? "" : kWindowTitle) << row;
    if (!c.closes) {
      EXPECT_EQ(w.controlStates(), before) << row;
    }
    EXPECT_EQ(w.state().chosenCount, 1) << row;
    EXPECT_TRUE(w.messages.empty()) << row;
    EXPECT_TRUE(snapshotTree(w.dir.path()) == tree) << row;
  }
}

// Arrow keys go round the MCU buttons, choosing the one reached, and round
// the module boxes, skipping a locked box; from the name box they go nowhere.
TYPED_TEST_P(WindowScenarios, ArrowsGoRoundTheirRow) {
  TypeParam w({{"MCU_DEMO08.txt", kDemo08}, {"MCU_OTHER.txt", demoNamed("OTHER")}});
  w.open();
  w.click(mcuButton(0));
  const struct {
    ControlId from;
    Key key;
    ControlId to;
  } rows[] = {
      {mcuButton(0), Key::down, mcuButton(1)},  {mcuButton(1), Key::down, mcuButton(0)},
      {mcuButton(0), Key::up, mcuButton(1)},    {moduleBox(1), Key::down, moduleBox(2)},
      {moduleBox(2), Key::right, moduleBox(1)}, {moduleBox(1), Key::left, moduleBox(2)},
      {kProjectNameBox, Key::down, kProjectNameBox}, {kProjectNameBox, Key::up, kProjectNameBox},
  };
  for (const auto& row : rows) {
    const std::string label = "row " + std::to_string(&row - rows);
    w.press(row.from, row.key);
    EXPECT_TRUE(w.focused(row.to)) << label;
    if (row.to.group == ControlGroup::mcuButtons) {
      EXPECT_EQ(shown(w, mcuButton), row.to == mcuButton(0) ? "DEMO08[x] OTHER" : "DEMO08 OTHER[x]") << label;
    }
  }
}

REGISTER_TYPED_TEST_SUITE_P(WindowScenarios, OpensWithTheCatalogueInMenuNameOrder,
                            KeyFileTextsShowAsUtf8OrElseCodePage1252, AbortsBeforeTheWindowIsShown,
                            TicksApplyTheRulesAndBuildCreatesTheProject, RedNotesAreDrawnWhereTheyBelong,
                            AFailingBuildLeavesTheDialogOpenWithEveryChoice, KeysAndCloseNeverBuild,
                            CaptionsShowAsWrittenAndWholeInATooltipWhenCut, ArrowsGoRoundTheirRow);

}  // namespace forgeline::test
