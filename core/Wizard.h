// The wizard's logic behind the window's events: opening, the catalogue
// scan, the loader behind an MCU click and the rules behind a module click.
// The build behind the Build button lives in generate/ProjectBuilder.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/DialogPort.h"
#include "core/FileSystem.h"
#include "core/KeyFileFormat.h"
#include "core/WizardState.h"

namespace forgeline {

// What the window does while it opens: title and defaults, MCU buttons
// hidden, Build disabled, then the catalogue scan. When the scan aborts it
// has shown its message and ended the dialog.
void initialiseWizard(WizardState& state, DialogPort& dialog, FileSystem& fs);

// Enters KeyFiles, lists "MCU_*.txt" (byte order, regular files only, the
// first 50), reads each menu name and shows the buttons sorted by it.
void scanCatalogue(WizardState& state, DialogPort& dialog, FileSystem& fs);

// The folder the scan enters, inside the folder the wizard starts in.
inline constexpr const char* kKeyFilesFolderName = "KeyFiles";

// The scan's two abort messages.
inline constexpr const char* kNoKeyFilesMessage = "Could not find 'KeyFiles' directory. Will abort.";
inline constexpr const char* kNoMcuFilesMessage = "Found no MCU files. Will abort.";

// The names the scan takes from a listing: regular files matching
// "MCU_*.txt", in byte order, all of them (the scan keeps the first 50).
std::vector<std::string> mcuFileNames(const std::vector<DirectoryEntry>& entries);

// The caption the scan gives a file: its first "MenuName=" value that is not
// "???"; "???" when there is none.
std::string readMenuName(InputFile& file);
std::string readMenuName(std::string_view bytes);

enum class LoadMode { previewMode, buildMode };

// What the loader drops because a table is full.
enum class DroppedKind { module, sectionLine, prmLine, initLine };

// Sees every piece the loader processes, and everything it drops for
// capacity. The key-file checker listens here, so its findings are what the
// loader really does.
class LoadObserver {
 public:
  virtual ~LoadObserver() = default;
  virtual void onPiece(int lineNumber, bool continuation, std::string_view piece, const ClassifiedLine& line) {
    (void)lineNumber, (void)continuation, (void)piece, (void)line;
  }
  // `index` is the module index, or the section number for section lines.
  virtual void onDropped(DroppedKind kind, int lineNumber, int index) { (void)kind, (void)lineNumber, (void)index; }
  // Every module line, with the index it takes (kMaxModules or more when the
  // module is dropped) and its name as the loader cuts it.
  virtual void onModuleLine(int lineNumber, int index, std::string_view name) {
    (void)lineNumber, (void)index, (void)name;
  }
  // Every description line, with the module slot it is credited to.
  virtual void onDescriptionLine(int lineNumber, int index) { (void)lineNumber, (void)index; }
  // Every content line under a section header, in both modes, whether or not
  // a table then takes it: it belongs to module `index`, section `section`.
  virtual void onCodeLine(int lineNumber, int index, int section) { (void)lineNumber, (void)index, (void)section; }
  // Every content line inside the PRM block, whether or not the table has room.
  virtual void onPrmLine(int lineNumber) { (void)lineNumber; }
};

// Reads catalogue entry `mcuIndex` (mcuFileTitles[mcuIndex] + ".txt") in one
// pass into `state` and the module boxes. Shows no message.
void loadMcuDescription(WizardState& state, DialogPort& dialog, FileSystem& fs, int mcuIndex, LoadMode mode,
                        LoadObserver* observer = nullptr);
// The same load from bytes already open (nullptr: a file that could not be
// opened); `mcuIndex` names the entry for the frame's caption.
void loadMcuDescription(WizardState& state, DialogPort& dialog, InputFile* file, int mcuIndex, LoadMode mode,
                        LoadObserver* observer = nullptr);
// And from bytes in hand.
void loadMcuDescription(WizardState& state, DialogPort& dialog, std::string_view bytes, int mcuIndex,
                        LoadMode mode, LoadObserver* observer = nullptr);

// The click on module box `index`, after the box has flipped its own mark:
// records the user's choice and recomputes every box by the INIT and uses
// rules.
void toggleModule(WizardState& state, DialogPort& dialog, int index);

// Number of set moduleChosen flags among the loaded modules.
int countChosenModules(const WizardState& state);

inline constexpr const char* kMultipleModulesWarning =
    "WARNING: if multiple modules are selected, only an empty project will be created.";

}  // namespace forgeline
