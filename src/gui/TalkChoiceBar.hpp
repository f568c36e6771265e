// The string table choices beside the toolbar: the text form that tables go
// out in (the text dump or a PO file) and, for PO files, the table's code
// page (both remembered between sessions) and an earlier translation that
// fills the PO files (for this session only). Shown while the input type is
// string tables.
#pragma once

#include <QComboBox>
#include <QString>
#include <QToolButton>
#include <QWidget>
#include <functional>

#include "run/TalkChoices.hpp"

namespace trovex {

class TTalkChoiceBar : public QWidget {
  Q_OBJECT

 public:
  // Starts with the remembered choices and hands every change to choices.
  TTalkChoiceBar(QWidget* parent, TalkChoices& choices);

  QComboBox* Form() const { return form_; }
  QComboBox* CodePage() const { return codePage_; }
  QToolButton* Earlier() const { return earlier_; }

  // Asks for a table's path with a title; empty when cancelled. An open file
  // dialog unless replaced.
  std::function<QString(const QString& title)> chooseTable;

 private:
  // Hands the shown choices to the run and remembers them.
  void Apply();
  // The earlier translation's menu: choose the translated table, then
  // (optionally) the table it was made from; or forget both.
  void ChooseEarlier();
  void ForgetEarlier();
  void ShowEarlier();

  TalkChoices& choices_;
  QComboBox* form_;
  QComboBox* codePage_;
  QToolButton* earlier_;
};

}  // namespace trovex
