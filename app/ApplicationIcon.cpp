#include "app/ApplicationIcon.h"

// Q_INIT_RESOURCE declares a function of the global namespace, so it must be
// used outside ours.
static void registerIconResource() { Q_INIT_RESOURCE(forgeline); }

namespace forgeline {

QIcon applicationIcon() {
  static const bool registered = (registerIconResource(), true);
  (void)registered;
  return QIcon(QStringLiteral(":/forgeline/forgeline.png"));
}

}  // namespace forgeline
