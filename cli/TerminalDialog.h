// The dialog of the command line: the in-memory controls of DialogModel, and
// every message box the window would show printed as one line
// "CAPTION: TEXT", at the moment it is shown.
#pragma once

#include <ostream>
#include <string>

#include "core/DialogModel.h"

namespace forgeline::cli {

inline constexpr const char* kProgramName = "forgeline-cli";

class TerminalDialog : public DialogModel {
 public:
  explicit TerminalDialog(std::ostream& messages) : DialogModel(kProgramName), messages_(messages) {}

  void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;

 private:
  std::ostream& messages_;
};

}  // namespace forgeline::cli
