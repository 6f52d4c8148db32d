// Which control of the dialog template stands for which control the wizard's
// logic addresses, in both directions.
#pragma once

#include <optional>

#include "core/DialogPort.h"

namespace forgeline {

inline constexpr int kTwrpiBoxes = 25;

// The template's id of a control; 0 for the window itself (it has none).
int controlId(ControlId control);

// The control behind a template id, for the two groups whose clicks the
// logic handles (MCU buttons and module boxes); nullopt for every other id.
std::optional<ControlId> clickableControl(int id);

// The id of TWRPI box `index` (0-24), which the logic never addresses.
int twrpiBoxId(int index);

}  // namespace forgeline
