// The application: the toolkit, then the wizard window run modally once.
#pragma once

#include <QApplication>
#include <QString>

#include "options/WindowOptions.h"

class QSettings;

namespace forgeline {

class WizardApp : public QApplication {
  Q_OBJECT

 public:
  // The command line is the wizard's own and read before; give the toolkit
  // the program name alone, so no folder or option is taken for one of its.
  WizardApp(int& argc, char** argv);

  // Runs the wizard as the options say; the program ends when the window
  // does, whatever way it ended.
  int runWizard(const WindowOptions& options);
};

// Where --choose-folder remembers the folder chosen last.
inline const QString kLastKeyFilesFolderKey = QStringLiteral("lastKeyFilesFolder");

// The folder the wizard starts in, then the window's modal run. With
// --choose-folder and no KeyFiles in the folder, a folder dialog asks for the
// one that holds them first, opening at the folder chosen last time; Cancel
// ends quietly. Returns the exit status.
int runWizardWindow(const WindowOptions& options, QSettings& settings);

}  // namespace forgeline
