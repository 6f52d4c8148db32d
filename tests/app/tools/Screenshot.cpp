// Saves a picture of the window with an MCU chosen and two modules ticked.
// Usage: forgeline_screenshot FOLDER-WITH-KEYFILES OUTPUT.png [MCU-BUTTON]
#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <cstdio>

#include "app/ProjectWizardDialog.h"
#include "core/Clock.h"
#include "core/FileSystem.h"

using namespace forgeline;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: forgeline_screenshot FOLDER-WITH-KEYFILES OUTPUT.png [MCU-BUTTON]\n");
    return 2;
  }
  RealFileSystem fs(args[1].toStdString());
  SystemClock clock;
  ProjectWizardDialog dialog(fs, clock);
  dialog.port().setMessageHandler([](const QString& text, const QString&, MessageIcon) {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  });
  if (!dialog.initialise()) return 1;
  dialog.show();
  const int mcu = args.size() > 3 ? args[3].toInt() : 0;
  dialog.findChild<QRadioButton*>(QStringLiteral("mcuButton%1").arg(mcu))->click();

  // The first two boxes the user may tick; a tick can lock later ones.
  int ticked = 0;
  for (int i = 0; i < kMaxModules && ticked < 2; ++i) {
    auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("moduleBox%1").arg(i));
    if (!box->isVisible() || !box->isEnabled()) continue;
    box->click();
    ++ticked;
  }
  QApplication::processEvents();
  return dialog.grab().save(args[2]) ? 0 : 1;
}
