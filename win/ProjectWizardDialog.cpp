#include "win/ProjectWizardDialog.h"

#include <algorithm>

#include "core/Wizard.h"
#include "win/ControlIds.h"
#include "win/resource.h"

namespace forgeline {

namespace {

// The two notes' places in a window whose dialog unit is 1.5 by 1.625
// pixels, the size Windows gives 8-point "MS Shell Dlg" at 96 dots per inch.
constexpr POINT kDescriptionAt{20, 60};
constexpr POINT kWarningAt{20, 80};
constexpr int kReferenceUnitsSpan = 400;
constexpr int kReferencePixelsWide = 600;  // 400 units of 1.5 pixels
constexpr int kReferencePixelsHigh = 650;  // 400 units of 1.625 pixels

HINSTANCE programInstance() { return ::GetModuleHandleW(nullptr); }

HICON loadIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(::LoadImageW(programInstance(), MAKEINTRESOURCEW(IDI_FORGELINE), IMAGE_ICON,
                                         ::GetSystemMetrics(widthMetric), ::GetSystemMetrics(heightMetric), 0));
}

// Centres `window` over `over`, kept inside the work area of its screen.
void centreOver(HWND window, HWND over) {
  RECT box, target;
  ::GetWindowRect(window, &box);
  ::GetWindowRect(over, &target);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(over, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& area = monitor.rcWork;
  const LONG width = box.right - box.left, height = box.bottom - box.top;
  const LONG left = std::clamp((target.left + target.right - width) / 2, area.left, std::max(area.left, area.right - width));
  const LONG top = std::clamp((target.top + target.bottom - height) / 2, area.top, std::max(area.top, area.bottom - height));
  ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK aboutProcedure(HWND window, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    if (HWND owner = ::GetWindow(window, GW_OWNER)) centreOver(window, owner);
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    ::EndDialog(window, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

bool isKeyDown(const MSG& message, WPARAM key) { return message.message == WM_KEYDOWN && message.wParam == key; }

}  // namespace

ProjectWizardDialog::ProjectWizardDialog(FileSystem& fs, const Clock& clock)
    : fs_(fs),
      clock_(clock),
      state_(std::make_unique<WizardState>()),
      port_(std::make_unique<Win32DialogPort>()),
      session_(std::make_unique<WizardSession>(*port_, fs_, clock_, state_.get())) {
  largeIcon_ = loadIcon(SM_CXICON, SM_CYICON);
  smallIcon_ = loadIcon(SM_CXSMICON, SM_CYSMICON);
}

ProjectWizardDialog::~ProjectWizardDialog() {
  if (window_) ::DestroyWindow(window_);
  if (largeIcon_) ::DestroyIcon(largeIcon_);
  if (smallIcon_) ::DestroyIcon(smallIcon_);
}

bool ProjectWizardDialog::open() {
  window_ = ::CreateDialogParamW(programInstance(), MAKEINTRESOURCEW(IDD_WIZARD), nullptr, dialogProcedure,
                                 reinterpret_cast<LPARAM>(this));
  return window_ && !ended_;
}

// A modeless window with a message loop of its own rather than the system's
// modal loop, so that Enter and F1 are seen before the controls see them.
int ProjectWizardDialog::run() {
  if (!open()) return IDCANCEL;
  ::ShowWindow(window_, SW_SHOW);
  ::SetForegroundWindow(window_);
  MSG message;
  while (!ended_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) handleQueued(message);
  return IDCANCEL;
}

void ProjectWizardDialog::processQueuedMessages() {
  MSG message;
  while (!ended_ && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) handleQueued(message);
}

void ProjectWizardDialog::handleQueued(MSG& message) {
  if (translateKey(message)) return;
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

// F1 shows About wherever the focus is. Enter is the hidden default button's
// command whichever control has the focus, so it never presses Build, and
// that command does nothing. Esc and Tab are the dialog manager's.
bool ProjectWizardDialog::translateKey(MSG& message) {
  if (!window_ || (message.hwnd != window_ && !::IsChild(window_, message.hwnd))) return false;
  if (isKeyDown(message, VK_F1)) {
    showAbout();
    return true;
  }
  if (isKeyDown(message, VK_RETURN)) {
    onCommand(IDOK, BN_CLICKED);
    return true;
  }
  // The character that follows the Enter key, which an edit box would beep at.
  if (message.message == WM_CHAR && message.wParam == L'\r') return true;
  return ::IsDialogMessageW(window_, &message);
}

INT_PTR CALLBACK ProjectWizardDialog::dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* dialog = reinterpret_cast<ProjectWizardDialog*>(lParam);
    dialog->window_ = window;
  }
  auto* dialog = reinterpret_cast<ProjectWizardDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  return dialog ? dialog->handle(message, wParam, lParam) : FALSE;
}

INT_PTR ProjectWizardDialog::handle(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      initialise();
      return TRUE;  // the focus goes where the dialog manager puts it
    case WM_COMMAND:
      onCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      onCommand(IDCANCEL, BN_CLICKED);
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return FALSE;
      showAbout();
      return TRUE;
    case WM_PAINT:
      paint();
      return TRUE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(largeIcon_);
    default:
      return FALSE;
  }
}

// The opening, in order: About joins the system menu, the icons are set,
// then the wizard opens.
void ProjectWizardDialog::initialise() {
  port_->attach(window_);
  if (HMENU systemMenu = ::GetSystemMenu(window_, FALSE)) {
    ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, L"&About Forgeline MFC...");
  }
  ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
  ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  session_->open();
  endIfRequested();
}

void ProjectWizardDialog::onCommand(int id, int notification) {
  if (ended_ || notification != BN_CLICKED) return;
  if (id == IDCANCEL) return end();
  if (id == IDC_BUILD) {
    session_->pressBuild();
  } else if (const std::optional<ControlId> clicked = clickableControl(id)) {
    // An auto button has already changed its own mark when the click arrives.
    if (clicked->group == ControlGroup::mcuButtons)
      session_->chooseMcu(clicked->index);
    else
      session_->moduleBoxFlipped(clicked->index);
  }
  endIfRequested();
}

// The logic asks for the end in the middle of its work; the window goes only
// once that work has returned.
void ProjectWizardDialog::endIfRequested() {
  if (port_->takeEndRequest()) end();
}

void ProjectWizardDialog::end() {
  ended_ = true;
  ::ShowWindow(window_, SW_HIDE);
}

void ProjectWizardDialog::showAbout() {
  ::DialogBoxParamW(programInstance(), MAKEINTRESOURCEW(IDD_ABOUT), window_, aboutProcedure, 0);
}

void ProjectWizardDialog::paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(window_, &ps);
  if (::IsIconic(window_)) {
    ::SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(window_, &client);
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, largeIcon_);
  } else {
    paintNotes(dc);
  }
  ::EndPaint(window_, &ps);
}

// The description of the module last clicked and, for two or more ticked
// modules, the warning under it, in pure red over the window's background.
// They are drawn in the dialog's own font, which grows with the dialog.
void ProjectWizardDialog::paintNotes(HDC dc) const {
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(255, 0, 0));
  const HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(window_, WM_GETFONT, 0, 0)));
  const auto draw = [dc](POINT at, const std::wstring& text) {
    ::TextOutW(dc, at.x, at.y, text.data(), static_cast<int>(text.size()));
  };
  const WizardNotes notes = session_->notes();
  draw(notePosition(kWarningAt), shownText(notes.warning));
  draw(notePosition(kDescriptionAt), shownText(notes.description));
  ::SelectObject(dc, oldFont);
}

POINT ProjectWizardDialog::notePosition(POINT at) const {
  RECT span{0, 0, kReferenceUnitsSpan, kReferenceUnitsSpan};
  ::MapDialogRect(window_, &span);
  return {::MulDiv(at.x, span.right, kReferencePixelsWide), ::MulDiv(at.y, span.bottom, kReferencePixelsHigh)};
}

}  // namespace forgeline
