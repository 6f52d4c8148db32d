// Dialog units: the window is laid out in units of its font, so it keeps its
// proportions whatever font size the desktop gives it.
#pragma once

#include <QFont>
#include <QRect>

namespace forgeline {

class DialogUnits {
 public:
  // A horizontal unit is a quarter of the font's average character width,
  // a vertical unit an eighth of its character height.
  explicit DialogUnits(const QFont& font);

  int x(int units) const;
  int y(int units) const;
  QRect rect(int x, int y, int width, int height) const;

 private:
  double averageCharWidth_;
  double charHeight_;
};

// The dialogs' font: 8 points of the desktop's own dialog face.
QFont dialogFont();

}  // namespace forgeline
