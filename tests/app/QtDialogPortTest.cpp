// The port's own message box, the one path the window tests replace.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "app/ProjectWizardDialog.h"
#include "core/Clock.h"
#include "core/FileSystem.h"
#include "support/TestSupport.h"

using namespace forgeline;

class QtDialogPortTest : public QObject {
  Q_OBJECT

 private slots:
  void messagesAreModalBoxesWithOneOk_data() {
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("boxIcon");
    QTest::newRow("none") << int(MessageIcon::none) << int(QMessageBox::NoIcon);
    QTest::newRow("warning") << int(MessageIcon::warning) << int(QMessageBox::Warning);
    QTest::newRow("error") << int(MessageIcon::error) << int(QMessageBox::Critical);
  }
  void messagesAreModalBoxesWithOneOk() {
    QFETCH(int, icon);
    QFETCH(int, boxIcon);
    forgeline::test::TempDir dir;
    RealFileSystem fs(dir.path());
    FixedClock clock({1, 1, 2024});
    ProjectWizardDialog dialog(fs, clock);

    bool seen = false;
    bool withIcon = false;  // checked after the box is gone, so a miss cannot leave it open
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      seen = true;
      QCOMPARE(box->text(), QString::fromUtf8("Error 03: Caf\u00e9"));
      QCOMPARE(box->windowTitle(), QStringLiteral("forgeline"));
      QCOMPARE(int(box->icon()), boxIcon);
      QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
      QCOMPARE(box->buttons().size(), 1);
      withIcon = !box->windowIcon().pixmap(32).isNull();
      box->button(QMessageBox::Ok)->click();
    });
    dialog.port().showMessage("Error 03: Caf\xE9", "forgeline", MessageIcon(icon));
    QVERIFY(seen);
    QVERIFY(withIcon);
    QCOMPARE(dialog.port().applicationName(), std::string("QtDialogPortTest"));
  }
};

QTEST_MAIN(QtDialogPortTest)
#include "QtDialogPortTest.moc"
