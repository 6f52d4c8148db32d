#include "app/AboutDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "app/ApplicationIcon.h"
#include "app/DialogUnits.h"

namespace forgeline {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("aboutDialog"));
  setWindowTitle(QStringLiteral("About Forgeline MFC"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFont(dialogFont());
  const DialogUnits units(font());
  setFixedSize(units.x(235), units.y(55));

  const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("aboutIcon"));
  icon->setPixmap(applicationIcon().pixmap(iconSize, iconSize));
  icon->setGeometry(units.x(11), units.y(17), iconSize, iconSize);

  auto* text = new QLabel(QStringLiteral("Forgeline MFC Version 1.0"), this);
  text->setObjectName(QStringLiteral("aboutText"));
  text->setGeometry(units.rect(40, 10, 119, 8));

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setGeometry(units.rect(178, 7, 50, 16));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace forgeline
