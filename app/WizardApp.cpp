#include "app/WizardApp.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <optional>
#include <string>

#include "app/ApplicationIcon.h"
#include "app/ProjectWizardDialog.h"
#include "core/Clock.h"
#include "core/FileSystem.h"

namespace forgeline {

namespace {

constexpr const char* kKeyFiles = "KeyFiles";

// The very test the catalogue scan makes.
bool holdsKeyFiles(const std::string& folder) {
  RealFileSystem fs(folder);
  return fs.changeDirectory(kKeyFiles);
}

std::string toFileSystem(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The folder to work in; nullopt when the user cancelled the folder dialog.
std::optional<std::string> startFolder(const WindowOptions& options, QSettings& settings) {
  if (!options.chooseFolder || holdsKeyFiles(options.folder)) return options.folder;
  const QString here = QDir(QFile::decodeName(QByteArray::fromStdString(options.folder))).absolutePath();
  QFileDialog dialog(nullptr, QStringLiteral("Choose the folder that holds KeyFiles"),
                     settings.value(kLastKeyFilesFolderKey, here).toString());
  dialog.setObjectName(QStringLiteral("keyFilesFolderDialog"));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().constFirst();
  settings.setValue(kLastKeyFilesFolderKey, chosen);
  // KeyFiles itself is an easy folder to pick; it stands for the one around it.
  const QFileInfo info(chosen);
  if (!holdsKeyFiles(toFileSystem(chosen)) && info.fileName() == QLatin1String(kKeyFiles))
    return toFileSystem(info.absolutePath());
  return toFileSystem(chosen);
}

}  // namespace

WizardApp::WizardApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("forgeline"));
  setApplicationVersion(QStringLiteral(FORGELINE_VERSION));
  setDesktopFileName(QStringLiteral("forgeline"));
  // The settings key the wizard was always meant to have; only the folder
  // that --choose-folder asked for is ever kept under it.
  setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
  setWindowIcon(applicationIcon());
}

int WizardApp::runWizard(const WindowOptions& options) {
  QSettings settings;
  return runWizardWindow(options, settings);
}

int runWizardWindow(const WindowOptions& options, QSettings& settings) {
  const std::optional<std::string> folder = startFolder(options, settings);
  if (!folder) return 0;
  RealFileSystem fs(*folder);
  SystemClock clock;
  ProjectWizardDialog dialog(fs, clock);
  dialog.run();
  return 0;
}

}  // namespace forgeline
