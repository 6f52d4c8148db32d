// Controls that keep their laid-out size whatever their caption: a caption
// too long for the control is drawn cut short with an ellipsis, while the
// control's own text stays whole for its tooltip and its accessible name.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <type_traits>

namespace forgeline {

// A QRadioButton or QCheckBox that draws its caption elided.
template <class Button>
class ElidingButton : public Button {
 public:
  using Button::Button;

 protected:
  void paintEvent(QPaintEvent*) override {
    constexpr bool radio = std::is_base_of_v<QRadioButton, Button>;
    QStylePainter painter(this);
    QStyleOptionButton option;
    this->initStyleOption(&option);
    const QRect room = this->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, this);
    option.text = option.fontMetrics.elidedText(option.text, Qt::ElideRight, room.width());
    painter.drawControl(radio ? QStyle::CE_RadioButton : QStyle::CE_CheckBox, option);
  }
};

// A group frame whose caption is elided in the middle, so both the start and
// the end of "MCU (file Revision=n)" stay readable.
class ElidingGroupBox : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    // The style indents the caption; the same margin stays free on the right.
    const QRect label = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    option.text = option.fontMetrics.elidedText(option.text, Qt::ElideMiddle, width() - 2 * label.left());
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
  }
};

}  // namespace forgeline
