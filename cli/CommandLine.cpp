#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <memory>

#include "core/Suggestion.h"
#include "cli/TerminalDialog.h"

namespace forgeline::cli {

namespace {

// The rows that are command words.
std::vector<CommandRow> commandWords() {
  std::vector<CommandRow> words;
  for (const CommandRow& row : commandTable())
    if (*row.name != '\0') words.push_back(row);
  return words;
}

constexpr const char* kDescription =
    "Creates CodeWarrior 6.3 projects from the MCU description files in KeyFiles,\n"
    "exactly as the Forgeline window does, without a display.";

constexpr const char* kFooter =
    "MCU is #N for catalogue entry N (from 0), otherwise the first entry captioned MCU.\n"
    "M is #N for module box N (from 0), otherwise the first shown box captioned M.\n"
    "Every message box of the window is printed to standard error as CAPTION: TEXT.\n"
    "Exit status: 0 done, 1 a message reported a failure, 2 bad usage.";

std::vector<std::string> commandNames(bool withHelp) {
  std::vector<std::string> names;
  for (const CommandRow& word : commandWords())
    if (withHelp || word.command != Command::help) names.push_back(word.name);
  return names;
}

// One line, whatever CLI11 said: a usage error is a single line of
// standard error.
std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// A relative path that never steps up: "--print" only ever names a file the
// build makes, never one elsewhere on the disk.
bool insideProjectFolder(const std::string& path) {
  if (path.empty() || path.front() == '/') return false;
  for (std::size_t at = 0; at <= path.size();) {
    const std::size_t slash = std::min(path.find('/', at), path.size());
    if (path.compare(at, slash - at, "..") == 0) return false;
    at = slash + 1;
  }
  return true;
}

// After "--" every word is an argument, as the command line's convention
// has it. CLI11 still takes a command word there, and hands the words a
// command has no room for back as if typed before the mark, where a word
// like "--dry-run" would be refused as an unknown option. So the words after
// the first "--" reach CLI11 as stand-ins that no command or option can
// match (a NUL byte and their number: no real argument holds a NUL) and are
// given back once it has placed them.
class WordsAfterMark {
 public:
  // `args` with every word after args[mark] replaced by its stand-in.
  std::vector<std::string> standIns(const std::vector<std::string>& args, std::size_t mark) {
    std::vector<std::string> result(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(std::min(mark + 1, args.size())));
    for (std::size_t i = mark + 1; i < args.size(); ++i) {
      result.push_back(std::string(1, '\0') + std::to_string(words_.size()));
      words_.push_back(args[i]);
    }
    return result;
  }
  bool isStandIn(const std::string& word) const { return index(word).has_value(); }
  // The word a stand-in stands for; any other word as it is.
  std::string original(const std::string& word) const {
    const std::optional<std::size_t> at = index(word);
    return at ? words_[*at] : word;
  }

 private:
  std::optional<std::size_t> index(const std::string& word) const {
    if (word.size() < 2 || word.front() != '\0') return std::nullopt;
    std::size_t at = 0;
    for (std::size_t i = 1; i < word.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(word[i])) || at > words_.size()) return std::nullopt;
      at = at * 10 + static_cast<std::size_t>(word[i] - '0');
    }
    return at < words_.size() ? std::optional<std::size_t>(at) : std::nullopt;
  }

  std::vector<std::string> words_;
};

// The whole command line as CLI11 sees it, bound to one Invocation.
class Parser {
 public:
  Parser() : app_(kDescription, kProgramName) {
    app_.set_help_flag("-h,--help", "print help and exit");
    app_.add_flag("--version", version_, "print the version and exit");
    app_.add_option("-C", inv_.directories,
                    "work in DIR (the folder that holds KeyFiles) instead of here; repeatable, each relative to the one before")
        ->type_name("DIR")
        ->allow_extra_args(false);
    // One command per run: a command word after the first is an argument.
    app_.require_subcommand(0, 1);
    app_.footer(kFooter);
    app_.get_formatter()->column_width(22);
    app_.get_formatter()->label("SUBCOMMAND", "COMMAND");
    app_.get_formatter()->label("REQUIRED", "");
    for (const CommandRow& word : commandWords()) addCommand(word);
    // What CLI11 cannot place is refused below, word by word, with the
    // commands or options it may have meant.
    app_.allow_extras();
  }

  ParsedArguments parse(const std::vector<std::string>& args) {
    ParsedArguments result;
    const std::vector<std::string> marked = afterMark_.standIns(args, markIndex(args));
    std::vector<std::string> reversed(marked.rbegin(), marked.rend());
    try {
      app_.parse(reversed);
    } catch (const CLI::CallForHelp&) {
      return helpFor(selected());
    } catch (const CLI::ArgumentMismatch& e) {
      return failure(givenMoreThanOnce().value_or(e.what()));
    } catch (const CLI::ParseError& e) {
      return failure(e.what());
    }
    if (version_) {
      inv_.command = Command::version;
      result.invocation = inv_;
      return result;
    }
    giveBackWordsAfterMark();
    // A word typed before the mark is refused first: it is the likely slip.
    const std::vector<std::string> extras = leftovers(app_);
    const CLI::App* command = selected();
    const std::vector<std::string> commandExtras = command != nullptr ? leftovers(*command) : std::vector<std::string>{};
    for (const std::string& word : extras) {
      if (afterMark_.isStandIn(word)) continue;
      if (isOption(word)) return failure(unknownOption(word, app_, ""));
      return failure("unknown command '" + word + "'" + suggestionFor(word, commandNames(true)));
    }
    for (const std::string& word : commandExtras)
      if (!afterMark_.isStandIn(word) && isOption(word))
        return failure(unknownOption(word, *command, std::string(" for ") + command->get_name()));
    for (const std::vector<std::string>* words : {&extras, &commandExtras})
      if (!words->empty()) return failure("unexpected argument '" + afterMark_.original(words->front()) + "'");
    if (command == nullptr) return failure("no command given");
    for (const CommandRow& word : commandWords())
      if (command->get_name() == word.name) inv_.command = word.command;
    if (inv_.command == Command::help) return helpTopic();
    if (inv_.command == Command::update) takeBoxChanges();
    if (inv_.printPath && !inv_.dryRun) return failure("--print needs --dry-run");
    if (inv_.printPath && !insideProjectFolder(*inv_.printPath))
      return failure("--print needs a path inside the project folder, such as Sources/main.c, not '" +
                     *inv_.printPath + "'");
    if (std::optional<std::string> error = formatError()) return failure(*error);
    if (date_) {
      inv_.date = parseDate(*date_);
      if (!inv_.date) return failure("invalid date '" + *date_ + "': expected a calendar date YYYY-MM-DD");
    }
    result.invocation = inv_;
    return result;
  }

 private:
  void addCommand(const CommandRow& word) {
    CLI::App* command = app_.add_subcommand(word.name, word.description);
    // The heading --help puts over the commands is their group's name.
    command->group("Commands");
    command->footer(kFooter);
    command->allow_extras();
    switch (word.command) {
      case Command::list:
        addFormatOption(*command, word.command);
        break;
      case Command::show:
        addFormatOption(*command, word.command);
        [[fallthrough]];
      case Command::build:
        command->add_option("MCU", inv_.mcu, "#N or the caption of the MCU to choose")->required()->type_name("");
        command->add_option("--click", inv_.clicks, "one click on module box M; repeatable, applied in order")
            ->type_name("M")
            ->allow_extra_args(false);
        if (word.command == Command::build) {
          addBuildOptions(*command);
          addQuietFlag(*command, "print nothing when the build succeeds; errors are still printed");
        }
        break;
      case Command::help:
        command->add_option("COMMAND", topic_, "the command to describe")->type_name("");
        break;
      case Command::check:
        addCheckOptions(*command);
        break;
      case Command::update:
        addUpdateOptions(*command);
        break;
      default:
        break;
    }
  }

  void addBuildOptions(CLI::App& command) {
    command.add_option("--name", inv_.projectName, "the project name (default Project01)")->type_name("NAME");
    command.add_option("--date", date_, "the date written into main.c (default: today)")->type_name("YYYY-MM-DD");
    command.add_flag("--dry-run", inv_.dryRun, "print each mkdir, write and copy of the build; change nothing")
            ->disable_flag_override();
    command.add_flag("--no-record", inv_.noRecord, "leave the project's record (.forgeline/, what update reads) out")
        ->disable_flag_override();
    command
        .add_option("--print", inv_.printPath,
                    "with --dry-run: print the bytes of the file PATH of the project folder instead, exactly as the "
                    "build would write them")
        ->type_name("PATH");
  }

  void addUpdateOptions(CLI::App& command) {
    command.add_option("PROJECT", inv_.project, "the project folder, beside KeyFiles (default: the current folder)")
        ->type_name("");
    clickOption_ = command.add_option("--click", clicks_, "tick module box M; repeatable, in order with --unclick")
                       ->type_name("M")
                       ->allow_extra_args(false);
    unclickOption_ = command.add_option("--unclick", unclicks_, "untick module box M; repeatable")
                         ->type_name("M")
                         ->allow_extra_args(false);
    command.add_flag("--dry-run", inv_.dryRun, "print a unified diff of every change; change nothing")
        ->disable_flag_override();
  }

  // update's --click and --unclick in the order they were typed.
  void takeBoxChanges() {
    if (clickOption_ == nullptr) return;
    std::size_t click = 0, unclick = 0;
    for (const CLI::Option* option : selected()->parse_order()) {
      if (option == clickOption_ && click < clicks_.size()) inv_.boxChanges.emplace_back(true, clicks_[click++]);
      if (option == unclickOption_ && unclick < unclicks_.size())
        inv_.boxChanges.emplace_back(false, unclicks_[unclick++]);
    }
  }

  // check's own arguments, apart from the wizard's: the key files to check
  // and the form of the report.
  void addCheckOptions(CLI::App& command) {
    command.add_option("FILE", inv_.check.files, "check just these key files instead of all of KeyFiles")
        ->type_name("");
    addFormatOption(command, Command::check);
    addQuietFlag(command, "print only the findings, without the summary line");
  }

  void addQuietFlag(CLI::App& command, const char* description) {
    command.add_flag("-q,--quiet", inv_.quiet, description)->disable_flag_override();
  }

  void addFormatOption(CLI::App& command, Command which) {
    command
        .add_option("--format", format_,
                    which == Command::check
                        ? "the report: gcc (one line per finding, the default) or sarif (SARIF 2.1.0)"
                        : "text (the lines described above, the default) or json (one JSON document)")
        ->type_name("FORMAT");
  }

  // The words --format takes, command by command, the default first.
  struct FormatWord {
    Command command;
    const char* word;
  };
  static constexpr FormatWord kFormatWords[] = {{Command::list, "text"},  {Command::list, "json"},
                                                {Command::show, "text"},  {Command::show, "json"},
                                                {Command::check, "gcc"}, {Command::check, "sarif"}};

  std::optional<std::string> formatError() {
    if (!format_) return std::nullopt;
    std::string expected;
    for (const FormatWord& format : kFormatWords) {
      if (format.command != inv_.command) continue;
      if (*format_ == format.word) {
        inv_.output = *format_ == "json" ? OutputFormat::json : OutputFormat::text;
        inv_.check.format = *format_ == "sarif" ? ReportFormat::sarif : ReportFormat::gcc;
        return std::nullopt;
      }
      expected += (expected.empty() ? "" : " or ") + std::string(format.word);
    }
    return "invalid format '" + *format_ + "': expected " + expected;
  }

  // CLI11's "At Most 1 required but received 2", said of the option the
  // user gave twice.
  std::optional<std::string> givenMoreThanOnce() {
    std::vector<const CLI::App*> apps = {&app_};
    if (const CLI::App* command = selected()) apps.push_back(command);
    for (const CLI::App* app : apps)
      for (const CLI::Option* option : app->get_options()) {
        if (option->get_items_expected_max() != 1 || option->count() < 2) continue;
        std::string values;
        for (const std::string& value : option->results())
          values += (values.empty() ? "'" : ", '") + afterMark_.original(value) + "'";
        return option->get_name() + " is given " + std::to_string(option->count()) + " times (" + values +
               "); give it once";
      }
    return std::nullopt;
  }

  static bool isOption(const std::string& word) { return word.size() > 1 && word.front() == '-'; }

  // Where the "--" that CLI11 takes as the mark stands (args.size() for
  // none): the first one that is not the value of an option before it, as
  // in "--name --".
  std::size_t markIndex(const std::vector<std::string>& args) const {
    const CLI::App* command = &app_;
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string& word = args[i];
      if (word == "--") return i;
      if (command == &app_) {
        for (const CommandRow& row : commandWords())
          if (word == row.name) command = app_.get_subcommand(row.name);
        if (command != &app_) continue;
      }
      const CLI::Option* option = isOption(word) ? command->get_option_no_throw(word) : nullptr;
      if (option != nullptr && option->get_expected_min() > 0) ++i;  // its value, whatever it looks like
    }
    return args.size();
  }

  // What `app` could not place, without the "--" mark CLI11 keeps among them.
  static std::vector<std::string> leftovers(const CLI::App& app) {
    std::vector<std::string> words = app.remaining();
    std::erase(words, std::string("--"));
    return words;
  }

  // The arguments CLI11 placed from stand-ins, as they were typed.
  void giveBackWordsAfterMark() {
    inv_.mcu = afterMark_.original(inv_.mcu);
    if (topic_) topic_ = afterMark_.original(*topic_);
    if (inv_.project) inv_.project = afterMark_.original(*inv_.project);
    for (std::string& file : inv_.check.files) file = afterMark_.original(file);
  }

  // "unknown option '--clik' for show; did you mean '--click'?" An option
  // is offered by its long name, or its short one when it has no other.
  static std::string unknownOption(const std::string& word, const CLI::App& command, const std::string& where) {
    std::vector<std::string> names;
    for (const CLI::Option* option : command.get_options()) {
      if (option->get_group().empty()) continue;
      for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
      if (option->get_lnames().empty())
        for (const std::string& name : option->get_snames()) names.push_back("-" + name);
    }
    const std::string refusal = "unknown option '" + word + "'" + where;
    if (const CLI::Option* global = globalOptionWithValue(word, command))
      return refusal + "; " + global->get_name() + " goes before the command: " + kProgramName + " " +
             global->get_name() + " " + global->get_type_name() + " " + command.get_name();
    const std::string typed = word.substr(0, word.find('='));
    return refusal + suggestionFor(typed, names);
  }

  // The program's option, such as -C, that `word` gives to a command: it
  // only counts before the command, which is easy to forget.
  static const CLI::Option* globalOptionWithValue(const std::string& word, const CLI::App& command) {
    const CLI::App* program = command.get_parent();
    if (program == nullptr) return nullptr;
    for (const CLI::Option* option : program->get_options()) {
      if (option->get_expected_min() == 0) continue;
      for (const std::string& name : option->get_snames())
        if (word.starts_with("-" + name)) return option;
      for (const std::string& name : option->get_lnames())
        if (word == "--" + name || word.starts_with("--" + name + "=")) return option;
    }
    return nullptr;
  }

  CLI::App* selected() {
    std::vector<CLI::App*> commands = app_.get_subcommands();
    return commands.empty() ? nullptr : commands.front();
  }

  ParsedArguments helpFor(const CLI::App* command) {
    ParsedArguments result;
    result.invocation.command = Command::help;
    // Straight to the formatter: App::help would describe the command that
    // was used, "help" itself, instead of the program.
    result.help = command != nullptr ? command->help(kProgramName)
                                     : app_.get_formatter()->make_help(&app_, kProgramName, CLI::AppFormatMode::Normal);
    return result;
  }

  ParsedArguments helpTopic() {
    if (!topic_) return helpFor(nullptr);
    for (const CommandRow& word : commandWords())
      if (*topic_ == word.name) return helpFor(app_.get_subcommand(word.name));
    return failure("unknown command '" + *topic_ + "'" + suggestionFor(*topic_, commandNames(true)));
  }

  ParsedArguments failure(const std::string& reason) {
    ParsedArguments result;
    result.error = oneLine(reason);
    return result;
  }

  CLI::App app_;
  WordsAfterMark afterMark_;
  Invocation inv_;
  bool version_ = false;
  std::optional<std::string> topic_;
  std::optional<std::string> date_;
  std::vector<std::string> clicks_, unclicks_;  // update's, put in order by takeBoxChanges()
  CLI::Option* clickOption_ = nullptr;
  CLI::Option* unclickOption_ = nullptr;
  std::optional<std::string> format_;  // --format of list, show or check, read by formatError()
};

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
  // CLI11's App is neither copyable nor movable and binds to the Parser's
  // fields, so each parse gets a Parser of its own.
  auto parser = std::make_unique<Parser>();
  return parser->parse(args);
}

}  // namespace forgeline::cli
