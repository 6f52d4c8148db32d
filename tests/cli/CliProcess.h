// Runs the built forgeline-cli as a separate process, the way a script or a
// CI job does, and collects what it printed.
#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/MemoryFileSystem.h"

namespace forgeline::test {

struct CliResult {
  int status = -1;  // the exit status; 128 + N when killed by signal N
  std::string out;
  std::string err;
};

// Where the program's standard output goes: a file read back into `out`,
// the full device, or nowhere (the descriptor closed, as ">&-" does).
enum class StandardOutput { captured, full, closed };

// Runs the program with `args` (without its own name) in `workingDirectory`.
CliResult runCliProgram(const std::vector<std::string>& args, const std::string& workingDirectory,
                        StandardOutput output = StandardOutput::captured);

#ifndef _WIN32
// The same without waiting, standard output and error going to the files
// named: the process id, and its exit status as in CliResult once it ends.
pid_t startCliProgram(const std::vector<std::string>& args, const std::string& workingDirectory,
                    const std::string& outPath, const std::string& errPath,
                    StandardOutput output = StandardOutput::captured);
int waitForProgram(pid_t pid);
#endif

// "a b c" for failure messages.
std::string describe(const std::vector<std::string>& args);

// The lines of `text`, each without its "\n".
std::vector<std::string> linesOf(const std::string& text);

// The program's own code run in this process on `disk`, starting in its
// working directory, which it is back in afterwards; `filter` may put a file
// system that fails on cue over it.
CliResult runCliOn(FileSystem& disk, const std::vector<std::string>& args,
                   const std::function<std::unique_ptr<FileSystem>(FileSystem&)>& filter = nullptr);

// Key files with two MCUs (DEMO08 and the RS08 part RS08KA2) and every template.
void writeTwoMcuKeyFiles(const std::string& root);
void writeTwoMcuKeyFiles(MemoryFileSystem& disk);

}  // namespace forgeline::test
