#include "sound/MovieSound.hpp"

#include <gtest/gtest.h>

#include "builders/MveBuilder.hpp"
#include "codec/MovieChecks.hpp"
#include "framework/Paths.hpp"
#include "joblog/Replay.hpp"
#include "sound/MovieCodec.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

class MovieSoundTest : public ::testing::Test {
 protected:
  test::TempDir in, out;
  test::FakeWindow window;
  RunState run{window};
  build::MovieShape shape;
  std::string movie;

  void SetUp() override {
    run.OutputDir = out.path();
    shape.channels = 2;
    shape.compressed = true;
    movie = in / "INTRO.MVE";
    test::WriteFileBytes(movie, build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))));
  }

  void Replay(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    test::WriteFileBytes(out / "job.log", text);
    window.results.clear();
    run.OutputClaims.Clear();  // each replay is a run of its own
    ReplayJobLog(run, out / "job.log");
  }
};

TEST_F(MovieSoundTest, ExtractsTheTrackAndLogsIt) {
  ExtractMovieSound(run, movie);
  EXPECT_EQ(window.labels[Label::CurrentMessage], "Extracting sound track from INTRO.MVE...");
  EXPECT_EQ(window.results, (std::vector<std::string>{"Sound tarck from INTRO.MVE extracted."}));
  EXPECT_EQ(run.JobLog.Get(0), "#Target: " + out / "INTRO.wav");
  EXPECT_EQ(window.maxima[Bar::Progress], 100);
  EXPECT_EQ(window.positions[Bar::Progress], 100) << "the library reported its progress";
  EXPECT_EQ(test::ReadWave(out / "INTRO.wav").samples, test::FfmpegTrack(movie, out / "ffmpeg.wav").samples);
}

TEST_F(MovieSoundTest, ShowsTheLibrarysRefusalAndLogsNothing) {
  test::WriteFileBytes(in / "BAD.MVE", "not a movie at all, not even close");
  ExtractMovieSound(run, in / "BAD.MVE");
  EXPECT_EQ(window.results, (std::vector<std::string>{in / "BAD.MVE" + " is not a movie"}));
  EXPECT_EQ(run.JobLog.Count(), 0u);
  EXPECT_FALSE(PathExists(out / "BAD.wav"));
}

TEST_F(MovieSoundTest, ReplayingAnUneditedTrackChangesNoByte) {
  const std::string before = test::ReadFileBytes(movie);
  ExtractMovieSound(run, movie);
  Replay({"#Format: MVE", "#Source: " + movie, run.JobLog.Get(0)});
  EXPECT_EQ(window.results, (std::vector<std::string>{"Sound tarck from INTRO.MVE inserted."}));
  EXPECT_EQ(window.labels[Label::CurrentMessage], "Inserting sound track to INTRO.MVE...");
  EXPECT_EQ(test::ReadFileBytes(movie), before);
  EXPECT_EQ(run.SourceArchive, nullptr);
}

TEST_F(MovieSoundTest, AMissingWaveOrTargetLineLeavesTheMovieAlone) {
  const std::string before = test::ReadFileBytes(movie);
  Replay({"#Format: MVE", "#Source: " + movie, "#Target: " + out / "gone.wav"});
  EXPECT_TRUE(window.results.empty());
  // A group without its target line hands the next group on untouched.
  test::WriteFileBytes(in / "B.MVE", before);
  ExtractMovieSound(run, in / "B.MVE");
  test::WriteWave(out / "B.wav", 8000, 1, SF_FORMAT_PCM_U8, std::vector<float>(500, 0.5f));
  Replay({"#Format: MVE", "#Source: " + movie, "#Source: " + in / "B.MVE", "#Target: " + out / "B.wav"});
  EXPECT_EQ(window.results, (std::vector<std::string>{"Sound tarck from B.MVE inserted."}));
  EXPECT_EQ(test::ReadFileBytes(movie), before);
  EXPECT_NE(test::ReadFileBytes(in / "B.MVE"), before);
  EXPECT_EQ(test::BytesBesideAudio(in / "B.MVE"), test::BytesBesideAudio(movie));
}

TEST_F(MovieSoundTest, AWaveTheLibraryCannotReadIsReported) {
  const std::string before = test::ReadFileBytes(movie);
  test::WriteFileBytes(out / "bad.wav", "RIFF????WAVEjunk");
  Replay({"#Format: MVE", "#Source: " + movie, "#Target: " + out / "bad.wav"});
  ASSERT_EQ(window.results.size(), 1u);
  EXPECT_NE(window.results[0].find(out / "bad.wav"), std::string::npos) << window.results[0];
  EXPECT_EQ(test::ReadFileBytes(movie), before);
}

TEST_F(MovieSoundTest, SaysWhatSoundFellIntoSilenceFrames) {
  shape.silentFrames = {1};
  test::WriteFileBytes(movie, build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))));
  ExtractMovieSound(run, movie);
  test::WriteWave(out / "INTRO.wav", 22050, 1, SF_FORMAT_PCM_16, std::vector<float>(build::TrackFrames(shape), 0.5f));
  Replay({"#Format: MVE", "#Source: " + movie, run.JobLog.Get(0)});
  EXPECT_EQ(window.results,
            (std::vector<std::string>{"Sound tarck from INTRO.MVE inserted.",
                                      "0.07 s of " + out / "INTRO.wav" + " not put in: the sound track of " + movie +
                                          " is silent at 0.07 s to 0.13 s"}));
}

TEST(MovieCodec, SaysWhyALibraryCannotBeUsed) {
  const TMovieCodec missing("/nonexistent/libmve.so");
  ASSERT_TRUE(missing.Problem());
  EXPECT_EQ(missing.Problem()->rfind("Cannot load the movie codec library /nonexistent/libmve.so: ", 0), 0u);
#ifdef _WIN32
  const std::string library = "C:\\windows\\system32\\kernel32.dll";  // a library without the exports
#else
  const std::string library = SharedLibraryFileName("z");
#endif
  const TMovieCodec other(library);
  ASSERT_TRUE(other.Problem());
  EXPECT_EQ(*other.Problem(), "The movie codec library " + library + " lacks the export \"InitCodec\"");
  EXPECT_FALSE(TMovieCodec(MovieLibraryPath()).Problem());
  EXPECT_FALSE(TMovieCodec(MovieLibraryName()).Problem());
}

}  // namespace
}  // namespace trovex
