// The dialog of the command line: the in-memory controls of DialogModel, and
// every message box the window would show printed as one line
// "CAPTION: TEXT", at the moment it is shown.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "core/DialogModel.h"

namespace forgeline::cli {

inline constexpr const char* kProgramName = "forgeline-cli";

class TerminalDialog : public DialogModel {
 public:
  explicit TerminalDialog(std::ostream& messages) : DialogModel(kProgramName), messages_(messages) {}

  void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;

  // From here on each message's line waits, until release() prints the
  // lines waiting (`print`) or drops them: -q keeps what a build that
  // succeeded says to itself.
  void hold() { holding_ = true; }
  void release(bool print);

 private:
  std::ostream& messages_;
  bool holding_ = false;
  std::vector<std::string> held_;
};

}  // namespace forgeline::cli
