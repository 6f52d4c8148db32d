// Line-based three-way merge of a generated file: what the build wrote then
// (base), the file as the user has it now (ours) and what the build writes
// today (theirs). The diffs come from dtl; what is merged is the text with
// "\n" line ends, whatever line ends the files had on disk.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace forgeline {

using Lines = std::vector<std::string>;

// The lines of `bytes`, each without its line end; "\r\n" and "\n" both end
// a line. A last line without an end counts as a line.
Lines linesOf(std::string_view bytes);
// The lines back as text, each ended by "\n".
std::string textOf(const Lines& lines);

inline constexpr const char* kConflictOurs = "<<<<<<< project";
inline constexpr const char* kConflictSplit = "=======";
inline constexpr const char* kConflictTheirs = ">>>>>>> key files";

struct Merge {
  Lines lines;
  int conflicts = 0;  // regions written between markers
};

// Every change either side made to base, each once; a region that both
// changed differently goes between the markers, the project's lines first.
Merge mergeLines(const Lines& base, const Lines& ours, const Lines& theirs);

// The change from `before` to `after` in unified form, "--- a/PATH" and
// "+++ b/PATH" above its hunks; nothing when the two are equal.
void printUnifiedDiff(std::ostream& out, const std::string& path, const Lines& before, const Lines& after);

}  // namespace forgeline
