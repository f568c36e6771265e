#include "gui/TalkChoiceBar.hpp"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <algorithm>

#include "gui/Settings.hpp"
#include "gui/SystemPath.hpp"

namespace trovex {

TTalkChoiceBar::TTalkChoiceBar(QWidget* parent, TalkChoices& choices)
    : QWidget(parent),
      choices_(choices),
      form_(new QComboBox(this)),
      codePage_(new QComboBox(this)),
      earlier_(new QToolButton(this)) {
  chooseTable = [this](const QString& title) {
    return QFileDialog::getOpenFileName(this, title, QString(), "TALK text (*.tlk)");
  };
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
  earlier_->setObjectName("EarlierTranslation");
  earlier_->setPopupMode(QToolButton::InstantPopup);
  earlier_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  auto* menu = new QMenu(earlier_);
  connect(menu->addAction("Choose..."), &QAction::triggered, this, &TTalkChoiceBar::ChooseEarlier);
  connect(menu->addAction("Forget"), &QAction::triggered, this, &TTalkChoiceBar::ForgetEarlier);
  earlier_->setMenu(menu);
  layout->addWidget(earlier_);
  ShowEarlier();

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
  // The code page and an earlier translation matter for PO files only.
  codePage_->setEnabled(choices_.form == TextForm::Po);
  earlier_->setEnabled(choices_.form == TextForm::Po);
  TSettings().RememberTalkChoices(form, page);
}

void TTalkChoiceBar::ChooseEarlier() {
  const QString translation = chooseTable("The earlier translated table");
  if (translation.isEmpty()) return;
  choices_.translation = SystemPath(translation);
  choices_.translationSource = SystemPath(chooseTable("The table it was translated from (optional)"));
  ShowEarlier();
}

void TTalkChoiceBar::ForgetEarlier() {
  choices_.translation.clear();
  choices_.translationSource.clear();
  ShowEarlier();
}

void TTalkChoiceBar::ShowEarlier() {
  const bool chosen = !choices_.translation.empty();
  earlier_->setText(chosen ? "Earlier: " + QFileInfo(QString::fromLocal8Bit(choices_.translation)).fileName()
                           : "Earlier translation");
  QString tip = "An earlier translated table whose strings fill the PO files (fuzzy unless its source "
                "table is chosen too and that string is unchanged)";
  if (chosen) tip += "\nTranslation: " + QString::fromLocal8Bit(choices_.translation);
  if (!choices_.translationSource.empty()) tip += "\nIts source: " + QString::fromLocal8Bit(choices_.translationSource);
  earlier_->setToolTip(tip);
}

}  // namespace trovex
