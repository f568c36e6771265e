// The window port on the Qt window: labels, bars, buttons, the input list and
// the results pane are the real widgets; dialogs and message boxes go through
// replaceable hooks that default to the real dialogs.
#pragma once

#include <QMessageBox>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/WindowControls.hpp"
#include "run/WindowPort.hpp"

namespace trovex {

// The modal interactions of the window. Each defaults to the real dialog;
// tests replace them with scripts.
struct TDialogHooks {
  std::function<OpenDialogResult(const std::vector<FileFilter>& filters)> OpenFiles;
  std::function<std::optional<std::string>()> SaveList;
  std::function<std::optional<std::string>(const std::string& folder)> SaveResults;
  std::function<std::optional<std::string>(const std::string& start)> ChooseDirectory;
  std::function<void(QMessageBox::Icon icon, const QString& text, const QString& caption)> Message;
  std::function<bool(const QString& text, const QString& caption)> Question;
  // Opens a folder in the desktop's file manager.
  std::function<void(const QString& folder)> OpenFolder;
};

// The real dialogs, owned by window.
TDialogHooks RealDialogs(QWidget* window);

class TQtWindowPort : public TWindowPort {
 public:
  TQtWindowPort(QWidget* window, const TWindowControls& controls);

  TDialogHooks& Dialogs() { return dialogs_; }
  // The application's error display: the message in a box captioned "Trovex".
  void ShowError(const std::string& message);
  // The results pane's lines as they were appended, byte for byte.
  const std::vector<std::string>& ResultLines() const { return resultLines_; }
  // The folder that Open folder opens; empty while it is hidden.
  const QString& StatusFolder() const { return statusFolder_; }

  void SetLabel(Label label, const std::string& text) override;
  void SetBarMax(Bar bar, int maximum) override;
  void SetBarPosition(Bar bar, int position) override;
  int BarPosition(Bar bar) const override;

  void ClearResults() override;
  void AppendResult(const std::string& line) override;
  int ResultLineCount() const override;
  void FocusResults() override;
  void SaveResults(const std::string& path) override;

  void SetButtonEnabled(Button button, bool enabled) override;

  int ListCount() const override;
  std::string ListItem(int index) const override;
  void ListAppend(const std::string& text) override;
  void ListDelete(int index) override;
  void ListClear() override;
  bool ListSelected(int index) const override;
  void ListSetCurrent(int index) override;

  OpenDialogResult ShowOpenDialog(const std::vector<FileFilter>& filters) override;
  std::optional<std::string> ShowSaveListDialog() override;
  std::optional<std::string> ShowSaveResultsDialog(const std::string& folder) override;
  std::optional<std::string> ChooseDirectory(const std::string& start) override;

  void SetStatus(const std::string& text, const std::string& folder) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ShowWarning(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void ProcessMessages() override;
  void CloseWindow() override;

 private:
  QListWidgetItem* CheckedItem(int index) const;

  QWidget* window_;
  const TWindowControls& controls_;
  TDialogHooks dialogs_;
  // The pane shows the lines decoded for display; these keep their bytes.
  std::vector<std::string> resultLines_;
  QString statusFolder_;
  // The sentences of the run so far, the status line's tooltip.
  QStringList statusHistory_;
};

}  // namespace trovex
