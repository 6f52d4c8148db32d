// RealFileSystem on Windows, through the wide API. Inside the program a path
// is UTF-8 with "/" between folders; at the call it becomes UTF-16 with "\"
// and the "\\?\" prefix, which lifts the 260-character limit and keeps
// Windows from rewriting names (a trailing dot, a device name such as CON).
// That prefix takes no "." or ".." steps, so every path is made absolute and
// tidied first; Windows resolves ".." by name, not by following links.
#include "core/FileSystem.h"
#include "core/Win32Text.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace forgeline {

namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool reset() {
    if (!valid()) return false;
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return ::CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The system's words for an error code, as one sentence without its full
// stop or line break.
std::string reasonFor(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length != 0 && text != nullptr ? narrow(std::wstring_view(text, length)) : std::string();
  if (text != nullptr) ::LocalFree(text);
  while (!reason.empty() && (reason.back() == '.' || reason.back() == ' ' || reason.back() == '\r' ||
                             reason.back() == '\n'))
    reason.pop_back();
  return reason.empty() ? "Error " + std::to_string(error) : reason;
}

// The temporary being written right now, for the console handler to
// remove. That handler runs on a thread of its own while the build goes on,
// so the record is guarded by a lock, and a temporary is created with the
// lock held: the handler finds it either not made yet or recorded. Once the
// handler has run no file starts any more, so none can appear between it
// and the end of the program.
struct UnfinishedFile {
  std::atomic_flag busy = ATOMIC_FLAG_INIT;
  bool armed = false;
  bool ending = false;
  wchar_t path[32768] = {};  // the longest path the wide API takes, and its NUL
};
UnfinishedFile unfinished;

void lockUnfinished() {
  while (unfinished.busy.test_and_set(std::memory_order_acquire)) ::Sleep(1);
}
void unlockUnfinished() { unfinished.busy.clear(std::memory_order_release); }

// With the lock held: records `temporary`, or nothing when it is too long to.
void remember(const std::wstring& temporary) {
  unfinished.armed = temporary.size() < std::size(unfinished.path);
  if (unfinished.armed) std::wmemcpy(unfinished.path, temporary.c_str(), temporary.size() + 1);
}

void forget() {
  lockUnfinished();
  unfinished.armed = false;
  unlockUnfinished();
}

// How many bytes arrived: 0 at the end of the file, -1 on a read error.
long readSome(HANDLE handle, char* buffer, std::size_t size) {
  DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  DWORD got = 0;
  if (!::ReadFile(handle, buffer, chunk, &got, nullptr)) return -1;
  return static_cast<long>(got);
}

bool writeAll(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD put = 0;
    if (!::WriteFile(handle, bytes.data(), chunk, &put, nullptr) || put == 0) return false;
    bytes.remove_prefix(put);
  }
  return true;
}

class Win32InputFile : public InputFile {
 public:
  explicit Win32InputFile(HANDLE handle) : handle_(handle) {}
  std::size_t read(char* buffer, std::size_t size) override {
    return static_cast<std::size_t>(std::max(0L, readSome(handle_.get(), buffer, size)));
  }

 private:
  Handle handle_;
};

// Written under a temporary name beside its final one and moved into place
// only once closed: whatever stops the program, the final name holds a
// whole file or none.
class Win32OutputFile : public OutputFile {
 public:
  Win32OutputFile(HANDLE handle, std::wstring temporary, std::wstring final)
      : handle_(handle), temporary_(std::move(temporary)), final_(std::move(final)) {}
  ~Win32OutputFile() override {
    if (handle_.reset()) ::DeleteFileW(temporary_.c_str());
    forget();
  }
  Win32OutputFile(const Win32OutputFile&) = delete;
  Win32OutputFile& operator=(const Win32OutputFile&) = delete;

  bool write(std::string_view bytes) override { return handle_.valid() && writeAll(handle_.get(), bytes); }
  bool close() override {
    if (!handle_.valid()) return false;
    const bool done =
        handle_.reset() && ::MoveFileExW(temporary_.c_str(), final_.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!done) ::DeleteFileW(temporary_.c_str());
    forget();
    return done;
  }

 private:
  Handle handle_;
  std::wstring temporary_;
  std::wstring final_;
};

bool isSeparator(char c) { return c == '/' || c == '\\'; }

bool hasDrive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

// The part of an absolute path that ".." never climbs above: "C:/" or
// "//server/share/"; empty when `path` is not absolute.
std::string rootOf(const std::string& path) {
  if (hasDrive(path) && path.size() >= 3 && isSeparator(path[2])) return path.substr(0, 2) + "/";
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    std::size_t server = path.find_first_of("/\\", 2);
    if (server == std::string::npos || server == 2) return {};
    std::size_t share = path.find_first_of("/\\", server + 1);
    if (share == server + 1) return {};
    std::string root = "//" + path.substr(2, server - 2) + "/" + path.substr(server + 1, share - server - 1);
    return root + "/";
  }
  return {};
}

// An absolute path with "/" only, no "." or ".." steps and no doubled
// separators; empty when `path` is not absolute.
std::string tidy(const std::string& path) {
  std::string root = rootOf(path);
  if (root.empty()) return {};
  std::vector<std::string> steps;
  // The root as the caller spelled it has the same length, only its
  // separators may be "\" (a UNC root may lack its last one).
  std::size_t skipped = std::min(root.size(), path.size());
  std::string step;
  auto flush = [&] {
    if (step == "..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
    step.clear();
  };
  for (std::size_t i = skipped; i < path.size(); ++i) {
    if (isSeparator(path[i])) flush();
    else step += path[i];
  }
  flush();
  std::string result = root;
  for (std::size_t i = 0; i < steps.size(); ++i) result += (i ? "/" : "") + steps[i];
  return result;
}

// The tidy absolute path as the wide API takes it.
std::wstring systemPath(const std::string& absolute) {
  std::wstring wide = widenFileName(absolute);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  if (hasDrive(absolute)) return L"\\\\?\\" + wide;
  return L"\\\\?\\UNC\\" + wide.substr(2);
}

// The path Windows reports, as this program keeps it.
std::string programPath(std::wstring_view system) {
  std::string path = narrow(system);
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.rfind("//?/UNC/", 0) == 0) return "//" + path.substr(8);
  if (path.rfind("//?/", 0) == 0) return path.substr(4);
  return path;
}

DWORD attributesOf(const std::string& absolute) { return ::GetFileAttributesW(systemPath(absolute).c_str()); }

// 0 when `absolute` is a folder, else why not as a system error code.
DWORD notDirectoryError(const std::string& absolute) {
  DWORD attributes = attributesOf(absolute);
  if (attributes == INVALID_FILE_ATTRIBUTES) return ::GetLastError();
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_DIRECTORY;
}

bool isDirectory(const std::string& absolute) { return notDirectoryError(absolute) == 0; }

// What a link leads to; INVALID_FILE_ATTRIBUTES for a dangling one.
DWORD attributesBehindLink(const std::string& absolute) {
  Handle target(::CreateFileW(systemPath(absolute).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!target.valid() || !::GetFileInformationByHandle(target.get(), &info)) return INVALID_FILE_ATTRIBUTES;
  return info.dwFileAttributes;
}

// Opens a regular file on disk for reading; never a folder or a device. On
// failure `why` gets the reason.
HANDLE openRegularForReading(const std::string& absolute, std::string* why = nullptr) {
  HANDLE handle = ::CreateFileW(systemPath(absolute).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // Windows refuses to open a folder as a file with "Access is denied".
    const DWORD error = ::GetLastError();
    if (why) *why = isDirectory(absolute) ? "Is a directory" : systemErrorText(error);
    return handle;
  }
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    if (why) *why = "not a regular file";
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

// A new file that becomes `absolute` when closed; nullptr when it cannot be
// made. The temporary is created new, never through something already there.
// It may be deleted while open, so the console handler can remove it while
// the build still holds it: it is gone once the program has ended.
std::unique_ptr<Win32OutputFile> createForWriting(const std::string& absolute) {
  const std::size_t slash = absolute.find_last_of('/');
  if (slash == std::string::npos || slash + 1 >= absolute.size()) return nullptr;
  std::wstring temporary =
      systemPath(absolute.substr(0, slash + 1) + "." + absolute.substr(slash + 1) + ".part");
  lockUnfinished();
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (!unfinished.ending) {
    remember(temporary);
    handle = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) unfinished.armed = false;
  }
  unlockUnfinished();
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32OutputFile>(handle, std::move(temporary), systemPath(absolute));
}

}  // namespace

// Every folder this object made, held open without sharing the right to
// delete: while we build, nobody can rename it away or swap a link in.
// Leaving them all (a build returning to KeyFiles) lets them go, so the user
// can remove a failed project while the window stays open.
struct RealFileSystem::Held {
  std::vector<std::pair<std::string, std::unique_ptr<Handle>>> made;
  bool isBelowMade(const std::string& absolute) const {
    return std::any_of(made.begin(), made.end(), [&](const auto& folder) {
      return absolute == folder.first || absolute.rfind(folder.first + "/", 0) == 0;
    });
  }
};

RealFileSystem::~RealFileSystem() = default;

void removeUnfinishedFile() noexcept {
  lockUnfinished();
  unfinished.ending = true;
  if (unfinished.armed) ::DeleteFileW(unfinished.path);
  unfinished.armed = false;
  unlockUnfinished();
}

RealFileSystem::RealFileSystem(const std::string& startDirectory) : held_(std::make_unique<Held>()) {
  std::string start = startDirectory;
  if (start.empty()) {
    DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring here(length, L'\0');
    DWORD written = ::GetCurrentDirectoryW(length, here.data());
    if (written > 0 && written < length) start = programPath(std::wstring_view(here.data(), written));
  }
  std::string absolute = tidy(start);
  if (!absolute.empty() && isDirectory(absolute)) cwd_ = absolute;
}

std::string RealFileSystem::resolve(const std::string& path) const {
  if (!rootOf(path).empty()) return tidy(path);
  if (cwd_.empty() || hasDrive(path)) return {};  // "C:name" means another drive's own folder
  // A leading "/" alone is the root of the current drive, as Windows has it.
  if (!path.empty() && isSeparator(path.front())) return tidy(rootOf(cwd_) + path);
  return tidy(cwd_ + "/" + path);
}

std::optional<std::string> RealFileSystem::currentDirectory() const {
  if (cwd_.empty()) return std::nullopt;
  return cwd_;
}

bool RealFileSystem::changeDirectory(const std::string& path) {
  if (path.empty()) return false;
  std::string target = resolve(path);
  if (target.empty() || !isDirectory(target)) return false;
  if (!held_->isBelowMade(target)) held_->made.clear();
  cwd_ = target;
  return true;
}

std::vector<DirectoryEntry> RealFileSystem::listEntries() const {
  std::vector<DirectoryEntry> entries;
  if (cwd_.empty()) return entries;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileExW((systemPath(cwd_) + (cwd_.back() == '/' ? L"*" : L"\\*")).c_str(),
                                     FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    std::string name = narrow(found.cFileName);
    if (name.empty() || name == "." || name == "..") continue;
    DWORD attributes = found.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) attributes = attributesBehindLink(resolve(name));
    DirectoryEntry entry{name, false, false};
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      entry.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.isRegularFile = !entry.isDirectory && !(attributes & FILE_ATTRIBUTE_DEVICE);
    }
    entries.push_back(std::move(entry));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return entries;
}

DirectoryCreation RealFileSystem::createDirectory(const std::string& path) {
  std::string target = resolve(path);
  if (path.empty() || target.empty()) return DirectoryCreation::failed(reasonFor(ERROR_PATH_NOT_FOUND));
  if (!::CreateDirectoryW(systemPath(target).c_str(), nullptr)) {
    const DWORD error = ::GetLastError();
    // A name already taken is "exists", whichever fault Windows names
    // first; a dangling link is there too, though its target is not.
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ||
        ::GetFileAttributesW(systemPath(target).c_str()) != INVALID_FILE_ATTRIBUTES)
      return DirectoryCreation::exists();
    return DirectoryCreation::failed(reasonFor(error));
  }
  auto folder = std::make_unique<Handle>(::CreateFileW(
      systemPath(target).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!folder->valid() || !::GetFileInformationByHandle(folder->get(), &info))
    return DirectoryCreation::failed(reasonFor(::GetLastError()));
  // A link put in its place between the two calls is not ours to enter.
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return DirectoryCreation::failed(reasonFor(ERROR_DIRECTORY));
  // A folder whose name starts with a dot (the project's record) is hidden
  // on Linux by its name; Explorer needs the attribute.
  if (target.substr(target.rfind('/') + 1).starts_with('.'))
    ::SetFileAttributesW(systemPath(target).c_str(), info.dwFileAttributes | FILE_ATTRIBUTE_HIDDEN);
  held_->made.emplace_back(target, std::move(folder));
  return DirectoryCreation::made();
}

std::string RealFileSystem::whyNotEnterable(const std::string& path) const {
  const std::string target = path.empty() ? std::string() : resolve(path);
  if (target.empty()) return reasonFor(ERROR_PATH_NOT_FOUND);
  const DWORD error = notDirectoryError(target);
  return error == 0 ? std::string() : reasonFor(error);
}

bool RealFileSystem::copyFile(const std::string& from, const std::string& to) {
  std::string source = resolve(from);
  std::string destination = resolve(to);
  if (source.empty() || destination.empty()) return false;
  Handle in(openRegularForReading(source));
  if (!in.valid()) return false;
  std::unique_ptr<Win32OutputFile> writer = createForWriting(destination);
  if (!writer) return false;
  char buffer[65536];
  for (;;) {
    long n = readSome(in.get(), buffer, sizeof buffer);
    // A read error drops the copy: a short file must not take the name.
    if (n < 0) return false;
    if (n == 0) return writer->close();
    if (!writer->write(std::string_view(buffer, static_cast<std::size_t>(n)))) return false;
  }
}

std::unique_ptr<InputFile> RealFileSystem::openForReading(const std::string& path) {
  lastFailure_.clear();
  std::string target = resolve(path);
  if (target.empty()) return nullptr;
  HANDLE handle = openRegularForReading(target, &lastFailure_);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32InputFile>(handle);
}

std::unique_ptr<OutputFile> RealFileSystem::openForWriting(const std::string& path) {
  std::string target = resolve(path);
  if (target.empty()) return nullptr;
  return createForWriting(target);
}

}  // namespace forgeline
