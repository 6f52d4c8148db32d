#include "check/KeyFileChecker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/DialogModel.h"
#include "core/Wizard.h"
#include "support/TestSupport.h"

using namespace forgeline;
using enum FindingKind;

namespace {

// Lines 1 to 8: the header keys and a PRM block of two lines.
const std::string kHead =
    "MenuName=T\nIncludeName=<t.h>\nCURRENTDEVICE=T\nRevision=1\nPRMSTART\nSEGMENTS\nEND\nPRMEND\n";
// Lines 9 to 13.
const std::string kInit = "MODULE:INIT\n9. Start-up\n7.\nvoid MCU_Init(void) { }\nENDMODULE\n";
const std::string kBase = kHead + kInit;

std::string module(const std::string& moduleLine, const std::string& body = "7.\nvoid f(void) { }\n") {
  return moduleLine + "\n9. Does something\n" + body + "ENDMODULE\n";
}

std::string lines(int count, const std::string& stem) { return test::repeat(stem + ";\n", count); }

// kBase and more modules MB, MC, ... up to `count` modules in all.
std::string modules(int count) {
  std::string file = kBase;
  for (int i = 1; i < count; ++i)
    file += module("MODULE:M" + std::string{static_cast<char>('A' + i % 26), static_cast<char>('A' + i / 26)});
  return file;
}

using Expected = std::tuple<std::string, int, Severity, FindingKind>;
using Findings = std::vector<Expected>;

Findings shape(const CheckReport& report) {
  Findings out;
  for (const Finding& f : report.findings) out.push_back({f.file, f.line, f.severity, f.kind});
  return out;
}

std::string listing(const CheckReport& report) {
  std::string out;
  for (const Finding& f : report.findings) out += formatFinding(f) + "\n";
  return out;
}

const std::string F = "KeyFiles/MCU_T.txt";

// The whole KeyFiles folder, or just the file named.
CheckReport checkOne(const std::string& bytes, const std::vector<std::string>& mcps, bool unreadable, bool named = false) {
  MemoryFileSystem disk;
  test::writeKeyFiles(disk, {{"MCU_T.txt", bytes}}, mcps);
  test::FaultyFileSystem fs(disk);
  if (unreadable) fs.failOn(test::FsOp::openForReading, "MCU_T.txt");
  return named ? checkKeyFiles(fs, {F}) : checkKeyFiles(fs);
}

constexpr auto E = Severity::error;
constexpr auto W = Severity::warning;

}  // namespace

TEST(KeyFileChecker, EachMistakeIsFoundAtItsLine) {
  const std::string clean = kBase + module("MODULE:ICS") + module("MODULE:ADC uses ICS");
  const std::string code(120 - 6, 'x');
  struct Case {
    std::string name;
    std::string file;
    Findings expected;
    std::vector<std::string> mcps = {"T"};
    std::string firstText = {};  // the first finding as printed, when given
    bool unreadable = false;
  } cases[] = {
      {"clean", clean, {}},
      {"line over 98 characters: where it splits and what the piece becomes",
       kBase + module("MODULE:ADC", "7.\n" + code.substr(0, 99) + "8. foo" + code.substr(99) + "\n"),
       {{F, 17, E, longLine}}, {"T"},
       "KeyFiles/MCU_T.txt:17: error: line is 120 characters long; the wizard reads it as two lines split after "
       "character 99, and the second piece \"8. fooxxxxxxxxxxxxxxx\" acts as a section header; break it into lines "
       "of at most 98 characters"},
      {"more than 50 modules: the first ignored and the rest are named", modules(52),
       {{F, 14 + 49 * 5, E, tooManyModules}}, {"T"},
       "KeyFiles/MCU_T.txt:259: error: module 51 is past the 50 module boxes: the wizard ignores this module and 1 "
       "more (MYB and MZB) with their descriptions and code; keep at most 50 modules in a file"},
      {"unreadable file", kBase, {{F, 0, E, unreadableFile}}, {"T"}, "", true},
      {"no line end on a stored last line", kBase + "MODULE:ADC\n9. x\n7.\nint a;",
       {{F, 14, E, unclosedModule}, {F, 17, E, noFinalLineEnd}}},
      {"no line end on a header key", clean + "Revision=12", {{F, 24, E, noFinalLineEnd}}},
      {"no line end on a PRM line", "MenuName=T\nIncludeName=<t.h>\nCURRENTDEVICE=T\nRevision=1\n" + kInit +
       "PRMSTART\nSEGMENTS\nEND", {{F, 12, E, noFinalLineEnd}}, {"T"},
       "KeyFiles/MCU_T.txt:12: error: the last line has no line end, so the wizard stores it without a line end and "
       "Project.prm runs the next line on after it; end the file with a line break"},
      {"no line end after ENDMODULE is harmless", clean.substr(0, clean.size() - 1), {}},
      {"MenuName ???", "MenuName=???\n" + clean.substr(11), {{F, 1, E, noMenuName}}},
      {"module without ENDMODULE at the end", kBase + "MODULE:ICS\n9. x\n", {{F, 14, E, unclosedModule}}},
      {"more than 100 PRM lines",
       "MenuName=T\nIncludeName=<t.h>\nCURRENTDEVICE=T\nRevision=1\nPRMSTART\n" + lines(101, "p") + "PRMEND\n" + kInit,
       {{F, 106, E, tooManyPrmLines}}},
      {"more than 100 INIT lines", kHead + "MODULE:INIT\n9. x\n6.\n" + lines(103, "i") + "ENDMODULE\n",
       {{F, 112, E, tooManyInitLines}}},
      {"more than 1000 lines in a section with every module marked",
       kBase + module("MODULE:A", "7.\n" + lines(600, "a")) + module("MODULE:B", "7.\n" + lines(600, "b")),
       {{F, 1020, E, tooManySectionLines}}},
      {"more than 1000 lines in one module's section 6", kBase + module("MODULE:A", "6.\n" + lines(1001, "a")),
       {{F, 1017, E, tooManySectionLines}}},
      {"NUL byte", kBase + module("MODULE:ADC", std::string("7.\nint a\0;\n", 11)), {{F, 17, E, binaryContent}}},
      {"name cut short", kBase + module("MODULE:TPM2"), {{F, 14, W, moduleNameCutShort}}},
      {"uses inside a word", kBase + module("MODULE:SCI causes trouble"), {{F, 14, W, usesInsideWord}}},
      {"uses text names no module", kBase + module("MODULE:ADC uses XYZ"), {{F, 14, W, usesNamesNoModule}}},
      {"module forced only through a longer word",
       kBase + module("MODULE:TPM") + module("MODULE:TPMX") + module("MODULE:ADC uses TPMX"),
       {{F, 24, W, usesMatchesInsideWord}}},
      {"dependency missed by the one-pass rule",
       kBase + module("MODULE:R") + module("MODULE:Q uses R") + module("MODULE:P uses Q"),
       {{F, 14, W, dependencyMissed}}},
      {"the same chain in box order is fine",
       kBase + module("MODULE:P uses Q") + module("MODULE:Q uses R") + module("MODULE:R"), {}},
      {"module uses itself among others", kBase + module("MODULE:ICS") + module("MODULE:ADC uses ICS ADC"),
       {{F, 19, W, usesItself}}},
      {"duplicate module names", kBase + module("MODULE:ADC") + module("MODULE:ADC"), {{F, 19, W, duplicateModule}}},
      {"two INIT modules", kBase + kInit, {{F, 14, W, duplicateInit}}},
      {"no description", kBase + "MODULE:ADC\n7.\nint a;\nENDMODULE\n", {{F, 14, W, noDescription}}},
      {"code before the first module line", kHead + "1.\n#include <x.h>\n" + kInit,
       {{F, 10, W, codeBeforeFirstModule}}},
      {"second PRM block", kHead + "PRMSTART\nX\nPRMEND\n" + kInit, {{F, 9, W, secondPrmBlock}}},
      {"two different menu names", clean + "MenuName=U\n", {{F, 24, W, menuNameChanges}}, {"T", "U"}},
      {"menu name over 89 characters", "MenuName=" + std::string(95, 'M') + "\n" + clean.substr(11),
       {{F, 1, E, longLine}, {F, 1, W, longMenuName}}, {std::string(89, 'M')}},
      {"revision not a number", "MenuName=T\nRevision=7a\n" + clean.substr(11), {{F, 2, W, revisionNotNumber}}},
      {"header key inside a block", kBase + module("MODULE:ADC", "7.\nRevision=3\n"), {{F, 17, W, headerInsideBlock}}},
      // What a new author gets wrong: each finding names the true cause.
      {"code right after the module line", kBase + "MODULE:ADC\nint a;\n9. x\n7.\nint b;\nENDMODULE\n",
       {{F, 15, W, droppedCodeLines}}, {"T"},
       "KeyFiles/MCU_T.txt:15: warning: in module ADC, this line follows its module line with no section header in "
       "between, so no section takes it and the wizard drops it from main.c; put the section header (\"1.\" to \"8.\") "
       "above it"},
      {"section 10", kBase + module("MODULE:ADC", "7.\nint a;\n10.\nint b;\n"), {{F, 18, E, lookAlikeSectionHeader}},
       {"T"},
       "KeyFiles/MCU_T.txt:18: error: \"10.\" looks like a section header, but there is no section 10, sections are 1 "
       "to 8, so the wizard reads it as a code line of section 7 of module ADC and copies it into main.c as it stands; "
       "write \"1.\" to \"8.\" at the very start of the line"},
      {"section 0", kBase + module("MODULE:ADC", "7.\nint a;\n0.\n"), {{F, 18, E, lookAlikeSectionHeader}}},
      {"blank before the digit", kBase + module("MODULE:ADC", "7.\nint a;\n 6.\n"), {{F, 18, E, lookAlikeSectionHeader}}},
      {"blank before the dot", kBase + module("MODULE:ADC", "7.\nint a;\n6 .\n"), {{F, 18, E, lookAlikeSectionHeader}}},
      {"bracket for the dot", kBase + "MODULE:ADC\n9. x\n6)\nint a;\nENDMODULE\n",
       {{F, 16, E, lookAlikeSectionHeader}, {F, 17, W, droppedCodeLines}}},
      {"EndModule", kBase + "MODULE:ADC\n9. x\nEndModule\n", {{F, 14, E, unclosedModule}, {F, 16, E, lookAlikeKeyword}}},
      {"ENDMODULE;", kBase + "MODULE:ADC\n9. x\nENDMODULE;\n", {{F, 16, W, keywordWithExtraText}}},
      {"PRM START", "MenuName=T\nIncludeName=<t.h>\nCURRENTDEVICE=T\nRevision=1\nPRM START\nEND\nPRMEND\n" + kInit,
       {{F, 0, E, noPrmBlock}, {F, 5, E, lookAlikeKeyword}}},
      {"Prmend", "MenuName=T\nIncludeName=<t.h>\nCURRENTDEVICE=T\nRevision=1\nPRMSTART\nEND\nPrmend\n" + kInit,
       {{F, 7, E, lookAlikeKeyword}}},
      {"menuname=", "menuname=T\n" + kBase.substr(11), {{F, 0, E, noMenuName}, {F, 1, E, lookAlikeHeaderKey}}, {"T"},
       "KeyFiles/MCU_T.txt: error: no \"MenuName=\" line: the button shows \"???\" and a build looks for the .mcp of "
       "the MCU loaded before; add a line \"MenuName=NAME\" at the top"},
      {"Revision = 1", "MenuName=T\nIncludeName=<t.h>\nCURRENTDEVICE=T\nRevision = 1\nPRMSTART\nPRMEND\n" + kInit,
       {{F, 0, E, noRevision}, {F, 4, E, lookAlikeHeaderKey}}},
      {"MenuName =X", "MenuName =T\n" + kBase.substr(11), {{F, 0, E, noMenuName}, {F, 1, E, lookAlikeHeaderKey}}},
      {"byte-order mark before MenuName=", "\xEF\xBB\xBF" + kBase,
       {{F, 0, E, noMenuName}, {F, 1, E, byteOrderMarkHidesLine}}},
      {"byte-order mark before a comment", "\xEF\xBB\xBF" "A comment\n" + kBase, {{F, 1, W, byteOrderMark}}},
      {"lower-case module name", kBase + module("MODULE:wdog"), {{F, 14, E, emptyModuleName}}, {"T"},
       "KeyFiles/MCU_T.txt:14: error: module line gives an empty module name: the box has no caption and every marked "
       "box forces this module on; \"w\" is a lower-case letter, which ends the name before it begins; write module "
       "names in capitals: \"MODULE:WDOG\""},
      {"blank after MODULE:", kBase + module("MODULE: WDOG"), {{F, 14, E, emptyModuleName}}, {"T"},
       "KeyFiles/MCU_T.txt:14: error: module line gives an empty module name: the box has no caption and every marked "
       "box forces this module on; a blank right after \"MODULE:\" ends the name before it begins; write "
       "\"MODULE:WDOG\""},
      {"INIT without MCU_Init and two modules to tick",
       kHead + "MODULE:INIT\n9. x\n6.\n  for (;;) { }\nENDMODULE\n" + module("MODULE:A") + module("MODULE:B"),
       {{F, 9, W, initWithoutMcuInit}}},
      {"INIT without MCU_Init and one module to tick",
       kHead + "MODULE:INIT\n9. x\n6.\n  for (;;) { }\nENDMODULE\n" + module("MODULE:A"), {}},
  };
  for (const Case& c : cases) {
    CheckReport report = checkOne(c.file, c.mcps, c.unreadable);
    EXPECT_EQ(shape(report), c.expected) << c.name << "\n" << listing(report);
    // Named alone, the file's findings come in the same order: by line, and
    // at one line by rule, wherever the rules' own order disagrees.
    const CheckReport named = checkOne(c.file, c.mcps, c.unreadable, true);
    EXPECT_EQ(shape(named), c.expected) << c.name << " named\n" << listing(named);
    EXPECT_EQ(report.filesChecked, 1) << c.name;
    if (!c.firstText.empty() && !report.findings.empty()) {
      EXPECT_EQ(formatFinding(report.findings[0]), c.firstText) << c.name;
    }
  }
}

// On the real disk: which names it lists, and how, is the disk's own rule.
// Windows lists names in any case, so there mcu_c.txt and MCU_D.TXT are MCU
// files; elsewhere they are near misses, as a folder named like one is on both.
TEST(KeyFileChecker, CatalogueFindings) {
  test::TempDir dir;
  const std::string body = "IncludeName=<t.h>\nCURRENTDEVICE=T\nRevision=1\nPRMSTART\nPRMEND\n" + kInit;
  const bool windows = kFileNamesIgnoreCase;
  test::writeKeyFiles(dir.path(),
                      {{"MCU_R.txt", "MenuName=RS1\n" + body}, {"mcu_c.txt", "MenuName=C\n" + body},
                       {"MCU_D.TXT", "MenuName=D\n" + body}},
                      {}, false);
  for (const char* name : {"Start08.c", "RS1.mcp"}) test::writeFile(dir / "KeyFiles/" + name, "x");
  test::makeDirectory(dir / "KeyFiles/MCU_dir.txt");
  RealFileSystem fs(dir.path());
  CheckReport report = checkKeyFiles(fs);
  const std::string K = "KeyFiles/";
  Findings expected{{K + "C_Layout.hwl", 0, E, missingTemplate},
                    {K + "Default.mem", 0, E, missingTemplate},
                    {K + "MCU_D.TXT", windows ? 1 : 0, windows ? E : W, windows ? missingTemplate : lookAlikeFileName},
                    {K + "MCU_dir.txt", 0, W, lookAlikeFileName},
                    {K + "StartRS08.c", 0, E, missingTemplate},
                    {K + "burner.bbl", 0, E, missingTemplate},
                    {K + "mcu_c.txt", windows ? 1 : 0, windows ? E : W, windows ? missingTemplate : lookAlikeFileName}};
  EXPECT_EQ(shape(report), expected) << listing(report);
  EXPECT_EQ(formatSummary(report), windows ? "6 errors, 1 warning in 3 files" : "4 errors, 3 warnings in 1 file");
  EXPECT_EQ(formatFinding(report.findings[4]),
            "KeyFiles/StartRS08.c: error: missing from KeyFiles: a build of an RS08 MCU (RS1) stops with \"Error "
            "16a: Could not copy 'StartRS08.c'.\"; put the template into KeyFiles");
}

TEST(KeyFileChecker, FilesPastTheFiftiethAreNeverListed) {
  std::map<std::string, std::string> files;
  std::vector<std::string> menus;
  for (int i = 100; i < 152; ++i) {
    menus.push_back("N" + std::to_string(i));
    files["MCU_" + menus.back() + ".txt"] = "MenuName=" + menus.back() + "\n" + kBase.substr(11);
  }
  MemoryFileSystem fs;
  test::writeKeyFiles(fs, files, menus);
  CheckReport report = checkKeyFiles(fs);
  EXPECT_EQ(shape(report),
            (Findings{{"KeyFiles/MCU_N150.txt", 0, E, tooManyMcuFiles},
                      {"KeyFiles/MCU_N151.txt", 0, E, tooManyMcuFiles}}))
      << listing(report);
  EXPECT_EQ(report.filesChecked, 52);
}

// A menu name that holds a path never finds a template, whatever lies where
// the path would lead: the build stops at Error 20, and the check says so
// instead of looking for the template there.
TEST(KeyFileChecker, AMenuNameHoldingAPathIsAnError) {
  const Findings separator = {{F, 1, E, menuNameWithSeparator}};
  const Findings nulAndSeparator = {{F, 1, E, binaryContent}, {F, 1, E, menuNameWithSeparator}};
  struct Row {
    std::string menuLine;
    std::string shown;  // how the finding quotes the menu name
    Findings expected;
  } rows[] = {
      {.menuLine = "MenuName=../x", .shown = "../x", .expected = separator},
      {.menuLine = std::string("MenuName=../../x\0", 17), .shown = "../../x\\x00", .expected = nulAndSeparator},
      {.menuLine = "MenuName=a\\b", .shown = "a\\b", .expected = separator},
      {.menuLine = std::string("MenuName=DEMO08\0", 16), .shown = "DEMO08\\x00", .expected = nulAndSeparator},
      {.menuLine = "MenuName=sub/DEMO08", .shown = "sub/DEMO08", .expected = separator},
  };
  for (const Row& row : rows) {
    MemoryFileSystem fs;
    test::writeKeyFiles(fs, {{"MCU_T.txt", row.menuLine + "\n" + kBase.substr(11)}}, {"DEMO08"});
    // Where each name would lead, a template stands ready.
    fs.addFile("x.mcp", "outside");
    fs.addFile("KeyFiles/sub/DEMO08.mcp", "inside a folder");
    const CheckReport report = checkKeyFiles(fs);
    EXPECT_EQ(shape(report), row.expected) << row.shown << "\n" << listing(report);
    if (report.findings.size() != row.expected.size()) continue;
    EXPECT_EQ(formatFinding(report.findings.back()),
              "KeyFiles/MCU_T.txt:1: error: the menu name \"" + row.shown +
                  "\" holds a \"/\", a \"\\\" or a NUL byte, and a build never looks for a template by such a name: a "
                  "build of this MCU stops with \"Error 20: Could not copy MCP file.\"; write the menu name without "
                  "them");
  }
}

// However many times a file repeats a mistake, it lists the first hundred of
// a kind and one line that counts the rest; the summary counts them all.
TEST(KeyFileChecker, ARepeatedMistakeIsListedAHundredTimesAndCounted) {
  const std::string badRevisions = test::repeat("Revision=x\n", 250);
  struct Row {
    std::string name, file;
    std::string countText;  // the finding that counts the rest; empty when there is none
    std::string summary;
  } rows[] = {
      {"100 are all listed", kBase + badRevisions.substr(0, 1100), "", "0 errors, 100 warnings in 1 file"},
      {"250: 100 and a count", kBase + badRevisions,
       "KeyFiles/MCU_T.txt:114: warning: 150 more findings of the kind \"Revision= value is not a number\" from this "
       "line to line 263 are not listed one by one; fix the first 100 and check again",
       "0 errors, 250 warnings in 1 file"},
      {"101: 100 and one more", kBase + badRevisions.substr(0, 1111),
       "KeyFiles/MCU_T.txt:114: warning: 1 more finding of the kind \"Revision= value is not a number\" is not listed "
       "one by one; fix the first 100 and check again",
       "0 errors, 101 warnings in 1 file"},
  };
  for (const Row& row : rows) {
    const CheckReport report = checkOne(row.file, {"T"}, false);
    ASSERT_EQ(report.findings.size(), row.countText.empty() ? 100u : 101u) << row.name;
    for (std::size_t i = 0; i < 100; ++i) {
      EXPECT_EQ(report.findings[i].line, 14 + static_cast<int>(i)) << row.name;
      EXPECT_EQ(report.findings[i].covers, 1) << row.name;
    }
    if (!row.countText.empty()) {
      EXPECT_EQ(formatFinding(report.findings.back()), row.countText) << row.name;
    }
    EXPECT_EQ(formatSummary(report), row.summary) << row.name;
  }
}

// Each count the checker keeps stops exactly at its edge: quiet at the
// limit, found one past it, and the text names what lies at the edge.
TEST(KeyFileChecker, EachCountIsExactAtItsEdge) {
  auto ticked = [](int sectionLines) { return kBase + module("MODULE:ADC", "6.\n" + lines(sectionLines, "a") + "7.\nint f;\n"); };
  struct Case {
    std::string name, file;
    FindingKind kind;
    bool found;
    std::string text = {};  // found in that finding's text, when given
  } cases[] = {
      {"five names past the boxes are all named", modules(55), tooManyModules, true, "and 4 more (MYB, MZB, MAC, MBC and MCC)"},
      {"six names past the boxes end in \"more\"", modules(56), tooManyModules, true, "and 5 more (MYB, MZB, MAC, MBC, MCC and more)"},
      {"a ticked section 6 of exactly 1000 lines", ticked(1000), tooManySectionLines, false},
      {"a ticked section 6 of 1001 lines", ticked(1001), tooManySectionLines, true, "this line is left out"},
      {"\"6:\" is a near-miss section header", kBase + module("MODULE:ADC", "6:\nint a;\n7.\nint f;\n"), lookAlikeSectionHeader, true},
      {"a menu name one piece long", "MenuName=" + std::string(89, 'M') + "\n" + kBase.substr(11), longMenuName, false},
      {"a menu name two pieces long", "MenuName=" + std::string(90, 'M') + "\n" + kBase.substr(11), longMenuName, true, "menu name is 90 characters long"},
      {"DEL is binary", kBase + module("MODULE:ADC", "7.\nint a;\x7F\n"), binaryContent, true},
      {"a line of nine pieces", kBase + std::string(890, 'x') + "\n", longLine, true, "reads it as nine lines split"},
      {"the tenth piece of a line is listed", kBase + std::string(989, 'x') + "\n", longLine, true, "the tenth piece"},
      {"the eleventh is counted, not listed", kBase + std::string(990, 'x') + "\n", longLine, true,
       "tenth piece \"" + std::string(40, 'x') + "...\" is ignored and one more piece after them"},
      {"a line of 1011 pieces", kBase + std::string(100000, 'x') + "\n", longLine, true,
       "tenth piece \"" + std::string(40, 'x') + "...\" is ignored and 1001 more pieces after them"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CheckReport report = checkOne(c.file, {"T"}, false);
    auto hit = std::find_if(report.findings.begin(), report.findings.end(), [&](const Finding& f) { return f.kind == c.kind; });
    ASSERT_EQ(hit != report.findings.end(), c.found) << listing(report);
    if (c.found) {
      EXPECT_NE(hit->text.find(c.text), std::string::npos) << hit->text;
    }
  }
}

// Agreement with the loader: random files, and for each one every capacity
// finding and every split line the checker reports is checked against what a
// build-mode load with every box marked really drops, and against the raw
// bytes.

namespace {

struct Random {
  std::mt19937 engine;  // its output sequence is fixed by the standard
  int below(int n) { return static_cast<int>(engine() % static_cast<unsigned>(n)); }
  bool chance(int percent) { return below(100) < percent; }
};

std::string randomCode(Random& random) {
  static const char* const kStarts[] = {"int a;", "8. x", "MODULE:ZZ", "ENDMODULE", "PRMEND", "9. d", "Revision=4", ""};
  if (random.chance(8)) {  // over-long, with a piece that may start with a key
    std::string line(99 + random.below(120), 'c');
    std::string start = kStarts[random.below(8)];
    line.replace(99, std::min(start.size(), line.size() - 99), start.substr(0, line.size() - 99));
    return line;
  }
  return std::string(static_cast<std::size_t>(random.below(40)), 'k') + ";";
}

const char* const kLookAlikes[] = {"10.", " 6.", "6)", "END MODULE", "Prmend"};

std::string randomFile(Random& random) {
  static const char* const kNames[] = {"INIT", "ICS", "ADC", "TPM", "TPMX", "SCI", "", "A"};
  std::string out = "MenuName=R\nIncludeName=<r.h>\nCURRENTDEVICE=R\n";
  const int blocks = random.below(8) == 0 ? 40 + random.below(20) : 1 + random.below(8);
  for (int b = 0; b < blocks; ++b) {
    if (random.chance(10)) {
      out += "PRMSTART\n";
      const int n = random.chance(30) ? 95 + random.below(15) : random.below(5);
      for (int i = 0; i < n; ++i) out += random.chance(3) ? randomCode(random) + "\n" : "P" + std::to_string(i) + "\n";
      out += "PRMEND\n";
    }
    out += std::string("MODULE:") + kNames[random.below(8)] + (random.chance(40) ? " uses ADC TPMX" : "") + "\n";
    if (random.chance(15)) out += randomCode(random) + "\n";  // before any section: dropped
    if (random.chance(80)) out += "9. about\n";
    if (random.chance(15)) out += kLookAlikes[random.below(5)] + std::string("\n") + randomCode(random) + "\n";
    const int sections = random.below(4);
    for (int s = 0; s < sections; ++s) {
      const int section = 1 + random.below(8);
      out += std::to_string(section) + ".\n";
      const int n = random.chance(4) ? 300 + random.below(500) : random.below(6);
      for (int i = 0; i < n; ++i) out += randomCode(random) + (random.chance(5) ? "\r\n" : "\n");
    }
    if (random.chance(92)) out += "ENDMODULE\n";
  }
  if (random.chance(20)) out.pop_back();
  return out;
}

struct LoaderTruth : LoadObserver {
  std::map<int, int> piecesOfLine;
  std::map<std::pair<DroppedKind, int>, int> firstDrop;  // (kind, section) -> line
  std::set<int> droppedCode;  // lines inside a module that no section or PRM block took
  bool inModule = false;
  int candidate = 0;  // the last plain line, until an event says where it went
  void onPiece(int line, bool continuation, std::string_view piece, const ClassifiedLine& c) override {
    ++piecesOfLine[line];
    if (candidate != 0) droppedCode.insert(candidate);
    candidate = 0;
    inModule = c.kind == LineKind::moduleLine || (inModule && c.kind != LineKind::endLine);
    const bool blank = piece.find_first_not_of(" \t\r\n") == std::string_view::npos;
    if (inModule && !continuation && !blank && c.kind == LineKind::content && c.header == HeaderKey::none)
      candidate = line;
  }
  void onCodeLine(int, int, int) override { candidate = 0; }
  void onPrmLine(int) override { candidate = 0; }
  void finish() {
    if (candidate != 0) droppedCode.insert(candidate);
  }
  void onDropped(DroppedKind kind, int line, int index) override {
    firstDrop.emplace(std::make_pair(kind, kind == DroppedKind::sectionLine ? index : 0), line);
  }
};

LoaderTruth loadEverythingMarked(const std::string& bytes) {
  auto state = std::make_unique<WizardState>();
  state->mcuFileTitles[0] = "MCU_R";
  DialogModel dialog;
  loadMcuDescription(*state, dialog, bytes, 0, LoadMode::previewMode);
  for (int i = 0; i < kMaxModules; ++i) dialog.setMarked(moduleBox(i), true);
  LoaderTruth truth;
  loadMcuDescription(*state, dialog, bytes, 0, LoadMode::buildMode, &truth);
  truth.finish();
  return truth;
}

// Physical line number -> length before its line end, from the raw bytes.
std::map<int, std::size_t> rawLineLengths(const std::string& bytes) {
  std::map<int, std::size_t> lengths;
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
  std::istringstream in(text);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) lengths[n] = line.size();
  return lengths;
}

const std::map<FindingKind, DroppedKind> kDroppedKindOf = {{tooManyModules, DroppedKind::module},
                                                          {tooManyPrmLines, DroppedKind::prmLine},
                                                          {tooManyInitLines, DroppedKind::initLine},
                                                          {tooManySectionLines, DroppedKind::sectionLine}};

int sectionNamed(const std::string& text) {
  std::size_t at = text.find("section ");
  return at == std::string::npos ? 0 : text[at + 8] - '0';
}

}  // namespace

TEST(KeyFileChecker, AgreesWithTheLoaderOnRandomFiles) {
  Random random{std::mt19937(20240611)};
  int capacityFindings = 0, splitFindings = 0, droppedLines = 0;
  for (int round = 0; round < 300; ++round) {
    const std::string bytes = randomFile(random);
    MemoryFileSystem fs;
    test::writeKeyFiles(fs, {{"MCU_R.txt", bytes}}, {"R"});
    const CheckReport report = checkKeyFiles(fs);
    const LoaderTruth truth = loadEverythingMarked(bytes);
    const std::map<int, std::size_t> lengths = rawLineLengths(bytes);
    const std::string context = "round " + std::to_string(round) + "\n" + listing(report);

    std::map<std::pair<DroppedKind, int>, int> reportedDrops;
    std::set<int> reportedSplits;
    std::size_t droppedReported = 0;  // every dropped line is one, as a group or a look-alike line
    // A file with more than a hundred of a kind lists the first hundred: then
    // what is listed must still be true, but need not be all.
    bool capped = false;
    for (const Finding& f : report.findings) {
      if (f.covers > 1) {
        capped = true;
        continue;
      }
      if (f.kind == droppedCodeLines || f.kind == lookAlikeSectionHeader || f.kind == lookAlikeKeyword) {
        const std::size_t more = f.text.find(" more ");
        const std::size_t count = more == std::string::npos ? 1 : std::stoul(f.text.substr(f.text.rfind(' ', more - 1) + 1)) + 1;
        if (f.kind == droppedCodeLines || truth.droppedCode.contains(f.line)) droppedReported += count;
        if (f.kind == droppedCodeLines) { EXPECT_TRUE(truth.droppedCode.contains(f.line)) << context << f.line; }
      }
      if (f.kind == tooManySectionLines && f.text.starts_with("when ")) continue;  // one module ticked
      if (auto kind = kDroppedKindOf.find(f.kind); kind != kDroppedKindOf.end()) {
        reportedDrops[{kind->second, kind->second == DroppedKind::sectionLine ? sectionNamed(f.text) : 0}] = f.line;
        ++capacityFindings;
      }
      if (f.kind == longLine) {
        reportedSplits.insert(f.line);
        ++splitFindings;
        EXPECT_TRUE(f.text.starts_with("line is " + std::to_string(lengths.at(f.line)) + " characters long"))
            << context;
      }
      if (f.kind == noFinalLineEnd) { EXPECT_FALSE(bytes.ends_with('\n')) << context; }
    }
    EXPECT_EQ(reportedDrops, truth.firstDrop) << context;
    std::set<int> splitLines;
    for (auto [line, pieces] : truth.piecesOfLine)
      if (pieces > 1) splitLines.insert(line);
    if (capped) {
      EXPECT_LE(droppedReported, truth.droppedCode.size()) << context;
      EXPECT_TRUE(std::includes(splitLines.begin(), splitLines.end(), reportedSplits.begin(), reportedSplits.end()))
          << context;
    } else {
      EXPECT_EQ(droppedReported, truth.droppedCode.size()) << context << bytes;
      EXPECT_EQ(reportedSplits, splitLines) << context;
    }
    droppedLines += static_cast<int>(truth.droppedCode.size());
    for (auto [line, length] : lengths) {
      EXPECT_EQ(length > 98, splitLines.contains(line)) << context << line;
    }
  }
  EXPECT_GT(capacityFindings, 20);
  EXPECT_GT(splitFindings, 100);
  EXPECT_GT(droppedLines, 50);
}
