#include "generate/TextFileWriter.h"

#include <algorithm>
#include <utility>

namespace forgeline {

TextFileWriter::TextFileWriter(FileSystem& fs, std::string fileName)
    : file_(fs.openForWriting(fileName)), fileName_(std::move(fileName)) {}

void TextFileWriter::write(std::string_view text) {
  if (!file_ || failed_ || text.empty()) return;
  // The text goes out in chunks, so a big main.c is never held twice.
  constexpr std::size_t kChunk = 65536;
  std::string bytes;
  bytes.reserve(std::min(text.size() + text.size() / 16, kChunk + kChunk / 16));
  for (std::size_t from = 0; from < text.size() && !failed_;) {
    const std::size_t lf = std::min(text.find('\n', from), text.size());
    bytes.append(text, from, lf - from);
    if (lf < text.size()) bytes.append("\r\n");
    from = lf + 1;
    if (bytes.size() >= kChunk || from >= text.size()) {
      if (!file_->write(bytes)) failed_ = true;
      bytes.clear();
    }
  }
}

WriteOutcome TextFileWriter::close() {
  if (!file_) return {WriteStatus::notCreated, fileName_};
  // A file that lost bytes is dropped unclosed, so it never takes its name.
  const bool closed = !failed_ && file_->close();
  file_.reset();
  if (!closed) return {WriteStatus::notWritten, fileName_};
  return {WriteStatus::written, fileName_};
}

WriteOutcome writeTextFile(FileSystem& fs, const std::string& fileName, std::string_view text) {
  TextFileWriter writer(fs, fileName);
  writer.write(text);
  return writer.close();
}

}  // namespace forgeline
