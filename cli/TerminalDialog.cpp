#include "cli/TerminalDialog.h"

namespace forgeline::cli {

void TerminalDialog::showMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  DialogModel::showMessage(text, caption, icon);
  // Flushed at once: a box is modal, so in a script its line must be out
  // before anything the program does after it.
  messages_ << caption << ": " << text << '\n' << std::flush;
}

}  // namespace forgeline::cli
