#include <gtest/gtest.h>

#include <string>

#include "generate/ProjectRecord.h"
#include "update/ThreeWayMerge.h"

using namespace forgeline;

namespace {

// Each character is one line, so "abc" is three lines a, b and c; a
// conflict shows as <ours|theirs>.
Lines lines(const std::string& text) {
  Lines result;
  for (char c : text) result.emplace_back(1, c);
  return result;
}

std::string shown(const Merge& merge) {
  std::string text;
  for (const std::string& line : merge.lines)
    text += line == kConflictOurs ? "<" : line == kConflictSplit ? "|" : line == kConflictTheirs ? ">" : line;
  return text;
}

}  // namespace

TEST(ThreeWayMerge, TakesEachSidesChangeAndMarksOnlyRealClashes) {
  struct Case {
    const char* base;
    const char* ours;
    const char* theirs;
    const char* merged;
    int conflicts;
  } cases[] = {
      {"abcde", "abcde", "abXde", "abXde", 0},    // theirs alone
      {"abcde", "aYcde", "abcde", "aYcde", 0},    // ours alone
      {"abcde", "aYcde", "abcdZ", "aYcdZ", 0},    // apart
      {"abcde", "aYcde", "abZde", "aYZde", 0},    // bordering changes stay apart
      {"abcde", "abXde", "abXde", "abXde", 0},    // the same change once
      {"abcde", "abYde", "abZde", "ab<Y|Z>de", 1},  // one line, two ways
      {"abcde", "abde", "abZde", "ab<|Z>de", 1},    // deleted against changed
      {"abcde", "abYcde", "abZcde", "ab<Y|Z>cde", 1},  // two insertions at one point
      {"abcde", "abcYde", "abZde", "ab<cY|Z>de", 1},   // an insertion meeting a change
      {"", "Y", "Z", "<Y|Z>", 1},
      {"", "", "Z", "Z", 0},
      {"abc", "", "abc", "", 0},
  };
  for (const Case& c : cases) {
    const Merge merge = mergeLines(lines(c.base), lines(c.ours), lines(c.theirs));
    EXPECT_EQ(shown(merge), c.merged) << c.base << " " << c.ours << " " << c.theirs;
    EXPECT_EQ(merge.conflicts, c.conflicts) << c.base << " " << c.ours << " " << c.theirs;
  }
}

TEST(ThreeWayMerge, LinesEndInLfOrCrLfAndComeBackWithLf) {
  EXPECT_EQ(linesOf("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(linesOf("a\r\r\n\r"), (Lines{"a\r", "\r"}));
  EXPECT_EQ(textOf(linesOf("a\r\nb\r\n")), "a\nb\n");
}

TEST(ProjectRecord, ReadsWhatItWritesAndRefusesWhatItCannotUse) {
  ProjectRecord record;
  record.version = "1.0.0";
  record.keyFile = "MCU_NOVA16.txt";
  record.menuName = "S08-NOVA16";
  record.ticks = {"LED", "ADC"};
  record.projectName = "My project";
  record.date = {5, 12, 2026};
  record.bases = {"Sources/main.c"};
  record.templates = {{"My project.mcp", 0x0123456789abcdefULL}};
  const RecordReading back = parseRecord(recordText(record));
  ASSERT_TRUE(back.record) << back.error;
  EXPECT_EQ(recordText(*back.record), recordText(record));
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"format = 1\nlater key = x\n", ""},
      {"format = 2\n", "the record is of format 2, newer than this Forgeline reads (1)"},
      {"project = x\n", "the record names no format"},
      {"format = 1\ndate = 2026-13-01\n", "the record's line 'date = 2026-13-01' cannot be read"},
      {"format = 1\ntemplate = 12 x\n", "the record's line 'template = 12 x' cannot be read"},
  };
  for (const Case& c : cases) EXPECT_EQ(parseRecord(c.text).error, c.error) << c.text;
}
