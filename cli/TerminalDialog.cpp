#include "cli/TerminalDialog.h"

#include <utility>

namespace forgeline::cli {

void TerminalDialog::showMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  DialogModel::showMessage(text, caption, icon);
  std::string line = caption + ": " + text + "\n";
  if (holding_) {
    held_.push_back(std::move(line));
    return;
  }
  // Flushed at once: a box is modal, so in a script its line must be out
  // before anything the program does after it.
  messages_ << line << std::flush;
}

void TerminalDialog::release(bool print) {
  holding_ = false;
  if (print)
    for (const std::string& line : held_) messages_ << line << std::flush;
  held_.clear();
}

}  // namespace forgeline::cli
