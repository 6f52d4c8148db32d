#include "MemoryFileSystem.h"

#include <utility>

#include "core/KeyFileFormat.h"

namespace forgeline::fuzz {

namespace {

// Owns its copy, so that a file written while it is read cannot pull the
// bytes away under the reader.
class MemoryInput : public InputFile {
 public:
  explicit MemoryInput(std::string bytes) : bytes_(std::move(bytes)) {}
  std::size_t read(char* buffer, std::size_t size) override { return reader_.read(buffer, size); }

 private:
  std::string bytes_;
  StringInput reader_{bytes_};
};

class MemoryOutput : public OutputFile {
 public:
  explicit MemoryOutput(std::string& target) : target_(&target) {}
  bool write(std::string_view bytes) override {
    if (target_ == nullptr) return false;
    target_->append(bytes);
    return true;
  }
  bool close() override {
    bool open = target_ != nullptr;
    target_ = nullptr;
    return open;
  }

 private:
  std::string* target_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() { directories_.insert("/"); }

std::string MemoryFileSystem::normalise(const std::string& path) const {
  std::vector<std::string> parts;
  std::string joined = !path.empty() && path.front() == '/' ? path : cwd_ + "/" + path;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    std::string part = joined.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  return result.empty() ? "/" : result;
}

std::string MemoryFileSystem::parentOf(const std::string& absolute) {
  std::size_t slash = absolute.rfind('/');
  return slash == 0 ? "/" : absolute.substr(0, slash);
}

void MemoryFileSystem::addDirectory(const std::string& path) {
  std::string absolute = normalise(path);
  while (directories_.insert(absolute).second) absolute = parentOf(absolute);
}

void MemoryFileSystem::addFile(const std::string& path, std::string bytes) {
  std::string absolute = normalise(path);
  addDirectory(parentOf(absolute));
  files_[absolute] = std::move(bytes);
}

std::map<std::string, std::string> MemoryFileSystem::snapshot() const {
  std::map<std::string, std::string> tree = files_;
  for (const std::string& dir : directories_) tree[dir] = "<dir>";
  return tree;
}

bool MemoryFileSystem::changeDirectory(const std::string& path) {
  if (path.empty()) return false;
  std::string target = normalise(path);
  if (!directories_.contains(target)) return false;
  cwd_ = target;
  return true;
}

std::vector<DirectoryEntry> MemoryFileSystem::listEntries() const {
  std::vector<DirectoryEntry> entries;
  for (const auto& [path, bytes] : files_)
    if (path != "/" && parentOf(path) == cwd_) entries.push_back({path.substr(path.rfind('/') + 1), true, false});
  for (const std::string& dir : directories_)
    if (dir != "/" && parentOf(dir) == cwd_) entries.push_back({dir.substr(dir.rfind('/') + 1), false, true});
  return entries;
}

bool MemoryFileSystem::createDirectory(const std::string& path) {
  std::string target = normalise(path);
  if (target == "/" || directories_.contains(target) || files_.contains(target)) return false;
  if (!directories_.contains(parentOf(target))) return false;
  directories_.insert(target);
  return true;
}

bool MemoryFileSystem::copyFile(const std::string& from, const std::string& to) {
  auto source = files_.find(normalise(from));
  std::string destination = normalise(to);
  if (source == files_.end() || directories_.contains(destination) ||
      !directories_.contains(parentOf(destination)))
    return false;
  files_[destination] = source->second;
  return true;
}

std::unique_ptr<InputFile> MemoryFileSystem::openForReading(const std::string& path) {
  auto file = files_.find(normalise(path));
  if (file == files_.end()) return nullptr;
  return std::make_unique<MemoryInput>(file->second);
}

std::unique_ptr<OutputFile> MemoryFileSystem::openForWriting(const std::string& path) {
  std::string target = normalise(path);
  if (directories_.contains(target) || !directories_.contains(parentOf(target))) return nullptr;
  std::string& bytes = files_[target];
  bytes.clear();
  return std::make_unique<MemoryOutput>(bytes);
}

}  // namespace forgeline::fuzz
