#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/Errors.hpp"
#include "framework/FaultInjection.hpp"
#include "framework/PieceCopy.hpp"
#include "framework/SafeOutput.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

// Pieces of every size, at the same place in a page as their copy or not,
// more than the pipe holds at once, land back to back behind what the
// destination held; bytes written between flushes keep their place.
TEST(PieceCopy, PiecesLandBackToBackInOrder) {
  test::TempDir dir;
  std::string source(3 << 20, '\0');
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>((i * 131) ^ (i >> 9));
  test::WriteFileBytes(dir / "source", source);
  const std::vector<std::pair<std::size_t, std::size_t>> pieces = {
      {1, 1}, {4095, 2}, {4096, 4096}, {10, 2 << 20}, {5000, 1}, {123457, 700000}, {0, 0}, {source.size() - 3, 3}};
  TFileStream in(dir / "source", FileMode::OpenRead);
  TSafeOutput out(dir / "out");
  out.WriteText("head");
  std::string expected = "head";
  {
    TPieceCopy copy(in, out);
    for (const auto& [offset, count] : pieces) {
      copy.Add(static_cast<std::int64_t>(offset), static_cast<std::int64_t>(count));
      expected += source.substr(offset, count);
    }
    for (std::size_t i = 0; i < 40; ++i) {  // pieces in step with their copy, or one byte off it
      const std::size_t offset = expected.size() % 4096 + 4096 * i + i % 2;
      copy.Add(static_cast<std::int64_t>(offset), 5000);
      expected += source.substr(offset, 5000);
    }
    for (std::size_t i = 0; i < 3000; ++i) {  // many one-byte pieces: a slot each
      copy.Add(static_cast<std::int64_t>(i * 997), 1);
      expected += source[i * 997];
    }
    copy.Flush();
    out.WriteText("mid");
    expected += "mid";
    copy.Add(7, 9);
    copy.Flush();
    expected += source.substr(7, 9);
  }
  out.Commit();
  EXPECT_EQ(test::ReadFileBytes(dir / "out"), expected);
}

TEST(PieceCopy, PieceBeyondTheSourceFails) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "source", std::string(100, 'x'));
  TFileStream in(dir / "source", FileMode::OpenRead);
  TSafeOutput out(dir / "out");
  TPieceCopy copy(in, out);
  EXPECT_THROW(
      {
        copy.Add(90, 20);
        copy.Flush();
      },
      EReadError);
}

// Copies that the kernel does not make go through the program's buffer of a
// megabyte. Copies of several megabytes, from the middle of a page, by
// offset, by stream position and in pieces, keep every byte in its place.
void CheckBufferedCopies(const std::string& sourceDir, const std::string& destDir) {
  std::string source(9 << 20, '\0');
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<char>((i * 2654435761u) >> 13);
  test::WriteFileBytes(JoinPath(sourceDir, "source"), source);
  TFileStream in(JoinPath(sourceDir, "source"), FileMode::OpenRead);
  TSafeOutput out(JoinPath(destDir, "out"));
  out.WriteText("head");
  std::string expected = "head";

  out.CopyFromAt(in, 4097, (3 << 20) + 12345);
  expected += source.substr(4097, (3 << 20) + 12345);
  in.SetPosition(777);
  out.CopyFrom(in, (2 << 20) + 5);
  expected += source.substr(777, (2 << 20) + 5);
  {
    TPieceCopy copy(in, out);
    for (const auto& [offset, count] : std::vector<std::pair<std::size_t, std::size_t>>{
             {1, (1 << 20) + (1 << 19)}, {300, 5000}, {5000, (3 << 20) + 1}}) {
      copy.Add(static_cast<std::int64_t>(offset), static_cast<std::int64_t>(count));
      expected += source.substr(offset, count);
    }
    copy.Flush();
  }
  out.Commit();
  EXPECT_TRUE(test::ReadFileBytes(JoinPath(destDir, "out")) == expected) << "the copies differ from their source";
}

TEST(BufferedCopy, AcrossFileSystems) {
  const std::string other = test::OtherFileSystemBase();
  if (other.empty()) GTEST_SKIP() << "no second file system (a memory file system at /dev/shm) to copy to";
  test::TempDir disk;
  test::TempDir memory(other);
  CheckBufferedCopies(disk.path(), memory.path());
  CheckBufferedCopies(memory.path(), disk.path());
}

TEST(BufferedCopy, WithTheKernelsCopyRefused) {
  test::TempDir dir;
  test::KernelCopyRefusal refusal;
  CheckBufferedCopies(dir.path(), dir.path());
}

}  // namespace
}  // namespace trovex
