#include <gtest/gtest.h>

#include <string>

#include "generate/ProjectName.h"

using namespace forgeline;

TEST(ProjectName, CharactersAreCountedAsUtf8) {
  struct Case {
    std::string text;
    std::size_t characters;
  } cases[] = {
      {"", 0},
      {"Blinky", 6},
      {"Gr\xc3\xbc\xc3\x9f", 4},                // two-byte sequences
      {"\xe2\x82\xac", 1},                      // euro sign
      {"\xf0\x9f\x98\x80", 1},                  // four bytes
      {"\xff", 1},                              // never a UTF-8 byte
      {"\xc3", 1},                              // lead byte at the end
      {"\xc3" "A", 2},                          // lead byte without continuation
      {"\x80\x80", 2},                          // stray continuation bytes
      {"\xc0\xaf", 2},                          // overlong "/"
      {"\xe0\x80\xaf", 3},                      // overlong three-byte form
      {"\xed\xa0\x80", 3},                      // surrogate
      {"\xf4\x90\x80\x80", 4},                  // past U+10FFFF
      {"\xe2\x82", 2},                          // cut-off sequence
  };
  for (const Case& c : cases) EXPECT_EQ(characterCount(c.text), c.characters) << testing::PrintToString(c.text);
}

// Fifty two-byte characters are cut by the build test.
TEST(ProjectName, FirstCharactersNeverSplitASequence) {
  struct Case {
    std::string text;
    std::size_t limit;
    std::string cut;
  } cases[] = {
      {std::string(60, 'a'), 50, std::string(50, 'a')},
      {std::string(50, 'a'), 50, std::string(50, 'a')},
      {"short", 50, "short"},
      {"ab\xe2\x82\xac" "cd", 3, "ab\xe2\x82\xac"},
      {"a\xff\xfe" "b", 3, "a\xff\xfe"},
      {"", 50, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(firstCharacters(c.text, c.limit), c.cut) << testing::PrintToString(c.text) << " to " << c.limit;
}

TEST(ProjectName, OnlyANameThatStaysInsideTheMainFolderIsUsable) {
  struct Case {
    std::string name;
    bool usable;
  } cases[] = {
      {"Blinky", true}, {"My Project", true}, {"..x", true},    {"x..", false}, {".hidden", true},
      {"", false},      {".", false},         {"..", false},    {"a/b", false}, {"a\\b", false},
      {"/abs", false},  {"../up", false},     {"trail/", false}, {std::string("x\0y", 3), false},
      // What Windows cannot hold, refused on every system.
      {"a:b", false},   {"a<b", false},   {"a>b", false},   {"a\"b", false}, {"a|b", false},  {"a?b", false},
      {"a*b", false},   {"a\tb", false},  {"a\x1f", false}, {"a\x7f", true},  {"x.", false},   {"x ", false},
      {" x", true},     {".x", true},     {"CON", false},   {"con", false},   {"Con.txt", false}, {"NUL", false},
      {"AUX.a.b", false}, {"PRN", false}, {"COM1", false},  {"COM9", false},  {"LPT1", false},  {"lpt9.c", false},
      {"...", false},   {" ", false},     {"CON .txt", false}, {"COM0", true}, {"COM10", true}, {"LPT", true},    {"CONX", true},   {"XCON", true},
  };
  for (const Case& c : cases) EXPECT_EQ(isUsableProjectName(c.name), c.usable) << c.name;
}
