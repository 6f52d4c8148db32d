// Memory that runs out in the middle of a command ends it with one line and
// exit status 1, never an abort; no test can make the real program run out
// at a chosen moment, so this one runs it in-process on a memory disk that throws.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliApp.h"
#include "cli/CliProcess.h"
#include "support/TestSupport.h"

using namespace forgeline;

namespace {

// Lets `calls` files and folders be opened or made, then has no memory left.
class RunsOutOfMemory : public FileSystemWrapper {
 public:
  RunsOutOfMemory(FileSystem& disk, int calls, bool& threw) : FileSystemWrapper(disk), calls_(calls), threw_(threw) {}
  std::unique_ptr<InputFile> openForReading(const std::string& path) override {
    return spend(), target().openForReading(path);
  }
  std::unique_ptr<OutputFile> openForWriting(const std::string& path) override {
    return spend(), target().openForWriting(path);
  }
  bool copyFile(const std::string& from, const std::string& to) override { return spend(), target().copyFile(from, to); }
  DirectoryCreation createDirectory(const std::string& path) override {
    return spend(), target().createDirectory(path);
  }

 private:
  void spend() {
    if (calls_-- > 0) return;
    threw_ = true;
    throw std::bad_alloc();
  }
  int calls_;
  bool& threw_;
};

}  // namespace

// Every moment of each command, until one runs to its end.
TEST(OutOfMemory, AnyCommandEndsWithOneLineAndExitsOne) {
  const std::vector<std::vector<std::string>> commands = {
      {"list"}, {"show", "#1"}, {"check"}, {"check", "--format=sarif"}, {"build", "#1", "--date", "2024-12-06"}};
  for (const auto& command : commands) {
    bool threw = true;
    for (int calls = 0; threw; ++calls) {
      SCOPED_TRACE(test::describe(command) + " after " + std::to_string(calls) + " calls");
      MemoryFileSystem disk;
      test::writeTwoMcuKeyFiles(disk);
      const auto before = disk.snapshot();
      threw = false;
      const test::CliResult r = test::runCliOn(disk, command, [&](FileSystem& memory) {
        return std::make_unique<RunsOutOfMemory>(memory, calls, threw);
      });
      if (!threw) {
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_GT(calls, 0);
        break;
      }
      EXPECT_EQ(r.status, 1);
      EXPECT_EQ(r.err, "forgeline-cli: out of memory; the command stopped unfinished\n");
      // A build leaves what it had made, as after any failure, but never a
      // half-written file under its temporary name.
      const auto after = disk.snapshot();
      for (const auto& [path, bytes] : after) EXPECT_EQ(path.find(".part"), std::string::npos) << path;
      if (command.front() != "build") {
        EXPECT_EQ(after, before);
      }
    }
  }
}
