// The checker's run: lists KeyFiles once, reads each MCU file with the
// wizard's own menu-name reader and loader, and hands what the loader did to
// the rule families.
#include "check/KeyFileChecker.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>
#include <utility>

#include "check/CheckerParts.h"
#include "core/DialogModel.h"

namespace forgeline {


CheckTotals CheckReport::totals() const {
  CheckTotals totals;
  for (const Finding& f : findings) totals.count(f);
  totals.filesChecked = filesChecked;
  return totals;
}

namespace checker {

void FileReport::add(RuleOrder order, FindingKind kind, int line, std::string text) {
  if (++listed_[kind] <= kMaxListedFindingsOfAKind) {
    held_.push_back({order, {file_, line, severityOf(kind), std::move(text), kind}});
    return;
  }
  Unlisted& rest = unlisted_[kind];
  if (rest.count++ == 0) rest.firstLine = line, rest.order = order;
  rest.lastLine = std::max(rest.lastLine, line);
}

void FileReport::moveInto(std::vector<Finding>& out) {
  for (const auto& [kind, rest] : unlisted_) {
    std::string text = std::to_string(rest.count) + " more " + oneOrMany(rest.count, "finding", "findings") +
                       " of the kind \"" + findingKindInfo(kind).title + "\"";
    if (rest.lastLine > rest.firstLine) text += " from this line to line " + std::to_string(rest.lastLine);
    text += " " + std::string(oneOrMany(rest.count, "is", "are")) + " not listed one by one; fix the first " +
            std::to_string(kMaxListedFindingsOfAKind) + " and check again";
    held_.push_back({rest.order, {file_, rest.firstLine, severityOf(kind), std::move(text), kind, rest.count}});
  }
  std::stable_sort(held_.begin(), held_.end(), [](const Held& a, const Held& b) {
    return std::tie(a.finding.line, a.order) < std::tie(b.finding.line, b.order);
  });
  for (Held& h : held_) out.push_back(std::move(h.finding));
  held_.clear();
}

void addFinding(std::vector<Finding>& out, const std::string& file, FindingKind kind, int line, std::string text) {
  out.push_back({file, line, severityOf(kind), std::move(text), kind});
}

namespace {

// Listens to one load and hands each piece, with what the loader did to it,
// to every rule family; it keeps no more than one piece. The loader announces
// a piece and then what it does with it, so a piece is passed on when the
// next one comes or the load ends.
class PieceScanner : public LoadObserver {
 public:
  PieceScanner(LoadedFile& loaded, McuFile& file, std::span<PieceRules* const> rules, FileReport& report)
      : loaded_(loaded), file_(file), rules_(rules), report_(report) {}

  void onPiece(int lineNumber, bool continuation, std::string_view piece, const ClassifiedLine& line) override {
    passOn();
    Piece& p = current_;
    p.line = lineNumber;
    p.continuation = continuation;
    p.text.assign(piece);
    p.kind = line.kind;
    p.header = line.header;
    p.use = PieceUse::none;
    p.module = -1;
    p.section = 0;
    p.moduleName.clear();
    p.dropped.reset();
    holding_ = true;
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
  void onDropped(DroppedKind kind, int, int) override { current_.dropped = kind; }

  // After the load: the last piece goes out too.
  void end() {
    passOn();
    if (seenAny_) loaded_.lastPiece = current_;
  }

 private:
  Piece& mark(PieceUse use, int index) {
    current_.use = use;
    current_.module = index;
    return current_;
  }
  void passOn() {
    if (!holding_) return;
    holding_ = false;
    seenAny_ = true;
    const Piece& p = current_;
    if (p.header != HeaderKey::none) note(p);
    if (p.use == PieceUse::moduleLine && p.module < kMaxModules)
      loaded_.moduleLines[static_cast<std::size_t>(p.module)] = p;
    for (PieceRules* rules : rules_) rules->see(p, report_);
  }
  void note(const Piece& p) {
    ++loaded_.headerLines[static_cast<std::size_t>(p.header)];
    if (p.header != HeaderKey::menuName) return;
    if (loaded_.firstMenuNameLine == 0) loaded_.firstMenuNameLine = p.line;
    loaded_.lastMenuNameLine = p.line;
    if (file_.listedNameLine == 0 && p.headerValue() != kUnknownMenuName) file_.listedNameLine = p.line;
  }

  LoadedFile& loaded_;
  McuFile& file_;
  std::span<PieceRules* const> rules_;
  FileReport& report_;
  Piece current_;
  bool holding_ = false;
  bool seenAny_ = false;
  std::string currentModule_;
};

void markEveryBox(DialogModel& dialog) {
  for (int i = 0; i < kMaxModules; ++i) dialog.setMarked(moduleBox(i), true);
}

// "cannot be read", with the system's reason when there is one.
std::string cannotBeRead(const std::string& why) { return "cannot be read" + (why.empty() ? why : " (" + why + ")"); }

// Reads one file the way the wizard would, findings straight into `out`: its
// menu name as the catalogue reads it for the button's caption, a preview
// load as on a click, then a build load with every module box marked, which
// collects the most any build can; the rule families follow that load.
McuFile checkMcuFile(FileSystem& inKeyFiles, const std::string& name, std::string shownAs, bool listed,
                     bool reachable, std::vector<Finding>& out) {
  McuFile file;
  file.name = name;
  file.shownAs = std::move(shownAs);
  file.listed = listed;
  FileReport report(file.shownAs);
  std::unique_ptr<InputFile> input = reachable ? inKeyFiles.openForReading(name) : nullptr;
  file.readable = input != nullptr;
  if (!file.readable) {
    report.add(RuleOrder::catalogue, FindingKind::unreadableFile, 0,
               cannotBeRead(reachable ? inKeyFiles.lastFailure() : std::string()) + ": the wizard lists it as " +
                   quoted(kUnknownMenuName) + " and loads nothing when it is chosen; make the file readable");
    report.moveInto(out);
    return file;
  }
  file.listedName = readMenuName(*input);
  input.reset();
  auto state = std::make_unique<WizardState>();
  state->menuName = file.listedName;
  state->mcuFileTitles[0] = fileTitle(name);
  state->mcuCount = 1;
  DialogModel dialog;
  loadMcuDescription(*state, dialog, inKeyFiles, 0, LoadMode::previewMode);
  markEveryBox(dialog);

  const std::unique_ptr<PieceRules> families[] = {lineRules(),      headerKeyRules(),   prmBlockRules(), moduleLineRules(),
                                                  lookAlikeRules(), moduleTableRules(), capacityRules()};
  PieceRules* rules[std::size(families)];
  for (std::size_t i = 0; i < std::size(families); ++i) rules[i] = families[i].get();
  LoadedFile loaded{file, *state};
  PieceScanner scanner(loaded, file, rules, report);
  loadMcuDescription(*state, dialog, inKeyFiles, 0, LoadMode::buildMode, &scanner);
  scanner.end();
  file.menuName = state->menuName;
  file.hasMenuNameLine = loaded.headerLineCount(HeaderKey::menuName) > 0;

  for (PieceRules* r : rules) r->finish(loaded, report);
  checkMcpTemplate(inKeyFiles, loaded, report);
  report.moveInto(out);
  return file;
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

// Hands findings on in the order of a sort by file and then line, holding
// only findings across files: each MCU file's findings come as one batch, in
// byte order of the names, and every other finding is either known before
// the first file or sorts after the last. At one place, findings across
// files come first.
class ReportOrder {
 public:
  ReportOrder(FindingSink& sink, std::vector<Finding> known) : sink_(sink), known_(std::move(known)) {
    std::stable_sort(known_.begin(), known_.end(), byPlace);
  }

  // The findings of the file `shownAs`: those across files, then its own.
  void file(const std::string& shownAs, std::vector<Finding> findings) {
    for (; next_ < known_.size() && known_[next_].file < shownAs; ++next_) sink_.add(known_[next_]);
    std::vector<Finding> batch;
    for (; next_ < known_.size() && known_[next_].file == shownAs; ++next_) batch.push_back(std::move(known_[next_]));
    std::move(findings.begin(), findings.end(), std::back_inserter(batch));
    std::stable_sort(batch.begin(), batch.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    for (const Finding& finding : batch) sink_.add(finding);
  }

  // The rest, with `late`: findings known only now, all about files that
  // sort after every MCU file.
  void end(std::vector<Finding> late) {
    late.insert(late.begin(), std::make_move_iterator(known_.begin() + static_cast<std::ptrdiff_t>(next_)),
                std::make_move_iterator(known_.end()));
    std::stable_sort(late.begin(), late.end(), byPlace);
    for (const Finding& finding : late) sink_.add(finding);
  }

 private:
  static bool byPlace(const Finding& a, const Finding& b) { return std::tie(a.file, a.line) < std::tie(b.file, b.line); }

  FindingSink& sink_;
  std::vector<Finding> known_;
  std::size_t next_ = 0;  // known_ before it are passed on
};

// Gathers every finding, for the callers that want the whole report.
struct Collect : FindingSink {
  explicit Collect(CheckReport& r) : report(r) {}
  void add(const Finding& finding) override { report.findings.push_back(finding); }
  CheckReport& report;
};

}  // namespace

}  // namespace checker

int checkKeyFiles(FileSystem& fs, FindingSink& sink) {
  using namespace checker;
  FolderVisit visit(fs, kKeyFilesFolder);
  if (!visit.entered()) {
    std::vector<Finding> missing;
    addFinding(missing, kKeyFilesFolder, FindingKind::noKeyFiles, 0,
               std::string("there is no KeyFiles folder here: the wizard shows \"") + kNoKeyFilesMessage +
                   "\" and ends; run the check in the folder that holds KeyFiles");
    sink.add(missing.front());
    return 0;
  }

  std::vector<DirectoryEntry> entries = fs.listEntries();
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  // The scan's own choice of files, in byte order; it offers only the first kMaxMcus.
  const std::vector<std::string> names = mcuFileNames(entries);
  const auto shownAs = [](const std::string& name) { return std::string(kKeyFilesFolder) + "/" + name; };

  std::vector<Finding> known;
  if (names.empty())
    addFinding(known, kKeyFilesFolder, FindingKind::noMcuFiles, 0,
               std::string("no file in KeyFiles matches \"MCU_*.txt\": the wizard shows \"") + kNoMcuFilesMessage +
                   "\" and ends; add at least one MCU_NAME.txt");
  checkLookAlikes(entries, known);
  // A missing template's finding says which MCUs need it. Where it sorts
  // after every MCU file, the files tell as they are checked; where before
  // (C_Layout.hwl and Default.mem sort before "MCU_", and where case does
  // not matter every template sorts before "mcu_x.txt"), a load of each file
  // of its own tells first.
  SharedTemplates templates(fs);
  const bool templatesFirst = !names.empty() && templates.anyMissingBefore(shownAs(names.back()));
  if (templatesFirst) {
    for (const std::string& name : names) templates.see(readAheadForTemplates(fs, name));
    templates.report(known);
  }

  ReportOrder order(sink, std::move(known));
  CatalogueRules catalogue;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::vector<Finding> own;
    const McuFile file = checkMcuFile(fs, names[i], shownAs(names[i]), i < static_cast<std::size_t>(kMaxMcus), true, own);
    std::vector<Finding> findings;
    catalogue.check(file, findings);
    std::move(own.begin(), own.end(), std::back_inserter(findings));
    order.file(file.shownAs, std::move(findings));
    if (!templatesFirst) templates.see(file);
  }
  std::vector<Finding> late;
  if (!templatesFirst) templates.report(late);
  order.end(std::move(late));
  return static_cast<int>(names.size());
}

int checkKeyFiles(FileSystem& fs, const std::vector<std::string>& paths, FindingSink& sink) {
  using namespace checker;
  for (const std::string& path : paths) {
    std::vector<Finding> findings;
    // A mistyped name is the likeliest reason; the system tells which.
    if (!fs.openForReading(path)) {
      addFinding(findings, path, FindingKind::unreadableFile, 0,
                 cannotBeRead(fs.lastFailure()) + ": check the path and that the file is readable");
    } else {
      const std::size_t slash = path.rfind('/');
      const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
      FolderVisit visit(fs, folder);
      checkMcuFile(fs, path.substr(slash + 1), path, true, visit.entered(), findings);
    }
    for (const Finding& finding : findings) sink.add(finding);
  }
  return static_cast<int>(paths.size());
}

CheckReport checkKeyFiles(FileSystem& fs) {
  CheckReport report;
  checker::Collect collect(report);
  report.filesChecked = checkKeyFiles(fs, collect);
  return report;
}

CheckReport checkKeyFiles(FileSystem& fs, const std::vector<std::string>& paths) {
  CheckReport report;
  checker::Collect collect(report);
  report.filesChecked = checkKeyFiles(fs, paths, collect);
  return report;
}

std::string formatFinding(const Finding& finding, const ReportPaths& paths) {
  std::string where = paths.shown(finding.file);
  if (finding.line > 0) where += ":" + std::to_string(finding.line);
  return where + (finding.severity == Severity::error ? ": error: " : ": warning: ") + finding.text;
}

std::string formatSummary(const CheckTotals& totals) {
  using checker::counted;
  return counted(totals.errors, "error") + ", " + counted(totals.warnings, "warning") + " in " +
         counted(totals.filesChecked, "file");
}

std::string formatSummary(const CheckReport& report) { return formatSummary(report.totals()); }

namespace {

// Counts what passes on to the report, for its summary and exit status.
class Tally : public FindingSink {
 public:
  explicit Tally(FindingSink& next) : next_(next) {}
  void add(const Finding& finding) override {
    totals.count(finding);
    next_.add(finding);
  }
  CheckTotals totals;

 private:
  FindingSink& next_;
};

class GccLines : public FindingSink {
 public:
  GccLines(std::ostream& out, const ReportPaths& paths) : out_(out), paths_(paths) {}
  void add(const Finding& finding) override { out_ << formatFinding(finding, paths_) << '\n'; }

 private:
  std::ostream& out_;
  const ReportPaths& paths_;
};

}  // namespace

int runCheck(FileSystem& fs, const CheckOptions& options, std::ostream& out) {
  const std::string checked = fs.currentDirectory().value_or("");
  const ReportPaths paths(checked, options.workingFolder.empty() ? checked : options.workingFolder);
  GccLines lines(out, paths);
  std::optional<SarifWriter> sarif;
  if (options.format == ReportFormat::sarif) sarif.emplace(out, paths);
  Tally tally(sarif ? static_cast<FindingSink&>(*sarif) : lines);
  tally.totals.filesChecked = options.files.empty() ? checkKeyFiles(fs, tally) : checkKeyFiles(fs, options.files, tally);
  if (sarif)
    sarif->finish(tally.totals);
  else if (!options.quiet)
    out << formatSummary(tally.totals) << '\n';
  return tally.totals.errors > 0 ? 1 : 0;
}

}  // namespace forgeline
