#include "cli/RecordingFileSystem.h"

#include <utility>

#include "core/LogicalPath.h"

namespace forgeline::cli {

RecordingFileSystem::RecordingFileSystem(FileSystem& disk, Reporter report)
    : OverlayFileSystem(disk), report_(std::move(report)), start_(disk.currentDirectory().value_or("")) {}

void RecordingFileSystem::madeDirectory(const std::string& path) { report_("mkdir " + shown(path)); }

void RecordingFileSystem::copied(const std::string& from, const std::string& to) {
  report_("copy " + shown(from) + " -> " + shown(to));
}

void RecordingFileSystem::wrote(const std::string& path, std::size_t size) {
  report_("write " + shown(path) + " (" + std::to_string(size) + " bytes)");
}

std::string RecordingFileSystem::shown(const std::string& absolutePath) const {
  return relativePath(start_, absolutePath);
}

}  // namespace forgeline::cli
