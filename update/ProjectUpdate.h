// `update`: the wizard run again on a project it built, with the choices of
// its record and any new clicks, on today's key files; every generated file
// merged three ways into the one the user has now.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "core/FileSystem.h"

namespace forgeline {

// One new click of an update: tick or untick the box captioned `box`.
struct BoxChange {
  bool tick = true;
  std::string box;
};

struct UpdateRequest {
  std::string project;  // the project's folder, beside KeyFiles
  std::vector<BoxChange> changes;
  bool dryRun = false;  // print a unified diff of every change instead of making it
};

enum class UpdateStatus { clean = 0, conflicts = 1, failed = 1, badUsage = 2 };

struct UpdateOutcome {
  UpdateStatus status = UpdateStatus::clean;
  std::string error;  // one line for failed and badUsage
};

// Run in the folder that holds KeyFiles and the project. What changed is
// told on `out`, one line a file: "updated PATH" (the new file, the project's
// own was as built), "merged PATH", "conflict PATH" (written with markers),
// "kept PATH" (a template changed in the project, left as it is). Nothing is
// touched when the record, the key file or a click is wrong; the record is
// written last.
UpdateOutcome updateProject(FileSystem& fs, const UpdateRequest& request, std::ostream& out);

}  // namespace forgeline
