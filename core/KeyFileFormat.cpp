#include "core/KeyFileFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstring>
#include <optional>

namespace forgeline {

LineReader::LineReader(InputFile& input) : input_(&input) {
  if (const std::optional<std::string_view> bytes = input.takeUnreadBytes()) {
    input_ = nullptr;
    data_ = bytes->data();
    end_ = bytes->size();
    eof_ = true;
  }
}

LineReader::LineReader(std::string_view bytes) : data_(bytes.data()), end_(bytes.size()), eof_(true) {}

void LineReader::fill() {
  if (input_ == nullptr) return;
  std::memmove(buffer_, buffer_ + pos_, end_ - pos_);
  end_ -= pos_;
  pos_ = 0;
  while (end_ <= kMaxPiece && !eof_) {
    const std::size_t n = input_->read(buffer_ + end_, std::min(readSize_, sizeof buffer_ - end_));
    readSize_ = std::min(2 * readSize_, sizeof buffer_);
    eof_ = n == 0;
    end_ += n;
  }
}

bool LineReader::next(std::string_view& piece) {
  if (end_ - pos_ <= kMaxPiece) fill();
  piece = {};
  if (pos_ == end_) return false;
  const char* start = data_ + pos_;
  const std::size_t available = end_ - pos_;
  std::size_t size = std::min(available, kMaxPiece);
  std::size_t taken = size;
  if (const void* found = std::memchr(start, '\n', std::min(available, kMaxPiece + 1))) {
    const auto lf = static_cast<std::size_t>(static_cast<const char*>(found) - start);
    if (lf > 0 && start[lf - 1] == '\r') {
      // Text mode: a CR directly followed by LF reaches the reader as the LF.
      // The buffer's own bytes are folded where they lie; bytes in memory
      // are the caller's, so the piece is folded into the unused buffer.
      char* folded = input_ != nullptr ? buffer_ + pos_ : buffer_;
      if (folded != start) std::memcpy(folded, start, lf - 1);
      folded[lf - 1] = '\n';
      start = folded;
      size = lf;
      taken = lf + 1;
    } else if (lf < kMaxPiece) {
      size = taken = lf + 1;
    }
  }
  pos_ += taken;
  piece = {start, size};
  pieceLine_ = nextLine_;
  pieceContinues_ = midLine_;
  midLine_ = piece.back() != '\n';
  if (!midLine_) ++nextLine_;
  return true;
}

namespace {

struct HeaderRow {
  HeaderKey key;
  std::string_view text;
};

constexpr HeaderRow kHeaderKeys[] = {
    {HeaderKey::menuName, "MenuName="},
    {HeaderKey::includeName, "IncludeName="},
    {HeaderKey::currentDevice, "CURRENTDEVICE="},
    {HeaderKey::revision, "Revision="},
};

struct StructureRow {
  LineKind kind;
  std::string_view text;
};

// Section headers ("1." to "8.") are tested after these, by shape.
constexpr StructureRow kStructureKeys[] = {
    {LineKind::moduleLine, kModuleKey},
    {LineKind::endLine, "ENDMODULE"},
    {LineKind::prmStart, "PRMSTART"},
    {LineKind::prmEnd, "PRMEND"},
    {LineKind::descriptionLine, "9."},
};

// The bytes a key or a section header can begin with. Most code and comment
// lines begin with none of them and are content after one look.
constexpr std::array<bool, 256> kKeyStarts = [] {
  std::array<bool, 256> starts{};
  for (const HeaderRow& row : kHeaderKeys) starts[static_cast<unsigned char>(row.text[0])] = true;
  for (const StructureRow& row : kStructureKeys) starts[static_cast<unsigned char>(row.text[0])] = true;
  for (char digit = '1'; digit <= '8'; ++digit) starts[static_cast<unsigned char>(digit)] = true;
  return starts;
}();

}  // namespace

bool isNameChar(char c) { return (c >= 'A' && c <= 'Z') || c == '_' || c == '/'; }

std::string_view headerKeyText(HeaderKey key) {
  for (const HeaderRow& row : kHeaderKeys)
    if (row.key == key) return row.text;
  return {};
}

std::string_view keyValue(std::string_view line, std::size_t keyLength) {
  if (line.size() <= keyLength + 1) return {};
  return line.substr(keyLength, line.size() - keyLength - 1);
}

ClassifiedLine classifyLine(std::string_view line) {
  ClassifiedLine result;
  if (line.empty() || !kKeyStarts[static_cast<unsigned char>(line[0])]) return result;
  for (const HeaderRow& row : kHeaderKeys) {
    if (line.starts_with(row.text)) {
      result.header = row.key;
      result.headerValue = keyValue(line, row.text.size());
      break;
    }
  }
  for (const StructureRow& row : kStructureKeys) {
    if (line.starts_with(row.text)) {
      result.kind = row.kind;
      return result;
    }
  }
  if (line.size() >= 2 && line[0] >= '1' && line[0] <= '8' && line[1] == '.') {
    result.kind = LineKind::sectionHeader;
    result.section = line[0] - '0';
  }
  return result;
}

int parseRevision(std::string_view value) {
  std::size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || (value[i] >= '\t' && value[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  long long magnitude = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (value[i] - '0');
    if (magnitude > static_cast<long long>(INT_MAX) + 1) magnitude = static_cast<long long>(INT_MAX) + 1;
  }
  long long signedValue = negative ? -magnitude : magnitude;
  return static_cast<int>(std::clamp<long long>(signedValue, INT_MIN, INT_MAX));
}

std::string_view moduleName(std::string_view moduleLine) {
  constexpr std::size_t start = kModuleKey.size();
  std::size_t end = start;
  while (end < moduleLine.size() && isNameChar(moduleLine[end])) ++end;
  return start <= moduleLine.size() ? moduleLine.substr(start, end - start) : std::string_view{};
}

std::size_t usesPosition(std::string_view moduleLine) { return moduleLine.find("uses"); }

std::string_view moduleUsesText(std::string_view moduleLine) {
  std::size_t at = usesPosition(moduleLine);
  if (at == std::string_view::npos) return {};
  // Skip "uses" and its separator; keep everything up to the last character.
  return keyValue(moduleLine, at + 5);
}

std::string_view descriptionText(std::string_view descriptionLine) { return keyValue(descriptionLine, 3); }

bool isRs08MenuName(std::string_view menuName) { return menuName.starts_with("RS"); }

bool matchesMcuPattern(std::string_view fileName, bool ignoreCase) {
  if (fileName.size() < 8) return false;
  const auto same = [ignoreCase](std::string_view text, std::string_view pattern) {
    if (!ignoreCase) return text == pattern;
    return std::equal(text.begin(), text.end(), pattern.begin(), pattern.end(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
  };
  return same(fileName.substr(0, 4), "MCU_") && same(fileName.substr(fileName.size() - 4), ".txt");
}

std::string fileTitle(std::string_view fileName) {
  std::size_t dot = fileName.rfind('.');
  return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

}  // namespace forgeline
