// The TALK round trip as a user runs it: trovex-cli extracts a table, the
// dump is edited, and replaying the job log rebuilds the table.
#include <gtest/gtest.h>
#include <unistd.h>

#include "builders/TalkBuilder.hpp"
#include "framework/Paths.hpp"
#include "framework/Stream.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using test::ReadFileBytes;
using test::RunCli;
using test::WriteFileBytes;

class TalkCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::access(TROVEX_CLI_PATH, X_OK) != 0) GTEST_SKIP() << "trovex-cli is not built";
    ForceDirectories(dir / "game");
    WriteFileBytes(source, build::MakeTalkTable(std::vector<std::string>{"Hello <CHARNAME>!", "Bye\r\nnow", ""}));
    const auto extracted = RunCli({"--type", "talk", "--output", dir / "out", source});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(extracted.out, dump + " extracted sucessfully.\nOperation complete!\n");
  }

  // The strings of the rebuilt table, in entry order.
  std::vector<std::string> RebuiltStrings() { return build::TalkTableStrings(ReadFileBytes(dir / "new/dialog.tlk")); }

  test::TempDir dir;
  std::string source = dir / "game/dialog.tlk";
  std::string dump = dir / "out/dialog.txt";
};

TEST_F(TalkCliTest, EditedDumpRebuildsTheTable) {
  EXPECT_EQ(ReadFileBytes(dir / "out/result.log"),
            "#Format: TALK\r\n#Source: " + source + "\r\n#Target: " + dump + "\r\n");
  std::string text = ReadFileBytes(dump);
  text.replace(text.find("Hello"), 5, "Salut");
  WriteFileBytes(dump, text);

  const auto replayed = RunCli({"--type", "log", "--output", dir / "new", dir / "out/result.log"});
  ASSERT_EQ(replayed.status, 0) << replayed.err;
  EXPECT_EQ(replayed.out, dir / "new/dialog.txt inserted.\nOperation complete!\n");
  EXPECT_EQ(RebuiltStrings(), (std::vector<std::string>{"Salut <CHARNAME>!", "Bye\r\nnow", ""}));
}

TEST_F(TalkCliTest, MismatchedIdentifierIsReportedAndNothingIsWritten) {
  std::string text = ReadFileBytes(dump);
  text.replace(text.find("[00000001]"), 10, "[00000002]");
  WriteFileBytes(dump, text);

  const auto replayed = RunCli({"--type", "log", "--output", dir / "new", dir / "out/result.log"});
  EXPECT_EQ(replayed.status, 3);
  EXPECT_EQ(replayed.err, "trovex-cli: dialog.txt: Error in line: 4\n");
  EXPECT_FALSE(PathExists(dir / "new/dialog.tlk"));
}

}  // namespace
}  // namespace trovex
