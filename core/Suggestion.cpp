#include "core/Suggestion.h"

#include <algorithm>
#include <numeric>

namespace forgeline {

namespace {

// ASCII letters only: captions are raw bytes of any code page, and folding
// a byte above 127 could turn one code page's letter into another's.
char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string foldedText(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), folded);
  return result;
}

// Edits that turn `a` into `b`, a swap of two neighbours counting as one
// (the optimal string alignment distance).
std::size_t editDistance(const std::string& a, const std::string& b) {
  const std::size_t columns = b.size() + 1;
  std::vector<std::size_t> before(columns), previous(columns), row(columns);
  std::iota(previous.begin(), previous.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j < columns; ++j) {
      const std::size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, substitution});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) row[j] = std::min(row[j], before[j - 2] + 1);
    }
    before.swap(previous);
    previous.swap(row);
  }
  return previous[b.size()];
}

std::vector<std::string> distinct(const std::vector<std::string>& choices) {
  std::vector<std::string> result;
  for (const std::string& choice : choices)
    if (std::find(result.begin(), result.end(), choice) == result.end()) result.push_back(choice);
  return result;
}

std::string quotedList(const std::vector<std::string>& words, const char* lastSeparator) {
  std::string text;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? lastSeparator : ", ";
    text += "'" + words[i] + "'";
  }
  return text;
}

}  // namespace

std::vector<std::string> likelyMeant(std::string_view typed, const std::vector<std::string>& choices) {
  const std::string word = foldedText(typed);
  const std::vector<std::string> unique = distinct(choices);
  std::vector<std::string> equal, containing, closest;
  std::size_t bestDistance = std::max<std::size_t>(1, word.size() / 3);
  for (const std::string& choice : unique) {
    const std::string candidate = foldedText(choice);
    if (candidate == word) equal.push_back(choice);
    if (!word.empty() && candidate.find(word) != std::string::npos) containing.push_back(choice);
    // The length difference alone is a lower bound of the distance; it also
    // keeps a huge mistyped argument from costing a full table per choice.
    const std::size_t lengthGap = std::max(word.size(), candidate.size()) - std::min(word.size(), candidate.size());
    if (lengthGap > bestDistance) continue;
    const std::size_t distance = editDistance(word, candidate);
    if (distance > bestDistance) continue;
    if (distance < bestDistance) closest.clear();
    bestDistance = distance;
    closest.push_back(choice);
  }
  if (!equal.empty()) return equal;
  if (!containing.empty()) return containing;
  return closest;
}

std::string suggestionFor(std::string_view typed, const std::vector<std::string>& choices) {
  const std::vector<std::string> meant = likelyMeant(typed, choices);
  if (!meant.empty()) return "; did you mean " + quotedList(meant, " or ") + "?";
  const std::vector<std::string> unique = distinct(choices);
  if (!unique.empty() && unique.size() <= kFewChoices) return "; the choices are " + quotedList(unique, ", ");
  return "";
}

}  // namespace forgeline
