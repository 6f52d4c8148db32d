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
    {noKeyFiles, "no-keyfiles", E, "no KeyFiles folder"},
    {noMcuFiles, "no-mcu-files", E, "no file matches MCU_*.txt"},
    {unreadableFile, "unreadable-file", E, "MCU file cannot be read"},
    {binaryContent, "binary-content", E, "control bytes in a text file"},
    {longLine, "long-line", E, "line longer than 98 characters"},
    {noFinalLineEnd, "no-final-line-end", E, "last line without a line end"},
    {noMenuName, "no-menu-name", E, "no usable MenuName= line"},
    {noIncludeName, "no-include-name", E, "no IncludeName= line"},
    {noCurrentDevice, "no-current-device", E, "no CURRENTDEVICE= line"},
    {noPrmBlock, "no-prm-block", E, "no PRM block"},
    {unclosedModule, "unclosed-module", E, "module without ENDMODULE"},
    {emptyModuleName, "empty-module-name", E, "module line without a name"},
    {tooManyMcuFiles, "too-many-mcu-files", E, "more than 50 MCU files"},
    {tooManyModules, "too-many-modules", E, "more than 50 modules"},
    {tooManyPrmLines, "too-many-prm-lines", E, "more than 100 PRM lines"},
    {tooManyInitLines, "too-many-init-lines", E, "more than 100 lines in INIT's section 6"},
    {tooManySectionLines, "too-many-section-lines", E, "more than 1000 lines in one section"},
    {missingTemplate, "missing-template", E, "template missing from KeyFiles"},
    {moduleNameCutShort, "module-name-cut-short", W, "module name cut short"},
    {usesInsideWord, "uses-inside-word", W, "\"uses\" inside a longer word"},
    {usesNamesNoModule, "uses-names-no-module", W, "uses text names no module"},
    {usesMatchesInsideWord, "uses-matches-inside-word", W, "uses text forces a module through a longer name"},
    {dependencyMissed, "dependency-missed", W, "module order defeats the uses rule"},
    {usesItself, "uses-itself", W, "module names itself in its uses text"},
    {duplicateModule, "duplicate-module", W, "two modules with one name"},
    {duplicateInit, "duplicate-init", W, "two INIT modules"},
    {noInit, "no-init", W, "no INIT module"},
    {noDescription, "no-description", W, "module without a description"},
    {descriptionWithoutSeparator, "description-without-separator", W, "no blank after \"9.\""},
    {codeBeforeFirstModule, "code-before-first-module", W, "code before the first module line"},
    {secondPrmBlock, "second-prm-block", W, "more than one PRM block"},
    {menuNameChanges, "menu-name-changes", W, "two different menu names"},
    {sameMenuName, "same-menu-name", W, "two MCUs with one menu name"},
    {longMenuName, "long-menu-name", W, "menu name cut to 89 characters"},
    {revisionNotNumber, "revision-not-number", W, "Revision= value is not a number"},
    {headerInsideBlock, "header-inside-block", W, "header key inside a block"},
    {lookAlikeFileName, "look-alike-file-name", W, "file name almost matches MCU_*.txt"},
    {noRevision, "no-revision", E, "no Revision= line"},
    {droppedCodeLines, "dropped-code-lines", W, "lines inside a module that no section takes"},
    {lookAlikeSectionHeader, "look-alike-section-header", E, "line looks like a section header but is none"},
    {lookAlikeKeyword, "look-alike-keyword", E, "line looks like a block keyword but is none"},
    {lookAlikeHeaderKey, "look-alike-header-key", E, "line looks like a header key but is none"},
    {keywordWithExtraText, "keyword-with-extra-text", W, "text after a block keyword"},
    {byteOrderMark, "byte-order-mark", W, "file starts with a byte-order mark"},
    {byteOrderMarkHidesLine, "byte-order-mark-hides-line", E, "byte-order mark hides the first line's key"},
    {initWithoutMcuInit, "init-without-mcu-init", W, "INIT defines no MCU_Init"},
    {menuNameWithSeparator, "menu-name-with-separator", E, "menu name holding a separator or NUL"},
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
