// The words findings are made of, byte by byte against the C library's own
// classes of characters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "check/CheckerParts.h"

namespace checker = forgeline::checker;

// Every byte: a control character (as iscntrl says in the C locale) is
// written as \xNN, any other byte as it is; a name character is a letter,
// a digit or "_".
TEST(Wording, EveryByteIsQuotedAndClassedAsTheCLibrarySays) {
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
    const std::string expected = std::iscntrl(b) ? std::string(escaped) : std::string(1, c);
    EXPECT_EQ(checker::quoted(std::string(1, c) + "x"), "\"" + expected + "x\"") << b;  // a last LF is the line end
    EXPECT_EQ(checker::isWordChar(c), std::isalnum(b) != 0 || c == '_') << b;
  }
}

// A text is cut with "..." only when it is longer than the limit.
TEST(Wording, QuotedTextIsCutOnlyPastItsLimit) {
  for (const std::size_t length : {39u, 40u, 41u}) {
    const std::string text(length, 'a');
    const std::string shown = std::string(std::min<std::size_t>(length, 40), 'a') + (length > 40 ? "..." : "");
    EXPECT_EQ(checker::quoted(text, 40), "\"" + shown + "\"") << length;
  }
}
