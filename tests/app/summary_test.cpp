// What a run tells the user it wrote, and where; the messages of runs that
// end in an error; the type check of Add.
#include <gtest/gtest.h>

#include "app/MainForm.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/KeyBuilder.hpp"
#include "builders/TalkBuilder.hpp"
#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

constexpr int kBiffFilter = 1;
constexpr int kTalkFilter = 2;
constexpr int kLogFilter = 7;
constexpr int kCompressFilter = 8;
constexpr int kKeyFilter = 9;

class Summary : public ::testing::Test {
 protected:
  void SetUp() override { form.FormCreate(); }
  void TearDown() override { SetCurrentDirectory(previousDir); }
  void Add(int filter, std::vector<std::string> paths) {
    window.openAnswers.push_back({true, filter, std::move(paths)});
    form.BAddLogClick();
  }
  // Processes the list into folder; returns the status texts of the run.
  std::vector<std::string> ProcessInto(const std::string& folder) {
    ForceDirectories(folder);
    window.directoryAnswers.push_back(folder);
    window.statuses.clear();
    form.BProcessClick();
    return window.statuses;
  }
  std::string previousDir = CurrentDirectory();
  test::TempDir dir;
  test::FakeWindow window;
  TMainForm form{window};
};

TEST_F(Summary, ArchiveExtractionNamesTheFolderTheSkippedItemsAndTheWayBack) {
  // Two sounds, then a bitmap whose data the cut file no longer holds.
  std::string archive = build::MakeBiff({{4, build::MakeWavc(50, 1)}, {4, build::MakeWavc(60, 2)}, {1, "BM" + std::string(40, 'b')}});
  archive.resize(archive.size() - 10);
  test::WriteFileBytes(dir / "Sounds.bif", archive);
  Add(kBiffFilter, {dir / "Sounds.bif"});
  const std::string out = dir / "out";
  EXPECT_EQ(ProcessInto(out),
            (std::vector<std::string>{"", "Sounds.bif: 2 files in " + JoinPath(out, "ACM Sound") + ", 1 skipped",
                                      "Done: 1 of 1 input, 2 files written in " + out +
                                          ". To put your edits back, add " + JoinPath(out, "result.log") +
                                          " (Log files) and process it into a new folder."}));
  EXPECT_EQ(window.statusFolder, out);
  // Save results starts where the run wrote.
  window.saveResultsAnswers.push_back(std::nullopt);
  form.SaveLogClick();
  EXPECT_EQ(window.lastSaveResultsFolder, out);
}

TEST_F(Summary, RunsThatWriteOneFileSayWhichFile) {
  test::WriteFileBytes(dir / "chitin.key", build::MakeKey({{"data\\Sounds.bif", 1, 100}}, {{"SOUND1", 4, 0}}));
  Add(kKeyFilter, {dir / "chitin.key"});
  EXPECT_EQ(ProcessInto(dir / "k")[1], "chitin.key: listing " + (dir / "k/chitin.txt"));

  test::WriteFileBytes(dir / "Packed.bif", build::MakeBiff({{4, build::MakeWavc(500, 3)}}));
  Add(kCompressFilter, {dir / "Packed.bif"});
  const auto compressed = ProcessInto(dir / "c");
  EXPECT_EQ(compressed[1], "Packed.bif: compressed to " + (dir / "c/Packed.bif"));
  EXPECT_EQ(compressed[2], "Done: 1 of 1 input, 1 file written in " + (dir / "c") + ".");

  Add(kBiffFilter, {dir / "c/Packed.bif"});
  EXPECT_EQ(ProcessInto(dir / "d")[1], "Packed.bif: decompressed to " + (dir / "d/Packed.bif"));
}

TEST_F(Summary, ReplaySaysWhatItRebuiltAndAnErrorEndsAsTheLastResultsLine) {
  test::WriteFileBytes(dir / "dialog.tlk", build::MakeTalkTable(std::vector<std::string>{"one", "two"}));
  Add(kTalkFilter, {dir / "dialog.tlk"});
  ProcessInto(dir / "out");
  Add(kLogFilter, {dir / "out/result.log"});
  EXPECT_EQ(ProcessInto(dir / "new"),
            (std::vector<std::string>{"", "dialog.tlk: rebuilt " + (dir / "new/dialog.tlk"),
                                      "Done: 1 of 1 input, 1 game file rebuilt in " + (dir / "new") + "."}));

  // Into the game's own folder: the table would replace itself.
  window.directoryAnswers.push_back(dir.path());
  window.statuses.clear();
  const std::string expected =
      "Cannot write " + (dir / "dialog.tlk") + ": it is the file being read; choose another output folder.";
  try {
    form.BProcessClick();
    FAIL() << "the replay should be refused";
  } catch (const EFCreateError& error) {
    EXPECT_EQ(error.what(), expected);
  }
  ASSERT_FALSE(window.results.empty());
  EXPECT_EQ(window.results.back(), expected);
  EXPECT_TRUE(window.IsEnabled(Button::SaveLog));
  EXPECT_EQ(window.statuses.back(), "Ended by an error: 0 of 1 input, 0 game files rebuilt in " + dir.path() + ".");
}

TEST_F(Summary, CancellingTheChooserSaysNothingWasProcessed) {
  Add(kBiffFilter, {dir / "A.bif"});
  form.BProcessClick();
  EXPECT_EQ(window.statuses.back(), "No output folder chosen; nothing was processed.");
  EXPECT_EQ(window.statusFolder, "");
}

// The dialog's filter does not decide alone: files whose extension belongs
// to another input type are offered as that type, or refused when mixed.
TEST_F(Summary, AddChecksTheChosenFilesAgainstTheChosenType) {
  window.questionAnswers.push_back(false);
  Add(kTalkFilter, {dir / "Sounds.bif"});
  ASSERT_EQ(window.questions.size(), 1u);
  EXPECT_EQ(window.questions[0].text, "Sounds.bif is one of the BIFF archives, not TALK tables. Add it as BIFF archives?");
  EXPECT_TRUE(window.list.empty());

  window.questionAnswers.push_back(true);
  Add(kTalkFilter, {dir / "Sounds.bif", dir / "Areas.BIF"});
  EXPECT_EQ(form.FormatCode(), fcBiff);
  EXPECT_EQ(window.list.size(), 2u);

  Add(kBiffFilter, {dir / "More.bif", dir / "dialog.tlk"});
  ASSERT_FALSE(window.messages.empty());
  EXPECT_EQ(window.messages.back().text,
            "dialog.tlk is one of the TALK tables, not BIFF archives; nothing was added. Choose files of one type, "
            "with the type that fits them.");
  EXPECT_EQ(window.list.size(), 2u);

  // Names the table does not know, and archives to compress, are taken as chosen.
  Add(kCompressFilter, {dir / "Sounds.bif"});
  EXPECT_EQ(form.FormatCode(), fcMakeCompressedBiff);
  Add(kTalkFilter, {dir / "dialog.bak"});
  EXPECT_EQ(form.FormatCode(), fcTalk);
}

}  // namespace
}  // namespace trovex
