#include "generate/ProjectName.h"

#include <algorithm>
#include <string>

namespace forgeline {

namespace {

bool inRange(unsigned char byte, unsigned char low, unsigned char high) { return byte >= low && byte <= high; }

// Length of the well-formed UTF-8 sequence starting at `pos`, or 1 when the
// byte there does not start one. Overlong forms, surrogates and values past
// U+10FFFF are not well-formed, so each of their bytes counts on its own.
std::size_t sequenceLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 1;
  unsigned char secondLow = 0x80;
  unsigned char secondHigh = 0xBF;
  if (lead < 0x80) return 1;
  if (inRange(lead, 0xC2, 0xDF)) {
    length = 2;
  } else if (inRange(lead, 0xE0, 0xEF)) {
    length = 3;
    if (lead == 0xE0) secondLow = 0xA0;
    if (lead == 0xED) secondHigh = 0x9F;
  } else if (inRange(lead, 0xF0, 0xF4)) {
    length = 4;
    if (lead == 0xF0) secondLow = 0x90;
    if (lead == 0xF4) secondHigh = 0x8F;
  } else {
    return 1;
  }
  if (pos + length > text.size()) return 1;
  if (!inRange(static_cast<unsigned char>(text[pos + 1]), secondLow, secondHigh)) return 1;
  for (std::size_t k = 2; k < length; ++k)
    if (!inRange(static_cast<unsigned char>(text[pos + k]), 0x80, 0xBF)) return 1;
  return length;
}

}  // namespace

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += sequenceLength(text, pos)) ++count;
  return count;
}

std::string firstCharacters(std::string_view text, std::size_t maxCharacters) {
  std::size_t pos = 0;
  for (std::size_t taken = 0; taken < maxCharacters && pos < text.size(); ++taken) pos += sequenceLength(text, pos);
  return std::string(text.substr(0, pos));
}

bool hasPathSeparatorOrNul(std::string_view name) {
  return name.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos;
}

namespace {

// Windows gives these names to devices, also with an extension ("nul.txt")
// and blanks before it; a project made anywhere may be opened there.
// "\xC2\xB9", "\xC2\xB2" and "\xC2\xB3" are the superscripts one, two and three
// in UTF-8, which Windows reads as the digits of a port.
constexpr std::string_view kWindowsDeviceNames[] = {
    "CON",  "PRN",  "AUX",  "NUL",  "CONIN$", "CONOUT$",
    "COM1", "COM2", "COM3", "COM4", "COM5",   "COM6",    "COM7", "COM8", "COM9",
    "LPT1", "LPT2", "LPT3", "LPT4", "LPT5",   "LPT6",    "LPT7", "LPT8", "LPT9",
    "COM\xC2\xB9", "COM\xC2\xB2", "COM\xC2\xB3", "LPT\xC2\xB9", "LPT\xC2\xB2", "LPT\xC2\xB3",
};

bool isWindowsDeviceName(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  // ASCII letters only: the window sets the user's locale, and in a Latin-1
  // one toupper would turn the byte 0xE2 into the superscripts' lead 0xC2.
  for (char& c : stem)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return std::ranges::find(kWindowsDeviceNames, stem) != std::ranges::end(kWindowsDeviceNames);
}

}  // namespace

std::span<const std::string_view> windowsDeviceNames() { return kWindowsDeviceNames; }

bool isUsableProjectName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || hasPathSeparatorOrNul(name)) return false;
  // "x\0y" would become a folder "x" with its .mcp copy a file "x" inside;
  // control characters and < > : " | ? * Windows refuses in a name.
  const bool forbiddenCharacter = std::any_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
  });
  // Windows drops a trailing dot or blank, so "x." would be the folder "x".
  const bool trailingDotOrBlank = name.back() == '.' || name.back() == ' ';
  return !forbiddenCharacter && !trailingDotOrBlank && !isWindowsDeviceName(name);
}

}  // namespace forgeline
