#include <gtest/gtest.h>

#include "framework/Errors.hpp"
#include "framework/Paths.hpp"
#include "framework/StringList.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

std::vector<std::string> Lines(std::string_view text) {
  TStringList list;
  list.LoadFromText(text);
  return list.Lines();
}

TEST(StringList, ReadsEveryLineEndKeepsEmptyLinesAndStopsAtZero) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Lines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
  EXPECT_EQ(Lines("a\r\n\r\n\nb\r\n"), (V{"a", "", "", "b"}));
  EXPECT_EQ(Lines("a\r\r\nb"), (V{"a", "", "b"}));
  EXPECT_EQ(Lines(std::string_view("a\nb\0c\nd", 7)), (V{"a", "b"}));
  EXPECT_EQ(Lines(""), V{});
  EXPECT_EQ(Lines(std::string(100'000, 'x') + "\n").front().size(), 100'000u);
}

TEST(StringList, WritesCrLfAfterEveryLineThroughSafeOutput) {
  test::TempDir dir;
  TStringList list;
  list.Add("#Format: BIFF");
  list.Add("");
  list.Add("\xE9t\xE9");
  list.SaveToFile(dir / "result.log");
  EXPECT_EQ(test::ReadFileBytes(dir / "result.log"), "#Format: BIFF\r\n\r\n\xE9t\xE9\r\n");
  TStringList back;
  back.LoadFromFile(dir / "result.log");
  EXPECT_EQ(back.Lines(), list.Lines());
}

TEST(StringList, OutOfRangeIndexNamesIt) {
  TStringList list;
  list.Add("only");
  try {
    list.Get(1);
    FAIL();
  } catch (const EListError& error) {
    EXPECT_STREQ(error.what(), "List index out of bounds (1)");
  }
}

#ifdef _WIN32
TEST(Paths, WindowsNamesEndAtBackslashSlashOrColon) {
  EXPECT_EQ(FileNamePart("C:\\data\\Sounds.bif"), "Sounds.bif");
  EXPECT_EQ(FileNamePart("C:/data/Sounds.bif"), "Sounds.bif");
  EXPECT_EQ(FileNamePart("C:Sounds.bif"), "Sounds.bif");
  EXPECT_EQ(JoinPath("C:\\out", "ACM Sound"), "C:\\out\\ACM Sound");
  EXPECT_EQ(ChangeFileExt("C:\\out.d\\dialog", ".txt"), "C:\\out.d\\dialog.txt");
  EXPECT_EQ(DirectoryPart("C:\\out\\dialog.tlk"), "C:\\out");
  EXPECT_EQ(AbsolutePath("C:\\a\\.\\b\\\\c\\"), "C:\\a\\b\\c");
  EXPECT_EQ(AbsolutePath("C:/a/b/../c"), "C:\\a\\c");
  EXPECT_EQ(AbsolutePath("C:\\"), "C:\\");
  EXPECT_EQ(AbsolutePath("x.bif"), CurrentDirectory() + "\\x.bif");
}
#else
TEST(Paths, NamesExtensionsAndAbsolutePaths) {
  EXPECT_EQ(FileNamePart("/data/Sounds.bif"), "Sounds.bif");
  EXPECT_EQ(FileNamePart("Sounds.bif"), "Sounds.bif");
  EXPECT_EQ(ChangeFileExt("/out/dialog.tlk", ".txt"), "/out/dialog.txt");
  EXPECT_EQ(ChangeFileExt("/out.d/dialog", ".txt"), "/out.d/dialog.txt");
  EXPECT_EQ(ChangeFileExt("a.b.c", ".txt"), "a.b.txt");
  EXPECT_EQ(AbsolutePath("/a/./b//c/"), "/a/b/c");
  EXPECT_EQ(AbsolutePath("x.bif"), CurrentDirectory() + "/x.bif");
}
#endif

TEST(Paths, ForceDirectoriesCreatesParents) {
  test::TempDir dir;
  EXPECT_TRUE(ForceDirectories(dir / "a/b/c"));
  EXPECT_TRUE(IsDirectory(dir / "a/b/c"));
  test::WriteFileBytes(dir / "file", "");
  EXPECT_FALSE(ForceDirectories(dir / "file/sub"));
}

}  // namespace
}  // namespace trovex
