#include "options/WindowOptions.h"

#include <CLI/CLI.hpp>
#include <ostream>
#include <vector>

#include "core/FileSystem.h"
#include "core/Suggestion.h"

namespace forgeline {

namespace {

// As the user starts the window: on Windows help and messages name the .exe,
// the file a user finds in Explorer or types at a prompt.
#ifdef _WIN32
constexpr const char* kProgramName = "forgeline.exe";
#else
constexpr const char* kProgramName = "forgeline";
#endif

// What CLI11 could not place, worded as the command-line tool words it: an
// unknown option is answered with the likely meant one, or the few there
// are; anything else keeps the parser's own sentence.
std::string refusal(const CLI::ParseError& bad, const CLI::App& cli) {
  // Each option by its long name, or its short one when it has no other.
  std::vector<std::string> names;
  for (const CLI::Option* option : cli.get_options()) {
    if (!option->nonpositional()) continue;
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    if (option->get_lnames().empty())
      for (const std::string& name : option->get_snames()) names.push_back("-" + name);
  }
  for (const std::string& word : cli.remaining()) {
    if (word.size() < 2 || word[0] != '-') continue;
    return "unknown option '" + word + "'" + suggestionFor(word.substr(0, word.find('=')), names);
  }
  return bad.what();
}

}  // namespace

void defineWindowOptions(CLI::App& cli, WindowOptions& options) {
  cli.name(kProgramName);
  cli.description(
      "Forgeline: creates a CodeWarrior 6.3 project for an 8-bit HCS08 or RS08 MCU from the MCU key files "
      "in the folder KeyFiles.");
  cli.set_version_flag("--version", std::string("forgeline ") + FORGELINE_VERSION, "Print the version and exit");
  cli.set_help_flag("-h,--help", "Print this help and exit");
  // The help names the value DIR alone, not DIR and the parser's word for its type.
  cli.add_option("DIR", options.folder,
                 "Work in DIR as if started there: DIR holds the folder KeyFiles, and the new project folder is "
                 "made in DIR (default: the current folder)")
      ->type_name("");
  cli.add_flag("--choose-folder", options.chooseFolder,
               "When DIR holds no KeyFiles, ask for the folder that does, starting at the one chosen last time; "
               "Cancel ends the program");
  cli.footer(
      "Exit status: 0, also when the window is closed without building; 1 when the window cannot be opened; 2 for a "
      "bad command line.");
}

WindowCommandLine parseWindowCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  WindowCommandLine result;
  CLI::App cli;
  defineWindowOptions(cli, result.options);
  try {
    cli.parse(argc, argv);
  } catch (const CLI::Success& done) {
    result.exitStatus = cli.exit(done, out, err);
    return result;
  } catch (const CLI::ParseError& bad) {
    err << kProgramName << ": " << refusal(bad, cli) << " (see " << kProgramName << " --help)\n";
    result.exitStatus = 2;
    return result;
  }
  if (!result.options.folder.empty() && !RealFileSystem(result.options.folder).usable()) {
    const std::string reason = RealFileSystem().whyNotEnterable(result.options.folder);
    err << kProgramName << ": cannot enter directory '" << result.options.folder << "'" << (reason.empty() ? "" : ": ")
        << reason << '\n';
    result.exitStatus = 2;
  }
  return result;
}

}  // namespace forgeline
