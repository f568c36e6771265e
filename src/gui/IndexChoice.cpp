#include "gui/IndexChoice.hpp"

#include <QFileDialog>
#include <QFileInfo>

#include "gui/Settings.hpp"
#include "gui/SystemPath.hpp"
#include "run/Formats.hpp"

namespace trovex {

namespace {

constexpr const char* kActionText = "Name items from an index…";

std::optional<std::string> AskInDialog(QWidget* owner) {
  const QString path =
      QFileDialog::getOpenFileName(owner, "Select the index that names the items",
                                   QFileInfo(TSettings().Index()).absolutePath(), "KEY files (*.key);;All files (*)");
  if (path.isEmpty()) return std::nullopt;
  return SystemPath(path);
}

}  // namespace

TIndexChoice::TIndexChoice(QMenu* menu, TMainForm& form, QWidget* owner) : action_(nullptr), form_(form) {
  AskForIndex = [owner] { return AskInDialog(owner); };
  menu->addSeparator();
  action_ = menu->addAction(kActionText);
  action_->setObjectName("NameFromIndex");
  action_->setCheckable(true);
  menu->setToolTipsVisible(true);
  const QString remembered = TSettings().Index();
  if (!remembered.isEmpty() && QFileInfo(remembered).isFile()) Use(SystemPath(remembered));
  connect(action_, &QAction::triggered, this, &TIndexChoice::Toggled);
  connect(menu, &QMenu::aboutToShow, this, [this] { action_->setEnabled(form_.FormatCode() == fcBiff); });
}

void TIndexChoice::Toggled(bool checked) {
  if (!checked) {
    Use("");
  } else if (const auto path = AskForIndex()) {
    Use(*path);
  } else {
    Show();  // cancelled: as it was
  }
  TSettings().RememberIndex(QString::fromLocal8Bit(form_.Run().KeyPath));
}

void TIndexChoice::Use(const std::string& path) {
  form_.Run().KeyPath = path;
  Show();
}

void TIndexChoice::Show() {
  const std::string& path = form_.Run().KeyPath;
  action_->setChecked(!path.empty());
  action_->setText(path.empty()
                       ? kActionText
                       : QString(kActionText) + " (" + QFileInfo(QString::fromLocal8Bit(path)).fileName() + ")");
  action_->setToolTip(path.empty() ? "Items keep numbered names" : QString::fromLocal8Bit(path));
}

}  // namespace trovex
