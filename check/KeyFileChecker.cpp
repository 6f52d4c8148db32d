// The checker's run: lists KeyFiles once, reads each MCU file with the
// wizard's own menu-name reader and loader, and hands what the loader did to
// the rule families.
#include "check/KeyFileChecker.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "check/CheckerParts.h"
#include "core/DialogModel.h"

namespace forgeline {


int CheckReport::errors() const {
  int n = 0;
  for (const Finding& f : findings) n += f.severity == Severity::error;
  return n;
}

int CheckReport::warnings() const {
  int n = 0;
  for (const Finding& f : findings) n += f.severity == Severity::warning;
  return n;
}

namespace checker {

namespace {

// Listens to one load and keeps every piece with what the loader did to it.
// Each event after onPiece is about the piece just announced.
class LoadRecorder : public LoadObserver {
 public:
  std::vector<Piece> pieces;

  void onPiece(int lineNumber, bool continuation, std::string_view piece, const ClassifiedLine& line) override {
    Piece p;
    p.line = lineNumber;
    p.continuation = continuation;
    p.text = std::string(piece);
    p.kind = line.kind;
    p.header = line.header;
    pieces.push_back(std::move(p));
  }
  void onModuleLine(int, int index, std::string_view name) override {
    currentModule_ = std::string(name);
    mark(PieceUse::moduleLine, index).moduleName = currentModule_;
  }
  void onDescriptionLine(int, int index) override { mark(PieceUse::descriptionLine, index); }
  void onCodeLine(int, int index, int section) override {
    Piece& p = mark(PieceUse::codeLine, index);
    p.section = section;
    p.moduleName = currentModule_;
  }
  void onPrmLine(int) override { mark(PieceUse::prmLine, -1); }
  void onDropped(DroppedKind kind, int, int) override { pieces.back().dropped = kind; }

 private:
  Piece& mark(PieceUse use, int index) {
    Piece& p = pieces.back();
    p.use = use;
    p.module = index;
    return p;
  }
  std::string currentModule_;
};

void markEveryBox(DialogModel& dialog) {
  for (int i = 0; i < kMaxModules; ++i) dialog.setMarked(moduleBox(i), true);
}

std::vector<Piece> loadTicked(WizardState& state, DialogModel& dialog, FileSystem& fs, int slot) {
  LoadRecorder recorder;
  markEveryBox(dialog);
  state.moduleChosen[static_cast<std::size_t>(slot)] = true;
  loadMcuDescription(state, dialog, fs, 0, LoadMode::buildMode, &recorder);
  state.moduleChosen[static_cast<std::size_t>(slot)] = false;
  return std::move(recorder.pieces);
}

// Reads one file the way the wizard would: its menu name as the catalogue
// reads it for the button's caption, a preview load as on a click, then a
// build load with every module box marked, which collects the most any build
// can.
McuFile readMcuFile(FileSystem& inKeyFiles, const std::string& name, bool listed) {
  McuFile file;
  file.name = name;
  file.shownAs = std::string(kKeyFilesFolder) + "/" + name;
  file.listed = listed;
  file.state = std::make_unique<WizardState>();
  std::unique_ptr<InputFile> input = inKeyFiles.openForReading(name);
  file.readable = input != nullptr;
  if (!file.readable) return file;
  file.listedName = readMenuName(*input);
  file.state->menuName = file.listedName;
  file.state->mcuFileTitles[0] = fileTitle(name);
  file.state->mcuCount = 1;
  DialogModel dialog;
  loadMcuDescription(*file.state, dialog, inKeyFiles, 0, LoadMode::previewMode);
  markEveryBox(dialog);
  LoadRecorder recorder;
  loadMcuDescription(*file.state, dialog, inKeyFiles, 0, LoadMode::buildMode, &recorder);
  file.pieces = std::move(recorder.pieces);

  // Section 6 comes only from the one module the user ticks, so its table
  // is tried one module at a time, for the modules that could outgrow it.
  std::map<int, int> section6Lines;
  for (const Piece& p : file.pieces)
    if (p.use == PieceUse::codeLine && p.section == 6 && p.moduleName != kInitModuleName) ++section6Lines[p.module];
  for (const auto& [slot, count] : section6Lines)
    if (count > kMaxSectionLines && slot < file.state->moduleCount)
      file.tickedLoads[slot] = loadTicked(*file.state, dialog, inKeyFiles, slot);
  return file;
}

void checkMcuFile(FileSystem& inKeyFiles, const McuFile& file, std::vector<Finding>& out) {
  FileReport report(out, file.shownAs);
  if (!file.readable) {
    report.add(FindingKind::unreadableFile, 0,
               "cannot be read: the wizard lists it as " + quoted(kUnknownMenuName) + " and loads nothing when it is chosen; make the file "
               "readable");
    return;
  }
  checkLines(file, report);
  checkHeaderKeys(file, report);
  checkPrmBlocks(file, report);
  checkModuleLines(file, report);
  checkLookAlikeLines(file, report);
  const std::vector<Slot> slots = countedModules(file);
  checkModuleTable(file, slots, report);
  checkUses(file, slots, report);
  checkCapacities(file, report);
  checkMcpTemplate(inKeyFiles, file, report);
}

// Enters a folder for the length of a check and always goes back.
class FolderVisit {
 public:
  FolderVisit(FileSystem& fs, const std::string& folder) : fs_(fs), home_(fs.currentDirectory()) {
    entered_ = fs_.changeDirectory(folder);
  }
  ~FolderVisit() {
    if (entered_) fs_.changeDirectory(home_ ? *home_ : std::string(".."));
  }
  FolderVisit(const FolderVisit&) = delete;
  FolderVisit& operator=(const FolderVisit&) = delete;
  bool entered() const { return entered_; }

 private:
  FileSystem& fs_;
  std::optional<std::string> home_;
  bool entered_ = false;
};

}  // namespace

}  // namespace checker

CheckReport checkKeyFiles(FileSystem& fs) {
  using namespace checker;
  CheckReport report;
  FolderVisit visit(fs, kKeyFilesFolder);
  if (!visit.entered()) {
    FileReport(report.findings, kKeyFilesFolder)
        .add(FindingKind::noKeyFiles, 0,
             std::string("there is no KeyFiles folder here: the wizard shows \"") + kNoKeyFilesMessage +
                 "\" and ends; run the check in the folder that holds KeyFiles");
    return report;
  }

  std::vector<DirectoryEntry> entries = fs.listEntries();
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  // The scan's own choice of files; it offers only the first kMaxMcus.
  const std::vector<std::string> names = mcuFileNames(entries);
  std::vector<McuFile> files;
  for (std::size_t i = 0; i < names.size(); ++i)
    files.push_back(readMcuFile(fs, names[i], i < static_cast<std::size_t>(kMaxMcus)));
  report.filesChecked = static_cast<int>(files.size());

  if (files.empty())
    FileReport(report.findings, kKeyFilesFolder)
        .add(FindingKind::noMcuFiles, 0,
             std::string("no file in KeyFiles matches \"MCU_*.txt\": the wizard shows \"") + kNoMcuFilesMessage +
                 "\" and ends; add at least one MCU_NAME.txt");
  checkLookAlikes(entries, report.findings);
  checkCatalogue(files, report.findings);
  checkSharedTemplates(fs, files, report.findings);
  for (const McuFile& file : files) checkMcuFile(fs, file, report.findings);

  std::stable_sort(report.findings.begin(), report.findings.end(), [](const Finding& a, const Finding& b) {
    return std::tie(a.file, a.line) < std::tie(b.file, b.line);
  });
  return report;
}

CheckReport checkKeyFiles(FileSystem& fs, const std::vector<std::string>& paths) {
  using namespace checker;
  CheckReport report;
  for (const std::string& path : paths) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    FolderVisit visit(fs, folder);
    McuFile file;
    if (visit.entered()) file = readMcuFile(fs, path.substr(slash + 1), true);
    file.readable = file.readable && visit.entered();
    file.shownAs = path;
    std::vector<Finding> findings;
    checkMcuFile(fs, file, findings);
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    report.findings.insert(report.findings.end(), findings.begin(), findings.end());
    ++report.filesChecked;
  }
  return report;
}

std::string formatFinding(const Finding& finding) {
  std::string where = finding.file;
  if (finding.line > 0) where += ":" + std::to_string(finding.line);
  return where + (finding.severity == Severity::error ? ": error: " : ": warning: ") + finding.text;
}

std::string formatSummary(const CheckReport& report) {
  using checker::counted;
  return counted(report.errors(), "error") + ", " + counted(report.warnings(), "warning") + " in " +
         counted(report.filesChecked, "file");
}

int runCheck(FileSystem& fs, const CheckOptions& options, std::ostream& out) {
  const CheckReport report = options.files.empty() ? checkKeyFiles(fs) : checkKeyFiles(fs, options.files);
  if (options.format == ReportFormat::sarif) {
    writeSarif(report, out);
  } else {
    for (const Finding& finding : report.findings) out << formatFinding(finding) << '\n';
    out << formatSummary(report) << '\n';
  }
  return report.errors() > 0 ? 1 : 0;
}

}  // namespace forgeline
