#include <gtest/gtest.h>

#include <string>

#include "core/DisplayText.h"

using namespace forgeline;

TEST(DisplayText, ValidUtf8StaysAsItIsAnythingElseIsCodePage1252) {
  struct Case {
    std::string bytes;
    std::string shown;
  } cases[] = {
      {.bytes = "ADC uses ICS", .shown = "ADC uses ICS"},
      {.bytes = "", .shown = ""},
      {.bytes = "10 \xC2\xB5s tick", .shown = "10 \xC2\xB5s tick"},
      {.bytes = "10 \xB5s tick", .shown = "10 \xC2\xB5s tick"},
      {.bytes = "Caf\xE9", .shown = "Caf\xC3\xA9"},
      // The range where code page 1252 differs from Latin-1, and its holes.
      {.bytes = "\x80 \x85 \x99 \x9F", .shown = "\xE2\x82\xAC \xE2\x80\xA6 \xE2\x84\xA2 \xC5\xB8"},
      {.bytes = "\x81\x8D\x8F\x90\x9D", .shown = "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
      {.bytes = "\xFF", .shown = "\xC3\xBF"},
      // Three- and four-byte forms at the edges of what UTF-8 allows.
      {.bytes = "\xE2\x82\xAC \xEF\xBF\xBD \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF",
       .shown = "\xE2\x82\xAC \xEF\xBF\xBD \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF"},
      // One bad sequence anywhere makes the whole text code page 1252:
      // overlong forms, a surrogate, a value past U+10FFFF, a lone
      // continuation byte, a cut-off sequence.
      {.bytes = "\xC0\xAF", .shown = "\xC3\x80\xC2\xAF"},
      {.bytes = "\xE0\x80\xAF", .shown = "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},
      {.bytes = "\xED\xA0\x80", .shown = "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {.bytes = "\xF4\x90\x80\x80", .shown = "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
      {.bytes = "\xC2\xB5 \xB5", .shown = "\xC3\x82\xC2\xB5 \xC2\xB5"},
      {.bytes = "ab\xE2\x82", .shown = "ab\xC3\xA2\xE2\x80\x9A"},
      {.bytes = std::string("a\0b", 3), .shown = std::string("a\0b", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(keyFileTextAsUtf8(c.bytes), c.shown) << c.bytes;
}
