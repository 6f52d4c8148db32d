// The report as it reaches its reader: each file's findings passed on while
// the check goes on, in the order a sort of the whole report gives, and a
// named file that cannot be read.
#include "check/KeyFileChecker.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/MemoryFileSystem.h"
#include "support/TestSupport.h"

using namespace forgeline;
using enum FindingKind;

namespace {

constexpr auto E = Severity::error;
constexpr auto W = Severity::warning;

// A whole key file after its MenuName= line, with nothing to report.
const std::string kBody =
    "IncludeName=<t.h>\nCURRENTDEVICE=T\nRevision=1\nPRMSTART\nSEGMENTS\nEND\nPRMEND\n"
    "MODULE:INIT\n9. Start-up\n7.\nvoid MCU_Init(void) { }\nENDMODULE\n";

using Shape = std::tuple<std::string, int, Severity, FindingKind>;

// Notes, for each path, when it was last opened: the number of opens so far.
class ReadLog : public FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  std::unique_ptr<InputFile> openForReading(const std::string& path) override {
    lastOpened[path] = ++opens;
    return target().openForReading(path);
  }
  int opens = 0;
  std::map<std::string, int> lastOpened;
};

// Each finding with the number of opens made before it arrived.
struct Arrivals : FindingSink {
  explicit Arrivals(const ReadLog& l) : log(l) {}
  void add(const Finding& finding) override { seen.push_back({finding, log.opens}); }
  const ReadLog& log;
  std::vector<std::pair<Finding, int>> seen;
};

}  // namespace

// The findings of one MCU file reach the reader before the next file is
// read for its check, and in the order the whole report sorted by file and
// line always had: at one place, findings across files first. A missing
// template's finding sorts before the MCU files (C_Layout.hwl) or after
// them (burner.bbl, Start08.c).
TEST(CheckReport, StreamsEachFileInTheOrderOfTheWholeReport) {
  const std::string K = "KeyFiles/";
  const std::vector<Shape> ofC = {
      {K + "MCU_C.txt.txt", 0, W, lookAlikeFileName}, {K + "MCU_C.txt.txt", 0, E, noMenuName},
      {K + "MCU_C.txt.txt", 0, E, noIncludeName},     {K + "MCU_C.txt.txt", 0, E, noCurrentDevice},
      {K + "MCU_C.txt.txt", 0, E, noRevision},        {K + "MCU_C.txt.txt", 0, E, noPrmBlock},
      {K + "MCU_C.txt.txt", 0, W, noInit}};
  const std::vector<Shape> ofAB = {{K + "MCU_A.txt", 1, E, missingTemplate},
                                   {K + "MCU_B.txt", 1, W, sameMenuName},
                                   {K + "MCU_B.txt", 1, E, missingTemplate}};
  const auto concat = [](std::initializer_list<std::vector<Shape>> parts) {
    std::vector<Shape> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  const Shape z{K + "MCU-Z.txt", 0, W, lookAlikeFileName};
  struct Case {
    std::vector<std::string> missing;
    std::vector<Shape> expected;
  } cases[] = {
      {{"C_Layout.hwl", "Start08.c"},
       concat({{{K + "C_Layout.hwl", 0, E, missingTemplate}, z}, ofAB, ofC, {{K + "Start08.c", 0, E, missingTemplate}}})},
      {{"burner.bbl", "Start08.c"},
       concat({{z}, ofAB, ofC,
               {{K + "Start08.c", 0, E, missingTemplate}, {K + "burner.bbl", 0, E, missingTemplate}}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing.front());
    MemoryFileSystem disk;
    test::writeKeyFiles(disk, {{"MCU_A.txt", "MenuName=SAME\n" + kBody}, {"MCU_B.txt", "MenuName=SAME\n" + kBody},
                               {"MCU_C.txt.txt", "x\n"}, {"MCU-Z.txt", "x\n"}}, {}, false);
    for (const auto& [name, bytes] : test::keyFileTemplates({}))
      if (std::find(c.missing.begin(), c.missing.end(), name) == c.missing.end()) disk.addFile("KeyFiles/" + name, bytes);
    ReadLog log(disk);
    Arrivals arrivals(log);
    EXPECT_EQ(checkKeyFiles(log, arrivals), 3);

    std::vector<Shape> shapes;
    std::string listing;
    for (const auto& [f, opens] : arrivals.seen) {
      shapes.push_back({f.file, f.line, f.severity, f.kind});
      listing += formatFinding(f) + "\n";
      const std::string next = f.file == K + "MCU_A.txt" ? "MCU_B.txt" : f.file == K + "MCU_B.txt" ? "MCU_C.txt.txt" : "";
      if (!next.empty()) {
        EXPECT_LT(opens, log.lastOpened.at(next)) << formatFinding(f);
      }
    }
    EXPECT_EQ(shapes, c.expected) << listing;

    std::ostringstream out;
    EXPECT_EQ(runCheck(disk, {}, out), 1);
    EXPECT_EQ(out.str(), listing + "9 errors, 4 warnings in 3 files\n");
  }
}

// A log from any bytes parses with a strict JSON reader, every string in it
// is well-formed UTF-8, a text that was UTF-8 is kept as it was, and every
// result points at its rule, its level and a line (a finding about the whole
// file at its first).
TEST(CheckReport, SarifIsUtf8AndEveryResultHasALineWhateverTheBytes) {
  // The checker's own tests of its decoder first: it must refuse what it is here to catch.
  for (const char* bad : {"\xF8\x80\x80", "\x80", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xF5\x80\x80\x80", "\xFF", "\xE2\x82", "\xF0\x9F\x98"})
    EXPECT_FALSE(strictUtf8(bad)) << test::printable(bad);
  for (const char* good : {"", "a", "\xC3\xA9", "\xE2\x82\xAC", "\xED\x9F\xBF", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF"})
    EXPECT_TRUE(strictUtf8(good)) << test::printable(good);

  std::vector<std::string> inputs = {"\xF8\x80\x80",     "\x80\xBF",         "\xC0\xAF\xC1\xBF", "\xE0\x80\xAF",
                                     "\xED\xA0\x80",     "\xED\xBF\xBF",     "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF",
                                     "\xF4\x90\x80\x80", "\xF5\xF8\xFC\xFE\xFF", "\xE9t\xE9",    "\xC3\xA9\x01\x7F"};
  const char* source = std::getenv("FORGELINE_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  for (const auto& entry : std::filesystem::directory_iterator(std::string(source) + "/tests/fuzz/corpus/checker"))
    inputs.push_back(test::readFile(entry.path().string()));
  std::mt19937 random(26);
  for (int i = 0; i < 150; ++i) {
    std::string bytes(random() % 40, '\0');
    // Mostly high bytes, where the sequences live.
    for (char& b : bytes) b = static_cast<char>(random() % 4 == 0 ? random() % 0x80 : 0x80 + random() % 0x80);
    inputs.push_back(bytes);
  }

  int results = 0;
  for (const std::string& bytes : inputs) {
    std::string name = bytes.substr(0, 12);
    for (char& c : name) c = (c == '/' || c == '\0') ? '_' : c;
    MemoryFileSystem fs;
    fs.addDirectory("/KeyFiles");
    // The bytes as a whole file, and where the findings quote them: a menu
    // name, a module name, a look-alike line, a file name another names.
    fs.addFile("/KeyFiles/MCU_" + name + ".txt", bytes);
    fs.addFile("/KeyFiles/MCU_\xFF\xFF.txt", "MenuName=" + bytes + "\n" + kBody + "MODULE:" + bytes + " uses " + bytes +
                                                 "\n6." + bytes + "\n" + bytes + "\nENDMODULE\n");
    fs.addFile("/KeyFiles/MCU_" + name + "2.txt", "MenuName=" + bytes + "\n" + kBody);
    const CheckReport report = checkKeyFiles(fs);
    std::ostringstream out;
    writeSarif(report, out);
    const std::string log = out.str();
    SCOPED_TRACE(test::printable(bytes));
    EXPECT_TRUE(strictUtf8(log));
    nlohmann::json json;
    ASSERT_NO_THROW(json = nlohmann::json::parse(log));
    expectStringsStrictUtf8(json);
    const nlohmann::json& list = json.at("runs").at(0).at("results");
    const nlohmann::json& rules = json.at("runs").at(0).at("tool").at("driver").at("rules");
    ASSERT_EQ(list.size(), report.findings.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
      const Finding& f = report.findings[i];
      const nlohmann::json& place = list[i].at("locations").at(0).at("physicalLocation");
      EXPECT_EQ(place.at("region").at("startLine"), std::max(f.line, 1));
      EXPECT_FALSE(place.at("artifactLocation").at("uri").get<std::string>().empty());
      EXPECT_EQ(rules.at(list[i].at("ruleIndex").get<std::size_t>()).at("id"), list[i].at("ruleId"));
      EXPECT_EQ(list[i].at("level"), f.severity == E ? "error" : "warning");
      if (strictUtf8(report.findings[i].text)) {
        EXPECT_EQ(list[i].at("message").at("text"), report.findings[i].text);
      }
    }
    results += static_cast<int>(list.size());
  }
  EXPECT_GT(results, 1000);
}

// A file named on the command line that cannot be read says why, in the
// system's words: the real disk's, so on the real disk.
TEST(CheckReport, ANamedFileThatCannotBeReadSaysWhy) {
  test::TempDir dir;
  test::writeKeyFiles(dir.path(), {{"MCU_T.txt", "MenuName=T\n" + kBody}}, {"T"});
  RealFileSystem fs(dir.path());
  const CheckReport report = checkKeyFiles(fs, {"KeyFiles/MCU_TYPO.txt", "nowhere/MCU_T.txt", "KeyFiles", "KeyFiles/MCU_T.txt"});
  ASSERT_EQ(report.findings.size(), 3u) << formatSummary(report);
  const std::string advice = "): check the path and that the file is readable";
#ifdef _WIN32
  const std::string missing = "";  // Windows words these its own way
#else
  const std::string missing = std::strerror(ENOENT);
#endif
  for (std::size_t i = 0; i < 2; ++i) {
    const std::string& text = report.findings[i].text;
    EXPECT_EQ(report.findings[i].kind, unreadableFile);
    ASSERT_TRUE(text.starts_with("cannot be read (" + missing) && text.ends_with(advice)) << text;
    EXPECT_GT(text.size(), std::string("cannot be read (").size() + advice.size()) << text;
  }
  EXPECT_EQ(report.findings[2].text, "cannot be read (Is a directory" + advice);
  EXPECT_EQ(formatSummary(report), "3 errors, 0 warnings in 4 files");
}
