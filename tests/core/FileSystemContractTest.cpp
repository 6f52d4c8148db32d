// One contract for every disk the wizard stands on: real (POSIX or Win32), memory, and the dry run's
// overlay over either. Where disks differ by design, the difference is a field of the disk's row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/FileSystem.h"
#include "core/MemoryFileSystem.h"
#include "core/OverlayFileSystem.h"
#include "support/TestSupport.h"

using namespace forgeline;
using Outcome = DirectoryCreation::Outcome;

namespace {

// A disk with a fresh folder, `root`, to start in, and a way to put things
// there behind the file system's back, as the user would; seen alone or
// through an overlay, under which it must never change.
struct Disk {
  virtual ~Disk() = default;
  virtual FileSystem& base() = 0;
  virtual void put(const std::string& relative, const std::string& bytes) = 0;
  virtual void putDirectory(const std::string& relative) = 0;
  virtual void putLink(const std::string& target, const std::string& relative) { (void)target, (void)relative; }
  virtual std::map<std::string, std::string> snapshot() const = 0;
  FileSystem& fs() { return overlay ? static_cast<FileSystem&>(*overlay) : base(); }
  std::map<std::string, std::string> untouchable() const { return overlay ? snapshot() : decltype(snapshot()){}; }
  std::string root;
  std::unique_ptr<OverlayFileSystem> overlay;
};

struct RealDisk : Disk {
  explicit RealDisk(bool overlaid) {
    root = dir.path();
    if (overlaid) overlay = std::make_unique<OverlayFileSystem>(real);
  }
  FileSystem& base() override { return real; }
  void put(const std::string& relative, const std::string& bytes) override { test::writeFile(dir / relative, bytes); }
  void putDirectory(const std::string& relative) override { test::makeDirectory(dir / relative); }
  void putLink(const std::string& target, const std::string& relative) override { test::makeSymlink(target, dir / relative); }
  std::map<std::string, std::string> snapshot() const override { return test::snapshotTree(dir.path()); }
  test::TempDir dir;
  RealFileSystem real{dir.path()};
};

struct MemoryDisk : Disk {
  MemoryDisk(const std::string& drive, bool overlaid) : memory(drive) {
    root = drive + "work";
    memory.addDirectory(root);
    memory.changeDirectory(root);
    if (overlaid) overlay = std::make_unique<OverlayFileSystem>(memory);
  }
  FileSystem& base() override { return memory; }
  void put(const std::string& relative, const std::string& bytes) override { memory.addFile(root + "/" + relative, bytes); }
  void putDirectory(const std::string& relative) override { memory.addDirectory(root + "/" + relative); }
  std::map<std::string, std::string> snapshot() const override { return memory.snapshot(); }
  MemoryFileSystem memory;
};

struct DiskRow {
  const char* name;
  std::function<std::unique_ptr<Disk>()> make;
  bool caseBlind;       // "a" and "A" name one entry, as on Windows
  bool links;           // holds symbolic links: Wine makes none, memory is folders and files alone
  bool systemFiles;     // named pipes, kernel files and strerror's words
  bool nameLimits;      // the real disk's: a name over 255 bytes, or a written one over 249, is refused
  bool driveRoots;      // a drive root of ours: "C:name" and other drives refused
};

// A failing case names its disk.
void PrintTo(const DiskRow& row, std::ostream* out) { *out << row.name; }

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

const DiskRow kDisks[] = {
    {"real", [] { return std::make_unique<RealDisk>(false); }, kWindows, !kWindows, !kWindows, true, false},
    {"overlay", [] { return std::make_unique<RealDisk>(true); }, kWindows, !kWindows, false, false, false},
    {"memory", [] { return std::make_unique<MemoryDisk>("/", false); }, false, false, false, false, false},
    {"memory_from_drive", [] { return std::make_unique<MemoryDisk>("C:/", false); }, false, false, false, false, true},
    {"overlay_from_drive", [] { return std::make_unique<MemoryDisk>("C:/", true); }, false, false, false, false, true},
};

class FileSystemContract : public ::testing::TestWithParam<DiskRow> {
 protected:
  void SetUp() override { disk_ = GetParam().make(), untouched_ = disk_->untouchable(); }
  // Whatever the test did, a disk under an overlay is as the test put it.
  void TearDown() override { EXPECT_EQ(disk_->untouchable(), untouched_); }

  FileSystem& fs() { return disk_->fs(); }
  const std::string& root() const { return disk_->root; }
  bool links() const { return GetParam().links; }
  void put(const std::string& relative, const std::string& bytes = "x") { disk_->put(relative, bytes), settle(); }
  void putDirectory(const std::string& relative) { disk_->putDirectory(relative), settle(); }
  void putLink(const std::string& target, const std::string& relative) { disk_->putLink(target, relative), settle(); }
  void settle() { untouched_ = disk_->untouchable(); }

  // The working directory's entries, sorted; folders end in "/", neither (a dangling link) in "?".
  std::vector<std::string> listing() {
    std::vector<std::string> names;
    for (const DirectoryEntry& e : fs().listEntries())
      names.push_back(e.name + (e.isDirectory ? "/" : e.isRegularFile ? "" : "?"));
    std::sort(names.begin(), names.end());
    return names;
  }
  bool write(const std::string& path, const std::string& bytes) {
    std::unique_ptr<OutputFile> out = fs().openForWriting(path);
    return out && out->write(bytes) && out->close();
  }

 private:
  std::unique_ptr<Disk> disk_;
  std::map<std::string, std::string> untouched_;
};

}  // namespace

// A folder made is told from a name already taken (by anything, a dangling
// link too) and from every other failure, which alone carries a reason.
TEST_P(FileSystemContract, CreateDirectoryTellsMadeTakenAndWhyNot) {
  const std::pair<std::string, Outcome> cases[] = {
      {"New", Outcome::made},           {"New", Outcome::exists},       {"New/", Outcome::exists},
      {"New/Inner", Outcome::made},     {"file", Outcome::exists},      {"dangling", Outcome::exists},
      {"missing/New", Outcome::failed}, {"file/New", Outcome::failed},  {"", Outcome::failed}};
  put("file");
  links() ? putLink("nowhere", "dangling") : put("dangling");
  for (const auto& [path, outcome] : cases) {
    const DirectoryCreation got = fs().createDirectory(path);
    EXPECT_EQ(got.outcome, outcome) << "'" << path << "'";
    EXPECT_EQ(got.reason.empty(), outcome != Outcome::failed) << "'" << path << "' " << got.reason;
    EXPECT_EQ(static_cast<bool>(got), outcome == Outcome::made) << "'" << path << "'";
  }
  // Memory and the overlay say what POSIX says, the real disk its own words.
  EXPECT_EQ(fs().createDirectory("missing/New").reason,
            kWindows && GetParam().nameLimits ? "Path not found" : "No such file or directory");
  if (GetParam().systemFiles) { EXPECT_EQ(fs().createDirectory("file/New").reason, "Not a directory"); }
}

// A file being written has a temporary name: the old content stays readable
// until close() puts the new in place, a file dropped unclosed never
// appears, and nothing temporary is left behind either way. A read takes
// what is left, then 0 for good.
TEST_P(FileSystemContract, WritingReplacesOnlyOnCloseAndLeavesNoTemporary) {
  put("kept", "old content\r\n");
  std::unique_ptr<OutputFile> kept = fs().openForWriting("kept");
  ASSERT_TRUE(kept && kept->write("new"));
  EXPECT_EQ(readWholeFile(fs(), "kept"), "old content\r\n");
  EXPECT_TRUE(kept->close());
  EXPECT_EQ(readWholeFile(fs(), "kept"), "new");
  std::unique_ptr<OutputFile> dropped = fs().openForWriting("dropped");
  ASSERT_TRUE(dropped && dropped->write("never seen"));
  dropped.reset();
  EXPECT_TRUE(write("empty", ""));
  EXPECT_EQ(readWholeFile(fs(), "empty"), "");
  EXPECT_EQ(listing(), (std::vector<std::string>{"empty", "kept"}));
  std::unique_ptr<InputFile> in = fs().openForReading("kept");
  ASSERT_NE(in, nullptr);
  char buffer[8];
  std::vector<std::size_t> reads;
  for (std::size_t size : {2, 8, 8}) reads.push_back(in->read(buffer, size));
  EXPECT_EQ(reads, (std::vector<std::size_t>{2, 1, 0}));
}

// A copy holds every byte of its source and replaces what the name held;
// a source that cannot be copied, or a place that cannot take it, leaves
// nothing.
TEST_P(FileSystemContract, CopyHoldsEveryByteOrNothing) {
  const std::string bigFile = test::repeat(std::string("\0\x01\xff\r\n", 5), 3 * 65536 / 5 + 2);
  const struct {
    const char* name;
    std::function<std::string()> source;  // puts it in place, gives its path
    std::string to;
    bool copied;
    bool needsSystemFiles = false;
  } cases[] = {
      {"empty file", [&] { return put("in", ""), std::string("in"); }, "copy", true},
      {"several buffers", [&] { return put("in", bigFile), std::string("in"); }, "copy", true},
      {"missing source", [] { return std::string("missing"); }, "copy", false},
      {"folder as source", [&] { return putDirectory("in"), std::string("in"); }, "copy", false},
      {"folder as target", [&] { return put("in"), putDirectory("folder"), std::string("in"); }, "folder", false},
      // Its size reads as 0 although it has content.
      {"kernel file", [] { return std::string("/proc/version"); }, "copy", true, true},
      {"pipe", [&] { return test::makeFifo(root() + "/in"), settle(), std::string("in"); }, "copy", false, true},
  };
  for (const auto& c : cases) {
    if (c.needsSystemFiles && !GetParam().systemFiles) continue;
    SetUp();
    put("copy", "an earlier and much longer content than any source's\r\n");
    const std::string source = c.source();
    const std::vector<std::string> names = listing();
    const std::optional<std::string> expected = readWholeFile(fs(), c.copied ? source : "copy");
    EXPECT_EQ(fs().copyFile(source, c.to), c.copied) << c.name;
    EXPECT_EQ(listing(), names) << c.name;
    EXPECT_EQ(readWholeFile(fs(), "copy"), expected) << c.name;
    TearDown();
  }
}

// Every operation below a folder that is not there, or is a file, fails and
// changes nothing; so does writing a folder, refused when opened (memory) or
// when closed (a real disk's rename).
TEST_P(FileSystemContract, MissingParentsFail) {
  put("file");
  ASSERT_TRUE(write("written", "x"));
  EXPECT_FALSE(write(".", "x"));
  EXPECT_FALSE(write("..", "x"));
  EXPECT_EQ(fs().openForReading("."), nullptr);
  for (const std::string path : {"missing/x", "missing/deeper/x", "file/x", "written/x"}) {
    EXPECT_EQ(fs().openForReading(path), nullptr) << path;
    EXPECT_FALSE(write(path, "x")) << path;
    EXPECT_FALSE(fs().copyFile("file", path)) << path;
    EXPECT_FALSE(fs().copyFile(path, "copy")) << path;
    EXPECT_FALSE(fs().changeDirectory(path)) << path;
    EXPECT_EQ(fs().createDirectory(path).outcome, Outcome::failed) << path;
  }
  EXPECT_EQ(listing(), (std::vector<std::string>{"file", "written"}));
}

// Names and kinds of the working directory's entries, in no set order; a
// link is what it leads to, a dangling one neither file nor folder.
TEST_P(FileSystemContract, ListsNamesAndKinds) {
  put("b.txt");
  put("A.TXT");
  put("dir/inner");
  if (links()) putLink("nowhere", "dangling"), putLink(root() + "/dir", "linked");
  using Names = std::vector<std::string>;
  EXPECT_EQ(listing(), (links() ? Names{"A.TXT", "b.txt", "dangling?", "dir/", "linked/"} : Names{"A.TXT", "b.txt", "dir/"}));
}

// The working directory is kept as a shell keeps it: ".." takes away the
// last name, so ".." after a linked folder (a plain one where the disk holds
// no links) leads back beside the link; a failed change leaves it where it
// was; relative and absolute paths meet.
TEST_P(FileSystemContract, ChangesDirectoryLogically) {
  put("main/sub/f", "same");
  putDirectory("store/keys");
  links() ? putLink(root() + "/store/keys", "main/KeyFiles") : putDirectory("main/KeyFiles");
  const struct {
    std::vector<std::string> steps;  // "<root>" stands for the root
    std::string end;                 // below the root
  } walks[] = {
      {{"main", "sub", "..", ".."}, ""},        {{"main/./sub/../sub"}, "/main/sub"},
      {{"main", "missing"}, "/main"},           {{"main", "sub/f"}, "/main"},
      {{"main", ""}, "/main"},                  {{"main/sub", "../../store/keys"}, "/store/keys"},
      {{"main/sub", "<root>/store"}, "/store"}, {{"main/KeyFiles", ".."}, "/main"},
      {{"main/KeyFiles/../sub"}, "/main/sub"},  {{"main/./KeyFiles/."}, "/main/KeyFiles"},
  };
  for (const auto& walk : walks) {
    ASSERT_TRUE(fs().changeDirectory(root()));
    for (const std::string& step : walk.steps) fs().changeDirectory(step == "<root>/store" ? root() + "/store" : step);
    EXPECT_EQ(fs().currentDirectory(), root() + walk.end) << ::testing::PrintToString(walk.steps);
  }
  ASSERT_TRUE(fs().changeDirectory(root() + "/main/sub"));
  for (const std::string& path : {std::string("f"), std::string("../sub/f"), root() + "/main/sub/f"})
    EXPECT_EQ(readWholeFile(fs(), path), "same") << path;
}

// Names are told apart by case on Linux and in memory, not on Windows. From
// a drive root, a path relative to a drive's own folder ("C:P") and a drive
// that is not there are refused, as Windows refuses them. A folder's name
// may take 255 bytes; a written file's takes 6 fewer on a real disk, whose
// temporary is ".NAME.part"; memory has no limit, and the wizard's own names
// stay far below both.
TEST_P(FileSystemContract, NamesFollowTheDisksOwnRules) {
  put("Name.txt");
  putDirectory("Folder");
  const bool blind = GetParam().caseBlind, limited = GetParam().nameLimits;
  EXPECT_EQ(fs().openForReading("NAME.TXT") != nullptr, blind);
  EXPECT_EQ(fs().createDirectory("FOLDER").outcome, blind ? Outcome::exists : Outcome::made);
  EXPECT_EQ(fs().changeDirectory("folder"), blind);
  if (GetParam().driveRoots) { EXPECT_FALSE(fs().createDirectory("C:Q") || fs().changeDirectory("D:/")); }
  ASSERT_TRUE(fs().changeDirectory(root()));
  EXPECT_TRUE(fs().createDirectory(std::string(255, 'd')));
  EXPECT_EQ(fs().createDirectory(std::string(256, 'd')).outcome, limited ? Outcome::failed : Outcome::made);
  EXPECT_TRUE(write(std::string(249, 'f'), "long"));
  EXPECT_EQ(write(std::string(250, 'f'), "long"), !limited);
  EXPECT_EQ(listing().size(), (limited ? 2u : 4u) + (blind ? 2u : 3u));
}

INSTANTIATE_TEST_SUITE_P(EveryDisk, FileSystemContract, ::testing::ValuesIn(kDisks),
                         [](const ::testing::TestParamInfo<DiskRow>& info) { return std::string(info.param.name); });

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
