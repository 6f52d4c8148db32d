#include "core/WizardState.h"

#include <new>

#include "core/KeyFileFormat.h"
#include "core/LargePages.h"

namespace forgeline {

namespace {

// The record and the most its code lines can take: every section and INIT
// line at capacity, each a whole piece with its line end.
constexpr std::size_t kCodeLineRoom =
    (kSectionCount * kMaxSectionLines + kMaxInitLines) * (LineReader::kMaxPiece + 1);
constexpr std::size_t kBlockSize = sizeof(WizardState) + kCodeLineRoom;
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
  state->codeLineText.lend(static_cast<char*>(block) + sizeof(WizardState), kCodeLineRoom);
  return Owned(state);
}

void WizardState::Release::operator()(WizardState* state) const noexcept {
  state->~WizardState();
  releaseLargePages(state, kBlockSize);
}

}  // namespace forgeline
