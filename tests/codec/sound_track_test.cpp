#include <gtest/gtest.h>

#include "SoundTrack.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cmath>

#include "AudioFrames.hpp"
#include "builders/MveBuilder.hpp"
#include "codec/MovieChecks.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::MovieShape;

struct Case {
  const char* name;
  unsigned channels;
  bool sixteenBit;
  bool compressed;
};

constexpr Case kCases[] = {
    {"Mono8", 1, false, false},   {"Stereo8", 2, false, false},      {"Mono16", 1, true, false},
    {"Stereo16", 2, true, false}, {"MonoCompressed", 1, true, true}, {"StereoCompressed", 2, true, true},
};

class SoundTrackTest : public ::testing::TestWithParam<Case> {
 protected:
  test::TempDir dir;
  mve::Progress progress{nullptr, nullptr};

  MovieShape Shape() const {
    MovieShape shape;
    shape.channels = GetParam().channels;
    shape.sixteenBit = GetParam().sixteenBit;
    shape.compressed = GetParam().compressed;
    return shape;
  }
  bool EightBit() const { return !GetParam().sixteenBit && !GetParam().compressed; }

  // A movie holding the shape's test tone; returns its path.
  std::string Movie(const MovieShape& shape, const std::string& name = "M.MVE") {
    test::WriteFileBytes(dir / name, build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))));
    return dir / name;
  }

  // A recording of samples in the movie's own terms, at its rate, in 24-bit
  // samples, which hold 8- and 16-bit values exactly.
  void WriteRecording(const std::string& path, const MovieShape& shape, const std::vector<std::int16_t>& samples) {
    std::vector<float> floats;
    for (auto s : samples) floats.push_back(static_cast<float>(s) / (EightBit() ? 128.0f : 32768.0f));
    test::WriteWave(path, static_cast<int>(shape.rate), static_cast<int>(shape.channels), SF_FORMAT_PCM_24, floats);
  }

  // What the movie's own frames decode to, slot by slot.
  std::vector<std::int16_t> Decoded(const MovieShape& shape, const std::vector<std::int16_t>& input) {
    const mve::AudioFormat format{shape.channels, shape.sixteenBit, shape.compressed, shape.rate};
    const std::size_t frames = build::SlotFrames(shape), n = frames * shape.channels;
    std::vector<std::int16_t> out(input.size());
    std::vector<unsigned char> data(2 * n + 4);
    for (std::size_t at = 0; at < input.size(); at += n) {
      mve::EncodeFrame(format, &input[at], frames, data.data());
      mve::DecodeFrame(format, data.data(),
                       shape.compressed ? shape.channels * (frames + 1) : n * format.BytesPerSample(), &out[at]);
    }
    return out;
  }
};

TEST_P(SoundTrackTest, ExtractsTheTrackAsFfmpegDecodesIt) {
  const MovieShape shape = Shape();
  const auto input = build::ToneSamples(shape, build::TrackFrames(shape));
  const std::string movie = Movie(shape);
  mve::ExtractTrack(movie, dir / "M.wav", progress);

  const test::Wave wave = test::ReadWave(dir / "M.wav");
  EXPECT_EQ(wave.rate, 22050);
  EXPECT_EQ(wave.channels, static_cast<int>(shape.channels));
  EXPECT_EQ(wave.format, SF_FORMAT_WAV | (EightBit() ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16));
  const auto expected = test::Scaled(Decoded(shape, input), EightBit());
  EXPECT_EQ(wave.samples, expected);
  EXPECT_EQ(test::FfmpegTrack(movie, dir / "ffmpeg.wav").samples, expected);
  if (!shape.compressed) {
    EXPECT_EQ(wave.samples, test::Scaled(input, EightBit())) << "raw audio comes out exactly";
  } else {
    for (std::size_t i = 0; i < input.size(); ++i) ASSERT_LE(std::abs(wave.samples[i] - input[i]), 100) << i;
  }
}

TEST_P(SoundTrackTest, InsertingTheExtractedTrackChangesNoByte) {
  const std::string movie = Movie(Shape());
  const std::string before = test::ReadFileBytes(movie);
  mve::ExtractTrack(movie, dir / "M.wav", progress);
  mve::InsertTrack(dir / "M.wav", movie, progress);
  EXPECT_EQ(test::ReadFileBytes(movie), before);
  EXPECT_EQ(test::ListDirectory(dir.path()), (std::vector<std::string>{"M.MVE", "M.wav"}));
}

// Another recording at the movie's own rate and channel count replaces the
// track exactly as far as the format holds it, and leaves the video alone.
TEST_P(SoundTrackTest, InsertsARecordingAtTheMoviesRate) {
  const MovieShape shape = Shape();
  const std::string movie = Movie(shape);
  const std::string videoBefore = test::BytesBesideAudio(movie);
  const std::size_t size = test::ReadFileBytes(movie).size();
  const auto tone = build::ToneSamples(shape, build::TrackFrames(shape), 1000.0);
  WriteRecording(dir / "new.wav", shape, tone);

  mve::InsertTrack(dir / "new.wav", movie, progress);
  mve::ExtractTrack(movie, dir / "again.wav", progress);
  const auto expected = test::Scaled(Decoded(shape, tone), EightBit());
  EXPECT_EQ(test::ReadWave(dir / "again.wav").samples, expected);
  EXPECT_EQ(test::FfmpegTrack(movie, dir / "ffmpeg.wav").samples, expected);
  EXPECT_EQ(test::BytesBesideAudio(movie), videoBefore);
  EXPECT_EQ(test::ReadFileBytes(movie).size(), size);
  if (test::kFfmpegRuns) {
    EXPECT_EQ(test::FfmpegVideoFrames(movie), static_cast<int>(shape.videoFrames));
  }
}

// The last audio frame of each chunk of frames per chunk: all of its sound
// that ffmpeg plays.
std::vector<std::int16_t> LastFrameOfEachChunk(const std::vector<std::int16_t>& track, std::size_t frameSamples,
                                               std::size_t framesPerChunk) {
  std::vector<std::int16_t> out;
  const std::size_t chunkSamples = frameSamples * framesPerChunk;
  for (std::size_t at = chunkSamples - frameSamples; at < track.size(); at += chunkSamples) {
    out.insert(out.end(), track.begin() + static_cast<long>(at), track.begin() + static_cast<long>(at + frameSamples));
  }
  return out;
}

// A recording that ends inside a chunk of several audio frames, in the middle
// of a frame or after one: the rest of the chunk and every later chunk fall
// silent, whatever the frames before held.
TEST_P(SoundTrackTest, SilenceFollowsARecordingThatEndsInsideAChunk) {
  MovieShape shape = Shape();
  shape.framesPerChunk = 3;
  const std::size_t slot = build::SlotFrames(shape);
  for (const std::size_t length : {4 * slot + slot / 2, 4 * slot}) {
    const std::string movie = Movie(shape);
    auto recording = build::ToneSamples(shape, length, 1000.0);
    WriteRecording(dir / "new.wav", shape, recording);
    mve::InsertTrack(dir / "new.wav", movie, progress);
    mve::ExtractTrack(movie, dir / "again.wav", progress);
    recording.resize(build::TrackFrames(shape) * shape.channels, 0);
    const auto expected = test::Scaled(Decoded(shape, recording), EightBit());
    EXPECT_EQ(test::ReadWave(dir / "again.wav").samples, expected) << length;
    if (test::kFfmpegRuns) {
      EXPECT_EQ(test::FfmpegTrack(movie, dir / "ffmpeg.wav").samples,
                LastFrameOfEachChunk(expected, slot * shape.channels, shape.framesPerChunk))
          << length;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, SoundTrackTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

double RmsDifference(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b, std::size_t from,
                     std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += (a[i] - b[i]) * double(a[i] - b[i]);
  return std::sqrt(sum / double(to - from));
}

// A recording in another rate, channel count and sample size is converted:
// here 44.1 kHz mono float into a 22.05 kHz stereo compressed movie, longer
// than the movie, so it is cut.
TEST(SoundTrackConversion, ResamplesMixesAndCutsToTheMovie) {
  test::TempDir dir;
  mve::Progress progress{nullptr, nullptr};
  MovieShape shape;
  shape.channels = 2;
  shape.compressed = true;
  test::WriteFileBytes(dir / "M.MVE", build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))));
  const std::size_t frames = build::TrackFrames(shape);
  std::vector<float> recording;
  for (std::size_t f = 0; f < 3 * frames; ++f)
    recording.push_back(0.25f * std::sin(2 * M_PI * 300.0 * double(f) / 44100));
  test::WriteWave(dir / "new.wav", 44100, 1, SF_FORMAT_FLOAT, recording);

  mve::InsertTrack(dir / "new.wav", dir / "M.MVE", progress);
  const test::Wave again = test::FfmpegTrack(dir / "M.MVE", dir / "again.wav");
  ASSERT_EQ(again.samples.size(), 2 * frames);
  std::vector<std::int16_t> expected;
  for (std::size_t f = 0; f < frames; ++f) {
    const auto s = static_cast<std::int16_t>(std::lround(8192 * std::sin(2 * M_PI * 300.0 * double(f) / 22050)));
    expected.insert(expected.end(), {s, s});
  }
  EXPECT_LT(RmsDifference(again.samples, expected, 200, expected.size() - 200), 8192 * 0.02);
}

TEST(SoundTrackConversion, PadsAShortRecordingWithSilence) {
  test::TempDir dir;
  mve::Progress progress{nullptr, nullptr};
  MovieShape shape;
  test::WriteFileBytes(dir / "M.MVE", build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))));
  test::WriteWave(dir / "short.wav", 22050, 1, SF_FORMAT_PCM_16, std::vector<float>(100, 0.5f));
  mve::InsertTrack(dir / "short.wav", dir / "M.MVE", progress);
  mve::ExtractTrack(dir / "M.MVE", dir / "again.wav", progress);
  const auto samples = test::ReadWave(dir / "again.wav").samples;
  ASSERT_EQ(samples.size(), build::TrackFrames(shape));
  EXPECT_EQ(std::count(samples.begin(), samples.begin() + 100, 16384), 100);
  EXPECT_EQ(std::count(samples.begin() + 100, samples.end(), 0), static_cast<long>(samples.size() - 100));
}

// Silence frames stay silent. The recording's sound that falls into them is
// not put in, and the note on the insertion says how much and where.
TEST(SoundTrackConversion, SaysWhereSoundFellIntoSilenceFrames) {
  test::TempDir dir;
  mve::Progress progress{nullptr, nullptr};
  MovieShape shape;
  shape.framesPerChunk = 2;
  shape.silentFrames = {2, 3, 7};
  test::WriteFileBytes(dir / "M.MVE", build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))));
  const std::string before = test::ReadFileBytes(dir / "M.MVE");
  mve::ExtractTrack(dir / "M.MVE", dir / "M.wav", progress);
  EXPECT_EQ(mve::InsertTrack(dir / "M.wav", dir / "M.MVE", progress), "") << "the extracted track is silent there";
  EXPECT_EQ(test::ReadFileBytes(dir / "M.MVE"), before);

  std::vector<float> recording(build::TrackFrames(shape), 0.0f);
  const std::size_t slot = build::SlotFrames(shape);
  for (std::size_t f = slot; f < 8 * slot; ++f) recording[f] = 0.25f * static_cast<float>(std::sin(double(f) / 5));
  test::WriteWave(dir / "new.wav", 22050, 1, SF_FORMAT_PCM_16, recording);
  EXPECT_EQ(mve::InsertTrack(dir / "new.wav", dir / "M.MVE", progress),
            "0.20 s of " + dir / "new.wav" + " not put in: the sound track of " + dir / "M.MVE" +
                " is silent at 0.13 s to 0.27 s, 0.47 s to 0.53 s");
  mve::ExtractTrack(dir / "M.MVE", dir / "again.wav", progress);
  const auto samples = test::ReadWave(dir / "again.wav").samples;
  for (const std::size_t frame : shape.silentFrames) {
    EXPECT_EQ(std::count(samples.begin() + long(frame * slot), samples.begin() + long((frame + 1) * slot), 0),
              long(slot));
  }
  EXPECT_NE(samples[6 * slot + 10], 0);
}

// The first and the last byte that differ between the movie of shape
// (followed by trailing bytes) and the same movie after inserting its own
// track with samples 10 to 19 of one frame silenced.
std::pair<std::size_t, std::size_t> EditOneFrame(const test::TempDir& dir, const MovieShape& shape,
                                                 const std::string& trailing, std::size_t frame) {
  mve::Progress progress{nullptr, nullptr};
  const std::string before = build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))) + trailing;
  test::WriteFileBytes(dir / "M.MVE", before);
  mve::ExtractTrack(dir / "M.MVE", dir / "M.wav", progress);
  test::Wave wave = test::ReadWave(dir / "M.wav");
  const std::size_t at = frame * build::SlotFrames(shape), channels = shape.channels;
  for (std::size_t i = channels * (at + 10); i < channels * (at + 20); ++i) wave.samples[i] = 0;
  std::vector<float> floats;
  for (auto s : wave.samples) floats.push_back(float(s) / 32768.0f);
  test::WriteWave(dir / "M.wav", 22050, static_cast<int>(channels), SF_FORMAT_PCM_16, floats);

  mve::InsertTrack(dir / "M.wav", dir / "M.MVE", progress);
  const std::string after = test::ReadFileBytes(dir / "M.MVE");
  EXPECT_EQ(after.size(), before.size());
  std::size_t first = 0, last = 0;
  for (std::size_t i = 0; i < std::min(after.size(), before.size()); ++i) {
    if (after[i] == before[i]) continue;
    if (first == 0) first = i;
    last = i;
  }
  return {first, last};
}

// Only the audio frames whose samples change are written anew.
TEST(SoundTrackConversion, AnEditChangesOnlyTheFramesItTouches) {
  test::TempDir dir;
  MovieShape shape;
  shape.compressed = true;
  const auto [first, last] = EditOneFrame(dir, shape, "", 2);
  ASSERT_NE(first, 0u);
  EXPECT_LT(last - first, build::SlotFrames(shape) + 2) << "the differences lie within one audio frame";
}

// A frame whose samples stay as they were keeps its bytes, even where the
// movie's own encoder chose other delta indices for them than this one
// would: +1 and -1 each have indices that this encoder never writes.
TEST(SoundTrackConversion, UnchangedFramesKeepAnotherEncodersIndices) {
  test::TempDir dir;
  mve::Progress progress{nullptr, nullptr};
  MovieShape shape;
  shape.compressed = true;
  std::string bytes = build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape), 5.0));
  ASSERT_EQ(mve::kDeltaTable[128], mve::kDeltaTable[1]);
  ASSERT_EQ(mve::kDeltaTable[127], mve::kDeltaTable[255]);
  test::WriteFileBytes(dir / "M.MVE", bytes);
  std::size_t swapped = 0;
  {
    mve::MovieReader reader(dir / "M.MVE");
    mve::AudioTrack track(dir / "M.MVE");
    mve::Chunk chunk;
    while (reader.Next(chunk)) {
      for (const auto& slot : track.Slots(chunk)) {
        const mve::Opcode& op = chunk.opcodes[slot.opcode];
        const auto start = static_cast<std::size_t>(chunk.offset) + op.payload;
        for (std::size_t i = start + mve::kAudioFrameHeaderBytes + 2; !slot.silent && i < start + op.length; ++i) {
          auto& index = reinterpret_cast<unsigned char&>(bytes[i]);
          if (index != 1 && index != 255) continue;
          index = index == 1 ? 128 : 127;
          ++swapped;
        }
      }
    }
  }
  ASSERT_GT(swapped, 0u);
  test::WriteFileBytes(dir / "M.MVE", bytes);
  mve::ExtractTrack(dir / "M.MVE", dir / "M.wav", progress);
  mve::InsertTrack(dir / "M.wav", dir / "M.MVE", progress);
  EXPECT_EQ(test::ReadFileBytes(dir / "M.MVE"), bytes);
}

// A movie of several of the blocks that a new movie is written in, with
// bytes after its end-of-stream chunk: an edit of one frame past the first
// block changes that frame alone, and the bytes before it, after it and
// after the last chunk come out as they were.
TEST(SoundTrackConversion, AnEditDeepInALargeMovieKeepsEveryOtherByte) {
  test::TempDir dir;
  MovieShape shape;
  shape.channels = 2;
  shape.compressed = true;
  shape.videoFrames = 400;
  shape.videoBytes = 20000;
  const auto [first, last] = EditOneFrame(dir, shape, std::string(5001, '\x5a'), 300);
  EXPECT_GT(first, std::size_t{4} << 20);
  EXPECT_LT(last - first, 2 * build::SlotFrames(shape) + 4) << "the differences lie within one audio frame";
  EXPECT_EQ(test::ListDirectory(dir.path()), (std::vector<std::string>{"M.MVE", "M.wav"}));
}

#ifndef _WIN32
mode_t ModeOf(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : 0;
}

// A replaced movie keeps its permissions; a new WAVE file gets those the
// process's mask leaves of the usual read and write for everyone.
TEST(SoundTrackFiles, KeepTheMoviesPermissionsAndGiveNewFilesTheUsualOnes) {
  test::TempDir dir;
  mve::Progress progress{nullptr, nullptr};
  MovieShape shape;
  test::WriteFileBytes(dir / "M.MVE", build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape))));
  ::chmod((dir / "M.MVE").c_str(), 0640);
  const mode_t mask = ::umask(027);
  mve::ExtractTrack(dir / "M.MVE", dir / "M.wav", progress);
  test::WriteWave(dir / "new.wav", 22050, 1, SF_FORMAT_PCM_16, std::vector<float>(20000, 0.25f));
  mve::InsertTrack(dir / "new.wav", dir / "M.MVE", progress);
  ::umask(mask);
  EXPECT_EQ(ModeOf(dir / "M.wav"), 0640u);
  ::chmod((dir / "M.MVE").c_str(), 0604);
  mve::InsertTrack(dir / "M.wav", dir / "M.MVE", progress);
  EXPECT_EQ(ModeOf(dir / "M.MVE"), 0604u);
}
#endif

}  // namespace
}  // namespace trovex
