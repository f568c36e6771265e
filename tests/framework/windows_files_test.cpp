// File behaviours that only Windows has: case-blind names, short 8.3 names,
// openers that share nothing, and paths over the classic 260 characters.
#ifdef _WIN32

#include <gtest/gtest.h>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h renames these to their A or W forms; the program's own are meant.
#undef DeleteFile
#undef SetCurrentDirectory

#include "framework/Errors.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::string ShortName(const std::string& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetShortPathNameW(Wide(path).c_str(), buffer, MAX_PATH);
  std::string name;
  for (DWORD i = 0; i < length; ++i) name.push_back(static_cast<char>(buffer[i]));
  return name;
}

// A handle of another opener that lets nobody else in.
struct ExclusiveHolder {
  explicit ExclusiveHolder(const std::string& path)
      : handle(CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~ExclusiveHolder() { CloseHandle(handle); }
  HANDLE handle;
};

TEST(WindowsFiles, TheFileBeingReadIsRefusedUnderAnotherCaseOrItsShortName) {
  test::TempDir dir;
  const std::string source = dir / "Sound Archive.bif";
  test::WriteFileBytes(source, "source");
  TFileStream input(source, FileMode::OpenRead);
  const std::string shortName = ShortName(source);
  ASSERT_FALSE(shortName.empty());
  ASSERT_NE(FileNamePart(shortName), "Sound Archive.bif");
  for (const std::string& spelling : {dir / "SOUND ARCHIVE.BIF", shortName}) {
    EXPECT_TRUE(IsOpenInProcess(spelling)) << spelling;
    EXPECT_THROW(TSafeOutput out(spelling), EFCreateError) << spelling;
  }
  EXPECT_EQ(test::ReadFileBytes(source), "source");
  EXPECT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{"Sound Archive.bif"});
}

TEST(WindowsFiles, AFileHeldWithoutSharingIsNeitherOpenedNorReplaced) {
  test::TempDir dir;
  const std::string path = dir / "held.bif";
  test::WriteFileBytes(path, "held");
  ExclusiveHolder other(path);
  ASSERT_NE(other.handle, INVALID_HANDLE_VALUE);
  try {
    TFileStream stream(path, FileMode::OpenRead);
    FAIL();
  } catch (const EFOpenError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open file " + path + ": Permission denied");
  }
  TSafeOutput out(path);
  out.WriteText("new");
  EXPECT_THROW(out.Commit(), EFCreateError);
  EXPECT_EQ(test::ListDirectory(dir.path()), std::vector<std::string>{"held.bif"});
}

TEST(WindowsFiles, PathsLongerThan260CharactersWork) {
  test::TempDir dir;
  std::string folder = dir.path();
  for (int i = 0; i < 3; ++i) folder = JoinPath(folder, std::string(100, 'd'));
  const std::string path = JoinPath(folder, "Sounds.bif");
  ASSERT_GT(path.size(), 300u);
  ASSERT_TRUE(ForceDirectories(folder));
  EXPECT_TRUE(IsDirectory(folder));
  WriteWholeFile(path, "long");
  WriteWholeFile(path, "longer");
  EXPECT_TRUE(IsRegularFile(path));
  TFileStream stream(path, FileMode::OpenRead);
  std::string bytes(6, '\0');
  stream.ReadBuffer(bytes.data(), bytes.size());
  EXPECT_EQ(bytes, "longer");
  EXPECT_THROW(TSafeOutput out(path), EFCreateError);
}

}  // namespace
}  // namespace trovex

#endif
