// Files and folders held in memory, with the working directory as a value:
// the same contract as RealFileSystem, so the wizard cannot tell the two
// apart. Tests, fuzzers and the bench use it alone; the dry run puts it over
// the real disk, which it then only reads.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileSystem.h"

namespace forgeline {

// An InputFile over bytes in memory. The view form needs the bytes to
// outlive the file; the shared form keeps them alive itself, so a file
// written while it is read cannot pull them away under the reader.
class MemoryInputFile : public InputFile {
 public:
  explicit MemoryInputFile(std::string_view bytes) : bytes_(bytes) {}
  explicit MemoryInputFile(std::shared_ptr<const std::string> bytes)
      : owner_(std::move(bytes)), bytes_(*owner_) {}
  std::size_t read(char* buffer, std::size_t size) override;
  std::optional<std::string_view> takeUnreadBytes() override;

 private:
  std::shared_ptr<const std::string> owner_;
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

class MemoryFileSystem : public FileSystem {
 public:
  // Alone: an empty tree whose root and working directory is `root`: "/",
  // or a drive root such as "C:/", which makes the paths the ones Windows
  // knows (any "X:/" starts at a root, "/" at the working drive's). Over `disk`:
  // everything the disk holds can be read and entered, but what is created,
  // written or copied stays in memory, and the disk is never changed (its
  // own working directory is moved about to look at folders). The working
  // directory starts as the disk's, and folders are entered the way the disk
  // enters them (logically, as a shell's cd does: ".." takes away the last
  // name). Paths are taken as that disk takes them: drive roots count when
  // its working directory starts with one.
  explicit MemoryFileSystem(const std::string& root = "/");
  explicit MemoryFileSystem(FileSystem& disk);
  ~MemoryFileSystem() override;
  MemoryFileSystem(const MemoryFileSystem&) = delete;
  MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

  // Put a file or folder in place, creating the folders above as needed;
  // relative paths start at the working directory.
  void addFile(const std::string& path, std::string bytes);
  void addDirectory(const std::string& path);

  // What memory holds, by absolute path: a folder maps to "<dir>", a file to
  // its bytes. A tree over a disk shows only what was made in memory.
  std::map<std::string, std::string> snapshot() const;

  std::optional<std::string> currentDirectory() const override;
  bool changeDirectory(const std::string& path) override;
  std::vector<DirectoryEntry> listEntries() const override;
  DirectoryCreation createDirectory(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to) override;
  std::unique_ptr<InputFile> openForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;

 protected:
  // Told after each change succeeded, with absolute paths; a written file is
  // told when it is closed, with its size.
  virtual void madeDirectory(const std::string& path) { (void)path; }
  virtual void copied(const std::string& from, const std::string& to) { (void)from, (void)to; }
  virtual void wrote(const std::string& path, std::size_t size) { (void)path, (void)size; }

  // The absolute path of `path`: its folders resolved, its last part kept
  // as given; nullopt when a folder on the way does not exist.
  std::optional<std::string> locate(const std::string& path) const;

 private:
  friend class MemoryOutputFile;
  // A file held here: its bytes, or for a copy of a disk file the file it
  // came from, so that a template of any size is never read whole.
  struct File {
    std::shared_ptr<const std::string> bytes;  // shared with its copies
    std::string copyOf;                  // absolute path on the disk, or empty
  };
  enum class EntryKind { none, file, directory, other };

  // The folder `path` starts from: a root, or the working directory for a
  // relative path; nullopt for a path the disk would refuse to resolve.
  std::optional<std::string> startOf(const std::string& path) const;
  std::optional<std::string> resolveDirectory(const std::string& path) const;
  EntryKind kindOf(const std::string& absolute) const;
  // A folder made in memory, or lying inside one: the disk knows nothing of it.
  bool heldInMemory(const std::string& absolute) const;

  FileSystem* disk_ = nullptr;
  std::string cwd_;  // absolute; empty when the disk could not tell its own
  bool drives_ = false;  // "C:/"-style roots, as on Windows
  std::set<std::string> directories_;
  std::map<std::string, File> files_;
};

// `absolute` as seen from the folder `base` (both absolute, no "." or ".."):
// ".." steps up, "/"-separated, "." for `base` itself; whole when the two
// lie on different drives.
std::string relativePath(const std::string& base, const std::string& absolute);

}  // namespace forgeline
