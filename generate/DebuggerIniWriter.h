// The debugger's settings file of the generated project: search paths,
// target, layout, the device and the four command files, in the variant of
// the MCU's family.
#pragma once

#include <string>

#include "core/FileSystem.h"
#include "core/WizardState.h"
#include "generate/TextFileWriter.h"

namespace forgeline {

std::string debuggerIniName(bool isRs08);

// The 24 lines with "\n" line ends.
std::string debuggerIniText(const WizardState& state);

// Writes the file named by debuggerIniName into the working directory.
WriteOutcome writeDebuggerIni(const WizardState& state, FileSystem& fs);

}  // namespace forgeline
