#include "joblog/Replay.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "archive/BiffExtract.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/KeyBuilder.hpp"
#include "builders/TalkBuilder.hpp"
#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "strings/Talk.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

// Replay is exercised through the KEY handler: its effect (flags written into
// the KEY file) shows exactly which groups reached it.
class ReplayTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};

  void SetUp() override { run.OutputDir = dir.path(); }

  // A KEY file naming one archive "a.bif" with flags 0, and a listing that
  // sets its flags to 1.
  std::string MakeKeyPair(const std::string& name) {
    test::WriteFileBytes(dir / (name + ".key"), build::MakeKey({{"a.bif", 0}}));
    test::WriteFileBytes(dir / (name + ".txt"), Lines({"a.bif", "1"}));
    return dir / (name + ".key");
  }
  bool Updated(const std::string& keyPath) { return test::ReadFileBytes(keyPath)[24 + 10] == 1; }

  void Replay(const std::string& text) {
    test::WriteFileBytes(dir / "job.log", text);
    ReplayJobLog(run, dir / "job.log");
  }
};

TEST(ReplayTable, MapsTheInsertionFormats) {
  EXPECT_NE(InsertionHandlerFor(fcBiff), nullptr);
  EXPECT_NE(InsertionHandlerFor(fcTalk), nullptr);
  EXPECT_NE(InsertionHandlerFor(fcKey), nullptr);
  for (std::uint8_t code : {0, 1, 4, 8, 9, 10}) EXPECT_EQ(InsertionHandlerFor(code), nullptr) << int{code};
}

TEST_F(ReplayTest, TotalRunsFromZeroToHundredOverTheLines) {
  Replay(Lines({"#Format:", "b", "c"}));
  EXPECT_EQ(window.barHistory[Bar::Total], (std::vector<int>{0, 0, 50, 100}));
  EXPECT_EQ(window.maxima[Bar::Total], 100);
  EXPECT_EQ(window.labels[Label::CurrentMessage], "Processing job.log...");
}

TEST_F(ReplayTest, OneLineLogShowsFullTotal) {
  Replay(Lines({"#Format: BIFF"}));
  EXPECT_EQ(window.barHistory[Bar::Total], (std::vector<int>{0, 100}));
  EXPECT_EQ(run.ReplayFormat, fcBiff);
}

// An empty file, an archive listed by mistake, or text without a "#Format:"
// line: one results line each and nothing else, not even an opened source.
TEST_F(ReplayTest, FilesThatAreNoJobLogsArePassedOver) {
  const std::string key = MakeKeyPair("k");
  for (const std::string& text : {std::string(), std::string("BIFFV1  \0\0\0\0#Format: KEY\r\n", 22),
                                  Lines({"#Source: " + key, dir / "k.txt"})}) {
    window.results.clear();
    Replay(text);
    EXPECT_EQ(window.results, (std::vector<std::string>{"job.log is not a job log; passed over."}));
  }
  EXPECT_FALSE(Updated(key));
  EXPECT_TRUE(window.barHistory[Bar::Total].empty());
  EXPECT_EQ(window.pumps, 0);
  EXPECT_TRUE(run.SourcePath.empty());
}

TEST_F(ReplayTest, KeywordLinesAreReplacedByTheirArgument) {
  Replay(Lines({"#Target BMP 0x00000001: x y", "#Target: p", "  #Format:   KEY", "#Format:", "plain"}));
  EXPECT_EQ(run.ReplayLines.Lines(),
            (std::vector<std::string>{"BMP 0x00000001: x y", "#Target: p", "  KEY", "", "plain"}));
  EXPECT_EQ(run.ReplayFormat, fcNoFormat);  // the last "#Format:" names nothing
}

TEST_F(ReplayTest, FormatsWithoutHandlerOnlyOpenTheirSources) {
  const std::string key = MakeKeyPair("k");
  for (const std::string format : {"#Format: ", "#Format: WAVCV", "#Format: BIFFCV", "#Format: key", "#Format: Nope"}) {
    Replay(Lines({format, "#Source: " + key, dir / "k.txt", "#Source: " + dir / "missing.key"}));
    EXPECT_FALSE(Updated(key)) << format;
    EXPECT_EQ(run.SourcePath, dir / "missing.key");
  }
  EXPECT_TRUE(window.results.empty());
  EXPECT_EQ(window.labels[Label::CurrentMessage], "Processing missing.key...");
}

TEST_F(ReplayTest, EveryGroupReachesItsHandler) {
  const std::string a = MakeKeyPair("a"), b = MakeKeyPair("b");
  Replay(Lines({"#Format: KEY", "#Source: " + a, dir / "a.txt", "#Format: KEY", "#Source: " + b, dir / "b.txt"}));
  EXPECT_TRUE(Updated(a));
  EXPECT_TRUE(Updated(b));
  EXPECT_FALSE(IsOpenInProcess(b));
}

// Replay goes on at the line the handler returns: a group that starts
// directly with its "#Source:" line is not lost.
TEST_F(ReplayTest, GroupWithoutFormatLineIsNotLost) {
  const std::string a = MakeKeyPair("a"), b = MakeKeyPair("b");
  Replay(Lines({"#Format: KEY", "#Source: " + a, dir / "a.txt", "#Source: " + b, dir / "b.txt"}));
  EXPECT_TRUE(Updated(a));
  EXPECT_TRUE(Updated(b));
}

TEST_F(ReplayTest, MissingSourcePassesItsGroupOver) {
  const std::string b = MakeKeyPair("b");
  const std::string missing = dir / "gone.key";
  Replay(Lines({"#Format: KEY", "#Source: " + missing, dir / "b.txt", "#Target WAV 0x00000001: x", "#Source: " + b,
                dir / "b.txt"}));
  EXPECT_EQ(window.results, (std::vector<std::string>{"Source not found: " + missing}));
  EXPECT_EQ(run.ReplayLines.Get(3), "#Target WAV 0x00000001: x");  // consumed, not looked at
  EXPECT_TRUE(Updated(b));
}

TEST_F(ReplayTest, SourcePathsKeepBlanksAndMayBeLong) {
  std::string folder = dir.path();
  for (int i = 0; i < 3; ++i) folder += "/" + std::string(120, 'd');
  std::filesystem::create_directories(folder);
  const std::string key = folder + "/with blanks .key";
  test::WriteFileBytes(key, build::MakeKey({{"a.bif", 0}}));
  test::WriteFileBytes(dir / "k.txt", Lines({"a.bif", "1"}));
  Replay(Lines({std::string(100000, 'x'), "#Format: KEY", "#Source: " + key, dir / "k.txt"}));
  EXPECT_TRUE(Updated(key));
  EXPECT_EQ(run.SourcePath, key);
}

TEST_F(ReplayTest, StopEndsTheReplayBetweenLines) {
  const std::string a = MakeKeyPair("a"), b = MakeKeyPair("b");
  window.onPump = [this] { run.StopMark = true; };
  Replay(Lines({"#Format: KEY", "#Source: " + a, dir / "a.txt", "#Source: " + b, dir / "b.txt"}));
  EXPECT_FALSE(Updated(a));  // stopped after the first line
  EXPECT_FALSE(Updated(b));
  EXPECT_EQ(run.ReplayFormat, fcKey);
}

TEST_F(ReplayTest, MissingLogIsAnOpenError) { EXPECT_THROW(ReplayJobLog(run, dir / "none.log"), EFOpenError); }

TEST_F(ReplayTest, HandlerFailureEndsTheRunAndClosesTheSource) {
  const std::string key = MakeKeyPair("k");
  EXPECT_THROW(Replay(Lines({"#Format: KEY", "#Source: " + key, dir / "no-listing.txt"})), EFOpenError);
  EXPECT_FALSE(IsOpenInProcess(key));
}

// Game files copied from a disc are read-only: archives and string tables,
// which replay only reads, are rebuilt from them; a KEY file, which replay
// changes in place, is refused by name and left alone.
TEST_F(ReplayTest, ReadOnlySourcesAreReadAndOnlyEditedOnesRefused) {
  const std::string archive = build::MakeBiff({{4, build::MakeWavc(100, 1)}, {1, build::MakeBitmap(2, 2, 2)}});
  test::WriteFileBytes(dir / "Sounds.bif", archive);
  test::WriteFileBytes(dir / "dialog.tlk", build::MakeTalkTable(std::vector<std::string>{"one", "two"}));
  ForceDirectories(dir / "ext");
  run.OutputDir = dir / "ext";
  ExtractBiff(run, dir / "Sounds.bif");
  ExtractTalk(run, dir / "dialog.tlk");
  const std::string key = MakeKeyPair("chitin");
  for (const char* name : {"Sounds.bif", "dialog.tlk", "chitin.key"}) test::MakeReadOnly(dir / name);

  ForceDirectories(dir / "new");
  run.OutputDir = dir / "new";
  Replay("#Format: BIFF\r\n#Source: " + (dir / "Sounds.bif") + "\r\n" + run.JobLog.Get(0) + "\r\n" +
         run.JobLog.Get(1) + "\r\n#Format: TALK\r\n#Source: " + (dir / "dialog.tlk") + "\r\n" + run.JobLog.Get(2) +
         "\r\n");
  EXPECT_EQ(test::ReadFileBytes(dir / "new/Sounds.bif"), archive);
  EXPECT_EQ(test::ReadFileBytes(dir / "new/dialog.tlk"), test::ReadFileBytes(dir / "dialog.tlk"));
  try {
    Replay(Lines({"#Format: KEY", "#Source: " + key, dir / "chitin.txt"}));
    FAIL() << "a read-only KEY file was accepted";
  } catch (const EStreamError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot write to " + key + ": it is read-only");
  }
  EXPECT_FALSE(Updated(key));
}

}  // namespace
}  // namespace trovex
