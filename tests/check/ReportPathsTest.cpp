// The paths a report prints open from the folder the command was run in,
// and its SARIF log says the same with URIs a code-scanning service takes;
// every kind of finding has its row in the README's table, word for word.
#include "check/KeyFileChecker.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

using namespace forgeline;

// Paths are worked out on their text: the two folders, then each file as a
// gcc line and as a SARIF location.
TEST(ReportPaths, NamesEachFileFromTheWorkingFolder) {
  struct Case {
    std::string checked, working, file;
    std::string shown, uri;
    bool underBase;
  } cases[] = {
      // One folder: names as found, byte for byte, even "./" and "..".
      {"/w", "/w", "KeyFiles/MCU_A.txt", "KeyFiles/MCU_A.txt", "KeyFiles/MCU_A.txt", true},
      {"/w", "/w", "./KeyFiles/MCU_A.txt", "./KeyFiles/MCU_A.txt", "KeyFiles/MCU_A.txt", true},
      {"/w", "/w", "../o/MCU_A.txt", "../o/MCU_A.txt", "file:///o/MCU_A.txt", false},
      // -C below the working folder, also in steps and through "..".
      {"/w/lab", "/w", "KeyFiles/MCU_A.txt", "lab/KeyFiles/MCU_A.txt", "lab/KeyFiles/MCU_A.txt", true},
      {"/w/a/../lab/.", "/w/", "KeyFiles", "lab/KeyFiles", "lab/KeyFiles", true},
      {"/w/lab", "/w", "../b/MCU_A.txt", "b/MCU_A.txt", "b/MCU_A.txt", true},
      // Outside the working folder: absolute; a sibling that shares a prefix is outside.
      {"/other", "/w", "KeyFiles/MCU_A.txt", "/other/KeyFiles/MCU_A.txt", "file:///other/KeyFiles/MCU_A.txt", false},
      {"/wx", "/w", "K", "/wx/K", "file:///wx/K", false},
      {"/w/lab", "/w", "../../x", "/x", "file:///x", false},
      {"/w/lab", "/w", "../..", "/", "file:///", false},
      // Given absolute: printed as given; in SARIF relative when inside.
      {"/w/lab", "/w", "/w/k/M.txt", "/w/k/M.txt", "k/M.txt", true},
      {"/w/lab", "/w", "/elsewhere//M.txt", "/elsewhere//M.txt", "file:///elsewhere/M.txt", false},
      // The root as working folder.
      {"/lab", "/", "KeyFiles/MCU_A.txt", "lab/KeyFiles/MCU_A.txt", "lab/KeyFiles/MCU_A.txt", true},
      // The root as the checked folder: no "//", which would name a server.
      {"/", "/w", "KeyFiles/MCU_A.txt", "/KeyFiles/MCU_A.txt", "file:///KeyFiles/MCU_A.txt", false},
      // Folders unknown: as found.
      {"", "/w", "KeyFiles/M.txt", "KeyFiles/M.txt", "KeyFiles/M.txt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.checked + " | " + c.working + " | " + c.file);
    const ReportPaths paths(c.checked, c.working);
    EXPECT_EQ(paths.shown(c.file), c.shown);
    const ReportPaths::Location where = paths.location(c.file);
    EXPECT_EQ(where.uri, c.uri);
    EXPECT_EQ(where.underBase, c.underBase);
  }
  EXPECT_EQ(ReportPaths("/w/lab", "/w a/").baseUri(), "file:///w%20a/");
  EXPECT_EQ(ReportPaths("/", "/").baseUri(), "file:///");
  EXPECT_EQ(ReportPaths().baseUri(), "");
  // Windows' absolute paths: a drive keeps its colon, a share names its server.
  const std::map<std::string, std::string> uris = {{"C:/Users/a b/K", "file:///C:/Users/a%20b/K"},
                                                   {"d:/", "file:///d:/"},
                                                   {"//server/share/K#", "file://server/share/K%23"}};
  for (const auto& [path, uri] : uris) EXPECT_EQ(fileUri(path), uri) << path;
#ifdef _WIN32
  const ReportPaths drive("C:/w/lab", "C:/w");
  EXPECT_EQ(drive.shown("KeyFiles\\M.txt"), "lab/KeyFiles/M.txt");
  EXPECT_EQ(drive.shown("D:\\x\\M.txt"), "D:\\x\\M.txt");
  EXPECT_EQ(drive.location("D:\\x\\M.txt").uri, "file:///D:/x/M.txt");
  EXPECT_EQ(drive.location("..\\..\\y").uri, "file:///C:/y");
  EXPECT_EQ(drive.baseUri(), "file:///C:/w/");
#endif
}

namespace {

// The README's table of findings, row by row, its cells as Markdown.
std::vector<std::vector<std::string>> readmeRows() {
  const char* source = std::getenv("FORGELINE_SOURCE_DIR");
  EXPECT_NE(source, nullptr);
  std::istringstream readme(test::readFile(std::string(source ? source : ".") + "/README.md"));
  std::vector<std::vector<std::string>> rows;
  const std::regex row(R"(^\| `([a-z0-9-]+)` \| (error|warning) \| (.*) \| (.*) \|$)");
  std::smatch m;
  for (std::string line; std::getline(readme, line);)
    if (std::regex_match(line, m, row)) rows.push_back({m[1], m[2], m[3], m[4]});
  return rows;
}

// A Markdown cell as plain text: a backslash shows the character after it.
std::string plain(const std::string& markdown) { return std::regex_replace(markdown, std::regex(R"(\\(.))"), "$1"); }

}  // namespace

// The table in the code and the README's are one: every kind, in the same
// order, with its own id, severity, title and description; the SARIF log's
// rules carry that description as their help, as the README's Markdown.
TEST(FindingKinds, EveryKindIsTheReadmesRowWordForWord) {
  const std::vector<std::vector<std::string>> rows = readmeRows();
  std::ostringstream log;
  writeSarif(CheckReport{}, log);
  const nlohmann::json driver = nlohmann::json::parse(log.str()).at("runs").at(0).at("tool").at("driver");
  EXPECT_EQ(driver.at("name"), "forgeline-cli check");
  const nlohmann::json& rules = driver.at("rules");
  ASSERT_EQ(rows.size(), findingKinds().size());
  ASSERT_EQ(rules.size(), findingKinds().size());
  std::set<std::string> ids;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FindingKindInfo& kind = findingKinds()[i];
    SCOPED_TRACE(kind.id);
    EXPECT_TRUE(ids.insert(kind.id).second);
    EXPECT_EQ(rows[i][0], kind.id);
    EXPECT_EQ(rows[i][1], kind.severity == Severity::error ? "error" : "warning");
    EXPECT_EQ(plain(rows[i][2]), kind.title);
    EXPECT_EQ(plain(rows[i][3]), kind.description);
    EXPECT_EQ(rules[i].at("id"), kind.id);
    EXPECT_EQ(rules[i].at("fullDescription").at("text"), kind.description);
    EXPECT_EQ(rules[i].at("help").at("text"), kind.description);
    EXPECT_EQ(rules[i].at("help").at("markdown"), rows[i][3]);
  }
}
