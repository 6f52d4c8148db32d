// list, show, check, --help and --version end to end, and every way a
// command line is refused.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "cli/CommandLine.h"
#include "support/TestSupport.h"

using namespace forgeline;
using test::CliResult;
using test::describe;
using test::runCliProgram;

namespace {

constexpr const char* kTitle = "Forgeline for 8-bit MCUs   - rev15";

}  // namespace

// show picks the first entry with the caption in button order, and "#x"
// is a caption before it is an index. -C is relative to where the program
// starts, and may be given in steps: the real program on the real disk.
TEST(CliList, OneLinePerEntryInButtonOrderWithRawBytesAndShowTakesTheFirst) {
  test::TempDir top;
  const std::string keys = top / "a/b";
  test::makeDirectory(keys);
  // The exchange sort moves the two TWINs past each other through a third
  // entry, so the button order is not the file order even among equal names.
  test::writeKeyFiles(keys, {{"MCU_A.txt", "MenuName=zeta\n"},
                            {"MCU_B.txt", "MenuName=TWIN\nRevision=1\n"},
                            {"MCU_C.txt", "MenuName=Caf\xe9\r\n"},
                            {"MCU_D.txt", "MenuName=TWIN\nRevision=2\n"},
                            {"MCU_E.txt", "no menu name here\n"},
                            {"MCU_0.txt", "MenuName=#x\nRevision=3\n"}});
  CliResult r = runCliProgram({"-C", "a", "-Cb", "list"}, top.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "0\t#x\tMCU_0\n"
            "1\t???\tMCU_E\n"
            "2\tCaf\xe9\tMCU_C\n"
            "3\tTWIN\tMCU_D\n"
            "4\tTWIN\tMCU_B\n"
            "5\tzeta\tMCU_A\n");
  struct Case {
    std::string mcu, frame;
  } cases[] = {{"TWIN", "MCU (MCU_D.txt Revision=2)\n"},
               {"#4", "MCU (MCU_B.txt Revision=1)\n"},
               {"#x", "MCU (MCU_0.txt Revision=3)\n"}};
  for (const Case& c : cases) {
    r = runCliProgram({"-C", keys, "show", c.mcu}, "/");
    EXPECT_EQ(r.status, 0) << c.mcu << "\n" << r.err;
    EXPECT_EQ(r.out, c.frame) << c.mcu;
  }
}

namespace {

// The lines of list and show, made again from their JSON.
std::string listLines(const nlohmann::json& mcus) {
  std::string text;
  for (const nlohmann::json& mcu : mcus)
    text += std::to_string(mcu.at("index").get<int>()) + "\t" + mcu.at("caption").get<std::string>() + "\t" +
            mcu.at("file").get<std::string>() + "\n";
  return text;
}

std::string showLines(const nlohmann::json& shown) {
  const nlohmann::json& mcu = shown.at("mcu");
  std::string text = mcu.at("frame").get<std::string>() + "\n";
  EXPECT_EQ(mcu.at("frame"), "MCU (" + mcu.at("file").get<std::string>() + ".txt Revision=" +
                                 std::to_string(mcu.at("revision").get<int>()) + ")");
  for (const nlohmann::json& box : shown.at("boxes"))
    text += std::to_string(box.at("index").get<int>()) + "\t" + box.at("caption").get<std::string>() + "\t" +
            (box.at("marked").get<bool>() ? "x" : "-") + "\t" +
            (box.at("enabled").get<bool>() ? "enabled" : "disabled") + "\n";
  const std::string description = shown.at("notes").at("description"), warning = shown.at("notes").at("warning");
  if (!description.empty()) text += "description: " + description + "\n";
  if (!warning.empty()) text += warning + "\n";
  return text;
}

}  // namespace

// --format=json says what the lines say, box by box, on every example MCU
// before and after clicks, and adds what the loader read for each box.
TEST(CliJson, ListAndShowSayWhatTheLinesSay) {
  const std::vector<std::string> examples = {"-C", std::string(std::getenv("FORGELINE_SOURCE_DIR")) + "/examples"};
  auto run = [&](std::vector<std::string> args, const char* format) {
    args.insert(args.begin(), examples.begin(), examples.end());
    args.push_back(format);
    CliResult r = runCliProgram(args, "/");
    EXPECT_EQ(r.status, 0) << describe(args) << "\n" << r.err;
    return r.out;
  };
  const nlohmann::json mcus = nlohmann::json::parse(run({"list"}, "--format=json"));
  EXPECT_EQ(mcus.size(), 3u);
  EXPECT_EQ(listLines(mcus), run({"list"}, "--format=text"));
  for (const char* mcu : {"#0", "#1", "#2"})
    for (const std::vector<std::string>& clicks :
         {std::vector<std::string>{}, {"--click", "#1"}, {"--click", "#1", "--click", "#4"}}) {
      std::vector<std::string> args = {"show", mcu};
      args.insert(args.end(), clicks.begin(), clicks.end());
      const nlohmann::json shown = nlohmann::json::parse(run(args, "--format=json"));
      EXPECT_EQ(showLines(shown), run(args, "--format=text")) << describe(args);
    }
  const nlohmann::json led = nlohmann::json::parse(run({"show", "S08-NOVA16"}, "--format=json")).at("boxes").at(1);
  EXPECT_EQ(led.at("caption"), "LED");
  EXPECT_EQ(led.at("uses"), "TPM");
  EXPECT_TRUE(led.at("description").get<std::string>().starts_with("Blinks the LED")) << led;
}

// Every way of asking for help gives that command's text, wherever the
// request stands; the text is CLI11's, so only its usage line is spelled out.
TEST(CliUsage, HelpIsTheCommandsWhereverItIsAsked) {
  struct Case {
    std::string usage;
    std::vector<std::vector<std::string>> requests;
  } cases[] = {
      {.usage = "Usage: forgeline-cli [OPTIONS] [COMMAND]",
       .requests = {{"-h"}, {"--help"}, {"help"}, {"-C", "/nowhere", "--help"}, {"-Cx", "-h", "bogus"}}},
      {.usage = "Usage: forgeline-cli build [OPTIONS] MCU",
       .requests = {{"help", "build"}, {"build", "--help"}, {"build", "-h"}, {"build", "X", "--help"},
                    {"build", "--name", "N", "-h", "--bogus"}}},
      {.usage = "Usage: forgeline-cli show [OPTIONS] MCU", .requests = {{"help", "show"}, {"show", "--help"}}},
      {.usage = "Usage: forgeline-cli list [OPTIONS]", .requests = {{"help", "list"}, {"list", "-h"}}},
      {.usage = "Usage: forgeline-cli check [OPTIONS] [FILE...]", .requests = {{"help", "check"}, {"check", "--help"}}},
  };
  for (const Case& c : cases) {
    const std::string first = cli::parseArguments(c.requests.front()).help;
    EXPECT_NE(first.find("\n" + c.usage + "\n"), std::string::npos) << c.usage << "\n" << first;
    for (const auto& args : c.requests) {
      const cli::ParsedArguments parsed = cli::parseArguments(args);
      EXPECT_EQ(parsed.invocation.command, cli::Command::help) << describe(args) << "\n" << parsed.error;
      EXPECT_EQ(parsed.help, first) << describe(args);
    }
  }
  // The commands are headed as the usage line names them.
  const std::string help = cli::parseArguments({"--help"}).help;
  EXPECT_NE(help.find("\nCommands:\n  list "), std::string::npos) << help;
}

TEST(CliUsage, BadUsageExitsTwoWithOneLineAndCreatesNothing) {
  test::TempDir dir;
  test::writeTwoMcuKeyFiles(dir.path());
  test::writeFile(dir / "plain-file", "x");
  const std::vector<std::vector<std::string>> cases = {
      {}, {"frobnicate"}, {"--bogus", "list"}, {"-C"}, {"list", "extra"}, {"list", "--dry-run"},
      {"check", "--click", "ADC"}, {"show"}, {"show", "NOPE"}, {"show", "#2"}, {"show", "#"}, {"show", "#1X"},
      {"show", "#99999999999"}, {"show", "demo08"}, {"show", "DEMO08", "RS08KA2"}, {"show", "DEMO08", "--name", "X"},
      {"show", "DEMO08", "--click", "NOPE"}, {"show", "DEMO08", "--click", "INIT"}, {"show", "DEMO08", "--click", "#0"},
      {"show", "DEMO08", "--click", "#3"}, {"show", "DEMO08", "--click", "#50"},
      {"show", "DEMO08", "--click", "ADC", "--click", "ICS"}, {"show", "DEMO08", "--click"}, {"build"},
      {"build", "DEMO08", "--click", "ADC", "--click", "ICS"}, {"build", "DEMO08", "--click", "NOPE"},
      {"build", "NOPE"}, {"build", "DEMO08", "--name"}, {"build", "DEMO08", "--name", "A", "--name", "B"},
      {"build", "DEMO08", "--dry-run=yes"}, {"build", "DEMO08", "--date", "2026-02-29"},
      {"build", "DEMO08", "--date", "2026-12-05", "--date", "2026-12-06"}, {"help", "bogus"}, {"help", "list", "show"},
      {"build", "DEMO08", "--print", "Sources/main.c"}, {"build", "DEMO08", "--dry-run", "--print", "../KeyFiles/DEMO08.mcp"}, {"build", "DEMO08", "--dry-run", "--print", "/etc/passwd"},
      {"build", "DEMO08", "--dry-run", "--print", "Sources/../Sources/main.c"}, {"show", "--", "DEMO08", "--click"},
      {"list", "--format=json", "--format=text"}, {"list", "--format=gcc"}, {"show", "DEMO08", "--format", "sarif"},
      {"check", "--format=json"}, {"build", "DEMO08", "--format=json"}, {"list", "-C", "."}, {"list", "-q"},
      {"show", "DEMO08", "--quiet"}, {"check", "--quiet=no"}};
  const auto before = test::snapshotTree(dir.path());
  for (const auto& args : cases) {
    CliResult r = runCliProgram(args, dir.path());
    EXPECT_EQ(r.status, 2) << describe(args);
    EXPECT_EQ(r.out, "") << describe(args);
    EXPECT_EQ(r.err.rfind("forgeline-cli: ", 0), 0u) << describe(args) << "\n" << r.err;
    EXPECT_EQ(test::linesOf(r.err).size(), 1u) << describe(args) << "\n" << r.err;
  }
  // -C names the reason it cannot enter a folder.
  std::vector<std::pair<std::string, std::string>> badFolders = {
      {dir / "missing", "No such file or directory"}, {dir / "plain-file", "Not a directory"},
      {"", "No such file or directory"}, {dir / "missing/deeper", "No such file or directory"}};
#ifndef _WIN32
  // Root enters any folder.
  test::makeDirectory(dir / "shut");
  if (::geteuid() != 0 && ::chmod((dir / "shut").c_str(), 0) == 0) badFolders.push_back({dir / "shut", "Permission denied"});
#endif
  for (const auto& [bad, reason] : badFolders) {
    CliResult r = runCliProgram({"-C", bad, "build", "DEMO08"}, dir.path());
    EXPECT_EQ(r.status, 2) << bad;
    const std::string start = "forgeline-cli: cannot enter directory '" + bad + "': ";
#ifdef _WIN32
    // Windows words its reasons itself (and Wine its own way): there is one.
    EXPECT_TRUE(r.err.starts_with(start) && r.err.ends_with("\n") && r.err.size() > start.size() + 1) << r.err;
    static_cast<void>(reason);
#else
    EXPECT_EQ(r.err, start + reason + "\n");
#endif
  }
#ifndef _WIN32
  ::rmdir((dir / "shut").c_str());
#endif
  // A file the build does not make is known only once the build has run.
  CliResult r = runCliProgram({"build", "DEMO08", "--dry-run", "--print", "Sources/none.c"}, dir.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(r.err.ends_with("\nforgeline-cli: the build writes no file 'Sources/none.c' in its project folder "
                              "'Project01'\n")) << r.err;
  EXPECT_EQ(test::snapshotTree(dir.path()), before);
}

// Only real calendar dates, written exactly as YYYY-MM-DD; one refusal is
// also run end to end above.
TEST(CliUsage, DatesAreRealCalendarDates) {
  struct Case {
    std::string text;
    int day = 0, month = 0, year = 0;  // all 0: refused
  } cases[] = {{"2024-02-29", 29, 2, 2024}, {"2000-02-29", 29, 2, 2000}, {"0001-01-01", 1, 1, 1},
               {"9999-12-31", 31, 12, 9999}, {"2026-12-05", 5, 12, 2026}, {"2026-02-29"}, {"1900-02-29"},
               {"2026-13-01"}, {"2026-04-31"}, {"0000-01-01"}, {"26-12-05"}, {"2026-1-05"}, {"2026/12/05"},
               {"2026-12-05x"}, {""}};
  // Every month at its last day and the day after, in a leap year, a common
  // year and the two kinds of century.
  std::vector<Case> walk(std::begin(cases), std::end(cases));
  for (const int year : {2024, 2026, 1900, 2000}) {
    for (unsigned month = 1; month <= 12; ++month) {
      const int last = static_cast<int>(
          static_cast<unsigned>(std::chrono::year_month_day_last(std::chrono::year(year) / std::chrono::month(month) /
                                                                  std::chrono::last).day()));
      char text[2][48];
      for (int after : {0, 1}) std::snprintf(text[after], sizeof text[after], "%04d-%02u-%02d", year, month, last + after);
      walk.push_back({text[0], last, static_cast<int>(month), year});
      walk.push_back({text[1]});
    }
  }
  for (const Case& c : walk) {
    const std::optional<CalendarDate> date = cli::parseDate(c.text);
    const std::vector<int> got = date ? std::vector<int>{date->day, date->month, date->year} : std::vector<int>(3);
    EXPECT_EQ(got, (std::vector<int>{c.day, c.month, c.year})) << c.text;
  }
}

TEST(CliStartUp, AScanAbortPrintsItsMessageAndExitsOne) {
  MemoryFileSystem noKeyFiles, noMcuFiles;
  noMcuFiles.addDirectory("KeyFiles");
  const std::vector<std::vector<std::string>> commands = {
      {"list"}, {"show", "DEMO08"}, {"build", "DEMO08"}, {"build", "DEMO08", "--dry-run"}};
  struct Case {
    MemoryFileSystem& dir;
    std::string message;
  } cases[] = {{noKeyFiles, "Could not find 'KeyFiles' directory. Will abort."},
               {noMcuFiles, "Found no MCU files. Will abort."}};
  for (const Case& c : cases) {
    const auto before = c.dir.snapshot();
    for (const auto& args : commands) {
      CliResult r = test::runCliOn(c.dir, args);
      EXPECT_EQ(r.status, 1) << describe(args);
      EXPECT_EQ(r.out, "") << describe(args);
      EXPECT_EQ(r.err, std::string(kTitle) + ": " + c.message + "\n") << describe(args);
    }
    EXPECT_EQ(c.dir.snapshot(), before);
  }
}

// The findings themselves are the checker's; the command prints each, then
// the summary unless -q, and fails only on errors. FILE... and --format
// reach the checker; a format it does not know is bad usage.
TEST(CliCheck, PrintsTheCheckersFindingsThenItsSummary) {
  MemoryFileSystem disk;
  test::writeKeyFiles(disk, {{"MCU_DEMO08.txt", test::kDemo08}}, {"DEMO08"});
  CliResult r = test::runCliOn(disk, {"check"});
  // A warning alone still passes.
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.starts_with("KeyFiles/MCU_DEMO08.txt:13: warning: module INIT defines no function MCU_Init"))
      << r.out;
  EXPECT_TRUE(r.out.ends_with("\n0 errors, 1 warning in 1 file\n")) << r.out;

  // Seven findings, six of them errors, then the summary.
  disk.addFile("KeyFiles/MCU_BAD.txt", "MODULE:X uses X\n6.\ncode\n");
  r = test::runCliOn(disk, {"check"});
  const std::vector<std::string> lines = test::linesOf(r.out);
  ASSERT_EQ(lines.size(), 9u) << r.out;
  for (std::size_t i = 0; i < 7; ++i) EXPECT_TRUE(lines[i].starts_with("KeyFiles/MCU_BAD.txt")) << lines[i];
  EXPECT_EQ(lines[8], "6 errors, 2 warnings in 2 files");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 1);
  // -q leaves out the summary line alone.
  const CliResult quiet = test::runCliOn(disk, {"check", "-q"});
  EXPECT_EQ(quiet.out + lines[8] + "\n", r.out);
  EXPECT_EQ(quiet.status, 1);

  r = test::runCliOn(disk, {"check", "--format=sarif", "KeyFiles/MCU_DEMO08.txt"});
  EXPECT_TRUE(r.out.starts_with("{\n  \"$schema\"")) << r.out;
  EXPECT_NE(r.out.find("\"summary\": \"0 errors, 1 warning in 1 file\""), std::string::npos) << r.out;
  EXPECT_EQ(r.status, 0);
  r = test::runCliOn(disk, {"check", "--format", "xml"});
  EXPECT_EQ(r.err, "forgeline-cli: invalid format 'xml': expected gcc or sarif (see forgeline-cli --help)\n");
  EXPECT_EQ(r.status, 2);
}

// Where the window would abort, check runs without its scan and reports the
// cause as its own findings, with a summary.
TEST(CliCheck, NoKeyFilesOrNoMcuFileAreFindings) {
  MemoryFileSystem empty, nearMiss;
  test::writeKeyFiles(nearMiss, {{"MCU-x.txt", "MenuName=X\n"}});
  struct Case {
    MemoryFileSystem& dir;
    std::string out;
  } cases[] = {
      {.dir = empty,
       .out = "KeyFiles: error: there is no KeyFiles folder here: the wizard shows \"Could not find 'KeyFiles' "
              "directory. Will abort.\" and ends; run the check in the folder that holds KeyFiles\n"
              "1 error, 0 warnings in 0 files\n"},
      {.dir = nearMiss,
       .out = "KeyFiles: error: no file in KeyFiles matches \"MCU_*.txt\": the wizard shows \"Found no MCU files. "
              "Will abort.\" and ends; add at least one MCU_NAME.txt\n"
              "KeyFiles/MCU-x.txt: warning: the name does not match \"MCU_*.txt\" exactly (\"-\" where \"_\" "
              "belongs), so the wizard never lists this file; rename it to MCU_x.txt\n"
              "1 error, 1 warning in 0 files\n"},
  };
  for (const Case& c : cases) {
    CliResult r = test::runCliOn(c.dir, {"check"});
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 1);
  }
}
