#include "core/KeyFileFormat.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace forgeline {

LineReader::LineReader(InputFile& input) : input_(input) {}

int LineReader::peekRaw() {
  if (pos_ == end_) {
    if (eof_) return -1;
    end_ = input_.read(buffer_, readSize_);
    readSize_ = std::min(2 * readSize_, sizeof buffer_);
    pos_ = 0;
    if (end_ == 0) {
      eof_ = true;
      return -1;
    }
  }
  return static_cast<unsigned char>(buffer_[pos_]);
}

int LineReader::get() {
  int c = peekRaw();
  if (c < 0) return -1;
  ++pos_;
  // Text mode: a CR directly followed by LF reaches the reader as the LF.
  if (c == '\r' && peekRaw() == '\n') {
    ++pos_;
    return '\n';
  }
  return c;
}

bool LineReader::next(std::string& piece) {
  piece.clear();
  pieceLine_ = nextLine_;
  pieceContinues_ = midLine_;
  bool lineEnded = false;
  while (!lineEnded && piece.size() < kMaxPiece && peekRaw() >= 0) {
    // Plain bytes up to the first LF or CR are taken in one go; only those
    // two need a closer look.
    const char* start = buffer_ + pos_;
    std::size_t limit = std::min(end_ - pos_, kMaxPiece - piece.size());
    auto before = [start](const void* found) { return static_cast<std::size_t>(static_cast<const char*>(found) - start); };
    if (const void* lf = std::memchr(start, '\n', limit)) limit = before(lf);
    if (const void* cr = std::memchr(start, '\r', limit)) limit = before(cr);
    piece.append(start, limit);
    pos_ += limit;
    if (piece.size() == kMaxPiece || pos_ == end_) continue;
    const int c = get();
    piece.push_back(static_cast<char>(c));
    lineEnded = c == '\n';
  }
  if (piece.empty()) return false;
  if (piece.back() == '\n') {
    ++nextLine_;
    midLine_ = false;
  } else {
    midLine_ = true;
  }
  return true;
}

std::size_t StringInput::read(char* buffer, std::size_t size) {
  std::size_t n = std::min(size, bytes_.size() - pos_);
  if (n != 0) std::memcpy(buffer, bytes_.data() + pos_, n);
  pos_ += n;
  return n;
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

bool matchesMcuPattern(std::string_view fileName) {
  return fileName.size() >= 8 && fileName.starts_with("MCU_") && fileName.ends_with(".txt");
}

std::string fileTitle(std::string_view fileName) {
  std::size_t dot = fileName.rfind('.');
  return std::string(dot == std::string_view::npos ? fileName : fileName.substr(0, dot));
}

}  // namespace forgeline
