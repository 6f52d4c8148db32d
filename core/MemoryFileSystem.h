// Files and folders held in memory, with the working directory as a value:
// the same contract as RealFileSystem, so the wizard cannot tell the two
// apart. Tests, fuzzers and the bench use it; it knows no other disk.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/FileSystem.h"

namespace forgeline {

class MemoryFileSystem : public FileSystem {
 public:
  // An empty tree whose root and working directory is `root`: "/", or a
  // drive root such as "C:/", which makes the paths the ones Windows knows
  // (any "X:/" starts at a root, "/" at the working drive's). Names are
  // told apart by case, as on Linux, whichever root it has.
  explicit MemoryFileSystem(const std::string& root = "/");
  ~MemoryFileSystem() override;
  MemoryFileSystem(const MemoryFileSystem&) = delete;
  MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

  // Put a file or folder in place, creating the folders above as needed;
  // relative paths start at the working directory.
  void addFile(const std::string& path, std::string bytes);
  void addDirectory(const std::string& path);

  // The whole tree by absolute path: a folder maps to "<dir>", a file to its
  // bytes.
  std::map<std::string, std::string> snapshot() const;

  std::optional<std::string> currentDirectory() const override;
  bool changeDirectory(const std::string& path) override;
  std::vector<DirectoryEntry> listEntries() const override;
  DirectoryCreation createDirectory(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to) override;
  std::unique_ptr<InputFile> openForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;

 private:
  // The folder `path` starts from: a root, or the working directory for a
  // relative path; nullopt for a path Windows would refuse to resolve.
  std::optional<std::string> startOf(const std::string& path) const;
  std::optional<std::string> resolveDirectory(const std::string& path) const;
  // The absolute path of `path`: its folders resolved, its last name kept
  // as given; nullopt when a folder on the way does not exist.
  std::optional<std::string> locate(const std::string& path) const;
  bool holds(const std::string& absolute) const { return directories_.contains(absolute) || files_.contains(absolute); }

  std::string cwd_;  // absolute
  bool drives_ = false;  // "C:/"-style roots, as on Windows
  std::set<std::string> directories_;
  // Shared with the copies and with a reader, so a file written while it is
  // read cannot pull its bytes away under the reader.
  std::map<std::string, std::shared_ptr<const std::string>> files_;
};

}  // namespace forgeline
