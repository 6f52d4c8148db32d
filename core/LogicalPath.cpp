#include "core/LogicalPath.h"

#include <algorithm>
#include <utility>

namespace forgeline::path {

std::vector<std::string> split(std::string_view path) {
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

bool startsWithDrive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::size_t rootLength(std::string_view path, bool drives) {
  if (drives && startsWithDrive(path) && path.size() >= 3 && path[2] == '/') return 3;
  return !path.empty() && path.front() == '/' ? 1 : 0;
}

std::string rootOf(const std::string& absolute) {
  return rootLength(absolute, true) == 3 ? absolute.substr(0, 3) : "/";
}

std::string join(const std::string& directory, const std::string& name) {
  return !directory.empty() && directory.back() == '/' ? directory + name : directory + "/" + name;
}

std::string parentOf(const std::string& absolute) {
  std::size_t slash = absolute.find_last_of('/');
  if (slash == std::string::npos || slash < rootLength(absolute, true)) return rootOf(absolute);
  return absolute.substr(0, slash);
}

std::string lastName(const std::string& absolute) { return absolute.substr(absolute.find_last_of('/') + 1); }

std::optional<std::string> startOf(const std::string& path, const std::string& cwd, bool drives,
                                   const std::function<bool(const std::string& drive)>& driveExists) {
  const std::size_t root = rootLength(path, drives);
  if (root == 3) {
    std::string drive = path.substr(0, 3);
    if (driveExists(drive)) return drive;
    return std::nullopt;
  }
  if (!drives) return root != 0 ? std::string("/") : cwd;
  // As Windows has it: "/" alone is the working drive's root, "C:name" is
  // relative to a folder of that drive's own and never reached.
  if (cwd.empty() || startsWithDrive(path)) return std::nullopt;
  return root != 0 ? rootOf(cwd) : cwd;
}

FolderAndName folderAndName(const std::string& path, bool drives) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {".", path};
  return {slash < rootLength(path, drives) ? path.substr(0, slash + 1) : path.substr(0, slash), path.substr(slash + 1)};
}

std::string entryIn(const std::string& directory, const std::string& name) {
  if (name == ".") return directory;
  if (name == "..") return parentOf(directory);
  return join(directory, name);
}

std::string lexicallyAbsolute(const std::string& cwd, const std::string& path, bool drives) {
  const std::size_t root = rootLength(path, drives);
  std::string result = root == 3 ? path.substr(0, 3) : rootOf(cwd);
  const std::string below = root != 0 ? path.substr(root) : cwd.substr(std::min(result.size(), cwd.size())) + "/" + path;
  std::vector<std::string> parts;
  for (std::string& part : split(below)) {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (part != ".") {
      parts.push_back(std::move(part));
    }
  }
  for (std::size_t i = 0; i < parts.size(); ++i) result += (i != 0 ? "/" : "") + parts[i];
  return result;
}

}  // namespace forgeline::path

namespace forgeline {

std::string relativePath(const std::string& base, const std::string& absolute) {
  // No way leads from one drive to another: the path is shown whole.
  if (path::rootOf(base) != path::rootOf(absolute)) return absolute;
  const std::vector<std::string> from = path::split(base);
  const std::vector<std::string> to = path::split(absolute);
  std::size_t common = 0;
  while (common < from.size() && common < to.size() && from[common] == to[common]) ++common;
  std::string relative;
  for (std::size_t i = common; i < from.size(); ++i) relative += relative.empty() ? ".." : "/..";
  for (std::size_t i = common; i < to.size(); ++i) relative += (relative.empty() ? "" : "/") + to[i];
  return relative.empty() ? "." : relative;
}

}  // namespace forgeline
