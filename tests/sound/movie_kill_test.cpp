// A movie's sound track is replaced by trovex-cli replaying a job log, and
// the child is killed at moments spread over its run: the movie is
// afterwards exactly the old one or exactly the new one, and once the next
// insertion has run, the game's folder holds nothing but the movie.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "builders/MveBuilder.hpp"
#include "codec/MovieChecks.hpp"
#include "framework/Platform.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

class MovieInsertionKilled : public ::testing::Test {
 protected:
  void SetUp() override {
    ForceDirectories(game);
    // About 8 MB of movie, every audio frame of which the new recording changes.
    build::MovieShape shape;
    shape.channels = 2;
    shape.compressed = true;
    shape.videoFrames = 400;
    shape.videoBytes = 20000;
    old = build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape)));
    test::WriteFileBytes(movie, old);
    ASSERT_EQ(test::RunCli({"--type", "mve", "--output", dir / "out", movie}).status, 0);
    std::vector<float> recording;
    for (std::size_t f = 0; f < 2 * build::TrackFrames(shape); ++f) {
      recording.push_back(0.3f * static_cast<float>(std::sin(2 * M_PI * 700.0 * double(f / 2) / 22050)));
    }
    test::WriteWave(dir / "out/INTRO.wav", 22050, 2, SF_FORMAT_PCM_16, recording);
  }

  // The insertion, killed after delay unless that is zero; whether it was.
  bool InsertKilled(std::chrono::microseconds delay) {
    const std::vector<std::string> argv = {TROVEX_CLI_PATH, "--type",    "log",
                                           "--output",      dir / "new", dir / "out/result.log"};
    const test::ProcessResult result =
        delay.count() > 0 ? test::RunKilledAfter(argv, dir.path(), delay) : test::RunProcess(argv, dir.path());
    EXPECT_TRUE(result.status == 0 || result.status == test::kKilledStatus) << result.status << result.err;
    return result.status == test::kKilledStatus;
  }

  test::TempDir dir;
  std::string game = dir / "game";
  std::string movie = dir / "game/INTRO.MVE";
  std::string old;
};

TEST_F(MovieInsertionKilled, LeavesTheOldOrTheNewMovieAndNoTemporary) {
  const auto start = std::chrono::steady_clock::now();
  ASSERT_FALSE(InsertKilled(std::chrono::microseconds::zero()));
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  const std::string updated = test::ReadFileBytes(movie);
  ASSERT_NE(updated, old);
  ASSERT_EQ(updated.size(), old.size());

  int killed = 0;
  for (int k = 1; k <= 30; ++k) {
    test::WriteFileBytes(movie, old);
    const auto delay = span * k / 25;
    killed += InsertKilled(delay);
    const std::string after = test::ReadFileBytes(movie);
    EXPECT_TRUE(after == old || after == updated) << "killed after " << delay.count() << " us";
    InsertKilled(std::chrono::microseconds::zero());
    EXPECT_EQ(test::ReadFileBytes(movie), updated);
    EXPECT_EQ(test::ListDirectory(game), std::vector<std::string>{"INTRO.MVE"}) << "after " << delay.count() << " us";
  }
  EXPECT_GT(killed, 0);
}

// Where the system cannot write a file without a name, a killed insertion
// leaves its temporary under the name every output of the program uses; the
// next insertion beside it removes those of processes that have ended, and
// leaves those of running ones alone.
TEST_F(MovieInsertionKilled, TheNextInsertionRemovesTemporariesOfEndedRuns) {
  const std::string ended = ".INTRO.MVE.part-" + std::to_string(test::EndedProcessId()) + "-0";
  const std::string running = ".INTRO.MVE.part-" + std::to_string(platform::ProcessId()) + "-3";
  const std::string other = ".OUTRO.MVE.part-" + std::to_string(test::EndedProcessId()) + "-0";
  for (const auto& name : {ended, running, other}) test::WriteFileBytes(dir / ("game/" + name), old);
  ASSERT_FALSE(InsertKilled(std::chrono::microseconds::zero()));
  EXPECT_EQ(test::ListDirectory(game), (std::vector<std::string>{running, other, "INTRO.MVE"}));
}

}  // namespace
}  // namespace trovex
