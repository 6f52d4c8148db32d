#include "app/ProjectWizardDialog.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "app/AboutDialog.h"
#include "app/ApplicationIcon.h"
#include "app/DialogUnits.h"
#include "app/ElidingControls.h"
#include "core/Wizard.h"

namespace forgeline {

namespace {

constexpr int kTwrpiBoxes = 25;
constexpr int kRowsPerColumn = 25;
constexpr int kControlHeight = 10;

// Rows come in pairs 11 units apart, each pair 24 units below the last.
int rowTop(int row) { return 73 + 24 * (row / 2) + 11 * (row % 2); }

struct Frame {
  const char* objectName;
  const char* caption;
  int x, y, width, height;
};

// Created before the controls they surround, so they stack beneath them and
// never take their clicks.
constexpr Frame kFrames[] = {
    {"projectNameGroup", "Project Name", 6, 6, 138, 30},
    {"mcuGroup", "MCU", 5, 60, 156, 324},
    {"modulesGroup", "Modules", 168, 60, 168, 324},
    {"twrpiGroup", "TWRPI", 342, 60, 78, 324},
};

// Where the red notes stand, in pixels.
const QPoint kDescriptionAt(20, 60);
const QPoint kWarningAt(20, 80);

QString indexedName(const char* group, int index) { return QString::fromLatin1(group) + QString::number(index); }

// Text with its top-left corner at `at`, whatever the font's ascent.
void drawTextAt(QPainter& painter, QPoint at, const QString& text) {
  painter.drawText(at + QPoint(0, painter.fontMetrics().ascent()), text);
}

}  // namespace

ProjectWizardDialog::ProjectWizardDialog(FileSystem& fs, const Clock& clock, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("projectWizardDialog"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFont(dialogFont());
  setWindowIcon(applicationIcon());
  createControls();
  port_ = std::make_unique<QtDialogPort>(controls_, programFileName());
  session_ = std::make_unique<WizardSession>(*port_, fs, clock);

  // X11 and Wayland give a window no system menu to extend, so About lives
  // in the context menu and on F1.
  aboutAction_ = new QAction(QStringLiteral("&About Forgeline MFC..."), this);
  aboutAction_->setObjectName(QStringLiteral("aboutAction"));
  aboutAction_->setShortcut(QKeySequence(Qt::Key_F1));
  addAction(aboutAction_);
  connect(aboutAction_, &QAction::triggered, this, &ProjectWizardDialog::showAbout);
}

ProjectWizardDialog::~ProjectWizardDialog() = default;

void ProjectWizardDialog::createControls() {
  const DialogUnits units(font());
  setFixedSize(units.x(430), units.y(412));
  controls_.window = this;

  QGroupBox* nameFrame = nullptr;
  for (const Frame& frame : kFrames) {
    auto* group = new ElidingGroupBox(QString::fromLatin1(frame.caption), this);
    group->setObjectName(QString::fromLatin1(frame.objectName));
    group->setGeometry(units.rect(frame.x, frame.y, frame.width, frame.height));
    if (QLatin1String(frame.objectName) == QLatin1String("mcuGroup")) controls_.mcuGroup = group;
    if (QLatin1String(frame.objectName) == QLatin1String("projectNameGroup")) nameFrame = group;
  }

  // Some styles (Fusion among them) give a frame's caption more height than
  // the layout allows for; the name box then moves down below the caption,
  // so it never lies across the frame's top border.
  QRect nameBox = units.rect(12, 16, 126, 14);
  const QRect insideNameFrame = nameFrame->contentsRect().translated(nameFrame->pos());
  if (nameBox.top() < insideNameFrame.top()) nameBox.moveTop(insideNameFrame.top());
  if (nameBox.bottom() > insideNameFrame.bottom()) nameBox.setBottom(insideNameFrame.bottom());
  controls_.projectNameBox = new QLineEdit(this);
  controls_.projectNameBox->setObjectName(QStringLiteral("projectNameBox"));
  controls_.projectNameBox->setGeometry(nameBox);
  // The frame's caption names the box for the eye; a screen reader needs it
  // said.
  controls_.projectNameBox->setAccessibleName(QStringLiteral("Project Name"));

  // Enter must never press a button: none of them becomes the default by
  // taking the focus, and the one default button is hidden and does nothing.
  controls_.buildButton = new QPushButton(QStringLiteral("Build CW6.3 Project"), this);
  controls_.buildButton->setObjectName(QStringLiteral("buildButton"));
  controls_.buildButton->setGeometry(units.rect(174, 12, 120, 24));
  controls_.buildButton->setAutoDefault(false);
  controls_.buildButton->setEnabled(false);
  connect(controls_.buildButton, &QPushButton::clicked, this, &ProjectWizardDialog::onBuildClicked);
  placeNotes(std::max(nameFrame->geometry().bottom(), controls_.buildButton->geometry().bottom()));

  auto* okButton = new QPushButton(QStringLiteral("OK"), this);
  okButton->setObjectName(QStringLiteral("okButton"));
  okButton->setGeometry(units.rect(336, 0, 50, 16));
  okButton->setAutoDefault(false);
  okButton->setDefault(true);
  okButton->hide();

  auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  cancelButton->setGeometry(units.rect(336, 24, 50, 16));
  cancelButton->setAutoDefault(false);
  cancelButton->hide();
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

  mcuButtonGroup_ = new QButtonGroup(this);
  mcuButtonGroup_->setExclusive(true);
  for (int i = 0; i < kMaxMcus; ++i) {
    const int column = i / kRowsPerColumn;
    const int row = i % kRowsPerColumn;
    auto* button = new ElidingButton<QRadioButton>(indexedName("MCU", i + 1), this);
    button->setObjectName(indexedName("mcuButton", i));
    button->setGeometry(units.rect(column == 0 ? 10 : 82, rowTop(row), i == 0 ? 58 : 60, kControlHeight));
    button->hide();
    mcuButtonGroup_->addButton(button, i);
    button->installEventFilter(this);
    controls_.mcuButtons[static_cast<std::size_t>(i)] = button;
  }
  // idClicked comes for the button already selected too, so a second click
  // loads the MCU again.
  connect(mcuButtonGroup_, &QButtonGroup::idClicked, this, &ProjectWizardDialog::onMcuClicked);

  for (int i = 0; i < kMaxModules; ++i) {
    const int column = i / kRowsPerColumn;
    const int row = i % kRowsPerColumn;
    auto* box = new ElidingButton<QCheckBox>(indexedName("Module", i + 1), this);
    box->setObjectName(indexedName("moduleBox", i));
    box->setGeometry(units.rect(column == 0 ? 180 : 258, rowTop(row) - column, 72, kControlHeight));
    box->hide();
    // clicked arrives after the box has flipped its own mark.
    connect(box, &QCheckBox::clicked, this, [this, i] { onModuleClicked(i); });
    box->installEventFilter(this);
    controls_.moduleBoxes[static_cast<std::size_t>(i)] = box;
  }

  for (int i = 0; i < kTwrpiBoxes; ++i) {
    auto* box = new QCheckBox(indexedName("TWRPI", i + 1), this);
    box->setObjectName(indexedName("twrpiBox", i));
    box->setGeometry(units.rect(354, rowTop(i) + 1, i <= 8 ? 42 : 46, kControlHeight));
    box->hide();
  }
}

// A desktop font taller than the layout expects pushes the notes down, so
// they stay under the name row, one under the other. (A screen of more dots
// per inch scales the whole window, notes and all.)
void ProjectWizardDialog::placeNotes(int nameRowBottom) {
  const int lineHeight = fontMetrics().height();
  descriptionAt_ = QPoint(kDescriptionAt.x(), std::max(kDescriptionAt.y(), nameRowBottom + 1));
  warningAt_ = QPoint(kWarningAt.x(), std::max(kWarningAt.y(), descriptionAt_.y() + lineHeight));
}

// The name box starts with the focus and its text selected, as a Windows
// dialog gives an edit box, so a name typed at once replaces the default.
bool ProjectWizardDialog::initialise() {
  session_->open();
  controls_.projectNameBox->setFocus(Qt::TabFocusReason);
  controls_.projectNameBox->selectAll();
  return !port_->takeEndRequest();
}

int ProjectWizardDialog::run() {
  if (!initialise()) return QDialog::Rejected;
  return exec();
}

void ProjectWizardDialog::onMcuClicked(int index) {
  session_->chooseMcu(index);
  endIfRequested();
}

void ProjectWizardDialog::onModuleClicked(int index) {
  session_->moduleBoxFlipped(index);
  endIfRequested();
}

void ProjectWizardDialog::onBuildClicked() {
  session_->pressBuild();
  endIfRequested();
}

// The logic asks for the end in the middle of its work; the dialog closes
// only once that work has returned.
void ProjectWizardDialog::endIfRequested() {
  if (port_->takeEndRequest()) done(QDialog::Rejected);
}

void ProjectWizardDialog::showAbout() {
  AboutDialog about(this);
  about.exec();
}

void ProjectWizardDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

namespace {

// The control an arrow key moves to from `from` in `row`: the next shown and
// enabled one, Down and Right forward, Up and Left back, round from the
// last to the first as the Windows dialog manager goes round a group.
template <class Row>
QAbstractButton* arrowTarget(const Row& row, const QObject* from, int key) {
  const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1 : -1;
  const int count = static_cast<int>(row.size());
  const auto at = std::find(row.begin(), row.end(), from);
  if (at == row.end()) return nullptr;
  const int start = static_cast<int>(at - row.begin());
  for (int i = (start + step + count) % count; i != start; i = (i + step + count) % count)
    if (row[static_cast<std::size_t>(i)]->isVisible() && row[static_cast<std::size_t>(i)]->isEnabled())
      return row[static_cast<std::size_t>(i)];
  return nullptr;
}

}  // namespace

// Arrow keys move among the MCU buttons and among the module boxes alone,
// and round within each; an MCU button reached this way is chosen, as a
// click would choose it.
bool ProjectWizardDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Left && key != Qt::Key_Right) return false;
  QAbstractButton* target = arrowTarget(controls_.mcuButtons, watched, key);
  const bool mcu = target != nullptr;
  if (!mcu) target = arrowTarget(controls_.moduleBoxes, watched, key);
  if (target) {
    target->setFocus(Qt::TabFocusReason);
    if (mcu) target->click();
  }
  return true;
}

void ProjectWizardDialog::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(aboutAction_);
  menu.exec(event->globalPos());
}

void ProjectWizardDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  paintNotes(painter);
}

void ProjectWizardDialog::paintNotes(QPainter& painter) const {
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setPen(QColor(255, 0, 0));
  painter.setFont(font());  // the controls' own
  const WizardNotes notes = session_->notes();
  drawTextAt(painter, warningAt_, fromKeyFileText(notes.warning));
  drawTextAt(painter, descriptionAt_, fromKeyFileText(notes.description));
}

}  // namespace forgeline
