// "Name items from an index…": the KEY index whose resource names archive
// extraction gives its items. It sits in the kinds menu, is offered while
// the input type is archives, and is remembered between sessions.
#pragma once

#include <QAction>
#include <QMenu>
#include <functional>
#include <optional>
#include <string>

#include "app/MainForm.hpp"

namespace trovex {

class TIndexChoice : public QObject {
  Q_OBJECT

 public:
  TIndexChoice(QMenu* menu, TMainForm& form, QWidget* owner);

  QAction* Action() const { return action_; }
  // Asks for the index file; nothing when the user cancels. Tests replace it.
  std::function<std::optional<std::string>()> AskForIndex;

 private:
  // Checking the action asks for an index; unchecking it drops the index.
  void Toggled(bool checked);
  void Use(const std::string& path);
  void Show();

  QAction* action_;
  TMainForm& form_;
};

}  // namespace trovex
