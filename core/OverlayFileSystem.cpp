#include "core/OverlayFileSystem.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include "core/LogicalPath.h"

namespace forgeline {

// Puts the disk back in the overlay's working directory when a call that
// looked about is done, so that listing it needs no move.
class OverlayFileSystem::Looking {
 public:
  explicit Looking(OverlayFileSystem& fs) : fs_(fs) {}
  ~Looking() {
    fs_.diskInCwd_ = !fs_.cwd_.empty() && !fs_.heldInMemory(fs_.cwd_) && fs_.target().changeDirectory(fs_.cwd_);
  }
  Looking(const Looking&) = delete;
  Looking& operator=(const Looking&) = delete;

 private:
  OverlayFileSystem& fs_;
};

OverlayFileSystem::OverlayFileSystem(FileSystem& disk)
    : FileSystemWrapper(disk),
      cwd_(disk.currentDirectory().value_or("")),
      drives_(path::rootLength(cwd_, true) == 3),
      diskInCwd_(!cwd_.empty()) {}

OverlayFileSystem::~OverlayFileSystem() = default;

std::optional<std::string> OverlayFileSystem::startOf(const std::string& path) {
  // Another drive is there when it holds something in memory or on disk.
  return path::startOf(path, cwd_, drives_, [this](const std::string& drive) {
    return directories_.contains(drive) || target().changeDirectory(drive);
  });
}

std::optional<std::string> OverlayFileSystem::resolveDirectory(const std::string& path) {
  std::optional<std::string> start = startOf(path);
  if (!start || start->empty()) return std::nullopt;
  std::string at = std::move(*start);
  for (const std::string& part : path::split(std::string_view(path).substr(path::rootLength(path, drives_)))) {
    if (part == ".") continue;
    if (part == "..") {
      at = path::parentOf(at);
      continue;
    }
    std::string next = path::join(at, part);
    if (directories_.contains(next)) {
      at = std::move(next);
      continue;
    }
    // A folder made in memory holds nothing on disk.
    if (files_.contains(next) || heldInMemory(at)) return std::nullopt;
    if (!target().changeDirectory(next)) return std::nullopt;
    std::optional<std::string> entered = target().currentDirectory();
    if (!entered) return std::nullopt;
    at = *entered;
  }
  return at;
}

std::optional<std::string> OverlayFileSystem::locate(const std::string& path) {
  const path::FolderAndName parts = path::folderAndName(path, drives_);
  if (parts.name.empty() || !startOf(path)) return std::nullopt;
  std::optional<std::string> directory = resolveDirectory(parts.folder);
  if (!directory) return std::nullopt;
  return path::entryIn(*directory, parts.name);
}

OverlayFileSystem::EntryKind OverlayFileSystem::kindOf(const std::string& absolute) {
  if (directories_.contains(absolute)) return EntryKind::directory;
  if (files_.contains(absolute)) return EntryKind::file;
  if (absolute == path::parentOf(absolute)) return EntryKind::directory;
  const std::string parent = path::parentOf(absolute);
  if (heldInMemory(parent) || !target().changeDirectory(parent)) return EntryKind::none;
  const std::string name = path::lastName(absolute);
  for (const DirectoryEntry& entry : target().listEntries()) {
    if (entry.name != name) continue;
    if (entry.isDirectory) return EntryKind::directory;
    return entry.isRegularFile ? EntryKind::file : EntryKind::other;
  }
  // A disk that folds case, as Windows does, holds the name under another
  // spelling too: the disk's own lookup decides, as it would for a build.
  if (target().changeDirectory(absolute)) return EntryKind::directory;
  return target().openForReading(absolute) ? EntryKind::file : EntryKind::none;
}

std::optional<std::string> OverlayFileSystem::currentDirectory() const {
  if (cwd_.empty()) return std::nullopt;
  return cwd_;
}

bool OverlayFileSystem::changeDirectory(const std::string& path) {
  if (path.empty()) return false;
  Looking looking(*this);
  std::optional<std::string> directory = resolveDirectory(path);
  if (!directory) return false;
  cwd_ = *directory;
  return true;
}

std::vector<DirectoryEntry> OverlayFileSystem::listEntries() const {
  std::vector<DirectoryEntry> entries;
  if (cwd_.empty()) return entries;
  auto inCwd = [this](const std::string& path) { return path != path::parentOf(path) && path::parentOf(path) == cwd_; };
  if (diskInCwd_) {
    for (DirectoryEntry& entry : target().listEntries()) {
      const std::string path = path::join(cwd_, entry.name);
      if (!directories_.contains(path) && !files_.contains(path)) entries.push_back(std::move(entry));
    }
  }
  for (const std::string& directory : directories_)
    if (inCwd(directory)) entries.push_back({path::lastName(directory), false, true});
  for (const auto& [path, file] : files_)
    if (inCwd(path)) entries.push_back({path::lastName(path), true, false});
  return entries;
}

DirectoryCreation OverlayFileSystem::createDirectory(const std::string& path) {
  Looking looking(*this);
  // mkdir ignores trailing slashes: "Name/" makes "Name".
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  std::optional<std::string> made = locate(trimmed);
  // Memory has no other fault: a folder on the way is missing.
  if (!made) return DirectoryCreation::failed(std::generic_category().message(ENOENT));
  if (kindOf(*made) != EntryKind::none) return DirectoryCreation::exists();
  directories_.insert(*made);
  madeDirectory(*made);
  return DirectoryCreation::made();
}

bool OverlayFileSystem::copyFile(const std::string& from, const std::string& to) {
  Looking looking(*this);
  std::optional<std::string> source = locate(from);
  if (!source) return false;
  File copy;
  if (auto file = files_.find(*source); file != files_.end()) {
    copy = file->second;
  } else {
    // The copy would fail on a file that cannot be opened; one that can is
    // not read, only remembered.
    if (heldInMemory(*source) || heldInMemory(path::parentOf(*source)) || !target().openForReading(*source))
      return false;
    copy.copyOf = *source;
  }
  std::optional<std::string> copyPath = locate(to);
  if (!copyPath || kindOf(*copyPath) == EntryKind::directory) return false;
  files_[*copyPath] = std::move(copy);
  copied(*source, *copyPath);
  return true;
}

std::unique_ptr<InputFile> OverlayFileSystem::openForReading(const std::string& path) {
  Looking looking(*this);
  std::optional<std::string> source = locate(path);
  if (!source) return nullptr;
  if (auto file = files_.find(*source); file != files_.end()) {
    if (!file->second.copyOf.empty()) return target().openForReading(file->second.copyOf);
    return std::make_unique<MemoryInputFile>(file->second.bytes);
  }
  if (heldInMemory(*source) || heldInMemory(path::parentOf(*source))) return nullptr;
  return target().openForReading(*source);
}

std::unique_ptr<OutputFile> OverlayFileSystem::openForWriting(const std::string& path) {
  Looking looking(*this);
  std::optional<std::string> written = locate(path);
  if (!written || kindOf(*written) == EntryKind::directory) return nullptr;
  return std::make_unique<GatheringOutputFile>([this, path = *written](std::string bytes) {
    const std::size_t size = bytes.size();
    files_[path] = {std::make_shared<std::string>(std::move(bytes)), {}};
    wrote(path, size);
  });
}

}  // namespace forgeline
