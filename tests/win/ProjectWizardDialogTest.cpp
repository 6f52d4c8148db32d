// The Windows window driven as a user drives it, inside this process: clicks
// and keys on the dialog's own controls, found by their ids, through the
// scenarios both windows share, then the places its template gives. The
// About box is read and closed by a hook as it opens.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "core/Win32Text.h"
#include "win/ControlIds.h"
#include "win/ProjectWizardDialog.h"
#include "win/resource.h"
#include "window/WindowScenarios.h"

using namespace forgeline;
using namespace forgeline::test;

namespace {

std::string textOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return narrow(text);
}

// Reads the About box as it opens, through a hook on this thread, and closes
// it with its OK button.
class AboutReader {
 public:
  AboutReader() : hook_(::SetWindowsHookExW(WH_CBT, onEvent, nullptr, ::GetCurrentThreadId())) { current_ = this; }
  ~AboutReader() {
    ::UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  const std::string& seen() const { return seen_; }  // title|text|OK default?|icon?
  const RECT& place() const { return place_; }       // where it opened, on the screen

 private:
  static LRESULT CALLBACK onEvent(int code, WPARAM wParam, LPARAM lParam) {
    HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && current_ && ::GetDlgItem(box, IDC_ABOUT_TEXT)) {
      HWND ok = ::GetDlgItem(box, IDOK);
      ::GetWindowRect(box, &current_->place_);
      const bool isDefault = (::GetWindowLongW(ok, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
      current_->seen_ += textOf(box) + "|" + textOf(::GetDlgItem(box, IDC_ABOUT_TEXT)) + "|" +
                         (isDefault ? "default" : "") +
                         (::SendDlgItemMessageW(box, IDC_ABOUT_ICON, STM_GETICON, 0, 0) ? "|icon" : "");
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline AboutReader* current_ = nullptr;
  HHOOK hook_;
  std::string seen_;
  RECT place_{};
};

// A dialog on a fresh folder, with message boxes recorded instead of shown.
struct Win32Window : WindowFixture {
  static constexpr const char* kProgram = "win_window_tests";

  explicit Win32Window(const std::map<std::string, std::string>& mcuFiles = kDemoOnly, bool withKeyFiles = true)
      : WindowFixture(mcuFiles, withKeyFiles), dialog(std::make_unique<ProjectWizardDialog>(fs, clock)) {
    dialog->port().setMessageBoxFunction([this](HWND owner, const std::wstring& text, const std::wstring& caption,
                                                UINT type) {
      EXPECT_EQ(owner, dialog->window());
      const std::string icon = type == (MB_OK | MB_ICONERROR)     ? "error"
                               : type == (MB_OK | MB_ICONWARNING) ? "warning"
                               : type == MB_OK                    ? "none"
                                                                  : std::to_string(type);
      record(narrow(caption), icon, narrow(text), ::IsWindowVisible(dialog->window()));
    });
  }

  // Opens and shows it as the run would, without blocking.
  void open() {
    ASSERT_TRUE(dialog->open());
    ::ShowWindow(dialog->window(), SW_SHOW);
    ::UpdateWindow(dialog->window());
  }
  std::string run() { return dialog->run() == IDCANCEL ? "cancel" : "other"; }
  std::string ending() const { return dialog->ended() ? "cancel" : ""; }

  HWND item(int id) const { return id ? ::GetDlgItem(dialog->window(), id) : dialog->window(); }
  HWND item(ControlId control) const { return item(controlId(control)); }
  static bool isButton(HWND control) {
    wchar_t name[16] = {};
    ::GetClassNameW(control, name, 16);
    return std::wstring(name) == L"Button";
  }
  // A button's caption as drawn; whole, as its tooltip holds it, when cut.
  std::string drawn(HWND control) const { return isButton(control) ? withoutMnemonics(textOf(control)) : textOf(control); }
  std::string drawn(ControlId c) const { return drawn(item(c)); }
  std::string tip(HWND control) const {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = dialog->window();
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    if (!::SendMessageW(dialog->port().tooltips(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) return "";
    wchar_t text[256] = {};
    tool.lpszText = text;
    ::SendMessageW(dialog->port().tooltips(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    return narrow(text);
  }
  std::string tip(ControlId c) const { return tip(item(c)); }
  std::string caption(HWND control) const {
    const std::string whole = tip(control);
    return (whole.empty() ? drawn(control) : whole) +
           (::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "[x]" : "");
  }
  std::string look(ControlId c) const {
    HWND control = item(c);
    return ::IsWindowVisible(control) ? caption(control) + (::IsWindowEnabled(control) ? "" : "#") : "";
  }
  bool extrasShown() const {
    bool any = ::IsWindowVisible(item(IDOK)) || ::IsWindowVisible(item(IDCANCEL));
    for (int i = 0; i < kTwrpiBoxes; ++i) any = any || ::IsWindowVisible(item(twrpiBoxId(i)));
    return any;
  }
  bool hasIcon() const {
    HWND window = dialog->window();
    return ::SendMessageW(window, WM_GETICON, ICON_BIG, 0) && ::SendMessageW(window, WM_GETICON, ICON_SMALL, 0) &&
           ::SendMessageW(window, WM_QUERYDRAGICON, 0, 0);
  }
  std::vector<HWND> children() const {
    std::vector<HWND> all;
    for (HWND child = ::GetWindow(dialog->window(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
      all.push_back(child);
    return all;
  }
  // Every control's look, to tell that nothing changed.
  std::vector<std::string> controlStates() const {
    std::vector<std::string> states;
    for (HWND child : children())
      states.push_back(std::to_string(::GetDlgCtrlID(child)) + (::IsWindowVisible(child) ? " shown" : " hidden") +
                       (::IsWindowEnabled(child) ? " enabled " : " disabled ") + caption(child));
    return states;
  }

  // A mouse click as the button sees it: a disabled or hidden control gets
  // none, as no mouse can reach it.
  void click(ControlId c) {
    HWND control = item(c);
    if (!::IsWindowEnabled(control) || !::IsWindowVisible(control)) return;
    ::SendMessageW(control, BM_CLICK, 0, 0);
    dialog->processQueuedMessages();
  }
  // Characters as the keyboard sends them to the control with the focus.
  void typeKeys(const std::string& text) {
    HWND focus = ::GetFocus();
    for (wchar_t c : widenFileName(text)) ::PostMessageW(focus, WM_CHAR, c, 1);
    dialog->processQueuedMessages();
  }
  bool focused(ControlId c) const { return ::GetFocus() == item(c); }
  void type(const std::string& text) { ::SetWindowTextW(item(kProjectNameBox), widenFileName(text).c_str()); }

  // A key pressed and released while `target` has the focus, as the run
  // sees it. The focus moves as Tab moves it, so a push button that takes it
  // also becomes the default button. The keypad's Enter is an extended key.
  // What About showed, if the key opened it.
  std::string press(ControlId focus, Key key) {
    AboutReader about;
    if (key == Key::close || key == Key::aboutEntry) {
      ::PostMessageW(dialog->window(), WM_SYSCOMMAND, key == Key::close ? SC_CLOSE : IDM_ABOUTBOX, 0);
      dialog->processQueuedMessages();
    }
    const WPARAM keys[] = {VK_RETURN, VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_F1};
    if (int(key) < 8) pressKey(item(focus), keys[int(key)], key == Key::keypadEnter ? 1 << 24 : 0);
    return about.seen();
  }
  void pressKey(HWND target, WPARAM key, LPARAM extended = 0) {
    ::SendMessageW(dialog->window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    ::PostMessageW(target, WM_KEYDOWN, key, 1 | extended);
    if (key == VK_RETURN || key == VK_ESCAPE) ::PostMessageW(target, WM_CHAR, key, 1 | extended);
    ::PostMessageW(target, WM_KEYUP, key, 1 | extended | (3u << 30));
    dialog->processQueuedMessages();
  }

  // The system menu's last entry, below a separator.
  std::string aboutEntry() const {
    HMENU menu = ::GetSystemMenu(dialog->window(), FALSE);
    const int last = ::GetMenuItemCount(menu) - 1;
    wchar_t entry[64] = {};
    ::GetMenuStringW(menu, last, entry, 64, MF_BYPOSITION);
    EXPECT_EQ(::GetMenuItemID(menu, last), UINT(IDM_ABOUTBOX));
    EXPECT_EQ(::GetMenuState(menu, last - 1, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    return narrow(entry);
  }
  // A control's rectangle in the dialog's client pixels.
  Box boxOf(HWND control) const {
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, dialog->window(), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right, r.bottom};
  }
  Box place(ControlId c) const { return boxOf(item(c)); }
  std::vector<Box> frames() const {
    std::vector<Box> boxes;
    for (HWND child : children())
      if ((::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) boxes.push_back(boxOf(child));
    return boxes;
  }
  // The dialog's font is 8 dialog units high.
  int lineHeight() const {
    RECT line{0, 0, 0, 8};
    ::MapDialogRect(dialog->window(), &line);
    return line.bottom;
  }
  Box noteAt(Note note) const {
    const POINT p = dialog->notePosition(note == Note::description ? POINT{20, 60} : POINT{20, 80});
    return {p.x, p.y, p.x, p.y};
  }
  // The client area as painted, read back pixel by pixel.
  Pixels picture() const {
    HWND window = dialog->window();
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT client;
    ::GetClientRect(window, &client);
    Pixels pixels{client.right, client.bottom, 1, {}};
    HDC windowDc = ::GetDC(window);
    HDC memory = ::CreateCompatibleDC(windowDc);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), pixels.width, -pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, pixels.width, pixels.height, windowDc, 0, 0, SRCCOPY);
    ::GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    pixels.rgb.assign(p, p + std::size_t(pixels.width) * std::size_t(pixels.height));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, windowDc);
    return pixels;
  }
  const WizardState& state() const { return dialog->state(); }

  std::unique_ptr<ProjectWizardDialog> dialog;
};

}  // namespace

namespace forgeline::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowScenarios, Win32Window);
}

// The template's places in dialog units, control by control, and its size.
TEST(Win32WizardDialog, ControlsSitWhereTheTemplatePutsThem) {
  Win32Window w;
  w.open();
  HWND window = w.dialog->window();
  RECT unit{0, 0, 4, 8}, size{0, 0, 430, 412};
  ::MapDialogRect(window, &unit);  // one character: 4 units wide, 8 high
  ::MapDialogRect(window, &size);
  const auto x = [&](LONG p) { return ::MulDiv(p, 4, unit.right); };
  const auto y = [&](LONG p) { return ::MulDiv(p, 8, unit.bottom); };
  RECT client;
  ::GetClientRect(window, &client);
  EXPECT_TRUE(client.right == size.right && client.bottom == size.bottom) << client.right << "x" << client.bottom;
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
    const Box got = w.boxOf(w.item(place.id));
    const RECT units{x(got.left), y(got.top), x(got.right) - x(got.left), y(got.bottom) - y(got.top)};
    EXPECT_TRUE(std::abs(units.left - place.units.left) <= 1 && std::abs(units.top - place.units.top) <= 1 &&
                std::abs(units.right - place.units.right) <= 1 && std::abs(units.bottom - place.units.bottom) <= 1)
        << "id " << place.id << " at " << units.left << "," << units.top << " " << units.right << "x" << units.bottom;
  }
}

// From Build an arrow goes nowhere, so never onto a frame, which shows no
// focus mark.
TEST(Win32WizardDialog, ArrowsFromBuildGoNowhere) {
  Win32Window w;
  w.open();
  w.click(mcuButton(0));
  for (WPARAM key : {VK_DOWN, VK_UP, VK_RIGHT, VK_LEFT}) {
    w.pressKey(w.item(kBuildButton), key);
    EXPECT_EQ(::GetFocus(), w.item(kBuildButton)) << key;
  }
}

// The wizard opens centred on the screen's work area, About over the wizard.
TEST(Win32WizardDialog, OpensCentredAndAboutOverIt) {
  Win32Window w;
  w.open();
  RECT area, wizard;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  ::GetWindowRect(w.dialog->window(), &wizard);
  const auto nearby = [](const RECT& a, const RECT& b) {
    return std::abs((a.left + a.right) - (b.left + b.right)) <= 4 && std::abs((a.top + a.bottom) - (b.top + b.bottom)) <= 4;
  };
  EXPECT_TRUE(nearby(wizard, area)) << wizard.left << "," << wizard.top;
  AboutReader about;
  w.pressKey(w.item(kProjectNameBox), VK_F1);
  ASSERT_FALSE(about.seen().empty());
  EXPECT_TRUE(nearby(about.place(), wizard)) << about.place().left << "," << about.place().top;
}
