#include "update/ThreeWayMerge.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <limits>

namespace forgeline {

namespace {

// One change of one side: base lines [start, end) become `lines`. An
// insertion has start == end.
struct Hunk {
  std::size_t start = 0;
  std::size_t end = 0;
  Lines lines;
  bool insertion() const { return start == end; }
};

// The changes from base to `other`, in base order, from dtl's edit script:
// each run of deleted and added lines between common ones is one hunk.
std::vector<Hunk> hunksOf(const Lines& base, const Lines& other) {
  dtl::Diff<std::string, Lines> diff(base, other);
  diff.compose();
  std::vector<Hunk> hunks;
  std::size_t at = 0;
  bool open = false;
  for (const auto& [line, info] : diff.getSes().getSequence()) {
    if (info.type == dtl::SES_COMMON) {
      open = false;
      ++at;
      continue;
    }
    if (!open) hunks.push_back({at, at, {}});
    open = true;
    if (info.type == dtl::SES_DELETE)
      hunks.back().end = ++at;
    else
      hunks.back().lines.push_back(line);
  }
  return hunks;
}

// Base lines [start, end) with `hunks` (all inside that range) applied.
Lines applied(const Lines& base, std::size_t start, std::size_t end, const std::vector<Hunk>& hunks) {
  Lines lines;
  std::size_t at = start;
  for (const Hunk& hunk : hunks) {
    lines.insert(lines.end(), base.begin() + static_cast<std::ptrdiff_t>(at),
                 base.begin() + static_cast<std::ptrdiff_t>(hunk.start));
    lines.insert(lines.end(), hunk.lines.begin(), hunk.lines.end());
    at = hunk.end;
  }
  lines.insert(lines.end(), base.begin() + static_cast<std::ptrdiff_t>(at),
               base.begin() + static_cast<std::ptrdiff_t>(end));
  return lines;
}

// The hunks of both sides that touch one region of base. Changes that
// overlap belong together, and so do an insertion and a change that meet
// at one point, since which comes first cannot be told; two changes that
// merely border each other stay apart.
struct Region {
  std::size_t start = 0;
  std::size_t end = 0;
  bool insertionAtEnd = false;
  std::vector<Hunk> sides[2];

  bool takes(const Hunk& hunk) const {
    return hunk.start < end || (hunk.start == end && (hunk.insertion() || insertionAtEnd));
  }
  void add(const Hunk& hunk, int side) {
    if (hunk.end > end) insertionAtEnd = false;
    end = std::max(end, hunk.end);
    insertionAtEnd = insertionAtEnd || (hunk.insertion() && hunk.start == end);
    sides[side].push_back(hunk);
  }
};

void append(Lines& to, const Lines& from) { to.insert(to.end(), from.begin(), from.end()); }

void resolve(Merge& merge, const Lines& base, const Region& region) {
  const Lines ours = applied(base, region.start, region.end, region.sides[0]);
  const Lines theirs = applied(base, region.start, region.end, region.sides[1]);
  if (region.sides[1].empty() || ours == theirs) return append(merge.lines, ours);
  if (region.sides[0].empty()) return append(merge.lines, theirs);
  merge.lines.push_back(kConflictOurs);
  append(merge.lines, ours);
  merge.lines.push_back(kConflictSplit);
  append(merge.lines, theirs);
  merge.lines.push_back(kConflictTheirs);
  ++merge.conflicts;
}

}  // namespace

Lines linesOf(std::string_view bytes) {
  Lines lines;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find('\n'), bytes.size());
    std::string_view line = bytes.substr(0, end);
    if (end < bytes.size() && line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
  }
  return lines;
}

std::string textOf(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

Merge mergeLines(const Lines& base, const Lines& ours, const Lines& theirs) {
  const std::vector<Hunk> hunks[2] = {hunksOf(base, ours), hunksOf(base, theirs)};
  std::size_t next[2] = {0, 0};
  constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
  auto startOf = [&](int side) { return next[side] < hunks[side].size() ? hunks[side][next[side]].start : kNone; };
  Merge merge;
  std::size_t copied = 0;
  while (startOf(0) != kNone || startOf(1) != kNone) {
    const int first = startOf(0) <= startOf(1) ? 0 : 1;
    Region region{startOf(first), startOf(first), false, {}};
    region.add(hunks[first][next[first]++], first);
    for (bool grew = true; grew;) {
      grew = false;
      for (int side : {0, 1})
        for (; next[side] < hunks[side].size() && region.takes(hunks[side][next[side]]); grew = true)
          region.add(hunks[side][next[side]++], side);
    }
    merge.lines.insert(merge.lines.end(), base.begin() + static_cast<std::ptrdiff_t>(copied),
                       base.begin() + static_cast<std::ptrdiff_t>(region.start));
    resolve(merge, base, region);
    copied = region.end;
  }
  merge.lines.insert(merge.lines.end(), base.begin() + static_cast<std::ptrdiff_t>(copied), base.end());
  return merge;
}

void printUnifiedDiff(std::ostream& out, const std::string& path, const Lines& before, const Lines& after) {
  if (before == after) return;
  dtl::Diff<std::string, Lines> diff(before, after);
  diff.compose();
  diff.composeUnifiedHunks();
  out << "--- a/" << path << "\n+++ b/" << path << "\n";
  diff.printUnifiedFormat(out);
}

}  // namespace forgeline
