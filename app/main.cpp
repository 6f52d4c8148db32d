#include <cstdlib>
#include <iostream>
#include <string_view>

#include "options/WindowOptions.h"
#include "app/WizardApp.h"

int main(int argc, char** argv) {
  // Help, the version and a bad command line need no display, so they are
  // answered before the toolkit looks for one.
  const forgeline::WindowCommandLine commandLine = forgeline::parseWindowCommandLine(argc, argv, std::cout, std::cerr);
  if (commandLine.exitStatus) return *commandLine.exitStatus;
  const auto environment = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string_view(value ? value : "");
  };
  if (forgeline::displayMissing(environment("QT_QPA_PLATFORM"), environment("DISPLAY"), environment("WAYLAND_DISPLAY"))) {
    std::cerr << forgeline::kNoDisplayLine << '\n';
    return 1;
  }
  int toolkitArgc = 1;
  forgeline::WizardApp app(toolkitArgc, argv);
  return app.runWizard(commandLine.options);
}
