// File names as the reader of a report can open them. Paths are worked out
// on their text alone, as a shell's `cd` keeps its folder: ".." takes away
// the last name, so a folder reached through a link leads back the way it came.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/KeyFileChecker.h"

namespace forgeline {

namespace {

bool isSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

bool hasDrive(std::string_view path) {
  return path.size() >= 3 && path[1] == ':' && isSeparator(path[2]) &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool isAbsolute(std::string_view path) {
#ifdef _WIN32
  if (hasDrive(path)) return true;
#endif
  return !path.empty() && isSeparator(path.front());
}

// The part of an absolute path that ".." never climbs above: "/", "//"
// (a server share) or "C:/".
std::size_t rootLength(std::string_view path) {
  if (hasDrive(path)) return 3;
  return path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]) ? 2 : 1;
}

// An absolute path with "/" only and no "." or ".." steps.
std::string tidy(std::string_view path) {
  std::string root(path.substr(0, rootLength(path)));
  for (char& c : root) c = isSeparator(c) ? '/' : c;
  std::vector<std::string_view> steps;
  for (std::size_t at = root.size(); at <= path.size();) {
    std::size_t end = at;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    const std::string_view step = path.substr(at, end - at);
    if (step == "..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != ".") {
      steps.push_back(step);
    }
    at = end + 1;
  }
  std::string result = root;
  for (std::size_t i = 0; i < steps.size(); ++i) (result += i ? "/" : "") += steps[i];
  return result;
}

// `path` relative to `folder` when it lies inside it; both tidy.
std::optional<std::string> inside(const std::string& path, const std::string& folder) {
  const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
  if (path.size() <= prefix.size() || !path.starts_with(prefix)) return std::nullopt;
  return path.substr(prefix.size());
}

// Every byte but the unreserved ones and "/" is percent-encoded, so blanks,
// "#", "%" and bytes beyond ASCII survive as the same bytes.
std::string percentEncoded(std::string_view path) {
  std::string out;
  for (char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        std::string_view("-._~/").find(ch) != std::string_view::npos) {
      out += ch;
    } else {
      char encoded[4];
      std::snprintf(encoded, sizeof encoded, "%%%02X", c);
      out += encoded;
    }
  }
  return out;
}

}  // namespace

std::string fileUri(const std::string& absolutePath) {
  const std::string path = tidy(absolutePath);
  // A drive's colon is part of the path, not a byte to encode.
  if (hasDrive(path)) return "file:///" + path.substr(0, 2) + percentEncoded(path.substr(2));
  // "//server/share/x" names the server as the URI's authority.
  if (path.starts_with("//")) return "file:" + percentEncoded(path);
  return "file://" + percentEncoded(path);
}

// A root folder ("/", "C:/") ends in its own separator already: one more
// would turn "/" into the "//" of a server share.
static std::string within(const std::string& folder, const std::string& file) {
  return folder.ends_with('/') ? folder + file : folder + "/" + file;
}

ReportPaths::ReportPaths(std::string checkedFolder, std::string workingFolder)
    : checked_(std::move(checkedFolder)), working_(std::move(workingFolder)) {
  if (!checked_.empty()) checked_ = tidy(checked_);
  if (!working_.empty()) working_ = tidy(working_);
}

std::string ReportPaths::shown(const std::string& file) const {
  if (checked_.empty() || working_.empty() || checked_ == working_ || isAbsolute(file)) return file;
  const std::string path = tidy(within(checked_, file));
  return inside(path, working_).value_or(path);
}

ReportPaths::Location ReportPaths::location(const std::string& file) const {
  if (checked_.empty() || working_.empty()) return {percentEncoded(file), false};
  const std::string path = tidy(isAbsolute(file) ? file : within(checked_, file));
  if (std::optional<std::string> relative = inside(path, working_)) return {percentEncoded(*relative), true};
  return {fileUri(path), false};
}

std::string ReportPaths::baseUri() const {
  if (checked_.empty() || working_.empty()) return {};
  const std::string uri = fileUri(working_);
  return uri.ends_with('/') ? uri : uri + "/";
}

}  // namespace forgeline
