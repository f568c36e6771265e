// The main window's controls and their layout: toolbar, input list, results
// pane, the " Process " group and the status line, in a client area of at
// least 688 x 464 plus the status line.
#pragma once

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <vector>

#include "gui/ElidingLabel.hpp"
#include "gui/LogList.hpp"
#include "run/WindowPort.hpp"

namespace trovex {

inline constexpr int kClientWidth = 688;
inline constexpr int kClientHeight = 464;

// The six toolbar buttons, in toolbar order (also the order of Button).
inline constexpr int kToolbarButtons = 6;

struct TWindowControls {
  QToolBar* ToolBar1 = nullptr;
  std::array<QAction*, kToolbarButtons> ToolButtons{};  // BAddLog .. BExit
  // The drop-down of archive resource kinds, one checkable action per kind
  // in the order of kKindNames.
  QToolButton* Kinds = nullptr;
  QAction* KindsPlace = nullptr;  // the toolbar's place of Kinds, hidden with it
  std::vector<QAction*> KindActions;
  QAction* About = nullptr;
  TLogList* LogList = nullptr;
  QTextEdit* Results = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  TElidingLabel* CurrentMessage = nullptr;
  TElidingLabel* Extracted = nullptr;
  QPushButton* SaveLog = nullptr;
  QPushButton* Stop = nullptr;
  QProgressBar* Progress = nullptr;
  QProgressBar* Total = nullptr;
  // The foot of the window: what the run wrote and where, and the action
  // that opens the output folder, shown once a run has one.
  QLabel* StatusLine = nullptr;
  QPushButton* OpenFolder = nullptr;

  // The toolbar action of a toolbar button, nothing for SaveLog and Stop.
  QAction* ToolButton(Button button) const;
  QProgressBar* BarOf(Bar bar) const { return bar == Bar::Progress ? Progress : Total; }
  TElidingLabel* LabelOf(Label label) const { return label == Label::CurrentMessage ? CurrentMessage : Extracted; }
};

// Stop during a run. The window handles it itself: a button's own shortcut
// clicks only after a short animation, when a short run may have ended.
inline const QKeySequence kStopShortcut(Qt::Key_Escape);

// A command's tooltip with its shortcut: "Process the files in the list (F5)".
QString WithShortcut(const QString& toolTip, const QKeySequence& shortcut);

// Creates the controls as children of window, in their initial states, and
// gives the window its first size, which is also its smallest.
TWindowControls BuildControls(QWidget* window);

// The text of the Kinds button for the chosen kinds: "Kinds" with all of
// them, "Kinds: 3 of 5" otherwise.
QString KindsButtonText(const TWindowControls& c);

// Places the " Process " group's children for its width: labels and bars
// grow with it, the two buttons keep to its right edge, and Extracted is as
// wide as its text needs, at the cost of CurrentMessage.
void PlaceProcessGroup(const TWindowControls& c);

}  // namespace trovex
