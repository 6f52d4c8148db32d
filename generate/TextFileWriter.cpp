#include "generate/TextFileWriter.h"

#include <algorithm>
#include <utility>

namespace forgeline {

namespace {

constexpr std::size_t kChunk = 65536;

}  // namespace

TextFileWriter::TextFileWriter(FileSystem& fs, std::string fileName)
    : file_(fs.openForWriting(fileName)), fileName_(std::move(fileName)) {
  // Room for a chunk and the line that completes it, taken once: grown by
  // doubling, the buffer would touch some 190 KB of fresh memory per file.
  // It stays under the size the allocator maps afresh for every file.
  if (file_) pending_.reserve(kChunk + kChunk / 4);
}

void TextFileWriter::write(std::string_view text) {
  if (!file_) return;
  while (!text.empty() && !failed_) {
    const std::size_t lf = std::min(text.find('\n'), text.size());
    pending_.append(text.substr(0, lf));
    if (lf < text.size()) pending_.append("\r\n");
    text.remove_prefix(std::min(lf + 1, text.size()));
    if (pending_.size() >= kChunk) flush();
  }
}

void TextFileWriter::flush() {
  if (!pending_.empty() && !failed_ && !file_->write(pending_)) failed_ = true;
  pending_.clear();
}

WriteOutcome TextFileWriter::close() {
  if (!file_) return {WriteStatus::notCreated, fileName_};
  flush();
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
