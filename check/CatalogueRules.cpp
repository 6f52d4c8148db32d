// The catalogue: which files the wizard lists and under which names.
#include <map>

#include "check/CheckerParts.h"

namespace forgeline::checker {

namespace {

std::string lowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return out;
}

// The name a file was likely meant to have: "MCU_*.txt" with its case, a "-"
// or blank for the "_", blanks around it or a doubled ".txt" forgiven. Empty
// when the name is not near.
std::string meantMcuFileName(std::string_view name) {
  const std::size_t begin = name.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  std::string_view text = name.substr(begin, name.find_last_not_of(' ') + 1 - begin);
  while (lowerCase(text).ends_with(".txt.txt")) text.remove_suffix(4);
  if (text.size() < 8 || lowerCase(text.substr(0, 3)) != "mcu" || std::string_view("_- ").find(text[3]) == std::string_view::npos ||
      lowerCase(text.substr(text.size() - 4)) != ".txt")
    return {};
  return "MCU_" + std::string(text.substr(4, text.size() - 8)) + ".txt";
}

std::string nearMissCause(std::string_view name) {
  if (name.starts_with(' ') || name.ends_with(' ')) return "a blank before or after the name";
  if (lowerCase(name).ends_with(".txt.txt")) return "\".txt\" twice";
  if (name[3] != '_') return quoted(name.substr(3, 1)) + " where \"_\" belongs";
  return "case matters";
}

}  // namespace

void checkLookAlikes(const std::vector<DirectoryEntry>& entries, std::vector<Finding>& out) {
  for (const DirectoryEntry& entry : entries) {
    const std::string shownAs = std::string(kKeyFilesFolder) + "/" + entry.name;
    const std::string meant = meantMcuFileName(entry.name);
    if (matchesMcuPattern(entry.name) && !entry.isRegularFile) {
      addFinding(out, shownAs, FindingKind::lookAlikeFileName, 0,
                 "the name matches \"MCU_*.txt\" but this is not a regular file, so the wizard skips it; make it "
                 "a file or rename it");
    } else if (matchesMcuPattern(entry.name) && lowerCase(entry.name).ends_with(".txt.txt")) {
      // A name that differs from the meant one in case alone is listed as
      // it is where the disk ignores case (Windows): nothing to say then.
      addFinding(out, shownAs, FindingKind::lookAlikeFileName, 0,
                 "the name ends in \".txt\" twice: the wizard lists the file, but its MCU frame shows " +
                     quoted(entry.name) + "; rename it to " + meant);
    } else if (!matchesMcuPattern(entry.name) && !meant.empty()) {
      addFinding(out, shownAs, FindingKind::lookAlikeFileName, 0,
                 "the name does not match \"MCU_*.txt\" exactly (" + nearMissCause(entry.name) +
                     "), so the wizard never lists this file; rename it to " + meant);
    }
  }
}

void CatalogueRules::check(const McuFile& file, std::vector<Finding>& out) {
  const std::string shownAs = std::string(kKeyFilesFolder) + "/" + file.name;
  if (!file.listed)
    addFinding(out, shownAs, FindingKind::tooManyMcuFiles, 0,
               "the wizard lists only the first " + std::to_string(kMaxMcus) +
                   " MCU files in byte order of their names and never offers this one; keep at most " +
                   std::to_string(kMaxMcus) + " MCU_*.txt files in KeyFiles");
  if (!file.readable || file.listedNameLine == 0 || !file.listed) return;
  auto [first, isNew] = firstWithName_.emplace(file.listedName, file.name);
  if (!isNew)
    addFinding(out, shownAs, FindingKind::sameMenuName, file.listedNameLine,
               "menu name " + quoted(file.listedName) + " is also the menu name of " + first->second +
                   ": the wizard shows two buttons with the same label and both builds copy the same .mcp; give "
                   "each MCU its own menu name");
}

}  // namespace forgeline::checker
