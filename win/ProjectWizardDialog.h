// The wizard's one window as a Win32 dialog made from its template: each
// click handed to the wizard's logic, the red notes painted, About in the
// system menu and on F1.
#pragma once

#include <windows.h>

#include <memory>

#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/WizardState.h"
#include "session/WizardSession.h"
#include "win/Win32DialogPort.h"

namespace forgeline {

class ProjectWizardDialog {
 public:
  // `fs` starts in the directory that holds KeyFiles; both must outlive the
  // dialog.
  ProjectWizardDialog(FileSystem& fs, const Clock& clock);
  ~ProjectWizardDialog();
  ProjectWizardDialog(const ProjectWizardDialog&) = delete;
  ProjectWizardDialog& operator=(const ProjectWizardDialog&) = delete;

  // Creates the window, still hidden, and runs the opening: title, defaults
  // and the catalogue scan. False when the scan gave up; the window is then
  // never shown.
  bool open();
  // The opening, then the window shown and run until it ends. Returns
  // IDCANCEL, the one way the dialog ever ends.
  int run();
  // Handles every message already queued for this thread the way the run
  // does, without waiting for more.
  void processQueuedMessages();

  bool ended() const { return ended_; }
  HWND window() const { return window_; }
  Win32DialogPort& port() { return *port_; }
  const WizardState& state() const { return *state_; }

  // Where a red note is drawn: `at` is its place in client pixels in a
  // window of 8-point "MS Shell Dlg" at 96 dots per inch, moved with this
  // window's dialog units so it keeps its place among the controls.
  POINT notePosition(POINT at) const;

  void showAbout();

 private:
  static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
  void initialise();
  bool translateKey(MSG& message);
  void handleQueued(MSG& message);
  void onCommand(int id, int notification);
  void paint();
  void paintNotes(HDC dc) const;
  void end();
  void endIfRequested();

  FileSystem& fs_;
  const Clock& clock_;
  // Heap-held: the section tables alone take 128,000 bytes (8 sections of
  // 1,000 line views), the state as a whole some 135 KB.
  std::unique_ptr<WizardState> state_;
  std::unique_ptr<Win32DialogPort> port_;
  // The wizard itself; this window only turns its clicks into the session's events.
  std::unique_ptr<WizardSession> session_;
  HWND window_ = nullptr;
  HICON largeIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool ended_ = false;
};

}  // namespace forgeline
