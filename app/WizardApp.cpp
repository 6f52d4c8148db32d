#include "app/WizardApp.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/ApplicationIcon.h"
#include "app/ProjectWizardDialog.h"
#include "core/Clock.h"
#include "core/FileSystem.h"
#include "session/StartFolder.h"

namespace forgeline {

namespace {

std::string toFileSystem(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The settings kept in `path`, or none, said on `err`, when something other
// than a file is there: a FIFO would block the read for ever.
std::unique_ptr<QSettings> openSettings(const QString& path, std::ostream& err) {
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) {
    err << "forgeline: '" << toFileSystem(path) << "' is not a regular file, so no folder chosen is remembered\n";
    return nullptr;
  }
  return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

// The folder dialog keeps a state of its own in the toolkit's user settings
// (QtProject.conf) as it closes. A folder that can hold no file takes those
// settings instead, so they are neither read nor written; nothing else in
// the window uses them. The platform's own dialog would keep its own state
// where no option reaches, so the toolkit's dialog is always used.
void keepNoFolderDialogState(QFileDialog& dialog) {
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
}

// The folder to work in; nullopt when the user cancelled the folder dialog.
std::optional<std::string> startFolder(const WindowOptions& options, const QString& settingsPath, std::ostream& err) {
  if (!options.chooseFolder || holdsKeyFiles(options.folder)) return options.folder;
  const std::unique_ptr<QSettings> settings = openSettings(settingsPath, err);
  const QString here = QDir(QFile::decodeName(QByteArray::fromStdString(options.folder))).absolutePath();
  QFileDialog dialog(nullptr, QStringLiteral("Choose the folder that holds KeyFiles"),
                     settings ? settings->value(kLastKeyFilesFolderKey, here).toString() : here);
  keepNoFolderDialogState(dialog);
  dialog.setObjectName(QStringLiteral("keyFilesFolderDialog"));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().constFirst();
  if (settings) settings->setValue(kLastKeyFilesFolderKey, chosen);
  return startFolderFor(toFileSystem(chosen));
}

// The message handler the toolkit had before its start.
QtMessageHandler handlerBeforeStart = nullptr;

// While the toolkit starts, a fatal message means it found no platform it
// could use, which on a desktop system is a display it could not reach
// (DISPLAY naming a server that is gone): end as without any display. The
// toolkit's warnings before it, which name the display, pass on.
void endWithoutDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) return handlerBeforeStart(type, context, message);
  std::fprintf(stderr, "%s\n", kNoDisplayLine);
  std::_Exit(1);
}

int& watchingToolkitStart(int& argc) {
  handlerBeforeStart = qInstallMessageHandler(endWithoutDisplay);
  return argc;
}

}  // namespace

bool displayMissing(std::string_view platform, std::string_view display, std::string_view waylandDisplay) {
  if (!display.empty() || !waylandDisplay.empty()) return false;
  // The toolkit tries the platforms of a list such as "wayland;xcb" in turn,
  // each maybe with ":options"; one that needs no display is enough.
  while (!platform.empty()) {
    const std::string_view entry = platform.substr(0, platform.find(';'));
    const std::string_view name = entry.substr(0, entry.find(':'));
    if (!name.empty() && !name.starts_with("xcb") && !name.starts_with("wayland")) return false;
    platform.remove_prefix(std::min(platform.size(), entry.size() + 1));
  }
  return true;  // X11 or Wayland, named or the toolkit's default
}

WizardApp::WizardApp(int& argc, char** argv) : QApplication(watchingToolkitStart(argc), argv) {
  qInstallMessageHandler(handlerBeforeStart);
  setApplicationName(QStringLiteral("forgeline"));
  setApplicationVersion(QStringLiteral(FORGELINE_VERSION));
  // Wayland compositors find the window's icon and name through its desktop entry.
  setDesktopFileName(QStringLiteral("org.forgeline.Forgeline"));
  // The settings key the wizard was always meant to have; only the folder
  // that --choose-folder asked for is ever kept under it.
  setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
  setWindowIcon(applicationIcon());
}

int WizardApp::runWizard(const WindowOptions& options) { return runWizardWindow(options, settingsFilePath(), std::cerr); }

QString settingsFilePath() {
  // Where QSettings puts an application's own file on a desktop system.
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
         QCoreApplication::organizationName() + u'/' + QCoreApplication::applicationName() + QStringLiteral(".conf");
}

int runWizardWindow(const WindowOptions& options, const QString& settingsPath, std::ostream& err) {
  const std::optional<std::string> folder = startFolder(options, settingsPath, err);
  if (!folder) return 0;
  RealFileSystem fs(*folder);
  SystemClock clock;
  ProjectWizardDialog dialog(fs, clock);
  dialog.run();
  return 0;
}

}  // namespace forgeline
