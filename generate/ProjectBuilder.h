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
// working directory it started in. On success it ends the dialog. The
// folder it made, if any, is left in state.projectFolder.
void buildProject(WizardState& state, DialogPort& dialog, FileSystem& fs, const Clock& clock);

// The messages of the steps that copy a template out of KeyFiles.
inline constexpr const char* kErrorCopyBurner = "Error 12: Could not copy 'burner.bbl' file.";
inline constexpr const char* kErrorCopyStartRs08 = "Error 16a: Could not copy 'StartRS08.c'.";
inline constexpr const char* kErrorCopyStart08 = "Error 16b: Could not copy 'Start08.c'.";
inline constexpr const char* kErrorCopyLayout = "Error 18: Could not copy 'C_Layout.hwl'.";
inline constexpr const char* kErrorCopyMemory = "Error 19: Could not copy 'Default.mem'.";
inline constexpr const char* kErrorCopyMcp = "Error 20: Could not copy MCP file.";
inline constexpr const char* kErrorRecord = "Error 21: Could not write the project's record (.forgeline).";

}  // namespace forgeline
