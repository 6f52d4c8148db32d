#include <gtest/gtest.h>

#include <set>
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
      {" x", true},     {".x", true},     {"...", false},   {" ", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isUsableProjectName(c.name), c.usable) << c.name;
}

// The device names as Microsoft lists them, written out here so that a name
// missing from the program's table, or one too many, shows.
TEST(ProjectName, WindowsDeviceNamesAreRefusedInEveryForm) {
  std::set<std::string> documented = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const std::string port : {"COM", "LPT"}) {
    for (char digit = '1'; digit <= '9'; ++digit) documented.insert(port + digit);
    for (const char* superscript : {"\u00B9", "\u00B2", "\u00B3"}) documented.insert(port + superscript);
  }
  const auto table = windowsDeviceNames();
  EXPECT_EQ(std::set<std::string>(table.begin(), table.end()), documented);

  const auto cased = [](std::string name, int form) {  // 0: as listed, 1: lower, 2: mixed
    for (std::size_t i = 0; i < name.size(); ++i)
      if ((form == 1 || (form == 2 && i % 2 == 1)) && name[i] >= 'A' && name[i] <= 'Z') name[i] += 'a' - 'A';
    return name;
  };
  for (const std::string& device : documented)
    for (int form = 0; form < 3; ++form)
      for (const char* after : {"", ".txt", " .txt", "   .mcp", ".a.b"})
        EXPECT_FALSE(isUsableProjectName(cased(device, form) + after)) << cased(device, form) + after;

  // Near misses, bare and with an extension. Microsoft's page also names COM0
  // and LPT0, but Windows opens them as ordinary files, so they stay usable.
  for (const std::string name :
       {"COM0", "LPT0", "COM10", "LPT10", "COM", "LPT", "CONX", "XCON", "CONSOLE", "CONIN", "CONOUT", "CONIN$$",
        "CONOUT$$", "CON$", "XCONIN$", "CONIN$X", "CON IN$", "COM\u2074", "LPT\u2074", "COM\u00B9\u00B9",
        "COM\u00B90", "COM \u00B9", "\u00B9", "COM\uFF11", "COM\xE2\xB9"})
    for (const char* after : {"", ".txt"}) EXPECT_TRUE(isUsableProjectName(name + after)) << name + after;
}
