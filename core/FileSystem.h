// The disk as the wizard sees it. Every path handed in is taken relative to
// the file system's own working directory, which is a value held by the
// object (never the process-wide one), so several wizards and tests can run
// side by side. Separators are "/".
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace forgeline {

// A file opened for reading: raw bytes, no translation.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Reads up to `size` bytes into `buffer`; returns how many arrived. 0 means
  // the end of the file, or a read error (both simply end the reading).
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
  // For a file that lies whole in memory: the bytes not read yet, which
  // count as read from then on and stay valid as long as this object, so a
  // reader can take them where they lie instead of copying them out.
  // nullopt for any other file.
  virtual std::optional<std::string_view> takeUnreadBytes() { return std::nullopt; }
};

// An InputFile over bytes in memory: a key file handed over whole, or one
// the memory disks hold. The view form needs the bytes to outlive the file;
// the shared form keeps them alive itself.
class MemoryInputFile : public InputFile {
 public:
  explicit MemoryInputFile(std::string_view bytes) : bytes_(bytes) {}
  explicit MemoryInputFile(std::shared_ptr<const std::string> bytes) : owner_(std::move(bytes)), bytes_(*owner_) {}
  std::size_t read(char* buffer, std::size_t size) override;
  std::optional<std::string_view> takeUnreadBytes() override;

 private:
  std::shared_ptr<const std::string> owner_;
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

// A file opened for writing: raw bytes, no translation.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Writes all of `bytes`; false when any of them could not be written.
  virtual bool write(std::string_view bytes) = 0;
  // Flushes, closes and puts the file in place; false when that failed.
  // Called at most once.
  virtual bool close() = 0;
};

// An OutputFile whose bytes gather in memory and are handed to `place` when
// it is closed, as a disk puts a file in place; one dropped unclosed is never
// placed. What the memory disks write.
class GatheringOutputFile : public OutputFile {
 public:
  explicit GatheringOutputFile(std::function<void(std::string bytes)> place) : place_(std::move(place)) {}
  bool write(std::string_view bytes) override;
  bool close() override;

 private:
  std::function<void(std::string bytes)> place_;
  std::string bytes_;
  bool closed_ = false;
};

// What became of a request to create a folder. True exactly when it was made.
struct DirectoryCreation {
  enum class Outcome { made, exists, failed };
  Outcome outcome = Outcome::failed;
  // For `failed`: why, in the system's own words, one sentence without its
  // full stop ("Read-only file system"); empty otherwise.
  std::string reason;

  static DirectoryCreation made() { return {Outcome::made, {}}; }
  static DirectoryCreation exists() { return {Outcome::exists, {}}; }
  static DirectoryCreation failed(std::string why) { return {Outcome::failed, std::move(why)}; }
  explicit operator bool() const { return outcome == Outcome::made; }
};

struct DirectoryEntry {
  std::string name;
  bool isRegularFile = false;  // after following links; false for dangling ones
  bool isDirectory = false;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The absolute path of the working directory; nullopt when it cannot be told.
  virtual std::optional<std::string> currentDirectory() const = 0;
  // Enters `path` (relative or absolute). Succeeds exactly when the operating
  // system would let a process enter it; on failure nothing changes. The
  // path is kept as a shell's `cd` keeps it: ".." takes away the last name,
  // so after entering a linked KeyFiles it leads back to the folder that
  // holds the link, not to the parent of the link's target.
  virtual bool changeDirectory(const std::string& path) = 0;
  // Every entry of the working directory but "." and "..", in no set order.
  // An unreadable directory lists as empty.
  virtual std::vector<DirectoryEntry> listEntries() const = 0;
  // Creates exactly one directory level. `exists` whenever something of
  // that name is there already (a folder, a file, a link, dangling or not),
  // whatever else may be wrong; `failed`, with the reason, when nothing is
  // there and it could not be made. On Windows a folder whose name starts
  // with "." is made hidden, as its name hides it on Linux.
  virtual DirectoryCreation createDirectory(const std::string& path) = 0;
  // Copies a regular file, replacing an existing destination; false on any
  // failure. The destination appears whole or not at all, whatever stops
  // the copy: it is written under a temporary name and renamed into place.
  virtual bool copyFile(const std::string& from, const std::string& to) = 0;
  // nullptr when the file cannot be opened for reading (missing, a directory,
  // unreadable).
  virtual std::unique_ptr<InputFile> openForReading(const std::string& path) = 0;
  // Why the last openForReading that failed did, in the system's words
  // ("No such file or directory"); empty when that cannot be told.
  virtual std::string lastFailure() const { return {}; }
  // A file that replaces `path` once it is closed; nullptr when it cannot be
  // created. Until close() succeeds the file has a temporary name, so `path`
  // holds either its old content or all of the new; a file dropped without
  // close() never appears.
  virtual std::unique_ptr<OutputFile> openForWriting(const std::string& path) = 0;
};

// Forwards every call to another file system: derive from it and override
// the operations to change (one to fail on cue, or all of them to keep the
// changes in memory, as the dry run's overlay does).
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(FileSystem& target) : target_(target) {}
  std::optional<std::string> currentDirectory() const override { return target_.currentDirectory(); }
  bool changeDirectory(const std::string& path) override { return target_.changeDirectory(path); }
  std::vector<DirectoryEntry> listEntries() const override { return target_.listEntries(); }
  DirectoryCreation createDirectory(const std::string& path) override { return target_.createDirectory(path); }
  bool copyFile(const std::string& from, const std::string& to) override { return target_.copyFile(from, to); }
  std::unique_ptr<InputFile> openForReading(const std::string& path) override {
    return target_.openForReading(path);
  }
  std::string lastFailure() const override { return target_.lastFailure(); }
  std::unique_ptr<OutputFile> openForWriting(const std::string& path) override {
    return target_.openForWriting(path);
  }

 protected:
  FileSystem& target() { return target_; }
  const FileSystem& target() const { return target_; }

 private:
  FileSystem& target_;
};

// The real disk, through the system's own calls on paths resolved against the
// held directory: POSIX calls on Linux (PosixFileSystem.cpp), the wide API on
// Windows (Win32FileSystem.cpp), chosen when building. On Windows an absolute
// path starts with a drive ("C:/") or a server share ("//server/share"), and
// a leading "/" alone is the root of the current drive.
// A folder this object creates is held open from then on, and everything
// below it is reached from that handle without following a link: a folder
// swapped for a link after we made it makes the operation fail instead of
// leading elsewhere.
class RealFileSystem : public FileSystem {
 public:
  // Starts in `startDirectory`, or in the process's working directory when
  // empty (as the shell's $PWD names it, when that is the same folder). A
  // start directory that cannot be entered leaves the object without a
  // working directory: currentDirectory() is nullopt and every relative
  // operation fails.
  explicit RealFileSystem(const std::string& startDirectory = {});
  ~RealFileSystem() override;
  RealFileSystem(const RealFileSystem&) = delete;
  RealFileSystem& operator=(const RealFileSystem&) = delete;

  bool usable() const { return !cwd_.empty(); }

  std::optional<std::string> currentDirectory() const override;
  bool changeDirectory(const std::string& path) override;
  std::vector<DirectoryEntry> listEntries() const override;
  DirectoryCreation createDirectory(const std::string& path) override;
  bool copyFile(const std::string& from, const std::string& to) override;
  std::unique_ptr<InputFile> openForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> openForWriting(const std::string& path) override;
  std::string lastFailure() const override { return lastFailure_; }

  // Why changeDirectory(path) would fail, in the system's own words ("No
  // such file or directory", "Not a directory", "Permission denied"); empty
  // when the folder can be entered. For a folder this object did not make.
  std::string whyNotEnterable(const std::string& path) const;

 private:
  std::string resolve(const std::string& path) const;
  // Absolute and logical, as a shell keeps it: no "." or ".." in it, links
  // kept as named ("/" separators on both systems).
  std::string cwd_;
  struct Held;  // the folders this object made, held open; one per system
  std::unique_ptr<Held> held_;
  std::string lastFailure_;
};

// Removes the temporary of the file a RealFileSystem is writing at this
// moment, if any, for a handler of a signal (on Windows, of a console
// event) that ends the program, so a build stopped that way leaves no
// temporary. Only async-signal-safe calls. On Windows, where the handler
// runs on a thread of its own while the build goes on, the file being
// written can no longer take its name, and no other file starts after it.
void removeUnfinishedFile() noexcept;

// Reads a whole file through `fs`; nullopt when it cannot be opened.
std::optional<std::string> readWholeFile(FileSystem& fs, const std::string& path);

}  // namespace forgeline
