// A KEY update is killed at each of its writes and at moments spread over its
// run, in a child process: the KEY file is afterwards either exactly the old
// one or exactly the new one, and the next run leaves no temporary file
// beside it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "builders/KeyBuilder.hpp"
#include "framework/FaultInjection.hpp"
#include "joblog/Replay.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

std::atomic<std::uint64_t> killAt{0};

void KillAtWrite(std::uint64_t n) {
  if (n == killAt.load()) ::kill(::getpid(), SIGKILL);
}

void ReplayLog(const std::string& log, const std::string& out) {
  test::FakeWindow window;
  RunState run{window};
  run.OutputDir = out;
  ReplayJobLog(run, log);
}

// Runs the replay in a child killed at write n (never when n is 0); returns
// whether the child was killed.
bool ReplayKilledAt(std::uint64_t n, const std::string& log, const std::string& out) {
  const pid_t child = ::fork();
  if (child == 0) {
    killAt = n;
    faults::FailWrite(0, 0);  // counts from here
    faults::OnWrite(KillAtWrite);
    ReplayLog(log, out);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// Runs the replay in a child killed after delay; returns whether it was.
bool ReplayKilledAfter(std::chrono::microseconds delay, const std::string& log, const std::string& out) {
  const pid_t child = ::fork();
  if (child == 0) {
    ReplayLog(log, out);
    ::_exit(0);
  }
  std::this_thread::sleep_for(delay);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFSIGNALED(status);
}

TEST(KeyUpdateKilled, LeavesTheOldOrTheNewFileAndNoTemporary) {
  test::TempDir dir;
  std::vector<build::KeyArchive> archives;
  for (int i = 0; i < 3000; ++i) archives.push_back({"data\\archive" + std::to_string(i) + ".bif", 1});
  const std::string key = build::MakeKey(archives);
  std::string listing;
  for (const auto& archive : archives) listing += archive.name + "\r\n01\r\n";
  test::WriteFileBytes(dir / "listing.txt", listing);
  test::WriteFileBytes(dir / "job.log", "#Format: KEY\r\n#Source: " + (dir / "chitin.key") + "\r\n" +
                                            (dir / "listing.txt") + "\r\n");

  // The new file, and the number of writes that make it.
  test::WriteFileBytes(dir / "chitin.key", key);
  faults::FailWrite(0, 0);
  ReplayLog(dir / "job.log", dir.path());
  const std::uint64_t writes = faults::Writes();
  const std::string updated = test::ReadFileBytes(dir / "chitin.key");
  ASSERT_NE(updated, key);

  for (std::uint64_t n = 1; n <= writes; ++n) {
    test::WriteFileBytes(dir / "chitin.key", key);
    EXPECT_TRUE(ReplayKilledAt(n, dir / "job.log", dir.path())) << n;
    const std::string after = test::ReadFileBytes(dir / "chitin.key");
    EXPECT_TRUE(after == key || after == updated) << "killed at write " << n;
    ReplayLog(dir / "job.log", dir.path());
    EXPECT_EQ(test::ReadFileBytes(dir / "chitin.key"), updated);
    EXPECT_EQ(test::ListDirectory(dir.path()), (std::vector<std::string>{"chitin.key", "job.log", "listing.txt"}));
  }

  const auto start = std::chrono::steady_clock::now();
  ReplayLog(dir / "job.log", dir.path());
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  int killed = 0;
  for (int k = 0; k <= 40; ++k) {
    test::WriteFileBytes(dir / "chitin.key", key);
    killed += ReplayKilledAfter(span * k / 30, dir / "job.log", dir.path());
    const std::string after = test::ReadFileBytes(dir / "chitin.key");
    EXPECT_TRUE(after == key || after == updated) << "killed after " << (span * k / 30).count() << " us";
    ReplayLog(dir / "job.log", dir.path());
    EXPECT_EQ(test::ListDirectory(dir.path()), (std::vector<std::string>{"chitin.key", "job.log", "listing.txt"}));
  }
  EXPECT_GT(killed, 0);
}

}  // namespace
}  // namespace trovex
