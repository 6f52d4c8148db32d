// The program as a user starts it: the command line, read before there is
// any display, and the folder the wizard then works in.
#include <QtTest>
#include <QtWidgets>

#include <sstream>
#include <vector>

#include "app/ProjectWizardDialog.h"
#include "options/WindowOptions.h"
#include "app/WizardApp.h"
#include "support/TestSupport.h"

using namespace forgeline;
using namespace forgeline::test;

namespace {

struct Outcome {
  int status = -1;
  QString out;
  QString err;
};

// The installed program in a process of its own, with no display of any kind
// but what `settings` ("NAME=value" each) names.
Outcome runProgram(const QStringList& args, const QStringList& settings = {}) {
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM"})
    environment.remove(QString::fromLatin1(name));
  for (const QString& setting : settings)
    environment.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
  program.setProcessEnvironment(environment);
  program.start(QStringLiteral(FORGELINE_WINDOW_PROGRAM), args);
  if (!program.waitForFinished(30000)) return {};
  return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
          QString::fromLocal8Bit(program.readAllStandardOutput()),
          QString::fromLocal8Bit(program.readAllStandardError())};
}

// Stands in for the user at every modal window the start-up opens: picks
// `choose` in the folder dialog (Cancel when empty), notes the MCUs the
// wizard offers and closes it. Each step is noted in `seen`, the root folder
// written as "ROOT".
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
    }
  }

  QString root_;
  QString choose_;
  QTimer poll_;
};

// The settings file as a row names it: "" when there is none, "FIFO",
// "folder", else the folder it remembers, the root written as "ROOT".
QString settingsState(const QString& path, const QString& root) {
  const QFileInfo info(path);
  if (!info.exists()) return {};
  if (info.isDir()) return QStringLiteral("folder");
  if (!info.isFile()) return QStringLiteral("FIFO");
  return QSettings(path, QSettings::IniFormat).value(kLastKeyFilesFolderKey).toString().replace(root, "ROOT");
}

// The user's config folder for the whole run, where the toolkit keeps its own
// settings; it must stay empty.
QString configHome;

}  // namespace

class WizardAppTest : public QObject {
  Q_OBJECT

 public:
  // Before the toolkit starts: the config folder, and a time limit per test
  // function, so a start that waits on a FIFO fails instead of hanging.
  static void initMain() {
    static TempDir home;
    configHome = QString::fromStdString(home / "config");
    if (!QDir().mkpath(configHome)) qFatal("cannot make the config folder");
    qputenv("HOME", QByteArray::fromStdString(home.path()));
    qputenv("XDG_CONFIG_HOME", configHome.toUtf8());
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT")) qputenv("QTEST_FUNCTION_TIMEOUT", "60000");
  }

 private slots:
  // First, before any folder dialog has moved the toolkit's own settings away.
  void theSettingsFileIsTheOneQtWouldUse() {
    QCoreApplication::setOrganizationName(QStringLiteral("An Organisation"));
    QCoreApplication::setApplicationName(QStringLiteral("an-app"));
    QCOMPARE(settingsFilePath(), QSettings().fileName());
    QCOMPARE(settingsFilePath(), configHome + "/An Organisation/an-app.conf");
  }

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

  // A display is named but not there: the toolkit is started and its own
  // warnings say so, then the same last line and status.
  void aDisplayOutOfReachEndsWithTheSameLine_data() {
    static const TempDir runtime;  // no compositor's socket in it
    const QString folder = QString::fromStdString(runtime.path());
    QTest::addColumn<QStringList>("settings");
    QTest::newRow("X11") << QStringList{"DISPLAY=:65000"};
    QTest::newRow("Wayland") << QStringList{"QT_QPA_PLATFORM=wayland", "XDG_RUNTIME_DIR=" + folder,
                                            "WAYLAND_DISPLAY=" + folder + "/wayland-none"};
  }
  void aDisplayOutOfReachEndsWithTheSameLine() {
    QFETCH(QStringList, settings);
    const Outcome outcome = runProgram({"."}, settings);
    QCOMPARE(outcome.status, 1);
    QVERIFY2(outcome.err.endsWith(QLatin1String(kNoDisplayLine) + '\n'), qPrintable(outcome.err));
    QVERIFY2(outcome.err.size() > QString(kNoDisplayLine).size() + 1, "the toolkit was never started");
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
                                    << "forgeline: unknown option '--colour'; the choices are '--version', '--help', "
                                       "'--choose-folder' (see forgeline --help)\n";
    QTest::newRow("option mistyped") << QStringList{"--chose-folder", "."} << 2 << ""
                                     << "forgeline: unknown option '--chose-folder'; did you mean '--choose-folder'? "
                                        "(see forgeline --help)\n";
    QTest::newRow("option cut short") << QStringList{".", "--choose=x"} << 2 << ""
                                      << "forgeline: unknown option '--choose=x'; did you mean '--choose-folder'? "
                                         "(see forgeline --help)\n";
    QTest::newRow("two folders") << QStringList{".", ".."} << 2 << ""
                                 << "forgeline: The following argument was not expected: .. (see forgeline --help)\n";
    QTest::newRow("a folder that is not there")
        << QStringList{"no such folder"} << 2 << ""
        << "forgeline: cannot enter directory 'no such folder': No such file or directory\n";
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
      for (const char* option : {"Usage: forgeline [OPTIONS] [DIR]", "--choose-folder", "--version", "DIR",
                                 "1 when the window cannot be opened; 2 for a bad command line."})
        QVERIFY2(outcome.out.contains(QLatin1String(option)), option);
      // The value is named DIR, not by the parser's word for its type.
      QVERIFY2(!outcome.out.contains(QLatin1String("DIR TEXT")), qPrintable(outcome.out));
    }
  }

  // Started in ROOT/plain (no KeyFiles) or ROOT/project (KeyFiles with
  // DEMO08); the user picks `choose` in the folder dialog when one opens.
  // The settings file before and after, as settingsState() names it; when
  // the row leaves it as it was, it is not written at all.
  void theWizardWorksInTheFolderItIsGiven_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("choose");
    QTest::addColumn<QStringList>("seen");
    QTest::addColumn<QString>("settingsAfter");
    QTest::addColumn<QString>("err");
    const QString offers = QStringLiteral("wizard offers DEMO08");
    const QString notAFile = QStringLiteral("forgeline: 'ROOT/settings.ini' is not a regular file, so no folder chosen "
                                            "is remembered\n");
    // Without the folder dialog the settings are not even looked at.
    QTest::newRow("DIR") << QStringList{"ROOT/project"} << "FIFO" << "" << QStringList{offers} << "FIFO" << "";
    QTest::newRow("the option, KeyFiles there")
        << QStringList{"--choose-folder", "ROOT/project"} << "FIFO" << "" << QStringList{offers} << "FIFO" << "";
    QTest::newRow("the option, a folder chosen")
        << QStringList{"--choose-folder", "ROOT/plain"} << "" << "ROOT/project"
        << QStringList{"folder dialog at ROOT/plain", offers} << "ROOT/project" << "";
    QTest::newRow("the option, the last folder offered first")
        << QStringList{"ROOT/plain", "--choose-folder"} << "ROOT/elsewhere" << "ROOT/project"
        << QStringList{"folder dialog at ROOT/elsewhere", offers} << "ROOT/project" << "";
    QTest::newRow("the option, KeyFiles itself chosen")
        << QStringList{"--choose-folder", "ROOT/plain"} << "" << "ROOT/project/KeyFiles"
        << QStringList{"folder dialog at ROOT/plain", offers} << "ROOT/project/KeyFiles" << "";
    QTest::newRow("the option, Cancel")
        << QStringList{"--choose-folder", "ROOT/plain"} << "ROOT/elsewhere" << ""
        << QStringList{"folder dialog at ROOT/elsewhere"} << "ROOT/elsewhere" << "";
    QTest::newRow("the option, Cancel, nothing remembered")
        << QStringList{"--choose-folder", "ROOT/plain"} << "" << "" << QStringList{"folder dialog at ROOT/plain"} << ""
        << "";
    QTest::newRow("the option, a FIFO as settings")
        << QStringList{"--choose-folder", "ROOT/plain"} << "FIFO" << "ROOT/project"
        << QStringList{"folder dialog at ROOT/plain", offers} << "FIFO" << notAFile;
    QTest::newRow("the option, a folder as settings")
        << QStringList{"--choose-folder", "ROOT/plain"} << "folder" << "ROOT/project"
        << QStringList{"folder dialog at ROOT/plain", offers} << "folder" << notAFile;
  }
  void theWizardWorksInTheFolderItIsGiven() {
    QFETCH(QStringList, args);
    QFETCH(QString, settings);
    QFETCH(QString, choose);
    QFETCH(QStringList, seen);
    QFETCH(QString, settingsAfter);
    QFETCH(QString, err);
    TempDir root;
    const QString rootPath = QString::fromStdString(root.path());
    writeKeyFiles(root / "project", {{"MCU_DEMO08.txt", kDemo08}}, {"DEMO08"});
    for (const char* folder : {"plain", "elsewhere"}) QVERIFY(QDir(rootPath).mkdir(QLatin1String(folder)));
    const auto inRoot = [&](QString path) { return path.replace(QStringLiteral("ROOT"), rootPath); };
    const QString settingsPath = rootPath + "/settings.ini";
    if (settings == "FIFO") {
      makeFifo(root / "settings.ini");
    } else if (settings == "folder") {
      QVERIFY(QDir().mkdir(settingsPath));
    } else if (!settings.isEmpty()) {
      QSettings(settingsPath, QSettings::IniFormat).setValue(kLastKeyFilesFolderKey, inRoot(settings));
    }
    const QByteArray settingsBefore = settings.startsWith("ROOT") ? QByteArray::fromStdString(readFile(root / "settings.ini")) : "";

    std::vector<std::string> argv{"forgeline"};
    for (const QString& arg : args) argv.push_back(inRoot(arg).toStdString());
    std::vector<const char*> pointers;
    for (const std::string& arg : argv) pointers.push_back(arg.c_str());
    std::ostringstream out, errors;
    const WindowCommandLine commandLine =
        parseWindowCommandLine(int(pointers.size()), pointers.data(), out, errors);
    QVERIFY(!commandLine.exitStatus);

    User user(rootPath, choose.isEmpty() ? QString() : inRoot(choose));
    QCOMPARE(runWizardWindow(commandLine.options, settingsPath, errors), 0);
    QCOMPARE(user.seen, seen);
    QCOMPARE(settingsState(settingsPath, rootPath), settingsAfter);
    if (settingsAfter == settings && settings.startsWith("ROOT"))
      QCOMPARE(QByteArray::fromStdString(readFile(root / "settings.ini")), settingsBefore);
    QVERIFY(out.str().empty());
    QCOMPARE(QString::fromStdString(errors.str()).replace(rootPath, "ROOT"), err);
    // Nothing of the toolkit's own, such as the folder dialog's state.
    QCOMPARE(QDir(configHome).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
  }
};

QTEST_MAIN(WizardAppTest)
#include "WizardAppTest.moc"
