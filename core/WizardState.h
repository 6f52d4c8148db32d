// The one record of everything the wizard knows: the catalogue, the MCU last
// loaded, the user's module choices, the project name and the flags of a
// build in progress. Every table has a fixed capacity; surplus input is
// dropped by the loader and never stored past the end of a table.
#pragma once

#include <array>
#include <bitset>
#include <memory>
#include <string>
#include <string_view>

#include "core/LineStore.h"

namespace forgeline {

inline constexpr int kMaxMcus = 50;
inline constexpr int kMaxModules = 50;
inline constexpr int kSectionCount = 8;
inline constexpr int kMaxSectionLines = 1000;
inline constexpr int kMaxPrmLines = 100;
inline constexpr int kMaxInitLines = 100;
inline constexpr int kMaxProjectNameChars = 50;

inline constexpr const char* kWindowTitle = "Forgeline for 8-bit MCUs   - rev15";
inline constexpr const char* kDefaultProjectName = "Project01";
inline constexpr const char* kDefaultIncludeName = "<???.h>";

// Texts are 8-bit byte strings; nothing here assumes an encoding. The line
// tables hold views into the state's own line stores, so the record is never
// copied.
struct WizardState {
  struct Release {
    void operator()(WizardState* state) const noexcept;
  };
  using Owned = std::unique_ptr<WizardState, Release>;
  // The window's or the command's one record, made in a single large-page
  // block (see LargePages.h) whose room after the record holds the code
  // lines: a full MCU's tables and lines then touch one fresh page instead
  // of some 240 small ones.
  static Owned createInLargePages();

  std::string windowTitle = kWindowTitle;
  std::string projectName = kDefaultProjectName;
  // The folder the last build made, absolute as the disk spells its working
  // directory; empty until a build has made one.
  std::string projectFolder;

  std::array<std::string, kMaxMcus> mcuFileTitles{};
  int mcuCount = 0;
  int selectedMcu = 0;

  std::string menuName;
  std::string includeName = kDefaultIncludeName;
  std::string currentDevice;
  int revision = 0;

  int moduleCount = 0;
  std::array<std::string, kMaxModules> moduleNames{};
  std::array<std::string, kMaxModules> moduleUses{};
  std::array<std::string, kMaxModules> moduleDescriptions{};
  std::array<bool, kMaxModules> moduleChosen{};
  // usedBy[k]: the modules whose uses text contains module k's name. The
  // texts change only with a load, which clears usedByKnown; the first click
  // after it works the table out, so that later clicks search no text (a
  // click would otherwise search up to 2,500 pairs).
  std::array<std::bitset<kMaxModules>, kMaxModules> usedBy{};
  bool usedByKnown = false;
  int chosenCount = 0;
  // The modules the user ticked, in the order of their clicks, each once: a
  // project's record replays them in this order, since a box a later tick
  // greys can no longer be clicked.
  std::array<int, kMaxModules> tickOrder{};
  int tickCount = 0;

  // Section s (1..8) lives at index s - 1; use section()/sectionCount().
  std::array<std::array<std::string_view, kMaxSectionLines>, kSectionCount> sectionLines{};
  std::array<int, kSectionCount> sectionLineCounts{};

  std::array<std::string_view, kMaxPrmLines> prmLines{};
  int prmLineCount = 0;
  std::array<std::string_view, kMaxInitLines> initLines{};
  int initLineCount = 0;

  // Where the tables' bytes live: codeLineText holds those of sectionLines
  // and initLines and is emptied when a load starts; prmLineText holds those
  // of prmLines and is emptied at a PRM start, since a file without a PRM
  // block keeps the PRM lines of the load before.
  LineStore codeLineText;
  LineStore prmLineText;

  std::string descriptionText;
  // The piece being processed, inside the line reader's buffer; empty
  // between reads.
  std::string_view currentLine;
  bool buildFailed = false;
  bool isRs08 = false;
  // The build leaves its record in the project (.forgeline/) unless told not to.
  bool keepRecord = true;

  std::array<std::string_view, kMaxSectionLines>& section(int s) {
    return sectionLines[static_cast<std::size_t>(s - 1)];
  }
  const std::array<std::string_view, kMaxSectionLines>& section(int s) const {
    return sectionLines[static_cast<std::size_t>(s - 1)];
  }
  int& sectionCount(int s) { return sectionLineCounts[static_cast<std::size_t>(s - 1)]; }
  int sectionCount(int s) const { return sectionLineCounts[static_cast<std::size_t>(s - 1)]; }
};

}  // namespace forgeline
