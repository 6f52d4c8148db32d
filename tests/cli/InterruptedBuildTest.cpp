// A build stopped by a signal at a random moment, most often while it
// copies a large .mcp template: every file the project holds afterwards is
// whole. A temporary may stay behind after SIGKILL (the program never
// learns of it), never under a final name; every signal that ends the
// program otherwise removes it. A file-size limit fails the copy as a full
// disk does.
//
// The default run stops one build with each signal; FORGELINE_KILLED_BUILDS
// and FORGELINE_KILLED_TEMPLATE_MB make it as heavy as wanted, e.g. 50 builds
// with a 300 MB template.
#include <gtest/gtest.h>

// Windows has no signals to send another process (TerminateProcess gives it
// no chance to tidy up) and no file-size limit: nothing of this kind to prove.
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

// Every signal the program tidies up after, one round each, and SIGKILL,
// which it never sees, twice.
const int kSignals[] = {SIGKILL, SIGKILL, SIGTERM, SIGINT,  SIGHUP,
                        SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2};

// Every run uses the same name (main.c carries it) in a fresh folder.
pid_t startBuild(const std::string& mainFolder, const std::string& errPath = "/dev/null") {
  return startCliProgram({"-C", mainFolder, "build", "DEMO08", "--name", "P", "--date", "2024-12-06"}, "/",
                         "/dev/null", errPath);
}

// A soft limit of this process, and so of the programs it starts, for as
// long as the object lives.
class ScopedLimit {
 public:
  ScopedLimit(int resource, rlim_t soft) : resource_(resource) {
    ::getrlimit(resource_, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = std::min(soft, saved_.rlim_max);
    ::setrlimit(resource_, &limit);
  }
  ~ScopedLimit() { ::setrlimit(resource_, &saved_); }
  ScopedLimit(const ScopedLimit&) = delete;
  ScopedLimit& operator=(const ScopedLimit&) = delete;

 private:
  int resource_;
  rlimit saved_{};
};

bool isTemporary(const std::string& path) {
  const std::string file = path.substr(path.find_last_of('/') + 1);
  return file.starts_with(".") && file.ends_with(".part");
}

// Whether the large template's temporary is being written under `folder`.
bool copyingTheTemplate(const std::string& folder) {
  std::error_code error, sizeError;
  std::filesystem::recursive_directory_iterator it(folder, error), end;
  for (; !error && it != end; it.increment(error))
    if (isTemporary(it->path().string()) && std::filesystem::file_size(it->path(), sizeError) >= 65536) return true;
  return false;
}

// `rounds` runs of `start`, each stopped by the next of kSignals; `afterEach`
// looks at what the run left and clears up. SIGKILL comes at a random moment
// within `whole`, the time a run takes to its end. The signals the program
// tidies up after come while it copies the template into `project`: left to
// chance, a round may end before a temporary exists, and a signal the
// program forgot would go unseen.
void stopAtRandomMoments(long rounds, std::chrono::steady_clock::duration whole, const std::string& project,
                         const std::function<pid_t()>& start, const std::function<void(int signal)>& afterEach) {
  std::mt19937 random(static_cast<unsigned>(fromEnvironment("FORGELINE_KILLED_SEED", 20241206)));
  std::uniform_int_distribution<long> moment(0, std::chrono::duration_cast<std::chrono::microseconds>(whole).count());
  // SIGQUIT dumps a core by default: none is wanted here.
  const ScopedLimit noCore(RLIMIT_CORE, 0);
  for (long round = 0; round < rounds; ++round) {
    const int signal = kSignals[static_cast<std::size_t>(round) % std::size(kSignals)];
    SCOPED_TRACE("round " + std::to_string(round) + " stopped by signal " + std::to_string(signal));
    const pid_t pid = start();
    if (signal == SIGKILL) {
      ::usleep(static_cast<useconds_t>(moment(random)));
    } else {
      const auto giveUp = std::chrono::steady_clock::now() + 10 * whole;
      while (!copyingTheTemplate(project) && std::chrono::steady_clock::now() < giveUp) {
      }
    }
    ::kill(pid, signal);
    waitForProgram(pid);
    afterEach(signal);
  }
}

}  // namespace

TEST(InterruptedBuild, EveryFileLeftBehindIsWhole) {
  const long builds = fromEnvironment("FORGELINE_KILLED_BUILDS", static_cast<long>(std::size(kSignals)));
  const off_t size = static_cast<off_t>(fromEnvironment("FORGELINE_KILLED_TEMPLATE_MB", 8)) << 20;
  TempDir dir;
  const std::string main = dir / "main", project = main + "/P";
  writeTwoMcuKeyFiles(main);
  writeLargeTemplate(main + "/KeyFiles/DEMO08.mcp", size);

  // One build that runs to its end: the files a stopped one may hold, and
  // how long a whole build takes.
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(waitForProgram(startBuild(main)), 0);
  const auto wholeBuild = std::chrono::steady_clock::now() - started;
  ASSERT_TRUE(isWholeTemplate(project + "/P.mcp", size));
  std::map<std::string, std::string> whole = snapshotTree(project);
  whole.erase("P.mcp");
  std::filesystem::remove_all(project);

  int withTemplate = 0, leftoverTemporaries = 0;
  stopAtRandomMoments(builds, wholeBuild, project, [&] { return startBuild(main); }, [&](int signal) {
    if (!exists(project)) return;
    for (const auto& [path, content] : snapshotTree(project)) {
      if (isTemporary(path)) {
        ++leftoverTemporaries;
        // Only SIGKILL leaves the program no moment to remove it.
        EXPECT_EQ(signal, SIGKILL) << path;
      } else if (path == "P.mcp") {
        ++withTemplate;
        EXPECT_TRUE(isWholeTemplate(project + "/" + path, size)) << path;
      } else {
        ASSERT_TRUE(whole.contains(path)) << path;
        EXPECT_EQ(content, whole.at(path)) << path;
      }
    }
    std::filesystem::remove_all(project);
  });
  std::cout << builds << " builds stopped with a " << (size >> 20) << " MB template: " << withTemplate
            << " held their .mcp (all whole), " << leftoverTemporaries << " temporaries left behind\n";
}

// An update stopped at a random moment while it merges main.c and copies a
// new large template: every file of the project is the one before the
// update or the one after it, whole, the record included.
TEST(InterruptedBuild, AStoppedUpdateLeavesEveryFileAsItWasOrAsItBecomes) {
  const off_t size = static_cast<off_t>(fromEnvironment("FORGELINE_KILLED_TEMPLATE_MB", 8)) << 20;
  TempDir dir;
  const std::string main = dir / "main", project = main + "/P", saved = dir / "saved";
  writeTwoMcuKeyFiles(main);
  writeLargeTemplate(main + "/KeyFiles/DEMO08.mcp", size);
  ASSERT_EQ(waitForProgram(startBuild(main)), 0);
  writeFile(project + "/Sources/main.c", readFile(project + "/Sources/main.c") + "/* mine */\r\n");
  std::filesystem::copy(project, saved, std::filesystem::copy_options::recursive);
  writeLargeTemplate(main + "/KeyFiles/DEMO08.mcp", size + 4096);
  std::string keyFile = readFile(main + "/KeyFiles/MCU_DEMO08.txt");
  keyFile.replace(keyFile.find("  for (;;) { }\n"), 15, "  for (;;) { /* fixed */ }\n");
  writeFile(main + "/KeyFiles/MCU_DEMO08.txt", keyFile);
  auto startUpdate = [&] { return startCliProgram({"-C", main, "update", "P"}, "/", "/dev/null", "/dev/null"); };
  auto restore = [&] {
    std::filesystem::remove_all(project);
    std::filesystem::copy(saved, project, std::filesystem::copy_options::recursive);
  };

  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(waitForProgram(startUpdate()), 0);
  const auto wholeUpdate = std::chrono::steady_clock::now() - started;
  ASSERT_TRUE(isWholeTemplate(project + "/P.mcp", size + 4096));
  std::map<std::string, std::string> before = snapshotTree(saved), after = snapshotTree(project);
  before.erase("P.mcp");
  after.erase("P.mcp");
  ASSERT_NE(before.at("Sources/main.c"), after.at("Sources/main.c"));
  ASSERT_NE(after.at("Sources/main.c").find("/* mine */"), std::string::npos);
  restore();

  stopAtRandomMoments(static_cast<long>(std::size(kSignals)), wholeUpdate, project, startUpdate, [&](int signal) {
    for (const auto& [path, content] : snapshotTree(project)) {
      if (isTemporary(path)) {
        EXPECT_EQ(signal, SIGKILL) << path;
      } else if (path == "P.mcp") {
        EXPECT_TRUE(isWholeTemplate(project + "/P.mcp", size) || isWholeTemplate(project + "/P.mcp", size + 4096));
      } else {
        EXPECT_TRUE(content == before[path] || content == after[path]) << path;
      }
    }
    restore();
  });
}

// A write past the file-size limit (ulimit -f) fails as one on a full disk
// does: the step's numbered error, exit 1, the temporary removed, and no
// file short under its own name.
TEST(InterruptedBuild, AFileSizeLimitFailsTheCopyLikeAFullDisk) {
  const off_t size = off_t{8} << 20;
  struct Case {
    std::string large;     // the template made larger than the limit
    std::string copyName;  // its name in the project
    std::string error;
  } cases[] = {
      {"Default.mem", "Default.mem", "forgeline-cli: Error 19: Could not copy 'Default.mem'.\n"},
      {"DEMO08.mcp", "P.mcp", "forgeline-cli: Error 20: Could not copy MCP file.\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string main = dir / "main";
    writeTwoMcuKeyFiles(main);
    writeLargeTemplate(main + "/KeyFiles/" + c.large, size);
    pid_t pid = -1;
    {
      const ScopedLimit fileSize(RLIMIT_FSIZE, 1000 * 1024);  // ulimit -f 1000
      pid = startBuild(main, dir / "err");
    }
    EXPECT_EQ(waitForProgram(pid), 1) << c.large;
    EXPECT_EQ(readFile(dir / "err"), c.error) << c.large;
    for (const auto& [path, content] : snapshotTree(main + "/P")) EXPECT_FALSE(isTemporary(path)) << path;
    EXPECT_TRUE(exists(main + "/P/Sources/main.c")) << c.large;
    EXPECT_FALSE(exists(main + "/P/" + c.copyName)) << c.large;
  }
}

// A signal the caller ignores, as nohup ignores SIGHUP, stays ignored: the
// build runs to its end however often it comes.
TEST(InterruptedBuild, ASignalTheCallerIgnoresIsLeftIgnored) {
  TempDir dir;
  const std::string main = dir / "main";
  writeTwoMcuKeyFiles(main);
  writeLargeTemplate(main + "/KeyFiles/DEMO08.mcp", off_t{8} << 20);
  struct sigaction ignore {}, saved {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGHUP, &ignore, &saved);
  const pid_t pid = startBuild(main);
  ::sigaction(SIGHUP, &saved, nullptr);
  int wstatus = 0;
  // Again and again until it ends, so some of them come after the program
  // has set up its own handling.
  while (::waitpid(pid, &wstatus, WNOHANG) == 0) {
    ::kill(pid, SIGHUP);
    ::usleep(500);
  }
  ASSERT_TRUE(WIFEXITED(wstatus)) << "ended by signal " << WTERMSIG(wstatus);
  EXPECT_EQ(WEXITSTATUS(wstatus), 0);
  EXPECT_TRUE(exists(main + "/P/P.mcp"));
}
#endif
