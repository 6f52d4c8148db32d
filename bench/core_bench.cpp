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
#include "core/MemoryFileSystem.h"
#include "core/Wizard.h"
#include "core/WizardState.h"
#include "generate/MainSourceComposer.h"
#include "session/WizardSession.h"

namespace forgeline::bench {
namespace {

// Written files counted and thrown away, so composing main.c is measured
// without keeping what it writes.
class DiscardingWrites : public FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  std::unique_ptr<OutputFile> openForWriting(const std::string&) override { return std::make_unique<Discard>(*this); }
  std::int64_t bytesWritten() const { return written_; }

 private:
  struct Discard : OutputFile {
    explicit Discard(DiscardingWrites& fs) : fs_(fs) {}
    bool write(std::string_view bytes) override {
      fs_.written_ += static_cast<std::int64_t>(bytes.size());
      return true;
    }
    bool close() override { return true; }
    DiscardingWrites& fs_;
  };
  std::int64_t written_ = 0;
};

const std::string& fullMcu() {
  static const std::string text = fullCapacityMcu();
  return text;
}

// A wizard with the full MCU chosen in the window, its key file served from
// memory so the figures are the wizard's own work and not the disk's.
struct Wizard {
  MemoryFileSystem fs;
  FixedClock clock{CalendarDate{5, 12, 2026}};
  // The record is the bench's own, so a build-mode reload can be timed on it
  // without the rest of a build.
  WizardState::Owned record = WizardState::createInLargePages();
  WizardSession session{fs, clock, record.get()};
  const WizardState& state = *record;

  explicit Wizard(const std::string& text = fullMcu()) {
    fs.addFile("/KeyFiles/" + std::string(kFullMcuTitle) + ".txt", text);
    session.open();
    session.chooseMcu(0);
  }
  // A click on every box the user may tick, from the last to the first, so
  // that no box has been forced on and disabled before its own click.
  void clickEveryModule() {
    for (int m = state.moduleCount - 1; m >= 0; --m) session.clickModule(m);
  }
  // The reload a build starts with, on a copy of the boxes as they stand.
  WizardState& loadForBuild(DialogModel& boxes) {
    boxes = session.dialog();
    loadMcuDescription(*record, boxes, fs, 0, LoadMode::buildMode);
    return *record;
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
    MemoryInputFile input(text);
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
    MemoryInputFile input(text);
    LineReader reader(input);
    while (reader.next(piece)) benchmark::DoNotOptimize(classifyLine(piece));
  }
  perLine(bench, countLines(text));
}
BENCHMARK(ClassifyFullFile);

// The click on the MCU's radio button.
void LoaderPreviewFull(benchmark::State& bench) {
  Wizard wizard;
  for (auto _ : bench) wizard.session.chooseMcu(0);
  perLine(bench, countLines(fullMcu()));
}
BENCHMARK(LoaderPreviewFull);

// The reload of a build with every module marked: every table filled.
void LoaderBuildFull(benchmark::State& bench) {
  Wizard wizard;
  wizard.clickEveryModule();
  DialogModel boxes;
  WizardState& state = wizard.loadForBuild(boxes);
  for (auto _ : bench) loadMcuDescription(state, boxes, wizard.fs, 0, LoadMode::buildMode);
  if (state.sectionCount(1) != kMaxSectionLines || state.sectionCount(6) != kMaxSectionLines)
    bench.SkipWithError("the full MCU no longer fills the section tables");
  perLine(bench, countLines(fullMcu()));
}
BENCHMARK(LoaderBuildFull);

// One click among 50 modules: the rules recompute every box. Each round
// ticks a box and unticks it again, so every click is taken (a box the one
// before it forces on would refuse its click), and each click counts as an item.
void ToggleModule50(benchmark::State& bench) {
  Wizard wizard;
  int m = 1;
  for (auto _ : bench) {
    if (wizard.session.clickModule(m) != ClickOutcome::done || wizard.session.clickModule(m) != ClickOutcome::done) {
      bench.SkipWithError("a click was refused");
      break;
    }
    m = m == kMaxModules - 1 ? 1 : m + 1;
  }
  // Clicks as items: a named counter would break the CSV the bench script reads.
  bench.SetItemsProcessed(2 * static_cast<std::int64_t>(bench.iterations()));
}
BENCHMARK(ToggleModule50);

// main.c from full tables, composed and converted to CR LF in chunks that
// a file system here throws away; arg 0: every module ticked (empty main),
// arg 1: one module ticked (its section 6 is main).
void MainSourceFull(benchmark::State& bench) {
  Wizard wizard;
  wizard.clickEveryModule();
  DialogModel boxes;
  WizardState& state = wizard.loadForBuild(boxes);
  state.chosenCount = bench.range(0) == 1 ? 1 : countChosenModules(state);
  DiscardingWrites fs(wizard.fs);
  for (auto _ : bench) benchmark::DoNotOptimize(writeMainSource(state, fs, wizard.clock));
  bench.SetBytesProcessed(fs.bytesWritten());
}
BENCHMARK(MainSourceFull)->Arg(0)->Arg(1);

// What the window and the command line pay once per run for the record,
// made as they make it: in a large-page block that the system clears whole.
void WizardStateConstruction(benchmark::State& bench) {
  for (auto _ : bench) benchmark::DoNotOptimize(WizardState::createInLargePages());
}
BENCHMARK(WizardStateConstruction);

// The loader on 1x, 10x and 100x the lines of the full MCU, in build mode
// with only INIT marked: the tables take the same lines at every size, so
// the time per line is the loader's growth alone and should stay flat.
void LoaderScaling(benchmark::State& bench) {
  const std::string text = scaledMcu(static_cast<int>(bench.range(0)));
  Wizard wizard(text);
  DialogModel boxes;
  WizardState& state = wizard.loadForBuild(boxes);
  for (auto _ : bench) loadMcuDescription(state, boxes, wizard.fs, 0, LoadMode::buildMode);
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * text.size()));
  perLine(bench, countLines(text));
}
BENCHMARK(LoaderScaling)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace forgeline::bench

BENCHMARK_MAIN();
