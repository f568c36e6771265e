#include "gui/WindowControls.hpp"

#include <QFrame>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "gui/ToolbarIcons.hpp"
#include "run/Kinds.hpp"

namespace trovex {

namespace {

constexpr int kToolbarHeight = 26;
constexpr int kListHeight = 189;
constexpr int kResultsHeight = 183;
constexpr int kGroupHeight = 66;

// Places in the " Process " group at its first width of 688: the bars run
// from 12 to 683, the buttons end where the bars do, and Extracted has at
// least the room from 334 to Save results.
constexpr int kGroupLeft = 12;
constexpr int kGroupRightMargin = kClientWidth - 683;
constexpr int kStopWidth = 71;
constexpr int kSaveLogWidth = 105;
constexpr int kButtonGap = 1;
constexpr int kExtractedRoom = 506 - 334;

// What each resource kind is, in the order of kKindNames.
constexpr const char* kKindWords[] = {
    "Sounds (ACM and wave)", "Bitmaps", "Movies", "Frame images (BAM)", "Area images (MOS)",
};
static_assert(std::size(kKindWords) == std::size(kKindNames));

// A menu of check boxes that stays open while the user ticks several.
class TStayOpenMenu : public QMenu {
 public:
  using QMenu::QMenu;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QAction* action = actionAt(event->position().toPoint());
    if (action != nullptr && action->isCheckable() && action->isEnabled()) {
      action->toggle();
      return;
    }
    QMenu::mouseReleaseEvent(event);
  }
  void keyPressEvent(QKeyEvent* event) override {
    QAction* action = activeAction();
    const bool tick = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (tick && action != nullptr && action->isCheckable() && action->isEnabled()) {
      action->toggle();
      return;
    }
    QMenu::keyPressEvent(event);
  }
};

// Keeps the group's children in place as the group changes width.
class TGroupPlacer : public QObject {
 public:
  explicit TGroupPlacer(const TWindowControls& c) : QObject(c.GroupBox1), controls_(c) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize) PlaceProcessGroup(controls_);
    return false;
  }

 private:
  TWindowControls controls_;
};

struct ToolButtonRow {
  const char* name;
  ToolbarArt art;
  const char* toolTip;
  bool enabled;
  QKeyCombination shortcut;
};

constexpr ToolButtonRow kToolButtonRows[kToolbarButtons] = {
    {"BAddLog", ToolbarArt::Add, "Add files to the list", true, Qt::CTRL | Qt::Key_O},
    {"BSaveList", ToolbarArt::SaveList, "Save the list as a project list", false, Qt::CTRL | Qt::Key_S},
    {"BRemLog", ToolbarArt::Remove, "Remove the selected files from the list", false, QKeyCombination(Qt::Key_Delete)},
    {"BClearAll", ToolbarArt::ClearAll, "Clear the list", false, Qt::CTRL | Qt::SHIFT | Qt::Key_Delete},
    {"BProcess", ToolbarArt::Process, "Process the files in the list", false, QKeyCombination(Qt::Key_F5)},
    {"BExit", ToolbarArt::Exit, "Exit", true, Qt::CTRL | Qt::Key_Q},
};

void BuildToolBar(QWidget* window, QLayout* layout, TWindowControls& c) {
  // The toolbar sits in a frame that draws its border on all four edges.
  auto* frame = new QFrame(window);
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setFixedHeight(kToolbarHeight);
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->setContentsMargins(1, 1, 1, 1);
  c.ToolBar1 = new QToolBar(frame);
  c.ToolBar1->setObjectName("ToolBar1");
  c.ToolBar1->setMovable(false);
  c.ToolBar1->setFloatable(false);
  c.ToolBar1->setIconSize(QSize(16, 16));
  c.ToolBar1->setContentsMargins(0, 0, 0, 0);
  c.ToolBar1->setStyleSheet("QToolBar { border: 0px; spacing: 1px; padding: 0px; }");
  frameLayout->addWidget(c.ToolBar1);
  for (int i = 0; i < kToolbarButtons; ++i) {
    const ToolButtonRow& row = kToolButtonRows[i];
    QAction* action = c.ToolBar1->addAction(ToolbarIcon(row.art), row.toolTip);
    action->setObjectName(row.name);
    action->setShortcut(QKeySequence(row.shortcut));
    action->setToolTip(WithShortcut(row.toolTip, action->shortcut()));
    action->setEnabled(row.enabled);
    c.ToolButtons[static_cast<std::size_t>(i)] = action;
  }
  layout->addWidget(frame);
}

// The drop-down of resource kinds that archive extraction writes, all chosen
// at the start.
void BuildKindsChoice(TWindowControls& c) {
  c.ToolBar1->addSeparator();
  c.Kinds = new QToolButton(c.ToolBar1);
  c.Kinds->setObjectName("Kinds");
  c.Kinds->setText("Kinds");
  c.Kinds->setToolTip("Resource kinds that archive extraction writes");
  c.Kinds->setPopupMode(QToolButton::InstantPopup);
  c.Kinds->setToolButtonStyle(Qt::ToolButtonTextOnly);
  auto* menu = new TStayOpenMenu(c.Kinds);
  for (std::size_t i = 0; i < std::size(kKindNames); ++i) {
    QAction* action = menu->addAction(kKindWords[i]);
    action->setObjectName(QString("Kind_") + kKindNames[i].name);
    action->setCheckable(true);
    action->setChecked(true);
    c.KindActions.push_back(action);
  }
  c.Kinds->setMenu(menu);
  c.KindsPlace = c.ToolBar1->addWidget(c.Kinds);
  // Shown once archives are in the list.
  c.KindsPlace->setVisible(false);
}

void BuildAbout(TWindowControls& c) {
  c.ToolBar1->addSeparator();
  c.About = c.ToolBar1->addAction("About");
  c.About->setObjectName("About");
  c.About->setShortcut(QKeySequence(Qt::Key_F1));
  c.About->setToolTip(WithShortcut("About Trovex", c.About->shortcut()));
  if (auto* button = qobject_cast<QToolButton*>(c.ToolBar1->widgetForAction(c.About))) {
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  }
}

QProgressBar* MakeBar(QWidget* parent, const char* name) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(name);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

TElidingLabel* MakeLabel(QWidget* parent, const char* name) {
  auto* label = new TElidingLabel(QString(), parent);
  label->setObjectName(name);
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setEnabled(false);
  button->setAutoDefault(false);
  return button;
}

// The " Process " group: its children sit at fixed places inside it.
void BuildProcessGroup(QWidget* window, QLayout* layout, TWindowControls& c) {
  c.GroupBox1 = new QGroupBox(" Process ", window);
  c.GroupBox1->setObjectName("GroupBox1");
  c.GroupBox1->setFixedHeight(kGroupHeight);
  // The frame runs through the middle of the caption, so that the children's
  // places inside the group leave room above them as intended.
  c.GroupBox1->setStyleSheet(
      "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
      "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 7px; top: 0px; }");
  c.CurrentMessage = MakeLabel(c.GroupBox1, "CurrentMessage");
  c.Extracted = MakeLabel(c.GroupBox1, "Extracted");
  c.SaveLog = MakeButton(c.GroupBox1, "SaveLog", "Save results");
  c.Stop = MakeButton(c.GroupBox1, "Stop", "Stop");
  c.Stop->setToolTip(WithShortcut("Stop the run", kStopShortcut));
  c.Progress = MakeBar(c.GroupBox1, "Progress");
  c.Total = MakeBar(c.GroupBox1, "Total");
  c.GroupBox1->setMinimumWidth(kClientWidth);
  layout->addWidget(c.GroupBox1);
}

// The status line: two lines of text, wrapped at word breaks, and the open
// folder action beside them.
void BuildStatusLine(QWidget* window, QBoxLayout* layout, TWindowControls& c) {
  auto* strip = new QWidget(window);
  strip->setObjectName("StatusStrip");
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(kGroupLeft, 2, kGroupRightMargin, 2);
  c.StatusLine = new QLabel(strip);
  c.StatusLine->setObjectName("StatusLine");
  c.StatusLine->setTextFormat(Qt::PlainText);
  c.StatusLine->setWordWrap(true);
  c.StatusLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
  c.StatusLine->setFixedHeight(2 * c.StatusLine->fontMetrics().lineSpacing() + 2);
  c.StatusLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  row->addWidget(c.StatusLine, 1);
  c.OpenFolder = new QPushButton("Open folder", strip);
  c.OpenFolder->setObjectName("OpenFolder");
  c.OpenFolder->setAutoDefault(false);
  c.OpenFolder->setToolTip("Open the output folder in the file manager");
  c.OpenFolder->setVisible(false);
  row->addWidget(c.OpenFolder, 0, Qt::AlignVCenter);
  layout->addWidget(strip);
}

}  // namespace

QString WithShortcut(const QString& toolTip, const QKeySequence& shortcut) {
  return toolTip + " (" + shortcut.toString(QKeySequence::NativeText) + ")";
}

QAction* TWindowControls::ToolButton(Button button) const {
  const auto index = static_cast<std::size_t>(button);
  return index < ToolButtons.size() ? ToolButtons[index] : nullptr;
}

QString KindsButtonText(const TWindowControls& c) {
  const auto chosen = std::count_if(c.KindActions.begin(), c.KindActions.end(),
                                    [](const QAction* action) { return action->isChecked(); });
  if (static_cast<std::size_t>(chosen) == c.KindActions.size()) return "Kinds";
  return QString("Kinds: %1 of %2").arg(chosen).arg(c.KindActions.size());
}

void PlaceProcessGroup(const TWindowControls& c) {
  const int right = c.GroupBox1->width() - kGroupRightMargin;
  c.Stop->setGeometry(right - kStopWidth, 10, kStopWidth, 19);
  c.SaveLog->setGeometry(c.Stop->x() - kButtonGap - kSaveLogWidth, 10, kSaveLogWidth, 19);
  c.Progress->setGeometry(kGroupLeft, 32, right - kGroupLeft, 13);
  c.Total->setGeometry(kGroupLeft, 48, right - kGroupLeft, 13);
  // Extracted shows its whole text; the label before it gives way.
  const QFontMetrics metrics = c.Extracted->fontMetrics();
  const int needed = metrics.horizontalAdvance(c.Extracted->FullText()) + 2;
  const int width = std::min(std::max(needed, kExtractedRoom), c.SaveLog->x() - kGroupLeft);
  c.Extracted->setGeometry(c.SaveLog->x() - width, 14, width, metrics.height());
  c.CurrentMessage->setGeometry(kGroupLeft, 16, c.Extracted->x() - kGroupLeft, c.CurrentMessage->fontMetrics().height());
}

TWindowControls BuildControls(QWidget* window) {
  TWindowControls c;
  QFont font = window->font();
  font.setPointSize(8);
  window->setFont(font);

  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildToolBar(window, layout, c);
  BuildKindsChoice(c);
  BuildAbout(c);

  // The list and the pane share the room beyond their first heights.
  c.LogList = new TLogList(window);
  c.LogList->setObjectName("LogList");
  c.LogList->setMinimumHeight(kListHeight);
  layout->addWidget(c.LogList, 1);

  c.Results = new QTextEdit(window);
  c.Results->setObjectName("Results");
  c.Results->setReadOnly(true);
  c.Results->setAcceptRichText(false);
  c.Results->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  c.Results->setTabChangesFocus(true);
  c.Results->setMinimumHeight(kResultsHeight);
  layout->addWidget(c.Results, 1);

  BuildProcessGroup(window, layout, c);
  BuildStatusLine(window, layout, c);
  c.GroupBox1->installEventFilter(new TGroupPlacer(c));
  // The first size is the layout's smallest.
  window->setMinimumSize(layout->totalMinimumSize());
  window->resize(window->minimumSize());
  c.GroupBox1->resize(kClientWidth, kGroupHeight);
  PlaceProcessGroup(c);
  // Tab goes through list, pane and the two buttons; the toolbar's commands
  // are reached by their shortcuts.
  QWidget::setTabOrder(c.LogList, c.Results);
  QWidget::setTabOrder(c.Results, c.SaveLog);
  QWidget::setTabOrder(c.SaveLog, c.Stop);
  c.LogList->setFocus();
  return c;
}

}  // namespace trovex
