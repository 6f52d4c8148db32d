#include "cli/RecordingFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/TestSupport.h"

using namespace forgeline;
using cli::RecordingFileSystem;

// What the dry run prints and that it leaves the disk alone is checked end to
// end; these are the refusals and read-backs a build meets only on odd disks.
TEST(RecordingFileSystem, MadeFoldersAndFilesExistOnlyInMemory) {
  test::TempDir dir;
  test::writeFile(dir / "KeyFiles/burner.bbl", "burner\r\n");
  const auto before = test::snapshotTree(dir.path());
  RealFileSystem disk(dir.path() + "/KeyFiles");
  RecordingFileSystem fs(disk, [](const std::string&) {});

  ASSERT_TRUE(fs.changeDirectory(".."));
  ASSERT_TRUE(fs.createDirectory("P"));
  EXPECT_FALSE(fs.createDirectory("P"));
  EXPECT_FALSE(fs.createDirectory("KeyFiles"));
  ASSERT_TRUE(fs.changeDirectory("P"));
  EXPECT_EQ(fs.currentDirectory(), dir / "P");
  ASSERT_TRUE(fs.createDirectory("prm/"));
  ASSERT_TRUE(fs.changeDirectory("prm"));
  auto prm = fs.openForWriting("Project.prm");
  EXPECT_TRUE(prm && prm->write("abc\r\n") && prm->close());
  EXPECT_TRUE(fs.copyFile("../../KeyFiles/burner.bbl", "burner.bbl"));
  EXPECT_FALSE(fs.copyFile("../../KeyFiles/missing.c", "missing.c"));
  EXPECT_FALSE(fs.copyFile("../../KeyFiles", "folder"));
  EXPECT_TRUE(fs.copyFile("Project.prm", "../again.prm"));
  EXPECT_FALSE(fs.copyFile("Project.prm", ".."));
  EXPECT_EQ(readWholeFile(fs, "burner.bbl"), "burner\r\n");
  EXPECT_EQ(readWholeFile(fs, "../again.prm"), "abc\r\n");
  EXPECT_EQ(fs.openForReading("../../KeyFiles"), nullptr);
  EXPECT_EQ(fs.openForWriting("."), nullptr);
  EXPECT_FALSE(fs.changeDirectory("Project.prm"));
  EXPECT_FALSE(fs.changeDirectory("nowhere"));
  ASSERT_TRUE(fs.changeDirectory(dir.path()));
  ASSERT_TRUE(fs.changeDirectory("P/prm/../../KeyFiles"));
  EXPECT_EQ(fs.currentDirectory(), dir / "KeyFiles");
  ASSERT_TRUE(fs.changeDirectory("../P"));
  std::vector<std::string> names;
  for (const DirectoryEntry& e : fs.listEntries()) names.push_back(e.name + (e.isDirectory ? "/" : ""));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"again.prm", "prm/"}));

  EXPECT_EQ(test::snapshotTree(dir.path()), before);
}

// The working directory is kept as a shell keeps it: ".." after a linked
// KeyFiles leads back beside the link, on the disk and in the dry run alike.
TEST(RecordingFileSystem, ChangesDirectoryLikeTheRealDisk) {
  FORGELINE_SKIP_WITHOUT_LINKS_AND_PIPES();
  test::TempDir dir;
  test::makeDirectory(dir / "store/keys");
  test::makeDirectory(dir / "main");
  test::makeSymlink(dir / "store/keys", dir / "main/KeyFiles");
  struct Walk {
    std::vector<std::string> steps;
    std::string end;  // the working directory afterwards, below the temporary folder; "-" for "/"
  } walks[] = {
      {{"KeyFiles", ".."}, "main"},
      {{"KeyFiles/../keys"}, "main"},
      {{"./KeyFiles/."}, "main/KeyFiles"},
      {{"KeyFiles", "/"}, "-"},
      {{"missing"}, "main"},
      {{"KeyFiles", "..", ".."}, ""},
      {{"KeyFiles", "../../store/keys"}, "store/keys"},
  };
  for (const Walk& walk : walks) {
    RealFileSystem real(dir / "main");
    RealFileSystem disk(dir / "main");
    RecordingFileSystem fs(disk, [](const std::string&) {});
    std::string steps;
    for (const std::string& step : walk.steps) {
      steps += step + " ";
      EXPECT_EQ(fs.changeDirectory(step), real.changeDirectory(step)) << steps;
      EXPECT_EQ(fs.currentDirectory(), real.currentDirectory()) << steps;
    }
    EXPECT_EQ(real.currentDirectory(), walk.end == "-" ? "/" : walk.end.empty() ? dir.path() : dir / walk.end)
        << steps;
  }
}

// A template of any size costs the dry run nothing: a copy opens its source
// to know the real copy would find it, and reads it only when asked to.
TEST(RecordingFileSystem, ACopyIsRememberedNotRead) {
  struct CountingDisk : FileSystemWrapper {
    using FileSystemWrapper::FileSystemWrapper;
    std::unique_ptr<InputFile> openForReading(const std::string& path) override {
      struct Counted : InputFile {
        Counted(std::unique_ptr<InputFile> file, std::size_t& total) : file(std::move(file)), total(total) {}
        std::size_t read(char* buffer, std::size_t size) override {
          const std::size_t n = file->read(buffer, size);
          total += n;
          return n;
        }
        std::unique_ptr<InputFile> file;
        std::size_t& total;
      };
      std::unique_ptr<InputFile> file = target().openForReading(path);
      return file ? std::make_unique<Counted>(std::move(file), bytesRead) : nullptr;
    }
    std::size_t bytesRead = 0;
  };
  test::TempDir dir;
  test::writeFile(dir / "KeyFiles/DEMO08.mcp", std::string(1 << 20, 'm'));
  RealFileSystem real(dir / "KeyFiles");
  CountingDisk disk(real);
  RecordingFileSystem fs(disk, [](const std::string&) {});
  ASSERT_TRUE(fs.copyFile("DEMO08.mcp", "../P.mcp"));
  ASSERT_TRUE(fs.copyFile("../P.mcp", "../Q.mcp"));
  EXPECT_EQ(disk.bytesRead, 0u);
  std::unique_ptr<InputFile> copy = fs.openForReading("../Q.mcp");
  ASSERT_NE(copy, nullptr);
  char first = 0;
  copy->read(&first, 1);
  EXPECT_EQ(first, 'm');
}

// Windows spells a path from a drive root ("C:/Users/x"), and the working
// directory may be that root itself. The dry run over such a disk finds its
// way as over "/" and refuses what Windows refuses: a path relative to a
// drive's own folder ("C:P") and a drive that is not there.
TEST(RecordingFileSystem, FindsItsWayFromADriveRoot) {
  struct Case {
    const char* root;   // the disk's drive
    const char* start;  // its working directory
    std::vector<std::string> report;
  } cases[] = {
      {.root = "C:/",
       .start = "C:/",
       .report = {"mkdir P", "copy Keys/burner.bbl -> P/burner.bbl", "copy Keys/burner.bbl -> P/again.bbl",
                  "write P/main.c (5 bytes)"}},
      {.root = "C:/",
       .start = "C:/Users/x",
       .report = {"mkdir P", "copy ../../Keys/burner.bbl -> P/burner.bbl",
                  "copy ../../Keys/burner.bbl -> P/again.bbl", "write P/main.c (5 bytes)"}},
      {.root = "z:/",
       .start = "z:/Users",
       .report = {"mkdir P", "copy ../Keys/burner.bbl -> P/burner.bbl", "copy ../Keys/burner.bbl -> P/again.bbl",
                  "write P/main.c (5 bytes)"}},
  };
  for (const Case& c : cases) {
    const std::string drive = c.root;
    MemoryFileSystem disk(drive);
    disk.addFile(drive + "Keys/burner.bbl", "burner\r\n");
    disk.addDirectory(c.start);
    ASSERT_TRUE(disk.changeDirectory(c.start)) << c.start;
    const auto before = disk.snapshot();
    std::vector<std::string> report;
    RecordingFileSystem fs(disk, [&](const std::string& line) { report.push_back(line); });

    EXPECT_TRUE(fs.createDirectory("P")) << c.start;
    EXPECT_TRUE(fs.changeDirectory("P")) << c.start;
    EXPECT_TRUE(fs.copyFile(drive + "Keys/burner.bbl", "burner.bbl")) << c.start;
    EXPECT_TRUE(fs.copyFile("/Keys/burner.bbl", std::string(c.start) + "/P/again.bbl")) << c.start;
    auto main = fs.openForWriting("main.c");
    EXPECT_TRUE(main && main->write("int\r\n") && main->close()) << c.start;
    EXPECT_EQ(readWholeFile(fs, "again.bbl"), "burner\r\n") << c.start;
    EXPECT_FALSE(fs.createDirectory(drive.substr(0, 2) + "Q")) << c.start;
    EXPECT_FALSE(fs.changeDirectory(drive == "C:/" ? "D:/" : "C:/")) << c.start;
    ASSERT_TRUE(fs.changeDirectory("../../../..")) << c.start;
    EXPECT_EQ(fs.currentDirectory(), drive) << c.start;
    std::vector<std::string> names;
    for (const DirectoryEntry& e : fs.listEntries()) names.push_back(e.name + (e.isDirectory ? "/" : ""));
    std::sort(names.begin(), names.end());
    EXPECT_TRUE(std::find(names.begin(), names.end(), "Keys/") != names.end()) << c.start;
    EXPECT_EQ(report, c.report) << c.start;
    EXPECT_EQ(disk.snapshot(), before) << c.start;
  }
}
