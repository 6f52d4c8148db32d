// RealFileSystem on POSIX systems. The working directory is a logical path
// held as text; a folder this object made is held open and everything below
// it is reached through that handle, one name at a time, never following a
// link. Elsewhere (KeyFiles, the main folder) paths are handed to the kernel
// as they are, links followed, as the user laid them out.
#include "core/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <map>
#include <string_view>
#include <system_error>
#include <utility>

namespace forgeline {

namespace {

#ifdef O_PATH
constexpr int kFolderHandle = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderHandle = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// An open descriptor, closed with the last owner.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

using Folder = std::shared_ptr<const Descriptor>;

// A name inside a folder: the folder's handle (nullptr for a folder given
// by its path, which is then `path`'s parent) and the name within it.
struct Place {
  Folder folder;
  std::string name;
  int at() const { return folder ? folder->get() : AT_FDCWD; }
};

std::string parentOf(const std::string& absolute) {
  const std::size_t slash = absolute.find_last_of('/');
  return slash == 0 || slash == std::string::npos ? "/" : absolute.substr(0, slash);
}

std::string join(const std::string& folder, std::string_view name) {
  return folder == "/" ? "/" + std::string(name) : folder + "/" + std::string(name);
}

// `path` taken from the absolute folder `base` the way a shell's cd takes
// it: "." and empty parts are dropped and ".." takes away the last name,
// without asking the disk where a link leads.
std::string logicalPath(const std::string& base, std::string_view path) {
  std::string result = !path.empty() && path.front() == '/' ? "/" : base;
  while (!path.empty()) {
    const std::size_t slash = std::min(path.find('/'), path.size());
    const std::string_view part = path.substr(0, slash);
    path.remove_prefix(std::min(slash + 1, path.size()));
    if (part.empty() || part == ".") continue;
    result = part == ".." ? parentOf(result) : join(result, part);
  }
  return result;
}

// 0 when a process may enter the folder `path`, else why not as an errno value.
int enterError(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return errno;
  if (!S_ISDIR(info.st_mode)) return ENOTDIR;
  return ::access(path.c_str(), X_OK) == 0 ? 0 : errno;
}

bool isEnterableDirectory(const std::string& path) { return enterError(path) == 0; }

// Why resolve() found no path: a NUL byte, or nothing to start from.
int unresolvedError(const std::string& path) { return path.find('\0') != std::string::npos ? EINVAL : ENOENT; }

// The system's words for an errno value.
std::string reasonFor(int error) { return std::generic_category().message(error); }

// The descriptor if it is a regular file, else -1 (closing it), and then in
// `why` the reason. Files are opened without blocking, so a FIFO or a device
// that carries a key file's name never hangs the wizard; reading a regular
// file ignores the flag.
int keepIfRegular(int fd, std::string* why = nullptr) {
  if (fd < 0) {
    if (why) *why = reasonFor(errno);
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) return fd;
  if (why) *why = S_ISDIR(info.st_mode) ? reasonFor(EISDIR) : "not a regular file";
  ::close(fd);
  return -1;
}

class PosixInputFile : public InputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  std::size_t read(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::read(fd_.get(), buffer, size);
      if (n >= 0) return static_cast<std::size_t>(n);
      if (errno != EINTR) return 0;
    }
  }

 private:
  Descriptor fd_;
};

// The temporary being written right now, for a signal handler to remove.
// It is armed before the file is created and disarmed only once the file
// is renamed or removed, so a signal at any moment in between finds it;
// removing a name that is already gone does no harm.
struct UnfinishedFile {
  volatile std::sig_atomic_t armed = 0;
  int folder = -1;
  char name[NAME_MAX + 1] = {};
};
UnfinishedFile unfinished;

void remember(const Place& temporary) {
  unfinished.armed = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  if (temporary.name.size() > NAME_MAX) return;
  unfinished.folder = temporary.at();
  temporary.name.copy(unfinished.name, temporary.name.size());
  unfinished.name[temporary.name.size()] = '\0';
  std::atomic_signal_fence(std::memory_order_seq_cst);
  unfinished.armed = 1;
}

void forget() {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  unfinished.armed = 0;
}

// Written under a temporary name beside its final one, and renamed into
// place only once closed: whatever stops the program, the final name holds
// a whole file or none.
class PosixOutputFile : public OutputFile {
 public:
  PosixOutputFile(int fd, Place temporary, std::string finalName)
      : fd_(fd), temporary_(std::move(temporary)), finalName_(std::move(finalName)) {}
  ~PosixOutputFile() override {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlinkat(temporary_.at(), temporary_.name.c_str(), 0);
    forget();
  }
  PosixOutputFile(const PosixOutputFile&) = delete;
  PosixOutputFile& operator=(const PosixOutputFile&) = delete;

  bool write(std::string_view bytes) override {
    if (fd_ < 0) return false;
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  // Copies the rest of the open file `from` in, within the kernel where it
  // can; false when anything could not be read or written.
  bool copyFrom(int from) {
    if (fd_ < 0) return false;
#ifdef __linux__
    for (bool copiedAny = false;;) {
      const ssize_t n = ::copy_file_range(from, nullptr, fd_, nullptr, std::size_t{1} << 30, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n > 0) {
        copiedAny = true;
        continue;
      }
      // Done when it ends after some bytes. Nothing at all may also be a
      // file whose size the kernel does not know (a /proc file), and an
      // error may be a pair of files the kernel cannot copy between: the
      // plain reading below then goes on from where this stopped, and
      // tells a real end, or a real error, for itself.
      if (n == 0 && copiedAny) return true;
      break;
    }
#endif
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(from, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) return true;
      if (!write(std::string_view(buffer, static_cast<std::size_t>(n)))) return false;
    }
  }

  bool close() override {
    if (fd_ < 0) return false;
    const int fd = std::exchange(fd_, -1);
    const int at = temporary_.at();
    const bool done = ::close(fd) == 0 && ::renameat(at, temporary_.name.c_str(), at, finalName_.c_str()) == 0;
    if (!done) ::unlinkat(at, temporary_.name.c_str(), 0);
    forget();
    return done;
  }

 private:
  int fd_;
  Place temporary_;
  std::string finalName_;
};

}  // namespace

struct RealFileSystem::Held {
  struct Made {
    Folder folder;
    dev_t device;
    ino_t inode;
  };
  // Folders this object created, by logical path, each held open.
  std::map<std::string, Made, std::less<>> made;

  // The folder made by us that `absolute` is or lies below, with the rest
  // of the path; nullptr when it lies below none.
  std::pair<Folder, std::string_view> anchor(std::string_view absolute) const {
    for (std::string_view prefix = absolute; prefix.size() > 1;) {
      if (auto found = made.find(prefix); found != made.end()) {
        std::string_view rest = absolute.substr(prefix.size());
        if (!rest.empty()) rest.remove_prefix(1);
        return {found->second.folder, rest};
      }
      prefix = prefix.substr(0, std::max<std::size_t>(prefix.find_last_of('/'), 1));
    }
    return {nullptr, absolute};
  }

  // The folder that holds `absolute` (not "/") and the last name. Below a
  // folder we made, each folder on the way is opened by name without
  // following a link; elsewhere the parent is opened by its path.
  std::optional<Place> place(const std::string& absolute) const {
    const std::size_t slash = absolute.find_last_of('/');
    std::string name = absolute.substr(slash + 1);
    auto [folder, rest] = anchor(parentOf(absolute));
    if (!folder) {
      const int fd = ::open(parentOf(absolute).c_str(), kFolderHandle);
      if (fd < 0) return std::nullopt;
      return Place{std::make_shared<const Descriptor>(fd), std::move(name)};
    }
    while (!rest.empty()) {
      const std::size_t end = std::min(rest.find('/'), rest.size());
      const std::string step(rest.substr(0, end));
      rest.remove_prefix(std::min(end + 1, rest.size()));
      const int fd = ::openat(folder->get(), step.c_str(), kFolderHandle | O_NOFOLLOW);
      if (fd < 0) return std::nullopt;
      folder = std::make_shared<const Descriptor>(fd);
    }
    return Place{std::move(folder), std::move(name)};
  }

  bool isBelowMade(const std::string& absolute) const { return anchor(absolute).first != nullptr; }

  // Whether the folder may be entered. One we made must still carry its
  // name: entering a link put in its place would look harmless (we hold the
  // folder itself) but leaves the project in two pieces, so it fails.
  bool mayEnter(const std::string& absolute) const {
    if (!isBelowMade(absolute)) return isEnterableDirectory(absolute);
    auto found = made.find(absolute);
    if (found == made.end()) {
      const int fd = open(absolute, kFolderHandle);
      if (fd >= 0) ::close(fd);
      return fd >= 0;
    }
    std::optional<Place> at = place(absolute);
    struct stat info {};
    return at && ::fstatat(at->at(), at->name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           info.st_dev == found->second.device && info.st_ino == found->second.inode;
  }

  // Opens `absolute` with `flags`; below a folder we made, without
  // following a link at any step.
  int open(const std::string& absolute, int flags) const {
    if (auto found = made.find(absolute); found != made.end())
      return ::openat(found->second.folder->get(), ".", flags);
    if (!isBelowMade(absolute)) return ::open(absolute.c_str(), flags);
    std::optional<Place> at = place(absolute);
    return at ? ::openat(at->at(), at->name.c_str(), flags | O_NOFOLLOW) : -1;
  }

  // A new file that will become `absolute` when closed.
  std::unique_ptr<PosixOutputFile> create(const std::string& absolute) const {
    std::optional<Place> at = place(absolute);
    if (!at || at->name.empty() || at->name == "." || at->name == "..") return nullptr;
    Place temporary{at->folder, "." + at->name + ".part"};
    remember(temporary);
    const int fd = ::openat(temporary.at(), temporary.name.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      forget();
      return nullptr;
    }
    return std::make_unique<PosixOutputFile>(fd, std::move(temporary), std::move(at->name));
  }
};

RealFileSystem::RealFileSystem(const std::string& startDirectory) : held_(std::make_unique<Held>()) {
  std::string here;
  if (char* physical = ::getcwd(nullptr, 0)) {
    here = physical;
    std::free(physical);
  }
  // The shell's name for the folder, links and all, when it still names it.
  const char* shellName = std::getenv("PWD");
  struct stat named {}, actual {};
  if (shellName != nullptr && shellName[0] == '/' && logicalPath("/", shellName) == shellName &&
      ::stat(shellName, &named) == 0 && ::stat(".", &actual) == 0 && named.st_dev == actual.st_dev &&
      named.st_ino == actual.st_ino)
    here = shellName;
  if (startDirectory.empty()) {
    if (!here.empty() && isEnterableDirectory(here)) cwd_ = here;
    return;
  }
  if (startDirectory.front() != '/' && here.empty()) return;
  const std::string start = logicalPath(here, startDirectory);
  if (startDirectory.find('\0') == std::string::npos && isEnterableDirectory(start)) cwd_ = start;
}

RealFileSystem::~RealFileSystem() = default;

void removeUnfinishedFile() noexcept {
  if (unfinished.armed) ::unlinkat(unfinished.folder, unfinished.name, 0);
  unfinished.armed = 0;
}

std::string RealFileSystem::resolve(const std::string& path) const {
  // The kernel would read a path only up to a NUL: such a path names
  // another file than the one asked for.
  if (path.empty() || path.find('\0') != std::string::npos) return {};
  if (path.front() != '/' && cwd_.empty()) return {};
  return logicalPath(cwd_, path);
}

std::optional<std::string> RealFileSystem::currentDirectory() const {
  if (cwd_.empty()) return std::nullopt;
  return cwd_;
}

bool RealFileSystem::changeDirectory(const std::string& path) {
  const std::string target = resolve(path);
  if (target.empty()) return false;
  if (!held_->mayEnter(target)) return false;
  // Leaving every folder we made (a build returning to KeyFiles) lets them
  // go, so a long-running window holds nothing between builds.
  if (!held_->isBelowMade(target)) held_->made.clear();
  cwd_ = target;
  return true;
}

std::vector<DirectoryEntry> RealFileSystem::listEntries() const {
  std::vector<DirectoryEntry> entries;
  if (cwd_.empty()) return entries;
  const int fd = held_->open(cwd_, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
  if (dir == nullptr) {
    if (fd >= 0) ::close(fd);
    return entries;
  }
  while (const dirent* item = ::readdir(dir)) {
    const std::string_view name = item->d_name;
    if (name == "." || name == "..") continue;
    DirectoryEntry entry{std::string(name), item->d_type == DT_REG, item->d_type == DT_DIR};
    // Only a link, or a disk that does not tell the type, costs a look at
    // the entry itself; a link is taken for what it leads to.
    if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
      struct stat info {};
      if (::fstatat(::dirfd(dir), item->d_name, &info, 0) == 0) {
        entry.isRegularFile = S_ISREG(info.st_mode);
        entry.isDirectory = S_ISDIR(info.st_mode);
      }
    }
    entries.push_back(std::move(entry));
  }
  ::closedir(dir);
  return entries;
}

DirectoryCreation RealFileSystem::createDirectory(const std::string& path) {
  const std::string target = resolve(path);
  if (target == "/") return DirectoryCreation::exists();
  if (target.empty()) return DirectoryCreation::failed(reasonFor(unresolvedError(path)));
  std::optional<Place> at = held_->place(target);
  if (!at) return DirectoryCreation::failed(reasonFor(errno));
  if (::mkdirat(at->at(), at->name.c_str(), 0777) != 0) {
    const int error = errno;
    // The kernel tells "exists" first on Linux, but not every system
    // promises that order: a name already taken is always "exists".
    struct stat info {};
    if (error == EEXIST || ::fstatat(at->at(), at->name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
      return DirectoryCreation::exists();
    return DirectoryCreation::failed(reasonFor(error));
  }
  // Held from now on: a link put in its place later leads nowhere for us.
  auto folder = std::make_shared<const Descriptor>(::openat(at->at(), at->name.c_str(), kFolderHandle | O_NOFOLLOW));
  struct stat info {};
  if (folder->get() < 0 || ::fstat(folder->get(), &info) != 0) return DirectoryCreation::failed(reasonFor(errno));
  held_->made[target] = {std::move(folder), info.st_dev, info.st_ino};
  return DirectoryCreation::made();
}

std::string RealFileSystem::whyNotEnterable(const std::string& path) const {
  const std::string target = resolve(path);
  if (target.empty()) return reasonFor(unresolvedError(path));
  const int error = enterError(target);
  return error == 0 ? std::string() : reasonFor(error);
}

bool RealFileSystem::copyFile(const std::string& from, const std::string& to) {
  const std::string source = resolve(from);
  const std::string destination = resolve(to);
  if (source.empty() || destination.empty()) return false;
  const Descriptor in(keepIfRegular(held_->open(source, O_RDONLY | O_NONBLOCK | O_CLOEXEC)));
  if (in.get() < 0) return false;
  std::unique_ptr<PosixOutputFile> out = held_->create(destination);
  // A failed copy drops the file: a short file must not take the name.
  return out && out->copyFrom(in.get()) && out->close();
}

std::unique_ptr<InputFile> RealFileSystem::openForReading(const std::string& path) {
  lastFailure_.clear();
  const std::string target = resolve(path);
  if (target.empty()) return nullptr;
  const int fd = keepIfRegular(held_->open(target, O_RDONLY | O_NONBLOCK | O_CLOEXEC), &lastFailure_);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixInputFile>(fd);
}

std::unique_ptr<OutputFile> RealFileSystem::openForWriting(const std::string& path) {
  const std::string target = resolve(path);
  if (target.empty() || target == "/") return nullptr;
  return held_->create(target);
}

}  // namespace forgeline
