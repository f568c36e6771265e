// The main window's controls and their layout: toolbar, input list, results
// pane and the " Process " group, in a fixed 688 x 464 client area.
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
  std::vector<QAction*> KindActions;
  QListWidget* LogList = nullptr;
  QTextEdit* Results = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QLabel* CurrentMessage = nullptr;
  QLabel* Extracted = nullptr;
  QPushButton* SaveLog = nullptr;
  QPushButton* Stop = nullptr;
  QProgressBar* Progress = nullptr;
  QProgressBar* Total = nullptr;

  // The toolbar action of a toolbar button, nothing for SaveLog and Stop.
  QAction* ToolButton(Button button) const;
  QProgressBar* BarOf(Bar bar) const { return bar == Bar::Progress ? Progress : Total; }
  QLabel* LabelOf(Label label) const { return label == Label::CurrentMessage ? CurrentMessage : Extracted; }
};

// Creates the controls as children of window, in their initial states, and
// fixes the window's size.
TWindowControls BuildControls(QWidget* window);

}  // namespace trovex
