#include <cstdio>
#include <memory>
#include <string>

#include "core/Wizard.h"

namespace forgeline {

namespace {

enum class LoaderState { Idle, SectionBody, PrmBody };

class McuDescriptionLoader {
 public:
  McuDescriptionLoader(WizardState& state, DialogPort& dialog, LoadMode mode, LoadObserver* observer)
      : state_(state), dialog_(dialog), mode_(mode), observer_(observer) {}

  void start(int mcuIndex) {
    state_.selectedMcu = mcuIndex;
    dialog_.setEnabled(kBuildButton, true);
    state_.sectionLineCounts.fill(0);
    state_.codeLineText.clear();
    if (mode_ == LoadMode::previewMode) {
      for (int i = 0; i < kMaxModules; ++i) {
        dialog_.setVisible(moduleBox(i), false);
        dialog_.setMarked(moduleBox(i), false);
        dialog_.setEnabled(moduleBox(i), true);
      }
    }
    state_.moduleCount = 0;
    state_.initLineCount = 0;
    for (std::string& uses : state_.moduleUses) uses.clear();
    state_.usedByKnown = false;
    for (std::string& description : state_.moduleDescriptions) description.clear();
  }

  void read(InputFile& file) {
    LineReader reader(file);
    while (reader.next(state_.currentLine)) {
      lineNumber_ = reader.lineNumber();
      ClassifiedLine line = classifyLine(state_.currentLine);
      if (observer_ != nullptr)
        observer_->onPiece(lineNumber_, reader.pieceIsContinuation(), state_.currentLine, line);
      applyHeader(line);
      transition(line);
    }
  }

  void finish(int mcuIndex) {
    if (mode_ == LoadMode::previewMode) {
      for (int m = 0; m < state_.moduleCount; ++m) {
        state_.moduleChosen[static_cast<std::size_t>(m)] = false;
        if (state_.moduleNames[static_cast<std::size_t>(m)] == kInitModuleName) {
          dialog_.setMarked(moduleBox(m), true);
          dialog_.setEnabled(moduleBox(m), false);
        }
      }
      // A newly chosen MCU starts with nothing ticked, so the red notes of the
      // choice before go too; the build recounts chosenCount anyway.
      state_.descriptionText.clear();
      state_.chosenCount = 0;
      state_.tickCount = 0;
      dialog_.requestRepaint();
    }
    std::string caption = "MCU (" + state_.mcuFileTitles[static_cast<std::size_t>(mcuIndex)] +
                          ".txt Revision=" + std::to_string(state_.revision) + ")";
    dialog_.setCaption(kMcuGroup, caption);
  }

 private:
  void applyHeader(const ClassifiedLine& line) {
    switch (line.header) {
      case HeaderKey::none:
        break;
      case HeaderKey::menuName:
        state_.menuName = std::string(line.headerValue);
        break;
      case HeaderKey::includeName:
        state_.includeName = std::string(line.headerValue);
        break;
      case HeaderKey::currentDevice:
        state_.currentDevice = std::string(line.headerValue);
        break;
      case HeaderKey::revision:
        state_.revision = parseRevision(line.headerValue);
        break;
    }
  }

  void transition(const ClassifiedLine& line) {
    switch (line.kind) {
      case LineKind::moduleLine:
        beginModule();
        loaderState_ = LoaderState::Idle;
        break;
      case LineKind::endLine:
        // Past the last box there is nothing to count: later modules are
        // dropped as a whole, and moduleCount never exceeds the boxes.
        if (state_.moduleCount < kMaxModules) ++state_.moduleCount;
        loaderState_ = LoaderState::Idle;
        break;
      case LineKind::prmStart:
        state_.prmLineCount = 0;
        state_.prmLineText.clear();
        loaderState_ = LoaderState::PrmBody;
        break;
      case LineKind::prmEnd:
        loaderState_ = LoaderState::Idle;
        break;
      case LineKind::descriptionLine:
        if (observer_ != nullptr) observer_->onDescriptionLine(lineNumber_, state_.moduleCount);
        if (moduleFits())
          state_.moduleDescriptions[static_cast<std::size_t>(state_.moduleCount)] =
              std::string(descriptionText(state_.currentLine));
        loaderState_ = LoaderState::Idle;
        break;
      case LineKind::sectionHeader:
        currentSection_ = line.section;
        loaderState_ = LoaderState::SectionBody;
        break;
      case LineKind::content:
        if (loaderState_ == LoaderState::SectionBody) {
          if (observer_ != nullptr) observer_->onCodeLine(lineNumber_, state_.moduleCount, currentSection_);
          collectCodeLine();
        }
        if (loaderState_ == LoaderState::PrmBody) {
          if (observer_ != nullptr) observer_->onPrmLine(lineNumber_);
          collectPrmLine();
        }
        break;
    }
  }

  bool moduleFits() const { return state_.moduleCount < kMaxModules; }

  void beginModule() {
    const int m = state_.moduleCount;
    if (observer_ != nullptr) observer_->onModuleLine(lineNumber_, m, moduleName(state_.currentLine));
    if (!moduleFits()) {
      report(DroppedKind::module, m);
      return;
    }
    const auto slot = static_cast<std::size_t>(m);
    currentModuleName_ = std::string(moduleName(state_.currentLine));
    if (usesPosition(state_.currentLine) != std::string_view::npos)
      state_.moduleUses[slot] = std::string(moduleUsesText(state_.currentLine));
    dialog_.setCaption(moduleBox(m), currentModuleName_);
    state_.moduleNames[slot] = currentModuleName_;
    dialog_.setVisible(moduleBox(m), true);
  }

  void collectPrmLine() {
    if (state_.prmLineCount >= kMaxPrmLines) {
      report(DroppedKind::prmLine, 0);
      return;
    }
    state_.prmLines[static_cast<std::size_t>(state_.prmLineCount++)] = state_.prmLineText.keep(state_.currentLine);
  }

  void collectCodeLine() {
    const int m = state_.moduleCount;
    if (mode_ == LoadMode::previewMode || !moduleFits() || !dialog_.isMarked(moduleBox(m))) return;
    const int s = currentSection_;
    if (currentModuleName_ == kInitModuleName && s == 6) {
      if (state_.initLineCount >= kMaxInitLines) {
        report(DroppedKind::initLine, m);
        return;
      }
      state_.initLines[static_cast<std::size_t>(state_.initLineCount++)] = state_.codeLineText.keep(state_.currentLine);
      return;
    }
    if (s == 6 && !state_.moduleChosen[static_cast<std::size_t>(m)]) return;
    int& count = state_.sectionCount(s);
    if (count >= kMaxSectionLines) {
      report(DroppedKind::sectionLine, s);
      return;
    }
    state_.section(s)[static_cast<std::size_t>(count++)] = state_.codeLineText.keep(state_.currentLine);
  }

  void report(DroppedKind kind, int index) {
    if (observer_ != nullptr) observer_->onDropped(kind, lineNumber_, index);
  }

  WizardState& state_;
  DialogPort& dialog_;
  LoadMode mode_;
  LoadObserver* observer_;
  LoaderState loaderState_ = LoaderState::Idle;
  int currentSection_ = 0;
  std::string currentModuleName_;
  int lineNumber_ = 0;
};

}  // namespace

void loadMcuDescription(WizardState& state, DialogPort& dialog, FileSystem& fs, int mcuIndex, LoadMode mode,
                        LoadObserver* observer) {
  if (mcuIndex < 0 || mcuIndex >= kMaxMcus) return;
  std::unique_ptr<InputFile> file =
      fs.openForReading(state.mcuFileTitles[static_cast<std::size_t>(mcuIndex)] + ".txt");
  loadMcuDescription(state, dialog, file.get(), mcuIndex, mode, observer);
}

void loadMcuDescription(WizardState& state, DialogPort& dialog, InputFile* file, int mcuIndex, LoadMode mode,
                        LoadObserver* observer) {
  if (mcuIndex < 0 || mcuIndex >= kMaxMcus) return;
  McuDescriptionLoader loader(state, dialog, mode, observer);
  loader.start(mcuIndex);
  if (file) loader.read(*file);
  loader.finish(mcuIndex);
}

void loadMcuDescription(WizardState& state, DialogPort& dialog, std::string_view bytes, int mcuIndex,
                        LoadMode mode, LoadObserver* observer) {
  MemoryInputFile file(bytes);
  loadMcuDescription(state, dialog, &file, mcuIndex, mode, observer);
}

}  // namespace forgeline
