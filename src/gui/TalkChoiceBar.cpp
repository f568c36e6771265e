#include "gui/TalkChoiceBar.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

#include "gui/Settings.hpp"

namespace trovex {

TTalkChoiceBar::TTalkChoiceBar(QWidget* parent, TalkChoices& choices)
    : QWidget(parent), choices_(choices), form_(new QComboBox(this)), codePage_(new QComboBox(this)) {
  setObjectName("TalkChoices");
  form_->setObjectName("TextForm");
  codePage_->setObjectName("CodePage");
  form_->setToolTip("The text form that string tables go out in");
  codePage_->setToolTip("The code page of the string tables' text, for PO files");
  form_->addItem("Text dump", "dump");
  form_->addItem("PO file", "po");
  for (const unsigned page : SupportedCodePages()) {
    const QString name = QString::fromStdString(CodePageName(page));
    codePage_->addItem(name, name);
  }
  form_->setFixedHeight(20);
  codePage_->setFixedHeight(20);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(new QLabel("Text form:", this));
  layout->addWidget(form_);
  layout->addWidget(new QLabel("Code page:", this));
  layout->addWidget(codePage_);

  const TSettings settings;
  form_->setCurrentIndex(std::max(0, form_->findData(settings.TextForm())));
  codePage_->setCurrentIndex(std::max(0, codePage_->findData(settings.CodePage())));
  Apply();
  connect(form_, &QComboBox::currentIndexChanged, this, &TTalkChoiceBar::Apply);
  connect(codePage_, &QComboBox::currentIndexChanged, this, &TTalkChoiceBar::Apply);
}

void TTalkChoiceBar::Apply() {
  const QString form = form_->currentData().toString();
  const QString page = codePage_->currentData().toString();
  choices_.form = form == "po" ? TextForm::Po : TextForm::Dump;
  choices_.codePage = CodePageOfName(page.toStdString()).value_or(kDefaultCodePage);
  // The code page matters for PO files only.
  codePage_->setEnabled(choices_.form == TextForm::Po);
  TSettings().RememberTalkChoices(form, page);
}

}  // namespace trovex
