// The templates a build copies out of KeyFiles.

#include "check/CheckerParts.h"
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

void checkSharedTemplates(FileSystem& inKeyFiles, const std::vector<McuFile>& files, std::vector<Finding>& out) {
  for (const SharedTemplate& t : kSharedTemplates) {
    std::vector<std::string> users;
    for (const McuFile& file : files) {
      if (!file.readable || !file.hasMenuNameLine) continue;
      if (t.family == Family::all || (t.family == Family::rs08) == file.isRs08()) users.push_back(file.menuName);
    }
    if (users.empty() || hasFile(inKeyFiles, t.name)) continue;
    const std::string who = t.family == Family::all ? "every build"
                            : t.family == Family::rs08
                                ? "a build of an RS08 MCU (" + names(users, 3) + ")"
                                : "a build of an HCS08 MCU (" + names(users, 3) + ")";
    addFinding(out, std::string(kKeyFilesFolder) + "/" + t.name, FindingKind::missingTemplate, 0,
               "missing from KeyFiles: " + who + " stops with \"" + t.buildError + "\"; put the template into KeyFiles");
  }
}

}  // namespace forgeline::checker
