// A wizard session opened on a KeyFiles folder in memory (or on the disk), driven the way the window
// drives it: clicks on MCU buttons and module boxes, a name typed and Build
// pressed. The session works through a file system that fails on cue.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DialogModel.h"
#include "core/MemoryFileSystem.h"
#include "core/Wizard.h"
#include "session/WizardSession.h"
#include "support/TestSupport.h"

namespace forgeline::test {

struct WizardHarness {
  // The memory disk serves every test but those of what the real disk itself decides.
  enum class Disk { memory, real };
  // KeyFiles in `subfolder` of the main folder, when it is not empty.
  explicit WizardHarness(const std::map<std::string, std::string>& mcuFiles,
                         const std::vector<std::string>& mcpMenuNames = {}, const std::string& subfolder = {},
                         Disk on = Disk::memory)
      : dir(on == Disk::real ? std::make_unique<TempDir>() : nullptr),
        root((dir ? dir->path() : std::string("/main")) + (subfolder.empty() ? "" : "/" + subfolder)),
        disk(dir ? realKeyFiles(root, mcuFiles, mcpMenuNames) : memoryKeyFiles(root, mcuFiles, mcpMenuNames)) {
    session.open();
  }

  // The main folder's files and folders below `under`, by relative path, as
  // snapshotTree gives them, on either disk.
  std::map<std::string, std::string> tree(const std::string& under = {}) const {
    const std::string top = under.empty() ? root : root + "/" + under;
    if (dir) return snapshotTree(top);
    std::map<std::string, std::string> out;
    for (const auto& [path, bytes] : static_cast<MemoryFileSystem&>(*disk).snapshot())
      if (path.starts_with(top + "/")) out[path.substr(top.size() + 1)] = bytes;
    return out;
  }
  std::string read(const std::string& path) const {
    const auto all = tree();
    return all.contains(path) ? all.at(path) : "<missing>";
  }
  bool has(const std::string& path) const { return tree().contains(path); }
  void addDirectory(const std::string& path) {
    if (dir) return makeDirectory(root + "/" + path);
    static_cast<MemoryFileSystem&>(*disk).addDirectory(root + "/" + path);
  }
  void addFile(const std::string& path, const std::string& bytes) {
    if (dir) return writeFile(root + "/" + path, bytes);
    static_cast<MemoryFileSystem&>(*disk).addFile(root + "/" + path, bytes);
  }

  void clickMcu(int i) { session.chooseMcu(i); }
  void clickModule(int i) { session.clickModule(i); }
  void build(const std::string& name) {
    session.typeProjectName(name);
    session.pressBuild();
  }
  std::string keyFiles() const { return root + "/KeyFiles"; }
  void loadForBuild() { loadMcuDescription(*state, dialog, fs, state->selectedMcu, LoadMode::buildMode); }

  // The captions of the shown MCU buttons in order, or the file titles behind them.
  std::vector<std::string> mcus(bool titles = false) const {
    std::vector<std::string> out;
    for (int i = 0; i < kMaxMcus; ++i)
      if (dialog.control(mcuButton(i)).visible)
        out.push_back(titles ? state->mcuFileTitles[static_cast<std::size_t>(i)] : dialog.control(mcuButton(i)).caption);
    return out;
  }

  bool shown(int i) const { return dialog.control(moduleBox(i)).visible; }

  // "x" marked or "-", then "e" enabled or "d" disabled, for each loaded box.
  std::string boxes() const {
    std::string out;
    for (int i = 0; i < state->moduleCount; ++i) {
      if (i) out += ' ';
      out += dialog.control(moduleBox(i)).marked ? 'x' : '-';
      out += dialog.control(moduleBox(i)).enabled ? 'e' : 'd';
    }
    return out;
  }

  static std::unique_ptr<FileSystem> realKeyFiles(const std::string& root,
                                                  const std::map<std::string, std::string>& mcuFiles,
                                                  const std::vector<std::string>& mcpMenuNames) {
    makeDirectory(root);
    writeKeyFiles(root, mcuFiles, mcpMenuNames);
    return std::make_unique<RealFileSystem>(root);
  }
  static std::unique_ptr<FileSystem> memoryKeyFiles(const std::string& root,
                                                    const std::map<std::string, std::string>& mcuFiles,
                                                    const std::vector<std::string>& mcpMenuNames) {
    auto memory = std::make_unique<MemoryFileSystem>();
    memory->addDirectory(root);
    memory->changeDirectory(root);
    writeKeyFiles(*memory, mcuFiles, mcpMenuNames);
    return memory;
  }

  std::unique_ptr<TempDir> dir;  // only on the real disk
  std::string root;
  std::unique_ptr<FileSystem> disk;
  FileSystem& fs = *disk;
  FaultyFileSystem faulty{fs};
  DialogModel dialog;
  FixedClock clock{CalendarDate{5, 12, 2026}};
  // Made as the window's and the command's own record is made.
  WizardState::Owned state = WizardState::createInLargePages();
  WizardSession session{dialog, faulty, clock, state.get()};
};

}  // namespace forgeline::test
