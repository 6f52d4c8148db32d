// The program: forgeline.exe [--choose-folder] [DIR], the wizard window run
// once on DIR or on the folder it was started in.
#pragma once

#include <string>
#include <vector>

namespace forgeline {

// Runs the program for its arguments (the program's name left out) and
// returns its exit code: 0, also when the window is closed without building;
// 2 for a bad command line. With no DIR, or with --choose-folder, a start
// folder without KeyFiles is replaced by one the user chooses (a double click
// in Explorer starts the window without DIR); cancelling the choice ends the
// program.
int runWizardApp(const std::vector<std::wstring>& arguments);

}  // namespace forgeline
