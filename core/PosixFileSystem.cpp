// RealFileSystem on POSIX systems: every call goes to the kernel with an
// absolute path built from the held working directory.
#include "core/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace forgeline {

namespace {

class PosixInputFile : public InputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  ~PosixInputFile() override { ::close(fd_); }
  PosixInputFile(const PosixInputFile&) = delete;
  PosixInputFile& operator=(const PosixInputFile&) = delete;

  std::size_t read(char* buffer, std::size_t size) override {
    for (;;) {
      ssize_t n = ::read(fd_, buffer, size);
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) return 0;
    }
  }

 private:
  int fd_;
};

class PosixOutputFile : public OutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  PosixOutputFile(const PosixOutputFile&) = delete;
  PosixOutputFile& operator=(const PosixOutputFile&) = delete;

  bool write(std::string_view bytes) override {
    if (fd_ < 0) return false;
    while (!bytes.empty()) {
      ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  bool close() override {
    if (fd_ < 0) return false;
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string canonical(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string result(resolved);
  std::free(resolved);
  return result;
}

// Opens a regular file for reading without ever blocking on a FIFO or a
// device that happens to carry a key file's name; -1 for anything else.
int openRegularForReading(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

bool isDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

RealFileSystem::RealFileSystem(const std::string& startDirectory) {
  std::string start = startDirectory;
  if (start.empty()) {
    char* here = ::getcwd(nullptr, 0);
    if (here != nullptr) {
      start = here;
      std::free(here);
    }
  }
  if (!start.empty() && isDirectory(start) && ::access(start.c_str(), X_OK) == 0) cwd_ = canonical(start);
}

std::string RealFileSystem::resolve(const std::string& path) const {
  if (!path.empty() && path.front() == '/') return path;
  if (cwd_.empty()) return {};
  return cwd_ == "/" ? "/" + path : cwd_ + "/" + path;
}

std::optional<std::string> RealFileSystem::currentDirectory() const {
  if (cwd_.empty()) return std::nullopt;
  return cwd_;
}

bool RealFileSystem::changeDirectory(const std::string& path) {
  if (path.empty()) return false;
  std::string target = resolve(path);
  if (target.empty() || !isDirectory(target) || ::access(target.c_str(), X_OK) != 0) return false;
  // The kernel keeps a working directory by its physical path, so ".." after
  // entering a linked folder leads to the link target's parent; so do we.
  std::string physical = canonical(target);
  if (physical.empty()) return false;
  cwd_ = physical;
  return true;
}

std::vector<DirectoryEntry> RealFileSystem::listEntries() const {
  std::vector<DirectoryEntry> entries;
  if (cwd_.empty()) return entries;
  DIR* dir = ::opendir(cwd_.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* item = ::readdir(dir)) {
    std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    DirectoryEntry entry{name, false, false};
    if (::stat(resolve(name).c_str(), &info) == 0) {
      entry.isRegularFile = S_ISREG(info.st_mode);
      entry.isDirectory = S_ISDIR(info.st_mode);
    }
    entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  return entries;
}

bool RealFileSystem::createDirectory(const std::string& path) {
  std::string target = resolve(path);
  return !path.empty() && !target.empty() && ::mkdir(target.c_str(), 0777) == 0;
}

bool RealFileSystem::copyFile(const std::string& from, const std::string& to) {
  std::string source = resolve(from);
  std::string destination = resolve(to);
  if (source.empty() || destination.empty()) return false;
  int in = openRegularForReading(source);
  if (in < 0) return false;
  int out = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    ::close(in);
    return false;
  }
  PosixInputFile reader(in);
  PosixOutputFile writer(out);
  bool ok = true;
  char buffer[65536];
  for (;;) {
    ssize_t n;
    do n = ::read(in, buffer, sizeof buffer);
    while (n < 0 && errno == EINTR);
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (!writer.write(std::string_view(buffer, static_cast<std::size_t>(n)))) {
      ok = false;
      break;
    }
  }
  ok = writer.close() && ok;
  if (!ok) ::unlink(destination.c_str());
  return ok;
}

std::unique_ptr<InputFile> RealFileSystem::openForReading(const std::string& path) {
  std::string target = resolve(path);
  if (target.empty()) return nullptr;
  int fd = openRegularForReading(target);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixInputFile>(fd);
}

std::unique_ptr<OutputFile> RealFileSystem::openForWriting(const std::string& path) {
  std::string target = resolve(path);
  if (target.empty()) return nullptr;
  int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixOutputFile>(fd);
}

}  // namespace forgeline
