// The window port: every operation that the program's logic needs of a window.
// The Qt window, the terminal front end and the tests' fake implement it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace trovex {

enum class Label { CurrentMessage, Extracted };
enum class Bar { Progress, Total };
enum class Button { BAddLog, BSaveList, BRemLog, BClearAll, BProcess, BExit, SaveLog, Stop };

// One filter of the open dialog: the text shown and its pattern.
struct FileFilter {
  const char* text;
  const char* pattern;
};

struct OpenDialogResult {
  bool confirmed = false;
  int filterIndex = 0;  // 1-based index of the filter in use
  std::vector<std::string> paths;
};

class TWindowPort {
 public:
  virtual ~TWindowPort() = default;

  virtual void SetLabel(Label label, const std::string& text) = 0;
  virtual void SetBarMax(Bar bar, int maximum) = 0;
  virtual void SetBarPosition(Bar bar, int position) = 0;
  virtual int BarPosition(Bar bar) const = 0;

  virtual void ClearResults() = 0;
  virtual void AppendResult(const std::string& line) = 0;
  virtual int ResultLineCount() const = 0;
  // The error that ended a run, as the pane's last line. A front end that
  // shows the error elsewhere as well may leave it out of its pane.
  virtual void AppendRunError(const std::string& message) { AppendResult(message); }
  virtual void FocusResults() = 0;
  // Writes the results pane to a file: an RTF document when the name ends in
  // ".rtf", the pane's lines as plain text otherwise.
  virtual void SaveResults(const std::string& path) = 0;

  virtual void SetButtonEnabled(Button button, bool enabled) = 0;

  // The input list.
  virtual int ListCount() const = 0;
  virtual std::string ListItem(int index) const = 0;
  virtual void ListAppend(const std::string& text) = 0;
  virtual void ListDelete(int index) = 0;
  virtual void ListClear() = 0;
  virtual bool ListSelected(int index) const = 0;
  // -1 sets no current entry.
  virtual void ListSetCurrent(int index) = 0;

  virtual OpenDialogResult ShowOpenDialog(const std::vector<FileFilter>& filters) = 0;
  virtual std::optional<std::string> ShowSaveListDialog() = 0;
  // Starts in folder (the last run's output folder) when it is not empty.
  virtual std::optional<std::string> ShowSaveResultsDialog(const std::string& folder) = 0;
  // The directory chooser, starting at start; creates a typed directory that
  // does not exist when the user agrees.
  virtual std::optional<std::string> ChooseDirectory(const std::string& start) = 0;

  // The status line at the foot of the window: what the last input wrote and
  // where, or at the end of a run its totals. A folder that is not empty is
  // the run's output folder, which the window offers to open.
  virtual void SetStatus(const std::string& /*text*/, const std::string& /*folder*/) {}

  // A modal box with the information icon and one OK button.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  // A modal box with the warning icon and one OK button, for what the user
  // should know before going on; a window without that icon shows a message.
  virtual void ShowWarning(const std::string& text, const std::string& caption) { ShowMessage(text, caption); }
  // A modal question with Yes and No; true for Yes. A window that has nobody
  // to ask answers Yes.
  virtual bool AskYesNo(const std::string& /*text*/, const std::string& /*caption*/) { return true; }
  // Lets pending window events (clicks, repaints, signals) be handled.
  virtual void ProcessMessages() = 0;
  virtual void CloseWindow() = 0;
};

}  // namespace trovex
