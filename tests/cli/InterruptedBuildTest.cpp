// A build stopped by a signal at a random moment, most often while it
// copies a large .mcp template: every file the project holds afterwards is
// whole. A temporary may stay behind after SIGKILL (the program never
// learns of it), never under a final name; SIGTERM and SIGINT remove it.
//
// The default run is small; FORGELINE_KILLED_BUILDS and
// FORGELINE_KILLED_TEMPLATE_MB make it as heavy as wanted, e.g. 50 builds
// with a 300 MB template.
#include <gtest/gtest.h>

#ifdef _WIN32
// Windows has no signals to send another process (TerminateProcess gives it
// no chance to tidy up), so there is nothing of this kind to prove there.
TEST(InterruptedBuild, EveryFileLeftBehindIsWhole) {
  GTEST_SKIP() << "needs POSIX signals (SIGINT, SIGTERM, SIGKILL), which Windows does not have";
}
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cli/CliProcess.h"
#include "support/TestSupport.h"

using namespace forgeline;
using namespace forgeline::test;

namespace {

long fromEnvironment(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atol(value) > 0 ? std::atol(value) : fallback;
}

// A sparse template of `size` bytes with markers at both ends, so a copy
// is known whole by its size and its last bytes without reading it all.
void writeLargeTemplate(const std::string& path, off_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, "HEAD", 4, 0), 4);
  ASSERT_EQ(::pwrite(fd, "TAIL", 4, size - 4), 4);
  ::close(fd);
}

bool isWholeTemplate(const std::string& path, off_t size) {
  struct stat info {};
  char head[4] = {}, tail[4] = {};
  const int fd = ::open(path.c_str(), O_RDONLY);
  const bool whole = fd >= 0 && ::fstat(fd, &info) == 0 && info.st_size == size && ::pread(fd, head, 4, 0) == 4 &&
                     ::pread(fd, tail, 4, size - 4) == 4 && std::string(head, 4) == "HEAD" &&
                     std::string(tail, 4) == "TAIL";
  if (fd >= 0) ::close(fd);
  return whole;
}

pid_t startBuild(const std::string& mainFolder, const std::string& name) {
  return startCliProgram({"-C", mainFolder, "build", "DEMO08", "--name", name, "--date", "2024-12-06"}, "/",
                         "/dev/null", "/dev/null");
}

}  // namespace

TEST(InterruptedBuild, EveryFileLeftBehindIsWhole) {
  const long builds = fromEnvironment("FORGELINE_KILLED_BUILDS", 6);
  const off_t size = static_cast<off_t>(fromEnvironment("FORGELINE_KILLED_TEMPLATE_MB", 8)) << 20;
  TempDir dir;
  const std::string main = dir / "main";
  writeTwoMcuKeyFiles(main);
  writeLargeTemplate(main + "/KeyFiles/DEMO08.mcp", size);

  // One build that runs to its end: the files a stopped one may hold, and
  // how long a whole build takes.
  const auto started = std::chrono::steady_clock::now();
  // Every round uses the same name (main.c carries it) in a fresh folder.
  const std::string name = "P", project = main + "/P";
  ASSERT_EQ(waitForProgram(startBuild(main, name)), 0);
  const auto wholeBuild = std::chrono::steady_clock::now() - started;
  ASSERT_TRUE(isWholeTemplate(project + "/P.mcp", size));
  std::map<std::string, std::string> whole = snapshotTree(project);
  whole.erase("P.mcp");
  std::filesystem::remove_all(project);

  std::mt19937 random(static_cast<unsigned>(fromEnvironment("FORGELINE_KILLED_SEED", 20241206)));
  const int signals[] = {SIGKILL, SIGKILL, SIGTERM, SIGINT};
  int withTemplate = 0, leftoverTemporaries = 0;
  for (long round = 0; round < builds; ++round) {
    const int signal = signals[round % 4];
    SCOPED_TRACE("build " + std::to_string(round) + " stopped by signal " + std::to_string(signal));
    std::uniform_int_distribution<long> moment(0, std::chrono::duration_cast<std::chrono::microseconds>(wholeBuild).count());
    const pid_t pid = startBuild(main, name);
    ::usleep(static_cast<useconds_t>(moment(random)));
    ::kill(pid, signal);
    waitForProgram(pid);

    if (!exists(project)) continue;
    for (const auto& [path, content] : snapshotTree(project)) {
      const std::string file = path.substr(path.find_last_of('/') + 1);
      if (file.starts_with(".") && file.ends_with(".part")) {
        ++leftoverTemporaries;
        // Only SIGKILL leaves the program no moment to remove it.
        EXPECT_EQ(signal, SIGKILL) << path;
      } else if (path == name + ".mcp") {
        ++withTemplate;
        EXPECT_TRUE(isWholeTemplate(project + "/" + path, size)) << path;
      } else {
        ASSERT_TRUE(whole.contains(path)) << path;
        EXPECT_EQ(content, whole.at(path)) << path;
      }
    }
    std::filesystem::remove_all(project);
  }
  std::cout << builds << " builds stopped with a " << (size >> 20) << " MB template: " << withTemplate
            << " held their .mcp (all whole), " << leftoverTemporaries << " temporaries left behind\n";
}
#endif
