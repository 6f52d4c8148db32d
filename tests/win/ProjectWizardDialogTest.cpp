// The Windows window driven as a user drives it, inside this process: clicks
// and keys on the dialog's own controls, found by their ids, on a KeyFiles
// folder of its own. Message boxes are answered by recording them; the About
// box is read and closed by a hook as it opens.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/Win32Text.h"
#include "core/Wizard.h"
#include "support/TestSupport.h"
#include "win/ControlIds.h"
#include "win/ProjectWizardDialog.h"
#include "win/resource.h"

using namespace forgeline;
using forgeline::test::TempDir;

namespace {

const std::wstring kTitle = L"Forgeline for 8-bit MCUs   - rev15";

// DEMO08 under another menu name.
std::string demoNamed(const std::string& menuName) {
  std::string text = forgeline::test::kDemo08;
  const std::string key = "MenuName=DEMO08";
  text.replace(text.find(key), key.size(), "MenuName=" + menuName);
  return text;
}

std::wstring textOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string shownAs(const std::wstring& caption, UINT type, const std::wstring& text) {
  return narrow(caption) + "|" + std::to_string(type) + "|" + narrow(text);
}

// A dialog on a fresh folder, with message boxes recorded instead of shown.
struct Wizard {
  explicit Wizard(const std::map<std::string, std::string>& mcuFiles = {{"MCU_DEMO08.txt", forgeline::test::kDemo08}},
                  bool withKeyFiles = true) {
    if (withKeyFiles) forgeline::test::writeKeyFiles(dir.path(), mcuFiles, {"DEMO08"});
    dialog = std::make_unique<ProjectWizardDialog>(fs, clock);
    dialog->port().setMessageBoxFunction([this](HWND owner, const std::wstring& text, const std::wstring& caption,
                                                UINT type) {
      messages.push_back(shownAs(caption, type, text));
      EXPECT_EQ(owner, dialog->window());
      shownDuringMessage.push_back(::IsWindowVisible(dialog->window()) != 0);
    });
  }

  // Opens and shows it as the run would, without blocking.
  void open() {
    ASSERT_TRUE(dialog->open());
    ::ShowWindow(dialog->window(), SW_SHOW);
    ::UpdateWindow(dialog->window());
  }

  HWND item(int id) const { return ::GetDlgItem(dialog->window(), id); }
  HWND item(ControlId control) const { return item(controlId(control)); }

  // A mouse click as the button sees it: a disabled or hidden control gets
  // none, as no mouse can reach it.
  void click(HWND control) {
    if (!::IsWindowEnabled(control) || !::IsWindowVisible(control)) return;
    ::SendMessageW(control, BM_CLICK, 0, 0);
    dialog->processQueuedMessages();
  }
  void click(ControlId control) { click(item(control)); }

  // The shown buttons of a group as "text[x]", "#" for disabled ones.
  std::string shown(int count, int (*id)(int)) const {
    std::string list;
    for (int i = 0; i < count; ++i) {
      HWND b = item(id(i));
      if (!::IsWindowVisible(b)) continue;
      if (!list.empty()) list += ' ';
      list += narrow(textOf(b)) + (::SendMessageW(b, BM_GETCHECK, 0, 0) == BST_CHECKED ? "[x]" : "[ ]") +
              (::IsWindowEnabled(b) ? "" : "#");
    }
    return list;
  }
  std::string mcus() const {
    return shown(kMaxMcus, [](int i) { return controlId(mcuButton(i)); });
  }
  std::string modules() const {
    return shown(kMaxModules, [](int i) { return controlId(moduleBox(i)); });
  }

  // Every control's look, to tell that nothing changed.
  std::vector<std::string> controlStates() const {
    std::vector<std::string> states;
    for (HWND child = ::GetWindow(dialog->window(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
      states.push_back(std::to_string(::GetDlgCtrlID(child)) + (::IsWindowVisible(child) ? " shown" : " hidden") +
                       (::IsWindowEnabled(child) ? " enabled " : " disabled ") + narrow(textOf(child)) +
                       (::SendMessageW(child, BM_GETCHECK, 0, 0) == BST_CHECKED ? " [x]" : ""));
    return states;
  }

  TempDir dir;
  RealFileSystem fs{dir.path()};
  FixedClock clock{{24, 12, 2024}};
  std::unique_ptr<ProjectWizardDialog> dialog;
  std::vector<std::string> messages;  // each as "caption|type|text"
  std::vector<bool> shownDuringMessage;
};

// A control's rectangle in the dialog's client pixels.
RECT clientRectOf(HWND dialog, HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A control's place in dialog units (x, y, width, height), as the template
// gave it.
RECT unitsOf(HWND dialog, HWND control) {
  const RECT pixels = clientRectOf(dialog, control);
  RECT unit{0, 0, 4, 8};
  ::MapDialogRect(dialog, &unit);  // one character: 4 units wide, 8 high
  const auto x = [&](LONG p) { return ::MulDiv(p, 4, unit.right); };
  const auto y = [&](LONG p) { return ::MulDiv(p, 8, unit.bottom); };
  return {x(pixels.left), y(pixels.top), x(pixels.right) - x(pixels.left), y(pixels.bottom) - y(pixels.top)};
}

// The client area as painted, read back pixel by pixel.
class ClientPicture {
 public:
  explicit ClientPicture(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT client;
    ::GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    HDC windowDc = ::GetDC(window);
    HDC memory = ::CreateCompatibleDC(windowDc);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width_, height_, windowDc, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* p = static_cast<const DWORD*>(bits);
    pixels_.assign(p, p + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, windowDc);
  }

  // The bounding box of the red pixels in rows top..bottom-1, the edges of
  // smoothed letters included; empty (right == 0) when there are none.
  RECT redIn(int top, int bottom) const {
    RECT found{width_, height_, 0, 0};
    for (int y = std::max(top, 0); y < std::min(bottom, height_); ++y)
      for (int x = 0; x < width_; ++x) {
        const DWORD p = pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
        const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
        if (red >= 200 && red - green >= 80 && red - blue >= 80) {
          found = {std::min(found.left, LONG(x)), std::min(found.top, LONG(y)), std::max(found.right, LONG(x + 1)),
                   std::max(found.bottom, LONG(y + 1))};
        }
      }
    if (found.right == 0) return {};
    return found;
  }
  int height() const { return height_; }

 private:
  int width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;
};

// Reads the About box as it opens, through a hook on this thread, and closes
// it with its OK button.
class AboutReader {
 public:
  AboutReader() {
    current_ = this;
    hook_ = ::SetWindowsHookExW(WH_CBT, onEvent, nullptr, ::GetCurrentThreadId());
  }
  ~AboutReader() {
    ::UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  const std::string& seen() const { return seen_; }  // title|text|OK default?

 private:
  static LRESULT CALLBACK onEvent(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && current_ && ::GetDlgItem(box, IDC_ABOUT_TEXT)) {
      HWND ok = ::GetDlgItem(box, IDOK);
      const bool isDefault = (::GetWindowLongW(ok, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
      current_->seen_ += narrow(textOf(box)) + "|" + narrow(textOf(::GetDlgItem(box, IDC_ABOUT_TEXT))) + "|" +
                         (isDefault ? "default" : "") + (::SendDlgItemMessageW(box, IDC_ABOUT_ICON, STM_GETICON, 0, 0) ? "|icon" : "");
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline AboutReader* current_ = nullptr;
  HHOOK hook_;
  std::string seen_;
};

// A key pressed and released while `target` has the focus, as the run sees
// it. The focus moves as Tab moves it, so a push button that takes it also
// becomes the default button.
void pressKey(ProjectWizardDialog& dialog, HWND target, WPARAM key) {
  ::SendMessageW(dialog.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
  ::PostMessageW(target, WM_KEYDOWN, key, 1);
  if (key == VK_RETURN || key == VK_ESCAPE) ::PostMessageW(target, WM_CHAR, key, 1);
  ::PostMessageW(target, WM_KEYUP, key, 1 | (3u << 30));
  dialog.processQueuedMessages();
}

}  // namespace

TEST(Win32WizardDialog, OpensWithTheCatalogueInMenuNameOrderAndTheLayoutOfItsTemplate) {
  // Key-file texts are UTF-8 when they are valid UTF-8, else code page 1252.
  Wizard w({{"MCU_one.txt", demoNamed("ZETA")}, {"MCU_two.txt", demoNamed("ALPHA")},
            {"MCU_three.txt", demoNamed("MID")}, {"MCU_cafe.txt", demoNamed("Caf\xE9")},
            {"MCU_nino.txt", demoNamed("Ni\xC3\xB1o")}});
  w.open();
  HWND window = w.dialog->window();
  EXPECT_EQ(textOf(window), kTitle);
  EXPECT_EQ(w.mcus(), "ALPHA[ ] Caf\xC3\xA9[ ] MID[ ] Ni\xC3\xB1o[ ] ZETA[ ]");
  EXPECT_EQ(w.modules(), "");
  EXPECT_EQ(w.shown(kTwrpiBoxes, twrpiBoxId), "");
  EXPECT_EQ(narrow(textOf(w.item(kBuildButton))), "Build CW6.3 Project");
  EXPECT_FALSE(::IsWindowEnabled(w.item(kBuildButton)));
  EXPECT_EQ(narrow(textOf(w.item(kProjectNameBox))), "Project01");
  EXPECT_EQ(narrow(textOf(w.item(kMcuGroup))), "MCU");
  EXPECT_FALSE(::IsWindowVisible(w.item(IDOK)));
  EXPECT_FALSE(::IsWindowVisible(w.item(IDCANCEL)));
  EXPECT_TRUE(w.messages.empty());
  EXPECT_TRUE(::SendMessageW(window, WM_GETICON, ICON_BIG, 0) && ::SendMessageW(window, WM_GETICON, ICON_SMALL, 0) &&
              ::SendMessageW(window, WM_QUERYDRAGICON, 0, 0));

  // The template's places in dialog units, control by control.
  RECT client, size{0, 0, 430, 412};
  ::GetClientRect(window, &client);
  ::MapDialogRect(window, &size);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  struct Place {
    int id;
    RECT units;  // x, y, width, height
  };
  std::vector<Place> places = {{IDC_PROJECT_NAME, {12, 16, 126, 14}}, {IDC_BUILD, {174, 12, 120, 24}},
                               {IDOK, {336, 0, 50, 16}},              {IDCANCEL, {336, 24, 50, 16}},
                               {IDC_MCU_GROUP, {5, 60, 156, 324}}};
  const auto rowTop = [](int row) { return 73 + 24 * (row / 2) + 11 * (row % 2); };
  for (int i = 0; i < 50; ++i) {
    const int column = i / 25, row = i % 25;
    places.push_back({controlId(mcuButton(i)), {column ? 82 : 10, rowTop(row), i == 0 ? 58 : 60, 10}});
    places.push_back({controlId(moduleBox(i)), {column ? 258 : 180, rowTop(row) - column, 72, 10}});
    if (i < kTwrpiBoxes) places.push_back({twrpiBoxId(i), {354, rowTop(i) + 1, i <= 8 ? 42 : 46, 10}});
  }
  for (const Place& place : places) {
    const RECT got = unitsOf(window, w.item(place.id));
    EXPECT_TRUE(std::abs(got.left - place.units.left) <= 1 && std::abs(got.top - place.units.top) <= 1 &&
                std::abs(got.right - place.units.right) <= 1 && std::abs(got.bottom - place.units.bottom) <= 1)
        << "id " << place.id << " at " << got.left << "," << got.top << " " << got.right << "x" << got.bottom;
  }

  // The red notes sit between the project-name row and the frames, whatever
  // the dialog unit comes to in pixels.
  TEXTMETRICW metrics;
  HDC dc = ::GetDC(window);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)));
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(window, dc);
  const POINT description = w.dialog->notePosition({20, 60}), warning = w.dialog->notePosition({20, 80});
  EXPECT_LT(clientRectOf(window, w.item(kProjectNameBox)).bottom, description.y);
  EXPECT_LE(description.y + metrics.tmHeight, warning.y);
  EXPECT_LT(warning.y + metrics.tmHeight, clientRectOf(window, w.item(kMcuGroup)).top);
}

TEST(Win32WizardDialog, AbortsBeforeTheWindowIsShown) {
  struct Case {
    bool withKeyFiles;
    std::string message;
  } cases[] = {
      {.withKeyFiles = false, .message = "Could not find 'KeyFiles' directory. Will abort."},
      {.withKeyFiles = true, .message = "Found no MCU files. Will abort."},
  };
  for (const Case& c : cases) {
    Wizard w({}, c.withKeyFiles);
    EXPECT_EQ(w.dialog->run(), IDCANCEL);
    EXPECT_EQ(w.messages, std::vector<std::string>{shownAs(kTitle, MB_OK | MB_ICONERROR, widenFileName(c.message))});
    EXPECT_EQ(w.shownDuringMessage, std::vector<bool>{false}) << c.message;
    EXPECT_FALSE(::IsWindowVisible(w.dialog->window())) << c.message;
  }
}

TEST(Win32WizardDialog, AnMcuClickShowsItsModulesAndTicksApplyTheRules) {
  Wizard w;
  w.open();
  w.click(mcuButton(0));
  EXPECT_EQ(w.mcus(), "DEMO08[x]");
  EXPECT_EQ(w.modules(), "INIT[x]# ICS[ ] ADC[ ]");
  EXPECT_EQ(narrow(textOf(w.item(kMcuGroup))), "MCU (MCU_DEMO08.txt Revision=7)");
  EXPECT_TRUE(::IsWindowEnabled(w.item(kBuildButton)));
  EXPECT_TRUE(w.messages.empty());

  // ADC uses ICS: ticking it forces ICS on and locks it.
  w.click(moduleBox(2));
  EXPECT_EQ(w.modules(), "INIT[x]# ICS[x]# ADC[x]");
  EXPECT_EQ(w.dialog->state().chosenCount, 1);
  EXPECT_EQ(w.dialog->state().descriptionText, "Reads analogue channel 0 in the main loop");
  w.click(moduleBox(1));  // locked: no click reaches it
  EXPECT_EQ(w.modules(), "INIT[x]# ICS[x]# ADC[x]");
  w.click(moduleBox(2));
  EXPECT_EQ(w.modules(), "INIT[x]# ICS[ ] ADC[ ]");
  EXPECT_EQ(w.dialog->state().chosenCount, 0);

  // A second click on the selected MCU loads it again, ticks cleared.
  w.click(moduleBox(1));
  EXPECT_EQ(w.modules(), "INIT[x]# ICS[x] ADC[ ]");
  w.click(mcuButton(0));
  EXPECT_EQ(w.mcus(), "DEMO08[x]");
  EXPECT_EQ(w.modules(), "INIT[x]# ICS[ ] ADC[ ]");
  EXPECT_FALSE(w.dialog->state().moduleChosen[1]);
}

TEST(Win32WizardDialog, RedNotesAreDrawnWhereTheyBelong) {
  struct Case {
    std::vector<int> ticks;
    bool description;
    bool warning;
  } cases[] = {
      {.ticks = {}, .description = false, .warning = false},
      {.ticks = {1}, .description = true, .warning = false},
      {.ticks = {1, 2}, .description = true, .warning = true},
      {.ticks = {1, 2, 2}, .description = false, .warning = false},
  };
  for (const Case& c : cases) {
    Wizard w;
    w.open();
    w.click(mcuButton(0));
    for (int box : c.ticks) w.click(moduleBox(box));
    const std::string name = "ticks " + std::to_string(c.ticks.size());

    const ClientPicture picture(w.dialog->window());
    const POINT description = w.dialog->notePosition({20, 60}), warning = w.dialog->notePosition({20, 80});
    const RECT inDescription = picture.redIn(description.y, warning.y);
    const RECT inWarning = picture.redIn(warning.y, picture.height());
    EXPECT_EQ(inDescription.right > 0, c.description) << name;
    EXPECT_EQ(inWarning.right > 0, c.warning) << name;
    // Each text begins at its point and fills the top of its row: its
    // corner, not its baseline, is there.
    for (const auto& [at, text] : {std::pair{description, inDescription}, std::pair{warning, inWarning}}) {
      if (text.right == 0) continue;
      EXPECT_TRUE(text.left >= at.x && text.left < at.x + 4) << name << " left " << text.left << " at " << at.x << "," << at.y << " top " << text.top;
      EXPECT_TRUE(text.top >= at.y && text.top < at.y + 6) << name << " top " << text.top;
    }
    EXPECT_EQ(picture.redIn(0, description.y).right, 0) << name;
  }
}

TEST(Win32WizardDialog, BuildCreatesTheProjectAndEndsTheDialog) {
  Wizard w;
  w.open();
  w.click(mcuButton(0));
  w.click(moduleBox(2));
  // Typed letters of any script reach the disk and main.c as typed.
  ::SetWindowTextW(w.item(kProjectNameBox), L"Blinky-\u00e9\u6e29");
  w.click(kBuildButton);
  const std::string name = "Blinky-\xC3\xA9\xE6\xB8\xA9";
  RealFileSystem disk(w.dir.path());
  EXPECT_TRUE(readWholeFile(disk, name + "/" + name + ".mcp"));
  EXPECT_TRUE(readWholeFile(disk, name + "/Sources/main.c").value_or("").starts_with("// " + name + " 24Dec24\r\n"));
  EXPECT_EQ(w.messages, std::vector<std::string>{shownAs(L"win_window_tests", MB_OK,
                                                         L"CodeWarrior 6.3 Project created successfully. Will now "
                                                         L"exit GUI.")});
  EXPECT_TRUE(w.dialog->ended());
  EXPECT_FALSE(::IsWindowVisible(w.dialog->window()));
}

TEST(Win32WizardDialog, AFailingBuildLeavesTheDialogOpenWithEveryChoice) {
  Wizard w;
  forgeline::test::makeDirectory(w.dir / "Project01");
  w.open();
  w.click(mcuButton(0));
  w.click(moduleBox(1));
  w.click(moduleBox(2));
  const std::vector<std::string> before = w.controlStates();
  w.click(kBuildButton);
  EXPECT_EQ(w.messages, std::vector<std::string>{shownAs(kTitle, MB_OK | MB_ICONWARNING,
                                                         L"That project folder exists already. Please try a "
                                                         L"different project name.")});
  EXPECT_FALSE(w.dialog->ended());
  EXPECT_TRUE(::IsWindowVisible(w.dialog->window()));
  EXPECT_EQ(w.controlStates(), before);
  EXPECT_EQ(w.dialog->state().chosenCount, 2);
}

// Enter neither builds nor closes; Esc and the close command end with
// Cancel. None creates anything.
TEST(Win32WizardDialog, KeysAndCloseNeverBuild) {
  struct Case {
    const char* name;
    int focus;    // control id
    WPARAM key;   // 0: the close command of the window's menu
    bool closes;
  } cases[] = {
      {.name = "Enter in the name box", .focus = IDC_PROJECT_NAME, .key = VK_RETURN, .closes = false},
      {.name = "Enter on Build", .focus = IDC_BUILD, .key = VK_RETURN, .closes = false},
      {.name = "Enter on a module", .focus = controlId(moduleBox(1)), .key = VK_RETURN, .closes = false},
      {.name = "Esc", .focus = IDC_PROJECT_NAME, .key = VK_ESCAPE, .closes = true},
      {.name = "close command", .focus = IDC_PROJECT_NAME, .key = 0, .closes = true},
  };
  for (const Case& c : cases) {
    Wizard w;
    w.open();
    w.click(mcuButton(0));
    w.click(moduleBox(1));
    const auto tree = forgeline::test::snapshotTree(w.dir.path());
    if (c.key == 0) {
      ::PostMessageW(w.dialog->window(), WM_SYSCOMMAND, SC_CLOSE, 0);
      w.dialog->processQueuedMessages();
    } else {
      pressKey(*w.dialog, w.item(c.focus), c.key);
    }
    EXPECT_EQ(w.dialog->ended(), c.closes) << c.name;
    EXPECT_EQ(::IsWindowVisible(w.dialog->window()) != 0, !c.closes) << c.name;
    EXPECT_TRUE(w.messages.empty()) << c.name;
    EXPECT_TRUE(forgeline::test::snapshotTree(w.dir.path()) == tree) << c.name;
  }
}

// F1 and the system menu's entry open the same About box; closing it
// returns to the wizard as it was.
TEST(Win32WizardDialog, AboutReturnsWithEveryControlUnchanged) {
  for (const bool fromMenu : {false, true}) {
    Wizard w;
    w.open();
    w.click(mcuButton(0));
    w.click(moduleBox(2));
    ::SetWindowTextW(w.item(kProjectNameBox), L"Keep");
    const std::vector<std::string> before = w.controlStates();
    AboutReader about;
    if (fromMenu) {
      HMENU menu = ::GetSystemMenu(w.dialog->window(), FALSE);
      const int last = ::GetMenuItemCount(menu) - 1;
      wchar_t entry[64] = {};
      ::GetMenuStringW(menu, last, entry, 64, MF_BYPOSITION);
      EXPECT_EQ(std::wstring(entry), L"&About Forgeline MFC...");
      EXPECT_EQ(::GetMenuItemID(menu, last), UINT(IDM_ABOUTBOX));
      EXPECT_EQ(::GetMenuState(menu, last - 1, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
      ::PostMessageW(w.dialog->window(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
      w.dialog->processQueuedMessages();
    } else {
      pressKey(*w.dialog, w.item(kProjectNameBox), VK_F1);
    }
    EXPECT_EQ(about.seen(), "About Forgeline MFC|Forgeline MFC Version 1.0|default|icon") << fromMenu;
    EXPECT_FALSE(w.dialog->ended());
    EXPECT_EQ(w.controlStates(), before) << fromMenu;
    EXPECT_EQ(w.dialog->state().chosenCount, 1);
  }
}
