#include "win/Win32DialogPort.h"

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

Win32DialogPort::Win32DialogPort()
    : messageBox_([](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
        ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
      }) {}

HWND Win32DialogPort::control(ControlId id) const {
  if (id.group == ControlGroup::window) return dialog_;
  const int itemId = controlId(id);
  return itemId ? ::GetDlgItem(dialog_, itemId) : nullptr;
}

void Win32DialogPort::setCaption(ControlId id, const std::string& text) {
  if (HWND w = control(id)) ::SetWindowTextW(w, shownText(text).c_str());
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
