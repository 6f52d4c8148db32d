#include "app/WizardApp.h"


#include "app/ApplicationIcon.h"
#include "app/ProjectWizardDialog.h"
#include "core/Clock.h"
#include "core/FileSystem.h"

namespace forgeline {

WizardApp::WizardApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("forgeline"));
  setApplicationVersion(QStringLiteral(FORGELINE_VERSION));
  setDesktopFileName(QStringLiteral("forgeline"));
  setWindowIcon(applicationIcon());
}

int WizardApp::runWizard() {
  RealFileSystem fs;
  SystemClock clock;
  ProjectWizardDialog dialog(fs, clock);
  dialog.run();
  return 0;
}

}  // namespace forgeline
