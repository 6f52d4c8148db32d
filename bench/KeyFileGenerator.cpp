#include "KeyFileGenerator.h"

#include <algorithm>
#include <cstdio>

namespace forgeline::bench {

namespace {

constexpr int kModules = 50;
constexpr int kLinesPerSection = 20;  // 50 modules x 20 = the 1000-line capacity
constexpr int kPrmLines = 100;
constexpr int kInitMainLines = 100;

class KeyFileText {
 public:
  // `text` padded to the full line width; a text longer than that is cut.
  void line(const std::string& text) {
    std::string padded = text.substr(0, kLineChars);
    padded.resize(kLineChars, ' ');
    text_ += padded;
    text_ += "\r\n";
  }
  // A C line closed by a comment that fills the line, so every line is as
  // long as a line may be and still compiles.
  void codeLine(const std::string& code) {
    std::string text = code + " /* ";
    const std::string close = " */";
    if (text.size() + close.size() < kLineChars) text.append(kLineChars - text.size() - close.size(), '.');
    line(text + close);
  }
  // A line as it stands, unpadded: header values end at the line end.
  void header(const char* key, const std::string& value) {
    text_ += key;
    text_ += value;
    text_ += "\r\n";
  }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

// Module names take capital letters only: a digit would end the name.
std::string moduleName(int index) {
  if (index == 0) return "INIT";
  std::string name = "MOD_";
  name += static_cast<char>('A' + index / 26);
  name += static_cast<char>('A' + index % 26);
  return name;
}

std::string lowerName(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
  return name;
}

std::string number(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

std::string hex(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%04X", value);
  return buffer;
}

void headerLines(KeyFileText& file, const std::string& menuName, int revision) {
  file.line("Made-up MCU for measuring Forgeline at full capacity; every line is as long as a line may be.");
  file.header("MenuName=", menuName);
  std::string include = lowerName(menuName);
  include.insert(include.begin(), '<');
  include.append(".h>");
  file.header("IncludeName=", include);
  file.header("CURRENTDEVICE=", menuName);
  file.header("Revision=", std::to_string(revision));
}

void prmBlock(KeyFileText& file, int lines) {
  file.line("PRMSTART");
  for (int k = 0; k < lines; ++k)
    file.codeLine("    SEG_" + number(k, 3) + " = READ_WRITE " + hex(0x80 + 16 * k) + " TO " + hex(0x8F + 16 * k) + ";");
  file.line("PRMEND");
}

void sectionLines(KeyFileText& file, const std::string& module, int section, int lines) {
  file.line(std::to_string(section) + ". section " + std::to_string(section) + " of " + module);
  const std::string prefix = lowerName(module) + "_s" + std::to_string(section) + "_";
  for (int k = 0; k < lines; ++k) {
    const std::string id = prefix + number(k, 5);
    switch (section) {
      case 1: file.codeLine("#define INC_" + id + " 1"); break;
      case 2: file.codeLine("#define DEF_" + id + " 0x" + number(k % 100, 2) + "u"); break;
      case 3: file.codeLine("const unsigned char " + id + " = " + std::to_string(k % 256) + ";"); break;
      case 4: file.codeLine("unsigned char " + id + ";"); break;
      case 5: file.codeLine("void " + id + "(void);"); break;
      case 6: file.codeLine("  " + id + "();"); break;
      default: file.codeLine("void " + id + "(void) { }"); break;
    }
  }
}

// `lines(section)` gives the number of lines of each section of the module.
template <typename Lines>
void moduleBlock(KeyFileText& file, int index, int modules, Lines lines) {
  const std::string name = moduleName(index);
  // Each module uses the one after it, as drivers build on each other and
  // the one-pass uses rule wants them listed; clicked from the last box to
  // the first, every box is still enabled when its click comes.
  const bool uses = index >= 1 && index + 1 < modules;
  // Module and description lines are written as people write them, without
  // trailing blanks: those would become part of the uses and description
  // texts.
  file.header("MODULE:", name + (uses ? " uses " + moduleName(index + 1) : std::string()));
  file.header("9. ", name + ": made-up module " + std::to_string(index) + " for measuring");
  for (int s = 1; s <= 8; ++s)
    if (int count = lines(s); count > 0) sectionLines(file, name, s, count);
  file.line("ENDMODULE");
}

std::string mcu(int factor) {
  KeyFileText file;
  headerLines(file, kFullMcuMenuName, 50);
  prmBlock(file, kPrmLines);
  moduleBlock(file, 0, kModules, [](int s) { return s == 6 ? kInitMainLines : kLinesPerSection; });
  for (int m = 1; m < kModules; ++m) {
    // 49 tickable modules share section 6's 1000 lines: the first takes 40.
    const int main = m == 1 ? 2 * kLinesPerSection : kLinesPerSection;
    moduleBlock(file, m, kModules, [&](int s) { return factor * (s == 6 ? main : kLinesPerSection); });
  }
  return file.take();
}

std::string typicalMenuName(int index) { return "HCS08-T" + number(99 - index, 2); }

}  // namespace

std::string fullCapacityMcu() { return mcu(1); }

std::string scaledMcu(int factor) { return mcu(factor); }

std::size_t countLines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

std::string typicalMcu(int index) {
  KeyFileText file;
  // Menu names run against the file names, so the catalogue has to sort.
  headerLines(file, typicalMenuName(index), index);
  prmBlock(file, 10);
  for (int m = 0; m < 6; ++m) {
    moduleBlock(file, m, 6, [m](int s) {
      if (s == 6) return 4;
      return m > 0 && (s <= 2 || s >= 7) ? 2 : 1;
    });
  }
  return file.take();
}

std::vector<GeneratedFile> fullCapacityKeyFiles() {
  std::vector<GeneratedFile> files;
  files.push_back({std::string(kFullMcuTitle) + ".txt", fullCapacityMcu()});
  for (int i = 0; i < 49; ++i) files.push_back({"MCU_T" + number(i, 2) + ".txt", typicalMcu(i)});
  // Stand-in templates of the sizes a tool chain's own would have here.
  auto filler = [](const std::string& first, std::size_t size) {
    std::string text = first + "\r\n";
    while (text.size() < size) text += "// stand-in template text of the size of a real one\r\n";
    return text;
  };
  files.push_back({"burner.bbl", filler("OPENFILE \"%ABS_FILE%.s19\"", 450)});
  files.push_back({"Start08.c", filler("/* start-up code */", 2000)});
  files.push_back({"StartRS08.c", filler("/* start-up code */", 1700)});
  files.push_back({"C_Layout.hwl", filler("OPEN source 0 0 60 39", 480)});
  files.push_back({"Default.mem", filler("DEFAULT_RAM", 400)});
  files.push_back({std::string(kFullMcuMenuName) + ".mcp", filler("stand-in project template", 380)});
  for (int i = 0; i < 49; ++i) files.push_back({typicalMenuName(i) + ".mcp", filler("stand-in project template", 380)});
  return files;
}

}  // namespace forgeline::bench
