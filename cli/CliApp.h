// forgeline-cli: the wizard's window replayed from the command line. Each
// command opens the wizard on DIR, then performs the clicks the window would
// receive, on the same core code, through a terminal dialog.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "core/FileSystem.h"

namespace forgeline::cli {

enum class ExitStatus { done = 0, failed = 1, badUsage = 2 };

// Lets a caller put its own file system between the program and the disk;
// tests use it to make one operation fail.
using DiskFilter = std::function<std::unique_ptr<FileSystem>(FileSystem& disk)>;

// Runs one command line and returns the exit status. Results go to `out`,
// message boxes and usage errors to `err`.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const DiskFilter& filter = nullptr);

}  // namespace forgeline::cli
