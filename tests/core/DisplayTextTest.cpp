// What the system's own converter says is the judge: Windows has none to ask.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <iconv.h>

#include <iterator>
#include <random>
#include <string>

#include "core/DisplayText.h"
#include "support/TestSupport.h"

using namespace forgeline;

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
// Random texts made of the sequences at every edge of UTF-8 and of single
// bytes: a text the system's converter takes as UTF-8 stays as it is, any
// other is code page 1252 byte by byte.
TEST(DisplayText, RandomTextsAreUtf8ExactlyWhenTheSystemSaysSo) {
  const iconv_t utf8 = iconv_open("UTF-32LE", "UTF-8");
  ASSERT_NE(utf8, reinterpret_cast<iconv_t>(-1));
  const auto isUtf8 = [&](std::string text) {
    std::string out(text.size() * 4 + 4, '\0');
    char *in = text.data(), *to = out.data();
    std::size_t inLeft = text.size(), outLeft = out.size();
    iconv(utf8, nullptr, nullptr, nullptr, nullptr);
    return iconv(utf8, &in, &inLeft, &to, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
  };
  const char* const edges[] = {"\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBF",
                               "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF", "\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF",
                               "\xED\xA0\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE2\x82"};
  std::mt19937 random(31);
  int valid = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (int n = static_cast<int>(random() % 4); n >= 0; --n) {
      if (random() % 2) text += edges[random() % std::size(edges)];
      else text += static_cast<char>(random() % 256);
    }
    std::string asCodePage;
    for (const char c : text) asCodePage += keyFileTextAsUtf8(std::string(1, c));
    const bool utf8Text = isUtf8(text);
    valid += utf8Text;
    ASSERT_EQ(keyFileTextAsUtf8(text), utf8Text ? text : asCodePage) << test::printable(text);
  }
  EXPECT_GT(valid, 2000) << "too few valid texts to tell";
  iconv_close(utf8);
}
#endif
