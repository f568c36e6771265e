#include "gui/WindowControls.hpp"

#include <QFrame>
#include <QMenu>
#include <QVBoxLayout>

#include "gui/ToolbarIcons.hpp"
#include "run/Kinds.hpp"

namespace trovex {

namespace {

constexpr int kToolbarHeight = 26;
constexpr int kListHeight = 189;
constexpr int kGroupHeight = 66;

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
  auto* menu = new QMenu(c.Kinds);
  for (const KindName& kind : kKindNames) {
    QAction* action = menu->addAction(kind.name);
    action->setObjectName(QString("Kind_") + kind.name);
    action->setCheckable(true);
    action->setChecked(true);
    c.KindActions.push_back(action);
  }
  c.Kinds->setMenu(menu);
  c.ToolBar1->addWidget(c.Kinds);
}

QProgressBar* MakeBar(QWidget* parent, const char* name, int top) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(name);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setGeometry(12, top, 671, 13);
  return bar;
}

TElidingLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top, int width) {
  auto* label = new TElidingLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(left, top, width, label->fontMetrics().height());
  return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& place) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(place);
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
  // Each label has the room up to the next control.
  c.CurrentMessage = MakeLabel(c.GroupBox1, "CurrentMessage", QString(), 12, 16, 334 - 12);
  c.Extracted = MakeLabel(c.GroupBox1, "Extracted", "Extracted: 0", 334, 14, 506 - 334);
  c.SaveLog = MakeButton(c.GroupBox1, "SaveLog", "Save results", QRect(506, 10, 105, 19));
  c.Stop = MakeButton(c.GroupBox1, "Stop", "Stop", QRect(612, 10, 71, 19));
  c.Stop->setToolTip(WithShortcut("Stop the run", kStopShortcut));
  c.Progress = MakeBar(c.GroupBox1, "Progress", 32);
  c.Total = MakeBar(c.GroupBox1, "Total", 48);
  layout->addWidget(c.GroupBox1);
}

}  // namespace

QString WithShortcut(const QString& toolTip, const QKeySequence& shortcut) {
  return toolTip + " (" + shortcut.toString(QKeySequence::NativeText) + ")";
}

QAction* TWindowControls::ToolButton(Button button) const {
  const auto index = static_cast<std::size_t>(button);
  return index < ToolButtons.size() ? ToolButtons[index] : nullptr;
}

TWindowControls BuildControls(QWidget* window) {
  TWindowControls c;
  QFont font = window->font();
  font.setPointSize(8);
  window->setFont(font);
  window->setFixedSize(kClientWidth, kClientHeight);

  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildToolBar(window, layout, c);
  BuildKindsChoice(c);

  c.LogList = new TLogList(window);
  c.LogList->setObjectName("LogList");
  c.LogList->setFixedHeight(kListHeight);
  layout->addWidget(c.LogList);

  c.Results = new QTextEdit(window);
  c.Results->setObjectName("Results");
  c.Results->setReadOnly(true);
  c.Results->setAcceptRichText(false);
  c.Results->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  c.Results->setTabChangesFocus(true);
  layout->addWidget(c.Results, 1);

  BuildProcessGroup(window, layout, c);
  // Tab goes through list, pane and the two buttons; the toolbar's commands
  // are reached by their shortcuts.
  QWidget::setTabOrder(c.LogList, c.Results);
  QWidget::setTabOrder(c.Results, c.SaveLog);
  QWidget::setTabOrder(c.SaveLog, c.Stop);
  c.LogList->setFocus();
  return c;
}

}  // namespace trovex
