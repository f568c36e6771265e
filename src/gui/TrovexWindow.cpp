#include "gui/TrovexWindow.hpp"

#include <QCloseEvent>
#include <QScreen>
#include <exception>

#include "run/Kinds.hpp"

namespace trovex {

namespace {

using Command = void (TMainForm::*)();

struct ToolCommand {
  Button button;
  Command command;
};

constexpr ToolCommand kToolCommands[] = {
    {Button::BAddLog, &TMainForm::BAddLogClick},   {Button::BSaveList, &TMainForm::BSaveListClick},
    {Button::BRemLog, &TMainForm::BRemLogClick},   {Button::BClearAll, &TMainForm::BClearAllClick},
    {Button::BProcess, &TMainForm::BProcessClick}, {Button::BExit, &TMainForm::BExitClick},
};

}  // namespace

TTrovexWindow::TTrovexWindow() : controls_(BuildControls(this)), port_(this, controls_), form_(port_) {
  setObjectName("MainForm");
  setWindowTitle("Trovex");
  WireCommands();
  form_.FormCreate();
}

TTrovexWindow::~TTrovexWindow() { form_.FormDestroy(); }

void TTrovexWindow::WireCommands() {
  for (const ToolCommand& tool : kToolCommands) {
    const Command command = tool.command;
    connect(controls_.ToolButton(tool.button), &QAction::triggered, this, [this, command] { Invoke(command); });
  }
  connect(controls_.SaveLog, &QPushButton::clicked, this, [this] { Invoke(&TMainForm::SaveLogClick); });
  connect(controls_.Stop, &QPushButton::clicked, this, [this] { Invoke(&TMainForm::StopClick); });
  for (QAction* kind : controls_.KindActions) connect(kind, &QAction::toggled, this, [this] { ApplyKinds(); });
}

void TTrovexWindow::ApplyKinds() {
  KindSet kinds = 0;
  for (std::size_t i = 0; i < controls_.KindActions.size(); ++i) {
    if (controls_.KindActions[i]->isChecked()) kinds |= kKindNames[i].kind;
  }
  form_.Run().ExtractKinds = kinds;
}

void TTrovexWindow::CentreOnScreen() {
  const QScreen* target = screen();
  if (target == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(target->availableGeometry().center());
  move(frame.topLeft());
}

void TTrovexWindow::Invoke(Command command) {
  try {
    (form_.*command)();
  } catch (const std::exception& error) {
    port_.ShowError(error.what());
  }
  if (closePending_ && !form_.Running()) close();
}

void TTrovexWindow::closeEvent(QCloseEvent* event) {
  if (!form_.Running()) {
    closePending_ = false;
    event->accept();
    return;
  }
  closePending_ = true;
  event->ignore();
  Invoke(&TMainForm::StopClick);
}

}  // namespace trovex
