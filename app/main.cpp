#include <iostream>

#include "options/WindowOptions.h"
#include "app/WizardApp.h"

int main(int argc, char** argv) {
  // Help, the version and a bad command line need no display, so they are
  // answered before the toolkit looks for one.
  const forgeline::WindowCommandLine commandLine = forgeline::parseWindowCommandLine(argc, argv, std::cout, std::cerr);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  int toolkitArgc = 1;
  forgeline::WizardApp app(toolkitArgc, argv);
  return app.runWizard(commandLine.options);
}
