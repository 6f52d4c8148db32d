#include "generate/ProjectRecord.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace forgeline {

namespace {

std::string hexOf(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::string dateText(CalendarDate date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year % 10000, date.month % 100, date.day % 100);
  return text;
}

std::optional<CalendarDate> dateOf(const std::string& text) {
  CalendarDate date;
  char end = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &date.year, &date.month, &date.day, &end) != 3) return std::nullopt;
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return std::nullopt;
  return date;
}

std::optional<int> numberOf(const std::string& text) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return std::stoi(text);
}

// "HASH PATH": sixteen hex digits, a blank, the path (which may hold blanks).
std::optional<TemplateHash> templateOf(const std::string& text) {
  if (text.size() < 18 || text[16] != ' ' || text.substr(0, 16).find_first_not_of("0123456789abcdef") != std::string::npos)
    return std::nullopt;
  return TemplateHash{text.substr(17), std::stoull(text.substr(0, 16), nullptr, 16)};
}

// One "key = value" line into the record; false for a value that does not
// fit its key. Unknown keys are passed by, so a later program may add some.
bool take(ProjectRecord& record, const std::string& key, const std::string& value) {
  if (key == "format") {
    const std::optional<int> format = numberOf(value);
    record.format = format.value_or(0);
    return format.has_value();
  }
  if (key == "date") {
    const std::optional<CalendarDate> date = dateOf(value);
    record.date = date.value_or(CalendarDate{});
    return date.has_value();
  }
  if (key == "template") {
    const std::optional<TemplateHash> hash = templateOf(value);
    if (hash) record.templates.push_back(*hash);
    return hash.has_value();
  }
  if (key == "version") record.version = value;
  if (key == "key file") record.keyFile = value;
  if (key == "menu name") record.menuName = value;
  if (key == "tick") record.ticks.push_back(value);
  if (key == "project") record.projectName = value;
  if (key == "base") record.bases.push_back(value);
  return true;
}

// Every folder above a base copy, parents first, each once.
std::vector<std::string> foldersOf(const std::vector<std::pair<std::string, std::string>>& bases) {
  std::set<std::string> seen;
  std::vector<std::string> folders;
  for (const auto& [path, bytes] : bases)
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1))
      if (seen.insert(path.substr(0, slash)).second) folders.push_back(path.substr(0, slash));
  return folders;
}

bool writeBytes(FileSystem& fs, const std::string& path, std::string_view bytes) {
  std::unique_ptr<OutputFile> file = fs.openForWriting(path);
  return file && file->write(bytes) && file->close();
}

// Made now, or there from a build before.
bool folderThere(FileSystem& fs, const std::string& path) {
  return fs.createDirectory(path).outcome != DirectoryCreation::Outcome::failed;
}

// Tees every byte written into the capture's list once the file is closed
// whole; a dropped file is not remembered.
class CapturedFile : public OutputFile {
 public:
  CapturedFile(std::unique_ptr<OutputFile> file, BuildCapture& capture, std::string path)
      : file_(std::move(file)), capture_(capture), path_(std::move(path)) {}
  bool write(std::string_view bytes) override {
    bytes_.append(bytes);
    return file_->write(bytes);
  }
  bool close() override {
    if (!file_->close()) return false;
    capture_.written.emplace_back(path_, std::move(bytes_));
    return true;
  }

 private:
  std::unique_ptr<OutputFile> file_;
  BuildCapture& capture_;
  std::string path_;
  std::string bytes_;
};

}  // namespace

std::string recordText(const ProjectRecord& record) {
  std::string text = "# What Forgeline chose and made for this project; forgeline-cli update reads it.\n";
  auto line = [&text](const char* key, const std::string& value) { text += std::string(key) + " = " + value + "\n"; };
  line("format", std::to_string(record.format));
  line("version", record.version);
  line("key file", record.keyFile);
  line("menu name", record.menuName);
  for (const std::string& tick : record.ticks) line("tick", tick);
  line("project", record.projectName);
  line("date", dateText(record.date));
  for (const std::string& base : record.bases) line("base", base);
  for (const TemplateHash& copy : record.templates) line("template", hexOf(copy.hash) + " " + copy.path);
  return text;
}

RecordReading parseRecord(std::string_view text) {
  ProjectRecord record;
  record.format = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string line(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t equals = line.find(" = ");
    if (line.empty() || line.front() == '#' || equals == std::string::npos) continue;
    if (!take(record, line.substr(0, equals), line.substr(equals + 3)))
      return {std::nullopt, "the record's line '" + line + "' cannot be read"};
  }
  if (record.format == 0) return {std::nullopt, "the record names no format"};
  if (record.format > kRecordFormat)
    return {std::nullopt, "the record is of format " + std::to_string(record.format) +
                              ", newer than this Forgeline reads (" + std::to_string(kRecordFormat) + ")"};
  return {std::move(record), {}};
}

void ContentHash::add(std::string_view bytes) {
  for (const char byte : bytes) {
    hash_ ^= static_cast<unsigned char>(byte);
    hash_ *= 0x100000001b3ULL;
  }
}

std::optional<std::uint64_t> hashFile(FileSystem& fs, const std::string& path) {
  std::unique_ptr<InputFile> file = fs.openForReading(path);
  if (!file) return std::nullopt;
  ContentHash hash;
  char buffer[65536];
  while (const std::size_t n = file->read(buffer, sizeof buffer)) hash.add(std::string_view(buffer, n));
  return hash.value();
}

bool BuildCapture::changeDirectory(const std::string& path) {
  if (!target().changeDirectory(path)) return false;
  // An absolute path only comes back to where the build started.
  if (path.starts_with('/') || path.find(':') != std::string::npos) steps_.clear();
  for (std::size_t at = 0; at < path.size();) {
    const std::size_t slash = std::min(path.find('/', at), path.size());
    const std::string step = path.substr(at, slash - at);
    if (step == ".." && !steps_.empty() && steps_.back() != "..")
      steps_.pop_back();
    else if (!step.empty() && step != ".")
      steps_.push_back(step);
    at = slash + 1;
  }
  return true;
}

std::string BuildCapture::here() const {
  std::string path;
  for (const std::string& step : steps_) path += step + "/";
  return path;
}

bool BuildCapture::copyFile(const std::string& from, const std::string& to) {
  if (!target().copyFile(from, to)) return false;
  copied.push_back(here() + to);
  return true;
}

std::unique_ptr<OutputFile> BuildCapture::openForWriting(const std::string& path) {
  std::unique_ptr<OutputFile> file = target().openForWriting(path);
  if (!file) return nullptr;
  return std::make_unique<CapturedFile>(std::move(file), *this, here() + path);
}

bool writeRecordFolder(FileSystem& fs, const std::string& text,
                       const std::vector<std::pair<std::string, std::string>>& bases) {
  if (!folderThere(fs, kRecordFolder) || !folderThere(fs, kBaseFolder)) return false;
  for (const std::string& folder : foldersOf(bases))
    if (!folderThere(fs, std::string(kBaseFolder) + "/" + folder)) return false;
  for (const auto& [path, bytes] : bases)
    if (!writeBytes(fs, std::string(kBaseFolder) + "/" + path, bytes)) return false;
  return writeBytes(fs, kRecordFile, text);
}

bool recordBuild(const WizardState& state, const Clock& clock, BuildCapture& capture) {
  FileSystem& disk = capture.disk();
  const std::string project = capture.here();
  auto inside = [&project](const std::string& path) { return path.substr(project.size()); };
  ProjectRecord record;
  record.version = FORGELINE_VERSION;
  record.keyFile = state.mcuFileTitles[static_cast<std::size_t>(state.selectedMcu)] + ".txt";
  record.menuName = state.menuName;
  for (int k = 0; k < state.tickCount; ++k)
    record.ticks.push_back(state.moduleNames[static_cast<std::size_t>(state.tickOrder[static_cast<std::size_t>(k)])]);
  record.projectName = state.projectName;
  record.date = clock.today();
  std::vector<std::pair<std::string, std::string>> bases;
  for (const auto& [path, bytes] : capture.written) {
    if (!path.starts_with(project)) continue;
    record.bases.push_back(inside(path));
    bases.emplace_back(inside(path), bytes);
  }
  for (const std::string& path : capture.copied) {
    const std::optional<std::uint64_t> hash = path.starts_with(project) ? hashFile(disk, inside(path)) : std::nullopt;
    if (!hash) return false;
    record.templates.push_back({inside(path), *hash});
  }
  return writeRecordFolder(disk, recordText(record), bases);
}

}  // namespace forgeline
