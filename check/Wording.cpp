// How findings put texts, counts and names into words.
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "check/CheckerParts.h"

namespace forgeline::checker {

// A text as it may stand inside a one-line message: no line end, control
// bytes as \xNN, long texts shortened.
std::string quoted(std::string_view text, std::size_t limit) {
  if (text.ends_with('\n')) text.remove_suffix(1);
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (text.size() > limit) out += "...";
  return out + "\"";
}

std::string ordinalWord(std::size_t n) {
  constexpr const char* kWords[] = {"", "first", "second", "third", "fourth", "fifth",
                                    "sixth", "seventh", "eighth", "ninth", "tenth"};
  if (n < std::size(kWords)) return kWords[n];
  return std::to_string(n) + "th";
}

std::string countWord(std::size_t n) {
  constexpr const char* kWords[] = {"no", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten"};
  return n < std::size(kWords) ? kWords[n] : std::to_string(n);
}

// "a, b and c"
std::string joined(const std::vector<std::string>& parts) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += i + 1 == parts.size() ? " and " : ", ";
    out += parts[i];
  }
  return out;
}

// "1 PRM line", "5 PRM lines"
std::string counted(int n, const std::string& what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

// "this line", "this line and 4 more"
std::string thisAndMore(int count, const char* what) {
  std::string out = std::string("this ") + what;
  if (count > 1) out += " and " + std::to_string(count - 1) + " more";
  return out;
}

std::string names(const std::vector<std::string>& list, std::size_t limit) {
  std::vector<std::string> shown(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(std::min(limit, list.size())));
  for (std::string& name : shown) name = name.empty() ? "(no name)" : name;
  if (list.size() > limit) shown.push_back("more");
  return joined(shown);
}

bool isWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string moduleLabel(const std::string& name) { return name.empty() ? "the module with no name" : "module " + name; }

}  // namespace forgeline::checker
