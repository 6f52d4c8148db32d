// Fuzzes the catalogue scan over a small KeyFiles made from the input, then
// chooses every MCU it lists.
#include "FuzzSupport.h"

using namespace forgeline;
using namespace forgeline::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedKeyFiles keyFiles(data, size);
  MemoryFileSystem& fs = keyFiles.fs;
  const std::set<std::string>& mcuFiles = keyFiles.mcuFiles;

  WizardState& state = freshState();
  FixedClock clock({1, 2, 2003});
  WizardSession session(fs, clock, &state);
  session.open();
  const DialogModel& dialog = session.dialog();
  checkCapacities(state);
  FORGELINE_FUZZ_CHECK(fs.currentDirectory() == "/KeyFiles");

  // Every regular file that matches is listed, and nothing else.
  FORGELINE_FUZZ_CHECK(state.mcuCount == static_cast<int>(mcuFiles.size()));
  FORGELINE_FUZZ_CHECK(dialog.ended() == mcuFiles.empty());
  FORGELINE_FUZZ_CHECK(dialog.messages().size() == (mcuFiles.empty() ? 1U : 0U));
  std::set<std::string> listed;
  for (int i = 0; i < state.mcuCount; ++i) listed.insert(state.mcuFileTitles[static_cast<std::size_t>(i)] + ".txt");
  FORGELINE_FUZZ_CHECK(listed == mcuFiles);

  // The buttons show the menu names in byte order, and no more buttons than entries.
  for (int i = 0; i < kMaxMcus; ++i) FORGELINE_FUZZ_CHECK(dialog.control(mcuButton(i)).visible == (i < state.mcuCount));
  for (int i = 1; i < state.mcuCount; ++i)
    FORGELINE_FUZZ_CHECK(dialog.control(mcuButton(i - 1)).caption <= dialog.control(mcuButton(i)).caption);

  for (int i = 0; i < state.mcuCount; ++i) {
    session.chooseMcu(i);
    checkCapacities(state);
    clickModule(session, state.moduleCount > 1 ? 1 : 0);
    DialogModel reload = dialog;
    loadMcuDescription(state, reload, fs, i, LoadMode::buildMode);
    checkCapacities(state);
    checkStoredLines(state);
  }
  FORGELINE_FUZZ_CHECK(fs.snapshot() == keyFiles.before);
  return 0;
}
