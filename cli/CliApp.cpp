#include "cli/CliApp.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <new>
#include <utility>

#include "cli/RecordingFileSystem.h"
#include "core/Suggestion.h"
#include "cli/TerminalDialog.h"
#include "core/DialogModel.h"
#include "check/KeyFileChecker.h"
#include "core/Wizard.h"
#include "core/WizardState.h"
#include "session/WizardSession.h"
#include "update/ProjectUpdate.h"

namespace forgeline::cli {

namespace {

// One run of the wizard on the command line: the session's events, with
// MCUs and module boxes named as the user names them.
class Session {
 public:
  Session(FileSystem& fs, const Clock& clock, std::ostream& out, std::ostream& err)
      : dialog_(err), session_(dialog_, fs, clock), out_(out), err_(err) {}

  bool open() { return session_.open(); }

  // The revision of an MCU is known only once its file is loaded, which
  // the listing does not do: list stays one read of each menu name.
  void list(OutputFormat format) {
    nlohmann::ordered_json mcus = nlohmann::ordered_json::array();
    for (int i = 0; i < session_.state().mcuCount; ++i) {
      const std::string& caption = session_.control(mcuButton(i)).caption;
      const std::string& file = session_.state().mcuFileTitles[static_cast<std::size_t>(i)];
      if (format == OutputFormat::text)
        out_ << i << '\t' << caption << '\t' << file << '\n';
      else
        mcus.push_back({{"index", i}, {"caption", caption}, {"file", file}});
    }
    if (format == OutputFormat::json) printJson(mcus);
  }

  // The click on the MCU radio button that `mcu` names.
  bool chooseMcu(const std::string& mcu) {
    if (!session_.chooseMcu(session_.mcuNamed(mcu)))
      return usageError("no MCU matches '" + mcu + "'" + suggestionFor(mcu, mcuCaptions()));
    return true;
  }

  // One click on the module box that `module` names.
  bool click(const std::string& module) {
    const int index = session_.moduleBoxNamed(module);
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

  void show(OutputFormat format) {
    if (format == OutputFormat::json) return showJson();
    out_ << session_.control(kMcuGroup).caption << '\n';
    for (int i = 0; i < kMaxModules; ++i) {
      const ControlState& box = session_.control(moduleBox(i));
      if (!box.visible) continue;
      out_ << i << '\t' << box.caption << '\t' << (box.marked ? "x" : "-") << '\t'
           << (box.enabled ? "enabled" : "disabled") << '\n';
    }
    const WizardNotes notes = session_.notes();
    if (!notes.description.empty()) out_ << "description: " << notes.description << '\n';
    if (!notes.warning.empty()) out_ << notes.warning << '\n';
  }

  // Types the name and presses Build. Quiet, only a build that failed has
  // its messages printed: one that succeeded shows just its success.
  bool build(const std::optional<std::string>& projectName, bool quiet, bool keepRecord) {
    if (projectName) session_.typeProjectName(*projectName);
    if (!keepRecord) session_.leaveOutRecord();
    if (quiet) dialog_.hold();
    const bool built = session_.pressBuild();
    dialog_.release(!built);
    return built;
  }

  // The folder the build made; empty until it made one.
  const std::string& projectFolder() const { return session_.state().projectFolder; }

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

  // What show prints, with what the loader read for each box besides.
  void showJson() {
    const WizardState& state = session_.state();
    const auto mcu = static_cast<std::size_t>(state.selectedMcu);
    nlohmann::ordered_json boxes = nlohmann::ordered_json::array();
    for (int i = 0; i < kMaxModules; ++i) {
      const ControlState& box = session_.control(moduleBox(i));
      if (!box.visible) continue;
      const auto m = static_cast<std::size_t>(i);
      boxes.push_back({{"index", i},
                       {"caption", box.caption},
                       {"description", state.moduleDescriptions[m]},
                       {"uses", state.moduleUses[m]},
                       {"enabled", box.enabled},
                       {"marked", box.marked}});
    }
    const WizardNotes notes = session_.notes();
    printJson({{"mcu",
                {{"index", state.selectedMcu},
                 {"caption", session_.control(mcuButton(state.selectedMcu)).caption},
                 {"file", state.mcuFileTitles[mcu]},
                 {"revision", state.revision},
                 {"frame", session_.control(kMcuGroup).caption}}},
               {"boxes", boxes},
               {"notes", {{"description", notes.description}, {"warning", notes.warning}}}});
  }

  // Key-file text is bytes in no promised encoding, JSON is UTF-8: a byte
  // that is not UTF-8 becomes U+FFFD rather than failing the document.
  void printJson(const nlohmann::ordered_json& document) {
    out_ << document.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
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

}  // namespace

struct CommandRun {
  const ParsedArguments& parsed;
  std::ostream& out;
  std::ostream& err;
  FileSystem* fs = nullptr;          // set for Needs::disk and Needs::startupScan
  Session* session = nullptr;        // set for Needs::startupScan, opened
  std::optional<std::string> workingDirectory;  // where the program was started, before any -C
  const RecordingFileSystem* recording = nullptr;  // set for a dry run

  const Invocation& inv() const { return parsed.invocation; }
};

namespace {

// The bytes of `path`, relative to the project folder a dry run has just
// made, exactly as the build would have written them. The folder is new, so
// everything in it lives in the dry run's memory; the path never steps out
// of it (the command line refuses "..").
bool printMadeFile(FileSystem& fs, const std::string& projectFolder, const std::string& path, std::ostream& out) {
  if (projectFolder.empty()) return false;
  std::unique_ptr<InputFile> file = fs.openForReading(projectFolder + "/" + path);
  if (!file) return false;
  char buffer[65536];
  while (std::size_t n = file->read(buffer, sizeof buffer)) out.write(buffer, static_cast<std::streamsize>(n));
  return true;
}

int printHelp(CommandRun& run) {
  run.out << run.parsed.help;
  return status(ExitStatus::done);
}

int printVersion(CommandRun& run) {
  run.out << kProgramName << ' ' << FORGELINE_VERSION << '\n';
  return status(ExitStatus::done);
}

int runList(CommandRun& run) {
  run.session->list(run.inv().output);
  return status(ExitStatus::done);
}

// The MCU click and then every module click, as show and build begin.
bool chooseAndClick(CommandRun& run) {
  if (!run.session->chooseMcu(run.inv().mcu)) return false;
  for (const std::string& module : run.inv().clicks)
    if (!run.session->click(module)) return false;
  return true;
}

int runShow(CommandRun& run) {
  if (!chooseAndClick(run)) return status(ExitStatus::badUsage);
  run.session->show(run.inv().output);
  return status(ExitStatus::done);
}

int runBuild(CommandRun& run) {
  const Invocation& inv = run.inv();
  if (!chooseAndClick(run)) return status(ExitStatus::badUsage);
  // The dry run lists the project's own files; its record would need every
  // template read to hash it, which the dry run never does.
  if (!run.session->build(inv.projectName, inv.quiet, !inv.noRecord && !inv.dryRun)) {
    return status(ExitStatus::failed);
  }
  const std::string& folder = run.session->projectFolder();
  if (inv.printPath && !printMadeFile(*run.fs, folder, *inv.printPath, run.out)) {
    run.err << kProgramName << ": the build writes no file '" << *inv.printPath << "' in its project folder '"
            << (folder.empty() ? folder : run.recording->shown(folder)) << "'\n";
    return status(ExitStatus::badUsage);
  }
  return status(ExitStatus::done);
}

// The project is the folder named, or the one the command runs in; either
// way the update works from the folder that holds it and KeyFiles.
int runUpdate(CommandRun& run) {
  const Invocation& inv = run.inv();
  UpdateRequest request{inv.project.value_or(""), {}, inv.dryRun};
  for (const auto& [tick, box] : inv.boxChanges) request.changes.push_back({tick, box});
  if (request.project.empty()) {
    const std::string here = run.fs->currentDirectory().value_or("");
    request.project = here.substr(here.find_last_of('/') + 1);
    if (request.project.empty() || !run.fs->changeDirectory("..")) {
      run.err << kProgramName << ": no project folder here; name it: " << kProgramName << " update PROJECT\n";
      return status(ExitStatus::badUsage);
    }
  }
  const UpdateOutcome outcome = updateProject(*run.fs, request, run.out);
  if (!outcome.error.empty()) run.err << kProgramName << ": " << outcome.error << '\n';
  return static_cast<int>(outcome.status);
}

// The checker reports a missing KeyFiles or MCU file itself, so it runs
// without the window's start-up scan.
// Its paths are named from where the program was started, so they open
// from there whatever -C entered.
int runChecker(CommandRun& run) {
  CheckOptions options = run.inv().check;
  options.workingFolder = run.workingDirectory.value_or("");
  options.quiet = run.inv().quiet;
  return runCheck(*run.fs, options, run.out);
}

constexpr CommandRow kCommands[] = {
    {"list", Command::list, Needs::startupScan, runList,
     "one line per MCU, in button order: INDEX, CAPTION and FILE TITLE, tab-separated"},
    {"show", Command::show, Needs::startupScan, runShow,
     "the MCU frame and the module boxes after choosing MCU and clicking each M"},
    {"build", Command::build, Needs::startupScan, runBuild, "choose MCU, click each M, type NAME and press Build"},
    {"check", Command::check, Needs::disk, runChecker, "report the mistakes in the key files"},
    {"update", Command::update, Needs::disk, runUpdate,
     "merge the project's files with a new build from its record, the key files and each --click/--unclick"},
    {"help", Command::help, Needs::nothing, printHelp, "print the help of forgeline-cli or of one command"},
    {"", Command::version, Needs::nothing, printVersion, ""},
};

}  // namespace

std::span<const CommandRow> commandTable() { return kCommands; }

static int runCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                      const DiskFilter& filter) {
  const ParsedArguments parsed = parseArguments(args);
  if (!parsed.error.empty()) {
    err << kProgramName << ": " << parsed.error << " (see " << kProgramName << " --help)\n";
    return status(ExitStatus::badUsage);
  }
  const Invocation& inv = parsed.invocation;
  const CommandRow& row = *std::find_if(std::begin(kCommands), std::end(kCommands),
                                        [&](const CommandRow& r) { return r.command == inv.command; });
  CommandRun run{.parsed = parsed, .out = out, .err = err, .fs = nullptr, .session = nullptr,
                 .workingDirectory = {}, .recording = nullptr};
  if (row.needs == Needs::nothing) return row.handler(run);

  RealFileSystem disk;
  // A test's filter may put a disk of its own in place of the real one: the
  // command, -C included, runs on whichever disk it gets.
  std::unique_ptr<FileSystem> filtered = filter ? filter(disk) : nullptr;
  FileSystem& base = filtered ? *filtered : disk;
  run.workingDirectory = base.currentDirectory();
  for (const std::string& directory : inv.directories) {
    if (!base.changeDirectory(directory)) {
      const std::string reason = disk.whyNotEnterable(directory);
      err << kProgramName << ": cannot enter directory '" << directory << "'" << (reason.empty() ? "" : ": ")
          << reason << '\n';
      return status(ExitStatus::badUsage);
    }
  }
  // With --print the listing gives way to the file's bytes.
  std::unique_ptr<RecordingFileSystem> recording;
  if (inv.dryRun && inv.command == Command::build)
    recording = std::make_unique<RecordingFileSystem>(base, [&](const std::string& line) {
      if (!inv.printPath) out << line << '\n';
    });
  run.fs = recording ? recording.get() : &base;
  run.recording = recording.get();
  if (row.needs == Needs::disk) return row.handler(run);

  SystemClock systemClock;
  FixedClock fixedClock(inv.date.value_or(CalendarDate{}));
  const Clock& clock = inv.date ? static_cast<const Clock&>(fixedClock) : systemClock;
  Session session(*run.fs, clock, out, err);
  if (!session.open()) return status(ExitStatus::failed);
  run.session = &session;
  return row.handler(run);
}

// Memory can run out in any command (a limited address space, a huge input):
// one line and a failure, never an abort. Unwinding removes a half-written
// file as any other failure does.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const DiskFilter& filter) {
  try {
    return runCommand(args, out, err, filter);
  } catch (const std::bad_alloc&) {
    err << kProgramName << ": out of memory; the command stopped unfinished\n";
    return status(ExitStatus::failed);
  }
}

}  // namespace forgeline::cli
