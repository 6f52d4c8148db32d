#include "generate/ProjectFiles.h"

#include <string_view>

namespace forgeline {

namespace {

struct CommandFile {
  const char* event;  // the file name's last word
  const char* line;
};

constexpr CommandFile kCommandFiles[] = {
    {"Postload", "// After load the commands written below will be executed"},
    {"Preload", "// Before load the commands written below will be executed"},
    {"Reset", "// After reset the commands written below will be executed"},
    {"Startup", "// At startup the commands written below will be executed"},
};

enum class HeaderLine { padded, asIs, include };

struct DerivativeLine {
  HeaderLine kind;
  bool hcs08Only;  // the RS08 has no stop and wait macros
  const char* text;
};

constexpr DerivativeLine kDerivativeLines[] = {
    {HeaderLine::padded, false, "/*"},
    {HeaderLine::padded, false, " * Note: This file is recreated by the project wizard whenever the MCU is"},
    {HeaderLine::padded, false, " *       changed and should not be edited by hand"},
    {HeaderLine::padded, false, " */"},
    {HeaderLine::padded, false, ""},
    {HeaderLine::padded, false, "/* Include the derivative-specific header file */"},
    {HeaderLine::include, false, "#include "},
    {HeaderLine::padded, false, ""},
    {HeaderLine::padded, true, "#define _Stop asm ( stop; )"},
    {HeaderLine::asIs, true,
     "  /*!< Macro to enter stop modes, STOPE bit in SOPT1 register must be set prior to executing this macro */"},
    {HeaderLine::padded, true, ""},
    {HeaderLine::padded, true, "#define _Wait asm ( wait; )"},
    {HeaderLine::asIs, true, "  /*!< Macro to enter wait mode */"},
};

// The header's lines were laid out as a 106-character template; the include
// line keeps the template's blanks after the name whatever the name's length.
constexpr std::size_t kHeaderWidth = 106;
constexpr std::size_t kIncludeBlanks = 95;

std::string padded(std::string_view text) {
  std::string line(text);
  if (line.size() < kHeaderWidth) line.append(kHeaderWidth - line.size(), ' ');
  return line;
}

std::string commandFileName(bool isRs08, const char* event) {
  return std::string(isRs08 ? "RS08_" : "") + "BDM_P&E_Multilink_CyclonePro_" + event + ".cmd";
}

}  // namespace

WriteOutcome writeProjectMap(const WizardState&, FileSystem& fs) {
  return writeTextFile(fs, "Project.Map", "Placeholder.\n");
}

WriteOutcome writeCommandFiles(const WizardState& state, FileSystem& fs) {
  for (const CommandFile& file : kCommandFiles) {
    WriteOutcome outcome = writeTextFile(fs, commandFileName(state.isRs08, file.event), std::string(file.line) + "\n");
    if (!outcome.ok()) return outcome;
  }
  return {};
}

WriteOutcome writePrmFile(const WizardState& state, FileSystem& fs) {
  TextFileWriter writer(fs, "Project.prm");
  for (int k = 0; k < state.prmLineCount && k < kMaxPrmLines; ++k) writer.write(state.prmLines[static_cast<std::size_t>(k)]);
  return writer.close();
}

std::string derivativeHeaderText(const WizardState& state) {
  std::string text;
  for (const DerivativeLine& line : kDerivativeLines) {
    if (line.hcs08Only && state.isRs08) continue;
    switch (line.kind) {
      case HeaderLine::padded:
        text += padded(line.text);
        break;
      case HeaderLine::asIs:
        text += line.text;
        break;
      case HeaderLine::include:
        text += line.text + state.includeName + std::string(kIncludeBlanks, ' ');
        break;
    }
    text += '\n';
  }
  return text;
}

WriteOutcome writeDerivativeHeader(const WizardState& state, FileSystem& fs) {
  return writeTextFile(fs, "derivative.h", derivativeHeaderText(state));
}

}  // namespace forgeline
