#include <gtest/gtest.h>

#include "app/MainForm.hpp"
#include "framework/Errors.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using test::FakeWindow;

constexpr int kBiffFilter = 1;
constexpr int kTalkFilter = 2;
constexpr int kListFilter = 6;
constexpr int kLogFilter = 7;

OpenDialogResult Chosen(int filter, std::vector<std::string> paths) { return {true, filter, std::move(paths)}; }

class ListCommands : public ::testing::Test {
 protected:
  void SetUp() override { form.FormCreate(); }
  void Add(int filter, std::vector<std::string> paths) {
    window.openAnswers.push_back(Chosen(filter, std::move(paths)));
    form.BAddLogClick();
  }
  bool ListCommandsEnabled() const {
    return window.IsEnabled(Button::BRemLog) && window.IsEnabled(Button::BProcess) &&
           window.IsEnabled(Button::BSaveList) && window.IsEnabled(Button::BClearAll);
  }
  bool ListCommandsDisabled() const {
    return !window.IsEnabled(Button::BRemLog) && !window.IsEnabled(Button::BProcess) &&
           !window.IsEnabled(Button::BSaveList) && !window.IsEnabled(Button::BClearAll);
  }
  FakeWindow window;
  TMainForm form{window};
};

TEST_F(ListCommands, AddOffersTheNineFiltersAndAnotherTypeReplacesTheList) {
  Add(kBiffFilter, {"/g/a.bif", "/g/b.bif"});
  ASSERT_EQ(window.lastFilters.size(), 9u);
  EXPECT_STREQ(window.lastFilters[4].text, "Interplay Video (*.mve) ");
  EXPECT_STREQ(window.lastFilters[7].text, "Make BIFF Compressed");
  EXPECT_EQ(form.FormatCode(), 3);
  Add(kTalkFilter, {"/g/dialog.tlk"});
  EXPECT_EQ(window.list, std::vector<std::string>{"/g/dialog.tlk"});
  ASSERT_EQ(window.questions.size(), 1u);
  EXPECT_EQ(window.questions[0].text, "The list holds BIFF archives. Replace them with TALK tables?");
  Add(kTalkFilter, {"/g/dialog.tlk", "/g/other.tlk"});  // same type: appended, duplicates too
  EXPECT_EQ(window.list, (std::vector<std::string>{"/g/dialog.tlk", "/g/dialog.tlk", "/g/other.tlk"}));
  EXPECT_EQ(form.FormatCode(), 6);
  EXPECT_TRUE(ListCommandsEnabled());
}

// A run names its outputs after its inputs: files of one name (as the system
// compares names), with each other or with the list, are warned of at once,
// and added all the same. Job logs are all called alike and are not.
TEST_F(ListCommands, AddWarnsOfFilesOfTheSameName) {
  Add(kBiffFilter, {"/g/a/X.bif", "/g/a/Y.bif"});
  EXPECT_TRUE(window.messages.empty());
  Add(kBiffFilter, {"/g/b/X.bif", "/g/b/Z.bif", "/g/c/Z.bif"});
  EXPECT_EQ(window.list.size(), 5u);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].caption, "Add files");
  EXPECT_EQ(window.messages[0].text,
            "The list holds files of the same name. A run names its outputs after its inputs, so it refuses each of "
            "these:\n/g/b/X.bif (the same name as /g/a/X.bif)\n/g/c/Z.bif (the same name as /g/b/Z.bif)");
  Add(kLogFilter, {"/g/a/result.log", "/g/b/result.log"});
  EXPECT_EQ(window.messages.size(), 1u);
}

TEST_F(ListCommands, ProjectListReplacesTheWholeListEachTime) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "one.lst", "/logs/a.log\r\n/logs/b.log\r\n");
  test::WriteFileBytes(dir / "two.lst", "/logs/c.log\n");
  Add(kListFilter, {dir / "one.lst"});
  EXPECT_EQ(window.list, (std::vector<std::string>{"/logs/a.log", "/logs/b.log"}));
  Add(kListFilter, {dir / "two.lst"});
  EXPECT_EQ(window.list, std::vector<std::string>{"/logs/c.log"});
  EXPECT_EQ(form.FormatCode(), 8);
}

TEST_F(ListCommands, UnreadableProjectListFailsWithTheFileErrorAndLeavesCommandsDisabled) {
  Add(kBiffFilter, {"/g/a.bif"});
  window.openAnswers.push_back(Chosen(kListFilter, {"/no/such.lst"}));
  EXPECT_THROW(form.BAddLogClick(), EFOpenError);
  EXPECT_TRUE(window.list.empty());  // the type changed, so the list was emptied first
  EXPECT_FALSE(window.IsEnabled(Button::BProcess));
}

TEST_F(ListCommands, CancelledAddKeepsTheListAndReenablesItsCommands) {
  Add(kBiffFilter, {"/g/a.bif"});
  form.BAddLogClick();  // no scripted answer: cancelled
  EXPECT_EQ(window.list, std::vector<std::string>{"/g/a.bif"});
  EXPECT_TRUE(ListCommandsEnabled());
  FakeWindow empty;
  TMainForm fresh(empty);
  fresh.BAddLogClick();
  EXPECT_FALSE(empty.IsEnabled(Button::BProcess));
  EXPECT_EQ(fresh.FormatCode(), 0);
}

TEST_F(ListCommands, RemoveDeletesSelectedEntriesAndDisablesWhenEmpty) {
  Add(kBiffFilter, {"/a", "/b", "/c"});
  window.selected = {true, false, true};
  form.BRemLogClick();
  EXPECT_EQ(window.list, std::vector<std::string>{"/b"});
  EXPECT_EQ(window.current, 0);
  EXPECT_TRUE(ListCommandsEnabled());
  window.selected = {true};
  form.BRemLogClick();
  EXPECT_TRUE(window.list.empty());
  EXPECT_EQ(window.current, -1);
  EXPECT_TRUE(ListCommandsDisabled());
  EXPECT_EQ(form.FormatCode(), 3);  // Remove keeps the input type
}

TEST_F(ListCommands, ClearAllEmptiesAndDisables) {
  Add(kBiffFilter, {"/a", "/b"});
  form.BClearAllClick();
  EXPECT_TRUE(window.list.empty());
  EXPECT_TRUE(ListCommandsDisabled());
}

TEST_F(ListCommands, SaveListWritesAProjectListAndSaveResultsReports) {
  test::TempDir dir;
  Add(kBiffFilter, {"/g/a b.bif", "/g/c.bif"});
  window.saveListAnswers.push_back(dir / "project.lst");
  form.BSaveListClick();
  EXPECT_EQ(test::ReadFileBytes(dir / "project.lst"), "/g/a b.bif\r\n/g/c.bif\r\n");
  window.SetButtonEnabled(Button::SaveLog, true);
  window.saveResultsAnswers.push_back(dir / "results.txt");
  form.SaveLogClick();
  EXPECT_EQ(window.savedResults, std::vector<std::string>{dir / "results.txt"});
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "results.txt");
  EXPECT_EQ(window.messages[0].caption, "Operation status");
  EXPECT_FALSE(window.IsEnabled(Button::SaveLog));
  form.SaveLogClick();  // cancelled: nothing more
  EXPECT_EQ(window.messages.size(), 1u);
}

TEST_F(ListCommands, NoKeepsTheListOfTheOtherTypeAndTheTypeInForceIsShown) {
  EXPECT_EQ(window.labels[Label::CurrentMessage], "");
  Add(kBiffFilter, {"/g/a.bif"});
  EXPECT_EQ(window.labels[Label::CurrentMessage], "Input: BIFF packages (*.bif)");
  window.questionAnswers.push_back(false);
  Add(kTalkFilter, {"/g/dialog.tlk"});
  EXPECT_EQ(window.list, std::vector<std::string>{"/g/a.bif"});
  EXPECT_EQ(form.FormatCode(), 3);
  EXPECT_EQ(window.labels[Label::CurrentMessage], "Input: BIFF packages (*.bif)");
  EXPECT_TRUE(ListCommandsEnabled());
  // An emptied list is replaced without asking.
  form.BClearAllClick();
  Add(kTalkFilter, {"/g/dialog.tlk"});
  EXPECT_EQ(window.questions.size(), 1u);
  EXPECT_EQ(window.labels[Label::CurrentMessage], "Input: TALK text (*.tlk)");
}

TEST_F(ListCommands, DroppedFilesTakeTheTypeOfTheirExtension) {
  form.AddDroppedFiles({"/g/DIALOG.TLK", "/g/other.tlk"});
  EXPECT_EQ(form.FormatCode(), 6);
  EXPECT_EQ(window.list, (std::vector<std::string>{"/g/DIALOG.TLK", "/g/other.tlk"}));
  EXPECT_TRUE(ListCommandsEnabled());
  form.AddDroppedFiles({"/g/a.bif"});  // the first row of the extension: extraction, not compression
  EXPECT_EQ(form.FormatCode(), 3);
  EXPECT_EQ(window.list, std::vector<std::string>{"/g/a.bif"});

  form.AddDroppedFiles({"/g/b.bif", "/g/chitin.key"});
  form.AddDroppedFiles({"/g/c.bif", "/g/notes.txt"});
  form.AddDroppedFiles({"/g/README"});
  EXPECT_EQ(window.list, std::vector<std::string>{"/g/a.bif"});
  ASSERT_EQ(window.messages.size(), 3u);
  EXPECT_EQ(window.messages[0].text,
            "The files are of different input types (BIFF archives and KEY indexes); add the files of one type at a "
            "time.");
  EXPECT_EQ(window.messages[1].text,
            "notes.txt is of no input type that Trovex reads (.bif, .tlk, .fon, .wav, .mve, .lst, .log, .key).");
  EXPECT_EQ(window.messages[2].text.rfind("README is of no input type", 0), 0u);
}

TEST_F(ListCommands, StopMarksAndDisablesExitCloses) {
  window.SetButtonEnabled(Button::Stop, true);
  form.StopClick();
  EXPECT_TRUE(form.Run().StopRequested());
  EXPECT_FALSE(window.IsEnabled(Button::Stop));
  form.BExitClick();
  EXPECT_TRUE(window.closed);
}

}  // namespace
}  // namespace trovex
