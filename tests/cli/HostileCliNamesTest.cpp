// Project names that look like options, paths or format patterns, given to
// forgeline-cli build as a script would: each is taken as the name and
// nothing else, and nothing outside its own new folder changes.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "support/TestSupport.h"

using namespace forgeline;
using namespace forgeline::test;

namespace {

constexpr const char* kBuilt = "forgeline-cli: CodeWarrior 6.3 Project created successfully. Will now exit GUI.\n";
constexpr const char* kRefused =
    "Forgeline for 8-bit MCUs   - rev15: That project folder exists already. Please try a different project name.\n";

struct CliNameRow {
  std::string name;
  int status;
  std::string err;
  std::string folder;  // the one folder the build may add to the main folder; empty: none
};

TEST(HostileCliNames, OptionLikeAndPathLikeNamesAreJustNames) {
  const std::vector<CliNameRow> rows = {
      {"-rf", 0, kBuilt, "-rf"},
      {"--help", 0, kBuilt, "--help"},
      {"--name", 0, kBuilt, "--name"},
      {"--", 0, kBuilt, "--"},
      {"%s%n%x", 0, kBuilt, "%s%n%x"},
      {"two\nlines", 0, kBuilt, "two\nlines"},
      {"../x", 1, kRefused, ""},
      {"/tmp/x", 1, kRefused, ""},
      {"a\\b", 1, kRefused, ""},
      {"", 1, kRefused, ""},
      {"KeyFiles", 1, kRefused, ""},
  };
  for (const CliNameRow& row : rows) {
    SCOPED_TRACE("name \"" + row.name + "\"");
    TempDir dir;
    writeTwoMcuKeyFiles(dir / "main");
    writeFile(dir / "beside.txt", "beside\n");
    const auto before = snapshotTree(dir.path());
    const std::vector<std::string> args{"-C", "main", "build", "#0", "--name", row.name, "--date", "2024-12-06"};
    CliResult result = runCliProgram(args, dir.path());
    EXPECT_EQ(result.status, row.status) << describe(args);
    EXPECT_EQ(result.err, row.err) << describe(args);

    auto after = snapshotTree(dir.path());
    const std::string inside = "main/" + row.folder;
    for (auto it = after.begin(); it != after.end();) {
      const bool added = !before.contains(it->first);
      if (added && !row.folder.empty() && (it->first == inside || it->first.starts_with(inside + "/"))) {
        it = after.erase(it);
      } else {
        ++it;
      }
    }
    EXPECT_EQ(after, before) << describe(args);
    if (!row.folder.empty()) {
      EXPECT_TRUE(exists(dir / "main/" + row.folder + "/" + row.folder + ".mcp")) << describe(args);
    }
  }
}

}  // namespace
