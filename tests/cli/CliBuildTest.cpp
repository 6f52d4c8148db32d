// build and build --dry-run end to end: the same tree as the window's build,
// the same messages, and a dry run that lists exactly what the build makes.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "core/Clock.h"
#include "core/DialogModel.h"
#include "core/Wizard.h"
#include "session/WizardSession.h"
#include "support/TestSupport.h"

using namespace forgeline;
using test::CliResult;
using test::describe;
using test::runCliProgram;

namespace {

constexpr const char* kSuccess = "forgeline-cli: CodeWarrior 6.3 Project created successfully. Will now exit GUI.\n";

struct Choices {
  std::string mcu;  // caption
  std::vector<std::string> clicks;
  std::string name;
};

std::vector<std::string> buildArgs(const Choices& c, const std::string& date) {
  std::vector<std::string> args{"build", c.mcu, "--name", c.name, "--date", date};
  for (const std::string& click : c.clicks) args.insert(args.end(), {"--click", click});
  return args;
}

// What the window does for the same choices: open, click the MCU button,
// click each box (which flips its own mark first), type the name, press Build.
std::vector<ShownMessage> buildLikeTheWindow(const std::string& root, const Choices& c, CalendarDate date) {
  RealFileSystem fs(root);
  DialogModel dialog("forgeline-cli");
  const FixedClock clock(date);
  WizardSession session(dialog, fs, clock);
  session.open();
  const WizardState& state = session.state();
  int mcu = 0;
  while (mcu < state.mcuCount && dialog.control(mcuButton(mcu)).caption != c.mcu) ++mcu;
  session.chooseMcu(mcu);
  for (const std::string& click : c.clicks) {
    int box = 0;
    while (box < state.moduleCount && state.moduleNames[static_cast<std::size_t>(box)] != click) ++box;
    session.clickModule(box);
  }
  session.typeProjectName(c.name);
  session.pressBuild();
  return dialog.messages();
}

std::string messageLines(const std::vector<ShownMessage>& messages) {
  std::string lines;
  for (const ShownMessage& m : messages) lines += m.caption + ": " + m.text + "\n";
  return lines;
}

const Choices kChoices[] = {
    {"DEMO08", {}, "Project01"},
    {"DEMO08", {"ADC"}, "Blinky"},
    {"DEMO08", {"ICS", "ADC"}, "Two modules"},
    {"DEMO08", {"ADC", "ADC", "ICS"}, "-dash"},
    {"RS08KA2", {"KBI"}, std::string(60, 'N')},
};

}  // namespace

// A dry run, started elsewhere with -C, then the build; the build makes the
// window's tree with the window's messages. Every line of the dry run names,
// relative to the -C folder, what the build then leaves on disk: a folder for
// mkdir, a file of that size for write, a copy of the source for copy; and
// nothing else appears. On the real disk: the dry run reads it, and the
// build must leave on it exactly what was listed. -q leaves out the success
// line alone: a quiet dry run still lists its steps, a quiet build prints nothing.
TEST(CliBuild, DryRunListsExactlyWhatTheBuildCreatesAndTheBuildIsTheWindows) {
  for (const Choices& c : kChoices) {
    test::TempDir window, dir;
    test::writeTwoMcuKeyFiles(window.path());
    test::writeTwoMcuKeyFiles(dir.path());
    const std::string windowMessages = messageLines(buildLikeTheWindow(window.path(), c, {5, 12, 2026}));
    const std::vector<std::string> args = buildArgs(c, "2026-12-05");
    std::vector<std::string> dryArgs{"-C", dir.path()};
    dryArgs.insert(dryArgs.end(), args.begin(), args.end());
    dryArgs.push_back("--dry-run");

    const auto before = test::snapshotTree(dir.path());
    CliResult dry = runCliProgram(dryArgs, "/");
    // --print: a written CR LF file, main.c, and a copied template.
    const std::string folder = c.name.substr(0, 50);
    std::map<std::string, CliResult> printed;
    for (const std::string& path : {std::string("Sources/main.c"), std::string("prm/Project.prm"), folder + ".mcp"}) {
      std::vector<std::string> printArgs = dryArgs;
      printArgs.insert(printArgs.end(), {"--print", path});
      printed[path] = runCliProgram(printArgs, "/");
    }
    dryArgs.push_back("-q");
    const CliResult quietDry = runCliProgram(dryArgs, "/");
    EXPECT_EQ(test::snapshotTree(dir.path()), before) << describe(args);
    std::vector<std::string> quietArgs = args;
    quietArgs.push_back("--quiet");
    CliResult real = runCliProgram(quietArgs, dir.path());
    EXPECT_EQ(real.status, 0) << describe(args) << "\n" << real.err;
    EXPECT_EQ(real.out + real.err, "") << describe(args);
    EXPECT_EQ(dry.status, 0) << describe(args) << "\n" << dry.err;
    EXPECT_EQ(dry.err, kSuccess) << describe(args);
    EXPECT_EQ(dry.err, windowMessages) << describe(args);
    EXPECT_EQ(quietDry.status, 0) << describe(args);
    EXPECT_EQ(quietDry.out, dry.out) << describe(args);
    EXPECT_EQ(quietDry.err, "") << describe(args);
    const auto after = test::snapshotTree(dir.path());
    EXPECT_EQ(after, test::snapshotTree(window.path())) << describe(args);
    EXPECT_EQ(after.count(folder + "/Sources/main.c"), 1u) << describe(args);
    EXPECT_TRUE(dry.out.starts_with("mkdir " + folder + "\n")) << dry.out;
    for (const auto& [path, result] : printed) {
      EXPECT_EQ(result.status, 0) << path << "\n" << result.err;
      EXPECT_EQ(result.err, kSuccess) << path;
      EXPECT_EQ(result.out, test::readFile(dir / folder + "/" + path)) << describe(args) << " --print " << path;
      if (path.ends_with(".c")) { EXPECT_NE(result.out.find("\r\n"), std::string::npos) << path; }
    }

    std::set<std::string> listed;
    for (const std::string& line : test::linesOf(dry.out)) {
      std::string path;
      if (line.rfind("mkdir ", 0) == 0) {
        path = line.substr(6);
        EXPECT_EQ(after.count(path) ? after.at(path) : "", "<dir>") << line;
      } else if (line.rfind("write ", 0) == 0 && line.back() == ')') {
        std::size_t open = line.rfind(" (");
        path = line.substr(6, open - 6);
        const std::string size = std::to_string(after.count(path) ? after.at(path).size() : 0);
        EXPECT_EQ(line.substr(open), " (" + size + " bytes)") << line;
      } else if (line.rfind("copy ", 0) == 0 && line.find(" -> ") != std::string::npos) {
        std::size_t arrow = line.find(" -> ");
        const std::string source = line.substr(5, arrow - 5);
        path = line.substr(arrow + 4);
        EXPECT_EQ(after.count(path) ? after.at(path) : "<missing>", before.at(source)) << line;
      } else {
        ADD_FAILURE() << "not an operation: " << line;
      }
      EXPECT_TRUE(listed.insert(path).second) << "listed twice: " << line;
    }
    // The dry run lists the project's files; the record would need every
    // template read, so it is left out of the list.
    std::set<std::string> created;
    for (const auto& [path, content] : after)
      if (before.count(path) == 0 && path.find("/.forgeline") == std::string::npos) created.insert(path);
    EXPECT_EQ(listed, created) << describe(args);
  }
}

// Today's date from the program's own clock: the same main.c as a build
// given today's date. A build that straddles midnight proves nothing.
TEST(CliBuild, WithoutDateMainCCarriesTodaysLocalDate) {
  const auto today = [] {
    const std::time_t now = std::time(nullptr);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", std::localtime(&now));
    return std::string(text);
  };
  MemoryFileSystem disk;
  test::writeTwoMcuKeyFiles(disk);
  const std::string before = today();
  const CliResult undated = test::runCliOn(disk, {"build", "DEMO08", "--dry-run", "--print", "Sources/main.c"});
  if (today() != before) GTEST_SKIP() << "the day changed during the build";
  ASSERT_EQ(undated.status, 0) << undated.err;
  EXPECT_EQ(undated.out,
            test::runCliOn(disk, {"build", "DEMO08", "--date", before, "--dry-run", "--print", "Sources/main.c"}).out);
}

// A name outside ASCII goes from the command line (the wide one on Windows)
// to the folder on disk and into main.c as UTF-8; a project folder far past
// Windows' old 260-character limit is made whole.
TEST(CliBuild, WideNamesAndLongPathsReachTheDisk) {
  struct Row {
    std::string name;
    int depth = 0;  // folders of 60 characters between the temporary folder and KeyFiles
  } rows[] = {
      {.name = "Gr\xC3\xBC\xC3\x9F" "e-\xE6\xB8\xA9"},
      {.name = "Blinky", .depth = 5},
      {.name = "Gr\xC3\xBC\xC3\x9F" "e-\xE6\xB8\xA9", .depth = 5},
  };
  test::TempDir plain;
  test::writeTwoMcuKeyFiles(plain.path());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name + ", depth " + std::to_string(row.depth));
    test::TempDir dir;
    std::string root = dir.path();
    for (int i = 0; i < row.depth; ++i) root += "/" + std::string(60, static_cast<char>('a' + i));
    test::writeTwoMcuKeyFiles(root);
    const std::vector<std::string> args{"build", "DEMO08", "--click", "ADC", "--name", row.name, "--date", "2026-12-05"};
    std::vector<std::string> elsewhere{"-C", root};
    elsewhere.insert(elsewhere.end(), args.begin(), args.end());
    const CliResult result = runCliProgram(elsewhere, dir.path());
    EXPECT_EQ(result.err, kSuccess);
    EXPECT_EQ(result.status, 0);
    const std::string mainC = root + "/" + row.name + "/Sources/main.c";
    if (row.depth > 0) { EXPECT_GT(mainC.size(), 300u); }
    EXPECT_TRUE(test::readFile(mainC).starts_with("// " + row.name + "  5Dec26")) << mainC;
    // The same project as one built in a short path with the plain command line.
    if (!test::exists(plain / row.name)) { ASSERT_EQ(runCliProgram(args, plain.path()).status, 0); }
    EXPECT_EQ(test::snapshotTree(root + "/" + row.name), test::snapshotTree(plain / row.name));
  }
}

// The real program, whose dry run reads the real disk.
TEST(CliBuild, FailuresExitOneWithTheWindowsMessagesAndTheDryRunAgrees) {
  const std::string exists =
      "Forgeline for 8-bit MCUs   - rev15: That project folder exists already. Please try a different project name.\n";
  // The quiet build below is named Quiet: a failed build leaves its folder.
  struct Case {
    std::vector<std::string> folders;  // made before the build
    std::string missing;               // the key file taken away
    std::string err;
  } cases[] = {
      {{"Project01", "Quiet"}, "", exists},
      {{}, "burner.bbl", "forgeline-cli: Error 12: Could not copy 'burner.bbl' file.\n"},
      {{}, "DEMO08.mcp", "forgeline-cli: Error 20: Could not copy MCP file.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    test::TempDir dir;
    test::writeTwoMcuKeyFiles(dir.path());
    for (const std::string& folder : c.folders) test::makeDirectory(dir / folder);
    if (!c.missing.empty()) std::remove((dir / "KeyFiles/" + c.missing).c_str());
    const auto before = test::snapshotTree(dir.path());
    CliResult dry = runCliProgram({"build", "DEMO08", "--dry-run"}, dir.path());
    EXPECT_EQ(dry.status, 1);
    EXPECT_EQ(dry.err, c.err);
    EXPECT_EQ(test::snapshotTree(dir.path()), before);

    // Quiet or not, a failure says the same.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"build", "DEMO08"},
                                                 {"build", "DEMO08", "-q", "--name", "Quiet"}}) {
      CliResult real = runCliProgram(args, dir.path());
      EXPECT_EQ(real.status, 1) << describe(args);
      EXPECT_EQ(real.err, c.err) << describe(args);
      EXPECT_EQ(real.out, "") << describe(args);
    }
  }
}

// A build that fails late, in-process on a memory disk that fails on cue:
// main.c refused after the folders are made, or the way back to KeyFiles
// lost after a complete project (the user is told to restart, and a script
// must not carry on). Both exit 1; quiet or not, a failed build prints
// every message it showed.
TEST(CliBuild, ALateFailureExitsOne) {
  struct Case {
    test::FsOp op;
    std::string path;
    std::string err;
    std::string made, notMade;
    std::vector<std::string> quiet;
  } cases[] = {
      {test::FsOp::openForWriting, "main.c", "forgeline-cli: Could not create 'main.c'. Please close file.\n",
       "/Project01/Sources/derivative.h", "/Project01/Sources/main.c", {}},
      {test::FsOp::changeDirectory, "/KeyFiles",
       "forgeline-cli: CodeWarrior 6.3 Project created successfully. Will now exit GUI.\n"
       "forgeline-cli: Error 99: Please exit and restart GUI.\n",
       "/Project01/Project01.mcp", "", {"-q"}},
  };
  for (const Case& c : cases) {
    MemoryFileSystem disk;
    test::writeTwoMcuKeyFiles(disk);
    std::vector<std::string> args = {"build", "DEMO08", "--date", "2026-12-05"};
    args.insert(args.end(), c.quiet.begin(), c.quiet.end());
    const CliResult r = test::runCliOn(disk, args, [&](FileSystem& memory) {
      auto faulty = std::make_unique<test::FaultyFileSystem>(memory);
      faulty->failOn(c.op, c.path);
      return faulty;
    });
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.status, 1) << c.path;
    const auto tree = disk.snapshot();
    EXPECT_TRUE(tree.contains(c.made)) << c.path;
    EXPECT_FALSE(tree.contains(c.notMade)) << c.path;
  }
}
