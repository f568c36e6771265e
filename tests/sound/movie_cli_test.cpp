#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "builders/MveBuilder.hpp"
#include "codec/MovieChecks.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

// The sound track of a movie out through trovex-cli, replaced by another
// recording (another rate, channel count and sample size), and put back by
// replaying the job log.
TEST(MovieCli, ExtractsAndReplacesTheSoundTrack) {
  test::TempDir dir;
  build::MovieShape shape;
  shape.channels = 2;
  shape.compressed = true;
  shape.videoFrames = 20;
  const std::string movie = dir / "INTRO.MVE";
  test::WriteFileBytes(movie, build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))));
  const std::string video = test::BytesBesideAudio(movie);

  const auto extraction = test::RunCli({"--type", "mve", "--output", dir / "out", movie});
  ASSERT_EQ(extraction.status, 0) << extraction.err;
  EXPECT_EQ(extraction.out, "Sound tarck from INTRO.MVE extracted.\nOperation complete!\n");
  EXPECT_NE(test::ReadFileBytes(dir / "out/result.log").find("#Target: " + dir / "out/INTRO.wav\r\n"), std::string::npos);
  EXPECT_EQ(test::ReadWave(dir / "out/INTRO.wav").samples, test::FfmpegTrack(movie, dir / "ffmpeg.wav").samples);

  // Two seconds of a 300 Hz mono recording at 32 kHz in 24-bit samples, longer
  // than the movie.
  std::vector<float> recording;
  for (int i = 0; i < 64000; ++i) recording.push_back(0.3f * static_cast<float>(std::sin(2 * M_PI * 300 * i / 32000.0)));
  test::WriteWave(dir / "out/INTRO.wav", 32000, 1, SF_FORMAT_PCM_24, recording);
  const auto replay = test::RunCli({"--type", "log", "--output", dir / "new", dir / "out/result.log"});
  ASSERT_EQ(replay.status, 0) << replay.err;
  EXPECT_EQ(replay.out, "Sound tarck from INTRO.MVE inserted.\nOperation complete!\n");

  const auto sound = test::FfmpegTrack(movie, dir / "ffmpeg.wav").samples;
  ASSERT_EQ(sound.size(), 2 * build::TrackFrames(shape));
  double error = 0;
  const std::size_t from = 100, to = sound.size() / 2 - 100;
  for (std::size_t f = from; f < to; ++f) {
    const double expected = 0.3 * 32768 * std::sin(2 * M_PI * 300 * double(f) / 22050);
    error = std::max({error, std::abs(sound[2 * f] - expected), std::abs(sound[2 * f + 1] - expected)});
  }
  EXPECT_LT(error, 0.3 * 32768 * 0.03);
  EXPECT_EQ(test::BytesBesideAudio(movie), video);
  if (test::kFfmpegRuns) {
    EXPECT_EQ(test::FfmpegVideoFrames(movie), 20);
  }
}

// A recording of frames frames at rate of channels channels, every sample at
// half of full scale, written a piece at a time.
void WriteHalfScale(const std::string& path, int rate, int channels, int subtype, std::size_t frames) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | subtype;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  const std::vector<float> piece(1000 * static_cast<std::size_t>(channels), 0.5f);
  for (std::size_t done = 0; done < frames; done += 1000) {
    sf_writef_float(file, piece.data(), static_cast<sf_count_t>(std::min<std::size_t>(1000, frames - done)));
  }
  sf_close(file);
}

// Recordings whose conversion once took the memory of a whole block at a
// time: at 1 Hz (each sample makes 22,050 of the movie's) and of 1,024
// channels. The insertion converts them a step at a time and reads no more
// of them than the movie holds, so it stays small in memory.
TEST(MovieCli, ExtremeRecordingsTakeLittleMemory) {
  test::TempDir dir;
  build::MovieShape shape;
  shape.videoFrames = 20;
  const std::string movie = dir / "INTRO.MVE";
  test::WriteFileBytes(movie, build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))));
  ASSERT_EQ(test::RunCli({"--type", "mve", "--output", dir / "out", movie}).status, 0);

  struct Recording {
    int rate, channels, subtype;
    std::size_t frames;
  };
  for (const Recording recording : {Recording{1, 1, SF_FORMAT_PCM_16, 16384},
                                    Recording{22050, 1024, SF_FORMAT_PCM_U8, build::TrackFrames(shape) + 1000}}) {
    WriteHalfScale(dir / "out/INTRO.wav", recording.rate, recording.channels, recording.subtype, recording.frames);
    const auto replay = test::RunCli({"--type", "log", "--output", dir / "new", dir / "out/result.log"});
    ASSERT_EQ(replay.status, 0) << replay.err;
    EXPECT_EQ(replay.out, "Sound tarck from INTRO.MVE inserted.\nOperation complete!\n");
    if (test::kChildMemoryMeasured) {
      EXPECT_GT(replay.peakMemoryKiB, 0);
      EXPECT_LT(replay.peakMemoryKiB, 64 * 1024) << recording.channels << " channels at " << recording.rate << " Hz";
    }
    const auto sound = test::FfmpegTrack(movie, dir / "ffmpeg.wav").samples;
    ASSERT_EQ(sound.size(), build::TrackFrames(shape));
    // The recording's level, with the resampler's ringing at the start of the
    // one at 1 Hz.
    const auto [low, high] = std::minmax_element(sound.begin(), sound.end());
    EXPECT_GT(*low, 16384 * 0.8);
    EXPECT_LT(*high, 16384 * 1.25);
  }
}

}  // namespace
}  // namespace trovex
