// The program's one window: the controls, the window port on them, and the
// main window's logic, with every button wired to its command.
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

#include "app/MainForm.hpp"
#include "gui/IndexChoice.hpp"
#include "gui/QtWindowPort.hpp"
#include "gui/TalkChoiceBar.hpp"
#include "gui/WindowControls.hpp"

namespace trovex {

class TTrovexWindow : public QWidget {
  Q_OBJECT

 public:
  // Creates the controls and runs FormCreate.
  TTrovexWindow();
  // Runs FormDestroy.
  ~TTrovexWindow() override;

  TMainForm& Form() { return form_; }
  TQtWindowPort& Port() { return port_; }
  const TWindowControls& Controls() const { return controls_; }
  TIndexChoice& IndexChoice() { return indexChoice_; }

  void CentreOnScreen();
  // Puts the window where and as large as it was when last closed, or
  // centres it at its first size.
  void RestorePlace();
  // Runs a command of the window's logic; an error it raises is shown in a
  // message box and the window goes on working.
  void Invoke(void (TMainForm::*command)());
  // Adds files as a drop on the list does (also the files named when the
  // program starts); relative paths are taken from the current folder.
  void AddFiles(const QStringList& paths);
  // The About box: program name, version, licence and the Qt version.
  void ShowAbout();

 protected:
  // Closing during a run stops the run first; the window closes when the
  // run has ended.
  void closeEvent(QCloseEvent* event) override;

 private:
  void WireCommands();
  void RestoreKinds();
  // Hands the chosen kinds to the run; returns their names.
  QStringList ApplyKinds();
  void Guarded(const std::function<void()>& action);
  void ShowKindsForInput();
  // Shows the string table choices while the input type is string tables.
  void ShowTalkChoices();

  TWindowControls controls_;
  TQtWindowPort port_;
  TMainForm form_;
  TIndexChoice indexChoice_{controls_.Kinds->menu(), form_, this};
  TTalkChoiceBar* talkChoices_ = nullptr;
  bool closePending_ = false;
};

}  // namespace trovex
