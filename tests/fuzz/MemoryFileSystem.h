// A whole file system held in memory, for the fuzz harnesses: a run touches
// no disk, so millions of key files can be tried per hour and nothing a
// harness does can leave a trace behind.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/FileSystem.h"

namespace forgeline::fuzz {

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();

  // Creates the parent folders as needed; `path` is absolute.
  void addFile(const std::string& path, std::string bytes);
  void addDirectory(const std::string& path);

  // Absolute path of every file and folder, a folder mapped to "<dir>".
  std::map<std::string, std::string> snapshot() const;

  std::optional<std::string> currentDirectory() const override { return cwd_; }
  bool changeDirectory(const std::string& path) override;
  std::vector<DirectoryEntry> listEntries() const override;
  bool createDirectory(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to) override;
  std::unique_ptr<InputFile> openForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;

 private:
  // Absolute form without "." or ".." components; "/" is the root.
  std::string normalise(const std::string& path) const;
  static std::string parentOf(const std::string& absolute);

  std::map<std::string, std::string> files_;
  std::set<std::string> directories_;
  std::string cwd_ = "/";
};

}  // namespace forgeline::fuzz
