// Fuzzes the line reader. In memory it must hand back exactly the bytes of
// the file, CR LF folded to LF, in pieces the classifier can take, with line
// numbers that count line ends. From a file of the real disk, read through
// the reader's 64 KB buffer, it must hand over the same pieces, line numbers
// and continuation marks, with reads cut by the input's schedule of sizes (so
// that the buffer refills at odd places), right after each CR (so that every
// CR LF pair is split between two reads), and in the reader's own sizes.
// Input: byte 0's low three bits are the schedule's length (0 to 7 sizes);
// each size is then two bytes, low byte first, giving 1 to 65536.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"

using namespace forgeline;
using namespace forgeline::fuzz;

namespace {

// At most this many cuts, so that tiny reads cannot make a long file cost
// a system call a byte; past the last cut the reader's own sizes rule.
constexpr std::size_t kMaxCuts = 2048;

// Hands over another file's bytes, and no read goes past the next cut (an
// offset in the file): the read there comes back short.
class CutInput : public InputFile {
 public:
  CutInput(InputFile& file, const std::vector<std::size_t>& cuts) : file_(file), cuts_(cuts) {}
  std::size_t read(char* buffer, std::size_t size) override {
    while (next_ < cuts_.size() && cuts_[next_] <= offset_) ++next_;
    if (next_ < cuts_.size()) size = std::min(size, cuts_[next_] - offset_);
    const std::size_t n = file_.read(buffer, size);
    offset_ += n;
    return n;
  }

 private:
  InputFile& file_;
  const std::vector<std::size_t>& cuts_;
  std::size_t next_ = 0;
  std::size_t offset_ = 0;
};

// One folder of the system's temporary directory for the whole run, removed
// when the run ends (a finding stops it where it stands and leaves it).
struct DiskFolder {
  static std::string make() {
    std::string pattern = (std::filesystem::temp_directory_path() / "forgeline-fuzz-XXXXXX").string();
    FORGELINE_FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
    return pattern;
  }
  ~DiskFolder() { std::filesystem::remove_all(path); }
  std::string path = make();
  RealFileSystem fs{path};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static DiskFolder disk;
  std::size_t used = 0;
  std::vector<std::size_t> schedule(size > 0 ? data[used++] & 7U : 0U);
  for (std::size_t& readSize : schedule) {
    std::size_t value = 0;
    for (int shift = 0; shift < 16; shift += 8)
      if (used < size) value |= static_cast<std::size_t>(data[used++]) << shift;
    readSize = value + 1;
  }
  const std::string bytes(reinterpret_cast<const char*>(data) + used, size - used);

  // Where reads must end: the schedule's, and right after each CR.
  std::vector<std::size_t> scheduled, afterCr, none;
  for (std::size_t at = 0; !schedule.empty() && at < bytes.size() && scheduled.size() < kMaxCuts;)
    scheduled.push_back(at += schedule[scheduled.size() % schedule.size()]);
  for (std::size_t i = 0; i < bytes.size() && afterCr.size() < kMaxCuts; ++i)
    if (bytes[i] == '\r') afterCr.push_back(i + 1);

  std::string folded;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') folded.push_back(bytes[i]);

  // Through the wizard's own file system, as a key file is written and opened.
  const std::unique_ptr<OutputFile> out = disk.fs.openForWriting("MCU_FUZZ.txt");
  FORGELINE_FUZZ_CHECK(out != nullptr && out->write(bytes) && out->close());
  for (const std::vector<std::size_t>* cuts : {&scheduled, &afterCr, &none}) {
    const std::unique_ptr<InputFile> file = disk.fs.openForReading("MCU_FUZZ.txt");
    FORGELINE_FUZZ_CHECK(file != nullptr);
    CutInput input(*file, *cuts);
    LineReader fromDisk(input);
    LineReader inMemory{std::string_view(bytes)};
    // Piece by piece, in step, so that only the joined text is stored.
    std::string_view expected, piece;
    std::string joined;
    int line = 1;
    for (;;) {
      const bool more = inMemory.next(expected);
      FORGELINE_FUZZ_CHECK(fromDisk.next(piece) == more && piece == expected);
      if (!more) break;
      checkPiece(piece);
      (void)classifyLine(piece);
      const bool midLine = !joined.empty() && joined.back() != '\n';
      FORGELINE_FUZZ_CHECK(inMemory.lineNumber() == line && inMemory.pieceIsContinuation() == midLine);
      FORGELINE_FUZZ_CHECK(fromDisk.lineNumber() == inMemory.lineNumber());
      FORGELINE_FUZZ_CHECK(fromDisk.pieceIsContinuation() == inMemory.pieceIsContinuation());
      // A piece ends at a line end or at the buffer's limit, never earlier.
      FORGELINE_FUZZ_CHECK(piece.back() == '\n' || piece.size() == LineReader::kMaxPiece ||
                           joined.size() + piece.size() == folded.size());
      joined += piece;
      if (piece.back() == '\n') ++line;
    }
    FORGELINE_FUZZ_CHECK(joined == folded && !fromDisk.next(piece) && piece.empty());
  }
  return 0;
}
