#include "core/MemoryFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace forgeline {

namespace {

std::vector<std::string> splitPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  while (at <= path.size()) {
    std::size_t slash = path.find('/', at);
    if (slash == std::string_view::npos) slash = path.size();
    if (slash > at) parts.emplace_back(path.substr(at, slash - at));
    at = slash + 1;
  }
  return parts;
}

bool startsWithDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// How long the root of an absolute path is: "/", or a drive root such as
// "C:/" as Windows spells one; 0 for a relative path.
std::size_t rootLength(std::string_view path, bool drives) {
  if (drives && startsWithDrive(path) && path.size() >= 3 && path[2] == '/') return 3;
  return !path.empty() && path.front() == '/' ? 1 : 0;
}

// The root an absolute path held here starts with ("/" or "C:/").
std::string rootOf(const std::string& absolute) {
  return rootLength(absolute, true) == 3 ? absolute.substr(0, 3) : "/";
}

std::string joinPath(const std::string& directory, const std::string& name) {
  return !directory.empty() && directory.back() == '/' ? directory + name : directory + "/" + name;
}

// Every folder path held here is logical (no "." or ".."), as the disk keeps
// its own, so its parent is simply the path without its last part; a root
// is its own parent.
std::string parentOf(const std::string& absolute) {
  std::size_t slash = absolute.find_last_of('/');
  if (slash == std::string::npos || slash < rootLength(absolute, true)) return rootOf(absolute);
  return absolute.substr(0, slash);
}

std::string lastPart(const std::string& absolute) { return absolute.substr(absolute.find_last_of('/') + 1); }

// "." and ".." taken by spelling alone; only for putting things in place.
std::string lexicallyAbsolute(const std::string& cwd, const std::string& path, bool drives) {
  const std::size_t root = rootLength(path, drives);
  std::string result = root == 3 ? path.substr(0, 3) : rootOf(cwd);
  const std::string below = root != 0 ? path.substr(root) : cwd.substr(std::min(result.size(), cwd.size())) + "/" + path;
  std::vector<std::string> parts;
  for (std::string& part : splitPath(below)) {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (part != ".") {
      parts.push_back(std::move(part));
    }
  }
  for (std::size_t i = 0; i < parts.size(); ++i) result += (i != 0 ? "/" : "") + parts[i];
  return result;
}

}  // namespace

std::string relativePath(const std::string& base, const std::string& absolute) {
  // No way leads from one drive to another: the path is shown whole.
  if (rootOf(base) != rootOf(absolute)) return absolute;
  const std::vector<std::string> from = splitPath(base);
  const std::vector<std::string> to = splitPath(absolute);
  std::size_t common = 0;
  while (common < from.size() && common < to.size() && from[common] == to[common]) ++common;
  std::string relative;
  for (std::size_t i = common; i < from.size(); ++i) relative += relative.empty() ? ".." : "/..";
  for (std::size_t i = common; i < to.size(); ++i) relative += (relative.empty() ? "" : "/") + to[i];
  return relative.empty() ? "." : relative;
}

std::size_t MemoryInputFile::read(char* buffer, std::size_t size) {
  std::size_t n = std::min(size, bytes_.size() - pos_);
  if (n != 0) std::memcpy(buffer, bytes_.data() + pos_, n);
  pos_ += n;
  return n;
}

std::optional<std::string_view> MemoryInputFile::takeUnreadBytes() {
  const std::string_view unread = bytes_.substr(pos_);
  pos_ = bytes_.size();
  return unread;
}

// The bytes gather here and replace the file when it is closed, as on disk;
// a file dropped unclosed never appears.
class MemoryOutputFile : public OutputFile {
 public:
  MemoryOutputFile(MemoryFileSystem& owner, std::string path) : owner_(owner), path_(std::move(path)) {}

  bool write(std::string_view bytes) override {
    if (closed_) return false;
    bytes_.append(bytes);
    return true;
  }
  bool close() override {
    if (closed_) return false;
    closed_ = true;
    const std::size_t size = bytes_.size();
    owner_.files_[path_] = {std::make_shared<std::string>(std::move(bytes_)), {}};
    owner_.wrote(path_, size);
    return true;
  }

 private:
  MemoryFileSystem& owner_;
  std::string path_;
  std::string bytes_;
  bool closed_ = false;
};

MemoryFileSystem::MemoryFileSystem(const std::string& root)
    : cwd_(rootOf(root)), drives_(rootLength(root, true) == 3) {
  directories_.insert(cwd_);
}

MemoryFileSystem::MemoryFileSystem(FileSystem& disk)
    : disk_(&disk), cwd_(disk.currentDirectory().value_or("")), drives_(rootLength(cwd_, true) == 3) {}

MemoryFileSystem::~MemoryFileSystem() = default;

void MemoryFileSystem::addDirectory(const std::string& path) {
  for (std::string at = lexicallyAbsolute(cwd_, path, drives_); kindOf(at) == EntryKind::none; at = parentOf(at))
    directories_.insert(at);
}

void MemoryFileSystem::addFile(const std::string& path, std::string bytes) {
  const std::string absolute = lexicallyAbsolute(cwd_, path, drives_);
  addDirectory(parentOf(absolute));
  files_[absolute] = {std::make_shared<std::string>(std::move(bytes)), {}};
}

std::map<std::string, std::string> MemoryFileSystem::snapshot() const {
  std::map<std::string, std::string> tree;
  for (const auto& [path, file] : files_) tree[path] = file.copyOf.empty() ? *file.bytes : "<copy of " + file.copyOf + ">";
  for (const std::string& directory : directories_) tree[directory] = "<dir>";
  return tree;
}

bool MemoryFileSystem::heldInMemory(const std::string& absolute) const {
  return !disk_ || directories_.contains(absolute);
}

std::optional<std::string> MemoryFileSystem::startOf(const std::string& path) const {
  const std::size_t root = rootLength(path, drives_);
  if (root == 3) {
    // Another drive is there when it holds something in memory or on disk.
    std::string drive = path.substr(0, 3);
    if (directories_.contains(drive) || (disk_ && disk_->changeDirectory(drive))) return drive;
    return std::nullopt;
  }
  if (!drives_) return root != 0 ? "/" : cwd_;
  // As Windows has it: "/" alone is the working drive's root, "C:name" is
  // relative to a folder of that drive's own and never reached.
  if (cwd_.empty() || startsWithDrive(path)) return std::nullopt;
  return root != 0 ? rootOf(cwd_) : cwd_;
}

std::optional<std::string> MemoryFileSystem::resolveDirectory(const std::string& path) const {
  std::optional<std::string> start = startOf(path);
  if (!start || start->empty()) return std::nullopt;
  std::string at = std::move(*start);
  for (const std::string& part : splitPath(std::string_view(path).substr(rootLength(path, drives_)))) {
    if (part == ".") continue;
    if (part == "..") {
      at = parentOf(at);
      continue;
    }
    std::string next = joinPath(at, part);
    if (directories_.contains(next)) {
      at = std::move(next);
      continue;
    }
    // A folder made in memory holds nothing on disk.
    if (files_.contains(next) || heldInMemory(at)) return std::nullopt;
    if (!disk_->changeDirectory(next)) return std::nullopt;
    std::optional<std::string> entered = disk_->currentDirectory();
    if (!entered) return std::nullopt;
    at = *entered;
  }
  return at;
}

std::optional<std::string> MemoryFileSystem::locate(const std::string& path) const {
  std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || !startOf(path)) return std::nullopt;
  std::string folder = slash == std::string::npos ? "."
                       : slash < rootLength(path, drives_) ? path.substr(0, slash + 1)
                                                          : path.substr(0, slash);
  std::optional<std::string> directory = resolveDirectory(folder);
  if (!directory) return std::nullopt;
  if (name == ".") return *directory;
  if (name == "..") return parentOf(*directory);
  return joinPath(*directory, name);
}

MemoryFileSystem::EntryKind MemoryFileSystem::kindOf(const std::string& absolute) const {
  if (directories_.contains(absolute)) return EntryKind::directory;
  if (files_.contains(absolute)) return EntryKind::file;
  if (absolute == parentOf(absolute) && disk_) return EntryKind::directory;
  const std::string parent = parentOf(absolute);
  if (heldInMemory(parent) || !disk_->changeDirectory(parent)) return EntryKind::none;
  const std::string name = lastPart(absolute);
  for (const DirectoryEntry& entry : disk_->listEntries()) {
    if (entry.name != name) continue;
    if (entry.isDirectory) return EntryKind::directory;
    return entry.isRegularFile ? EntryKind::file : EntryKind::other;
  }
  return EntryKind::none;
}

std::optional<std::string> MemoryFileSystem::currentDirectory() const {
  if (cwd_.empty()) return std::nullopt;
  return cwd_;
}

bool MemoryFileSystem::changeDirectory(const std::string& path) {
  if (path.empty()) return false;
  std::optional<std::string> directory = resolveDirectory(path);
  if (!directory) return false;
  cwd_ = *directory;
  return true;
}

std::vector<DirectoryEntry> MemoryFileSystem::listEntries() const {
  std::vector<DirectoryEntry> entries;
  if (cwd_.empty()) return entries;
  auto inCwd = [this](const std::string& path) { return path != parentOf(path) && parentOf(path) == cwd_; };
  if (!heldInMemory(cwd_) && disk_->changeDirectory(cwd_)) {
    for (DirectoryEntry& entry : disk_->listEntries()) {
      const std::string path = joinPath(cwd_, entry.name);
      if (!directories_.contains(path) && !files_.contains(path)) entries.push_back(std::move(entry));
    }
  }
  for (const std::string& directory : directories_)
    if (inCwd(directory)) entries.push_back({lastPart(directory), false, true});
  for (const auto& [path, file] : files_)
    if (inCwd(path)) entries.push_back({lastPart(path), true, false});
  return entries;
}

DirectoryCreation MemoryFileSystem::createDirectory(const std::string& path) {
  // mkdir ignores trailing slashes: "Name/" makes "Name".
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  std::optional<std::string> target = locate(trimmed);
  // Memory has no other fault: a folder on the way is missing.
  if (!target) return DirectoryCreation::failed(std::generic_category().message(ENOENT));
  if (kindOf(*target) != EntryKind::none) return DirectoryCreation::exists();
  directories_.insert(*target);
  madeDirectory(*target);
  return DirectoryCreation::made();
}

bool MemoryFileSystem::copyFile(const std::string& from, const std::string& to) {
  std::optional<std::string> source = locate(from);
  if (!source) return false;
  File copy;
  if (auto file = files_.find(*source); file != files_.end()) {
    copy = file->second;
  } else {
    // The copy would fail on a file that cannot be opened; one that can is
    // not read, only remembered.
    if (heldInMemory(*source) || heldInMemory(parentOf(*source)) || !disk_->openForReading(*source)) return false;
    copy.copyOf = *source;
  }
  std::optional<std::string> target = locate(to);
  if (!target || kindOf(*target) == EntryKind::directory) return false;
  files_[*target] = std::move(copy);
  copied(*source, *target);
  return true;
}

std::unique_ptr<InputFile> MemoryFileSystem::openForReading(const std::string& path) {
  std::optional<std::string> source = locate(path);
  if (!source) return nullptr;
  if (auto file = files_.find(*source); file != files_.end()) {
    if (!file->second.copyOf.empty()) return disk_->openForReading(file->second.copyOf);
    return std::make_unique<MemoryInputFile>(file->second.bytes);
  }
  if (heldInMemory(*source) || heldInMemory(parentOf(*source))) return nullptr;
  return disk_->openForReading(*source);
}

std::unique_ptr<OutputFile> MemoryFileSystem::openForWriting(const std::string& path) {
  std::optional<std::string> target = locate(path);
  if (!target || kindOf(*target) == EntryKind::directory) return nullptr;
  return std::make_unique<MemoryOutputFile>(*this, *target);
}

}  // namespace forgeline
