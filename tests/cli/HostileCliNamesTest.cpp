// Project names that look like options or format patterns, given to
// forgeline-cli build as a script would (in-process, on the memory disk): each is taken as the name and
// nothing else, and nothing outside its own new folder changes. What names
// do to the build itself is proven on the builder; here only what the
// command line adds: option parsing, the exit status and the message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "support/TestSupport.h"

using namespace forgeline;
using namespace forgeline::test;

TEST(HostileCliNames, OptionLikeNamesAreJustNames) {
  const std::string built = "forgeline-cli: CodeWarrior 6.3 Project created successfully. Will now exit GUI.\n";
  const std::string refused =
      "Forgeline for 8-bit MCUs   - rev15: That name cannot be used as a folder name. Please try a different project "
      "name.\n";
  // The name and the one folder the build may add to the main folder; none: refused.
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"-rf", "-rf"}, {"--help", "--help"}, {"--name", "--name"}, {"--", "--"}, {"%s%n%x", "%s%n%x"},
      {"../x", ""},   {"", ""},           {"CON", ""},         {"a:b", ""}, {"x.", ""},
  };
  for (const auto& [name, folder] : rows) {
    const std::vector<std::string> args{"build", "#0", "--name", name, "--date", "2024-12-06"};
    SCOPED_TRACE(describe(args));
    MemoryFileSystem disk;
    disk.addDirectory("/main");
    disk.changeDirectory("/main");
    writeTwoMcuKeyFiles(disk);
    disk.addFile("/beside.txt", "beside\n");
    const auto before = disk.snapshot();
    CliResult result = runCliOn(disk, args);
    EXPECT_EQ(result.status, folder.empty() ? 1 : 0);
    EXPECT_EQ(result.err, folder.empty() ? refused : built);
    const auto after = disk.snapshot();
    EXPECT_EQ(changesOutside(before, after, folder.empty() ? "" : "/main/" + folder), "");
    if (!folder.empty()) { EXPECT_TRUE(after.contains("/main/" + folder + "/" + folder + ".mcp")); }
  }
}
