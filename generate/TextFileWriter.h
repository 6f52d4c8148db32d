// The one way a generated text file reaches the disk. Every generator hands
// its text here with "\n" line ends; the file gets "\r\n" for each of them,
// every other byte exactly as given ("%" included), and no byte-order mark.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/FileSystem.h"

namespace forgeline {

enum class WriteStatus { written, notCreated, notWritten };

struct WriteOutcome {
  WriteStatus status = WriteStatus::written;
  std::string fileName;  // the file the status is about
  bool ok() const { return status == WriteStatus::written; }
};

// The text is gathered and goes out in chunks: a small file in one write
// when it is closed, a big main.c in 64 KB pieces as it is composed.
class TextFileWriter {
 public:
  // Starts the file; it replaces one of that name only when closed whole.
  TextFileWriter(FileSystem& fs, std::string fileName);
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  // Adds `text`, each LF as CR LF. Does nothing on a file that did not
  // open or has already failed, so a broken file is never written further.
  void write(std::string_view text);
  // Writes what is left, closes the file and tells how the whole file
  // went; a file that could not be written whole is dropped instead of
  // closed.
  WriteOutcome close();

 private:
  void flush();
  std::unique_ptr<OutputFile> file_;
  std::string fileName_;
  std::string pending_;  // converted bytes not yet handed to the file
  bool failed_ = false;
};

// Writes all of `text` as `fileName` and closes it.
WriteOutcome writeTextFile(FileSystem& fs, const std::string& fileName, std::string_view text);

}  // namespace forgeline
