// The templates a build copies out of KeyFiles.

#include <iterator>
#include <memory>

#include "check/CheckerParts.h"
#include "core/DialogModel.h"
#include "generate/ProjectBuilder.h"
#include "generate/ProjectName.h"

namespace forgeline::checker {

namespace {

bool hasFile(FileSystem& inKeyFiles, const std::string& name) { return inKeyFiles.openForReading(name) != nullptr; }

enum class Family { all, hcs08, rs08 };

struct SharedTemplate {
  const char* name;
  Family family;
  const char* buildError;
};

constexpr SharedTemplate kSharedTemplates[] = {
    {"burner.bbl", Family::all, kErrorCopyBurner},
    {"Start08.c", Family::hcs08, kErrorCopyStart08},
    {"StartRS08.c", Family::rs08, kErrorCopyStartRs08},
    {"C_Layout.hwl", Family::all, kErrorCopyLayout},
    {"Default.mem", Family::all, kErrorCopyMemory},
};

// A finding about a template names this many of the MCUs that need it.
constexpr std::size_t kNamedUsers = 3;

}  // namespace

void checkMcpTemplate(FileSystem& inKeyFiles, const LoadedFile& loaded, FileReport& report) {
  if (loaded.file.listedNameLine == 0) return;  // already an error of its own
  const std::string& menuName = loaded.state.menuName;
  if (hasPathSeparatorOrNul(menuName)) {
    report.add(RuleOrder::mcpTemplate, FindingKind::menuNameWithSeparator, loaded.lastMenuNameLine,
               "the menu name " + quoted(menuName, 100) +
                   " holds a \"/\", a \"\\\" or a NUL byte, and a build never looks for a template by such a name: a "
                   "build of this MCU stops with \"" + kErrorCopyMcp + "\"; write the menu name without them");
    return;
  }
  const std::string mcp = menuName + ".mcp";
  if (hasFile(inKeyFiles, mcp)) return;
  report.add(RuleOrder::mcpTemplate, FindingKind::missingTemplate, loaded.lastMenuNameLine,
             "the project template " + quoted(mcp, 100) +
                 " is missing from KeyFiles: a build of this MCU stops with \"" + kErrorCopyMcp + "\"; "
                 "add it to KeyFiles or correct the menu name");
}

SharedTemplates::SharedTemplates(FileSystem& inKeyFiles) : needs_(std::size(kSharedTemplates)) {
  for (std::size_t i = 0; i < needs_.size(); ++i) needs_[i].missing = !hasFile(inKeyFiles, kSharedTemplates[i].name);
}

bool SharedTemplates::anyMissingBefore(std::string_view shownAs) const {
  for (std::size_t i = 0; i < needs_.size(); ++i)
    if (needs_[i].missing && std::string(kKeyFilesFolder) + "/" + kSharedTemplates[i].name < shownAs) return true;
  return false;
}

void SharedTemplates::see(const McuFile& file) {
  if (!file.readable || !file.hasMenuNameLine) return;
  for (std::size_t i = 0; i < needs_.size(); ++i) {
    const Family family = kSharedTemplates[i].family;
    if (family != Family::all && (family == Family::rs08) != file.isRs08()) continue;
    Need& need = needs_[i];
    // The finding names a few and says "more" for the rest.
    if (need.users.size() <= kNamedUsers) need.users.push_back(file.menuName);
  }
}

void SharedTemplates::report(std::vector<Finding>& out) const {
  for (std::size_t i = 0; i < needs_.size(); ++i) {
    const SharedTemplate& t = kSharedTemplates[i];
    const Need& need = needs_[i];
    if (need.users.empty() || !need.missing) continue;
    const std::string who = t.family == Family::all ? "every build"
                            : t.family == Family::rs08
                                ? "a build of an RS08 MCU (" + names(need.users, kNamedUsers) + ")"
                                : "a build of an HCS08 MCU (" + names(need.users, kNamedUsers) + ")";
    addFinding(out, std::string(kKeyFilesFolder) + "/" + t.name, FindingKind::missingTemplate, 0,
               "missing from KeyFiles: " + who + " stops with \"" + t.buildError + "\"; put the template into KeyFiles");
  }
}

McuFile readAheadForTemplates(FileSystem& inKeyFiles, const std::string& name) {
  struct MenuNameLines : LoadObserver {
    bool seen = false;
    void onPiece(int, bool, std::string_view, const ClassifiedLine& line) override {
      seen = seen || line.header == HeaderKey::menuName;
    }
  } lines;
  McuFile file;
  file.name = name;
  file.readable = inKeyFiles.openForReading(name) != nullptr;
  if (!file.readable) return file;
  auto state = std::make_unique<WizardState>();
  state->mcuFileTitles[0] = fileTitle(name);
  state->mcuCount = 1;
  DialogModel dialog;
  loadMcuDescription(*state, dialog, inKeyFiles, 0, LoadMode::previewMode, &lines);
  file.hasMenuNameLine = lines.seen;
  file.menuName = state->menuName;
  return file;
}

}  // namespace forgeline::checker
