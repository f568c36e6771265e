// The window port on a terminal: the results pane is standard output, the
// labels and bars are a status line on standard error when it is a terminal,
// and the dialogs are answered from the command line.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "run/WindowPort.hpp"

namespace trovex {

class TTerminalWindow : public TWindowPort {
 public:
  TTerminalWindow(OpenDialogResult openAnswer, std::string directory, std::FILE* out, std::FILE* err,
                  bool drawStatus);

  // Called from ProcessMessages once after an interrupt was requested.
  std::function<void()> onInterrupt;
  // Asks ProcessMessages to call onInterrupt; safe to call from a signal handler.
  static void RequestInterrupt();
  static void ResetInterrupt();

  // Status texts are written only when verbose is set.
  bool verbose = false;

  // True when a message box other than the completion box was shown.
  bool ShowedOtherMessage() const { return showedOtherMessage_; }

  void SetLabel(Label label, const std::string& text) override;
  void SetBarMax(Bar bar, int maximum) override;
  void SetBarPosition(Bar bar, int position) override;
  int BarPosition(Bar bar) const override;
  void ClearResults() override;
  void AppendResult(const std::string& line) override;
  int ResultLineCount() const override { return resultLines_; }
  // Standard output holds results only: the error goes to standard error.
  void AppendRunError(const std::string&) override {}
  void FocusResults() override {}
  void SaveResults(const std::string&) override {}
  void SetButtonEnabled(Button, bool) override {}
  int ListCount() const override { return static_cast<int>(list_.size()); }
  std::string ListItem(int index) const override;
  void ListAppend(const std::string& text) override { list_.push_back(text); }
  void ListDelete(int index) override;
  void ListClear() override { list_.clear(); }
  bool ListSelected(int) const override { return false; }
  void ListSetCurrent(int) override {}
  OpenDialogResult ShowOpenDialog(const std::vector<FileFilter>& filters) override;
  std::optional<std::string> ShowSaveListDialog() override { return std::nullopt; }
  std::optional<std::string> ShowSaveResultsDialog(const std::string&) override { return std::nullopt; }
  std::optional<std::string> ChooseDirectory(const std::string& start) override;
  // With verbose on, every status text goes to standard error as a line.
  void SetStatus(const std::string& text, const std::string& folder) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ProcessMessages() override;
  void CloseWindow() override {}

  // Removes the status line, if one is drawn.
  void ClearStatus();

 private:
  void DrawStatus();

  OpenDialogResult openAnswer_;
  std::string directory_;
  std::FILE* out_;
  std::FILE* err_;
  bool drawStatus_;
  bool outIsTerminal_;
  std::chrono::steady_clock::time_point lastFlush_{};
  bool statusShown_ = false;
  bool showedOtherMessage_ = false;
  int resultLines_ = 0;
  std::vector<std::string> list_;
  std::map<Label, std::string> labels_;
  std::map<Bar, int> positions_;
  std::map<Bar, int> maxima_;
};

}  // namespace trovex
