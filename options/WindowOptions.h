// The window's command line: forgeline [--choose-folder] [DIR], --help and
// --version. Plain C++ with no toolkit, so it is read before anything needs a
// display, and the Windows window, the manual page and the completions can
// take the very same definitions.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace forgeline {

struct WindowOptions {
  // The folder to work in as if the program had been started there; empty
  // for the working directory.
  std::string folder;
  // When that folder holds no KeyFiles, ask for the folder that does instead
  // of giving up (the desktop entry starts the window this way).
  bool chooseFolder = false;
};

// Adds the options and their help texts to `cli`, bound to `options`.
void defineWindowOptions(CLI::App& cli, WindowOptions& options);

// The options to run with, or the exit status once help or the version has
// been printed to `out` (0) or a bad command line described on one line of
// `err` (2). A DIR that cannot be entered is a bad command line.
struct WindowCommandLine {
  WindowOptions options;
  std::optional<int> exitStatus;
};
WindowCommandLine parseWindowCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace forgeline
