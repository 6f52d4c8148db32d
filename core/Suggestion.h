// "Did you mean …?" for a word that names none of the choices: a mistyped
// MCU, module or command. Plain C++, no toolkit, so every face can use it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace forgeline {

// The choices `typed` most likely meant, in the order given, each once.
// Tried in turn, the first step that finds any wins: equal ignoring the case
// of ASCII letters; containing `typed` ignoring case (so "NOVA16" finds
// "S08-NOVA16"); within a small edit distance ignoring case (insertions,
// deletions, substitutions and swaps of neighbours, at most one per three
// characters of `typed`, at least one), only the closest.
std::vector<std::string> likelyMeant(std::string_view typed, const std::vector<std::string>& choices);

// The tail of a refusal: "; did you mean 'X'?" (or 'X' or 'Y'), else, when
// there are at most kFewChoices distinct choices, "; the choices are 'A', 'B'",
// else nothing.
std::string suggestionFor(std::string_view typed, const std::vector<std::string>& choices);

inline constexpr std::size_t kFewChoices = 8;

}  // namespace forgeline
