// What every file system shares; the real disks live in PosixFileSystem.cpp
// and Win32FileSystem.cpp, one of which is built for the target system.
#include "core/FileSystem.h"

namespace forgeline {

std::optional<std::string> readWholeFile(FileSystem& fs, const std::string& path) {
  std::unique_ptr<InputFile> in = fs.openForReading(path);
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (std::size_t n = in->read(buffer, sizeof buffer)) bytes.append(buffer, n);
  return bytes;
}

}  // namespace forgeline
