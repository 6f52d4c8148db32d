// The key-file format, defined once: how lines are read from a key file and
// what each line means. The catalogue scan, the loader and the checker all
// go through here, so they can never disagree about a file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/FileSystem.h"

namespace forgeline {

// Hands out a file's lines the way a C text-mode stream read through a
// 100-byte buffer would: CR LF first becomes LF, then each piece holds at
// most 99 bytes and ends right after its LF or after the 99th byte. A longer
// line therefore arrives as several pieces and only the last one carries the
// LF. A lone CR and NUL bytes are ordinary bytes.
class LineReader {
 public:
  static constexpr std::size_t kMaxPiece = 99;

  // A file that lies whole in memory is read like bytes in memory (below).
  explicit LineReader(InputFile& input);
  // Over bytes already in memory, which must outlive the reader: pieces are
  // views into them, and only a piece that ends in CR LF is copied to fold
  // the pair.
  explicit LineReader(std::string_view bytes);
  // Pieces may point into the reader itself.
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  // Points `piece` at the next piece, which stays valid until the next call;
  // false (and `piece` empty) when nothing is left.
  bool next(std::string_view& piece);
  // The physical line (1-based) that the last piece returned belongs to.
  int lineNumber() const { return pieceLine_; }
  // True when the last piece returned started in the middle of a line.
  bool pieceIsContinuation() const { return pieceContinues_; }

 private:
  // Moves the unread bytes to the front and reads until one whole piece is
  // in the buffer (kMaxPiece + 1 bytes, as a CR LF pair shrinks to its LF),
  // or the file has ended.
  void fill();
  InputFile* input_ = nullptr;  // none when reading bytes in memory
  // The first read is small, as the catalogue scan needs only a file's first
  // lines; later reads double up to the whole buffer, so a big file takes
  // few system calls.
  std::size_t readSize_ = 4096;
  char buffer_[65536];
  // What is being read: the buffer, or the bytes in memory.
  const char* data_ = buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  int nextLine_ = 1;
  bool midLine_ = false;
  int pieceLine_ = 0;
  bool pieceContinues_ = false;
};

// The module that is always marked; its section 6 is the body of main when
// no module is ticked.
inline constexpr std::string_view kInitModuleName = "INIT";
// The caption of an MCU whose file gives no menu name.
inline constexpr std::string_view kUnknownMenuName = "???";
// The key of a module line; the module name starts right after it.
inline constexpr std::string_view kModuleKey = "MODULE:";

// Header keys, tested in this order on every line wherever it stands.
enum class HeaderKey { none, menuName, includeName, currentDevice, revision };

// Structure keys, tested in this order after the header keys.
enum class LineKind { moduleLine, endLine, prmStart, prmEnd, descriptionLine, sectionHeader, content };

struct ClassifiedLine {
  HeaderKey header = HeaderKey::none;
  std::string_view headerValue;  // the value when `header` is set
  LineKind kind = LineKind::content;
  int section = 0;  // 1..8 for a section header
};

ClassifiedLine classifyLine(std::string_view line);

std::string_view headerKeyText(HeaderKey key);

// A value is the line without its key and without its last character: the
// last character is normally the line end, and it is dropped whatever it is.
std::string_view keyValue(std::string_view line, std::size_t keyLength);

// "Revision=" values read like C's atoi, saturating at the int range.
int parseRevision(std::string_view value);

// Module names are made of "A" to "Z", "_" and "/".
bool isNameChar(char c);
// The module name: the run of name characters right after "MODULE:".
std::string_view moduleName(std::string_view moduleLine);
// The uses text: what follows the first "uses" on the line and one more
// character, without the line's last character; empty without "uses".
std::string_view moduleUsesText(std::string_view moduleLine);
// Where "uses" stands in the line, or npos.
std::size_t usesPosition(std::string_view moduleLine);
// The description: the line without "9.", its separator and its last character.
std::string_view descriptionText(std::string_view descriptionLine);

// A menu name that begins with "RS" makes its MCU an RS08 part.
bool isRs08MenuName(std::string_view menuName);

// Whether the disk tells names apart by case: Windows' does not, and its
// wildcard "MCU_*.txt" matches "mcu_x.TXT" too.
#ifdef _WIN32
inline constexpr bool kFileNamesIgnoreCase = true;
#else
inline constexpr bool kFileNamesIgnoreCase = false;
#endif

// True for names matching "MCU_*.txt": exactly, or ignoring the case of the
// ASCII letters where the disk does.
bool matchesMcuPattern(std::string_view fileName, bool ignoreCase = kFileNamesIgnoreCase);
// The file name without its extension (the last dot and what follows).
std::string fileTitle(std::string_view fileName);

}  // namespace forgeline
