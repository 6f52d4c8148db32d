#include "generate/MainSourceComposer.h"

#include <algorithm>
#include <string_view>

#include "generate/ProjectName.h"

namespace forgeline {

namespace {

// Skeleton lines were drawn as 91-character rows; the blanks after the
// visible text are part of the file.
constexpr std::size_t kSkeletonWidth = 91;
constexpr std::size_t kMaxUnderline = 186;

constexpr std::string_view kDashLine = "//---------------------------------------------------------------------";
constexpr std::string_view kStarLine = "// ********************************************************************";

struct Region {
  int section;
  std::string_view banner;
};

constexpr Region kRegionsBeforeMain[] = {
    {1, "// INCLUDES ///////////////////////////////////////////////////////////"},
    {2, "// DEFINES ////////////////////////////////////////////////////////////"},
    {3, "// GLOBAL CONSTANTS ///////////////////////////////////////////////////"},
    {4, "// GLOBAL VARIABLES ///////////////////////////////////////////////////"},
    {5, "// FUNCTION HEADERS ///////////////////////////////////////////////////"},
};
constexpr std::string_view kMainBanner = "// *** MAIN ***********************************************************";
constexpr Region kRegionsAfterMain[] = {
    {7, "// FUNCTION BODIES ////////////////////////////////////////////////////"},
    {8, "// INTERRUPT BODIES ///////////////////////////////////////////////////"},
};

// With several modules ticked no single main loop can be chosen, so main
// gets an empty loop; these lines are not padded like the skeleton.
constexpr std::string_view kMultipleModuleBody[] = {
    "MCU_Init();  ",
    "for (;;)    // Empty project was created due to multiple module choice. ",
    "  {          ",
    "  }          ",
};

constexpr std::string_view kMonthNames = "JanFebMarAprMayJunJulAugSepOctNovDec";

// Hands each line to the writer as it is composed, so main.c goes out in
// CR LF chunks and is never held whole.
class MainSource {
 public:
  MainSource(const WizardState& state, TextFileWriter& out) : state_(state), out_(out) {}

  void line(std::string_view text) {
    out_.write(text);
    out_.write("\n");
  }
  void skeleton(std::string_view visible) {
    // The blanks that pad a row to its width, and the line end.
    static const std::string padding = std::string(kSkeletonWidth, ' ') + '\n';
    out_.write(visible);
    out_.write(std::string_view(padding).substr(std::min(visible.size(), kSkeletonWidth)));
  }
  void stored(const std::string_view* lines, int count, int capacity) {
    for (int k = 0; k < count && k < capacity; ++k) out_.write(lines[k]);
  }
  void section(int s) { stored(state_.section(s).data(), state_.sectionCount(s), kMaxSectionLines); }
  void regionOpening(std::string_view banner) {
    skeleton("");
    skeleton("");
    skeleton(banner);
    skeleton(kDashLine);
  }
  void mainBody() {
    if (state_.chosenCount == 0) {
      stored(state_.initLines.data(), state_.initLineCount, kMaxInitLines);
    } else if (state_.chosenCount == 1) {
      section(6);
    } else {
      for (std::string_view body : kMultipleModuleBody) line(body);
    }
  }

 private:
  const WizardState& state_;
  TextFileWriter& out_;
};

// Like printf's "%2d": right-aligned in two positions with blanks.
std::string twoPositions(int value) {
  std::string digits = std::to_string(value);
  return digits.size() < 2 ? std::string(2 - digits.size(), ' ') + digits : digits;
}

std::string_view monthName(int month) {
  if (month < 1 || month > 12) return "???";
  return kMonthNames.substr(static_cast<std::size_t>(3 * (month - 1)), 3);
}

}  // namespace

std::string mainSourceHeaderLine(const std::string& projectName, CalendarDate date) {
  return "// " + projectName + " " + twoPositions(date.day) + std::string(monthName(date.month)) +
         twoPositions(date.year % 100);
}

WriteOutcome writeMainSource(const WizardState& state, FileSystem& fs, const Clock& clock) {
  TextFileWriter out(fs, kMainSourceName);
  const CalendarDate date = clock.today();
  MainSource file(state, out);
  file.line(mainSourceHeaderLine(state.projectName, date));
  file.line("// " + std::string(std::min(characterCount(state.projectName), kMaxUnderline), '='));
  for (const Region& region : kRegionsBeforeMain) {
    file.regionOpening(region.banner);
    file.section(region.section);
  }
  file.regionOpening(kMainBanner);
  file.skeleton("void main(void)");
  file.skeleton("{");
  file.mainBody();
  file.skeleton("}");
  file.skeleton(kDashLine);
  file.skeleton(kStarLine);
  for (const Region& region : kRegionsAfterMain) {
    file.regionOpening(region.banner);
    file.section(region.section);
  }
  return out.close();
}

}  // namespace forgeline
