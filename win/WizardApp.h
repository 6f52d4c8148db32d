// The program: forgeline.exe [--choose-folder] [DIR], the wizard window run
// once on DIR or on the folder it was started in.
#pragma once

#include <string>
#include <vector>

namespace forgeline {

// Runs the program for its arguments (the program's name left out) and
// returns its exit code. With no DIR, or with --choose-folder, a start folder
// without KeyFiles is replaced by one the user chooses; cancelling the choice
// keeps it, and the wizard then says that KeyFiles is missing.
int runWizardApp(const std::vector<std::wstring>& arguments);

}  // namespace forgeline
