// The application: the toolkit, then the wizard window run modally once.
#pragma once

#include <QApplication>

namespace forgeline {

class WizardApp : public QApplication {
  Q_OBJECT

 public:
  WizardApp(int& argc, char** argv);

  // Runs the wizard in the process's working directory; the program ends
  // when the window does, whatever way it ended.
  int runWizard();
};

}  // namespace forgeline
