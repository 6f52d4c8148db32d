// Paths as the in-memory disks spell them: "/"-separated, absolute ones
// starting at "/" or, as on Windows, at a drive root such as "C:/", and
// logical (no "." or ".." once resolved), as a shell keeps its working
// directory.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace forgeline::path {

// The names between the separators; empty names (from "//") are dropped.
std::vector<std::string> split(std::string_view path);
bool startsWithDrive(std::string_view path);
// How long the root of an absolute path is: 1 for "/", 3 for a drive root
// such as "C:/" when `drives` counts them; 0 for a relative path.
std::size_t rootLength(std::string_view path, bool drives);
// The root a logical absolute path starts with ("/" or "C:/").
std::string rootOf(const std::string& absolute);
std::string join(const std::string& directory, const std::string& name);
// The path without its last name; a root is its own parent.
std::string parentOf(const std::string& absolute);
std::string lastName(const std::string& absolute);
// The folder a path starts from: its root, or `cwd` for a relative path;
// nullopt for a path Windows would refuse to resolve (with `drives`: a drive
// `driveExists` denies, or "C:name", relative to a folder of that drive's
// own) and for a relative path without a working directory.
std::optional<std::string> startOf(const std::string& path, const std::string& cwd, bool drives,
                                   const std::function<bool(const std::string& drive)>& driveExists);
// A path cut before its last name: the folder as given ("." for none, a
// root kept whole) and the name ("" after a trailing "/").
struct FolderAndName {
  std::string folder;
  std::string name;
};
FolderAndName folderAndName(const std::string& path, bool drives);
// The absolute path of `name` in the resolved folder `directory`: "." is the
// folder itself, ".." its parent, any other name is kept as given.
std::string entryIn(const std::string& directory, const std::string& name);
// `path` from `cwd`, "." and ".." taken by spelling alone.
std::string lexicallyAbsolute(const std::string& cwd, const std::string& path, bool drives);

}  // namespace forgeline::path

namespace forgeline {

// `absolute` as seen from the folder `base` (both absolute, no "." or ".."):
// ".." steps up, "/"-separated, "." for `base` itself; whole when the two
// lie on different drives.
std::string relativePath(const std::string& base, const std::string& absolute);

}  // namespace forgeline
