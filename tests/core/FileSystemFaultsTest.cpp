// What every disk says when a folder cannot be made, and what removing the
// unfinished file (as a signal or console handler does) leaves behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "core/FileSystem.h"
#include "core/MemoryFileSystem.h"
#include "support/TestSupport.h"

using namespace forgeline;
using Outcome = DirectoryCreation::Outcome;

// The real disk and the memory disk, alone or over the real one, tell a
// folder made from a name already taken from any other failure, and give a
// reason exactly for the last.
TEST(DirectoryCreation, EveryDiskTellsMadeTakenAndWhyNot) {
  struct Case {
    std::string path;
    Outcome outcome;
    bool needsLinks = false;
  } cases[] = {
      {"New", Outcome::made},
      {"New", Outcome::exists},
      {"New/", Outcome::exists},
      {"New/Inner", Outcome::made},
      {"file", Outcome::exists},
      {"dangling", Outcome::exists, true},
      {"missing/New", Outcome::failed},
      {"file/New", Outcome::failed},
      {"", Outcome::failed},
  };
  test::TempDir dir;
  for (const std::string folder : {"real", "under"}) {
    test::writeFile(dir / folder + "/file", "x");
#ifndef _WIN32
    test::makeSymlink("nowhere", dir / folder + "/dangling");
#endif
  }
  RealFileSystem real(dir / "real"), disk(dir / "under");
  MemoryFileSystem overDisk(disk), alone;
  alone.addFile("file", "x");
  const std::pair<const char*, FileSystem*> disks[] = {{"real", &real}, {"memory over disk", &overDisk}, {"memory", &alone}};
  for (const auto& [name, fs] : disks) {
    for (const Case& c : cases) {
#ifdef _WIN32
      if (c.needsLinks) continue;  // Wine makes no links
#endif
      if (c.needsLinks && fs == &alone) continue;
      const DirectoryCreation got = fs->createDirectory(c.path);
      EXPECT_EQ(got.outcome, c.outcome) << name << ": '" << c.path << "'";
      EXPECT_EQ(got.reason.empty(), c.outcome != Outcome::failed) << name << ": '" << c.path << "' " << got.reason;
      EXPECT_EQ(static_cast<bool>(got), c.outcome == Outcome::made) << name << ": '" << c.path << "'";
    }
  }
#ifndef _WIN32
  // The system's own words, as strerror gives them.
  EXPECT_EQ(real.createDirectory("missing/New").reason, "No such file or directory");
  EXPECT_EQ(real.createDirectory("file/New").reason, "Not a directory");
#endif
}

// A handler stops the program while a file is half written: its temporary
// is removed at once, and the file can no longer take its name. Run apart,
// since on Windows no file may start in this process afterwards.
TEST(UnfinishedFile, RemovedWhileWrittenNeverTakesItsName) {
  test::TempDir dir;
  EXPECT_EXIT(
      {
        RealFileSystem fs(dir.path());
        std::unique_ptr<OutputFile> out = fs.openForWriting("Project.prm");
        const bool written = out && out->write("half of it");
        removeUnfinishedFile();
        const bool closed = out && out->close();
        out.reset();
        std::exit(written && !closed && test::snapshotTree(dir.path()).empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_TRUE(test::snapshotTree(dir.path()).empty());
}
