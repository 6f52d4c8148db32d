#include "cli/CliApp.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "cli/RecordingFileSystem.h"
#include "cli/Suggestion.h"
#include "cli/TerminalDialog.h"
#include "core/DialogModel.h"
#include "check/KeyFileChecker.h"
#include "core/Wizard.h"
#include "core/WizardState.h"
#include "session/WizardSession.h"

namespace forgeline::cli {

namespace {

// "#N", N a decimal number, addresses a control by index; "#" followed by
// anything else is an ordinary caption. An index too large for any table
// comes back as one that matches nothing.
std::optional<int> indexArgument(const std::string& text) {
  if (text.size() < 2 || text.front() != '#') return std::nullopt;
  int value = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    value = std::min(value * 10 + (text[i] - '0'), 1000000);
  }
  return value;
}

// One run of the wizard on the command line: the session's events, with
// MCUs and module boxes named as the user names them.
class Session {
 public:
  Session(FileSystem& fs, const Clock& clock, std::ostream& out, std::ostream& err)
      : dialog_(err), session_(dialog_, fs, clock), out_(out), err_(err) {}

  bool open() { return session_.open(); }

  void list() {
    for (int i = 0; i < session_.state().mcuCount; ++i)
      out_ << i << '\t' << session_.control(mcuButton(i)).caption << '\t'
           << session_.state().mcuFileTitles[static_cast<std::size_t>(i)] << '\n';
  }

  // The click on the MCU radio button that `mcu` names.
  bool chooseMcu(const std::string& mcu) {
    int index = -1;
    if (std::optional<int> n = indexArgument(mcu)) {
      index = *n;
    } else {
      for (int i = 0; i < session_.state().mcuCount && index < 0; ++i)
        if (session_.control(mcuButton(i)).caption == mcu) index = i;
    }
    if (!session_.chooseMcu(index))
      return usageError("no MCU matches '" + mcu + "'" + suggestionFor(mcu, mcuCaptions()));
    return true;
  }

  // One click on the module box that `module` names.
  bool click(const std::string& module) {
    int index = -1;
    if (std::optional<int> n = indexArgument(module)) {
      index = *n;
    } else {
      for (int i = 0; i < kMaxModules && index < 0; ++i) {
        const ControlState& box = session_.control(moduleBox(i));
        if (box.visible && box.caption == module) index = i;
      }
    }
    switch (session_.clickModule(index)) {
      case ClickOutcome::done:
        return true;
      case ClickOutcome::noSuchBox:
        return usageError("no module box matches '" + module + "'" + suggestionFor(module, clickableCaptions()));
      case ClickOutcome::hidden:
        return usageError("module box " + std::to_string(index) + " is hidden; the click is refused");
      case ClickOutcome::disabled:
        return usageError("module box " + std::to_string(index) + " (" + session_.control(moduleBox(index)).caption +
                          ") is disabled; the click is refused");
    }
    return false;
  }

  void show() {
    out_ << session_.control(kMcuGroup).caption << '\n';
    for (int i = 0; i < kMaxModules; ++i) {
      const ControlState& box = session_.control(moduleBox(i));
      if (!box.visible) continue;
      out_ << i << '\t' << box.caption << '\t' << (box.marked ? "x" : "-") << '\t'
           << (box.enabled ? "enabled" : "disabled") << '\n';
    }
    const WizardState& state = session_.state();
    if (!state.descriptionText.empty()) out_ << "description: " << state.descriptionText << '\n';
    if (state.chosenCount >= 2) out_ << kMultipleModulesWarning << '\n';
  }

  // Types the name and presses Build.
  bool build(const std::optional<std::string>& projectName) {
    if (projectName) session_.typeProjectName(*projectName);
    return session_.pressBuild();
  }

 private:
  std::vector<std::string> mcuCaptions() const {
    std::vector<std::string> captions;
    for (int i = 0; i < session_.state().mcuCount; ++i) captions.push_back(session_.control(mcuButton(i)).caption);
    return captions;
  }

  std::vector<std::string> clickableCaptions() const {
    std::vector<std::string> captions;
    for (int i = 0; i < kMaxModules; ++i) {
      const ControlState& box = session_.control(moduleBox(i));
      if (box.visible && box.enabled) captions.push_back(box.caption);
    }
    return captions;
  }

  bool usageError(const std::string& reason) {
    err_ << kProgramName << ": " << reason << '\n';
    return false;
  }

  TerminalDialog dialog_;
  WizardSession session_;
  std::ostream& out_;
  std::ostream& err_;
};

int status(ExitStatus s) { return static_cast<int>(s); }

// The bytes of `path`, relative to the project folder a dry run has just
// made, exactly as the build would have written them. The folder is new, so
// everything in it lives in the dry run's memory; the path never steps out
// of it (the command line refuses "..").
bool printMadeFile(FileSystem& fs, const std::optional<std::string>& startDirectory, const std::string& projectFolder,
                   const std::string& path, std::ostream& out) {
  if (!startDirectory || projectFolder.empty()) return false;
  std::unique_ptr<InputFile> file = fs.openForReading(*startDirectory + "/" + projectFolder + "/" + path);
  if (!file) return false;
  char buffer[65536];
  while (std::size_t n = file->read(buffer, sizeof buffer)) out.write(buffer, static_cast<std::streamsize>(n));
  return true;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const DiskFilter& filter) {
  const ParsedArguments parsed = parseArguments(args);
  if (!parsed.error.empty()) {
    err << kProgramName << ": " << parsed.error << " (see " << kProgramName << " --help)\n";
    return status(ExitStatus::badUsage);
  }
  const Invocation& inv = parsed.invocation;
  if (inv.command == Command::help) {
    out << parsed.help;
    return status(ExitStatus::done);
  }
  if (inv.command == Command::version) {
    out << kProgramName << ' ' << FORGELINE_VERSION << '\n';
    return status(ExitStatus::done);
  }

  RealFileSystem disk;
  for (const std::string& directory : inv.directories) {
    if (!disk.changeDirectory(directory)) {
      err << kProgramName << ": cannot enter directory '" << directory << "'\n";
      return status(ExitStatus::badUsage);
    }
  }
  std::unique_ptr<FileSystem> filtered = filter ? filter(disk) : nullptr;
  FileSystem& base = filtered ? *filtered : disk;
  // With --print the listing gives way to the file's bytes; its first line
  // names the project folder the printed path lies in.
  std::string projectFolder;
  std::unique_ptr<RecordingFileSystem> recording;
  if (inv.dryRun)
    recording = std::make_unique<RecordingFileSystem>(base, [&](const std::string& line) {
      if (!inv.printPath) out << line << '\n';
      if (projectFolder.empty() && line.starts_with("mkdir ")) projectFolder = line.substr(6);
    });
  FileSystem& fs = recording ? *recording : base;

  // The checker reports a missing KeyFiles or MCU file itself, so it runs
  // without the window's start-up scan.
  if (inv.command == Command::check) return runCheck(fs, inv.check, out);

  const std::optional<std::string> startDirectory = fs.currentDirectory();
  SystemClock systemClock;
  FixedClock fixedClock(inv.date.value_or(CalendarDate{}));
  const Clock& clock = inv.date ? static_cast<const Clock&>(fixedClock) : systemClock;
  Session session(fs, clock, out, err);
  if (!session.open()) return status(ExitStatus::failed);

  switch (inv.command) {
    case Command::list:
      session.list();
      return status(ExitStatus::done);
    case Command::check:
    case Command::show:
    case Command::build:
      break;
    case Command::help:
    case Command::version:
      return status(ExitStatus::done);
  }

  if (!session.chooseMcu(inv.mcu)) return status(ExitStatus::badUsage);
  for (const std::string& module : inv.clicks)
    if (!session.click(module)) return status(ExitStatus::badUsage);
  if (inv.command == Command::show) {
    session.show();
    return status(ExitStatus::done);
  }
  if (!session.build(inv.projectName)) return status(ExitStatus::failed);
  if (inv.printPath && !printMadeFile(fs, startDirectory, projectFolder, *inv.printPath, out)) {
    err << kProgramName << ": the build writes no file '" << *inv.printPath << "' in its project folder '"
        << projectFolder << "'\n";
    return status(ExitStatus::badUsage);
  }
  return status(ExitStatus::done);
}

}  // namespace forgeline::cli
