#include "support/TestSupport.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace forgeline::test {

namespace fs = std::filesystem;

namespace {

// Paths are UTF-8 in the tests as in the program; std::filesystem would take
// a plain std::string in the ANSI code page on Windows.
fs::path pathOf(const std::string& utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string textOf(const fs::path& path) {
  std::u8string text = path.generic_u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

#ifdef _WIN32
// mingw's std::filesystem does not walk a folder past 260 characters (it
// quietly lists the working folder instead), so on Windows the tree is
// walked with the wide API and the "\\?\" prefix, which has no such limit.
std::wstring longPath(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');  // never more UTF-16 units than bytes
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                      static_cast<int>(wide.size()));
  wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return L"\\\\?\\" + wide;
}

std::string utf8Of(const wchar_t* wide) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string text(n > 1 ? static_cast<std::size_t>(n) : 1, '\0');
  if (n > 1) ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), n, nullptr, nullptr);
  text.pop_back();
  return text;
}

std::string readLongFile(const std::string& path) {
  HANDLE file = ::CreateFileW(longPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot read " + path);
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got != 0) bytes.append(buffer, got);
  ::CloseHandle(file);
  return bytes;
}

void walkLong(const std::string& folder, const std::string& relative, std::map<std::string, std::string>& tree) {
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((longPath(folder) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot list " + folder);
  do {
    const std::string name = utf8Of(found.cFileName);
    if (name == "." || name == "..") continue;
    const std::string path = folder + "/" + name;
    const std::string key = relative.empty() ? name : relative + "/" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      tree[key] = "<link>" + textOf(fs::read_symlink(pathOf(path)));
    } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      tree[key] = "<dir>";
      walkLong(path, key, tree);
    } else {
      tree[key] = readLongFile(path);
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}
#endif

}  // namespace

TempDir::TempDir() {
  // create_directory() reports whether it made the folder, so a name another
  // test took first is simply drawn again.
  static std::mt19937_64 draw{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() / ("forgeline-test-" + std::to_string(draw() % 1000000000));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = textOf(fs::canonical(candidate));
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(pathOf(path_), ignored);
}

void writeFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(pathOf(path).parent_path());
  std::ofstream out(pathOf(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path) {
  std::ifstream in(pathOf(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(pathOf(path), ignored));
}

void makeDirectory(const std::string& path) { fs::create_directories(pathOf(path)); }

void makeSymlink(const std::string& target, const std::string& link) { fs::create_symlink(pathOf(target), pathOf(link)); }

void makeFifo(const std::string& path) {
#ifdef _WIN32
  throw std::runtime_error("no named pipes in a folder on Windows: " + path);
#else
  if (::mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("mkfifo failed: " + path);
#endif
}

UnwritableFolder::UnwritableFolder(std::string folder) : folder_(std::move(folder)) {
#ifndef _WIN32
  struct stat info {};
  if (::stat(folder_.c_str(), &info) != 0) return;
  if (::geteuid() != 0) {
    if (::chmod(folder_.c_str(), 0555) == 0) undoMode_ = static_cast<int>(info.st_mode & 07777);
  } else {
#ifdef __linux__
    const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      const int locked = flags | FS_IMMUTABLE_FL;
      if (::ioctl(fd, FS_IOC_SETFLAGS, &locked) == 0) undoFlags_ = flags;
    }
    if (fd >= 0) ::close(fd);
#endif
  }
  const std::string probe = folder_ + "/.probe";
  if (::mkdir(probe.c_str(), 0777) == 0) {
    ::rmdir(probe.c_str());
    undo();
    return;
  }
  reason_ = std::strerror(errno);
#endif
}

UnwritableFolder::~UnwritableFolder() { undo(); }

void UnwritableFolder::undo() {
#ifndef _WIN32
  if (undoMode_ >= 0) ::chmod(folder_.c_str(), static_cast<mode_t>(undoMode_));
#ifdef __linux__
  if (undoFlags_ >= 0) {
    const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      ::ioctl(fd, FS_IOC_SETFLAGS, &undoFlags_);
      ::close(fd);
    }
  }
#endif
#endif
  undoMode_ = undoFlags_ = -1;
}

std::map<std::string, std::string> snapshotTree(const std::string& root) {
  std::map<std::string, std::string> tree;
#ifdef _WIN32
  if (root.size() >= 3 && root[1] == ':' && root[2] == '/') {
    std::string folder = root;
    while (folder.size() > 3 && folder.back() == '/') folder.pop_back();
    walkLong(folder, "", tree);
    return tree;
  }
#endif
  for (auto it = fs::recursive_directory_iterator(pathOf(root)); it != fs::recursive_directory_iterator(); ++it) {
    // Lexically: fs::relative would follow a link and name its target.
    std::string relative = textOf(it->path().lexically_relative(pathOf(root)));
    if (it->is_symlink()) {
      tree[relative] = "<link>" + textOf(fs::read_symlink(it->path()));
      it.disable_recursion_pending();
    } else if (it->is_directory()) {
      tree[relative] = "<dir>";
    } else if (it->is_regular_file()) {
      tree[relative] = readFile(textOf(it->path()));
    } else {
      tree[relative] = "<other>";
    }
  }
  return tree;
}

std::string changesOutside(const std::map<std::string, std::string>& before,
                           const std::map<std::string, std::string>& after, const std::string& inside) {
  std::string out;
  for (const auto& [path, content] : before) {
    auto found = after.find(path);
    if (found == after.end() || found->second != content)
      out += (found == after.end() ? "lost " : "changed ") + printable(path) + "; ";
  }
  for (const auto& [path, content] : after) {
    const bool allowed = !inside.empty() && (path == inside || path.starts_with(inside + "/"));
    if (!before.contains(path) && !allowed) out += "added " + printable(path) + "; ";
  }
  return out;
}

std::string printable(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t run = 1;
    while (i + run < bytes.size() && bytes[i + run] == bytes[i]) ++run;
    const auto byte = static_cast<unsigned char>(bytes[i]);
    std::string one(1, bytes[i]);
    if (byte < 0x20 || byte >= 0x7F || byte == '\\') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      one = hex;
    }
    if (run >= 5) {
      out += one + "*" + std::to_string(run);
      i += run;
    } else {
      out += one;
      ++i;
    }
  }
  return out;
}

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

const char* const kDemo08 =
    "Demo description of a made-up MCU\n"
    "MenuName=DEMO08\n"
    "IncludeName=<demo08.h>\n"
    "CURRENTDEVICE=DEMO08\n"
    "Revision=7\n"
    "PRMSTART\n"
    "NAMES END\n"
    "SEGMENTS\n"
    "    RAM = READ_WRITE 0x0080 TO 0x00FF;\n"
    "    ROM = READ_ONLY  0xE000 TO 0xFFAD;\n"
    "END\n"
    "PRMEND\n"
    "MODULE:INIT\n"
    "9. Start-up code only\n"
    "1. includes\n"
    "#include \"derivative.h\"\n"
    "6. body of main\n"
    "  for (;;) { }\n"
    "ENDMODULE\n"
    "MODULE:ICS\n"
    "9. Internal clock source\n"
    "5.\n"
    "void ICS_Init(void);\n"
    "6.\n"
    "  ICS_Init();\n"
    "  for (;;) { }\n"
    "7.\n"
    "void ICS_Init(void) { }\n"
    "ENDMODULE\n"
    "MODULE:ADC uses ICS\n"
    "9. Reads analogue channel 0 in the main loop\n"
    "4.\n"
    "unsigned int adcValue;\n"
    "6.\n"
    "  ICS_Init();\n"
    "  for (;;) { adcValue = ADC_Read(); }\n"
    "7.\n"
    "unsigned int ADC_Read(void) { return 0; }\n"
    "ENDMODULE\n";

std::map<std::string, std::string> keyFileTemplates(const std::vector<std::string>& mcpMenuNames) {
  std::map<std::string, std::string> templates{{"burner.bbl", "burner template\r\n"},
                                               {"C_Layout.hwl", "layout template\r\n"},
                                               {"Default.mem", "memory template\r\n"},
                                               {"Start08.c", "/* HCS08 start-up */\r\n"},
                                               {"StartRS08.c", "/* RS08 start-up */\r\n"}};
  for (const std::string& menu : mcpMenuNames) templates[menu + ".mcp"] = "mcp of " + menu + "\r\n";
  return templates;
}

void writeKeyFiles(const std::string& root, const std::map<std::string, std::string>& mcuFiles,
                   const std::vector<std::string>& mcpMenuNames, bool withTemplates) {
  const std::string keyFiles = root + "/KeyFiles";
  makeDirectory(keyFiles);
  for (const auto& [name, bytes] : mcuFiles) writeFile(keyFiles + "/" + name, bytes);
  if (!withTemplates) return;
  for (const auto& [name, bytes] : keyFileTemplates(mcpMenuNames)) writeFile(keyFiles + "/" + name, bytes);
}

void writeKeyFiles(MemoryFileSystem& fs, const std::map<std::string, std::string>& mcuFiles,
                   const std::vector<std::string>& mcpMenuNames, bool withTemplates) {
  fs.addDirectory("KeyFiles");
  for (const auto& [name, bytes] : mcuFiles) fs.addFile("KeyFiles/" + name, bytes);
  if (!withTemplates) return;
  for (const auto& [name, bytes] : keyFileTemplates(mcpMenuNames)) fs.addFile("KeyFiles/" + name, bytes);
}

namespace {

// As the log shows them, in the order of FsOp.
const char* const kOpNames[] = {"pwd", "cd", "list", "mkdir", "copy", "read", "write", "write-bytes", "close"};

class FaultyOutputFile : public OutputFile {
 public:
  FaultyOutputFile(std::unique_ptr<OutputFile> inner, const FaultyFileSystem& owner, std::string path)
      : inner_(std::move(inner)), owner_(owner), path_(std::move(path)) {}
  bool write(std::string_view bytes) override {
    if (owner_.shouldFail(FsOp::write, path_)) return false;
    return inner_->write(bytes);
  }
  // A close that fails drops the file, as the real disk's does.
  bool close() override {
    if (owner_.shouldFail(FsOp::close, path_)) {
      inner_.reset();
      return false;
    }
    return inner_->close();
  }

 private:
  std::unique_ptr<OutputFile> inner_;
  const FaultyFileSystem& owner_;
  std::string path_;
};

}  // namespace

bool FaultyFileSystem::shouldFail(FsOp op, const std::string& path) const {
  log_.push_back(std::string(kOpNames[static_cast<int>(op)]) + " " + path);
  for (const Rule& rule : rules_) {
    if (rule.op != op || (!rule.path.empty() && rule.path != path)) continue;
    if (rule.change) {
      std::exchange(rule.change, nullptr)();
      continue;
    }
    if (rule.skip > 0) {
      --rule.skip;
      continue;
    }
    return true;
  }
  return false;
}

std::optional<std::string> FaultyFileSystem::currentDirectory() const {
  if (shouldFail(FsOp::currentDirectory, {})) return std::nullopt;
  return target().currentDirectory();
}
bool FaultyFileSystem::changeDirectory(const std::string& path) {
  return !shouldFail(FsOp::changeDirectory, path) && target().changeDirectory(path);
}
std::vector<DirectoryEntry> FaultyFileSystem::listEntries() const {
  if (shouldFail(FsOp::listEntries, {})) return {};
  return target().listEntries();
}
DirectoryCreation FaultyFileSystem::createDirectory(const std::string& path) {
  if (shouldFail(FsOp::createDirectory, path)) return DirectoryCreation::failed("Input/output error (injected)");
  return target().createDirectory(path);
}
bool FaultyFileSystem::copyFile(const std::string& from, const std::string& to) {
  return !shouldFail(FsOp::copyFile, to) && target().copyFile(from, to);
}
std::unique_ptr<InputFile> FaultyFileSystem::openForReading(const std::string& path) {
  if (shouldFail(FsOp::openForReading, path)) return nullptr;
  return target().openForReading(path);
}
std::unique_ptr<OutputFile> FaultyFileSystem::openForWriting(const std::string& path) {
  if (shouldFail(FsOp::openForWriting, path)) return nullptr;
  auto inner = target().openForWriting(path);
  if (!inner) return nullptr;
  return std::make_unique<FaultyOutputFile>(std::move(inner), *this, path);
}

}  // namespace forgeline::test
