#include "gui/DirectoryChooser.hpp"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "framework/Paths.hpp"
#include "gui/Settings.hpp"
#include "gui/SystemPath.hpp"

namespace trovex {

TDirectoryChooser::TDirectoryChooser(QWidget* owner, const QString& start) : QFileDialog(owner) {
  setWindowTitle("Select directory...");
  // The built-in dialog, so that accept() below decides what a typed name does.
  setOption(QFileDialog::DontUseNativeDialog, true);
  setOption(QFileDialog::ShowDirsOnly, true);
  setFileMode(QFileDialog::Directory);
  setAcceptMode(QFileDialog::AcceptOpen);
  setDirectory(start);
  // The dialog disables its accept button while the typed name is not an
  // existing directory; a new directory's name may be typed, so a non-empty
  // name keeps the button usable.
  if (auto* name = findChild<QLineEdit*>("fileNameEdit")) {
    connect(name, &QLineEdit::textChanged, this, [this](const QString& text) {
      auto* buttons = findChild<QDialogButtonBox*>("buttonBox");
      QPushButton* choose = buttons != nullptr ? buttons->button(QDialogButtonBox::Open) : nullptr;
      if (choose != nullptr && !text.trimmed().isEmpty()) choose->setEnabled(true);
    });
  }
  ConfirmCreate = [this](const QString&) {
    return QMessageBox::question(this, "Confirm", "The specified directory does not exist. Create it?",
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
  };
  ReportFailure = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
}

void TDirectoryChooser::accept() {
  const QStringList chosen = selectedFiles();
  if (chosen.isEmpty()) return;
  // Named as the system spells paths in the question and the message.
  const QString path = QDir::toNativeSeparators(chosen.constFirst());
  if (!QFileInfo::exists(path)) {
    if (!ConfirmCreate(path)) return;
    if (!ForceDirectories(SystemPath(path))) {
      ReportFailure("Cannot create directory " + path);
      return;
    }
  }
  QFileDialog::accept();
}

std::string TDirectoryChooser::ChosenDirectory() const {
  // Without a trailing separator, as the output directory is kept.
  const QStringList chosen = selectedFiles();
  return chosen.isEmpty() ? std::string() : SystemPath(QDir::cleanPath(chosen.constFirst()));
}

std::optional<std::string> RunDirectoryChooser(QWidget* owner, const std::string& start) {
  TSettings settings;
  TDirectoryChooser chooser(owner, settings.OutputFolderOr(QString::fromLocal8Bit(start)));
  if (chooser.exec() != QDialog::Accepted) return std::nullopt;
  std::string chosen = chooser.ChosenDirectory();
  settings.RememberOutputFolder(QString::fromLocal8Bit(chosen));
  return chosen;
}

}  // namespace trovex
