// A KEY listing extracted, edited and replayed as a user does it.
#include <gtest/gtest.h>

#include "archive/Key.hpp"
#include "builders/KeyBuilder.hpp"
#include "framework/StringList.hpp"
#include "joblog/Replay.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

// An edit of the first entries alone, every later entry listed with its
// flags unchanged, must still reach the KEY file: whether the file changes
// may not be decided by the last entries of the listing.
TEST(KeyUpdate, EditOfOnlyTheFirstEntriesIsWritten) {
  std::vector<build::KeyArchive> archives;
  for (std::uint16_t i = 0; i < 8; ++i) archives.push_back({"data\\area" + std::to_string(i) + ".bif", 0x0001});
  const std::string original = build::MakeKey(archives, {{"AMB", 4, 1}});
  for (const std::size_t edited : {1u, 3u}) {
    test::TempDir dir;
    test::FakeWindow window;
    RunState run{window};
    run.OutputDir = dir.path();
    const std::string keyPath = dir / "chitin.key";
    test::WriteFileBytes(keyPath, original);
    ExtractKey(run, keyPath);

    TStringList listing;
    listing.LoadFromFile(dir / "chitin.txt");
    std::string expected = original;
    for (std::size_t i = 0; i < edited; ++i) {
      listing.Set(2 * i + 1, "0110000000000000");
      expected[24 + 12 * i + 10] = 6;
    }
    listing.SaveToFile(dir / "chitin.txt");
    test::WriteFileBytes(dir / "job.log", "#Format: KEY\r\n#Source: " + keyPath + "\r\n" + run.JobLog.Get(0) + "\r\n");
    ReplayJobLog(run, dir / "job.log");
    EXPECT_EQ(test::ReadFileBytes(keyPath), expected) << edited << " first entries edited";
  }
}

}  // namespace
}  // namespace trovex
