#include "generate/ProjectBuilder.h"

#include <optional>
#include <string>

#include "core/LogicalPath.h"
#include "core/Wizard.h"
#include "generate/DebuggerIniWriter.h"
#include "generate/MainSourceComposer.h"
#include "generate/ProjectFiles.h"
#include "generate/ProjectName.h"
#include "generate/ProjectRecord.h"

namespace forgeline {

namespace {

constexpr const char* kRefusedNameWarning =
    "That name cannot be used as a folder name. Please try a different project name.";
constexpr const char* kFolderExistsWarning =
    "That project folder exists already. Please try a different project name.";
// The system's reason ends the sentence: "... 'Blinky': Read-only file system."
std::string projectFolderNotCreatedWarning(const std::string& name, const std::string& reason) {
  return "Could not create the project folder '" + name + "': " + reason + ".";
}
constexpr const char* kSuccessMessage = "CodeWarrior 6.3 Project created successfully. Will now exit GUI.";
constexpr const char* kRestoreFailed = "Error 99: Please exit and restart GUI.";
constexpr const char* kMainSourceNotCreated = "Could not create 'main.c'. Please close file.";

struct BuildRun {
  WizardState& state;
  DialogPort& dialog;
  FileSystem& fs;
  const Clock& clock;
  BuildCapture& capture;
  std::optional<std::string> startDirectory;

  void tell(const std::string& text) { dialog.showMessage(text, dialog.applicationName(), MessageIcon::none); }
};

// True when the step did its work; false has shown its message (or left it
// to the step's row) and fails the build.
using StepAction = bool (*)(BuildRun&);

struct BuildStep {
  bool guarded;        // skipped once an earlier step has failed
  StepAction action;
  const char* failure;  // nullptr: the action has shown its own message
};

constexpr bool kAlways = false;
constexpr bool kGuarded = true;
constexpr const char* kOwnMessage = nullptr;

bool reported(BuildRun& run, const WriteOutcome& outcome) {
  if (outcome.ok()) return true;
  if (outcome.status == WriteStatus::notCreated && outcome.fileName == kMainSourceName) {
    // A main.c that cannot be created is usually held open by the IDE, so the
    // user is asked to close it and the wizard ends.
    run.tell(kMainSourceNotCreated);
    run.dialog.endDialog();
    return false;
  }
  const char* what = outcome.status == WriteStatus::notCreated ? "Could not create '" : "Could not write '";
  run.tell(what + outcome.fileName + "'.");
  return false;
}

// Where the folder just made lies, without asking the disk once more: every
// disk keeps its working directory by name, so the first step's ".." took
// the last name off the start, unless that step failed and the folder was
// made in the start itself.
std::string projectFolderPath(const BuildRun& run) {
  if (!run.startDirectory) return {};
  const std::string& start = *run.startDirectory;
  return path::join(run.state.buildFailed ? start : path::parentOf(start), run.state.projectName);
}

// A name no folder can carry on every system is refused before the disk sees
// it, and a folder the disk will not make (read-only, full, not ours to
// write) is told with the system's reason: "exists already" would send the
// user looking for a folder that is not there.
bool createProjectFolder(BuildRun& run) {
  const std::string& name = run.state.projectName;
  if (!isUsableProjectName(name)) {
    run.dialog.showMessage(kRefusedNameWarning, run.state.windowTitle, MessageIcon::warning);
    return false;
  }
  const DirectoryCreation folder = run.fs.createDirectory(name);
  if (folder) {
    run.state.projectFolder = projectFolderPath(run);
    return true;
  }
  run.dialog.showMessage(folder.outcome == DirectoryCreation::Outcome::exists
                             ? std::string(kFolderExistsWarning)
                             : projectFolderNotCreatedWarning(name, folder.reason),
                         run.state.windowTitle, MessageIcon::warning);
  return false;
}

// A subfolder of the new project folder, with the step's numbered error.
bool createSubfolder(BuildRun& run, const char* name) { return static_cast<bool>(run.fs.createDirectory(name)); }

bool copyStartupFile(BuildRun& run) {
  const bool rs08 = run.state.isRs08;
  const std::string name = rs08 ? "StartRS08.c" : "Start08.c";
  if (run.fs.copyFile("../../KeyFiles/" + name, name)) return true;
  run.tell(rs08 ? kErrorCopyStartRs08 : kErrorCopyStart08);
  return false;
}

// The menu name comes from a key file that may have travelled: it names a
// template beside the key files and never a path, so "../" cannot pull in
// another file, nor a NUL cut ".mcp" off what the disk is asked for.
bool copyProjectTemplate(BuildRun& run) {
  const std::string& menu = run.state.menuName;
  return !hasPathSeparatorOrNul(menu) &&
         run.fs.copyFile("../KeyFiles/" + menu + ".mcp", run.state.projectName + ".mcp");
}

bool reportSuccess(BuildRun& run) {
  run.tell(kSuccessMessage);
  run.dialog.endDialog();
  return true;
}

// The build, in the order the project folder is put together. The numbers in
// the messages are fixed texts, not counters: users quote them when they ask
// for help, so the gap at 08 and the repeated wording stay as they are.
const BuildStep kBuildSteps[] = {
    {kAlways, [](BuildRun& r) { return r.fs.changeDirectory(".."); }, "Error 01: Could not move back to main folder."},
    {kAlways, createProjectFolder, kOwnMessage},
    {kGuarded, [](BuildRun& r) { return r.fs.changeDirectory(r.state.projectName); },
     "Error 02: Could not move back to main folder."},

    {kGuarded, [](BuildRun& r) { return createSubfolder(r, "bin"); }, "Error 03: Could not create bin folder."},
    {kGuarded, [](BuildRun& r) { return r.fs.changeDirectory("bin"); }, "Error 04: Could not move to bin folder."},
    {kGuarded, [](BuildRun& r) { return reported(r, writeProjectMap(r.state, r.fs)); }, kOwnMessage},
    {kGuarded, [](BuildRun& r) { return r.fs.changeDirectory(".."); }, "Error 05: Could not move back to main folder."},

    {kGuarded, [](BuildRun& r) { return createSubfolder(r, "cmd"); }, "Error 06: Could not create cmd folder."},
    {kGuarded, [](BuildRun& r) { return r.fs.changeDirectory("cmd"); }, "Error 07: Could not move to cmd folder."},
    {kGuarded, [](BuildRun& r) { return reported(r, writeCommandFiles(r.state, r.fs)); }, kOwnMessage},
    {kGuarded, [](BuildRun& r) { return r.fs.changeDirectory(".."); }, "Error 09: Could not move back to main folder."},

    {kGuarded, [](BuildRun& r) { return createSubfolder(r, "prm"); }, "Error 10: Could not create prm folder."},
    {kGuarded, [](BuildRun& r) { return r.fs.changeDirectory("prm"); }, "Error 11: Could not move to prm folder."},
    {kGuarded, [](BuildRun& r) { return r.fs.copyFile("../../KeyFiles/burner.bbl", "burner.bbl"); },
     kErrorCopyBurner},
    {kGuarded, [](BuildRun& r) { return reported(r, writePrmFile(r.state, r.fs)); }, kOwnMessage},
    {kGuarded, [](BuildRun& r) { return r.fs.changeDirectory(".."); }, "Error 13: Could not move back to main folder."},

    {kGuarded, [](BuildRun& r) { return createSubfolder(r, "Sources"); }, "Error 14: Could not create Sources folder."},
    {kGuarded, [](BuildRun& r) { return r.fs.changeDirectory("Sources"); }, "Error 15: Could not move to Sources folder."},
    {kGuarded, [](BuildRun& r) { return reported(r, writeDerivativeHeader(r.state, r.fs)); }, kOwnMessage},
    {kGuarded, [](BuildRun& r) { return reported(r, writeMainSource(r.state, r.fs, r.clock)); }, kOwnMessage},
    {kGuarded, copyStartupFile, kOwnMessage},
    {kGuarded, [](BuildRun& r) { return r.fs.changeDirectory(".."); }, "Error 17: Could not move back to main folder."},

    {kGuarded, [](BuildRun& r) { return reported(r, writeDebuggerIni(r.state, r.fs)); }, kOwnMessage},
    {kGuarded, [](BuildRun& r) { return r.fs.copyFile("../KeyFiles/C_Layout.hwl", "C_Layout.hwl"); },
     kErrorCopyLayout},
    {kGuarded, [](BuildRun& r) { return r.fs.copyFile("../KeyFiles/Default.mem", "Default.mem"); },
     kErrorCopyMemory},
    {kGuarded, copyProjectTemplate, kErrorCopyMcp},
    // Last, so that a record in a project always speaks of every file.
    {kGuarded, [](BuildRun& r) { return !r.state.keepRecord || recordBuild(r.state, r.clock, r.capture); },
     kErrorRecord},
    {kGuarded, reportSuccess, kOwnMessage},
};

// Everything the steps read is settled here, before the first of them.
std::optional<std::string> prepare(BuildRun& run) {
  WizardState& state = run.state;
  state.projectName = run.dialog.projectNameText();
  std::optional<std::string> saved = run.fs.currentDirectory();
  state.projectName = firstCharacters(state.projectName, kMaxProjectNameChars);
  loadMcuDescription(state, run.dialog, run.fs, state.selectedMcu, LoadMode::buildMode);
  state.isRs08 = isRs08MenuName(state.menuName);
  state.chosenCount = countChosenModules(state);
  state.buildFailed = false;
  state.projectFolder.clear();
  return saved;
}

}  // namespace

void buildProject(WizardState& state, DialogPort& dialog, FileSystem& fs, const Clock& clock) {
  BuildCapture capture(fs);
  BuildRun run{state, dialog, capture, clock, capture, {}};
  run.startDirectory = prepare(run);

  for (const BuildStep& step : kBuildSteps) {
    if (step.guarded && state.buildFailed) continue;
    if (step.action(run)) continue;
    if (step.failure != kOwnMessage) run.tell(step.failure);
    state.buildFailed = true;
  }

  // Runs after every build, and leaves buildFailed alone: a failed restore
  // says nothing about the project folder.
  if (!run.startDirectory || !fs.changeDirectory(*run.startDirectory)) run.tell(kRestoreFailed);
}

}  // namespace forgeline
