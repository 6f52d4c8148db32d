// What the harnesses share: a KeyFiles folder in memory, the wizard opened
// on it, and the invariants that must hold whatever the key files say.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <new>
#include <set>
#include <string>

#include "core/MemoryFileSystem.h"
#include "core/Wizard.h"
#include "session/WizardSession.h"

namespace forgeline::fuzz {

// A broken invariant is a finding: stop right here so that libFuzzer keeps
// the input and the stack points at the check.
#define FORGELINE_FUZZ_CHECK(condition) ((condition) ? void() : __builtin_trap())

// A new WizardState for every input, built in place in one static block over
// the one before: the record is a few hundred kilobytes, and a fresh heap
// block of that size per run would cost more time than the code under test.
inline WizardState& freshState() {
  alignas(WizardState) static unsigned char storage[sizeof(WizardState)];
  static WizardState* state = nullptr;
  if (state != nullptr) state->~WizardState();
  return *(state = new (storage) WizardState());
}

// Every count stays inside the table it counts.
inline void checkCapacities(const WizardState& state) {
  FORGELINE_FUZZ_CHECK(state.mcuCount >= 0 && state.mcuCount <= kMaxMcus);
  FORGELINE_FUZZ_CHECK(state.moduleCount >= 0 && state.moduleCount <= kMaxModules);
  FORGELINE_FUZZ_CHECK(state.prmLineCount >= 0 && state.prmLineCount <= kMaxPrmLines);
  FORGELINE_FUZZ_CHECK(state.initLineCount >= 0 && state.initLineCount <= kMaxInitLines);
  for (int count : state.sectionLineCounts) FORGELINE_FUZZ_CHECK(count >= 0 && count <= kMaxSectionLines);
  FORGELINE_FUZZ_CHECK(state.selectedMcu >= 0 && state.selectedMcu < kMaxMcus);
  FORGELINE_FUZZ_CHECK(state.currentLine.size() <= LineReader::kMaxPiece);
}

// A piece of a key file as the reader hands it out, and what a stored line
// can therefore be: 1 to 99 bytes, a line end only as its last byte.
inline void checkPiece(std::string_view piece) {
  FORGELINE_FUZZ_CHECK(!piece.empty() && piece.size() <= LineReader::kMaxPiece);
  FORGELINE_FUZZ_CHECK(piece.find('\n') == std::string_view::npos || piece.find('\n') == piece.size() - 1);
}

inline void checkStoredLines(const WizardState& state) {
  for (int s = 1; s <= kSectionCount; ++s)
    for (int i = 0; i < state.sectionCount(s); ++i) checkPiece(state.section(s)[static_cast<std::size_t>(i)]);
  for (int i = 0; i < state.prmLineCount; ++i) checkPiece(state.prmLines[static_cast<std::size_t>(i)]);
  for (int i = 0; i < state.initLineCount; ++i) checkPiece(state.initLines[static_cast<std::size_t>(i)]);
}

// A click on a module box; after one that was taken, the count of ticks is
// the flags' and the INIT box stays ticked.
inline void clickModule(WizardSession& session, int index) {
  if (session.clickModule(index) != ClickOutcome::done) return;
  const WizardState& state = session.state();
  FORGELINE_FUZZ_CHECK(state.chosenCount == countChosenModules(state) && state.chosenCount <= state.moduleCount);
  for (int m = 0; m < state.moduleCount; ++m)
    if (state.moduleNames[static_cast<std::size_t>(m)] == "INIT") FORGELINE_FUZZ_CHECK(session.control(moduleBox(m)).marked);
}

// /KeyFiles with one to three entries made from the input: files that match
// "MCU_*.txt", files that may not, and folders that carry an MCU file's name.
// The last file takes the rest of the input.
struct FuzzedKeyFiles {
  FuzzedKeyFiles(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    fs.addDirectory("/KeyFiles");
    const int entries = input.ConsumeIntegralInRange<int>(1, 3);
    for (int i = 0; i < entries; ++i) {
      std::string name;
      switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: name = "MCU_" + input.ConsumeRandomLengthString(12) + ".txt"; break;
        case 1: name = "MCU_" + std::string(1, static_cast<char>('A' + i)) + ".txt"; break;
        case 2: name = input.ConsumeRandomLengthString(16); break;
        default: name = "MCU_DIR" + std::to_string(i) + ".txt"; break;
      }
      std::replace(name.begin(), name.end(), '/', '_');
      if (name.empty() || name == "." || name == "..") name = "MCU_" + std::to_string(i) + ".txt";
      if (name.starts_with("MCU_DIR")) {
        fs.addDirectory("/KeyFiles/" + name);
        continue;
      }
      fs.addFile("/KeyFiles/" + name,
                 i + 1 == entries ? input.ConsumeRemainingBytesAsString() : input.ConsumeRandomLengthString(4096));
      if (matchesMcuPattern(name)) mcuFiles.insert(name);
    }
    before = fs.snapshot();
  }

  MemoryFileSystem fs;
  std::set<std::string> mcuFiles;  // the regular files that match the pattern
  std::map<std::string, std::string> before;
};

}  // namespace forgeline::fuzz
