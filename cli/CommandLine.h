// forgeline-cli's command line: what the user asked for, read with CLI11.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "check/KeyFileChecker.h"
#include "core/Clock.h"

namespace forgeline::cli {

enum class Command { list, show, build, check, update, help, version };

// How list and show print: lines for people, or one JSON document for
// scripts.
enum class OutputFormat { text, json };

// What one run of a command works on; runCli sets it up as the command's
// row asks.
struct CommandRun;

// What runCli sets up before a command's handler runs: nothing (help and
// version touch no disk), the disk entered at every -C, or that and the
// window's start-up scan of KeyFiles.
enum class Needs { nothing, disk, startupScan };

struct CommandRow {
  const char* name;  // the command word; empty for --version, which is a flag
  Command command;
  Needs needs;
  int (*handler)(CommandRun& run);  // returns the exit status
  const char* description;          // its line in --help
};

// Every command, in the order --help lists them.
std::span<const CommandRow> commandTable();

struct Invocation {
  Command command = Command::help;
  std::vector<std::string> directories;  // every -C, applied in order
  std::string mcu;
  std::vector<std::string> clicks;       // every --click, applied in order
  std::optional<std::string> projectName;
  std::optional<CalendarDate> date;
  bool dryRun = false;
  bool noRecord = false;                 // build --no-record
  std::optional<std::string> project;    // update's PROJECT
  std::vector<std::pair<bool, std::string>> boxChanges;  // update: each --click (true) and --unclick, in order
  std::optional<std::string> printPath;  // --print: a path inside the project folder
  OutputFormat output = OutputFormat::text;  // list and show --format=text|json
  CheckOptions check;                    // check [--format=gcc|sarif] [FILE]...
  bool quiet = false;                    // build and check -q: errors only
};

struct ParsedArguments {
  Invocation invocation;
  std::string error;  // empty when the arguments are usable; one line
  std::string help;   // for Command::help: the text to print
};

// `args` without the program's own name.
ParsedArguments parseArguments(const std::vector<std::string>& args);

// A real date in the form YYYY-MM-DD (years 0001 to 9999); nullopt otherwise.
std::optional<CalendarDate> parseDate(const std::string& text);

}  // namespace forgeline::cli
