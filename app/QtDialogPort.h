// The wizard's dialog operations on real Qt widgets.
#pragma once

#include <QString>
#include <array>
#include <functional>
#include <string>

#include "core/DialogPort.h"
#include "core/WizardState.h"

class QCheckBox;
class QDialog;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace forgeline {

// The controls the logic addresses by group and index. The dialog owns them.
struct WizardControls {
  QDialog* window = nullptr;
  std::array<QRadioButton*, kMaxMcus> mcuButtons{};
  std::array<QCheckBox*, kMaxModules> moduleBoxes{};
  QPushButton* buildButton = nullptr;
  QGroupBox* mcuGroup = nullptr;
  QLineEdit* projectNameBox = nullptr;
};

class QtDialogPort : public DialogPort {
 public:
  // Replaces the modal message box, for callers that must not block.
  using MessageHandler = std::function<void(const QString& text, const QString& caption, MessageIcon icon)>;

  QtDialogPort(const WizardControls& controls, QString applicationName);

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

  void setMessageHandler(MessageHandler handler) { messageHandler_ = std::move(handler); }

  // Whether the logic asked to end the dialog; the request is consumed.
  bool takeEndRequest();

 private:
  QWidget* widget(ControlId control) const;

  WizardControls controls_;
  QString applicationName_;
  MessageHandler messageHandler_;
  bool endRequested_ = false;
};

// A key-file text as the window shows it: UTF-8 when it is valid UTF-8,
// else code page 1252.
QString fromKeyFileText(const std::string& text);

// The program file's name without its extension.
QString programFileName();

}  // namespace forgeline
