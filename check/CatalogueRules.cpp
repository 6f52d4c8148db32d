// The catalogue: which files the wizard lists and under which names.
#include <map>

#include "check/CheckerParts.h"

namespace forgeline::checker {

namespace {

bool looksMeantAsMcuFile(std::string_view name) {
  auto lower = [](std::string_view text) {
    std::string out(text);
    for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
  };
  return name.size() >= 8 && lower(name.substr(0, 4)) == "mcu_" && lower(name.substr(name.size() - 4)) == ".txt";
}

}  // namespace

void checkLookAlikes(const std::vector<DirectoryEntry>& entries, std::vector<Finding>& out) {
  for (const DirectoryEntry& entry : entries) {
    FileReport report(out, std::string(kKeyFilesFolder) + "/" + entry.name);
    if (matchesMcuPattern(entry.name)) {
      if (!entry.isRegularFile)
        report.add(FindingKind::lookAlikeFileName, 0,
                   "the name matches \"MCU_*.txt\" but this is not a regular file, so the wizard skips it; make it "
                   "a file or rename it");
    } else if (looksMeantAsMcuFile(entry.name)) {
      const std::string meant = "MCU_" + entry.name.substr(4, entry.name.size() - 8) + ".txt";
      report.add(FindingKind::lookAlikeFileName, 0,
                 "the name does not match \"MCU_*.txt\" exactly (case matters), so the wizard never lists this file; "
                 "rename it to " + meant);
    }
  }
}

void checkCatalogue(const std::vector<McuFile>& files, std::vector<Finding>& out) {
  std::map<std::string, const McuFile*> firstWithName;
  for (const McuFile& file : files) {
    FileReport report(out, std::string(kKeyFilesFolder) + "/" + file.name);
    if (!file.listed)
      report.add(FindingKind::tooManyMcuFiles, 0,
                 "the wizard lists only the first " + std::to_string(kMaxMcus) +
                     " MCU files in byte order of their names and never offers this one; keep at most " +
                     std::to_string(kMaxMcus) + " MCU_*.txt files in KeyFiles");
    const Piece* line = file.readable ? file.listedNameLine() : nullptr;
    if (line == nullptr || !file.listed) continue;
    auto [first, isNew] = firstWithName.emplace(file.listedName, &file);
    if (!isNew)
      report.add(FindingKind::sameMenuName, line->line,
                 "menu name " + quoted(file.listedName) + " is also the menu name of " + first->second->name +
                     ": the wizard shows two buttons with the same label and both builds copy the same .mcp; give "
                     "each MCU its own menu name");
  }
}

}  // namespace forgeline::checker
