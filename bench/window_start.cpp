// How long the window takes to appear: starts the application as the
// wizard does, opens a dialog modally and ends the process right after the
// dialog's first frame has been painted, printing the milliseconds since
// main() began. Run from outside, the wall time of the whole process is the
// start-up a user waits for.
//   window_start wizard DIR   the wizard's window on DIR/KeyFiles
//   window_start empty        an empty QDialog, the floor
//   window_start label        a QDialog with one line of text: the floor
//                             with the font system that any text needs
#include <QDialog>
#include <QLabel>
#include <QMetaObject>
#include <QPaintEvent>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/ProjectWizardDialog.h"
#include "app/WizardApp.h"
#include "core/Clock.h"
#include "core/FileSystem.h"

namespace {

const auto kStart = std::chrono::steady_clock::now();

// The frame is complete once every widget of it has painted, that is when
// the event that brought the first paint has been handled: the report is
// queued behind it.
template <typename Dialog>
class FirstFrame : public Dialog {
 public:
  using Dialog::Dialog;

 protected:
  void paintEvent(QPaintEvent* event) override {
    Dialog::paintEvent(event);
    if (painted_) return;
    painted_ = true;
    QMetaObject::invokeMethod(
        this,
        [] {
          const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - kStart;
          std::printf("%.3f\n", elapsed.count());
          std::fflush(stdout);
          std::_Exit(0);
        },
        Qt::QueuedConnection);
  }

 private:
  bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  const bool wizard = argc == 3 && std::strcmp(argv[1], "wizard") == 0;
  const bool empty = argc == 2 && std::strcmp(argv[1], "empty") == 0;
  const bool label = argc == 2 && std::strcmp(argv[1], "label") == 0;
  if (!wizard && !empty && !label) {
    std::fprintf(stderr, "usage: window_start wizard DIR | window_start empty | window_start label\n");
    return 2;
  }
  int qtArgc = 1;
  forgeline::WizardApp app(qtArgc, argv);
  if (empty || label) {
    FirstFrame<QDialog> dialog;
    if (label) new QLabel(QStringLiteral("Forgeline"), &dialog);
    dialog.exec();
    return 1;
  }
  forgeline::RealFileSystem fs(argv[2]);
  forgeline::SystemClock clock;
  FirstFrame<forgeline::ProjectWizardDialog> dialog(fs, clock);
  dialog.run();
  return 1;
}
