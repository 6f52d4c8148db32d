// The templates a build copies out of KeyFiles.

#include "check/CheckerParts.h"
#include "generate/ProjectBuilder.h"

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

void checkMcpTemplate(FileSystem& inKeyFiles, const McuFile& file, FileReport& report) {
  std::vector<const Piece*> lines = file.headerLines(HeaderKey::menuName);
  if (file.listedNameLine() == nullptr) return;  // already an error of its own
  const std::string mcp = file.state->menuName + ".mcp";
  if (hasFile(inKeyFiles, mcp)) return;
  report.add(FindingKind::missingTemplate, lines.back()->line,
             "the project template " + quoted(mcp, 100) +
                 " is missing from KeyFiles: a build of this MCU stops with \"" + kErrorCopyMcp + "\"; "
                 "add it to KeyFiles or correct the menu name");
}

void checkSharedTemplates(FileSystem& inKeyFiles, const std::vector<McuFile>& files, std::vector<Finding>& out) {
  for (const SharedTemplate& t : kSharedTemplates) {
    std::vector<std::string> users;
    for (const McuFile& file : files) {
      if (!file.readable || file.headerLines(HeaderKey::menuName).empty()) continue;
      if (t.family == Family::all || (t.family == Family::rs08) == file.isRs08()) users.push_back(file.state->menuName);
    }
    if (users.empty() || hasFile(inKeyFiles, t.name)) continue;
    const std::string who = t.family == Family::all ? "every build"
                            : t.family == Family::rs08
                                ? "a build of an RS08 MCU (" + names(users, 3) + ")"
                                : "a build of an HCS08 MCU (" + names(users, 3) + ")";
    FileReport(out, std::string(kKeyFilesFolder) + "/" + t.name)
        .add(FindingKind::missingTemplate, 0,
             "missing from KeyFiles: " + who + " stops with \"" + t.buildError + "\"; put the template into KeyFiles");
  }
}

}  // namespace forgeline::checker
