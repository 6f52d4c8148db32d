#include "generate/TextFileWriter.h"

#include <utility>

namespace forgeline {

TextFileWriter::TextFileWriter(FileSystem& fs, std::string fileName)
    : file_(fs.openForWriting(fileName)), fileName_(std::move(fileName)) {}

void TextFileWriter::write(std::string_view text) {
  if (!file_ || failed_ || text.empty()) return;
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  if (!file_->write(bytes)) failed_ = true;
}

WriteOutcome TextFileWriter::close() {
  if (!file_) return {WriteStatus::notCreated, fileName_};
  const bool closed = file_->close();
  file_.reset();
  if (failed_ || !closed) return {WriteStatus::notWritten, fileName_};
  return {WriteStatus::written, fileName_};
}

WriteOutcome writeTextFile(FileSystem& fs, const std::string& fileName, std::string_view text) {
  TextFileWriter writer(fs, fileName);
  writer.write(text);
  return writer.close();
}

}  // namespace forgeline
