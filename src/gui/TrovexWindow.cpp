#include "gui/TrovexWindow.hpp"

#include <QCloseEvent>
#include <QFileInfo>
#include <QScreen>
#include <QShortcut>
#include <exception>

#include "gui/Settings.hpp"
#include "gui/SystemPath.hpp"
#include "gui/TalkChoiceBar.hpp"
#include "gui/ToolbarIcons.hpp"
#include "run/Formats.hpp"
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
  setWindowIcon(ProgramIcon());
  RestoreKinds();
  WireCommands();
  ApplyKinds();
  // At the right end of the toolbar's frame, over the toolbar's free space.
  talkChoices_ = new TTalkChoiceBar(controls_.ToolBar1->parentWidget(), form_.Run().Talk);
  form_.FormCreate();
  ShowTalkChoices();
}

void TTrovexWindow::ShowTalkChoices() {
  const bool shown = form_.FormatCode() == fcTalk;
  if (shown) {
    const QWidget* frame = talkChoices_->parentWidget();
    talkChoices_->adjustSize();
    talkChoices_->move(frame->width() - talkChoices_->width() - 2, (frame->height() - talkChoices_->height()) / 2);
    talkChoices_->raise();
  }
  talkChoices_->setVisible(shown);
}

TTrovexWindow::~TTrovexWindow() { form_.FormDestroy(); }

void TTrovexWindow::WireCommands() {
  for (const ToolCommand& tool : kToolCommands) {
    const Command command = tool.command;
    connect(controls_.ToolButton(tool.button), &QAction::triggered, this, [this, command] { Invoke(command); });
  }
  connect(controls_.SaveLog, &QPushButton::clicked, this, [this] { Invoke(&TMainForm::SaveLogClick); });
  connect(controls_.Stop, &QPushButton::clicked, this, [this] { Invoke(&TMainForm::StopClick); });
  for (QAction* kind : controls_.KindActions) {
    connect(kind, &QAction::toggled, this, [this] { TSettings().RememberKinds(ApplyKinds()); });
  }
  connect(controls_.About, &QAction::triggered, this, &TTrovexWindow::ShowAbout);
  // A drop is handled once the drag has ended, so that a question it asks
  // does not run inside the drag.
  connect(controls_.LogList, &TLogList::FilesDropped, this, &TTrovexWindow::AddFiles, Qt::QueuedConnection);
  // Esc stops whenever a run is under way; a press handled while Stop shows
  // disabled (it was already pressed) changes nothing.
  auto* stop = new QShortcut(kStopShortcut, this);
  connect(stop, &QShortcut::activated, this, [this] {
    if (form_.Running()) Invoke(&TMainForm::StopClick);
  });
}

void TTrovexWindow::RestoreKinds() {
  const TSettings settings;
  if (!settings.HasKinds()) return;
  const QStringList chosen = settings.Kinds();
  for (std::size_t i = 0; i < controls_.KindActions.size(); ++i) {
    controls_.KindActions[i]->setChecked(chosen.contains(kKindNames[i].name));
  }
}

QStringList TTrovexWindow::ApplyKinds() {
  KindSet kinds = 0;
  QStringList names;
  for (std::size_t i = 0; i < controls_.KindActions.size(); ++i) {
    if (!controls_.KindActions[i]->isChecked()) continue;
    kinds |= kKindNames[i].kind;
    names << kKindNames[i].name;
  }
  form_.Run().ExtractKinds = kinds;
  controls_.Kinds->setText(KindsButtonText(controls_));
  return names;
}

void TTrovexWindow::AddFiles(const QStringList& paths) {
  std::vector<std::string> files;
  for (const QString& path : paths) files.push_back(SystemPath(QFileInfo(path).absoluteFilePath()));
  Guarded([this, &files] { form_.AddDroppedFiles(files); });
}

void TTrovexWindow::ShowAbout() {
  const QString text = QString("Trovex %1\n\n"
                               "Extracts a game's resource files into editable files and puts the edits back.\n\n"
                               "Licence: %2\n"
                               "Qt %3")
                           .arg(TROVEX_VERSION, TROVEX_LICENCE, qVersion());
  port_.Dialogs().Message(QMessageBox::Information, text, "About Trovex");
}

void TTrovexWindow::CentreOnScreen() {
  const QScreen* target = screen();
  if (target == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(target->availableGeometry().center());
  move(frame.topLeft());
}

void TTrovexWindow::Invoke(Command command) {
  Guarded([this, command] { (form_.*command)(); });
}

void TTrovexWindow::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& error) {
    port_.ShowError(error.what());
  }
  ShowKindsForInput();
  ShowTalkChoices();
  if (closePending_ && !form_.Running()) close();
}

// The kinds choice applies to archive extraction only.
void TTrovexWindow::ShowKindsForInput() { controls_.KindsPlace->setVisible(form_.FormatCode() == fcBiff); }

void TTrovexWindow::RestorePlace() {
  const QByteArray place = TSettings().WindowPlace();
  if (place.isEmpty() || !restoreGeometry(place)) CentreOnScreen();
}

void TTrovexWindow::closeEvent(QCloseEvent* event) {
  if (!form_.Running()) {
    closePending_ = false;
    TSettings().RememberWindowPlace(saveGeometry());
    event->accept();
    return;
  }
  closePending_ = true;
  event->ignore();
  Invoke(&TMainForm::StopClick);
}

}  // namespace trovex
