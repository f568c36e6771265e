// Named extraction, --list and --find through trovex-cli as a process.
#include <gtest/gtest.h>

#include "builders/BiffBuilder.hpp"
#include "builders/KeyBuilder.hpp"
#include "cli/CommandLine.hpp"
#include "framework/Paths.hpp"
#include "support/ArchiveEntries.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::KeyLocator;
using test::EntryData;
using test::RunCli;

TEST(CommandLine, KeyListAndFindGoWithTheirTypes) {
  auto parsed = ParseCommandLine({"--type", "biff", "--key", "chitin.key", "--output", "o", "a.bif"});
  ASSERT_TRUE(parsed.options) << parsed.problem;
  EXPECT_EQ(parsed.options->keyPath, "chitin.key");
  EXPECT_EQ(parsed.options->action, CliAction::Run);
  parsed = ParseCommandLine({"--type", "biff", "--list", "--key", "k", "a.bif", "b.bif"});
  ASSERT_TRUE(parsed.options) << parsed.problem;
  EXPECT_EQ(parsed.options->action, CliAction::List);
  EXPECT_EQ(parsed.options->files.size(), 2u);
  parsed = ParseCommandLine({"--type", "key", "--find", "SPCH1234", "chitin.key"});
  ASSERT_TRUE(parsed.options) << parsed.problem;
  EXPECT_EQ(parsed.options->action, CliAction::Find);
  EXPECT_EQ(parsed.options->findName, "SPCH1234");
  for (const std::vector<std::string>& wrong : std::vector<std::vector<std::string>>{
           {"--type", "talk", "--key", "k", "--output", "o", "a.tlk"},
           {"--type", "talk", "--list", "a.tlk"},
           {"--type", "biff", "--list", "--output", "o", "a.bif"},
           {"--type", "biff", "--list"},
           {"--type", "biff", "--find", "X", "chitin.key"},
           {"--type", "key", "--find", "X", "a.key", "b.key"},
           {"--type", "key", "--find", "X", "--output", "o", "a.key"},
           {"--type", "biff", "--list", "--find", "X", "a.bif"},
       }) {
    EXPECT_FALSE(ParseCommandLine(wrong).options) << wrong[1] << " " << wrong[2];
  }
}

// The sample game's archives named by its chitin.key: the names are written,
// the job log replays without the index to the same archives, and an edited
// named item lands in its entry.
TEST(NamedExtractionCli, SampleArchivesRoundTripUnderTheirNames) {
  test::TempDir dir;
  ASSERT_EQ(test::RunProcess({TROVEX_SAMPLE_PATH, dir / "game"}).status, 0);
  const std::vector<std::string> archives = {"Sounds.bif", "Mixed.bif", "Area.bif", "Images.bif"};
  std::vector<std::string> args = {"--type", "biff", "--key", "game/chitin.key", "--output", "OUT"};
  for (const auto& name : archives) args.push_back("game/" + name);
  auto result = RunCli(args, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  for (const char* file : {"ACM Sound/SPCH0026.acm", "RIFF Wave/SPCH0003.wav", "ACM Sound/Sounds_0027.acm",
                           "BMP/PORT02.bmp", "Video/INTRO03.mve", "Images/GUIMAIN_0004.bmp", "Images/AREA01.bmp"}) {
    EXPECT_TRUE(PathExists(dir / ("OUT/" + std::string(file)))) << file;
  }
  EXPECT_NE(test::ReadFileBytes(dir / "OUT/result.log")
                .find("#Target WAV 0x0000001A: " + (dir / "OUT/ACM Sound/SPCH0026.acm")),
            std::string::npos);

  // Replay needs no index: it is gone.
  ASSERT_TRUE(DeleteFile(dir / "game/chitin.key"));
  result = RunCli({"--type", "log", "--output", "NEW", "OUT/result.log"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  for (const auto& name : archives) {
    EXPECT_EQ(test::ReadFileBytes(dir / ("NEW/" + name)), test::ReadFileBytes(dir / ("game/" + name))) << name;
  }

  test::WriteFileBytes(dir / "OUT/ACM Sound/SPCH0026.acm", "edited speech");
  result = RunCli({"--type", "log", "--output", "EDITED", "OUT/result.log"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const auto before = EntryData(test::ReadFileBytes(dir / "game/Sounds.bif"));
  const auto after = EntryData(test::ReadFileBytes(dir / "EDITED/Sounds.bif"));
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i], i == 26 ? "edited speech" : before[i]) << i;
}

TEST(NamedExtractionCli, ListingGoesToStandardOutputAloneAndWritesNothing) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "A.bif", build::MakeBiff({{2, "movie", 0}, {4, build::MakeWavc(40, 1), 1}}));
  test::WriteFileBytes(dir / "chitin.key", build::MakeKey({{"data\\a.bif"}}, {{"INTRO", 2, KeyLocator(0, 0)}}));
  test::WriteFileBytes(dir / "B.bif", build::MakeBiff({{2, "m", 0}}));
  auto result = RunCli({"--type", "biff", "--list", "--key", "chitin.key", "A.bif", "B.bif"}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(
      result.out,
      "A.bif\n0000\tINTRO\t2\tMVE\t5\tplain\t52\n0001\t\t4\tWAV\t40\tWAVC\t57\nB.bif\n0000\t\t2\tMVE\t1\tplain\t36\n");
  EXPECT_EQ(result.err, "trovex-cli: B.bif is not in chitin.key; its items keep numbered names.\n");
  EXPECT_EQ(test::ListDirectory(dir.path()), (std::vector<std::string>{"A.bif", "B.bif", "chitin.key"}));

  result = RunCli({"--type", "biff", "--list", "Missing.bif", "B.bif"}, dir.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "B.bif\n0000\t\t2\tMVE\t1\tplain\t36\n");
  EXPECT_EQ(result.err, "trovex-cli: error: Cannot open file Missing.bif: No such file or directory\n");
}

TEST(NamedExtractionCli, FindPrintsEveryMatchOrFailsWithAMessage) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "chitin.key", build::MakeKey({{"data\\A.bif"}}, {{"SPCH1234", 4, KeyLocator(0, 0x1A)},
                                                                              {"Spch1234", 1, KeyLocator(0, 2)}}));
  auto result = RunCli({"--type", "key", "--find", "spch1234", "chitin.key"}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "SPCH1234\t4\tdata\\A.bif\t001A\nSpch1234\t1\tdata\\A.bif\t0002\n");
  EXPECT_EQ(result.err, "");
  result = RunCli({"--type", "key", "--find", "SPCH9999", "chitin.key"}, dir.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "trovex-cli: no resource named SPCH9999 in chitin.key\n");
}

}  // namespace
}  // namespace trovex
