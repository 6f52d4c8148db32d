// What every file system shares; the real disks live in PosixFileSystem.cpp
// and Win32FileSystem.cpp, one of which is built for the target system.
#include "core/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace forgeline {

std::size_t MemoryInputFile::read(char* buffer, std::size_t size) {
  const std::size_t n = std::min(size, bytes_.size() - pos_);
  if (n != 0) std::memcpy(buffer, bytes_.data() + pos_, n);
  pos_ += n;
  return n;
}

std::optional<std::string_view> MemoryInputFile::takeUnreadBytes() {
  const std::string_view unread = bytes_.substr(pos_);
  pos_ = bytes_.size();
  return unread;
}

bool GatheringOutputFile::write(std::string_view bytes) {
  if (closed_) return false;
  bytes_.append(bytes);
  return true;
}

bool GatheringOutputFile::close() {
  if (closed_) return false;
  closed_ = true;
  place_(std::move(bytes_));
  return true;
}

std::optional<std::string> readWholeFile(FileSystem& fs, const std::string& path) {
  std::unique_ptr<InputFile> in = fs.openForReading(path);
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (std::size_t n = in->read(buffer, sizeof buffer)) bytes.append(buffer, n);
  return bytes;
}

}  // namespace forgeline
