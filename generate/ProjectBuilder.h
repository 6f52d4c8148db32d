// The Build button: turns the wizard's state into a CodeWarrior 6.3 project
// folder beside KeyFiles.
#pragma once

#include "core/Clock.h"
#include "core/DialogPort.h"
#include "core/FileSystem.h"
#include "core/WizardState.h"

namespace forgeline {

// Runs the whole build: takes the name from the project-name box, reloads
// the chosen MCU in build mode, creates the tree, writes and copies every
// file, reports a failing step in a message box and always returns to the
// working directory it started in. On success it ends the dialog.
void buildProject(WizardState& state, DialogPort& dialog, FileSystem& fs, const Clock& clock);

}  // namespace forgeline
