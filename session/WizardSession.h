// The wizard's window as a sequence of events: open, choose an MCU, click a
// module box, type the project name, press Build. Every face (the Qt window,
// the command line, the tests, the fuzzers, the bench) drives the wizard
// through this one object, so no face restates a rule; each only turns its
// own events into these calls and shows what the session asks through
// DialogPort.
#pragma once

#include <memory>
#include <string>

#include "core/Clock.h"
#include "core/DialogModel.h"
#include "core/DialogPort.h"
#include "core/FileSystem.h"
#include "core/WizardState.h"

namespace forgeline {

// The red lines under the name row: the description of the module clicked
// last, and the warning that only an empty project follows once two or more
// modules are ticked. "" for a line not shown.
struct WizardNotes {
  std::string description;
  std::string warning;
};
WizardNotes notesFor(const WizardState& state);

// Why a click on a module box did nothing: a window offers no such click.
enum class ClickOutcome { done, noSuchBox, hidden, disabled };

class WizardSession {
 public:
  // The session keeps every control's state in its own DialogModel. Given a
  // `face`, every request also goes there to be shown; a check box's mark is
  // then read back from the face, which may have flipped it itself. `state`
  // lets a caller provide the record (the fuzzers reuse one block); by
  // default the session holds its own. `fs`, `clock`, `face` and `state`
  // must outlive the session.
  WizardSession(FileSystem& fs, const Clock& clock, WizardState* state = nullptr);
  WizardSession(DialogPort& face, FileSystem& fs, const Clock& clock, WizardState* state = nullptr);
  ~WizardSession();
  WizardSession(const WizardSession&) = delete;
  WizardSession& operator=(const WizardSession&) = delete;

  // What the window does while it opens: title, defaults, the catalogue
  // scan. False when the scan gave up; it has then shown its message and
  // ended the dialog.
  bool open();

  // A click on MCU button `index`, also on the one already chosen. False,
  // doing nothing, for a button that is not shown.
  bool chooseMcu(int index);

  // A click on module box `index` of a face whose boxes do not flip
  // themselves: the box flips its own mark, then the INIT and uses rules
  // run. A hidden or disabled box takes no click.
  ClickOutcome clickModule(int index);
  // The same click on a face whose check box has flipped its mark already.
  void moduleBoxFlipped(int index);

  // The MCU button and the module box a user names in words: "#N", N a
  // decimal number, is index N whether or not it is shown (the click then
  // says why it is refused); anything else, "#" followed by a non-digit
  // included, is the first shown control with that caption. -1 when no
  // control is named; an index too large for any table comes back as one
  // that matches nothing.
  int mcuNamed(const std::string& name) const;
  int moduleBoxNamed(const std::string& name) const;

  // The next Build leaves the project's record (.forgeline/) out.
  void leaveOutRecord() { state_->keepRecord = false; }

  // Typed into the project-name box.
  void typeProjectName(const std::string& name);

  // The Build button. True when the build ended the dialog with the success
  // box as the one message it showed; any other box, a failed restore after
  // success included, makes it false.
  bool pressBuild();

  // True once the dialog has been ended (scan abort, success, main.c lost).
  bool ended() const;

  const WizardState& state() const { return *state_; }
  // What every face shows as red lines, and the command line as text.
  WizardNotes notes() const { return notesFor(*state_); }
  // The controls as the session has set them, and the message boxes shown.
  const DialogModel& dialog() const;
  const ControlState& control(ControlId id) const { return dialog().control(id); }

 private:
  class Dialog;

  WizardState::Owned ownState_;
  WizardState* state_;
  std::unique_ptr<Dialog> dialog_;
  FileSystem& fs_;
  const Clock& clock_;
};

}  // namespace forgeline
