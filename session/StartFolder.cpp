#include "session/StartFolder.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/FileSystem.h"
#include "core/Wizard.h"

namespace forgeline {

namespace {

// Letters alike whatever their case: a file system that ignores case
// (Windows) lets the scan enter "keyfiles" as it enters "KeyFiles".
bool sameName(const std::string& a, const std::string& b) {
  return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

}  // namespace

bool holdsKeyFiles(const std::string& folder) {
  RealFileSystem fs(folder);
  return fs.changeDirectory(kKeyFilesFolderName);
}

std::string startFolderFor(const std::string& chosen) {
  if (holdsKeyFiles(chosen)) return chosen;
  RealFileSystem fs(chosen);
  // The folder as the file system names it: absolute, "/" between names.
  const std::optional<std::string> here = fs.currentDirectory();
  if (!here || !sameName(here->substr(here->find_last_of('/') + 1), kKeyFilesFolderName)) return chosen;
  if (!fs.changeDirectory("..")) return chosen;
  const std::optional<std::string> around = fs.currentDirectory();
  return around && fs.changeDirectory(kKeyFilesFolderName) ? *around : chosen;
}

}  // namespace forgeline
