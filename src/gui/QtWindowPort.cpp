#include "gui/QtWindowPort.hpp"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QTextCursor>

#include "framework/Errors.hpp"
#include "framework/SafeOutput.hpp"
#include "gui/DirectoryChooser.hpp"
#include "gui/FileDialogs.hpp"
#include "gui/MessageBoxes.hpp"
#include "gui/RtfDocument.hpp"

namespace trovex {

namespace {

// Entries keep their bytes here; their text is only for display.
constexpr int kBytesRole = Qt::UserRole;

QString Display(const std::string& bytes) { return QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size())); }

}  // namespace

TDialogHooks RealDialogs(QWidget* window) {
  TDialogHooks hooks;
  hooks.OpenFiles = [window](const std::vector<FileFilter>& filters) { return RunOpenDialog(window, filters); };
  hooks.SaveList = [window] { return RunSaveDialog(window, kSaveListDialog); };
  hooks.SaveResults = [window](const std::string& folder) { return RunSaveDialog(window, kSaveResultsDialog, folder); };
  hooks.ChooseDirectory = [window](const std::string& start) { return RunDirectoryChooser(window, start); };
  hooks.Message = [window](QMessageBox::Icon icon, const QString& text, const QString& caption) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, window);
    FitCaption(box);
    box.exec();
  };
  hooks.Question = [window](const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, window);
    box.setDefaultButton(QMessageBox::Yes);
    FitCaption(box);
    return box.exec() == QMessageBox::Yes;
  };
  hooks.OpenFolder = [](const QString& folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); };
  return hooks;
}

TQtWindowPort::TQtWindowPort(QWidget* window, const TWindowControls& controls)
    : window_(window), controls_(controls), dialogs_(RealDialogs(window)) {
  QObject::connect(controls_.OpenFolder, &QPushButton::clicked, window_, [this] {
    if (!statusFolder_.isEmpty()) dialogs_.OpenFolder(statusFolder_);
  });
}

void TQtWindowPort::ShowError(const std::string& message) {
  dialogs_.Message(QMessageBox::Critical, Display(message), "Trovex");
}

void TQtWindowPort::SetLabel(Label label, const std::string& text) {
  controls_.LabelOf(label)->SetFullText(Display(text));
  if (label == Label::Extracted) PlaceProcessGroup(controls_);
}

void TQtWindowPort::SetBarMax(Bar bar, int maximum) { controls_.BarOf(bar)->setMaximum(maximum); }

// The bar would ignore a position outside its range; it is held at the
// nearest end instead, so that reading it back gives what it shows.
void TQtWindowPort::SetBarPosition(Bar bar, int position) {
  QProgressBar* target = controls_.BarOf(bar);
  target->setValue(qBound(target->minimum(), position, target->maximum()));
}

int TQtWindowPort::BarPosition(Bar bar) const { return controls_.BarOf(bar)->value(); }

void TQtWindowPort::ClearResults() {
  controls_.Results->clear();
  resultLines_.clear();
}

// Lines go in as plain text, so that a line that looks like markup is shown
// as it stands, and the pane follows the last line.
void TQtWindowPort::AppendResult(const std::string& line) {
  QTextEdit* pane = controls_.Results;
  QTextCursor cursor = pane->textCursor();
  cursor.movePosition(QTextCursor::End);
  if (!resultLines_.empty()) cursor.insertBlock();
  cursor.insertText(Display(line));
  pane->setTextCursor(cursor);
  pane->ensureCursorVisible();
  resultLines_.push_back(line);
}

int TQtWindowPort::ResultLineCount() const { return static_cast<int>(resultLines_.size()); }

void TQtWindowPort::FocusResults() { controls_.Results->setFocus(); }

void TQtWindowPort::SaveResults(const std::string& path) {
  WriteWholeFile(path, SavedResultsDocument(path, resultLines_));
}

// The kinds choice and drops on the list go with Add: they are refused
// while Add is (during a run).
void TQtWindowPort::SetButtonEnabled(Button button, bool enabled) {
  if (button == Button::BAddLog) {
    controls_.Kinds->setEnabled(enabled);
    controls_.LogList->SetDropsRefused(!enabled);
  }
  if (QAction* action = controls_.ToolButton(button)) {
    action->setEnabled(enabled);
  } else {
    (button == Button::SaveLog ? controls_.SaveLog : controls_.Stop)->setEnabled(enabled);
  }
}

int TQtWindowPort::ListCount() const { return controls_.LogList->count(); }

QListWidgetItem* TQtWindowPort::CheckedItem(int index) const {
  QListWidgetItem* item = controls_.LogList->item(index);
  if (item == nullptr) throw EListError(index);
  return item;
}

std::string TQtWindowPort::ListItem(int index) const {
  return CheckedItem(index)->data(kBytesRole).toByteArray().toStdString();
}

void TQtWindowPort::ListAppend(const std::string& text) {
  auto* item = new QListWidgetItem(Display(text));
  item->setData(kBytesRole, QByteArray::fromStdString(text));
  item->setToolTip(item->text());
  controls_.LogList->addItem(item);
}

void TQtWindowPort::ListDelete(int index) { delete CheckedItem(index); }

void TQtWindowPort::ListClear() { controls_.LogList->clear(); }

bool TQtWindowPort::ListSelected(int index) const { return CheckedItem(index)->isSelected(); }

// Moves the focus mark only; the selection stays as it is.
void TQtWindowPort::ListSetCurrent(int index) {
  QListWidget* list = controls_.LogList;
  list->setCurrentItem(index < 0 ? nullptr : CheckedItem(index), QItemSelectionModel::NoUpdate);
}

OpenDialogResult TQtWindowPort::ShowOpenDialog(const std::vector<FileFilter>& filters) {
  return dialogs_.OpenFiles(filters);
}

std::optional<std::string> TQtWindowPort::ShowSaveListDialog() { return dialogs_.SaveList(); }

std::optional<std::string> TQtWindowPort::ShowSaveResultsDialog(const std::string& folder) {
  return dialogs_.SaveResults(folder);
}

// Once the chooser has closed, the main window takes the keyboard again, so
// that Esc reaches it during the run that follows.
std::optional<std::string> TQtWindowPort::ChooseDirectory(const std::string& start) {
  std::optional<std::string> chosen = dialogs_.ChooseDirectory(start);
  window_->raise();
  window_->activateWindow();
  return chosen;
}

// An empty text starts a new run's history. The open folder action shows
// with the folder of a run's totals.
void TQtWindowPort::SetStatus(const std::string& text, const std::string& folder) {
  const QString shown = Display(text);
  if (shown.isEmpty()) statusHistory_.clear();
  else statusHistory_ << shown;
  controls_.StatusLine->setText(shown);
  controls_.StatusLine->setToolTip(statusHistory_.join('\n'));
  statusFolder_ = Display(folder);
  controls_.OpenFolder->setVisible(!statusFolder_.isEmpty());
}

void TQtWindowPort::ShowMessage(const std::string& text, const std::string& caption) {
  dialogs_.Message(QMessageBox::Information, Display(text), Display(caption));
}

void TQtWindowPort::ShowWarning(const std::string& text, const std::string& caption) {
  dialogs_.Message(QMessageBox::Warning, Display(text), Display(caption));
}

bool TQtWindowPort::AskYesNo(const std::string& text, const std::string& caption) {
  return dialogs_.Question(Display(text), Display(caption));
}

void TQtWindowPort::ProcessMessages() { QCoreApplication::processEvents(); }

void TQtWindowPort::CloseWindow() { window_->close(); }

}  // namespace trovex
