#include "update/ProjectUpdate.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "core/OverlayFileSystem.h"
#include "generate/ProjectRecord.h"
#include "generate/TextFileWriter.h"
#include "session/WizardSession.h"
#include "update/ThreeWayMerge.h"

namespace forgeline {

namespace {

UpdateOutcome failure(std::string error) { return {UpdateStatus::failed, std::move(error)}; }

// The disk without the project folder, so that the new build can make its
// own in memory beside KeyFiles, as a first build would.
class DiskWithoutProject : public FileSystemWrapper {
 public:
  DiskWithoutProject(FileSystem& disk, std::string folder, std::string name)
      : FileSystemWrapper(disk), folder_(std::move(folder)), name_(std::move(name)) {}
  std::vector<DirectoryEntry> listEntries() const override {
    std::vector<DirectoryEntry> entries = target().listEntries();
    if (target().currentDirectory() == folder_)
      std::erase_if(entries, [this](const DirectoryEntry& entry) { return entry.name == name_; });
    return entries;
  }
  // Looked up by name, too, the folder is not there: a build in memory that
  // asks the disk itself whether its project folder exists must hear no.
  bool changeDirectory(const std::string& path) override { return !hides(path) && target().changeDirectory(path); }
  std::unique_ptr<InputFile> openForReading(const std::string& path) override {
    return hides(path) ? nullptr : target().openForReading(path);
  }

 private:
  bool hides(const std::string& path) const {
    const std::string within = target().currentDirectory() == folder_ ? name_ : project();
    return path == within || path.starts_with(within + "/") || path == project() || path.starts_with(project() + "/");
  }
  std::string project() const { return folder_ + (folder_.ends_with('/') ? "" : "/") + name_; }

  std::string folder_;
  std::string name_;
};

std::string lastMessage(const WizardSession& session) {
  const std::vector<ShownMessage>& shown = session.dialog().messages();
  return shown.empty() ? std::string("it stopped") : shown.back().text;
}

// A box named as on every command line of the wizard, if it is shown.
std::optional<int> boxCaptioned(const WizardSession& session, const std::string& name) {
  const int index = session.moduleBoxNamed(name);
  if (index < 0 || index >= kMaxModules || !session.control(moduleBox(index)).visible) return std::nullopt;
  return index;
}

// The recorded ticks in their order, then the new clicks in theirs. A box
// already as asked is left alone, and so is one the rules hold (greyed):
// unticking a module another ticked module uses leaves it marked, as in
// the window.
std::optional<UpdateOutcome> replayClicks(WizardSession& session, const ProjectRecord& record,
                                          const std::vector<BoxChange>& changes) {
  for (const std::string& tick : record.ticks) {
    const std::optional<int> box = boxCaptioned(session, tick);
    if (!box || session.clickModule(*box) != ClickOutcome::done)
      return failure("the recorded module " + tick + " can no longer be ticked in " + record.keyFile);
  }
  for (const BoxChange& change : changes) {
    const std::optional<int> box = boxCaptioned(session, change.box);
    if (!box) return UpdateOutcome{UpdateStatus::badUsage, "no module box matches '" + change.box + "'"};
    if (session.control(moduleBox(*box)).marked != change.tick) session.clickModule(*box);
  }
  return std::nullopt;
}

// The project as the wizard builds it today, in memory over the disk.
struct NewBuild {
  explicit NewBuild(FileSystem& disk, const std::string& folder, const std::string& project)
      : hidden(disk, folder, project), memory(hidden), at(folder + (folder.ends_with('/') ? "" : "/") + project + "/") {}
  DiskWithoutProject hidden;
  OverlayFileSystem memory;
  std::string at;  // the project folder in memory, "/"-ended
  ProjectRecord record;
};

std::optional<UpdateOutcome> buildAgain(NewBuild& build, const ProjectRecord& record,
                                        const std::vector<BoxChange>& changes) {
  const FixedClock clock(record.date);
  WizardSession session(build.memory, clock);
  if (!session.open()) return failure(lastMessage(session));
  const WizardState& state = session.state();
  int mcu = 0;
  while (mcu < state.mcuCount && state.mcuFileTitles[static_cast<std::size_t>(mcu)] + ".txt" != record.keyFile) ++mcu;
  if (!session.chooseMcu(mcu)) return failure("the key file " + record.keyFile + " the project was built from is not in KeyFiles");
  if (std::optional<UpdateOutcome> refused = replayClicks(session, record, changes)) return refused;
  session.typeProjectName(record.projectName);
  if (!session.pressBuild()) return failure("the new build failed: " + lastMessage(session));
  const std::optional<std::string> text = readWholeFile(build.memory, build.at + kRecordFile);
  RecordReading reading = parseRecord(text.value_or(""));
  if (!reading.record) return failure("the new build left no record");
  build.record = std::move(*reading.record);
  return std::nullopt;
}

// The files of one update: the project on disk and the new build in memory.
struct Update {
  FileSystem& fs;
  const std::string& folder;  // where the update started, holding the project
  const UpdateRequest& request;
  std::ostream& out;
  NewBuild& build;
  const ProjectRecord& old;
  int conflicts = 0;
  std::vector<std::pair<std::string, std::string>> bases;  // the new ones

  std::string inProject(const std::string& path) const { return request.project + "/" + path; }
  // The disk, back in the folder the update started in: reading the build
  // in memory moves it to look about.
  FileSystem& disk() {
    fs.changeDirectory(folder);
    return fs;
  }
  void tell(const char* what, const std::string& path) {
    if (!request.dryRun) out << what << ' ' << path << '\n';
  }
};

bool writeBytes(FileSystem& fs, const std::string& path, InputFile& from) {
  std::unique_ptr<OutputFile> file = fs.openForWriting(path);
  if (!file) return false;
  char buffer[65536];
  while (const std::size_t n = from.read(buffer, sizeof buffer))
    if (!file->write(std::string_view(buffer, n))) return false;
  return file->close();
}

// Writes `path` of the project: the new file's bytes as they are when the
// project's own was untouched, else the merge with its line ends as built.
bool mergeFile(Update& run, const std::string& path) {
  const std::string theirs = readWholeFile(run.build.memory, run.build.at + kBaseFolder + "/" + path).value_or("");
  run.bases.emplace_back(path, theirs);
  const std::optional<std::string> base = readWholeFile(run.disk(), run.inProject(std::string(kBaseFolder) + "/" + path));
  const std::string ours = readWholeFile(run.disk(), run.inProject(path)).value_or(base.value_or(""));
  if (ours == theirs) return true;
  const bool untouched = base && ours == *base;
  const Merge merge = untouched ? Merge{linesOf(theirs), 0}
                                : mergeLines(linesOf(base.value_or("")), linesOf(ours), linesOf(theirs));
  // Only the user changed the file since its base: nothing to take in.
  if (merge.lines == linesOf(ours)) return true;
  run.conflicts += merge.conflicts;
  if (run.request.dryRun) {
    printUnifiedDiff(run.out, path, linesOf(ours), merge.lines);
    return true;
  }
  run.tell(untouched ? "updated" : merge.conflicts ? "conflict" : "merged", path);
  if (untouched) {
    MemoryInputFile bytes(theirs);
    return writeBytes(run.disk(), run.inProject(path), bytes);
  }
  return writeTextFile(run.disk(), run.inProject(path), textOf(merge.lines)).ok();
}

// A template is copied again only when KeyFiles holds a new one and the
// project's copy is still the one recorded; one changed in the project
// (CodeWarrior rewrites its .mcp) is left and told.
bool updateTemplate(Update& run, const TemplateHash& now) {
  const auto old = std::find_if(run.old.templates.begin(), run.old.templates.end(),
                                [&](const TemplateHash& t) { return t.path == now.path; });
  if (old != run.old.templates.end() && old->hash == now.hash) return true;
  const std::optional<std::uint64_t> current = hashFile(run.disk(), run.inProject(now.path));
  if (current == now.hash) return true;
  if (current && (old == run.old.templates.end() || *current != old->hash)) {
    run.tell("kept", now.path);
    return true;
  }
  if (run.request.dryRun) {
    run.out << "Files a/" << now.path << " and b/" << now.path << " differ\n";
    return true;
  }
  run.tell("updated", now.path);
  std::unique_ptr<InputFile> source = run.build.memory.openForReading(run.build.at + now.path);
  return source && writeBytes(run.disk(), run.inProject(now.path), *source);
}

bool writeRecord(Update& run) {
  const std::optional<std::string> text = readWholeFile(run.build.memory, run.build.at + kRecordFile);
  FileSystem& fs = run.disk();
  if (!text || !fs.changeDirectory(run.request.project)) return false;
  const bool written = writeRecordFolder(fs, *text, run.bases);
  return fs.changeDirectory(run.folder) && written;
}

}  // namespace

UpdateOutcome updateProject(FileSystem& fs, const UpdateRequest& request, std::ostream& out) {
  const std::optional<std::string> text = readWholeFile(fs, request.project + "/" + kRecordFile);
  if (!text)
    return failure("'" + request.project + "' has no record of its build (" + kRecordFile +
                   "), so it cannot be updated; a project built with --no-record or before records has none");
  RecordReading reading = parseRecord(*text);
  if (!reading.record) return failure("'" + request.project + "': " + reading.error);
  const ProjectRecord& old = *reading.record;

  const std::optional<std::string> folder = fs.currentDirectory();
  if (!folder) return failure("the working folder cannot be told");
  NewBuild build(fs, *folder, old.projectName);
  const std::optional<UpdateOutcome> stopped = buildAgain(build, old, request.changes);
  // The build in memory looked about the disk from its own folders.
  if (!fs.changeDirectory(*folder)) return failure("could not return to '" + *folder + "'");
  if (stopped) return *stopped;

  Update run{fs, *folder, request, out, build, old, 0, {}};
  for (const std::string& path : build.record.bases)
    if (!mergeFile(run, path)) return failure("could not write '" + run.inProject(path) + "'");
  for (const TemplateHash& copy : build.record.templates)
    if (!updateTemplate(run, copy)) return failure("could not copy the template to '" + run.inProject(copy.path) + "'");
  if (!request.dryRun && !writeRecord(run)) return failure("could not write the record of '" + request.project + "'");
  return {run.conflicts > 0 ? UpdateStatus::conflicts : UpdateStatus::clean, {}};
}

}  // namespace forgeline
