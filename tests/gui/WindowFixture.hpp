// The real window with its dialogs and message boxes scripted, for the
// window tests.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QSettings>
#include <deque>
#include <functional>

#include "builders/Bytes.hpp"
#include "framework/Paths.hpp"
#include "gui/TrovexWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {

constexpr int kBiffFilter = 1;
constexpr int kListFilter = 6;

// An archive with no entries: the signature, no files, no tilesets, the file
// table at offset 20.
inline std::string EmptyBiff() {
  std::string bytes = "BIFFV1  ";
  build::PutU32(bytes, 0);
  build::PutU32(bytes, 0);
  build::PutU32(bytes, 20);
  return bytes;
}

struct Box {
  QMessageBox::Icon icon;
  std::string text;
  std::string caption;
};

// The real window with its dialogs and message boxes scripted.
class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    TDialogHooks& dialogs = window.Port().Dialogs();
    dialogs.OpenFiles = [this](const std::vector<FileFilter>&) { return Take(openAnswers, OpenDialogResult{}); };
    dialogs.SaveResults = [this](const std::string& folder) {
      saveFolder = folder;
      return Take(saveAnswers, std::optional<std::string>());
    };
    dialogs.OpenFolder = [this](const QString& folder) { openedFolders.push_back(folder.toStdString()); };
    dialogs.ChooseDirectory = [this](const std::string& start) {
      chooserStart = start;
      if (onChooser) onChooser();
      return Take(directoryAnswers, std::optional<std::string>());
    };
    dialogs.Message = [this](QMessageBox::Icon icon, const QString& text, const QString& caption) {
      boxes.push_back({icon, text.toStdString(), caption.toStdString()});
    };
    dialogs.Question = [this](const QString& text, const QString&) {
      questions.push_back(text.toStdString());
      return Take(questionAnswers, true);
    };
    window.show();
  }
  void TearDown() override { SetCurrentDirectory(startDir); }

  template <typename T>
  static T Take(std::deque<T>& queue, T none) {
    if (queue.empty()) return none;
    T answer = queue.front();
    queue.pop_front();
    return answer;
  }
  // Clicks a button as the user would: nothing happens when it is disabled.
  void Click(Button button) {
    const TWindowControls& c = window.Controls();
    QAction* action = c.ToolButton(button);
    QAbstractButton* widget = action != nullptr ? qobject_cast<QAbstractButton*>(c.ToolBar1->widgetForAction(action))
                                                : (button == Button::SaveLog ? c.SaveLog : c.Stop);
    ASSERT_NE(widget, nullptr);
    widget->click();
  }
  bool Enabled(Button button) const {
    const TWindowControls& c = window.Controls();
    if (QAction* action = c.ToolButton(button)) return action->isEnabled();
    return (button == Button::SaveLog ? c.SaveLog : c.Stop)->isEnabled();
  }
  void AddArchives(const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names) {
      test::WriteFileBytes(dir / name, EmptyBiff());
      paths.push_back(dir / name);
    }
    openAnswers.push_back({true, kBiffFilter, paths});
    Click(Button::BAddLog);
  }

  std::string startDir = CurrentDirectory();
  test::TempDir dir;
  // Every window starts from no remembered choices.
  bool settingsCleared = (QSettings("Trovex", "Trovex").clear(), true);
  TTrovexWindow window;
  std::deque<OpenDialogResult> openAnswers;
  std::deque<std::optional<std::string>> directoryAnswers;
  std::deque<std::optional<std::string>> saveAnswers;
  std::function<void()> onChooser;
  std::string chooserStart;
  std::string saveFolder;
  std::vector<std::string> openedFolders;
  std::vector<Box> boxes;
  std::vector<std::string> questions;
  std::deque<bool> questionAnswers;
};

}  // namespace trovex
