// Replays of a job log that change a game file in place, killed in a child
// process at each of their writes and at moments spread over their run: the
// file is afterwards either exactly the old one or exactly the new one, and
// the next replay makes the new one and leaves no temporary file beside it.
// The child is the test program again, running a disabled case of the
// calling test that calls ChildReplay(), so that the same cases run on POSIX
// systems and on Windows.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "framework/FaultInjection.hpp"
#include "framework/StringList.hpp"
#include "joblog/Replay.hpp"
#include "support/FakeWindow.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex::test {

// What the child finds in its current folder: the write it is killed at
// (0: none), the job log, and the output folder, one a line.
inline constexpr const char* kChildOrders = "orders.txt";

inline void ReplayLog(const std::string& log, const std::string& out) {
  FakeWindow window;
  RunState run{window};
  run.OutputDir = out;
  ReplayJobLog(run, log);
}

inline std::atomic<std::uint64_t> killAt{0};

// The child's part: the replay its orders name, killed at the write named.
inline void ChildReplay() {
  TStringList orders;
  orders.LoadFromFile(kChildOrders);
  ASSERT_EQ(orders.Count(), 3u);
  killAt = std::stoull(orders.Get(0));
  faults::FailWrite(0, 0);  // counts from here
  faults::OnWrite([](std::uint64_t n) {
    if (n == killAt.load()) KillSelf();
  });
  ReplayLog(orders.Get(1), orders.Get(2));
  faults::OnWrite(nullptr);
}

struct KilledReplays {
  std::string folder;      // the child's current folder, for its orders
  std::string childCase;   // "Suite.DISABLED_Case", whose body calls ChildReplay()
  std::string log;         // the job log replayed
  std::string out;         // the replay's output folder
  std::string file;        // the game file changed in place
  std::string old;         // its bytes before the replay
  std::vector<std::string> listing;  // what its folder holds after a replay

  // Runs the replay in a child killed at write n (never when n is 0), or
  // after delay when that is set; returns whether the child was killed.
  bool ReplayKilled(std::uint64_t n, std::chrono::microseconds delay = std::chrono::microseconds::zero()) const {
    WriteFileBytes(JoinPath(folder, kChildOrders), std::to_string(n) + "\r\n" + log + "\r\n" + out + "\r\n");
    const std::vector<std::string> argv = {OwnProgramPath(), "--gtest_also_run_disabled_tests",
                                           "--gtest_filter=" + childCase};
    const ProcessResult result = delay.count() > 0 ? RunKilledAfter(argv, folder, delay) : RunProcess(argv, folder);
    EXPECT_TRUE(result.status == 0 || result.status == kKilledStatus) << result.status << result.out;
    return result.status == kKilledStatus;
  }

  // After a kill described by when: the old or the new file; after the next
  // replay the new one, alone with the listing.
  void CheckKilled(const std::string& updated, const std::string& when) const {
    const std::string after = ReadFileBytes(file);
    EXPECT_TRUE(after == old || after == updated) << "killed " << when;
    ReplayLog(log, out);
    EXPECT_TRUE(ReadFileBytes(file) == updated) << "replayed after being killed " << when;
    EXPECT_EQ(ListDirectory(DirectoryPart(file)), listing) << "killed " << when;
  }

  void Sweep() const {
    // The new file, and the number of writes that make it.
    WriteFileBytes(file, old);
    faults::FailWrite(0, 0);
    ReplayLog(log, out);
    const std::uint64_t writes = faults::Writes();
    const std::string updated = ReadFileBytes(file);
    ASSERT_NE(updated, old);

    for (std::uint64_t n = 1; n <= writes; ++n) {
      WriteFileBytes(file, old);
      EXPECT_TRUE(ReplayKilled(n)) << n;
      CheckKilled(updated, "at write " + std::to_string(n));
    }

    // Moments spread over a whole child's life, its start included.
    WriteFileBytes(file, old);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_FALSE(ReplayKilled(0));
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    int killed = 0;
    for (int k = 1; k <= 40; ++k) {
      WriteFileBytes(file, old);
      killed += ReplayKilled(0, span * k / 30);
      CheckKilled(updated, "after " + std::to_string((span * k / 30).count()) + " us");
    }
    EXPECT_GT(killed, 0);
  }
};

}  // namespace trovex::test
