// Every kind of finding in one table: its name for tools, its severity and
// what it is about. An error is what makes the wizard misbehave; a warning is
// legal but rarely what the author meant.
#include <cstddef>
#include <iterator>

#include "check/KeyFileChecker.h"

namespace forgeline {

namespace {

using enum FindingKind;
constexpr Severity E = Severity::error;
constexpr Severity W = Severity::warning;

constexpr FindingKindInfo kFindingKinds[] = {
    {noKeyFiles, "no-keyfiles", E, "no KeyFiles folder",
     "The folder holds no KeyFiles folder, so the wizard shows \"Could not find 'KeyFiles' directory. "
     "Will abort.\" and ends. Run the check, and the wizard, in the folder that holds KeyFiles."},
    {noMcuFiles, "no-mcu-files", E, "no file matches MCU_*.txt",
     "No file in KeyFiles matches MCU_*.txt exactly, so the wizard shows \"Found no MCU files. Will "
     "abort.\" and ends. Add at least one MCU_NAME.txt."},
    {unreadableFile, "unreadable-file", E, "MCU file cannot be read",
     "The file cannot be opened or read (the system's reason is given): the wizard lists it as \"???\" "
     "and loads nothing when it is chosen. Make the file readable."},
    {binaryContent, "binary-content", E, "control bytes in a text file",
     "The file holds control bytes that text never has (a NUL, an escape, ...); the wizard takes them "
     "as ordinary characters and copies them into captions and generated files. Save the file as "
     "plain text."},
    {longLine, "long-line", E, "line longer than 98 characters",
     "A line over 98 characters is read as several lines of at most 99, and a piece that begins like "
     "a key, a keyword or a section header acts as one. Break the line into lines of at most 98 "
     "characters."},
    {noFinalLineEnd, "no-final-line-end", E, "last line without a line end",
     "The wizard cuts the last character off every line as its line end, so a last line without one "
     "loses a real character. End the file with a line break."},
    {noMenuName, "no-menu-name", E, "no usable MenuName= line",
     "Without a usable MenuName= line the button shows \"???\" and a build looks for the .mcp of the "
     "MCU loaded before. Add a line MenuName=NAME at the top."},
    {noIncludeName, "no-include-name", E, "no IncludeName= line",
     "Without an IncludeName= line, derivative.h includes the header of the MCU loaded before. Add a "
     "line IncludeName=<name.h>."},
    {noCurrentDevice, "no-current-device", E, "no CURRENTDEVICE= line",
     "Without a CURRENTDEVICE= line, the debugger settings name the device of the MCU loaded before. "
     "Add a line CURRENTDEVICE=NAME."},
    {noPrmBlock, "no-prm-block", E, "no PRM block",
     "Without a PRM block, Project.prm gets the PRM lines of the MCU loaded before. Add PRMSTART, the "
     "linker lines and PRMEND."},
    {unclosedModule, "unclosed-module", E, "module without ENDMODULE",
     "A module without ENDMODULE runs on into the next module line, which takes over its box and its "
     "code; at the end of the file its uses are never applied. Add ENDMODULE at the end of the module."},
    {emptyModuleName, "empty-module-name", E, "module line without a name",
     "A module line with an empty name (a lower-case letter or a blank right after MODULE:) gives a "
     "box without a caption, and every marked box forces that module on. Write the name in capitals "
     "right after MODULE:."},
    {tooManyMcuFiles, "too-many-mcu-files", E, "more than 50 MCU files",
     "The wizard lists only the first 50 MCU files in byte order of their names and never offers the "
     "others. Keep at most 50 MCU_*.txt files in KeyFiles."},
    {tooManyModules, "too-many-modules", E, "more than 50 modules",
     "The wizard has 50 module boxes and ignores every module after the 50th, with its description "
     "and code. Keep at most 50 modules in a file."},
    {tooManyPrmLines, "too-many-prm-lines", E, "more than 100 PRM lines",
     "The wizard keeps 100 lines of the PRM block; the rest are left out of Project.prm. Shorten the "
     "PRM block."},
    {tooManyInitLines, "too-many-init-lines", E, "more than 100 lines in INIT's section 6",
     "The wizard keeps 100 lines of INIT's section 6; the rest are left out of main. Shorten INIT's "
     "section 6."},
    {tooManySectionLines, "too-many-section-lines", E, "more than 1000 lines in one section",
     "The wizard keeps 1000 lines of one section over all the modules of a build; the rest are left "
     "out of main.c. Move code out of that section."},
    {missingTemplate, "missing-template", E, "template missing from KeyFiles",
     "A template the build copies (burner.bbl, Start08.c or StartRS08.c, C_Layout.hwl, Default.mem, "
     "the MCU's .mcp) is not in KeyFiles, so the build stops with its numbered error. Put the "
     "template into KeyFiles."},
    {moduleNameCutShort, "module-name-cut-short", W, "module name cut short",
     "A module name stops at the first character that is not A-Z, \"_\" or \"/\" (a digit, a lower-case "
     "letter), so the wizard calls the module by the shorter name. Write module names in capitals."},
    {usesInsideWord, "uses-inside-word", W, "\"uses\" inside a longer word",
     "The word \"uses\" stands inside a longer word on a module line, so the wizard takes the rest of "
     "the line as a uses text and forces on every module named in it. Keep \"uses\" out of other words "
     "on a module line."},
    {usesNamesNoModule, "uses-names-no-module", W, "uses text names no module",
     "The uses text names no module of the file, so ticking the box ticks nothing else. Name the "
     "modules it needs exactly as their module lines do."},
    {usesMatchesInsideWord, "uses-matches-inside-word", W, "uses text forces a module through a longer name",
     "The uses rule looks for a module name anywhere in the uses text, so a module whose name is only "
     "part of a longer word there is forced on as well. Write whole module names, and rename modules "
     "whose name is part of another's."},
    {dependencyMissed, "dependency-missed", W, "module order defeats the uses rule",
     "The uses rule makes one pass down the boxes, and a box it ticks passes the tick on only to "
     "boxes below it, so a used module standing below a module it uses never gets that one's code "
     "into the build. Move the used module above the modules it uses."},
    {usesItself, "uses-itself", W, "module names itself in its uses text",
     "A module that names itself in its uses text disables its own box once ticked, so it cannot be "
     "unticked until the MCU is chosen again. Take the name out of its own uses text."},
    {duplicateModule, "duplicate-module", W, "two modules with one name",
     "Two modules with one name give two boxes that read the same, and a uses text naming it forces "
     "both on. Give each module its own name."},
    {duplicateInit, "duplicate-init", W, "two INIT modules",
     "Every module named INIT is always marked, and the section-6 lines of all of them make up main "
     "when nothing is ticked. Merge them into one INIT module."},
    {noInit, "no-init", W, "no INIT module",
     "Without a module named INIT, a project with no module ticked gets an empty main and no start-up "
     "code. Add a MODULE:INIT block."},
    {noDescription, "no-description", W, "module without a description",
     "A module without a \"9.\" description line shows no red description when its box is ticked. Add "
     "\"9. \" and a description under the module line."},
    {descriptionWithoutSeparator, "description-without-separator", W, "no blank after \"9.\"",
     "The wizard drops the first character after \"9.\" as the blank it expects there, so \"9.Text\" "
     "shows \"ext\". Write \"9. \" before the text."},
    {codeBeforeFirstModule, "code-before-first-module", W, "code before the first module line",
     "Code under a section header before the first module line is filed as code of module box 0 and "
     "built whenever that box is marked. Move it into a module block."},
    {secondPrmBlock, "second-prm-block", W, "more than one PRM block",
     "At a second PRMSTART the wizard discards the PRM lines read so far and keeps only the last "
     "block. Keep one PRM block."},
    {menuNameChanges, "menu-name-changes", W, "two different menu names",
     "The wizard lists the MCU under its first MenuName= value but loads it with the last and copies "
     "that one's .mcp. Keep one MenuName= line."},
    {sameMenuName, "same-menu-name", W, "two MCUs with one menu name",
     "Two MCUs with one menu name show two buttons with the same label, and both builds copy the same "
     ".mcp. Give each MCU its own menu name."},
    {longMenuName, "long-menu-name", W, "menu name cut to 89 characters",
     "The wizard cuts a menu name to its first 89 characters for the button and the .mcp name. "
     "Shorten it to 89 characters."},
    {revisionNotNumber, "revision-not-number", W, "Revision= value is not a number",
     "The wizard reads a Revision= value that is not a whole number as the number its leading digits "
     "make (0 for none). Write a whole number."},
    {headerInsideBlock, "header-inside-block", W, "header key inside a block",
     "A header key inside the PRM block or a module section still sets its value, and its line is "
     "also written into Project.prm or main.c. Move the line above the first block."},
    {lookAlikeFileName, "look-alike-file-name", W, "file name almost matches MCU_*.txt",
     "A file whose name almost matches MCU_*.txt (case, \"-\" for \"_\", a blank at its end, \".txt\" "
     "twice, not a regular file) is not listed as meant. Rename it to the exact pattern."},
    {noRevision, "no-revision", E, "no Revision= line",
     "Without a Revision= line the MCU frame shows the revision of the MCU loaded before (0 for the "
     "first). Add a line Revision=1."},
    {droppedCodeLines, "dropped-code-lines", W, "lines inside a module that no section takes",
     "Lines inside a module that follow its module line or description with no section header in "
     "between go into no section, and the wizard drops them. Put a section header (\"1.\" to \"8.\") "
     "above them."},
    {lookAlikeSectionHeader, "look-alike-section-header", E, "line looks like a section header but is none",
     "A line such as \"10.\", \"0.\", \" 6.\", \"6 .\" or \"6)\" looks like a section header but is none, so "
     "the wizard takes it as code or ignores it. Write \"1.\" to \"8.\" at the very start of the line."},
    {lookAlikeKeyword, "look-alike-keyword", E, "line looks like a block keyword but is none",
     "A line such as \"END MODULE\", \"EndModule\", \"PRM START\" or \"Prmend\" looks like a block keyword "
     "but is not spelt exactly so at the start of the line, so the wizard takes it as code or ignores "
     "it. Write the keyword exactly."},
    {lookAlikeHeaderKey, "look-alike-header-key", E, "line looks like a header key but is none",
     "A line such as \"menuname=\", \"Revision = 3\" or \"MenuName =X\" looks like a header key, but a key "
     "must begin the line spelt exactly so with \"=\" right after it, so the wizard ignores the line. "
     "Write the key exactly."},
    {keywordWithExtraText, "keyword-with-extra-text", W, "text after a block keyword",
     "The wizard takes a line that begins with ENDMODULE, PRMSTART or PRMEND as that keyword and "
     "ignores the text after it. Leave the keyword alone on its line."},
    {byteOrderMark, "byte-order-mark", W, "file starts with a byte-order mark",
     "A UTF-8 byte-order mark is three bytes the wizard reads as part of line 1; before a comment "
     "line it does no harm yet. Save the file without a byte-order mark."},
    {byteOrderMarkHidesLine, "byte-order-mark-hides-line", E, "byte-order mark hides the first line's key",
     "A UTF-8 byte-order mark before the first line's key hides the key, so the wizard ignores that "
     "line. Save the file without a byte-order mark."},
    {initWithoutMcuInit, "init-without-mcu-init", W, "INIT defines no MCU_Init",
     "With two or more modules ticked, main begins with MCU_Init();, so an INIT module that does not "
     "define it makes such projects fail to link. Define void MCU_Init(void) in section 7 of INIT."},
    {menuNameWithSeparator, "menu-name-with-separator", E, "menu name holding a separator or NUL",
     "The menu name names the .mcp template, and a build never looks for a template by a name holding "
     "\"/\", \"\\\" or a NUL byte: it stops with \"Error 20: Could not copy MCP file.\". Write the menu name "
     "without them."},
};

// One row per kind, in the enum's order, so a kind is its own row index and
// a kind added without a row fails to compile.
constexpr bool everyKindHasItsRow() {
  for (std::size_t i = 0; i < std::size(kFindingKinds); ++i)
    if (static_cast<std::size_t>(kFindingKinds[i].kind) != i) return false;
  return std::size(kFindingKinds) == static_cast<std::size_t>(kLastFindingKind) + 1;
}
static_assert(everyKindHasItsRow());

}  // namespace

std::span<const FindingKindInfo> findingKinds() { return kFindingKinds; }

const FindingKindInfo& findingKindInfo(FindingKind kind) { return kFindingKinds[static_cast<std::size_t>(kind)]; }

Severity severityOf(FindingKind kind) { return findingKindInfo(kind).severity; }

}  // namespace forgeline
