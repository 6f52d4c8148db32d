// Fuzzes the loader with arbitrary key-file bytes (the line reader's own
// checks are fuzz_reader's): the file is chosen, modules are clicked, and the
// file is read again the way a build reads it, or a whole build runs under a
// project name taken from the input. The control bytes come from the end of
// the input, so a plain key file as a seed is mostly a key file.
#include <vector>

#include "FuzzSupport.h"

using namespace forgeline;
using namespace forgeline::fuzz;

namespace {

// A build adds its one project folder beside KeyFiles and changes nothing
// that was there, and it ends where it started.
void checkBuild(WizardSession& session, MemoryFileSystem& fs, const std::string& name) {
  const WizardState& state = session.state();
  const auto before = fs.snapshot();
  session.typeProjectName(name);
  session.pressBuild();
  checkCapacities(state);
  FORGELINE_FUZZ_CHECK(fs.currentDirectory() == "/KeyFiles");
  FORGELINE_FUZZ_CHECK(state.projectName.size() <= name.size());
  const std::string folder = "/" + state.projectName;
  for (const auto& [path, content] : fs.snapshot()) {
    auto old = before.find(path);
    if (old != before.end()) {
      FORGELINE_FUZZ_CHECK(old->second == content);
    } else {
      FORGELINE_FUZZ_CHECK(path == folder || path.starts_with(folder + "/"));
      FORGELINE_FUZZ_CHECK(!state.projectName.empty() && state.projectName.find('/') == std::string::npos);
    }
  }
  FORGELINE_FUZZ_CHECK(fs.snapshot().size() >= before.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto flags = input.ConsumeIntegral<std::uint8_t>();
  std::vector<int> clicks(input.ConsumeIntegralInRange<std::size_t>(0, 12));
  for (int& click : clicks) click = input.ConsumeIntegralInRange<int>(0, kMaxModules - 1);
  const std::string projectName = (flags & 4) ? input.ConsumeRandomLengthString(80) : std::string();
  const std::string keyFile = input.ConsumeRemainingBytesAsString();

  MemoryFileSystem fs;
  fs.addFile("/KeyFiles/MCU_FUZZ.txt", keyFile);
  for (const char* name : {"burner.bbl", "Start08.c", "StartRS08.c", "C_Layout.hwl", "Default.mem"})
    fs.addFile(std::string("/KeyFiles/") + name, name);
  const auto before = fs.snapshot();
  WizardState& state = freshState();
  FixedClock clock({1, 2, 2003});
  WizardSession session(fs, clock, &state);
  FORGELINE_FUZZ_CHECK(session.open() && state.mcuCount == 1);

  session.chooseMcu(0);
  checkCapacities(state);
  // Choosing an MCU collects no code and leaves no module ticked by the user.
  for (int count : state.sectionLineCounts) FORGELINE_FUZZ_CHECK(count == 0);
  FORGELINE_FUZZ_CHECK(state.initLineCount == 0);
  for (int m = 0; m < state.moduleCount; ++m) {
    FORGELINE_FUZZ_CHECK(!state.moduleChosen[static_cast<std::size_t>(m)]);
    if (state.moduleNames[static_cast<std::size_t>(m)] == "INIT") FORGELINE_FUZZ_CHECK(session.control(moduleBox(m)).marked);
  }
  const int modules = state.moduleCount;

  for (int click : clicks) {
    clickModule(session, click);
    checkCapacities(state);
  }
  if (flags & 1) {
    DialogModel reload = session.dialog();
    loadMcuDescription(state, reload, fs, state.selectedMcu, LoadMode::buildMode);
    checkCapacities(state);
    checkStoredLines(state);
    FORGELINE_FUZZ_CHECK(state.moduleCount == modules);
  }
  if (flags & 2) {
    // Choosing the same MCU again gives the same modules and clears every tick.
    session.chooseMcu(0);
    FORGELINE_FUZZ_CHECK(state.moduleCount == modules);
    FORGELINE_FUZZ_CHECK(countChosenModules(state) == 0);
  }
  if (flags & 4) {
    // The template named after the menu name, when the name can be a file
    // name, so that builds can run to the end.
    if (!state.menuName.empty() && state.menuName.find('/') == std::string::npos)
      fs.addFile("/KeyFiles/" + state.menuName + ".mcp", "mcp");
    checkBuild(session, fs, projectName);
    return 0;
  }
  // Reading never changes a key file.
  FORGELINE_FUZZ_CHECK(fs.snapshot() == before);
  return 0;
}
