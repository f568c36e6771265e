#include <gtest/gtest.h>

#include <algorithm>

#include "app/MainForm.hpp"
#include "builders/TalkBuilder.hpp"
#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using test::FakeWindow;

constexpr int kBiffFilter = 1;
constexpr int kLogFilter = 7;

// An archive with no entries.
const std::string kEmptyBiff("BIFFV1  \0\0\0\0\0\0\0\0\x14\0\0\0", 20);

class Process : public ::testing::Test {
 protected:
  void SetUp() override {
    previousDir = CurrentDirectory();
    form.FormCreate();
  }
  void TearDown() override { SetCurrentDirectory(previousDir); }
  void Add(int filter, std::vector<std::string> paths) {
    window.openAnswers.push_back({true, filter, std::move(paths)});
    form.BAddLogClick();
  }
  std::string previousDir;
  test::TempDir dir;
  FakeWindow window;
  TMainForm form{window};
};

TEST_F(Process, ExtractionRunWritesTheJobLogAsResultLog) {
  test::WriteFileBytes(dir / "A.bif", kEmptyBiff);
  Add(kBiffFilter, {dir / "A.bif"});
  window.directoryAnswers.push_back(dir / "out/");
  ForceDirectories(dir / "out");
  form.BProcessClick();
  EXPECT_EQ(form.Run().OutputDir, dir / "out");
  EXPECT_EQ(CurrentDirectory(), dir / "out");
  EXPECT_EQ(test::ReadFileBytes(dir / "out/result.log"), "#Format: BIFF\r\n#Source: " + (dir / "A.bif") + "\r\n");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "Operation complete!");
  EXPECT_EQ(window.messages[0].caption, "Process status:");
  EXPECT_EQ(window.labels[Label::CurrentMessage], "Input: BIFF packages (*.bif)");
  EXPECT_EQ(window.labels[Label::Extracted], "");
  EXPECT_EQ(window.BarPosition(Bar::Progress), 0);
  EXPECT_FALSE(window.IsEnabled(Button::Stop));
}

// Texts of an earlier run or entry never stay on screen while the next one
// works: every entry starts with empty labels and Progress at 0.
TEST_F(Process, EveryEntryStartsWithFreshLabelsAndProgress) {
  test::WriteFileBytes(dir / "A.bif", kEmptyBiff);
  test::WriteFileBytes(dir / "B.bif", kEmptyBiff);
  Add(kBiffFilter, {dir / "A.bif", dir / "B.bif"});
  window.directoryAnswers.push_back(dir.path());
  window.SetLabel(Label::Extracted, "Extracted: 0");
  // The window is pumped inside each handler and after each entry; stale
  // texts put there after an entry must be gone when the next handler pumps.
  // Each empty archive's handler pumps once, with its own message shown.
  std::vector<std::string> seenAtPumps;
  window.onPump = [&] {
    if (window.labels[Label::CurrentMessage] != "Processing old...") {
      seenAtPumps.push_back(window.labels[Label::Extracted] + "|" + window.labels[Label::CurrentMessage] + "|" +
                            std::to_string(window.BarPosition(Bar::Progress)));
      window.SetLabel(Label::CurrentMessage, "Processing old...");
      return;
    }
    window.SetLabel(Label::Extracted, "Extracted: 7 of 9");
    window.SetBarPosition(Bar::Progress, 60);
  };
  form.BProcessClick();
  EXPECT_EQ(seenAtPumps, (std::vector<std::string>{"|Processing A.bif...|0", "|Processing B.bif...|0"}));
}

TEST_F(Process, TotalMovesAsEntriesFinishAndFollowsProgressWithinOne) {
  std::vector<std::string> strings(300, "text");
  test::WriteFileBytes(dir / "one.tlk", build::MakeTalkTable(strings));
  Add(2, {dir / "one.tlk"});
  window.directoryAnswers.push_back(dir.path());
  window.barHistory.clear();
  form.BProcessClick();
  const std::vector<int>& total = window.barHistory[Bar::Total];
  // A single entry: Total shows what Progress shows, then 100, then the reset.
  EXPECT_EQ(window.barHistory[Bar::Progress].back(), 0);
  ASSERT_GE(total.size(), 3u);
  EXPECT_EQ(total[total.size() - 2], 100);
  EXPECT_EQ(total.back(), 0);
  EXPECT_TRUE(std::is_sorted(total.begin() + 1, total.end() - 1));

  // Several entries: Total follows each entry's share of the bar.
  TProgressWindow follower(window);
  window.barHistory.clear();
  follower.BeginEntry(2, 4, true);
  follower.SetBarPosition(Bar::Progress, 40);
  follower.SetBarPosition(Bar::Progress, 100);
  follower.BeginEntry(3, 4, false);
  follower.SetBarPosition(Bar::Progress, 40);
  EXPECT_EQ(window.barHistory[Bar::Total], (std::vector<int>{60, 75}));
}

TEST_F(Process, ListCommandsAreDisabledForTheRunAndRestoredAfterIt) {
  test::WriteFileBytes(dir / "A.bif", kEmptyBiff);
  Add(kBiffFilter, {dir / "A.bif"});
  window.directoryAnswers.push_back(dir.path());
  std::vector<Button> enabledDuringRun;
  window.onPump = [&] {
    for (Button b : {Button::BAddLog, Button::BSaveList, Button::BRemLog, Button::BClearAll, Button::BProcess}) {
      if (window.IsEnabled(b)) enabledDuringRun.push_back(b);
    }
  };
  form.BProcessClick();
  EXPECT_TRUE(enabledDuringRun.empty());
  for (Button b : {Button::BAddLog, Button::BSaveList, Button::BRemLog, Button::BClearAll, Button::BProcess}) {
    EXPECT_TRUE(window.IsEnabled(b));
  }
}

TEST_F(Process, ReplayRunsKeepTheirLogInMemoryOnlyAndTotalMovesPerLog) {
  std::vector<std::string> logs;
  for (const char* name : {"a.log", "b.log", "c.log", "d.log"}) {
    test::WriteFileBytes(dir / name, "");
    logs.push_back(dir / name);
  }
  Add(kLogFilter, logs);
  window.directoryAnswers.push_back(dir.path());
  // Logs that are not job logs pass over without pumping: every pump comes
  // after an entry.
  std::vector<int> totalAfterEntries;
  window.onPump = [&] { totalAfterEntries.push_back(window.BarPosition(Bar::Total)); };
  form.BProcessClick();
  EXPECT_EQ(totalAfterEntries, (std::vector<int>{25, 50, 75, 100}));
  EXPECT_EQ(window.BarPosition(Bar::Total), 0);
  EXPECT_EQ(form.Run().JobLog.Count(), 8u);
  EXPECT_EQ(form.Run().JobLog.Get(0), "#Format: ");
  EXPECT_FALSE(PathExists(dir / "result.log"));
  EXPECT_EQ(window.messages.back().text, "Operation complete!");
}

TEST_F(Process, CancelledChooserEmptiesResultsWritesNothingAndStillCompletes) {
  Add(kBiffFilter, {dir / "A.bif"});
  window.results = {"old line"};
  form.BProcessClick();  // no scripted directory: cancelled
  EXPECT_TRUE(window.results.empty());
  EXPECT_TRUE(form.Run().JobLog.Empty());
  EXPECT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{});
  EXPECT_EQ(window.messages.back().text, "Operation complete!");
}

TEST_F(Process, HandlerFailureEndsTheRunWithItsMessageAndTheFormStaysUsable) {
  Add(kBiffFilter, {dir / "missing.bif", dir / "A.bif"});
  window.directoryAnswers.push_back(dir.path());
  try {
    form.BProcessClick();
    FAIL() << "the missing archive should end the run";
  } catch (const Exception& error) {
    // The cause as the system gave it, and the path once.
    EXPECT_EQ(std::string(error.what()),
              "Cannot open file " + (dir / "missing.bif") + ": No such file or directory (input 1 of 2)");
  }
  EXPECT_FALSE(form.Running());
  // As after a normal end: Stop off, bars and labels reset, commands back.
  EXPECT_FALSE(window.IsEnabled(Button::Stop));
  EXPECT_EQ(window.BarPosition(Bar::Progress), 0);
  EXPECT_EQ(window.BarPosition(Bar::Total), 0);
  EXPECT_EQ(window.labels[Label::Extracted], "");
  EXPECT_TRUE(window.IsEnabled(Button::BProcess));
  EXPECT_TRUE(window.IsEnabled(Button::BAddLog));
  EXPECT_FALSE(PathExists(dir / "result.log"));
  EXPECT_TRUE(window.messages.empty());
  // The window goes on working: the next Process runs.
  test::WriteFileBytes(dir / "missing.bif", kEmptyBiff);
  test::WriteFileBytes(dir / "A.bif", kEmptyBiff);
  window.directoryAnswers.push_back(dir.path());
  form.BProcessClick();
  EXPECT_EQ(window.messages.back().text, "Operation complete!");
}

// The first archive's items are on disk: the job log keeps them replayable,
// and the error says which input ended the run.
TEST_F(Process, FailureAtTheSecondInputKeepsTheFirstInputsJobLog) {
  const std::string sound = "WAVC" + std::string(40, 'x');
  std::string archive("BIFFV1  \1\0\0\0\0\0\0\0\x14\0\0\0", 20);
  archive += std::string("\0\0\0\0\x24\0\0\0\x2C\0\0\0\x04\0\0\0", 16) + sound;
  test::WriteFileBytes(dir / "A.bif", archive);
  test::WriteFileBytes(dir / "B.bif", archive.substr(0, 30));  // its table cut short
  Add(kBiffFilter, {dir / "A.bif", dir / "B.bif"});
  window.directoryAnswers.push_back(dir / "out");
  ForceDirectories(dir / "out");
  try {
    form.BProcessClick();
    FAIL() << "the damaged archive should end the run";
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()),
              "Invalid BIFF archive " + (dir / "B.bif") + ": file table beyond end of file (input 2 of 2)");
  }
  EXPECT_EQ(test::ReadFileBytes(dir / "out/result.log"),
            "#Format: BIFF\r\n#Source: " + (dir / "A.bif") + "\r\n#Target WAV 0x00000000: " +
                (dir / "out/ACM Sound/A_0000.acm") + "\r\n");
}

TEST_F(Process, RunIsNotReenteredAndTheListIsNotChangedWhileRunning) {
  test::WriteFileBytes(dir / "A.bif", kEmptyBiff);
  Add(kBiffFilter, {dir / "A.bif"});
  window.directoryAnswers.push_back(dir.path());
  int chooserCalls = 0;
  window.onPump = [&] {
    window.selected = {true};
    form.BRemLogClick();
    form.BClearAllClick();
    form.AddDroppedFiles({dir / "B.bif"});
    form.BAddLogClick();
    form.BProcessClick();
    chooserCalls = static_cast<int>(window.directoryAnswers.size());
  };
  form.BProcessClick();
  EXPECT_EQ(window.list.size(), 1u);
  EXPECT_EQ(chooserCalls, 0);
  EXPECT_EQ(window.messages.size(), 1u);
}

TEST_F(Process, DispatchWithoutHandlerLeavesStopAloneAndSetsSaveResults) {
  form.DispatchFormat(9, "/nothing");
  EXPECT_FALSE(window.IsEnabled(Button::Stop));
  EXPECT_FALSE(window.IsEnabled(Button::SaveLog));
  EXPECT_EQ(window.focusCount, 1);
  window.results = {"a line"};
  form.DispatchFormat(0, "/nothing");
  EXPECT_TRUE(window.IsEnabled(Button::SaveLog));
}

TEST_F(Process, ReportProgressPumpsOnlyOnChange) {
  form.ReportProgress(0);
  EXPECT_EQ(window.pumps, 0);
  form.ReportProgress(40);
  form.ReportProgress(40);
  EXPECT_EQ(window.pumps, 1);
  EXPECT_EQ(window.BarPosition(Bar::Progress), 40);
}

}  // namespace
}  // namespace trovex
