// The application's icon, for the window, the About box and the message boxes.
#pragma once

#include <QIcon>

namespace forgeline {

// The icon built into the program. The resource lives in a static library,
// where nothing would otherwise pull it into the program, so the first call
// registers it.
QIcon applicationIcon();

}  // namespace forgeline
