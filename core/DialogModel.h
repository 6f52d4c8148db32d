// An in-memory dialog: every control's caption, visibility, enabled state and
// mark, the project-name box, and a record of the message boxes shown. The
// terminal front end prints from it; tests inspect it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/DialogPort.h"
#include "core/WizardState.h"

namespace forgeline {

struct ControlState {
  std::string caption;
  bool visible = true;
  bool enabled = true;
  bool marked = false;
};

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::none;
  friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

class DialogModel : public DialogPort {
 public:
  explicit DialogModel(std::string applicationName = "forgeline");

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

  const ControlState& control(ControlId id) const;
  const std::vector<ShownMessage>& messages() const { return messages_; }
  void clearMessages() { messages_.clear(); }
  bool ended() const { return ended_; }
  int repaintRequests() const { return repaints_; }

 private:
  ControlState& slot(ControlId id);

  std::string applicationName_;
  ControlState window_;
  std::array<ControlState, kMaxMcus> mcuButtons_;
  std::array<ControlState, kMaxModules> moduleBoxes_;
  ControlState buildButton_;
  ControlState mcuGroup_;
  ControlState projectNameBox_;
  std::string projectNameText_;
  std::vector<ShownMessage> messages_;
  bool ended_ = false;
  int repaints_ = 0;
};

}  // namespace forgeline
