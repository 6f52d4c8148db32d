#include "session/WizardSession.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/Wizard.h"
#include "generate/ProjectBuilder.h"

namespace forgeline {

// The session's record of the controls, passing every request on to the
// face that shows them.
class WizardSession::Dialog : public DialogModel {
 public:
  explicit Dialog(DialogPort* face) : DialogModel(face ? face->applicationName() : "forgeline"), face_(face) {}

  void setCaption(ControlId control, const std::string& text) override {
    DialogModel::setCaption(control, text);
    if (face_) face_->setCaption(control, text);
  }
  void setVisible(ControlId control, bool visible) override {
    DialogModel::setVisible(control, visible);
    if (face_) face_->setVisible(control, visible);
  }
  void setEnabled(ControlId control, bool enabled) override {
    DialogModel::setEnabled(control, enabled);
    if (face_) face_->setEnabled(control, enabled);
  }
  void setMarked(ControlId control, bool marked) override {
    DialogModel::setMarked(control, marked);
    if (face_) face_->setMarked(control, marked);
  }
  bool isMarked(ControlId control) const override {
    return face_ ? face_->isMarked(control) : DialogModel::isMarked(control);
  }
  void setProjectNameText(const std::string& text) override {
    DialogModel::setProjectNameText(text);
    if (face_) face_->setProjectNameText(text);
  }
  std::string projectNameText() const override {
    return face_ ? face_->projectNameText() : DialogModel::projectNameText();
  }
  void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    DialogModel::showMessage(text, caption, icon);
    if (face_) face_->showMessage(text, caption, icon);
  }
  void requestRepaint() override {
    DialogModel::requestRepaint();
    if (face_) face_->requestRepaint();
  }
  void endDialog() override {
    DialogModel::endDialog();
    if (face_) face_->endDialog();
  }

  // A box the face flipped itself: the record learns its new mark.
  void syncMark(ControlId control) { DialogModel::setMarked(control, isMarked(control)); }

 private:
  DialogPort* face_;
};

WizardNotes notesFor(const WizardState& state) {
  return {state.descriptionText, state.chosenCount >= 2 ? kMultipleModulesWarning : ""};
}

WizardSession::WizardSession(FileSystem& fs, const Clock& clock, WizardState* state)
    : ownState_(state ? nullptr : WizardState::createInLargePages()),
      state_(state ? state : ownState_.get()),
      dialog_(std::make_unique<Dialog>(nullptr)),
      fs_(fs),
      clock_(clock) {}

WizardSession::WizardSession(DialogPort& face, FileSystem& fs, const Clock& clock, WizardState* state)
    : WizardSession(fs, clock, state) {
  dialog_ = std::make_unique<Dialog>(&face);
}

WizardSession::~WizardSession() = default;

const DialogModel& WizardSession::dialog() const { return *dialog_; }

namespace {

std::optional<int> indexNamed(const std::string& name) {
  if (name.size() < 2 || name.front() != '#') return std::nullopt;
  int value = 0;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
    value = std::min(value * 10 + (name[i] - '0'), 1000000);
  }
  return value;
}

}  // namespace

int WizardSession::mcuNamed(const std::string& name) const {
  if (const std::optional<int> index = indexNamed(name)) return *index;
  for (int i = 0; i < state_->mcuCount; ++i)
    if (control(mcuButton(i)).caption == name) return i;
  return -1;
}

int WizardSession::moduleBoxNamed(const std::string& name) const {
  if (const std::optional<int> index = indexNamed(name)) return *index;
  for (int i = 0; i < kMaxModules; ++i) {
    const ControlState& box = control(moduleBox(i));
    if (box.visible && box.caption == name) return i;
  }
  return -1;
}

bool WizardSession::ended() const { return dialog_->ended(); }

bool WizardSession::open() {
  initialiseWizard(*state_, *dialog_, fs_);
  return !ended();
}

bool WizardSession::chooseMcu(int index) {
  if (index < 0 || index >= state_->mcuCount) return false;
  loadMcuDescription(*state_, *dialog_, fs_, index, LoadMode::previewMode);
  return true;
}

ClickOutcome WizardSession::clickModule(int index) {
  if (index < 0 || index >= kMaxModules) return ClickOutcome::noSuchBox;
  const ControlState& box = dialog_->control(moduleBox(index));
  if (!box.visible) return ClickOutcome::hidden;
  if (!box.enabled) return ClickOutcome::disabled;
  // A check box flips its own mark before the click reaches the program.
  dialog_->setMarked(moduleBox(index), !dialog_->isMarked(moduleBox(index)));
  toggleModule(*state_, *dialog_, index);
  return ClickOutcome::done;
}

void WizardSession::moduleBoxFlipped(int index) {
  if (index < 0 || index >= kMaxModules) return;
  dialog_->syncMark(moduleBox(index));
  toggleModule(*state_, *dialog_, index);
}

void WizardSession::typeProjectName(const std::string& name) { dialog_->setProjectNameText(name); }

bool WizardSession::pressBuild() {
  const std::size_t before = dialog_->messages().size();
  buildProject(*state_, *dialog_, fs_, clock_);
  return ended() && !state_->buildFailed && dialog_->messages().size() == before + 1;
}

}  // namespace forgeline
