// Controls that keep their laid-out size whatever their caption: a caption
// too long for the control is drawn cut short with an ellipsis, and only
// then does the control offer a tooltip with the whole caption. A caption is
// a key-file text, so an "&" in it is drawn as itself, never taken for the
// mark of a keyboard shortcut.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <QToolTip>
#include <type_traits>

namespace forgeline {

// A text for a control's caption, every "&" doubled so it shows as written.
inline QString captionShowingAmpersands(const QString& text) {
  QString caption = text;
  return caption.replace(u'&', QStringLiteral("&&"));
}

// The caption as written, from the control's own doubled text.
inline QString captionAsWritten(const QString& caption) {
  QString text = caption;
  return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

// A caption cut to `width` pixels, measured as drawn (each "&&" one "&").
inline QString elidedCaption(const QFontMetrics& metrics, const QString& caption, Qt::TextElideMode mode, int width) {
  return captionShowingAmpersands(metrics.elidedText(captionAsWritten(caption), mode, width));
}

// The tooltip a caption needs: the whole caption when it is drawn cut, else
// none (a screen reader then reads the caption once, not again as the
// control's description). A caption that looks like markup is escaped, as
// the tooltip would otherwise render it.
inline bool showWholeCaptionIfCut(QWidget* control, const QHelpEvent* event, const QString& caption, bool cut) {
  if (!cut) {
    QToolTip::hideText();
    return true;
  }
  const QString whole = captionAsWritten(caption);
  QToolTip::showText(event->globalPos(),
                     Qt::mightBeRichText(whole) ? QStringLiteral("<qt>") + whole.toHtmlEscaped() : whole, control);
  return true;
}

// A QRadioButton or QCheckBox that draws its caption elided at its end.
template <class Button>
class ElidingButton : public Button {
 public:
  using Button::Button;

  // The caption as drawn, "&&" still doubled.
  QString shownCaption() const {
    QStyleOptionButton option;
    this->initStyleOption(&option);
    return elided(option);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionButton option;
    this->initStyleOption(&option);
    option.text = elided(option);
    painter.drawControl(kRadio ? QStyle::CE_RadioButton : QStyle::CE_CheckBox, option);
  }
  bool event(QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return Button::event(event);
    return showWholeCaptionIfCut(this, static_cast<QHelpEvent*>(event), this->text(), shownCaption() != this->text());
  }

 private:
  static constexpr bool kRadio = std::is_base_of_v<QRadioButton, Button>;
  QString elided(const QStyleOptionButton& option) const {
    const QRect room = this->style()->subElementRect(
        kRadio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, this);
    return elidedCaption(option.fontMetrics, option.text, Qt::ElideRight, room.width());
  }
};

// A group frame whose caption is elided in the middle, so both the start and
// the end of "MCU (file Revision=n)" stay readable.
class ElidingGroupBox : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

  // The caption as drawn, "&&" still doubled.
  QString shownCaption() const {
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    return elided(option);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    option.text = elided(option);
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
  }
  bool event(QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return QGroupBox::event(event);
    return showWholeCaptionIfCut(this, static_cast<QHelpEvent*>(event), title(), shownCaption() != title());
  }

 private:
  QString elided(const QStyleOptionGroupBox& option) const {
    // The style indents the caption; the same margin stays free on the right.
    const QRect label = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    return elidedCaption(option.fontMetrics, option.text, Qt::ElideMiddle, width() - 2 * label.left());
  }
};

}  // namespace forgeline
