#include <gtest/gtest.h>
#include <sys/stat.h>

#include "framework/Errors.hpp"
#include "framework/FileStream.hpp"
#include "framework/SafeOutput.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

TEST(SafeOutput, NothingAppearsUntilCommitAndAnAbandonedFileLeavesNoTrace) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "out.bif", "old");
  {
    TSafeOutput out(dir / "out.bif");
    out.WriteText("new content");
    EXPECT_EQ(test::ReadFileBytes(dir / "out.bif"), "old");
  }
  EXPECT_EQ(test::ReadFileBytes(dir / "out.bif"), "old");
  EXPECT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{"out.bif"});
  {
    TSafeOutput out(dir / "out.bif");
    out.WriteText("new content");
    out.Commit();
  }
  EXPECT_EQ(test::ReadFileBytes(dir / "out.bif"), "new content");
  EXPECT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{"out.bif"});
}

TEST(SafeOutput, AFileThatAppearedMeanwhileIsReplacedWhole) {
  test::TempDir dir;
  TSafeOutput out(dir / "late.bif");
  out.WriteText("complete");
  test::WriteFileBytes(dir / "late.bif", "someone else's");
  out.Commit();
  EXPECT_EQ(test::ReadFileBytes(dir / "late.bif"), "complete");
  EXPECT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{"late.bif"});
}

TEST(SafeOutput, RefusesToCreateTheFileBeingRead) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "in.bif", "source");
  TFileStream input(dir / "in.bif", FileMode::OpenRead);
  const std::string otherSpelling = dir.path() + "//./in.bif";
  try {
    TSafeOutput out(otherSpelling);
    FAIL();
  } catch (const EFCreateError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot write " + otherSpelling + ": it is the file being read; choose another output folder.");
  }
  EXPECT_EQ(test::ReadFileBytes(dir / "in.bif"), "source");
  TSafeOutput replacement(dir / "in.bif", OutputKind::Replacement);
  replacement.WriteText("changed");
#ifdef _WIN32
  // Windows replaces no open file: the change fails whole and leaves no trace.
  EXPECT_THROW(replacement.Commit(), EFCreateError);
  EXPECT_EQ(test::ReadFileBytes(dir / "in.bif"), "source");
  EXPECT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{"in.bif"});
#else
  // An in-place change may replace the open file.
  replacement.Commit();
  EXPECT_EQ(test::ReadFileBytes(dir / "in.bif"), "changed");
#endif
}

#ifndef _WIN32
TEST(SafeOutput, NewFilesFollowTheUmaskReplacedFilesKeepTheirMode) {
  test::TempDir dir;
  const mode_t previous = ::umask(027);
  WriteWholeFile(dir / "new", "x");
  ::umask(previous);
  struct stat info {};
  ASSERT_EQ(::stat((dir / "new").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  ::chmod((dir / "new").c_str(), 0604);
  WriteWholeFile(dir / "new", "y");
  ASSERT_EQ(::stat((dir / "new").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0604u);
}
#endif

TEST(SafeOutput, MissingFolderOrDirectoryTargetFails) {
  test::TempDir dir;
  EXPECT_THROW(TSafeOutput(dir / "no/such/file"), EFCreateError);
  EXPECT_THROW(TSafeOutput(dir.path()), EFCreateError);
}

}  // namespace
}  // namespace trovex
