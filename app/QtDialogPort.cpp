#include "app/QtDialogPort.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

#include "app/ElidingControls.h"
#include "core/DisplayText.h"

namespace forgeline {

QString fromKeyFileText(const std::string& text) { return QString::fromStdString(keyFileTextAsUtf8(text)); }

QString programFileName() { return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(); }

QtDialogPort::QtDialogPort(const WizardControls& controls, QString applicationName)
    : controls_(controls), applicationName_(std::move(applicationName)) {}

QWidget* QtDialogPort::widget(ControlId control) const {
  switch (control.group) {
    case ControlGroup::window:
      return controls_.window;
    case ControlGroup::mcuButtons:
      if (control.index >= 0 && control.index < kMaxMcus) return controls_.mcuButtons[static_cast<std::size_t>(control.index)];
      return nullptr;
    case ControlGroup::moduleBoxes:
      if (control.index >= 0 && control.index < kMaxModules)
        return controls_.moduleBoxes[static_cast<std::size_t>(control.index)];
      return nullptr;
    case ControlGroup::buildButton:
      return controls_.buildButton;
    case ControlGroup::mcuGroup:
      return controls_.mcuGroup;
    case ControlGroup::projectNameBox:
      return controls_.projectNameBox;
  }
  return nullptr;
}

void QtDialogPort::setCaption(ControlId control, const std::string& text) {
  QWidget* w = widget(control);
  const QString caption = fromKeyFileText(text);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->setText(caption);
  if (!w || w == controls_.window) {
    if (w) w->setWindowTitle(caption);
    return;
  }
  // A key-file text: its "&" are characters. The control draws a caption too
  // long for it cut short, with the whole one in a tooltip.
  if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(captionShowingAmpersands(caption));
  if (auto* group = qobject_cast<QGroupBox*>(w)) group->setTitle(captionShowingAmpersands(caption));
  w->setAccessibleName(caption);
}

// The window itself is shown and hidden by the modal run alone.
void QtDialogPort::setVisible(ControlId control, bool visible) {
  if (control.group == ControlGroup::window) return;
  if (QWidget* w = widget(control)) w->setVisible(visible);
}

void QtDialogPort::setEnabled(ControlId control, bool enabled) {
  if (QWidget* w = widget(control)) w->setEnabled(enabled);
}

void QtDialogPort::setMarked(ControlId control, bool marked) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget(control))) button->setChecked(marked);
}

bool QtDialogPort::isMarked(ControlId control) const {
  auto* button = qobject_cast<QAbstractButton*>(widget(control));
  return button && button->isChecked();
}

// The project name becomes a folder name, so it travels in the file
// system's own encoding: a name typed with any letters arrives on disk, and
// in main.c's first line, exactly as typed.
void QtDialogPort::setProjectNameText(const std::string& text) {
  controls_.projectNameBox->setText(QFile::decodeName(QByteArray::fromStdString(text)));
}

std::string QtDialogPort::projectNameText() const {
  return QFile::encodeName(controls_.projectNameBox->text()).toStdString();
}

void QtDialogPort::showMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  const QString shownText = fromKeyFileText(text);
  const QString shownCaption = fromKeyFileText(caption);
  if (messageHandler_) {
    messageHandler_(shownText, shownCaption, icon);
    return;
  }
  QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
  if (icon == MessageIcon::warning) boxIcon = QMessageBox::Warning;
  if (icon == MessageIcon::error) boxIcon = QMessageBox::Critical;
  QMessageBox box(boxIcon, shownCaption, shownText, QMessageBox::Ok, controls_.window);
  box.exec();
}

void QtDialogPort::requestRepaint() { controls_.window->update(); }

void QtDialogPort::endDialog() { endRequested_ = true; }

bool QtDialogPort::takeEndRequest() { return std::exchange(endRequested_, false); }

std::string QtDialogPort::applicationName() const { return applicationName_.toStdString(); }

}  // namespace forgeline
