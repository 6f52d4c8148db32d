#include "win/Win32DialogPort.h"

#include <commctrl.h>

#include <filesystem>
#include <utility>

#include "core/DisplayText.h"
#include "core/Win32Text.h"
#include "win/ControlIds.h"

namespace forgeline {

// The same characters the Linux window shows: UTF-8 when the bytes are
// valid UTF-8, else code page 1252.
std::wstring shownText(const std::string& keyFileText) {
  return widen(keyFileTextAsUtf8(keyFileText)).value_or(std::wstring());
}

std::string programFileName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return narrow(std::filesystem::path(path).stem().wstring());
}

namespace {

constexpr wchar_t kEllipsis = L'\u2026';

// A cut at `at` would part a character written as two UTF-16 units.
bool partsAPair(const std::wstring& text, std::size_t at) {
  return at > 0 && at < text.size() && IS_LOW_SURROGATE(text[at]);
}

// `text` as wide as it is drawn in `control`'s font, in pixels.
class CaptionMeasure {
 public:
  explicit CaptionMeasure(HWND control)
      : control_(control), dc_(::GetDC(control)),
        old_(::SelectObject(dc_, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)))) {}
  ~CaptionMeasure() {
    ::SelectObject(dc_, old_);
    ::ReleaseDC(control_, dc_);
  }
  CaptionMeasure(const CaptionMeasure&) = delete;
  CaptionMeasure& operator=(const CaptionMeasure&) = delete;
  int width(const std::wstring& text) const {
    SIZE size{};
    ::GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

 private:
  HWND control_;
  HDC dc_;
  HGDIOBJ old_;
};

// The longest cut of `whole` with "…" that fits `room` pixels: its end
// dropped, or its middle, so a frame's caption keeps both ends readable.
std::wstring fitted(const CaptionMeasure& measure, const std::wstring& whole, int room, bool cutInTheMiddle) {
  if (measure.width(whole) <= room) return whole;
  for (std::size_t keep = whole.size(); keep-- > 0;) {
    const std::size_t head = cutInTheMiddle ? (keep + 1) / 2 : keep, tail = keep - head;
    if (partsAPair(whole, head) || partsAPair(whole, whole.size() - tail)) continue;
    const std::wstring cut = whole.substr(0, head) + kEllipsis + whole.substr(whole.size() - tail);
    if (measure.width(cut) <= room) return cut;
  }
  return std::wstring(1, kEllipsis);
}

// Every "&" doubled, so a button draws it rather than underlining the next
// letter.
std::wstring showingAmpersands(const std::wstring& text) {
  std::wstring shown;
  for (wchar_t c : text) shown.append(c == L'&' ? 2 : 1, c);
  return shown;
}

}  // namespace

Win32DialogPort::Win32DialogPort()
    : messageBox_([](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
        ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
      }) {}

HWND Win32DialogPort::control(ControlId id) const {
  if (id.group == ControlGroup::window) return dialog_;
  const int itemId = controlId(id);
  return itemId ? ::GetDlgItem(dialog_, itemId) : nullptr;
}

void Win32DialogPort::attach(HWND dialog) {
  dialog_ = dialog;
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
  ::InitCommonControlsEx(&classes);
  // TTS_NOPREFIX: a tooltip, too, shows "&" as written.
  tooltips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
}

// Key-file texts on buttons and the frame: "&" shown as written, a caption
// too long for its control cut with "…" and whole in a tooltip.
void Win32DialogPort::setCaption(ControlId id, const std::string& text) {
  HWND w = control(id);
  if (!w) return;
  if (id.group == ControlGroup::window || id.group == ControlGroup::projectNameBox)
    return static_cast<void>(::SetWindowTextW(w, shownText(text).c_str()));
  showCaption(w, shownText(text), id.group == ControlGroup::mcuGroup);
}

// The room a caption has: a button's beside its check mark and the gap
// after it, a frame's between its indents, 12 dialog units either way (so it
// grows with the font).
void Win32DialogPort::showCaption(HWND w, const std::wstring& whole, bool cutInTheMiddle) {
  RECT client{}, margin{0, 0, 12, 0};
  ::GetClientRect(w, &client);
  ::MapDialogRect(dialog_, &margin);
  const std::wstring drawn = fitted(CaptionMeasure(w), whole, client.right - margin.right, cutInTheMiddle);
  ::SetWindowTextW(w, showingAmpersands(drawn).c_str());
  if (!tooltips_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog_;
  tool.uId = reinterpret_cast<UINT_PTR>(w);
  ::SendMessageW(tooltips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (drawn == whole) return;
  std::wstring text = whole;
  tool.lpszText = text.data();
  ::SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The window itself is shown and hidden by the run alone.
void Win32DialogPort::setVisible(ControlId id, bool visible) {
  if (id.group == ControlGroup::window) return;
  if (HWND w = control(id)) ::ShowWindow(w, visible ? SW_SHOW : SW_HIDE);
}

void Win32DialogPort::setEnabled(ControlId id, bool enabled) {
  if (HWND w = control(id)) ::EnableWindow(w, enabled);
}

void Win32DialogPort::setMarked(ControlId id, bool marked) {
  if (HWND w = control(id)) ::SendMessageW(w, BM_SETCHECK, marked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32DialogPort::isMarked(ControlId id) const {
  HWND w = control(id);
  return w && ::SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The project name becomes a folder name, and paths inside the program are
// UTF-8: a name typed with any letters reaches the disk, and main.c's first
// line, as typed.
void Win32DialogPort::setProjectNameText(const std::string& text) {
  ::SetDlgItemTextW(dialog_, controlId(kProjectNameBox), widenFileName(text).c_str());
}

std::string Win32DialogPort::projectNameText() const {
  HWND box = control(kProjectNameBox);
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(box)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
  return narrow(text);
}

void Win32DialogPort::showMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  UINT type = MB_OK;
  if (icon == MessageIcon::warning) type |= MB_ICONWARNING;
  if (icon == MessageIcon::error) type |= MB_ICONERROR;
  messageBox_(dialog_, shownText(text), shownText(caption), type);
}

void Win32DialogPort::requestRepaint() { ::InvalidateRect(dialog_, nullptr, TRUE); }

void Win32DialogPort::endDialog() { endRequested_ = true; }

bool Win32DialogPort::takeEndRequest() { return std::exchange(endRequested_, false); }

std::string Win32DialogPort::applicationName() const { return programFileName(); }

}  // namespace forgeline
