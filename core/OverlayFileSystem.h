// A disk seen through a layer of memory, as the dry run sees it: everything
// the disk holds can be read and entered, while every folder created and
// every file written or copied exists only in memory, where the later steps
// of a build find them just as they would on disk. The disk is never
// changed; only its working directory is moved, to look at folders, and
// put back after each call.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/FileSystem.h"

namespace forgeline {

class OverlayFileSystem : public FileSystemWrapper {
 public:
  // Starts in `disk`'s working directory. Folders are entered the way the
  // disk enters them (logically, as a shell's cd does: ".." takes away the
  // last name), and paths are taken as that disk takes them: drive roots
  // count when its working directory starts with one.
  explicit OverlayFileSystem(FileSystem& disk);
  ~OverlayFileSystem() override;
  OverlayFileSystem(const OverlayFileSystem&) = delete;
  OverlayFileSystem& operator=(const OverlayFileSystem&) = delete;

  std::optional<std::string> currentDirectory() const override;
  bool changeDirectory(const std::string& path) override;
  std::vector<DirectoryEntry> listEntries() const override;
  DirectoryCreation createDirectory(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to) override;
  std::unique_ptr<InputFile> openForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
  std::string lastFailure() const override { return {}; }

 protected:
  // Told after each change succeeded, with absolute paths; a written file is
  // told when it is closed, with its size.
  virtual void madeDirectory(const std::string& path) { (void)path; }
  virtual void copied(const std::string& from, const std::string& to) { (void)from, (void)to; }
  virtual void wrote(const std::string& path, std::size_t size) { (void)path, (void)size; }

 private:
  class Looking;
  // A file held in memory: its bytes, or for a copy of a disk file the file
  // it came from, so that a template of any size is never read whole.
  struct File {
    std::shared_ptr<const std::string> bytes;  // shared with its copies
    std::string copyOf;                        // absolute path on the disk, or empty
  };
  enum class EntryKind { none, file, directory, other };

  // These look at the disk by entering its folders; a Looking in the public
  // call that uses them puts the disk back in the working directory.
  std::optional<std::string> startOf(const std::string& path);
  std::optional<std::string> resolveDirectory(const std::string& path);
  std::optional<std::string> locate(const std::string& path);
  EntryKind kindOf(const std::string& absolute);
  // A folder made in memory, or lying inside one: the disk knows nothing of it.
  bool heldInMemory(const std::string& absolute) const { return directories_.contains(absolute); }

  std::string cwd_;          // absolute; empty when the disk could not tell its own
  bool drives_ = false;      // "C:/"-style roots, as on Windows
  bool diskInCwd_ = false;   // the disk's working directory is cwd_
  std::set<std::string> directories_;
  std::map<std::string, File> files_;
};

}  // namespace forgeline
