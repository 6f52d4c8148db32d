// The wizard's one window: the MCU buttons, the module boxes, the project
// name and the Build button, each click handed to the wizard's logic.
#pragma once

#include <QDialog>
#include <QPoint>
#include <memory>

#include "app/QtDialogPort.h"
#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/WizardState.h"
#include "session/WizardSession.h"

class QAction;
class QButtonGroup;

namespace forgeline {

class ProjectWizardDialog : public QDialog {
  Q_OBJECT

 public:
  // `fs` starts in the directory that holds KeyFiles; both must outlive the
  // dialog.
  ProjectWizardDialog(FileSystem& fs, const Clock& clock, QWidget* parent = nullptr);
  ~ProjectWizardDialog() override;

  // The opening: title, defaults and the catalogue scan. False when the scan
  // gave up; the dialog must then never be shown.
  bool initialise();
  // The opening, then the modal run; always ends with Rejected.
  int run();

  QtDialogPort& port() { return *port_; }
  const WizardState& state() const { return session_->state(); }

  // The two red lines: the selected module's description and, for two or
  // more ticked modules, the warning that only an empty project follows.
  void paintNotes(QPainter& painter) const;
  // Where paintNotes puts the top-left corners of the two lines.
  QPoint descriptionAt() const { return descriptionAt_; }
  QPoint warningAt() const { return warningAt_; }

 public slots:
  void showAbout();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void createControls();
  void placeNotes(int nameRowBottom);
  void onMcuClicked(int index);
  void onModuleClicked(int index);
  void onBuildClicked();
  void endIfRequested();

  WizardControls controls_;
  std::unique_ptr<QtDialogPort> port_;
  std::unique_ptr<WizardSession> session_;
  QButtonGroup* mcuButtonGroup_ = nullptr;
  QAction* aboutAction_ = nullptr;
  QPoint descriptionAt_;
  QPoint warningAt_;
};

}  // namespace forgeline
