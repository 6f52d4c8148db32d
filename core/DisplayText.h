// How a window shows a text taken from a key file. Key files carry no
// declared encoding: those written on Linux are UTF-8, older ones from
// Windows are code page 1252. Both windows decode the same way through this
// one function; what the build writes stays the raw bytes.
#pragma once

#include <string>
#include <string_view>

namespace forgeline {

// `bytes` unchanged when they are valid UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF), else every byte read as code page 1252
// and written out as UTF-8. The five bytes that code page leaves undefined
// become the control characters of the same value, as Windows maps them.
std::string keyFileTextAsUtf8(std::string_view bytes);

}  // namespace forgeline
