#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Wizard.h"

namespace forgeline {

namespace {

std::string readMenuName(WizardState& state, FileSystem& fs, const std::string& path) {
  std::unique_ptr<InputFile> file = fs.openForReading(path);
  state.menuName = file ? readMenuName(*file) : std::string(kUnknownMenuName);
  return state.menuName;
}

}  // namespace

// Listing order decides only among equal menu names; byte order makes it the
// same on every file system.
std::vector<std::string> mcuFileNames(const std::vector<DirectoryEntry>& entries) {
  std::vector<std::string> names;
  for (const DirectoryEntry& entry : entries)
    if (entry.isRegularFile && matchesMcuPattern(entry.name)) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

std::string readMenuName(InputFile& file) {
  std::string menuName(kUnknownMenuName);
  std::string_view piece;
  LineReader reader(file);
  while (menuName == kUnknownMenuName && reader.next(piece)) {
    ClassifiedLine line = classifyLine(piece);
    if (line.header == HeaderKey::menuName) menuName = std::string(line.headerValue);
  }
  return menuName;
}

std::string readMenuName(std::string_view bytes) {
  MemoryInputFile file(bytes);
  return readMenuName(file);
}

void initialiseWizard(WizardState& state, DialogPort& dialog, FileSystem& fs) {
  state.windowTitle = kWindowTitle;
  dialog.setCaption(kWindow, state.windowTitle);
  state.chosenCount = 0;
  state.tickCount = 0;
  for (int i = 0; i < kMaxMcus; ++i) dialog.setVisible(mcuButton(i), false);
  dialog.setEnabled(kBuildButton, false);
  state.includeName = kDefaultIncludeName;
  state.descriptionText.clear();
  state.projectName = kDefaultProjectName;
  dialog.setProjectNameText(state.projectName);
  scanCatalogue(state, dialog, fs);
}

void scanCatalogue(WizardState& state, DialogPort& dialog, FileSystem& fs) {
  std::vector<std::string> menuNameList;
  if (!fs.changeDirectory(kKeyFilesFolderName)) {
    dialog.showMessage(kNoKeyFilesMessage, state.windowTitle, MessageIcon::error);
    dialog.endDialog();
    return;
  }
  std::vector<std::string> files = mcuFileNames(fs.listEntries());
  state.mcuCount = 0;
  if (files.empty()) {
    dialog.showMessage(kNoMcuFilesMessage, state.windowTitle, MessageIcon::error);
    dialog.endDialog();
    return;
  }
  // Only as many files as there are buttons; the rest are never read.
  if (files.size() > static_cast<std::size_t>(kMaxMcus)) files.resize(kMaxMcus);
  for (const std::string& name : files) {
    std::string title = fileTitle(name);
    state.mcuFileTitles[static_cast<std::size_t>(state.mcuCount)] = title;
    menuNameList.push_back(readMenuName(state, fs, title + ".txt"));
    ++state.mcuCount;
  }
  // An exchange sort: equal names are never swapped with each other
  // directly, but may change order through a third entry, and users' button
  // order depends on exactly that.
  for (int i = 0; i + 1 < state.mcuCount; ++i) {
    for (int j = i + 1; j < state.mcuCount; ++j) {
      auto a = static_cast<std::size_t>(i), b = static_cast<std::size_t>(j);
      if (menuNameList[a] > menuNameList[b]) {
        std::swap(menuNameList[a], menuNameList[b]);
        std::swap(state.mcuFileTitles[a], state.mcuFileTitles[b]);
      }
    }
  }
  for (int i = 0; i < state.mcuCount; ++i) {
    dialog.setCaption(mcuButton(i), menuNameList[static_cast<std::size_t>(i)]);
    dialog.setVisible(mcuButton(i), true);
  }
}

}  // namespace forgeline
