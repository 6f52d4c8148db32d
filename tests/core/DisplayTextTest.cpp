#include <gtest/gtest.h>

#include <string>

#ifndef _WIN32
#include <iconv.h>
#endif

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

#ifndef _WIN32
// Each byte of the high half alone, against the system's own converter. The
// five bytes code page 1252 leaves undefined, which the converter refuses,
// become the control characters of the same value.
TEST(DisplayText, EveryHighByteIsCodePage1252AsTheSystemDecodesIt) {
  const iconv_t cd = iconv_open("UTF-8", "CP1252");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int b = 0x80; b <= 0xFF; ++b) {
    char in[1] = {static_cast<char>(b)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const bool defined = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    const bool hole = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    EXPECT_EQ(defined, !hole) << std::hex << b;
    const std::string expected = hole ? std::string{'\xC2', static_cast<char>(b)} : std::string(out, outPtr);
    EXPECT_EQ(keyFileTextAsUtf8(std::string(1, static_cast<char>(b))), expected) << std::hex << b;
  }
  iconv_close(cd);
}
#endif
