// The generated project files whose content is fixed text or comes straight
// from the wizard's state: Project.Map (bin), the four debugger command
// files (cmd), Project.prm (prm) and derivative.h (Sources). Each writer
// writes into the working directory by bare file name.
#pragma once

#include <string>

#include "core/FileSystem.h"
#include "core/WizardState.h"
#include "generate/TextFileWriter.h"

namespace forgeline {

WriteOutcome writeProjectMap(const WizardState& state, FileSystem& fs);

// Writes Postload, Preload, Reset and Startup in that order, and stops at the
// first file that fails so that one build reports one failure.
WriteOutcome writeCommandFiles(const WizardState& state, FileSystem& fs);

// The PRM lines back to back, each with the line end it was read with.
WriteOutcome writePrmFile(const WizardState& state, FileSystem& fs);

WriteOutcome writeDerivativeHeader(const WizardState& state, FileSystem& fs);

// The texts the writers above put into their files, with "\n" line ends.
std::string derivativeHeaderText(const WizardState& state);

}  // namespace forgeline
