// A KEY update is killed at each of its writes and at moments spread over its
// run, in a child process: the KEY file is afterwards either exactly the old
// one or exactly the new one, and the next run leaves no temporary file
// beside it. The child is this test program again, running the disabled case
// below, so that the same cases run on POSIX systems and on Windows.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "builders/KeyBuilder.hpp"
#include "framework/FaultInjection.hpp"
#include "framework/StringList.hpp"
#include "joblog/Replay.hpp"
#include "support/FakeWindow.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

// What the child finds in its current folder: the write it is killed at
// (0: none), the job log, and the output folder, one a line.
constexpr const char* kChildOrders = "orders.txt";

std::atomic<std::uint64_t> killAt{0};

void KillAtWrite(std::uint64_t n) {
  if (n == killAt.load()) test::KillSelf();
}

void ReplayLog(const std::string& log, const std::string& out) {
  test::FakeWindow window;
  RunState run{window};
  run.OutputDir = out;
  ReplayJobLog(run, log);
}

class KeyUpdateKilled : public ::testing::Test {
 protected:
  // Runs the replay in a child killed at write n (never when n is 0), or
  // after delay when that is set; returns whether the child was killed.
  bool ReplayKilled(std::uint64_t n, std::chrono::microseconds delay = std::chrono::microseconds::zero()) {
    test::WriteFileBytes(dir / kChildOrders, std::to_string(n) + "\r\n" + log + "\r\n" + game + "\r\n");
    const std::vector<std::string> argv = {test::OwnProgramPath(), "--gtest_also_run_disabled_tests",
                                           "--gtest_filter=KeyUpdateKilled.DISABLED_ChildReplay"};
    const test::ProcessResult result =
        delay.count() > 0 ? test::RunKilledAfter(argv, dir.path(), delay) : test::RunProcess(argv, dir.path());
    EXPECT_TRUE(result.status == 0 || result.status == test::kKilledStatus) << result.status << result.out;
    return result.status == test::kKilledStatus;
  }

  test::TempDir dir;
  std::string game = dir / "game";
  std::string log = dir / "game/job.log";
};

// The child's part; run only by the cases below, never on its own.
TEST_F(KeyUpdateKilled, DISABLED_ChildReplay) {
  TStringList orders;
  orders.LoadFromFile(kChildOrders);
  ASSERT_EQ(orders.Count(), 3u);
  killAt = std::stoull(orders.Get(0));
  faults::FailWrite(0, 0);  // counts from here
  faults::OnWrite(KillAtWrite);
  ReplayLog(orders.Get(1), orders.Get(2));
  faults::OnWrite(nullptr);
}

TEST_F(KeyUpdateKilled, LeavesTheOldOrTheNewFileAndNoTemporary) {
  ForceDirectories(game);
  std::vector<build::KeyArchive> archives;
  for (int i = 0; i < 3000; ++i) archives.push_back({"data\\archive" + std::to_string(i) + ".bif", 1});
  const std::string key = build::MakeKey(archives);
  std::string listing;
  for (const auto& archive : archives) listing += archive.name + "\r\n01\r\n";
  test::WriteFileBytes(dir / "game/listing.txt", listing);
  test::WriteFileBytes(log, "#Format: KEY\r\n#Source: " + (dir / "game/chitin.key") + "\r\n" +
                                (dir / "game/listing.txt") + "\r\n");
  const std::vector<std::string> files = {"chitin.key", "job.log", "listing.txt"};

  // The new file, and the number of writes that make it.
  test::WriteFileBytes(dir / "game/chitin.key", key);
  faults::FailWrite(0, 0);
  ReplayLog(log, game);
  const std::uint64_t writes = faults::Writes();
  const std::string updated = test::ReadFileBytes(dir / "game/chitin.key");
  ASSERT_NE(updated, key);

  for (std::uint64_t n = 1; n <= writes; ++n) {
    test::WriteFileBytes(dir / "game/chitin.key", key);
    EXPECT_TRUE(ReplayKilled(n)) << n;
    const std::string after = test::ReadFileBytes(dir / "game/chitin.key");
    EXPECT_TRUE(after == key || after == updated) << "killed at write " << n;
    ReplayLog(log, game);
    EXPECT_EQ(test::ReadFileBytes(dir / "game/chitin.key"), updated);
    EXPECT_EQ(test::ListDirectory(game), files);
  }

  // Moments spread over a whole child's life, its start included.
  test::WriteFileBytes(dir / "game/chitin.key", key);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_FALSE(ReplayKilled(0));
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  int killed = 0;
  for (int k = 1; k <= 40; ++k) {
    test::WriteFileBytes(dir / "game/chitin.key", key);
    killed += ReplayKilled(0, span * k / 30);
    const std::string after = test::ReadFileBytes(dir / "game/chitin.key");
    EXPECT_TRUE(after == key || after == updated) << "killed after " << (span * k / 30).count() << " us";
    ReplayLog(log, game);
    EXPECT_EQ(test::ListDirectory(game), files);
  }
  EXPECT_GT(killed, 0);
}

}  // namespace
}  // namespace trovex
