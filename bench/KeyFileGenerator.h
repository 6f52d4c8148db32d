// Key files at the wizard's full capacity, made up for measuring: the same
// text for the benchmark programs and for the command-line measurements, so
// the figures of both speak of the same bytes.
#pragma once

#include <string>
#include <vector>

namespace forgeline::bench {

// Every generated line holds this many characters before its line end, the
// longest a key file may have.
inline constexpr std::size_t kLineChars = 98;

inline constexpr const char* kFullMcuTitle = "MCU_FULL50";
inline constexpr const char* kFullMcuMenuName = "HCS08-FULL50";

struct GeneratedFile {
  std::string name;
  std::string bytes;
};

// The MCU at full capacity: 100 PRM lines; INIT and 49 more modules whose
// sections 1 to 5, 7 and 8 reach 1000 lines each with every module marked,
// section 6 reaching 1000 lines over the 49 modules a user can tick, and 100
// section-6 lines of INIT. Line ends are CR LF, as the files come from the
// Windows tool chain.
std::string fullCapacityMcu();

// The full MCU with every non-INIT module's section lines repeated `factor`
// times. Loaded with only INIT marked, the tables hold the same lines at any
// factor, so the time per line shows the loader's own growth and never the
// capacities.
std::string scaledMcu(int factor);

// The number of lines (line ends) in `text`.
std::size_t countLines(const std::string& text);

// A typical hand-written MCU file of a few kilobytes (INIT and five modules),
// numbered `index` so that each has its own file and menu name.
std::string typicalMcu(int index);

// A KeyFiles folder at capacity: 50 MCU files (the full MCU and 49 typical
// ones) and the templates a build copies.
std::vector<GeneratedFile> fullCapacityKeyFiles();

}  // namespace forgeline::bench
