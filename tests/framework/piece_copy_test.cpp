#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "framework/Errors.hpp"
#include "framework/PieceCopy.hpp"
#include "framework/SafeOutput.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

// Pieces of every size and page offset, more than the pipe holds at once,
// land back to back behind what the destination held; bytes written between
// flushes keep their place.
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

}  // namespace
}  // namespace trovex
