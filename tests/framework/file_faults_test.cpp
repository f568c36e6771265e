#include <gtest/gtest.h>

#include <cerrno>

#include "framework/Errors.hpp"
#include "framework/FaultInjection.hpp"
#include "framework/FileStream.hpp"
#include "framework/Paths.hpp"
#include "framework/SafeOutput.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& error) {
    return error.what();
  }
  return "";
}

// A FIFO would block the opening for ever; it and the other files that are
// not regular ones (folders, devices) are refused for reading and writing alike.
TEST(FileStream, SpecialFilesAreRefused) {
  test::TempDir dir;
  ForceDirectories(dir / "folder");
  std::vector<std::string> special = {dir / "folder"};
#ifndef _WIN32
  ASSERT_TRUE(test::MakeFifo(dir / "fifo"));
  special.push_back(dir / "fifo");
  special.push_back("/dev/null");
#else
  special.push_back("NUL");
#endif
  for (const std::string& path : special) {
    for (const FileMode mode : {FileMode::OpenRead, FileMode::OpenReadWrite}) {
      EXPECT_EQ(MessageOf([&] { TFileStream file(path, mode); }), path + " is not a regular file");
    }
  }
}

TEST(FileStream, ReadOnlyFilesOpenForReadingOnly) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "game.key", "bytes");
  test::MakeReadOnly(dir / "game.key");
  EXPECT_EQ(MessageOf([&] { TFileStream file(dir / "game.key", FileMode::OpenReadWrite); }),
            "Cannot write to " + (dir / "game.key") + ": it is read-only");
  TFileStream file(dir / "game.key", FileMode::OpenRead);
  EXPECT_EQ(file.Size(), 5);
}

TEST(FaultSeam, FailsTheNthWriteOrReadWithTheSystemsReason) {
  test::TempDir dir;
  faults::FailWrite(2, ENOSPC);
  {
    TSafeOutput out(dir / "item.acm");
    out.WriteText("first");
    EXPECT_EQ(MessageOf([&] { out.WriteText("second"); }), "Cannot write to " + (dir / "item.acm") + ": No space left on device");
    EXPECT_EQ(faults::Writes(), 2u);
  }
  EXPECT_TRUE(test::ListDirectory(dir.path()).empty());

  test::WriteFileBytes(dir / "source.bif", "0123456789");
  faults::FailRead(1, EIO);
  TFileStream in(dir / "source.bif", FileMode::OpenRead);
  char buffer[4];
  EXPECT_EQ(MessageOf([&] { in.ReadBuffer(buffer, 4); }), "Cannot read from " + (dir / "source.bif") + ": Input/output error");
  in.ReadBuffer(buffer, 4);  // only the first read fails
  faults::FailRead(0, 0);
  faults::FailWrite(0, 0);
}

// A replacement leaves nothing under a temporary name when its process is
// killed while writing, and it removes what an older, killed process left.
TEST(SafeOutput, ReplacementRemovesTemporariesOfDeadProcesses) {
  test::TempDir dir;
  const unsigned long dead = test::EndedProcessId();
  const std::string stale = dir / (".chitin.key.part-" + std::to_string(dead) + "-0");
  const std::string live = dir / (".chitin.key.part-" + std::to_string(platform::ProcessId()) + "-7");
  const std::string other = dir / (".dialog.tlk.part-" + std::to_string(dead) + "-0");
  for (const std::string& path : {stale, live, other}) test::WriteFileBytes(path, "left");
  test::WriteFileBytes(dir / "chitin.key", "old");

  TSafeOutput out(dir / "chitin.key", OutputKind::Replacement);
  out.WriteText("new");
  EXPECT_FALSE(PathExists(stale));
  out.Commit();
  EXPECT_EQ(test::ReadFileBytes(dir / "chitin.key"), "new");
  // The new content's own temporary name, where it had one, is gone too.
  EXPECT_EQ(test::ListDirectory(dir.path()),
            (std::vector<std::string>{FileNamePart(live), FileNamePart(other), "chitin.key"}));
}

TEST(SafeOutput, RequireSpaceRefusesWhatTheFileSystemCannotHold) {
  test::TempDir dir;
  TSafeOutput out(dir / "big.bif");
  out.RequireSpace(1 << 20);
  const std::string message = MessageOf([&] { out.RequireSpace(std::uint64_t{1} << 62); });
  EXPECT_EQ(message.rfind("Cannot write to " + (dir / "big.bif") + ": it needs 4611686018427387904 bytes, the file "
                          "system has ", 0), 0u) << message;
}

}  // namespace
}  // namespace trovex
