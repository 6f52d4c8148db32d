#include "win/ControlIds.h"

#include "core/WizardState.h"
#include "win/resource.h"

namespace forgeline {

namespace {

// Each group's ids run in two blocks: the first 24 indices, then the rest
// after a gap that the other group's first block fills.
struct IdBlocks {
  ControlGroup group;
  int count;
  int firstBlockStart;
  int secondBlockStart;  // id of index 24
};

constexpr int kFirstBlockSize = 24;

constexpr IdBlocks kIdBlocks[] = {
    {ControlGroup::mcuButtons, kMaxMcus, IDC_MCU_BUTTON_FIRST, 1050},
    {ControlGroup::moduleBoxes, kMaxModules, IDC_MODULE_BOX_FIRST, 1076},
};

int blockId(const IdBlocks& blocks, int index) {
  if (index < kFirstBlockSize) return blocks.firstBlockStart + index;
  return blocks.secondBlockStart + index - kFirstBlockSize;
}

}  // namespace

int controlId(ControlId control) {
  for (const IdBlocks& blocks : kIdBlocks)
    if (control.group == blocks.group) return control.index >= 0 && control.index < blocks.count ? blockId(blocks, control.index) : 0;
  switch (control.group) {
    case ControlGroup::buildButton:
      return IDC_BUILD;
    case ControlGroup::mcuGroup:
      return IDC_MCU_GROUP;
    case ControlGroup::projectNameBox:
      return IDC_PROJECT_NAME;
    default:
      return 0;
  }
}

std::optional<ControlId> clickableControl(int id) {
  for (const IdBlocks& blocks : kIdBlocks) {
    int index = id - blocks.firstBlockStart;
    if (index >= kFirstBlockSize || index < 0) index = id - blocks.secondBlockStart + kFirstBlockSize;
    if (index >= 0 && index < blocks.count && blockId(blocks, index) == id) return ControlId{blocks.group, index};
  }
  return std::nullopt;
}

int twrpiBoxId(int index) { return IDC_TWRPI_BOX_FIRST + index; }

}  // namespace forgeline
