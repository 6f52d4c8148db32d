// Text at the Windows system boundary: the program keeps UTF-8 with "/"
// between folders, the wide API wants UTF-16 with "\".
#pragma once

#ifdef _WIN32

#include <optional>
#include <string>
#include <string_view>

namespace forgeline {

// UTF-8 to UTF-16; nullopt when `utf8` is not valid UTF-8, because a name
// guessed into another encoding would reach a different file.
std::optional<std::wstring> widen(std::string_view utf8);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string narrow(std::wstring_view utf16);
// A file name to UTF-16: UTF-8 when it is valid UTF-8, else code page 1252
// (Windows' Western European), so a menu name written in an old editor
// still names its .mcp file.
std::wstring widenFileName(std::string_view bytes);
// The system's words for an error code of GetLastError(), without the
// closing full stop; empty when it has none.
std::string systemErrorText(unsigned long code);

}  // namespace forgeline

#endif
