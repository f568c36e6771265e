// The window as the handlers of a run see it: every operation goes to the
// real window, and while an extraction entry runs the Total bar follows its
// Progress bar, so that Total moves within an entry and not only between
// entries (with one entry it shows what Progress shows).
#pragma once

#include "run/WindowPort.hpp"

namespace trovex {

class TProgressWindow : public TWindowPort {
 public:
  explicit TProgressWindow(TWindowPort& window) : window_(window) {}

  // Entry index of count starts: Total follows Progress within the entry's
  // share of the bar, or stays where it is when follow is false (replay sets
  // Total itself, line by line).
  void BeginEntry(int index, int count, bool follow);
  // Total is left alone again.
  void EndEntries() { following_ = false; }

  void SetLabel(Label label, const std::string& text) override { window_.SetLabel(label, text); }
  void SetBarMax(Bar bar, int maximum) override { window_.SetBarMax(bar, maximum); }
  void SetBarPosition(Bar bar, int position) override;
  int BarPosition(Bar bar) const override { return window_.BarPosition(bar); }

  void ClearResults() override { window_.ClearResults(); }
  void AppendResult(const std::string& line) override { window_.AppendResult(line); }
  int ResultLineCount() const override { return window_.ResultLineCount(); }
  void AppendRunError(const std::string& message) override { window_.AppendRunError(message); }
  void FocusResults() override { window_.FocusResults(); }
  void SaveResults(const std::string& path) override { window_.SaveResults(path); }

  void SetButtonEnabled(Button button, bool enabled) override { window_.SetButtonEnabled(button, enabled); }

  int ListCount() const override { return window_.ListCount(); }
  std::string ListItem(int index) const override { return window_.ListItem(index); }
  void ListAppend(const std::string& text) override { window_.ListAppend(text); }
  void ListDelete(int index) override { window_.ListDelete(index); }
  void ListClear() override { window_.ListClear(); }
  bool ListSelected(int index) const override { return window_.ListSelected(index); }
  void ListSetCurrent(int index) override { window_.ListSetCurrent(index); }

  OpenDialogResult ShowOpenDialog(const std::vector<FileFilter>& filters) override {
    return window_.ShowOpenDialog(filters);
  }
  std::optional<std::string> ShowSaveListDialog() override { return window_.ShowSaveListDialog(); }
  std::optional<std::string> ShowSaveResultsDialog(const std::string& folder) override {
    return window_.ShowSaveResultsDialog(folder);
  }
  std::optional<std::string> ChooseDirectory(const std::string& start) override {
    return window_.ChooseDirectory(start);
  }

  void SetStatus(const std::string& text, const std::string& folder) override { window_.SetStatus(text, folder); }
  void ShowMessage(const std::string& text, const std::string& caption) override {
    window_.ShowMessage(text, caption);
  }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    return window_.AskYesNo(text, caption);
  }
  void ProcessMessages() override { window_.ProcessMessages(); }
  void CloseWindow() override { window_.CloseWindow(); }

 private:
  TWindowPort& window_;
  bool following_ = false;
  int index_ = 0;
  int count_ = 1;
};

}  // namespace trovex
