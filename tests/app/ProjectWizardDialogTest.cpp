// The window driven as a user drives it: clicks and keys on the real
// widgets, found by their object names, on a KeyFiles folder of its own.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtMath>
#include <QtTest>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/ProjectWizardDialog.h"
#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/Wizard.h"
#include "support/TestSupport.h"

using namespace forgeline;
using forgeline::test::TempDir;

namespace {

const QString kTitle = QStringLiteral("Forgeline for 8-bit MCUs   - rev15");

QString shownAs(const QString& caption, MessageIcon icon, const QString& text) {
  return caption + "|" + QString::number(int(icon)) + "|" + text;
}

// DEMO08 under another menu name.
std::string demoNamed(const std::string& menuName) {
  std::string text = forgeline::test::kDemo08;
  const std::string key = "MenuName=DEMO08";
  text.replace(text.find(key), key.size(), "MenuName=" + menuName);
  return text;
}

// A dialog on a fresh folder, with message boxes recorded instead of shown.
struct Wizard {
  explicit Wizard(const std::map<std::string, std::string>& mcuFiles = {{"MCU_DEMO08.txt", forgeline::test::kDemo08}},
                  bool withKeyFiles = true) {
    if (withKeyFiles) forgeline::test::writeKeyFiles(dir.path(), mcuFiles, {"DEMO08"});
    dialog = std::make_unique<ProjectWizardDialog>(fs, clock);
    dialog->port().setMessageHandler([this](const QString& text, const QString& caption, MessageIcon icon) {
      messages << shownAs(caption, icon, text);
      shownDuringMessage.push_back(dialog->isVisible());
    });
  }

  // Opens and shows it as the modal run would, without blocking.
  void open() {
    QVERIFY(dialog->initialise());
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
  }

  template <typename T>
  T* find(const QString& name) const {
    T* widget = dialog->findChild<T*>(name);
    if (!widget) qFatal("no widget %s", qPrintable(name));
    return widget;
  }
  QRadioButton* mcuButton(int i) const { return find<QRadioButton>(QStringLiteral("mcuButton%1").arg(i)); }
  QCheckBox* moduleBox(int i) const { return find<QCheckBox>(QStringLiteral("moduleBox%1").arg(i)); }
  QPushButton* buildButton() const { return find<QPushButton>(QStringLiteral("buildButton")); }
  QLineEdit* nameBox() const { return find<QLineEdit>(QStringLiteral("projectNameBox")); }
  QGroupBox* mcuGroup() const { return find<QGroupBox>(QStringLiteral("mcuGroup")); }

  void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2)); }

  // The shown buttons of a kind as "text[x]", "#" for disabled ones.
  QString shown(const char* kind, int count) const {
    QStringList list;
    for (int i = 0; i < count; ++i) {
      auto* b = find<QAbstractButton>(QStringLiteral("%1%2").arg(kind).arg(i));
      if (b->isVisible()) list << b->text() + (b->isChecked() ? "[x]" : "[ ]") + (b->isEnabled() ? "" : "#");
    }
    return list.join(' ');
  }
  QString mcus() const { return shown("mcuButton", kMaxMcus); }
  QString modules() const { return shown("moduleBox", kMaxModules); }

  TempDir dir;
  RealFileSystem fs{dir.path()};
  FixedClock clock{{24, 12, 2024}};
  std::unique_ptr<ProjectWizardDialog> dialog;
  QStringList messages;  // each as "caption|icon|text"
  std::vector<bool> shownDuringMessage;
};

// Every control's look, to tell that nothing changed.
QStringList controlStates(const QDialog& dialog) {
  QStringList states;
  for (const QWidget* w : dialog.findChildren<QWidget*>()) {
    QString state = w->objectName() + (w->isVisibleTo(&dialog) ? " shown" : " hidden") +
                    (w->isEnabled() ? " enabled" : " disabled");
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) state += " " + b->text() + (b->isChecked() ? " [x]" : " [ ]");
    if (auto* g = qobject_cast<const QGroupBox*>(w)) state += " " + g->title();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) state += " " + e->text();
    states << state;
  }
  return states;
}

// The bounding box of the pure-red pixels inside `area` of the picture, both
// in the window's own coordinates: a screen of more dots per inch makes the
// picture larger than the window by its pixel ratio.
QRect redPixels(const QImage& image, const QRect& area) {
  const qreal ratio = image.devicePixelRatio();
  const QRect scanned(QPoint(qFloor(area.left() * ratio), qFloor(area.top() * ratio)),
                      QPoint(qCeil((area.right() + 1) * ratio) - 1, qCeil((area.bottom() + 1) * ratio) - 1));
  QRect found;
  for (int y = scanned.top(); y <= scanned.bottom() && y < image.height(); ++y)
    for (int x = scanned.left(); x <= scanned.right() && x < image.width(); ++x)
      if (const QRgb p = image.pixel(x, y); qRed(p) >= 200 && qGreen(p) <= 60 && qBlue(p) <= 60)
        found |= QRect(x, y, 1, 1);
  if (found.isNull()) return found;
  return QRect(QPoint(qFloor(found.left() / ratio), qFloor(found.top() / ratio)),
               QPoint(qFloor(found.right() / ratio), qFloor(found.bottom() / ratio)));
}

}  // namespace

class ProjectWizardDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void opensWithTheCatalogueInMenuNameOrder() {
    // A key-file text that is not UTF-8 is code page 1252.
    Wizard w({{"MCU_one.txt", demoNamed("ZETA")}, {"MCU_two.txt", demoNamed("ALPHA")},
              {"MCU_three.txt", demoNamed("MID")}, {"MCU_cafe.txt", demoNamed("Caf\xE9")}});
    w.open();
    QCOMPARE(w.dialog->windowTitle(), kTitle);
    QVERIFY(!w.dialog->windowIcon().pixmap(32).isNull());
    QCOMPARE(w.mcus(), QString::fromUtf8("ALPHA[ ] Caf\u00e9[ ] MID[ ] ZETA[ ]"));
    QCOMPARE(w.modules(), QString());
    QCOMPARE(w.shown("twrpiBox", 25), QString());
    QVERIFY(!w.buildButton()->isEnabled());
    QCOMPARE(w.buildButton()->text(), QStringLiteral("Build CW6.3 Project"));
    QCOMPARE(w.nameBox()->text(), QStringLiteral("Project01"));
    QCOMPARE(w.mcuGroup()->title(), QStringLiteral("MCU"));
    QVERIFY(!w.find<QPushButton>(QStringLiteral("okButton"))->isVisible());
    QVERIFY(!w.find<QPushButton>(QStringLiteral("cancelButton"))->isVisible());
    QVERIFY(w.messages.isEmpty());

    // Every control inside its frame, no two overlapping, and the red notes
    // between the project-name row and the frames.
    const QRect modulesFrame = w.find<QGroupBox>(QStringLiteral("modulesGroup"))->geometry();
    const QRect twrpiFrame = w.find<QGroupBox>(QStringLiteral("twrpiGroup"))->geometry();
    const QRect nameFrame = w.find<QGroupBox>(QStringLiteral("projectNameGroup"))->geometry();
    for (int i = 0; i < kMaxMcus; ++i) {
      const QRect mcu = w.mcuButton(i)->geometry(), box = w.moduleBox(i)->geometry();
      QVERIFY2(w.mcuGroup()->geometry().contains(mcu) && modulesFrame.contains(box), qPrintable(QString::number(i)));
      QVERIFY2(
          i == 0 || !(w.mcuButton(i - 1)->geometry().intersects(mcu) || w.moduleBox(i - 1)->geometry().intersects(box)),
          qPrintable(QString::number(i)));
    }
    for (int i = 0; i < 25; ++i)
      QVERIFY(twrpiFrame.contains(w.find<QCheckBox>(QStringLiteral("twrpiBox%1").arg(i))->geometry()));
    // The name box below the frame's caption and border, whatever the style.
    const QRect insideNameFrame = w.find<QGroupBox>(QStringLiteral("projectNameGroup"))
                                      ->contentsRect()
                                      .translated(nameFrame.topLeft());
    QVERIFY2(insideNameFrame.contains(w.nameBox()->geometry()), qPrintable(QStringLiteral("%1 %2").arg(
        insideNameFrame.top()).arg(w.nameBox()->geometry().top())));
    QVERIFY(w.dialog->rect().contains(twrpiFrame));
    // The notes: at their pixels, under the name row, one under the other,
    // above the frames.
    const int lineHeight = QFontMetrics(QGuiApplication::font(), w.dialog.get()).height();
    const QPoint description = w.dialog->descriptionAt(), warning = w.dialog->warningAt();
    QCOMPARE(QList<QPoint>({description, warning}), QList<QPoint>({{20, 60}, {20, 80}}));
    QVERIFY(description.y() > std::max(nameFrame.bottom(), w.buildButton()->geometry().bottom()));
    QVERIFY(warning.y() >= description.y() + lineHeight);
    QVERIFY2(w.mcuGroup()->geometry().top() > warning.y() + lineHeight,
             qPrintable(QStringLiteral("%1 %2").arg(w.mcuGroup()->geometry().top()).arg(warning.y() + lineHeight)));
  }

  // The same MCU as written on Linux and as written on Windows long ago: a
  // micro sign in its menu name and in a module's description.
  void keyFileTextsShowAsUtf8OrElseCodePage1252() {
    QList<QImage> looks;
    for (const std::string micro : {"\xC2\xB5", "\xB5"}) {
      std::string text = demoNamed("S08-" + micro);
      const std::string description = "Reads analogue channel 0 in the main loop";
      text.replace(text.find(description), description.size(), "Samples every 100 " + micro + "s");
      Wizard w({{"MCU_DEMO08.txt", text}});
      w.open();
      w.click(w.mcuButton(0));
      w.click(w.moduleBox(2));
      QCOMPARE(w.mcus(), QString::fromUtf8("S08-\u00b5[x]"));
      QCOMPARE(w.dialog->state().descriptionText, "Samples every 100 " + micro + "s");
      looks << w.dialog->grab().toImage();
    }
    QVERIFY(looks[0] == looks[1]);
  }

  // Captions too long for their control: every control keeps its laid-out
  // size, its tooltip and accessible name carry the whole caption, and a cut
  // caption is drawn with an ellipsis, never cut mid-letter.
  void longCaptionsAreReadWholeInTooltipsAndAccessibleNames() {
    const QString menuName = QStringLiteral("S08-A-MENU-NAME-FAR-TOO-LONG-FOR-ITS-BUTTON");
    const QString moduleName = QStringLiteral("ANALOGUE_TO_DIGITAL_CONVERTER");
    std::string text = demoNamed(menuName.toStdString());
    text.replace(text.find("MODULE:ADC"), 10, "MODULE:" + moduleName.toStdString());
    Wizard w({{"MCU_A_FILE_TITLE_THAT_HIDES_THE_REVISION.txt", text}});
    w.open();
    const QList<QWidget*> controls{w.mcuButton(0), w.moduleBox(1), w.moduleBox(2), w.mcuGroup()};
    QList<QSize> sizes;
    for (QWidget* control : controls) sizes << control->size();
    w.click(w.mcuButton(0));

    const QStringList captions{menuName, QStringLiteral("ICS"), moduleName,
                               QStringLiteral("MCU (MCU_A_FILE_TITLE_THAT_HIDES_THE_REVISION.txt Revision=7)")};
    for (int i = 0; i < controls.size(); ++i) {
      QWidget* control = controls[i];
      auto* button = qobject_cast<QAbstractButton*>(control);
      QCOMPARE(button ? button->text() : w.mcuGroup()->title(), captions[i]);
      QCOMPARE(control->toolTip(), captions[i]);
      QCOMPARE(control->accessibleName(), captions[i]);
      QCOMPARE(control->size(), sizes[i]);
    }

    // Beside a plain box of the same place and caption: a short caption is
    // drawn just the same, a long one differently (cut with an ellipsis).
    for (const auto& [box, cut] : {std::pair{w.moduleBox(1), false}, std::pair{w.moduleBox(2), true}}) {
      QCheckBox plain(box->text(), w.dialog.get());
      plain.setGeometry(box->geometry());
      plain.show();
      QCOMPARE(plain.grab().toImage() != box->grab().toImage(), cut);
    }
  }

  void abortsBeforeTheWindowIsShown_data() {
    QTest::addColumn<bool>("withKeyFiles");
    QTest::addColumn<QString>("message");
    QTest::newRow("no KeyFiles") << false << "Could not find 'KeyFiles' directory. Will abort.";
    QTest::newRow("no MCU files") << true << "Found no MCU files. Will abort.";
  }
  void abortsBeforeTheWindowIsShown() {
    QFETCH(bool, withKeyFiles);
    QFETCH(QString, message);
    Wizard w({}, withKeyFiles);
    QSignalSpy finished(w.dialog.get(), &QDialog::finished);
    QCOMPARE(w.dialog->run(), int(QDialog::Rejected));
    QCOMPARE(w.messages, QStringList{shownAs(kTitle, MessageIcon::error, message)});
    QCOMPARE(w.shownDuringMessage, std::vector<bool>{false});
    QVERIFY(!w.dialog->isVisible());
    QCOMPARE(finished.count(), 0);
  }

  void anMcuClickShowsItsModulesAndTicksApplyTheRules() {
    Wizard w;
    w.open();
    w.click(w.mcuButton(0));
    QCOMPARE(w.mcus(), QStringLiteral("DEMO08[x]"));
    QCOMPARE(w.modules(), QStringLiteral("INIT[x]# ICS[ ] ADC[ ]"));
    QCOMPARE(w.mcuGroup()->title(), QStringLiteral("MCU (MCU_DEMO08.txt Revision=7)"));
    QVERIFY(w.buildButton()->isEnabled());
    QVERIFY(w.messages.isEmpty());

    // ADC uses ICS: ticking it forces ICS on and locks it.
    w.click(w.moduleBox(2));
    QCOMPARE(w.modules(), QStringLiteral("INIT[x]# ICS[x]# ADC[x]"));
    QCOMPARE(w.dialog->state().chosenCount, 1);
    QCOMPARE(w.dialog->state().descriptionText, std::string("Reads analogue channel 0 in the main loop"));
    // A click on the locked box is not a click at all.
    w.click(w.moduleBox(1));
    QCOMPARE(w.modules(), QStringLiteral("INIT[x]# ICS[x]# ADC[x]"));
    QCOMPARE(w.dialog->state().chosenCount, 1);
    w.click(w.moduleBox(2));
    QCOMPARE(w.modules(), QStringLiteral("INIT[x]# ICS[ ] ADC[ ]"));
    QCOMPARE(w.dialog->state().chosenCount, 0);

    // A second click on the selected MCU loads it again, ticks cleared.
    w.click(w.moduleBox(1));
    QCOMPARE(w.modules(), QStringLiteral("INIT[x]# ICS[x] ADC[ ]"));
    w.click(w.mcuButton(0));
    QCOMPARE(w.mcus(), QStringLiteral("DEMO08[x]"));
    QCOMPARE(w.modules(), QStringLiteral("INIT[x]# ICS[ ] ADC[ ]"));
    QVERIFY(!w.dialog->state().moduleChosen[1]);
  }

  void redNotesAreDrawnWhereTheyBelong_data() {
    QTest::addColumn<QList<int>>("ticks");
    QTest::addColumn<bool>("description");
    QTest::addColumn<bool>("warning");
    QTest::newRow("nothing ticked") << QList<int>{} << false << false;
    QTest::newRow("one module") << QList<int>{1} << true << false;
    QTest::newRow("two modules") << QList<int>{1, 2} << true << true;
    QTest::newRow("two, then one unticked") << QList<int>{1, 2, 2} << false << false;
  }
  void redNotesAreDrawnWhereTheyBelong() {
    QFETCH(QList<int>, ticks);
    QFETCH(bool, description);
    QFETCH(bool, warning);
    Wizard w;
    w.open();
    w.click(w.mcuButton(0));
    for (int box : ticks) w.click(w.moduleBox(box));

    const QImage image = w.dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int lineHeight = QFontMetrics(QGuiApplication::font(), w.dialog.get()).height();
    const QPoint descriptionAt = w.dialog->descriptionAt(), warningAt = w.dialog->warningAt();
    const QRect descriptionRow(0, descriptionAt.y(), image.width(), lineHeight);
    const QRect warningRow(0, warningAt.y(), image.width(), lineHeight);
    const QRect inDescription = redPixels(image, descriptionRow);
    const QRect inWarning = redPixels(image, warningRow);
    QCOMPARE(!inDescription.isNull(), description);
    QCOMPARE(!inWarning.isNull(), warning);
    // Each text begins at its x and fills the top of its row: its corner, not
    // its baseline, is at the given point.
    for (const auto& [row, text] : {std::pair{descriptionRow, inDescription}, std::pair{warningRow, inWarning}}) {
      if (text.isNull()) continue;
      QVERIFY2(text.left() >= descriptionAt.x() && text.left() < descriptionAt.x() + 4,
               qPrintable(QString::number(text.left())));
      QVERIFY2(text.top() < row.top() + lineHeight / 2, qPrintable(QString::number(text.top())));
    }
    QCOMPARE(redPixels(image, image.rect()), inDescription.united(inWarning));
    // No red on any frame.
    for (const QGroupBox* frame : w.dialog->findChildren<QGroupBox*>())
      QVERIFY2(!frame->geometry().intersects(inDescription.united(inWarning)), qPrintable(frame->objectName()));
  }

  // A newly chosen MCU starts with nothing ticked, so neither red line of
  // the MCU before stays on screen.
  void choosingAnotherMcuClearsBothRedLines() {
    Wizard w({{"MCU_DEMO08.txt", forgeline::test::kDemo08}, {"MCU_OTHER.txt", demoNamed("OTHER")}});
    w.open();
    const auto red = [&] {
      const QImage image = w.dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
      return redPixels(image, QRect(QPoint(0, 0), w.dialog->size()));
    };
    w.click(w.mcuButton(0));
    w.click(w.moduleBox(1));
    w.click(w.moduleBox(2));
    QVERIFY(red().height() > QFontMetrics(QGuiApplication::font(), w.dialog.get()).height());
    w.click(w.mcuButton(1));
    QCOMPARE(w.mcus(), QStringLiteral("DEMO08[ ] OTHER[x]"));
    QCOMPARE(red(), QRect());
  }

  void buildCreatesTheProjectAndEndsTheDialog() {
    Wizard w;
    w.open();
    QSignalSpy finished(w.dialog.get(), &QDialog::finished);
    w.click(w.mcuButton(0));
    w.click(w.moduleBox(2));
    // Typed letters of any script reach the disk and main.c as typed.
    w.nameBox()->setText(QString::fromUtf8("Blinky-\xC3\xA9\xE6\xB8\xA9"));
    w.click(w.buildButton());
    const std::string name = "Blinky-\xC3\xA9\xE6\xB8\xA9";
    QVERIFY(forgeline::test::exists(w.dir / (name + "/" + name + ".mcp")));
    QVERIFY(forgeline::test::readFile(w.dir / (name + "/Sources/main.c")).starts_with("// " + name + " 24Dec24\r\n"));
    QCOMPARE(w.messages,
             QStringList{shownAs("ProjectWizardDialogTest", MessageIcon::none,
                                 "CodeWarrior 6.3 Project created successfully. Will now exit GUI.")});
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished[0][0].toInt(), int(QDialog::Rejected));
    QVERIFY(!w.dialog->isVisible());
  }

  void aFailingBuildLeavesTheDialogOpenWithEveryChoice() {
    Wizard w;
    forgeline::test::makeDirectory(w.dir / "Project01");
    w.open();
    QSignalSpy finished(w.dialog.get(), &QDialog::finished);
    w.click(w.mcuButton(0));
    w.click(w.moduleBox(1));
    w.click(w.moduleBox(2));
    const QStringList before = controlStates(*w.dialog);
    w.click(w.buildButton());
    QCOMPARE(w.messages, QStringList{shownAs(kTitle, MessageIcon::warning,
                                                    "That project folder exists already. Please try a different "
                                                    "project name.")});
    QCOMPARE(finished.count(), 0);
    QVERIFY(w.dialog->isVisible());
    QCOMPARE(controlStates(*w.dialog), before);
    QCOMPARE(w.dialog->state().chosenCount, 2);
  }

  // Enter neither builds nor closes; Esc and the close button end with
  // Cancel. None creates anything.
  void keysAndCloseNeverBuild_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");  // 0: the close button
    QTest::addColumn<bool>("closes");
    QTest::newRow("Return in the name box") << "projectNameBox" << int(Qt::Key_Return) << false;
    QTest::newRow("Enter in the name box") << "projectNameBox" << int(Qt::Key_Enter) << false;
    QTest::newRow("Return on Build") << "buildButton" << int(Qt::Key_Return) << false;
    QTest::newRow("Return on a module") << "moduleBox1" << int(Qt::Key_Return) << false;
    QTest::newRow("Esc") << "projectNameBox" << int(Qt::Key_Escape) << true;
    QTest::newRow("close button") << "projectNameBox" << 0 << true;
  }
  void keysAndCloseNeverBuild() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, closes);
    Wizard w;
    w.open();
    w.click(w.mcuButton(0));
    w.click(w.moduleBox(1));
    const auto tree = forgeline::test::snapshotTree(w.dir.path());
    QSignalSpy finished(w.dialog.get(), &QDialog::finished);
    QWidget* target = w.find<QWidget>(focus);
    target->setFocus();
    if (key == 0) QVERIFY(w.dialog->close());
    if (key != 0) QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(finished.count(), closes ? 1 : 0);
    if (closes) QCOMPARE(finished[0][0].toInt(), int(QDialog::Rejected));
    QCOMPARE(w.dialog->isVisible(), !closes);
    QVERIFY(w.messages.isEmpty());
    QVERIFY(forgeline::test::snapshotTree(w.dir.path()) == tree);
  }

  void aboutOnF1ReturnsWithEveryControlUnchanged() {
    Wizard w;
    w.open();
    w.click(w.mcuButton(0));
    w.click(w.moduleBox(2));
    w.nameBox()->setText(QStringLiteral("Keep"));
    const QStringList before = controlStates(*w.dialog);
    QString about;  // title|text|whether OK is the default button|whether the icon shows
    QTimer::singleShot(0, [&] {
      QWidget* box = QApplication::activeModalWidget();
      QVERIFY(box && box != w.dialog.get());
      auto* ok = box->findChild<QPushButton*>(QStringLiteral("okButton"));
      about = box->windowTitle() + "|" + box->findChild<QLabel*>(QStringLiteral("aboutText"))->text() + "|" +
              (ok->isDefault() ? "default" : "") + "|" +
              (box->findChild<QLabel*>(QStringLiteral("aboutIcon"))->pixmap().isNull() ? "" : "icon");
      QTest::mouseClick(ok, Qt::LeftButton);
    });
    QSignalSpy finished(w.dialog.get(), &QDialog::finished);
    QTest::keyClick(w.dialog.get(), Qt::Key_F1);
    QCOMPARE(about, QStringLiteral("About Forgeline MFC|Forgeline MFC Version 1.0|default|icon"));
    QCOMPARE(finished.count(), 0);
    QVERIFY(w.dialog->isVisible());
    QCOMPARE(controlStates(*w.dialog), before);
    QCOMPARE(w.dialog->state().chosenCount, 1);
  }

  void theContextMenuOffersAbout() {
    Wizard w;
    w.open();
    QStringList entries;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      QVERIFY(menu);
      for (QAction* action : menu->actions()) entries << action->text();
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), w.dialog->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w.dialog.get(), &event);
    QCOMPARE(entries, QStringList{"&About Forgeline MFC..."});
  }
};

QTEST_MAIN(ProjectWizardDialogTest)
#include "ProjectWizardDialogTest.moc"
