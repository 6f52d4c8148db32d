// The wizard's in-process work at full capacity: the line reader, the
// loader in both modes, a module click among 50 modules, the composition of
// main.c, and how the loader's time grows with the size of a file.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "KeyFileGenerator.h"
#include "core/DialogModel.h"
#include "core/KeyFileFormat.h"
#include "core/Wizard.h"
#include "core/WizardState.h"
#include "generate/MainSourceComposer.h"

namespace forgeline::bench {
namespace {

// Key files served from memory, so the figures are the wizard's own work and
// not the disk's.
class MemoryFileSystem : public FileSystem {
 public:
  void add(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }

  std::optional<std::string> currentDirectory() const override { return "/KeyFiles"; }
  bool changeDirectory(const std::string&) override { return true; }
  std::vector<DirectoryEntry> listEntries() const override { return {}; }
  bool createDirectory(const std::string&) override { return false; }
  bool copyFile(const std::string&, const std::string&) override { return false; }
  std::unique_ptr<InputFile> openForReading(const std::string& path) override {
    auto found = files_.find(path);
    if (found == files_.end()) return nullptr;
    return std::make_unique<StringInput>(found->second);
  }
  // Output is counted and dropped.
  std::unique_ptr<OutputFile> openForWriting(const std::string&) override { return std::make_unique<Discard>(*this); }
  std::int64_t bytesWritten() const { return written_; }

 private:
  struct Discard : OutputFile {
    explicit Discard(MemoryFileSystem& fs) : fs_(fs) {}
    bool write(std::string_view bytes) override {
      fs_.written_ += static_cast<std::int64_t>(bytes.size());
      return true;
    }
    bool close() override { return true; }
    MemoryFileSystem& fs_;
  };
  std::map<std::string, std::string> files_;
  std::int64_t written_ = 0;
};

const std::string& fullMcu() {
  static const std::string text = fullCapacityMcu();
  return text;
}

// A wizard with the full MCU chosen in the window.
struct Wizard {
  MemoryFileSystem fs;
  std::unique_ptr<WizardState> state = std::make_unique<WizardState>();
  DialogModel dialog;

  explicit Wizard(const std::string& text = fullMcu()) {
    fs.add(std::string(kFullMcuTitle) + ".txt", text);
    state->mcuFileTitles[0] = kFullMcuTitle;
    state->mcuCount = 1;
    loadMcuDescription(*state, dialog, fs, 0, LoadMode::previewMode);
  }
  // A click on every box the user may tick, from the last to the first, so
  // that no box has been forced on and disabled before its own click.
  void clickEveryModule() {
    for (int m = state->moduleCount - 1; m >= 0; --m) {
      if (!dialog.control(moduleBox(m)).enabled) continue;
      dialog.setMarked(moduleBox(m), !dialog.isMarked(moduleBox(m)));
      toggleModule(*state, dialog, m);
    }
  }
};

// Processor time per line of the file, in seconds.
void perLine(benchmark::State& bench, std::size_t lines) {
  bench.counters["lines"] = static_cast<double>(lines);
  bench.counters["time_per_line"] = benchmark::Counter(
      static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void LineReaderFullFile(benchmark::State& bench) {
  const std::string& text = fullMcu();
  std::string_view piece;
  for (auto _ : bench) {
    StringInput input(text);
    LineReader reader(input);
    while (reader.next(piece)) benchmark::DoNotOptimize(piece.data());
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * text.size()));
  perLine(bench, countLines(text));
}
BENCHMARK(LineReaderFullFile);

void ClassifyFullFile(benchmark::State& bench) {
  const std::string& text = fullMcu();
  std::string_view piece;
  for (auto _ : bench) {
    StringInput input(text);
    LineReader reader(input);
    while (reader.next(piece)) benchmark::DoNotOptimize(classifyLine(piece));
  }
  perLine(bench, countLines(text));
}
BENCHMARK(ClassifyFullFile);

// The click on the MCU's radio button.
void LoaderPreviewFull(benchmark::State& bench) {
  Wizard wizard;
  for (auto _ : bench) loadMcuDescription(*wizard.state, wizard.dialog, wizard.fs, 0, LoadMode::previewMode);
  perLine(bench, countLines(fullMcu()));
}
BENCHMARK(LoaderPreviewFull);

// The reload of a build with every module marked: every table filled.
void LoaderBuildFull(benchmark::State& bench) {
  Wizard wizard;
  wizard.clickEveryModule();
  for (auto _ : bench) loadMcuDescription(*wizard.state, wizard.dialog, wizard.fs, 0, LoadMode::buildMode);
  if (wizard.state->sectionCount(1) != kMaxSectionLines || wizard.state->sectionCount(6) != kMaxSectionLines)
    bench.SkipWithError("the full MCU no longer fills the section tables");
  perLine(bench, countLines(fullMcu()));
}
BENCHMARK(LoaderBuildFull);

// One click among 50 modules: the rules recompute every box against every
// other box's uses text.
void ToggleModule50(benchmark::State& bench) {
  Wizard wizard;
  int m = 1;
  for (auto _ : bench) {
    wizard.dialog.setMarked(moduleBox(m), !wizard.dialog.isMarked(moduleBox(m)));
    toggleModule(*wizard.state, wizard.dialog, m);
    m = m == kMaxModules - 1 ? 1 : m + 1;
  }
}
BENCHMARK(ToggleModule50);

// main.c from full tables, composed and converted to CR LF in chunks that
// a file system here throws away; arg 0: every module ticked (empty main),
// arg 1: one module ticked (its section 6 is main).
void MainSourceFull(benchmark::State& bench) {
  Wizard wizard;
  wizard.clickEveryModule();
  loadMcuDescription(*wizard.state, wizard.dialog, wizard.fs, 0, LoadMode::buildMode);
  wizard.state->chosenCount = bench.range(0) == 1 ? 1 : countChosenModules(*wizard.state);
  for (auto _ : bench) benchmark::DoNotOptimize(writeMainSource(*wizard.state, wizard.fs, FixedClock({5, 12, 2026})));
  bench.SetBytesProcessed(wizard.fs.bytesWritten());
}
BENCHMARK(MainSourceFull)->Arg(0)->Arg(1);

// What the window and the command line pay once per run for the record.
void WizardStateConstruction(benchmark::State& bench) {
  for (auto _ : bench) benchmark::DoNotOptimize(std::make_unique<WizardState>());
}
BENCHMARK(WizardStateConstruction);

// The loader on 1x, 10x and 100x the lines of the full MCU, in build mode
// with only INIT marked: the tables take the same lines at every size, so
// the time per line is the loader's growth alone and should stay flat.
void LoaderScaling(benchmark::State& bench) {
  const std::string text = scaledMcu(static_cast<int>(bench.range(0)));
  Wizard wizard(text);
  for (auto _ : bench) loadMcuDescription(*wizard.state, wizard.dialog, wizard.fs, 0, LoadMode::buildMode);
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * text.size()));
  perLine(bench, countLines(text));
}
BENCHMARK(LoaderScaling)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace forgeline::bench

BENCHMARK_MAIN();
