// The record a build leaves in its project, `.forgeline/`: the answers it
// was given and a copy of every file it generated, so that `update` can run
// the wizard again with new choices or new key files and merge the result
// into the files the user has edited since.
//
//   .forgeline/base/PATH      each generated file exactly as written
//   .forgeline/record.txt     "key = value" lines, written last
//
// An update trusts a record folder only when record.txt is there, and
// record.txt appears (whole, through a temporary and a rename) only after
// every base copy has.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/WizardState.h"

namespace forgeline {

// The record format this program writes and the newest it reads.
inline constexpr int kRecordFormat = 1;
inline constexpr const char* kRecordFolder = ".forgeline";
inline constexpr const char* kRecordFile = ".forgeline/record.txt";
inline constexpr const char* kBaseFolder = ".forgeline/base";

struct TemplateHash {
  std::string path;  // inside the project
  std::uint64_t hash = 0;
};

struct ProjectRecord {
  int format = kRecordFormat;
  std::string version;
  std::string keyFile;   // "MCU_NOVA16.txt"
  std::string menuName;
  std::vector<std::string> ticks;  // module names, in click order
  std::string projectName;
  CalendarDate date;
  std::vector<std::string> bases;  // generated files, paths inside the project
  std::vector<TemplateHash> templates;
};

std::string recordText(const ProjectRecord& record);

// The record in `text`, or why it cannot be used: a text with no format
// line is no record, one of a newer format is for a newer program.
struct RecordReading {
  std::optional<ProjectRecord> record;
  std::string error;
};
RecordReading parseRecord(std::string_view text);

// 64-bit FNV-1a: enough to tell whether a copied template was changed in
// the project since it was copied. Streams a file of any size.
class ContentHash {
 public:
  void add(std::string_view bytes);
  std::uint64_t value() const { return hash_; }

 private:
  std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};
std::optional<std::uint64_t> hashFile(FileSystem& fs, const std::string& path);

// A file system that remembers what a build wrote (the bytes, as they
// went to the file) and copied, passing every call on. Paths are kept
// relative to where the build started, followed through its relative
// changes of folder, so the record never depends on the disk telling its
// working directory.
class BuildCapture : public FileSystemWrapper {
 public:
  explicit BuildCapture(FileSystem& disk) : FileSystemWrapper(disk) {}
  bool changeDirectory(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to) override;
  std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;

  FileSystem& disk() { return target(); }
  // The working folder, as "a/b/" from where the build started.
  std::string here() const;
  std::vector<std::pair<std::string, std::string>> written;  // path, bytes
  std::vector<std::string> copied;

 private:
  std::vector<std::string> steps_;
};

// Writes the record folder into the working directory, the project
// folder: the bases first, record.txt last. False when any of it failed.
bool writeRecordFolder(FileSystem& fs, const std::string& text,
                       const std::vector<std::pair<std::string, std::string>>& bases);

// The last step of a build, in the project folder: the record of `state`'s
// build, from what `capture` saw.
bool recordBuild(const WizardState& state, const Clock& clock, BuildCapture& capture);

}  // namespace forgeline
