#include "cli/RecordingFileSystem.h"

#include <string_view>
#include <utility>

namespace forgeline::cli {

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

std::string joinPath(const std::string& directory, const std::string& name) {
  return directory == "/" ? "/" + name : directory + "/" + name;
}

// Every directory path held here is logical (no "." or ".."), as the disk
// keeps its own, so its parent is simply the path without its last part.
std::string parentOf(const std::string& directory) {
  std::size_t slash = directory.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return directory.substr(0, slash);
}

class MemoryInputFile : public InputFile {
 public:
  explicit MemoryInputFile(std::string bytes) : bytes_(std::move(bytes)) {}
  std::size_t read(char* buffer, std::size_t size) override {
    std::size_t n = bytes_.copy(buffer, size, pos_);
    pos_ += n;
    return n;
  }

 private:
  std::string bytes_;
  std::size_t pos_ = 0;
};

}  // namespace

// Gathers the bytes; the file comes into being in memory when it is closed,
// and only then is its size known for the report.
class RecordedOutputFile : public OutputFile {
 public:
  RecordedOutputFile(RecordingFileSystem& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
  ~RecordedOutputFile() override {
    if (!closed_) owner_.commitWrite(path_, std::move(bytes_));
  }
  RecordedOutputFile(const RecordedOutputFile&) = delete;
  RecordedOutputFile& operator=(const RecordedOutputFile&) = delete;

  bool write(std::string_view bytes) override {
    if (closed_) return false;
    bytes_.append(bytes);
    return true;
  }
  bool close() override {
    if (closed_) return false;
    closed_ = true;
    owner_.commitWrite(path_, std::move(bytes_));
    return true;
  }

 private:
  RecordingFileSystem& owner_;
  std::string path_;
  std::string bytes_;
  bool closed_ = false;
};

RecordingFileSystem::RecordingFileSystem(FileSystem& disk, Reporter report)
    : disk_(disk), report_(std::move(report)) {
  start_ = disk_.currentDirectory().value_or("");
  cwd_ = start_;
}

std::optional<std::string> RecordingFileSystem::currentDirectory() const {
  if (cwd_.empty()) return std::nullopt;
  return cwd_;
}

std::optional<std::string> RecordingFileSystem::resolveDirectory(const std::string& path) const {
  std::string at = !path.empty() && path.front() == '/' ? "/" : cwd_;
  if (at.empty()) return std::nullopt;
  for (const std::string& part : splitPath(path)) {
    if (part == ".") continue;
    if (part == "..") {
      at = parentOf(at);
      continue;
    }
    std::string next = joinPath(at, part);
    if (directories_.count(next) != 0) {
      at = next;
      continue;
    }
    // A folder made in memory holds nothing on disk.
    if (files_.count(next) != 0 || directories_.count(at) != 0) return std::nullopt;
    if (!disk_.changeDirectory(next)) return std::nullopt;
    std::optional<std::string> entered = disk_.currentDirectory();
    if (!entered) return std::nullopt;
    at = *entered;
  }
  return at;
}

std::optional<std::string> RecordingFileSystem::locate(const std::string& path) const {
  std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return std::nullopt;
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  std::optional<std::string> directory = resolveDirectory(folder);
  if (!directory) return std::nullopt;
  if (name == ".") return *directory;
  if (name == "..") return parentOf(*directory);
  return joinPath(*directory, name);
}

RecordingFileSystem::EntryKind RecordingFileSystem::kindOf(const std::string& absolutePath) const {
  if (directories_.count(absolutePath) != 0) return EntryKind::directory;
  if (files_.count(absolutePath) != 0) return EntryKind::file;
  const std::string parent = parentOf(absolutePath);
  if (absolutePath == "/") return EntryKind::directory;
  if (directories_.count(parent) != 0) return EntryKind::none;
  if (!disk_.changeDirectory(parent)) return EntryKind::none;
  const std::string name = absolutePath.substr(absolutePath.find_last_of('/') + 1);
  for (const DirectoryEntry& entry : disk_.listEntries()) {
    if (entry.name != name) continue;
    if (entry.isDirectory) return EntryKind::directory;
    return entry.isRegularFile ? EntryKind::file : EntryKind::other;
  }
  return EntryKind::none;
}

void RecordingFileSystem::commitWrite(const std::string& absolutePath, std::string bytes) {
  const std::size_t size = bytes.size();
  files_[absolutePath] = {std::move(bytes), std::nullopt};
  report_("write " + shown(absolutePath) + " (" + std::to_string(size) + " bytes)");
}

bool RecordingFileSystem::changeDirectory(const std::string& path) {
  if (path.empty()) return false;
  std::optional<std::string> directory = resolveDirectory(path);
  if (!directory) return false;
  cwd_ = *directory;
  return true;
}

std::vector<DirectoryEntry> RecordingFileSystem::listEntries() const {
  std::vector<DirectoryEntry> entries;
  if (cwd_.empty()) return entries;
  if (directories_.count(cwd_) == 0 && disk_.changeDirectory(cwd_)) entries = disk_.listEntries();
  for (const std::string& directory : directories_)
    if (directory != "/" && parentOf(directory) == cwd_)
      entries.push_back({directory.substr(directory.find_last_of('/') + 1), false, true});
  for (const auto& [path, file] : files_)
    if (parentOf(path) == cwd_) entries.push_back({path.substr(path.find_last_of('/') + 1), true, false});
  return entries;
}

bool RecordingFileSystem::createDirectory(const std::string& path) {
  // mkdir ignores trailing slashes: "Name/" makes "Name".
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  std::optional<std::string> target = locate(trimmed);
  if (!target || kindOf(*target) != EntryKind::none) return false;
  directories_.insert(*target);
  report_("mkdir " + shown(*target));
  return true;
}

bool RecordingFileSystem::copyFile(const std::string& from, const std::string& to) {
  std::optional<std::string> source = locate(from);
  if (!source) return false;
  MadeFile copy;
  if (auto file = files_.find(*source); file != files_.end()) {
    copy = file->second;
  } else {
    // The copy would fail on a file that cannot be opened; one that can is
    // not read, only remembered.
    if (directories_.count(*source) != 0 || directories_.count(parentOf(*source)) != 0) return false;
    if (!disk_.openForReading(*source)) return false;
    copy.copyOf = *source;
  }
  std::optional<std::string> target = locate(to);
  if (!target || kindOf(*target) == EntryKind::directory) return false;
  files_[*target] = std::move(copy);
  report_("copy " + shown(*source) + " -> " + shown(*target));
  return true;
}

std::unique_ptr<InputFile> RecordingFileSystem::openForReading(const std::string& path) {
  std::optional<std::string> source = locate(path);
  if (!source) return nullptr;
  if (auto file = files_.find(*source); file != files_.end()) {
    if (file->second.copyOf) return disk_.openForReading(*file->second.copyOf);
    return std::make_unique<MemoryInputFile>(file->second.bytes);
  }
  if (directories_.count(*source) != 0 || directories_.count(parentOf(*source)) != 0) return nullptr;
  return disk_.openForReading(*source);
}

std::unique_ptr<OutputFile> RecordingFileSystem::openForWriting(const std::string& path) {
  std::optional<std::string> target = locate(path);
  if (!target || kindOf(*target) == EntryKind::directory) return nullptr;
  return std::make_unique<RecordedOutputFile>(*this, *target);
}

std::string RecordingFileSystem::shown(const std::string& absolutePath) const {
  const std::vector<std::string> from = splitPath(start_);
  const std::vector<std::string> to = splitPath(absolutePath);
  std::size_t common = 0;
  while (common < from.size() && common < to.size() && from[common] == to[common]) ++common;
  std::string relative;
  for (std::size_t i = common; i < from.size(); ++i) relative += relative.empty() ? ".." : "/..";
  for (std::size_t i = common; i < to.size(); ++i) relative += (relative.empty() ? "" : "/") + to[i];
  return relative.empty() ? "." : relative;
}

}  // namespace forgeline::cli
