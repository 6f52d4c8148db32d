// Helpers shared by the test programs: temporary folders, whole-tree
// snapshots, the DEMO08 key file, and a file system that fails on cue.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileSystem.h"
#include "core/MemoryFileSystem.h"

namespace forgeline::test {

// A fresh folder under the system's temporary directory, removed with all it
// holds when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// Creates the parent folders as needed.
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool exists(const std::string& path);
void makeDirectory(const std::string& path);

// Symbolic links and named pipes: Windows under Wine can make neither, so a
// test that needs one starts with this and is skipped there, saying why.
#ifdef _WIN32
#define FORGELINE_SKIP_WITHOUT_LINKS_AND_PIPES() \
  GTEST_SKIP() << "needs symbolic links or named pipes, which Windows under Wine cannot make"
#else
#define FORGELINE_SKIP_WITHOUT_LINKS_AND_PIPES() static_cast<void>(0)
#endif
// `link` leading to `target`; a named pipe at `path`. POSIX only: throw elsewhere.
void makeSymlink(const std::string& target, const std::string& link);
void makeFifo(const std::string& path);

// Makes `folder` refuse new entries while the object lives, in a way that
// holds for root too: the immutable flag for root (permissions do not bind
// it), read-only permissions for anyone else; undone at the end. reason()
// is what the system then says to a folder made there ("Operation not
// permitted", "Permission denied"); empty where neither way works (Windows,
// a disk without the flag), and the caller skips, saying why.
class UnwritableFolder {
 public:
  explicit UnwritableFolder(std::string folder);
  ~UnwritableFolder();
  UnwritableFolder(const UnwritableFolder&) = delete;
  UnwritableFolder& operator=(const UnwritableFolder&) = delete;
  const std::string& reason() const { return reason_; }

 private:
  void undo();
  std::string folder_;
  std::string reason_;
  int undoFlags_ = -1;  // the flags to put back, or -1
  int undoMode_ = -1;   // the permissions to put back, or -1
};

// Every folder and file under `root`, by relative path: a folder maps to
// "<dir>", a file to its bytes, a link to "<link>" and its target.
std::map<std::string, std::string> snapshotTree(const std::string& root);

// What `after` lost, changed or added against `before`, one "lost PATH; "
// etc. each, paths printable; additions at or below `inside` are allowed
// (none when it is empty). Empty when nothing else moved.
std::string changesOutside(const std::map<std::string, std::string>& before,
                           const std::map<std::string, std::string>& after, const std::string& inside);

// Printable bytes as they are, others as \xNN, and a run of five or more
// equal bytes as "c*N", so that even a megabyte line fits in a message.
std::string printable(std::string_view bytes);

std::string repeat(const std::string& text, int times);

// The DEMO08 description file of the format's worked example, LF line ends.
extern const char* const kDemo08;

// Writes KeyFiles/ under `root` with the given MCU files and, unless told
// otherwise, the templates a build copies (burner.bbl, C_Layout.hwl,
// Default.mem, Start08.c, StartRS08.c and NAME.mcp for every menu name given).
void writeKeyFiles(const std::string& root, const std::map<std::string, std::string>& mcuFiles,
                   const std::vector<std::string>& mcpMenuNames = {}, bool withTemplates = true);
// The same KeyFiles in a memory tree, in its working directory: for logic
// that does not care which disk it reads.
void writeKeyFiles(MemoryFileSystem& fs, const std::map<std::string, std::string>& mcuFiles,
                   const std::vector<std::string>& mcpMenuNames = {}, bool withTemplates = true);
// The templates writeKeyFiles puts beside the MCU files, by name.
std::map<std::string, std::string> keyFileTemplates(const std::vector<std::string>& mcpMenuNames);

enum class FsOp { currentDirectory, changeDirectory, listEntries, createDirectory, copyFile, openForReading,
                  openForWriting, write, close };

// Wraps a real file system and makes chosen operations fail. A rule names
// the operation and a path (exact match of the argument; for copyFile the
// destination; for write/close the path the file was opened under); an empty
// path matches every call. `skip` lets that many matching calls pass first.

class FaultyFileSystem : public FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;

  void failOn(FsOp op, std::string path = {}, int skip = 0) { rules_.push_back({op, std::move(path), skip, {}}); }
  // Runs `change` once, just before the first matching call, which then
  // goes ahead: how a test changes the disk between two operations.
  void beforeCall(FsOp op, std::string path, std::function<void()> change) {
    rules_.push_back({op, std::move(path), 0, std::move(change)});
  }
  // Every operation performed, as "op path", in order.
  const std::vector<std::string>& log() const { return log_; }

  std::optional<std::string> currentDirectory() const override;
  bool changeDirectory(const std::string& path) override;
  std::vector<DirectoryEntry> listEntries() const override;
  DirectoryCreation createDirectory(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to) override;
  std::unique_ptr<InputFile> openForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;

  bool shouldFail(FsOp op, const std::string& path) const;

 private:
  struct Rule {
    FsOp op;
    std::string path;
    mutable int skip;
    mutable std::function<void()> change;  // set: not a failure but a change made once
  };
  std::vector<Rule> rules_;
  mutable std::vector<std::string> log_;
};

}  // namespace forgeline::test
