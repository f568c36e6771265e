#include <gtest/gtest.h>

#include "builders/BiffBuilder.hpp"
#include "cli/CommandLine.hpp"
#include "framework/Paths.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using test::RunCli;

const std::string kEmptyBiff("BIFFV1  \0\0\0\0\0\0\0\0\x14\0\0\0", 20);

TEST(CommandLine, ParsesTypesKindsAndBothOptionForms) {
  const auto parsed = ParseCommandLine({"--type=talk", "--output", "out", "--kinds", "wav,mos", "a.tlk", "--", "-b"});
  ASSERT_TRUE(parsed.options) << parsed.problem;
  EXPECT_EQ(parsed.options->filterIndex, 2);
  EXPECT_EQ(parsed.options->output, "out");
  EXPECT_EQ(parsed.options->kinds, kindWav | kindMos);
  EXPECT_EQ(parsed.options->files, (std::vector<std::string>{"a.tlk", "-b"}));
  EXPECT_EQ(ParseCommandLine({"--type", "key", "--output", "o", "x"}).options->filterIndex, 9);
}

TEST(CommandLine, KeepsTheContractsCornerCases) {
  // Options after the files, "=" forms everywhere, the last of a repeated
  // option, "-" and an empty name as files, names like options after "--".
  auto parsed = ParseCommandLine({"a.bif", "-", "", "--kinds=bmp", "--output=o", "--type=talk", "--type=biff", "--",
                                  "--help", "--type"});
  ASSERT_TRUE(parsed.options) << parsed.problem;
  EXPECT_EQ(parsed.options->action, CliAction::Run);
  EXPECT_EQ(parsed.options->filterIndex, 1);
  EXPECT_EQ(parsed.options->output, "o");
  EXPECT_EQ(parsed.options->kinds, kindBmp);
  EXPECT_EQ(parsed.options->files, (std::vector<std::string>{"a.bif", "-", "", "--help", "--type"}));
  // --help and --version win over anything wrong around them.
  EXPECT_EQ(ParseCommandLine({"--frobnicate", "--help"}).options->action, CliAction::Help);
  EXPECT_EQ(ParseCommandLine({"-h"}).options->action, CliAction::Help);
  EXPECT_EQ(ParseCommandLine({"--type", "zip", "--version"}).options->action, CliAction::Version);
}

TEST(CommandLine, UsageProblems) {
  EXPECT_FALSE(ParseCommandLine({"--type", "--output", "o", "a"}).options);
  EXPECT_FALSE(ParseCommandLine({"--type=biff", "--output=", "a"}).options);
  EXPECT_FALSE(ParseCommandLine({"--type=biff", "--output=o", "-x", "a"}).options);
  EXPECT_FALSE(ParseCommandLine({"--output", "o", "a"}).options);
  EXPECT_FALSE(ParseCommandLine({"--type", "zip", "--output", "o", "a"}).options);
  EXPECT_FALSE(ParseCommandLine({"--type", "biff", "a"}).options);
  EXPECT_FALSE(ParseCommandLine({"--type", "biff", "--output", "o"}).options);
  EXPECT_FALSE(ParseCommandLine({"--type", "biff", "--output", "o", "--kinds", "wav,ogg", "a"}).options);
  EXPECT_FALSE(ParseCommandLine({"--type", "biff", "--output", "o", "--frobnicate", "a"}).options);
  EXPECT_FALSE(ParseCommandLine({"--type"}).options);
}

TEST(TrovexCli, UsageHelpAndVersion) {
  auto result = RunCli({"--type", "biff"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("usage: trovex-cli --type TYPE --output DIR"), std::string::npos);
  EXPECT_TRUE(result.out.empty());
  result = RunCli({"--help"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("biff, talk, font, wavc, mve, list, log, compress, key"), std::string::npos);
  result = RunCli({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.rfind("trovex-cli ", 0), 0u);
}

// The generator writes its usage in text mode: CR LF on Windows.
std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

TEST(TrovexSample, HelpPrintsTheUsageAndNoOptionBecomesAFolder) {
  test::TempDir dir;
  auto result = test::RunProcess({TROVEX_SAMPLE_PATH, "--help"}, dir.path());
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(WithoutCarriageReturns(result.out).rfind("usage: trovex-sample DIR\n", 0), 0u);
  result = test::RunProcess({TROVEX_SAMPLE_PATH, "--out"}, dir.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(WithoutCarriageReturns(result.err), "usage: trovex-sample DIR\n");
  EXPECT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{});
}

// --verbose says on standard error what each input wrote; standard output
// keeps the results only.
TEST(TrovexCli, VerboseSummariesGoToStandardErrorOnly) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "A.bif", kEmptyBiff);
  test::WriteFileBytes(dir / "chitin.key", std::string("KEY V1  ") + std::string(16, '\0'));
  const auto result = RunCli({"--type", "key", "--output", "OUT", "--verbose", "chitin.key"}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "Operation complete!\n");
  EXPECT_EQ(result.err, "chitin.key: listing " + (dir / "OUT/chitin.txt") + "\nDone: 1 of 1 input, 1 file written in " +
                            (dir / "OUT") + ". To put your edits back, add " + (dir / "OUT/result.log") +
                            " (Log files) and process it into a new folder.\n");
}

TEST(TrovexCli, EmptyArchiveRunWritesExactlyTheGroupLines) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "A.bif", kEmptyBiff);
  const auto result = RunCli({"--type", "biff", "--output", "OUT/deeper/", "A.bif"}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "Operation complete!\n");
  EXPECT_EQ(result.err, "");  // not a terminal: no status line
  EXPECT_EQ(test::ReadFileBytes(dir / "OUT/deeper/result.log"),
            "#Format: BIFF\r\n#Source: " + (dir / "A.bif") + "\r\n");
}

TEST(TrovexCli, ReplayAndListRunsWriteNoResultLog) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "empty.log", "#Format: BIFF\r\n");
  test::WriteFileBytes(dir / "project.lst", dir / "empty.log" + "\r\n");
  for (const char* type : {"log", "list"}) {
    const std::string input = std::string(type) == "log" ? "empty.log" : "project.lst";
    const auto result = RunCli({"--type", type, "--output", "OUT", input}, dir.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Operation complete!\n");
    EXPECT_FALSE(PathExists(dir / "OUT/result.log"));
  }
}

// A list of archives saved as a project list: each entry is named as no job
// log and nothing is written.
TEST(TrovexCli, ProjectListOfArchivesPassesEachOver) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "A.bif", kEmptyBiff);
  test::WriteFileBytes(dir / "B.bif", kEmptyBiff);
  test::WriteFileBytes(dir / "archives.lst", dir / "A.bif" + "\r\n" + dir / "B.bif" + "\r\n");
  const auto result = RunCli({"--type", "list", "--output", "OUT", "archives.lst"}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "A.bif is not a job log; passed over.\nB.bif is not a job log; passed over.\nOperation complete!\n");
  EXPECT_EQ(test::ListDirectory(dir / "OUT"), std::vector<std::string>{});
  EXPECT_EQ(test::ReadFileBytes(dir / "A.bif"), kEmptyBiff);
}

TEST(TrovexCli, MissingInputEndsTheRunWithStatus1AndNoResultLog) {
  test::TempDir dir;
  const auto result = RunCli({"--type", "biff", "--output", "OUT", "nowhere.bif"}, dir.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "trovex-cli: error: Cannot open file " + (dir / "nowhere.bif") + ": No such file or directory\n");
  EXPECT_EQ(result.out, "");
  EXPECT_FALSE(PathExists(dir / "OUT/result.log"));
}

TEST(TrovexCli, OutputThatCannotBeCreatedIsAnError) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "file", "");
  test::WriteFileBytes(dir / "A.bif", kEmptyBiff);
  const auto result = RunCli({"--type", "biff", "--output", "file/sub", "A.bif"}, dir.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("trovex-cli: error: "), std::string::npos);
}

}  // namespace
}  // namespace trovex

namespace trovex {
namespace {

TEST(TrovexCli, CtrlCStopsAtTheNextItemKeepsNothingPartialAndExitsWith130) {
  test::TempDir dir;
  // Compressing this takes long enough to be interrupted half-way.
  test::WriteFileBytes(dir / "Big.bif", build::MakeSoundData(64u << 20, 7));
  // The signal comes once the program is busy compressing.
  const auto result = test::RunCliInterrupted({"--type", "compress", "--output", "OUT", "Big.bif"}, dir.path(), 0.1);
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_EQ(result.out, "Operation stopped.\n");
  EXPECT_EQ(test::ListDirectory(dir / "OUT"), std::vector<std::string>{});
}

}  // namespace
}  // namespace trovex
