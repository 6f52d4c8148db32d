#include "core/MemoryFileSystem.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include "core/LogicalPath.h"

namespace forgeline {

MemoryFileSystem::MemoryFileSystem(const std::string& root)
    : cwd_(path::rootOf(root)), drives_(path::rootLength(root, true) == 3) {
  directories_.insert(cwd_);
}

MemoryFileSystem::~MemoryFileSystem() = default;

void MemoryFileSystem::addDirectory(const std::string& path) {
  for (std::string at = path::lexicallyAbsolute(cwd_, path, drives_); !holds(at); at = path::parentOf(at))
    directories_.insert(at);
}

void MemoryFileSystem::addFile(const std::string& path, std::string bytes) {
  const std::string absolute = path::lexicallyAbsolute(cwd_, path, drives_);
  addDirectory(path::parentOf(absolute));
  files_[absolute] = std::make_shared<std::string>(std::move(bytes));
}

std::map<std::string, std::string> MemoryFileSystem::snapshot() const {
  std::map<std::string, std::string> tree;
  for (const auto& [path, bytes] : files_) tree[path] = *bytes;
  for (const std::string& directory : directories_) tree[directory] = "<dir>";
  return tree;
}

std::optional<std::string> MemoryFileSystem::startOf(const std::string& path) const {
  return path::startOf(path, cwd_, drives_, [this](const std::string& drive) { return directories_.contains(drive); });
}

std::optional<std::string> MemoryFileSystem::resolveDirectory(const std::string& path) const {
  std::optional<std::string> at = startOf(path);
  if (!at) return std::nullopt;
  for (const std::string& part : path::split(std::string_view(path).substr(path::rootLength(path, drives_)))) {
    if (part == ".") continue;
    *at = part == ".." ? path::parentOf(*at) : path::join(*at, part);
    if (!directories_.contains(*at)) return std::nullopt;
  }
  return at;
}

std::optional<std::string> MemoryFileSystem::locate(const std::string& path) const {
  const path::FolderAndName parts = path::folderAndName(path, drives_);
  if (parts.name.empty() || !startOf(path)) return std::nullopt;
  std::optional<std::string> directory = resolveDirectory(parts.folder);
  if (!directory) return std::nullopt;
  return path::entryIn(*directory, parts.name);
}

std::optional<std::string> MemoryFileSystem::currentDirectory() const { return cwd_; }

bool MemoryFileSystem::changeDirectory(const std::string& path) {
  if (path.empty()) return false;
  std::optional<std::string> directory = resolveDirectory(path);
  if (!directory) return false;
  cwd_ = *directory;
  return true;
}

std::vector<DirectoryEntry> MemoryFileSystem::listEntries() const {
  std::vector<DirectoryEntry> entries;
  auto inCwd = [this](const std::string& path) { return path != path::parentOf(path) && path::parentOf(path) == cwd_; };
  for (const std::string& directory : directories_)
    if (inCwd(directory)) entries.push_back({path::lastName(directory), false, true});
  for (const auto& [path, file] : files_)
    if (inCwd(path)) entries.push_back({path::lastName(path), true, false});
  return entries;
}

DirectoryCreation MemoryFileSystem::createDirectory(const std::string& path) {
  // mkdir ignores trailing slashes: "Name/" makes "Name".
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  std::optional<std::string> target = locate(trimmed);
  // Memory has no other fault: a folder on the way is missing.
  if (!target) return DirectoryCreation::failed(std::generic_category().message(ENOENT));
  if (holds(*target)) return DirectoryCreation::exists();
  directories_.insert(*target);
  return DirectoryCreation::made();
}

bool MemoryFileSystem::copyFile(const std::string& from, const std::string& to) {
  std::optional<std::string> source = locate(from);
  if (!source || !files_.contains(*source)) return false;
  std::optional<std::string> target = locate(to);
  if (!target || directories_.contains(*target)) return false;
  files_[*target] = files_[*source];
  return true;
}

std::unique_ptr<InputFile> MemoryFileSystem::openForReading(const std::string& path) {
  std::optional<std::string> source = locate(path);
  if (!source) return nullptr;
  auto file = files_.find(*source);
  if (file == files_.end()) return nullptr;
  return std::make_unique<MemoryInputFile>(file->second);
}

std::unique_ptr<OutputFile> MemoryFileSystem::openForWriting(const std::string& path) {
  std::optional<std::string> target = locate(path);
  if (!target || directories_.contains(*target)) return nullptr;
  return std::make_unique<GatheringOutputFile>(
      [this, path = *target](std::string bytes) { files_[path] = std::make_shared<std::string>(std::move(bytes)); });
}

}  // namespace forgeline
