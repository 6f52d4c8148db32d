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
#include "generate/ProjectBuilder.h"

namespace forgeline::cli {

const char* const kUsage =
    "Usage: forgeline-cli [-C DIR] list\n"
    "       forgeline-cli [-C DIR] show MCU [--click M]...\n"
    "       forgeline-cli [-C DIR] build MCU [--name NAME] [--click M]... [--date YYYY-MM-DD] [--dry-run]\n"
    "       forgeline-cli [-C DIR] check\n"
    "       forgeline-cli --help | --version\n"
    "\n"
    "Creates CodeWarrior 6.3 projects from the MCU description files in KeyFiles,\n"
    "exactly as the Forgeline window does, without a display.\n"
    "\n"
    "Commands:\n"
    "  list    one line per MCU, in button order: INDEX, CAPTION and FILE TITLE, tab-separated\n"
    "  show    the MCU frame and the module boxes after choosing MCU and clicking each M\n"
    "  build   choose MCU, click each M, type NAME and press Build\n"
    "  check   report the mistakes in the key files\n"
    "\n"
    "Options:\n"
    "  -C DIR             work in DIR (the folder that holds KeyFiles) instead of here\n"
    "  --click M          one click on module box M; repeatable, applied in order\n"
    "  --name NAME        the project name (default Project01)\n"
    "  --date YYYY-MM-DD  the date written into main.c (default: today)\n"
    "  --dry-run          print each mkdir, write and copy of the build; change nothing\n"
    "\n"
    "MCU is #N for catalogue entry N (from 0), otherwise the first entry captioned MCU.\n"
    "M is #N for module box N (from 0), otherwise the first shown box captioned M.\n"
    "Every message box of the window is printed to standard error as CAPTION: TEXT.\n"
    "Exit status: 0 done, 1 a message reported a failure, 2 bad usage.\n";

namespace {

bool isCommandWord(const std::string& word, Command& command) {
  static const std::pair<const char*, Command> kCommands[] = {
      {"list", Command::list}, {"show", Command::show}, {"build", Command::build}, {"check", Command::check}};
  for (const auto& [name, value] : kCommands) {
    if (word == name) {
      command = value;
      return true;
    }
  }
  return false;
}

// Reads the options and the one MCU argument that follow a command word.
class CommandParser {
 public:
  CommandParser(const std::vector<std::string>& args, std::size_t next, ParsedArguments& result)
      : args_(args), next_(next), result_(result), inv_(result.invocation) {}

  void run() {
    std::vector<std::string> positional;
    bool optionsEnded = false;
    while (next_ < args_.size() && result_.error.empty()) {
      const std::string arg = args_[next_++];
      if (!optionsEnded && arg == "--") {
        optionsEnded = true;
      } else if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
        option(arg);
      } else {
        positional.push_back(arg);
      }
    }
    if (!result_.error.empty() || inv_.command == Command::help || inv_.command == Command::version) return;
    const bool takesMcu = inv_.command == Command::show || inv_.command == Command::build;
    if (takesMcu && positional.empty()) return fail(commandName() + " needs an MCU");
    const std::size_t allowed = takesMcu ? 1 : 0;
    if (positional.size() > allowed) return fail("unexpected argument '" + positional[allowed] + "'");
    if (takesMcu) inv_.mcu = positional.front();
  }

 private:
  void option(const std::string& arg) {
    std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    std::optional<std::string> inlineValue;
    if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) inlineValue = arg.substr(equals + 1);
    const bool build = inv_.command == Command::build;
    const bool clicks = build || inv_.command == Command::show;

    if ((name == "--help" || name == "--version") && !inlineValue) {
      inv_.command = name == "--help" ? Command::help : Command::version;
      next_ = args_.size();
    } else if (name == "--click" && clicks) {
      if (auto value = valueOf(name, inlineValue)) inv_.clicks.push_back(*value);
    } else if (name == "--name" && build) {
      if (inv_.projectName) return fail("--name given twice");
      inv_.projectName = valueOf(name, inlineValue);
    } else if (name == "--date" && build) {
      if (inv_.date) return fail("--date given twice");
      std::optional<std::string> value = valueOf(name, inlineValue);
      if (!value) return;
      inv_.date = parseDate(*value);
      if (!inv_.date) fail("invalid date '" + *value + "': expected a calendar date YYYY-MM-DD");
    } else if (name == "--dry-run" && build && !inlineValue) {
      inv_.dryRun = true;
    } else {
      fail("unknown option '" + arg + "' for " + commandName());
    }
  }

  // The value of an option, given as "--opt=VALUE" or as the next argument,
  // whatever it looks like: a project name may well start with "-".
  std::optional<std::string> valueOf(const std::string& name, const std::optional<std::string>& inlineValue) {
    if (inlineValue) return inlineValue;
    if (next_ >= args_.size()) {
      fail("option " + name + " needs a value");
      return std::nullopt;
    }
    return args_[next_++];
  }

  std::string commandName() const {
    switch (inv_.command) {
      case Command::list: return "list";
      case Command::show: return "show";
      case Command::build: return "build";
      case Command::check: return "check";
      case Command::help:
      case Command::version: break;
    }
    return "forgeline-cli";
  }

  void fail(std::string message) {
    if (result_.error.empty()) result_.error = std::move(message);
  }

  const std::vector<std::string>& args_;
  std::size_t next_;
  ParsedArguments& result_;
  Invocation& inv_;
};

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

// One run of the wizard: the state, the dialog, and the events replayed on them.
class Session {
 public:
  Session(FileSystem& fs, std::ostream& out, std::ostream& err)
      : state_(std::make_unique<WizardState>()), dialog_(err), fs_(fs), out_(out), err_(err) {}

  // What the window does while it opens; false when the scan aborted.
  bool open() {
    initialiseWizard(*state_, dialog_, fs_);
    return !dialog_.ended();
  }

  void list() {
    for (int i = 0; i < state_->mcuCount; ++i)
      out_ << i << '\t' << dialog_.control(mcuButton(i)).caption << '\t'
           << state_->mcuFileTitles[static_cast<std::size_t>(i)] << '\n';
  }

  // The click on the MCU radio button that `mcu` names.
  bool chooseMcu(const std::string& mcu) {
    int index = -1;
    if (std::optional<int> n = indexArgument(mcu)) {
      if (*n < state_->mcuCount) index = *n;
    } else {
      for (int i = 0; i < state_->mcuCount && index < 0; ++i)
        if (dialog_.control(mcuButton(i)).caption == mcu) index = i;
    }
    if (index < 0) return usageError("no MCU matches '" + mcu + "'" + suggestionFor(mcu, mcuCaptions()));
    loadMcuDescription(*state_, dialog_, fs_, index, LoadMode::previewMode);
    return true;
  }

  // One click on the module box that `module` names: the box flips its own
  // mark before the rules see the click, as a check box in the window does.
  bool click(const std::string& module) {
    int index = -1;
    if (std::optional<int> n = indexArgument(module)) {
      if (*n < kMaxModules) index = *n;
    } else {
      for (int i = 0; i < kMaxModules && index < 0; ++i) {
        const ControlState& box = dialog_.control(moduleBox(i));
        if (box.visible && box.caption == module) index = i;
      }
    }
    if (index < 0)
      return usageError("no module box matches '" + module + "'" + suggestionFor(module, clickableCaptions()));
    const ControlState& box = dialog_.control(moduleBox(index));
    if (!box.visible) return usageError("module box " + std::to_string(index) + " is hidden; the click is refused");
    if (!box.enabled)
      return usageError("module box " + std::to_string(index) + " (" + box.caption +
                        ") is disabled; the click is refused");
    dialog_.setMarked(moduleBox(index), !box.marked);
    toggleModule(*state_, dialog_, index);
    return true;
  }

  void show() {
    out_ << dialog_.control(kMcuGroup).caption << '\n';
    for (int i = 0; i < kMaxModules; ++i) {
      const ControlState& box = dialog_.control(moduleBox(i));
      if (!box.visible) continue;
      out_ << i << '\t' << box.caption << '\t' << (box.marked ? "x" : "-") << '\t'
           << (box.enabled ? "enabled" : "disabled") << '\n';
    }
    if (!state_->descriptionText.empty()) out_ << "description: " << state_->descriptionText << '\n';
    if (state_->chosenCount >= 2) out_ << kMultipleModulesWarning << '\n';
  }

  // Types the name and presses Build. Success is the one outcome in which
  // the build ended the dialog with the success box as its only message;
  // every other box, a restore failure after success included, is a failure.
  bool build(const std::optional<std::string>& projectName, const Clock& clock) {
    if (projectName) dialog_.setProjectNameText(*projectName);
    const std::size_t before = dialog_.messages().size();
    buildProject(*state_, dialog_, fs_, clock);
    return dialog_.ended() && !state_->buildFailed && dialog_.messages().size() == before + 1;
  }

 private:
  std::vector<std::string> mcuCaptions() const {
    std::vector<std::string> captions;
    for (int i = 0; i < state_->mcuCount; ++i) captions.push_back(dialog_.control(mcuButton(i)).caption);
    return captions;
  }

  std::vector<std::string> clickableCaptions() const {
    std::vector<std::string> captions;
    for (int i = 0; i < kMaxModules; ++i) {
      const ControlState& box = dialog_.control(moduleBox(i));
      if (box.visible && box.enabled) captions.push_back(box.caption);
    }
    return captions;
  }

  bool usageError(const std::string& reason) {
    err_ << kProgramName << ": " << reason << '\n';
    return false;
  }

  std::unique_ptr<WizardState> state_;
  TerminalDialog dialog_;
  FileSystem& fs_;
  std::ostream& out_;
  std::ostream& err_;
};

int status(ExitStatus s) { return static_cast<int>(s); }

}  // namespace

std::optional<CalendarDate> parseDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  auto number = [&](std::size_t from, std::size_t length) -> int {
    int value = 0;
    for (std::size_t i = from; i < from + length; ++i) {
      if (!std::isdigit(static_cast<unsigned char>(text[i]))) return -1;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
  if (year < 1 || month < 1 || month > 12 || day < 1) return std::nullopt;
  static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int days = kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
  if (day > days) return std::nullopt;
  return CalendarDate{day, month, year};
}

ParsedArguments parseArguments(const std::vector<std::string>& args) {
  ParsedArguments result;
  Invocation& inv = result.invocation;
  std::size_t i = 0;
  while (i < args.size()) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "--version") {
      inv.command = arg == "--help" ? Command::help : Command::version;
      return result;
    }
    if (arg == "-C") {
      if (i + 1 >= args.size()) {
        result.error = "option -C needs a directory";
        return result;
      }
      inv.directories.push_back(args[i + 1]);
      i += 2;
    } else if (arg.compare(0, 2, "-C") == 0) {
      inv.directories.push_back(arg.substr(2));
      ++i;
    } else if (arg.size() > 1 && arg.front() == '-') {
      result.error = "unknown option '" + arg + "'";
      return result;
    } else {
      break;
    }
  }
  if (i >= args.size()) {
    result.error = "no command given";
    return result;
  }
  if (!isCommandWord(args[i], inv.command)) {
    result.error = "unknown command '" + args[i] + "'" + suggestionFor(args[i], {"list", "show", "build", "check"});
    return result;
  }
  CommandParser(args, i + 1, result).run();
  return result;
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const DiskFilter& filter) {
  const ParsedArguments parsed = parseArguments(args);
  if (!parsed.error.empty()) {
    err << kProgramName << ": " << parsed.error << " (see " << kProgramName << " --help)\n";
    return status(ExitStatus::badUsage);
  }
  const Invocation& inv = parsed.invocation;
  if (inv.command == Command::help) {
    out << kUsage;
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
  std::unique_ptr<RecordingFileSystem> recording;
  if (inv.dryRun)
    recording = std::make_unique<RecordingFileSystem>(base, [&out](const std::string& line) { out << line << '\n'; });
  FileSystem& fs = recording ? *recording : base;

  // The checker reports a missing KeyFiles or MCU file itself, so it runs
  // without the window's start-up scan.
  if (inv.command == Command::check) return runCheck(fs, CheckOptions{}, out);

  Session session(fs, out, err);
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
  SystemClock systemClock;
  FixedClock fixedClock(inv.date.value_or(CalendarDate{}));
  const Clock& clock = inv.date ? static_cast<const Clock&>(fixedClock) : systemClock;
  return status(session.build(inv.projectName, clock) ? ExitStatus::done : ExitStatus::failed);
}

}  // namespace forgeline::cli
