#include "core/DialogModel.h"

#include <stdexcept>
#include <utility>

namespace forgeline {

DialogModel::DialogModel(std::string applicationName) : applicationName_(std::move(applicationName)) {
  // The templates' own captions and initial states, before the wizard opens.
  for (int i = 0; i < kMaxMcus; ++i) mcuButtons_[static_cast<std::size_t>(i)].caption = "MCU" + std::to_string(i + 1);
  for (int i = 0; i < kMaxModules; ++i) {
    ControlState& box = moduleBoxes_[static_cast<std::size_t>(i)];
    box.caption = "Module" + std::to_string(i + 1);
    box.visible = false;
  }
  buildButton_.caption = "Build CW6.3 Project";
  buildButton_.enabled = false;
  mcuGroup_.caption = "MCU";
}

ControlState& DialogModel::slot(ControlId id) {
  return const_cast<ControlState&>(std::as_const(*this).control(id));
}

const ControlState& DialogModel::control(ControlId id) const {
  switch (id.group) {
    case ControlGroup::window:
      return window_;
    case ControlGroup::mcuButtons:
      if (id.index >= 0 && id.index < kMaxMcus) return mcuButtons_[static_cast<std::size_t>(id.index)];
      break;
    case ControlGroup::moduleBoxes:
      if (id.index >= 0 && id.index < kMaxModules) return moduleBoxes_[static_cast<std::size_t>(id.index)];
      break;
    case ControlGroup::buildButton:
      return buildButton_;
    case ControlGroup::mcuGroup:
      return mcuGroup_;
    case ControlGroup::projectNameBox:
      return projectNameBox_;
  }
  throw std::out_of_range("no such control");
}

void DialogModel::setCaption(ControlId control, const std::string& text) { slot(control).caption = text; }
void DialogModel::setVisible(ControlId control, bool visible) { slot(control).visible = visible; }
void DialogModel::setEnabled(ControlId control, bool enabled) { slot(control).enabled = enabled; }
void DialogModel::setMarked(ControlId control, bool marked) { slot(control).marked = marked; }
bool DialogModel::isMarked(ControlId control) const { return this->control(control).marked; }
void DialogModel::setProjectNameText(const std::string& text) { projectNameText_ = text; }
std::string DialogModel::projectNameText() const { return projectNameText_; }

void DialogModel::showMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  messages_.push_back({text, caption, icon});
}

void DialogModel::requestRepaint() { ++repaints_; }
void DialogModel::endDialog() { ended_ = true; }
std::string DialogModel::applicationName() const { return applicationName_; }

}  // namespace forgeline
