// main.c: a fixed skeleton of banner comments with one region per code
// section, filled with the lines the loader collected from the marked
// modules. The body of main depends on how many modules the user ticked.
#pragma once

#include <string>

#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/WizardState.h"
#include "generate/TextFileWriter.h"

namespace forgeline {

inline constexpr const char* kMainSourceName = "main.c";

// The first line without its line end, e.g. "// Blinky  5Dec26".
std::string mainSourceHeaderLine(const std::string& projectName, CalendarDate date);

// Writes main.c into the working directory, dated by `clock`, as it is
// composed.
WriteOutcome writeMainSource(const WizardState& state, FileSystem& fs, const Clock& clock);

}  // namespace forgeline
