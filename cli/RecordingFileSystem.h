// The disk of a dry run: the overlay over the real disk, so key files and
// templates are read from the disk while every change stays in memory. Each
// change that would reach the disk is reported as one line, in the order it
// happens:
//
//   mkdir PATH
//   write PATH (N bytes)
//   copy SOURCE -> PATH
//
// PATH and SOURCE are relative to the directory the recording started in,
// "/"-separated, with ".." steps for places outside it and "." for that
// directory itself; the last part of a path is the name as given, its folders
// are resolved the way the disk keeps its working directory (logically, as a
// shell's cd does: ".." takes away the last name).
// A failed operation changes nothing and reports nothing, so the lines are
// exactly what a real run would leave behind.
#pragma once

#include <functional>
#include <string>

#include "core/OverlayFileSystem.h"

namespace forgeline::cli {

class RecordingFileSystem : public OverlayFileSystem {
 public:
  using Reporter = std::function<void(const std::string& line)>;

  // Starts in `disk`'s working directory. `disk` is only read.
  RecordingFileSystem(FileSystem& disk, Reporter report);

  // `absolutePath` as the report shows it.
  std::string shown(const std::string& absolutePath) const;

 protected:
  void madeDirectory(const std::string& path) override;
  void copied(const std::string& from, const std::string& to) override;
  void wrote(const std::string& path, std::size_t size) override;

 private:
  Reporter report_;
  std::string start_;
};

}  // namespace forgeline::cli
