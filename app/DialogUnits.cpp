#include "app/DialogUnits.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QString>
#include <cmath>

namespace forgeline {

namespace {

// The average over the 52 Latin letters, not the font's advertised average,
// which some fonts fill in carelessly.
double averageLetterWidth(const QFontMetricsF& metrics) {
  static const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return metrics.horizontalAdvance(kLetters) / kLetters.size();
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  QFontMetricsF metrics(font);
  averageCharWidth_ = averageLetterWidth(metrics);
  charHeight_ = metrics.height();
}

int DialogUnits::x(int units) const { return static_cast<int>(std::lround(units * averageCharWidth_ / 4.0)); }

int DialogUnits::y(int units) const { return static_cast<int>(std::lround(units * charHeight_ / 8.0)); }

// Edges are converted, not sizes, so neighbouring controls that touch in
// units also touch in pixels.
QRect DialogUnits::rect(int left, int top, int width, int height) const {
  return QRect(QPoint(x(left), y(top)), QPoint(x(left + width) - 1, y(top + height) - 1));
}

QFont dialogFont() {
  QFont font = QApplication::font("QDialog");
  font.setPointSize(8);
  return font;
}

}  // namespace forgeline
