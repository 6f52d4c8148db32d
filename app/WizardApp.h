// The application: the toolkit, then the wizard window run modally once.
#pragma once

#include <QApplication>
#include <QString>
#include <iosfwd>
#include <string_view>

#include "options/WindowOptions.h"

namespace forgeline {

// What the window says, on its own line, when there is no display to open it
// on; it then ends with status 1.
inline constexpr const char* kNoDisplayLine =
    "forgeline: no display to open the window on; forgeline-cli works without one";

// True when the toolkit would look for an X11 or Wayland display and the
// environment names neither: `platform` is QT_QPA_PLATFORM ("" for the
// toolkit's default), the others DISPLAY and WAYLAND_DISPLAY.
bool displayMissing(std::string_view platform, std::string_view display, std::string_view waylandDisplay);

class WizardApp : public QApplication {
  Q_OBJECT

 public:
  // The command line is the wizard's own and read before; give the toolkit
  // the program name alone, so no folder or option is taken for one of its.
  // When the toolkit finds no display it can use after all, the program
  // ends here with kNoDisplayLine instead of the toolkit's abort.
  WizardApp(int& argc, char** argv);

  // Runs the wizard as the options say; the program ends when the window
  // does, whatever way it ended.
  int runWizard(const WindowOptions& options);
};

// Where --choose-folder remembers the folder chosen last.
inline const QString kLastKeyFilesFolderKey = QStringLiteral("lastKeyFilesFolder");

// The file QSettings keeps this application's settings in, named without
// opening it.
QString settingsFilePath();

// The folder the wizard starts in, then the window's modal run. With
// --choose-folder and no KeyFiles in the folder, a folder dialog asks for the
// one that holds them first, opening at the folder chosen last time as kept
// in the file `settingsPath`, which nothing else opens; Cancel ends quietly
// and writes nothing. A settings path that is not a regular file is left
// alone with one line on `err`. Returns the exit status.
int runWizardWindow(const WindowOptions& options, const QString& settingsPath, std::ostream& err);

}  // namespace forgeline
