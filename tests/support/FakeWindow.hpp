// A window for tests: records what the logic does to it and answers its
// dialogs from a script.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "run/WindowPort.hpp"

namespace trovex::test {

class FakeWindow : public TWindowPort {
 public:
  // Labels, bars and buttons as they stand.
  std::map<Label, std::string> labels;
  std::map<Bar, int> positions;
  std::map<Bar, int> maxima;
  std::map<Button, bool> enabled;
  // Every position each bar was set to, in order.
  std::map<Bar, std::vector<int>> barHistory;

  std::vector<std::string> results;
  std::vector<std::string> list;
  std::vector<bool> selected;
  int current = -1;

  // Scripted answers, taken front first; an empty queue answers "cancelled".
  std::deque<OpenDialogResult> openAnswers;
  std::deque<std::optional<std::string>> saveListAnswers;
  std::deque<std::optional<std::string>> saveResultsAnswers;
  std::deque<std::optional<std::string>> directoryAnswers;

  struct Box {
    std::string text;
    std::string caption;
  };
  std::vector<Box> messages;
  // Questions asked, and their scripted answers (Yes when none is left).
  std::vector<Box> questions;
  std::deque<bool> questionAnswers;
  std::vector<std::string> savedResults;  // paths Save results wrote
  int pumps = 0;
  int focusCount = 0;
  bool closed = false;
  std::vector<FileFilter> lastFilters;
  std::string lastChooserStart;
  std::string lastSaveResultsFolder;
  // Every text the status line was given, and the folder it offers now.
  std::vector<std::string> statuses;
  std::string statusFolder;
  // Called on every ProcessMessages, so a test can click in the middle of a run.
  std::function<void()> onPump;

  void SetLabel(Label label, const std::string& text) override { labels[label] = text; }
  void SetBarMax(Bar bar, int maximum) override { maxima[bar] = maximum; }
  void SetBarPosition(Bar bar, int position) override {
    positions[bar] = position;
    barHistory[bar].push_back(position);
  }
  int BarPosition(Bar bar) const override {
    auto it = positions.find(bar);
    return it == positions.end() ? 0 : it->second;
  }
  void ClearResults() override { results.clear(); }
  void AppendResult(const std::string& line) override { results.push_back(line); }
  int ResultLineCount() const override { return static_cast<int>(results.size()); }
  void FocusResults() override { ++focusCount; }
  void SaveResults(const std::string& path) override { savedResults.push_back(path); }
  void SetButtonEnabled(Button button, bool on) override { enabled[button] = on; }
  bool IsEnabled(Button button) const {
    auto it = enabled.find(button);
    return it != enabled.end() && it->second;
  }

  int ListCount() const override { return static_cast<int>(list.size()); }
  std::string ListItem(int index) const override { return list.at(static_cast<std::size_t>(index)); }
  void ListAppend(const std::string& text) override {
    list.push_back(text);
    selected.push_back(false);
  }
  void ListDelete(int index) override {
    list.erase(list.begin() + index);
    selected.erase(selected.begin() + index);
  }
  void ListClear() override {
    list.clear();
    selected.clear();
    current = -1;
  }
  bool ListSelected(int index) const override { return selected.at(static_cast<std::size_t>(index)); }
  void ListSetCurrent(int index) override { current = index; }

  OpenDialogResult ShowOpenDialog(const std::vector<FileFilter>& filters) override {
    lastFilters = filters;
    if (openAnswers.empty()) return {};
    auto answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
  }
  std::optional<std::string> ShowSaveListDialog() override { return Take(saveListAnswers); }
  std::optional<std::string> ShowSaveResultsDialog(const std::string& folder) override {
    lastSaveResultsFolder = folder;
    return Take(saveResultsAnswers);
  }
  void SetStatus(const std::string& text, const std::string& folder) override {
    statuses.push_back(text);
    statusFolder = folder;
  }
  std::optional<std::string> ChooseDirectory(const std::string& start) override {
    lastChooserStart = start;
    return Take(directoryAnswers);
  }
  void ShowMessage(const std::string& text, const std::string& caption) override {
    messages.push_back({text, caption});
  }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    questions.push_back({text, caption});
    if (questionAnswers.empty()) return true;
    const bool answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
  }
  void ProcessMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  void CloseWindow() override { closed = true; }

 private:
  static std::optional<std::string> Take(std::deque<std::optional<std::string>>& queue) {
    if (queue.empty()) return std::nullopt;
    auto answer = queue.front();
    queue.pop_front();
    return answer;
  }
};

}  // namespace trovex::test
