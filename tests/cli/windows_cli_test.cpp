// trovex-cli as a Windows user meets it.
#ifdef _WIN32

#include <gtest/gtest.h>

#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

// The codec library is the one in the program's folder, whatever the
// working folder holds: a file of that name there is never loaded.
TEST(WindowsCli, MoviesUseTheCodecLibraryOfTheProgramsFolder) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "intro.mve", "Interplay MVE File\x1A");
  test::WriteFileBytes(dir / "libmve.dll", "not a library");
  const auto result = test::RunCli({"--type", "mve", "--output", "OUT", "intro.mve"}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, dir / "intro.mve" + " is not a movie\nOperation complete!\n");
  EXPECT_EQ(test::ListDirectory(dir / "OUT"), std::vector<std::string>{"result.log"});
  EXPECT_EQ(test::ReadFileBytes(dir / "OUT/result.log"), "#Format: MVE\r\n#Source: " + (dir / "intro.mve") + "\r\n");
}

TEST(WindowsCli, ArgumentsWithBlanksAndForwardSlashesReachTheProgram) {
  test::TempDir dir;
  const std::string empty("BIFFV1  \0\0\0\0\0\0\0\0\x14\0\0\0", 20);
  test::WriteFileBytes(dir / "with blanks.bif", empty);
  std::string forward = dir / "with blanks.bif";
  for (char& c : forward) c = c == '\\' ? '/' : c;
  const auto result = test::RunCli({"--type", "biff", "--output", "OUT", forward}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "Operation complete!\n");
  // The job log names the source as the system spells it, with "\".
  EXPECT_EQ(test::ReadFileBytes(dir / "OUT/result.log"),
            "#Format: BIFF\r\n#Source: " + (dir / "with blanks.bif") + "\r\n");
}

}  // namespace
}  // namespace trovex

#endif
