// The wizard's dialog operations on the controls of the Win32 dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/DialogPort.h"

namespace forgeline {

class Win32DialogPort : public DialogPort {
 public:
  // Shows a modal message box and returns once it is dismissed; the standard
  // one is MessageBoxW. Tests put one in its place that answers at once.
  using MessageBoxFunction =
      std::function<void(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)>;

  Win32DialogPort();
  // The window made from the wizard's template, once it exists.
  void attach(HWND dialog);

  void setCaption(ControlId control, const std::string& text) override;
  void setVisible(ControlId control, bool visible) override;
  void setEnabled(ControlId control, bool enabled) override;
  void setMarked(ControlId control, bool marked) override;
  bool isMarked(ControlId control) const override;
  void setProjectNameText(const std::string& text) override;
  std::string projectNameText() const override;
  void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  void requestRepaint() override;
  void endDialog() override;
  std::string applicationName() const override;

  void setMessageBoxFunction(MessageBoxFunction function) { messageBox_ = std::move(function); }

  // The tooltips of the controls whose caption is drawn cut.
  HWND tooltips() const { return tooltips_; }

  // Whether the logic asked to end the dialog; the request is consumed.
  bool takeEndRequest();

 private:
  HWND control(ControlId id) const;
  // A button's or frame's caption, cut to fit, whole in a tooltip then.
  void showCaption(HWND control, const std::wstring& whole, bool cutInTheMiddle);

  HWND dialog_ = nullptr;
  HWND tooltips_ = nullptr;
  MessageBoxFunction messageBox_;
  bool endRequested_ = false;
};

// A key-file text as the window shows it.
std::wstring shownText(const std::string& keyFileText);

// The program file's name without its extension, as UTF-8.
std::string programFileName();

}  // namespace forgeline
