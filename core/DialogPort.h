// The window as the wizard's logic sees it. The Qt dialog, the terminal front
// end and the tests each implement this one interface, so the three cannot
// drift apart: they all run the same scan, loader, rules and build.
#pragma once

#include <string>

namespace forgeline {

enum class ControlGroup {
  window,          // the dialog itself (its caption is the window title)
  mcuButtons,      // 50 radio buttons, index = catalogue index
  moduleBoxes,     // 50 check boxes, index = module index
  buildButton,     // index 0
  mcuGroup,        // the "MCU" group frame, index 0
  projectNameBox,  // index 0
};

struct ControlId {
  ControlGroup group;
  int index = 0;
  friend bool operator==(const ControlId&, const ControlId&) = default;
};

inline ControlId mcuButton(int i) { return {ControlGroup::mcuButtons, i}; }
inline ControlId moduleBox(int i) { return {ControlGroup::moduleBoxes, i}; }
inline constexpr ControlId kWindow{ControlGroup::window, 0};
inline constexpr ControlId kBuildButton{ControlGroup::buildButton, 0};
inline constexpr ControlId kMcuGroup{ControlGroup::mcuGroup, 0};
inline constexpr ControlId kProjectNameBox{ControlGroup::projectNameBox, 0};

enum class MessageIcon { none, warning, error };

class DialogPort {
 public:
  virtual ~DialogPort() = default;

  // Captions are 8-bit texts as read from key files; a window shows them
  // through keyFileTextAsUtf8 (core/DisplayText.h), the terminal prints the
  // raw bytes.
  virtual void setCaption(ControlId control, const std::string& text) = 0;
  virtual void setVisible(ControlId control, bool visible) = 0;
  virtual void setEnabled(ControlId control, bool enabled) = 0;
  virtual void setMarked(ControlId control, bool marked) = 0;
  virtual bool isMarked(ControlId control) const = 0;

  // Data exchange with the project-name edit box, in both directions.
  virtual void setProjectNameText(const std::string& text) = 0;
  virtual std::string projectNameText() const = 0;

  // A modal box with one OK button; returns once the user has dismissed it.
  virtual void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
  virtual void requestRepaint() = 0;
  // Ends the dialog with the Cancel result. The window closes once the
  // handler that asked for it has returned.
  virtual void endDialog() = 0;

  // The caption of every message box that does not carry the window title:
  // the program file's name without its extension.
  virtual std::string applicationName() const = 0;
};

}  // namespace forgeline
