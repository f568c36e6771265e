// The string table choices beside the toolbar: the text form that tables go
// out in (the text dump or a PO file) and, for PO files, the table's code
// page. Shown while the input type is string tables; remembered between
// sessions.
#pragma once

#include <QComboBox>
#include <QWidget>

#include "run/TalkChoices.hpp"

namespace trovex {

class TTalkChoiceBar : public QWidget {
  Q_OBJECT

 public:
  // Starts with the remembered choices and hands every change to choices.
  TTalkChoiceBar(QWidget* parent, TalkChoices& choices);

  QComboBox* Form() const { return form_; }
  QComboBox* CodePage() const { return codePage_; }

 private:
  // Hands the shown choices to the run and remembers them.
  void Apply();

  TalkChoices& choices_;
  QComboBox* form_;
  QComboBox* codePage_;
};

}  // namespace trovex
