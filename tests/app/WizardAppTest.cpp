// The program as a user starts it: the command line, read before there is
// any display, and the folder the wizard then works in.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QtTest>
#include <sstream>
#include <vector>

#include "app/ProjectWizardDialog.h"
#include "options/WindowOptions.h"
#include "app/WizardApp.h"
#include "support/TestSupport.h"

using namespace forgeline;
using forgeline::test::TempDir;

namespace {

struct Outcome {
  int status = -1;
  QString out;
  QString err;
};

// The installed program in a process of its own, with no display of any kind
// unless `display` names one for DISPLAY.
Outcome runProgram(const QStringList& args, const QString& display = {}) {
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromLatin1(name));
  if (!display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), display);
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(FORGELINE_WINDOW_PROGRAM), args);
  if (!program.waitForFinished(30000)) return {};
  return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
          QString::fromLocal8Bit(program.readAllStandardOutput()),
          QString::fromLocal8Bit(program.readAllStandardError())};
}

// Stands in for the user at every modal window the start-up opens: picks
// `choose` in the folder dialog (Cancel when empty), notes the MCUs the
// wizard offers and closes it, presses OK on a message box. Each step is
// noted in `seen`, the root folder written as "ROOT".
class User : public QObject {
 public:
  User(QString root, QString choose) : root_(std::move(root)), choose_(std::move(choose)) {
    connect(&poll_, &QTimer::timeout, this, [this] { answer(); });
    poll_.start(20);
  }

  QStringList seen;

 private:
  QString relative(const QString& path) const { return QString(path).replace(root_, QStringLiteral("ROOT")); }

  void answer() {
    QWidget* top = QApplication::activeModalWidget();
    if (auto* folders = qobject_cast<QFileDialog*>(top)) {
      seen << "folder dialog at " + relative(folders->directory().absolutePath());
      if (choose_.isEmpty()) return folders->reject();
      folders->setDirectory(choose_);
      static_cast<QDialog*>(folders)->accept();  // as the Choose button does
    } else if (auto* wizard = qobject_cast<ProjectWizardDialog*>(top)) {
      QStringList mcus;
      for (auto* button : wizard->findChildren<QRadioButton*>())
        if (button->isVisibleTo(wizard)) mcus << button->text();
      seen << "wizard offers " + mcus.join(' ');
      wizard->reject();
    } else if (auto* box = qobject_cast<QMessageBox*>(top)) {
      seen << "message " + box->text();
      box->accept();
    }
  }

  QString root_;
  QString choose_;
  QTimer poll_;
};

}  // namespace

class WizardAppTest : public QObject {
  Q_OBJECT

 private slots:
  void aDisplayIsMissingOnlyWhenTheToolkitWouldNeedOne_data() {
    QTest::addColumn<QString>("platform");  // QT_QPA_PLATFORM
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<bool>("missing");
    QTest::newRow("the default, none") << "" << "" << "" << true;
    QTest::newRow("X11, none") << "xcb" << "" << "" << true;
    QTest::newRow("Wayland, none") << "wayland" << "" << "" << true;
    QTest::newRow("a list, none") << "wayland;xcb:dpi=96" << "" << "" << true;
    QTest::newRow("offscreen") << "offscreen" << "" << "" << false;
    QTest::newRow("a list ending offscreen") << "wayland;offscreen" << "" << "" << false;
    QTest::newRow("the default, DISPLAY") << "" << ":0" << "" << false;
    QTest::newRow("the default, WAYLAND_DISPLAY") << "" << "" << "wayland-0" << false;
  }
  void aDisplayIsMissingOnlyWhenTheToolkitWouldNeedOne() {
    QFETCH(QString, platform);
    QFETCH(QString, display);
    QFETCH(QString, waylandDisplay);
    QFETCH(bool, missing);
    QCOMPARE(displayMissing(platform.toStdString(), display.toStdString(), waylandDisplay.toStdString()), missing);
  }

  // DISPLAY names a server that is not there: the toolkit's own warnings say
  // so, then the same last line and status.
  void aDisplayOutOfReachEndsWithTheSameLine() {
    const Outcome outcome = runProgram({"."}, QStringLiteral(":65000"));
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.endsWith(QLatin1String(kNoDisplayLine) + '\n'), qPrintable(outcome.err));
  }

  void theCommandLineIsReadWithoutAnyDisplay_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");  // its start; "" when nothing
    QTest::addColumn<QString>("err");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Forgeline: creates" << "";
    QTest::newRow("help, short") << QStringList{"-h"} << 0 << "Forgeline: creates" << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "forgeline " FORGELINE_VERSION "\n" << "";
    QTest::newRow("unknown option") << QStringList{"--colour"} << 2 << ""
                                    << "forgeline: The following argument was not expected: --colour (see forgeline "
                                       "--help)\n";
    QTest::newRow("two folders") << QStringList{".", ".."} << 2 << ""
                                 << "forgeline: The following argument was not expected: .. (see forgeline --help)\n";
    QTest::newRow("a folder that is not there")
        << QStringList{"no such folder"} << 2 << "" << "forgeline: cannot enter directory 'no such folder'\n";
    QTest::newRow("the window") << QStringList{"."} << 1 << "" << QString(kNoDisplayLine) + '\n';
    QTest::newRow("the window, the option") << QStringList{"--choose-folder"} << 1 << "" << QString(kNoDisplayLine) + '\n';
  }
  void theCommandLineIsReadWithoutAnyDisplay() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Outcome outcome = runProgram(args);
    QCOMPARE(outcome.status, status);
    QVERIFY2(out.isEmpty() ? outcome.out.isEmpty() : outcome.out.startsWith(out), qPrintable(outcome.out));
    QCOMPARE(outcome.err, err);
    if (args[0].endsWith("help")) {
      for (const char* option : {"Usage: forgeline [OPTIONS] [DIR]", "--choose-folder", "--version", "DIR"})
        QVERIFY2(outcome.out.contains(QLatin1String(option)), option);
    }
  }

  // Started in ROOT/plain (no KeyFiles) or ROOT/project (KeyFiles with
  // DEMO08); the user picks `choose` in the folder dialog when one opens.
  void theWizardWorksInTheFolderItIsGiven_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("remembered");  // the folder chosen last time
    QTest::addColumn<QString>("choose");
    QTest::addColumn<QStringList>("seen");
    QTest::addColumn<QString>("rememberedAfter");
    const QString offers = QStringLiteral("wizard offers DEMO08");
    QTest::newRow("DIR") << QStringList{"ROOT/project"} << "" << "" << QStringList{offers} << "";
    QTest::newRow("DIR without KeyFiles") << QStringList{"ROOT/plain"} << "" << ""
                                          << QStringList{"message Could not find 'KeyFiles' directory. Will abort."}
                                          << "";
    QTest::newRow("the option, KeyFiles there")
        << QStringList{"--choose-folder", "ROOT/project"} << "" << "" << QStringList{offers} << "";
    QTest::newRow("the option, a folder chosen")
        << QStringList{"--choose-folder", "ROOT/plain"} << "" << "ROOT/project"
        << QStringList{"folder dialog at ROOT/plain", offers} << "ROOT/project";
    QTest::newRow("the option, the last folder offered first")
        << QStringList{"ROOT/plain", "--choose-folder"} << "ROOT/elsewhere" << "ROOT/project"
        << QStringList{"folder dialog at ROOT/elsewhere", offers} << "ROOT/project";
    QTest::newRow("the option, KeyFiles itself chosen")
        << QStringList{"--choose-folder", "ROOT/plain"} << "" << "ROOT/project/KeyFiles"
        << QStringList{"folder dialog at ROOT/plain", offers} << "ROOT/project/KeyFiles";
    QTest::newRow("the option, Cancel")
        << QStringList{"--choose-folder", "ROOT/plain"} << "ROOT/elsewhere" << ""
        << QStringList{"folder dialog at ROOT/elsewhere"} << "ROOT/elsewhere";
  }
  void theWizardWorksInTheFolderItIsGiven() {
    QFETCH(QStringList, args);
    QFETCH(QString, remembered);
    QFETCH(QString, choose);
    QFETCH(QStringList, seen);
    QFETCH(QString, rememberedAfter);
    TempDir root;
    const QString rootPath = QString::fromStdString(root.path());
    forgeline::test::writeKeyFiles(root / "project", {{"MCU_DEMO08.txt", forgeline::test::kDemo08}}, {"DEMO08"});
    for (const char* folder : {"plain", "elsewhere"}) QVERIFY(QDir(rootPath).mkdir(QLatin1String(folder)));
    const auto inRoot = [&](QString path) { return path.replace(QStringLiteral("ROOT"), rootPath); };
    QSettings settings(rootPath + "/settings.ini", QSettings::IniFormat);
    if (!remembered.isEmpty()) settings.setValue(kLastKeyFilesFolderKey, inRoot(remembered));

    std::vector<std::string> argv{"forgeline"};
    for (const QString& arg : args) argv.push_back(inRoot(arg).toStdString());
    std::vector<const char*> pointers;
    for (const std::string& arg : argv) pointers.push_back(arg.c_str());
    std::ostringstream out, err;
    const WindowCommandLine commandLine =
        parseWindowCommandLine(int(pointers.size()), pointers.data(), out, err);
    QVERIFY(!commandLine.exitStatus);

    User user(rootPath, choose.isEmpty() ? QString() : inRoot(choose));
    QCOMPARE(runWizardWindow(commandLine.options, settings), 0);
    QCOMPARE(user.seen, seen);
    QCOMPARE(settings.value(kLastKeyFilesFolderKey).toString(), rememberedAfter.isEmpty() ? "" : inRoot(rememberedAfter));
    QVERIFY(out.str().empty() && err.str().empty());
  }
};

QTEST_MAIN(WizardAppTest)
#include "WizardAppTest.moc"
