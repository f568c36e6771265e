#include <gtest/gtest.h>

#include "framework/Errors.hpp"
#include "framework/FileStream.hpp"
#include "framework/MemoryStream.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

TEST(MemoryStream, SeekOriginsAndExactReads) {
  TMemoryStream stream;
  stream.WriteU32(0x04030201);
  stream.WriteU16(0x0605);
  EXPECT_EQ(stream.Size(), 6);
  EXPECT_EQ(stream.Seek(-2, soEnd), 4);
  EXPECT_EQ(stream.ReadU16(), 0x0605);
  EXPECT_EQ(stream.Seek(-6, soCurrent), 0);
  EXPECT_EQ(stream.ReadU32(), 0x04030201u);
  unsigned char bytes[4];
  EXPECT_EQ(stream.Read(bytes, 4), 2u);  // short read at the end
  stream.SetPosition(5);
  try {
    stream.ReadBuffer(bytes, 2);
    FAIL() << "read past the end";
  } catch (const EReadError& error) {
    EXPECT_STREQ(error.what(), "Stream read error");
  }
}

TEST(MemoryStream, WritingPastTheEndGrowsAndSetSizeClampsThePosition) {
  TMemoryStream stream;
  stream.SetPosition(3);
  stream.WriteText("ab");
  EXPECT_EQ(stream.Bytes(), (std::vector<unsigned char>{0, 0, 0, 'a', 'b'}));
  stream.SetSize(2);
  EXPECT_EQ(stream.Position(), 2);
}

TEST(FileStream, MissingFileNamesThePath) {
  test::TempDir dir;
  try {
    TFileStream stream(dir / "absent.bif", FileMode::OpenRead);
    FAIL();
  } catch (const EFOpenError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open file " + (dir / "absent.bif") + ": No such file or directory");
  }
}

TEST(FileStream, CopyByCountBetweenFilesAndFromMemory) {
  test::TempDir dir;
  std::string data(3'000'000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  test::WriteFileBytes(dir / "in", data);
  test::WriteFileBytes(dir / "out", "");
  TFileStream in(dir / "in", FileMode::OpenRead);
  TFileStream out(dir / "out", FileMode::OpenReadWrite);
  in.SetPosition(10);
  out.CopyFrom(in, 2'000'000);
  EXPECT_EQ(in.Position(), 2'000'010);
  EXPECT_EQ(out.Position(), 2'000'000);
  TMemoryStream memory;
  memory.WriteText("tail");
  memory.SetPosition(0);
  out.CopyFrom(memory, 4);
  EXPECT_THROW(out.CopyFrom(in, 2'000'000), EReadError);  // only 999,990 bytes are left
  in.SetPosition(0);
  const std::string written = test::ReadFileBytes(dir / "out");
  EXPECT_EQ(written.substr(0, 2'000'000), data.substr(10, 2'000'000));
  EXPECT_EQ(written.substr(2'000'000, 4), "tail");
}

TEST(FileStream, OpenFilesAreKnownByIdentityNotSpelling) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "a.bif", "x");
  EXPECT_FALSE(IsOpenInProcess(dir / "a.bif"));
  {
    TFileStream stream(dir / "a.bif", FileMode::OpenRead);
    EXPECT_TRUE(IsOpenInProcess(dir.path() + "/./a.bif"));
  }
  EXPECT_FALSE(IsOpenInProcess(dir / "a.bif"));
}

}  // namespace
}  // namespace trovex
