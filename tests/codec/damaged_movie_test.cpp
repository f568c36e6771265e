#include <gtest/gtest.h>

#include "MveApi.h"
#include "SoundTrack.hpp"
#include "builders/Bytes.hpp"
#include "builders/MveBuilder.hpp"
#include "codec/MovieChecks.hpp"
#include "framework/SharedLibrary.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::MovieShape;

class DamagedMovieTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  mve::Progress progress{nullptr, nullptr};
  MovieShape shape;
  std::string good;

  void SetUp() override {
    shape.channels = 2;
    shape.compressed = true;
    shape.videoFrames = 2;
    good = build::MakeMovie(shape, build::ToneSamples(shape, build::TrackFrames(shape)));
    test::WriteWave(dir / "new.wav", 22050, 1, SF_FORMAT_PCM_16, std::vector<float>(20000, 0.25f));
  }

  // Extraction and insertion of bytes as a movie: the message of the first
  // refusal, or "" when both went through. A refused insertion leaves the
  // movie as it was and nothing beside it.
  std::string Refusal(const std::string& bytes) {
    test::WriteFileBytes(dir / "M.MVE", bytes);
    std::string message;
    try {
      mve::ExtractTrack(dir / "M.MVE", dir / "M.wav", progress);
    } catch (const mve::MovieError& error) {
      message = error.what();
    }
    try {
      mve::InsertTrack(dir / "new.wav", dir / "M.MVE", progress);
    } catch (const mve::MovieError& error) {
      EXPECT_EQ(test::ReadFileBytes(dir / "M.MVE"), bytes);
      if (message.empty()) message = error.what();
    }
    const auto names = test::ListDirectory(dir.path());
    EXPECT_TRUE(names.size() == 2 || names.size() == 3) << names.size();  // M.MVE, new.wav and perhaps M.wav
    std::remove((dir / "M.wav").c_str());
    return message;
  }

  // The offset of the first opcode of the given type.
  std::size_t OpcodeAt(std::uint8_t type) const {
    std::size_t at = mve::kHeaderBytes;
    while (at < good.size()) {
      const std::size_t end = at + 4 + mve::Load16(reinterpret_cast<const unsigned char*>(&good[at]));
      for (std::size_t op = at + 4; op < end;) {
        if (static_cast<std::uint8_t>(good[op + 2]) == type) return op;
        op += 4 + mve::Load16(reinterpret_cast<const unsigned char*>(&good[op]));
      }
      at = end;
    }
    return 0;
  }
};

TEST_F(DamagedMovieTest, RefusesWhatIsNoMovieOrHasNoSound) {
  EXPECT_EQ(Refusal("RIFF"), dir / "M.MVE" + " is not a movie");
  std::string wrongWord = good;
  wrongWord[20] = 0x1B;
  EXPECT_EQ(Refusal(wrongWord), dir / "M.MVE" + " is not a movie");
  MovieShape silent = shape;
  silent.withSound = false;
  EXPECT_EQ(Refusal(build::MakeMovie(silent, {})), dir / "M.MVE" + " has no sound track");
}

TEST_F(DamagedMovieTest, RefusesToWriteTheTrackOverTheMovie) {
  test::WriteFileBytes(dir / "M.wav", good);
  EXPECT_THROW(mve::ExtractTrack(dir / "M.wav", dir / "./M.wav", progress), mve::MovieError);
  EXPECT_EQ(test::ReadFileBytes(dir / "M.wav"), good);
}

TEST_F(DamagedMovieTest, RefusesLengthsPastTheEnd) {
  std::string chunk = good;
  chunk[mve::kHeaderBytes + 1] = static_cast<char>(0x7F);
  EXPECT_EQ(Refusal(chunk), "Invalid movie " + dir / "M.MVE" + ": chunk at offset 26 runs past the end of the file");
  std::string opcode = good;
  opcode[OpcodeAt(0x08) + 1] = static_cast<char>(0x7F);
  EXPECT_NE(Refusal(opcode).find("runs past the end of its chunk"), std::string::npos);
  EXPECT_NE(Refusal(good.substr(0, good.size() - 2)).find("runs past the end of the file"), std::string::npos);
}

TEST_F(DamagedMovieTest, RefusesAudioItCannotPlay) {
  std::string early = good;
  early[OpcodeAt(0x03) + 2] = 0x13;  // the set-up becomes an opcode nobody reads
  EXPECT_NE(Refusal(early).find("before the audio is set up"), std::string::npos);
  // A stereo frame one index byte short: its chunk and opcode lengths agree,
  // but the data does not hold whole samples.
  std::string ragged = good;
  const std::size_t frame = OpcodeAt(0x08);
  auto shorten = [&ragged](std::size_t at) {
    auto* field = reinterpret_cast<unsigned char*>(&ragged[at]);
    mve::Store16(field, static_cast<std::uint16_t>(mve::Load16(field) - 1));
  };
  shorten(frame);
  shorten(frame - 4);  // the frame is the first opcode of its chunk
  ragged.erase(frame + 4 + 6, 1);
  EXPECT_NE(Refusal(ragged).find("does not hold whole samples"), std::string::npos);
}

// Every truncation and a sweep of changed bytes end in a refusal or a
// result, never in a read or write outside the buffers (sanitizer build).
TEST_F(DamagedMovieTest, SurvivesTruncationAndChangedBytes) {
  for (std::size_t length = 0; length < good.size(); length += 41) Refusal(good.substr(0, length));
  build::Random random(3);
  for (int round = 0; round < 200; ++round) {
    std::string bytes = good;
    for (int k = 0; k < 3; ++k) bytes[random.Below(static_cast<std::uint32_t>(bytes.size()))] ^= static_cast<char>(1 + random.Below(255));
    Refusal(bytes);
  }
}

struct Positions {
  std::vector<int> seen;
};

void MVE_CALL Record(void* context, std::int32_t position) { static_cast<Positions*>(context)->seen.push_back(position); }

// The exports, as the program calls them: through the loaded library.
TEST_F(DamagedMovieTest, ExportsReportProgressAndFailures) {
  const TSharedLibrary library(MVE_LIBRARY_PATH);
  ASSERT_TRUE(library.Loaded()) << library.LoadError();
  const auto init = library.Export<decltype(&InitCodec)>("InitCodec");
  const auto extract = library.Export<decltype(&ExtractSound)>("ExtractSound");
  const auto insert = library.Export<decltype(&InsertSound)>("InsertSound");
  const auto close = library.Export<decltype(&CloseCodec)>("CloseCodec");
  const auto lastError = library.Export<decltype(&LastError)>("LastError");
  ASSERT_TRUE(init && extract && insert && close && lastError);

  test::WriteFileBytes(dir / "M.MVE", good);
  Positions positions;
  init(Record, &positions);
  extract((dir / "M.MVE").c_str(), (dir / "M.wav").c_str());
  EXPECT_EQ(lastError(), nullptr);
  close();
  ASSERT_FALSE(positions.seen.empty());
  EXPECT_EQ(positions.seen.front(), 0);
  EXPECT_EQ(positions.seen.back(), 100);
  EXPECT_TRUE(std::is_sorted(positions.seen.begin(), positions.seen.end()));

  init(Record, &positions);
  insert((dir / "missing.wav").c_str(), (dir / "M.MVE").c_str());
  ASSERT_NE(lastError(), nullptr);
  EXPECT_NE(std::string(lastError()).find("missing.wav"), std::string::npos);
  close();
  EXPECT_EQ(test::ReadFileBytes(dir / "M.MVE"), good);
}

}  // namespace
}  // namespace trovex
