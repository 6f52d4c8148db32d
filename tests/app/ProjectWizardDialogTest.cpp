// The Qt window driven as a user drives it (clicks and keys on the real
// widgets, found by their object names) through the scenarios both windows
// share, then what only it has: layout, elided captions, its message box.
#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>

#include "app/ElidingControls.h"
#include "app/ProjectWizardDialog.h"
#include "core/MemoryFileSystem.h"
#include "window/WindowScenarios.h"

using namespace forgeline;
using namespace forgeline::test;

namespace {

Box boxOf(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

// A dialog on a fresh folder, with message boxes recorded instead of shown.
struct QtWindow : WindowFixture {
  static constexpr const char* kProgram = "ProjectWizardDialogTest";

  explicit QtWindow(const std::map<std::string, std::string>& mcuFiles = kDemoOnly, bool withKeyFiles = true)
      : WindowFixture(mcuFiles, withKeyFiles), dialog(std::make_unique<ProjectWizardDialog>(fs, clock)),
        finished(dialog.get(), &QDialog::finished) {
    dialog->port().setMessageHandler([this](const QString& text, const QString& caption, MessageIcon icon) {
      const char* icons[] = {"none", "warning", "error"};
      record(caption.toStdString(), icons[int(icon)], text.toStdString(), dialog->isVisible());
    });
  }

  // Opens and shows it as the modal run would, without blocking.
  void open() {
    ASSERT_TRUE(dialog->initialise());
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  }
  // A run that gave up before showing the window never finished it either.
  std::string run() {
    return dialog->run() != QDialog::Rejected ? "accepted" : finished.isEmpty() ? "cancel" : "cancel, finished";
  }
  std::string ending() const {
    if (finished.isEmpty()) return "";
    return finished.count() == 1 && finished.at(0).at(0).toInt() == QDialog::Rejected ? "cancel" : "other";
  }

  template <typename T = QWidget>
  T* find(const QString& name) const {
    T* widget = dialog->findChild<T*>(name);
    if (!widget) qFatal("no widget %s", qPrintable(name));
    return widget;
  }
  QWidget* widget(ControlId c) const {
    const char* names[] = {"", "mcuButton%1", "moduleBox%1", "buildButton", "mcuGroup", "projectNameBox"};
    if (c.group == ControlGroup::window) return dialog.get();
    const QString name = QString::fromLatin1(names[int(c.group)]);
    return find(name.contains('%') ? name.arg(c.index) : name);
  }
  static QString caption(const QWidget* w) {
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
      return QString::fromStdString(withoutMnemonics(b->text().toStdString())) + (b->isChecked() ? "[x]" : "");
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return QString::fromStdString(withoutMnemonics(g->title().toStdString()));
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    return w->windowTitle();
  }
  std::string look(ControlId c) const {
    const QWidget* w = widget(c);
    return w->isVisible() ? (caption(w) + (w->isEnabled() ? "" : "#")).toStdString() : "";
  }
  // The caption as drawn, and the tooltip the control shows ("" for none).
  std::string drawn(ControlId c) const {
    const QWidget* w = widget(c);
    QString text;
    if (auto* radio = dynamic_cast<const ElidingButton<QRadioButton>*>(w)) text = radio->shownCaption();
    if (auto* box = dynamic_cast<const ElidingButton<QCheckBox>*>(w)) text = box->shownCaption();
    if (auto* frame = dynamic_cast<const ElidingGroupBox*>(w)) text = frame->shownCaption();
    return withoutMnemonics(text.toStdString());
  }
  std::string tip(ControlId c) const {
    QWidget* w = widget(c);
    QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(w, &event);
    const std::string shown = QToolTip::isVisible() ? QToolTip::text().toStdString() : "";
    QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    return shown;
  }
  bool extrasShown() const {
    bool any = find(QStringLiteral("okButton"))->isVisible() || find(QStringLiteral("cancelButton"))->isVisible();
    for (int i = 0; i < 25; ++i) any = any || find(QStringLiteral("twrpiBox%1").arg(i))->isVisible();
    return any;
  }
  bool hasIcon() const { return !dialog->windowIcon().pixmap(32).isNull(); }
  // Every control's look, to tell that nothing changed.
  std::vector<std::string> controlStates() const {
    std::vector<std::string> states;
    for (const QWidget* w : dialog->findChildren<QWidget*>())
      states.push_back((w->objectName() + (w->isVisibleTo(dialog.get()) ? " shown " : " hidden ") +
                        (w->isEnabled() ? "enabled " : "disabled ") + caption(w))
                           .toStdString());
    return states;
  }

  void click(ControlId c) {
    QWidget* button = widget(c);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2));
  }
  void typeKeys(const std::string& text) {
    QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(text));
  }
  bool focused(ControlId c) const { return QApplication::focusWidget() == widget(c); }
  void type(const std::string& text) { find<QLineEdit>(QStringLiteral("projectNameBox"))->setText(QString::fromStdString(text)); }
  // What About showed, if the key opened it.
  std::string press(ControlId focus, Key key) {
    if (key == Key::close) {
      EXPECT_TRUE(dialog->close());
      return "";
    }
    widget(focus)->setFocus();
    if (key == Key::f1 || key == Key::aboutEntry) return about(key == Key::aboutEntry);
    const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Up,
                            Qt::Key_Down,   Qt::Key_Left,  Qt::Key_Right};
    QTest::keyClick(widget(focus), keys[int(key)]);
    return "";
  }

  // Opens the context menu; `inMenu` runs while it is open.
  void contextMenu(const std::function<void(QMenu&)>& inMenu) {
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu) inMenu(*menu);
      if (menu && menu->isVisible()) menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), dialog->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(dialog.get(), &event);
  }
  std::string aboutEntry() {
    std::string entries;
    contextMenu([&](QMenu& menu) {
      for (QAction* action : menu.actions()) entries += (entries.empty() ? "" : "|") + action->text().toStdString();
    });
    return entries;
  }
  std::string about(bool fromMenu) {
    std::string seen;
    const auto readWhenOpen = [&] {
      QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || box == dialog.get()) return;
        auto* ok = box->findChild<QPushButton*>(QStringLiteral("okButton"));
        seen = (box->windowTitle() + "|" + box->findChild<QLabel*>(QStringLiteral("aboutText"))->text() + "|" +
                (ok->isDefault() ? "default" : "") + "|" +
                (box->findChild<QLabel*>(QStringLiteral("aboutIcon"))->pixmap().isNull() ? "" : "icon"))
                   .toStdString();
        QTest::mouseClick(ok, Qt::LeftButton);
      });
    };
    if (!fromMenu) {
      readWhenOpen();
      QTest::keyClick(dialog.get(), Qt::Key_F1);
    }
    if (fromMenu) contextMenu([&](QMenu& menu) {
        readWhenOpen();
        menu.setActiveAction(menu.actions().value(0));
        QTest::keyClick(&menu, Qt::Key_Return);
      });
    return seen;
  }

  Box place(ControlId c) const { return boxOf(widget(c)->geometry()); }
  std::vector<Box> frames() const {
    std::vector<Box> boxes;
    for (const QGroupBox* frame : dialog->findChildren<QGroupBox*>()) boxes.push_back(boxOf(frame->geometry()));
    return boxes;
  }
  int lineHeight() const { return dialog->fontMetrics().height(); }
  Box noteAt(Note note) const {
    const QPoint at = note == Note::description ? dialog->descriptionAt() : dialog->warningAt();
    return {at.x(), at.y(), at.x(), at.y()};
  }
  Pixels picture() const {
    const QImage image = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    Pixels pixels{image.width(), image.height(), image.devicePixelRatio(), {}};
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) pixels.rgb.push_back(image.pixel(x, y) & 0xFFFFFF);
    return pixels;
  }
  const WizardState& state() const { return dialog->state(); }

  std::unique_ptr<ProjectWizardDialog> dialog;
  QSignalSpy finished;
};

}  // namespace

namespace forgeline::test {
INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowScenarios, QtWindow);
}

// Every control inside its frame, no two overlapping, the name box below its
// frame's caption and border whatever the style, the notes at their pixels.
TEST(QtWizardDialog, ControlsSitInsideTheirFrames) {
  QtWindow w;
  w.open();
  const auto frame = [&](const char* name) { return w.find<QGroupBox>(QString::fromLatin1(name)); };
  for (int i = 0; i < kMaxMcus; ++i) {
    const QRect mcu = w.widget(mcuButton(i))->geometry(), box = w.widget(moduleBox(i))->geometry();
    EXPECT_TRUE(frame("mcuGroup")->geometry().contains(mcu) && frame("modulesGroup")->geometry().contains(box)) << i;
    EXPECT_TRUE(i == 0 || !(w.widget(mcuButton(i - 1))->geometry().intersects(mcu) ||
                            w.widget(moduleBox(i - 1))->geometry().intersects(box)))
        << i;
  }
  for (int i = 0; i < 25; ++i)
    EXPECT_TRUE(frame("twrpiGroup")->geometry().contains(w.find(QStringLiteral("twrpiBox%1").arg(i))->geometry()));
  const QRect insideNameFrame =
      frame("projectNameGroup")->contentsRect().translated(frame("projectNameGroup")->geometry().topLeft());
  EXPECT_TRUE(insideNameFrame.contains(w.widget(kProjectNameBox)->geometry())) << insideNameFrame.top();
  EXPECT_TRUE(w.dialog->rect().contains(frame("twrpiGroup")->geometry()));
  EXPECT_EQ(w.dialog->descriptionAt(), QPoint(20, 60));
  EXPECT_EQ(w.dialog->warningAt(), QPoint(20, 80));
}

// Captions too long for their control: every control keeps its laid-out
// size, its accessible name carries the whole caption and nothing repeats it
// as a description, and a cut caption is drawn with an ellipsis, never cut
// mid-letter. The name box is named for a screen reader.
TEST(QtWizardDialog, LongCaptionsAreReadWholeInAccessibleNames) {
  const std::string menuName = "S08-A-MENU-NAME-FAR-TOO-LONG-FOR-ITS-BUTTON", moduleName = "ANALOGUE_TO_DIGITAL_CONVERTER";
  std::string text = demoNamed(menuName);
  text.replace(text.find("MODULE:ADC"), 10, "MODULE:" + moduleName);
  QtWindow w({{"MCU_A_FILE_TITLE_THAT_HIDES_THE_REVISION.txt", text}});
  w.open();
  const ControlId controls[] = {mcuButton(0), moduleBox(1), moduleBox(2), kMcuGroup};
  QList<QSize> sizes;
  for (ControlId control : controls) sizes << w.widget(control)->size();
  w.click(mcuButton(0));
  const std::string captions[] = {menuName, "ICS", moduleName, "MCU (MCU_A_FILE_TITLE_THAT_HIDES_THE_REVISION.txt Revision=7)"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(w.widget(controls[i])->toolTip(), QString());
    EXPECT_EQ(w.widget(controls[i])->accessibleDescription(), QString());
    EXPECT_EQ(w.widget(controls[i])->accessibleName().toStdString(), captions[i]);
    EXPECT_EQ(w.widget(controls[i])->size(), sizes[i]);
  }

  EXPECT_EQ(w.widget(kProjectNameBox)->accessibleName(), QStringLiteral("Project Name"));

  // Beside a plain box of the same place and caption: a short caption is
  // drawn just the same, a long one differently (cut with an ellipsis).
  for (const auto& [box, cut] : {std::pair{1, false}, std::pair{2, true}}) {
    auto* shownBox = qobject_cast<QCheckBox*>(w.widget(moduleBox(box)));
    QCheckBox plain(shownBox->text(), w.dialog.get());
    plain.setGeometry(shownBox->geometry());
    plain.show();
    EXPECT_EQ(plain.grab().toImage() != shownBox->grab().toImage(), cut);
  }
}

// The port's own message box, the one path the scenarios replace: modal, one
// OK, the icon asked for, key-file text decoded.
TEST(QtWizardDialog, MessagesAreModalBoxesWithOneOk) {
  for (const auto& [icon, boxIcon] : {std::pair{MessageIcon::none, QMessageBox::NoIcon},
                                      std::pair{MessageIcon::warning, QMessageBox::Warning},
                                      std::pair{MessageIcon::error, QMessageBox::Critical}}) {
    MemoryFileSystem disk;
    FixedClock clock({1, 1, 2024});
    ProjectWizardDialog dialog(disk, clock);
    std::string seen;  // read while the box is open, compared once it is gone
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      QAbstractButton* ok = box->button(QMessageBox::Ok);
      seen = (box->windowTitle() + "|" + box->text()).toStdString() + "|" + std::to_string(int(box->icon())) + "|" +
             std::to_string(box->buttons().size()) + (ok ? " OK" : "") +
             (box->windowIcon().pixmap(32).isNull() ? "" : "|icon");
      if (ok) ok->click();
      else box->reject();
    });
    dialog.port().showMessage("Error 03: Caf\xE9", "forgeline", icon);
    EXPECT_EQ(seen, "forgeline|Error 03: Caf\xC3\xA9|" + std::to_string(int(boxIcon)) + "|1 OK|icon");
  }
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
