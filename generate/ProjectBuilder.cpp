#include "generate/ProjectBuilder.h"

namespace forgeline {

void buildProject(WizardState& state, DialogPort& dialog, FileSystem& fs, const Clock& clock) {
  (void)state, (void)dialog, (void)fs, (void)clock;
}

}  // namespace forgeline
