// The project name as the build uses it: cut to a fixed number of
// characters, counted the way a user reads them, and checked so that the
// project folder always lands inside the main folder.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace forgeline {

// Characters of `text`, reading it as UTF-8: a well-formed sequence is one
// character, and so is every byte that is not part of one.
std::size_t characterCount(std::string_view text);

// The first `maxCharacters` characters of `text`, counted as characterCount
// does; a sequence is never split.
std::string firstCharacters(std::string_view text, std::size_t maxCharacters);

// True when `name` holds a path separator of either kind or a NUL byte (the
// disk sees a name only up to a NUL): such a name would reach another
// folder than the one it is used in.
bool hasPathSeparatorOrNul(std::string_view name);

// False for a name that would not make one new folder level beside KeyFiles
// on every system a project may travel to: empty, "." or "..", a path
// separator of either kind, a NUL or other control character, any of
// < > : " | ? *, a trailing dot or blank, or a Windows device name in any
// case, with or without an extension and blanks before it.
bool isUsableProjectName(std::string_view name);

// The Windows device names in upper case: CON, PRN, AUX, NUL, CONIN$,
// CONOUT$, COM1-COM9 and LPT1-LPT9, and COM and LPT with the superscript
// digits one, two and three.
std::span<const std::string_view> windowsDeviceNames();

}  // namespace forgeline
