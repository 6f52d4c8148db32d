// The disk of a dry run. Key files and templates are read from the real
// disk; every directory created and every file written or copied exists
// only in memory from then on, so the later steps of a build find them just
// as they would on disk. Each change that would reach the disk is reported
// as one line, in the order it happens:
//
//   mkdir PATH
//   write PATH (N bytes)
//   copy SOURCE -> PATH
//
// PATH and SOURCE are relative to the directory the recording started in,
// "/"-separated, with ".." steps for places outside it and "." for that
// directory itself; the last part of a path is the name as given, its folders
// are resolved the way the disk keeps its working directory (logically, as a
// shell's cd does: ".." takes away the last name).
// A failed operation changes nothing and reports nothing, so the lines are
// exactly what a real run would leave behind.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/FileSystem.h"

namespace forgeline::cli {

class RecordingFileSystem : public FileSystem {
 public:
  using Reporter = std::function<void(const std::string& line)>;

  // Starts in `disk`'s working directory. `disk` is only read; its own
  // working directory is moved about to look at folders.
  RecordingFileSystem(FileSystem& disk, Reporter report);

  std::optional<std::string> currentDirectory() const override;
  bool changeDirectory(const std::string& path) override;
  std::vector<DirectoryEntry> listEntries() const override;
  bool createDirectory(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to) override;
  std::unique_ptr<InputFile> openForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;

  // `absolutePath` as the report shows it.
  std::string shown(const std::string& absolutePath) const;

 private:
  friend class RecordedOutputFile;
  enum class EntryKind { none, file, directory, other };

  std::optional<std::string> resolveDirectory(const std::string& path) const;
  // The absolute path of `path`: its folders resolved, its last part kept.
  std::optional<std::string> locate(const std::string& path) const;
  EntryKind kindOf(const std::string& absolutePath) const;
  void commitWrite(const std::string& absolutePath, std::string bytes);

  FileSystem& disk_;
  Reporter report_;
  std::string start_;
  std::string cwd_;  // absolute; empty when the disk could not tell its own
  std::set<std::string> directories_;           // created in memory, absolute
  // A file made in memory: the bytes written, or for a copy of a disk file
  // the file it came from, so a template of any size is never read whole.
  struct MadeFile {
    std::string bytes;
    std::optional<std::string> copyOf;  // absolute path on the disk
  };
  std::map<std::string, MadeFile> files_;  // absolute path to what it holds
};

}  // namespace forgeline::cli
