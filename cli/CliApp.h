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

#include "core/Clock.h"
#include "core/FileSystem.h"

namespace forgeline::cli {

enum class ExitStatus { done = 0, failed = 1, badUsage = 2 };

enum class Command { list, show, build, check, help, version };

struct Invocation {
  Command command = Command::help;
  std::vector<std::string> directories;  // every -C, applied in order
  std::string mcu;
  std::vector<std::string> clicks;
  std::optional<std::string> projectName;
  std::optional<CalendarDate> date;
  bool dryRun = false;
};

struct ParsedArguments {
  Invocation invocation;
  std::string error;  // empty when the arguments are usable
};

// `args` without the program's own name.
ParsedArguments parseArguments(const std::vector<std::string>& args);

// A real date in the form YYYY-MM-DD (years 0001 to 9999); nullopt otherwise.
std::optional<CalendarDate> parseDate(const std::string& text);

// Lets a caller put its own file system between the program and the disk;
// tests use it to make one operation fail.
using DiskFilter = std::function<std::unique_ptr<FileSystem>(FileSystem& disk)>;

// Runs one command line and returns the exit status. Results go to `out`,
// message boxes and usage errors to `err`.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const DiskFilter& filter = nullptr);

extern const char* const kUsage;

}  // namespace forgeline::cli
