#include "core/WizardState.h"

#include <new>

#include "core/AddressPoison.h"
#include "core/KeyFileFormat.h"
#include "core/LargePages.h"

namespace forgeline {

namespace {

// The record and the most its code lines can take: every section and INIT
// line at capacity, each a whole piece with its line end.
constexpr std::size_t kCodeLineRoom =
    (kSectionCount * kMaxSectionLines + kMaxInitLines) * (LineReader::kMaxPiece + 1);
// Under AddressSanitizer a gap that nothing uses keeps the record and its
// lines apart, so that a write past the record's end is reported even when
// lines fill the room right after it.
constexpr std::size_t kRecordGap = kAddressSanitizer ? 64 : 0;
constexpr std::size_t kBlockSize = sizeof(WizardState) + kRecordGap + kCodeLineRoom;
static_assert(kBlockSize <= kLargePageSize);

}  // namespace

WizardState::Owned WizardState::createInLargePages() {
  void* block = allocateLargePages(kBlockSize);
  WizardState* state = nullptr;
  try {
    state = new (block) WizardState;
  } catch (...) {
    releaseLargePages(block, kBlockSize);
    throw;
  }
  char* const recordEnd = static_cast<char*>(block) + sizeof(WizardState);
  poisonRoom(recordEnd, kRecordGap);
  state->codeLineText.lend(recordEnd + kRecordGap, kCodeLineRoom);
  return Owned(state);
}

void WizardState::Release::operator()(WizardState* state) const noexcept {
  state->~WizardState();
  releaseLargePages(state, kBlockSize);
}

}  // namespace forgeline
