// Inputs of the same name in one run, through trovex-cli as a process: the
// run writes no output path twice, in extraction and in replay, and an
// unedited replay leaves every game file as it was.
#include <gtest/gtest.h>

#include <map>

#include "archive/BiffFormat.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/ImageBuilder.hpp"
#include "builders/KeyBuilder.hpp"
#include "builders/MveBuilder.hpp"
#include "builders/TalkBuilder.hpp"
#include "framework/Paths.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::BiffItem;
using test::RunCli;

build::BamShape SmallBam(std::uint32_t seed) {
  build::BamShape shape;
  shape.seed = seed;
  shape.frames = {{5, 4}, {3, 6, false}};
  return shape;
}

// An archive of sounds, a bitmap and a BAM and a MOS (compressed), seeded so
// that two folders hold different archives of one name.
std::string MixedArchive(std::uint32_t seed) {
  return build::MakeBiff({{rtSound, build::MakeWavc(300, seed)},
                          {rtSound, build::MakeRiffWave(200, seed + 1)},
                          {rtBitmap, build::MakeBitmap(4, 3, seed + 2)},
                          {rtBam, build::CompressItem("BAMCV1  ", build::MakeBam(SmallBam(seed)))},
                          {rtMos, build::CompressItem("MOSCV1  ", build::MakeMos(20, 10, 8, seed))}});
}

std::map<std::string, std::string> GameFiles(std::uint32_t seed) {
  build::MovieShape movie;
  movie.channels = 1 + seed % 2;
  return {
      {"X.bif", MixedArchive(seed)},
      {"dialog.tlk", build::MakeTalkTable(std::vector<std::string>{"first " + std::to_string(seed), "second"})},
      {"F.fon", build::MakeFont(40, seed)},
      {"INTRO.MVE", build::MakeMovie(movie, build::ToneSamples(movie, build::TrackFrames(movie)))},
      {"chitin.key", build::MakeKey({{"data\\X.bif", static_cast<std::uint16_t>(seed)}})},
      {"S.wav", build::MakeWavc(100, seed)},
  };
}

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class SameNames : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [folder, seed] : {std::pair{"a", 1u}, std::pair{"b", 2u}}) {
      ForceDirectories(dir / folder);
      for (const auto& [name, bytes] : GameFiles(seed))
        test::WriteFileBytes(dir / (std::string(folder) + "/" + name), bytes);
    }
  }
  void ExpectGameFilesUnchanged() {
    for (const auto& [folder, seed] : {std::pair{"a", 1u}, std::pair{"b", 2u}}) {
      for (const auto& [name, bytes] : GameFiles(seed)) {
        EXPECT_TRUE(test::ReadFileBytes(dir / (std::string(folder) + "/" + name)) == bytes) << folder << "/" << name;
      }
    }
  }
  // The Results line that refuses b's file for a's.
  std::string Refusal(const std::string& name) const { return (dir / ("b/" + name)) + " refused: "; }
  std::string OwnerOf(const std::string& name) const {
    return " is an output of " + (dir / ("a/" + name)) + " in this run; nothing of it is written.";
  }
  test::TempDir dir;
};

// Each type: the second file of a name is refused (Add has warned of it, so
// the exit status says a message was shown), the first one's outputs stay
// whole, and the unedited replay gives the game files back byte for byte.
TEST_F(SameNames, ASecondInputOfANameIsRefusedAndTheReplayChangesNothing) {
  const std::pair<const char*, const char*> runs[] = {{"biff", "X.bif"},    {"talk", "dialog.tlk"}, {"font", "F.fon"},
                                                      {"mve", "INTRO.MVE"}, {"key", "chitin.key"},  {"wavc", "S.wav"},
                                                      {"compress", "X.bif"}};
  for (const auto& [type, name] : runs) {
    const std::string out = std::string("OUT-") + type;
    auto result =
        RunCli({"--type", type, "--output", out, std::string("a/") + name, std::string("b/") + name}, dir.path());
    EXPECT_EQ(result.status, 3) << type << ": " << result.err;
    EXPECT_TRUE(Holds(result.err, "trovex-cli: Add files: ") && Holds(result.err, dir / ("b/" + std::string(name))))
        << result.err;
    EXPECT_TRUE(Holds(result.out, Refusal(name)) && Holds(result.out, OwnerOf(name))) << type << ": " << result.out;
    const std::string log = test::ReadFileBytes(dir / (out + "/result.log"));
    EXPECT_FALSE(Holds(log, dir / ("b/" + std::string(name)))) << log;
    if (std::string(type) == "compress") {
      EXPECT_TRUE(test::ReadFileBytes(dir / (out + "/X.bif")) == build::CompressBiff(GameFiles(1).at("X.bif")));
      continue;
    }
    result = RunCli({"--type", "log", "--output", std::string("NEW-") + type, out + "/result.log"}, dir.path());
    EXPECT_EQ(result.status, 0) << type << ": " << result.err;
  }
  ExpectGameFilesUnchanged();
  EXPECT_TRUE(test::ReadFileBytes(dir / "NEW-biff/X.bif") == GameFiles(1).at("X.bif"));
  EXPECT_TRUE(test::ReadFileBytes(dir / "NEW-talk/dialog.tlk") == GameFiles(1).at("dialog.tlk"));
}

// A.bif entry 0x12 (a BAM) and A_0012.bif entry 0xA (a MOS) would both write
// Images/A_0012_000A.bmp: the second archive is refused, in either order.
TEST_F(SameNames, ItemNamesOfTwoArchivesMeetingAreRefused) {
  std::vector<BiffItem> withBam(0x13, {rtSound, build::MakeWavc(60, 3)});
  withBam[0x12] = {rtBam, build::CompressItem("BAMCV1  ", build::MakeBam(SmallBam(4)))};
  std::vector<BiffItem> withMos(0xB, {rtSound, build::MakeWavc(60, 5)});
  withMos[0xA] = {rtMos, build::CompressItem("MOSCV1  ", build::MakeMos(20, 10, 8, 6))};
  test::WriteFileBytes(dir / "A.bif", build::MakeBiff(withBam));
  test::WriteFileBytes(dir / "A_0012.bif", build::MakeBiff(withMos));
  const std::string shared = dir / "OUT/Images/A_0012_000A.bmp";

  auto result = RunCli({"--type", "biff", "--output", "OUT", "A.bif", "A_0012.bif"}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Holds(result.out, (dir / "A_0012.bif") + " refused: " + shared + " is an output of " + (dir / "A.bif")))
      << result.out;
  result = RunCli({"--type", "biff", "--output", "OUT2", "A_0012.bif", "A.bif"}, dir.path());
  EXPECT_TRUE(Holds(result.out, (dir / "A.bif") + " refused: " + (dir / "OUT2/Images/A_0012_XXXX.bmp") +
                                    " is an output of " + (dir / "A_0012.bif")))
      << result.out;

  result = RunCli({"--type", "log", "--output", "NEW", "OUT/result.log"}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(test::ReadFileBytes(dir / "NEW/A.bif") == build::MakeBiff(withBam));
  EXPECT_FALSE(PathExists(dir / "NEW/A_0012.bif"));
}

// Two logs replayed in one run: b's rebuilt X.bif would replace a's, and a
// second group for one KEY file would change it twice. Both are refused.
TEST_F(SameNames, ReplayRefusesAGroupWritingWhatTheRunWrote) {
  for (const char* run : {"1", "2"}) {
    const std::string folder = std::string(run) == "1" ? "a" : "b";
    auto result = RunCli({"--type", "biff", "--output", std::string("BIFF") + run, folder + "/X.bif"}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    result = RunCli({"--type", "key", "--output", std::string("KEY") + run, "a/chitin.key"}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
  }
  test::WriteFileBytes(dir / "KEY1/chitin.txt", "data\\X.bif\r\n0100000000000000\r\n");
  test::WriteFileBytes(dir / "KEY2/chitin.txt", "data\\X.bif\r\n0010000000000000\r\n");
  std::string project;
  for (const char* log : {"BIFF1", "BIFF2", "KEY1", "KEY2"}) project += (dir / log) + "/result.log\r\n";
  test::WriteFileBytes(dir / "project.lst", project);

  const auto result = RunCli({"--type", "list", "--output", "NEW", "project.lst"}, dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Holds(result.out, Refusal("X.bif") + (dir / "NEW/X.bif") + OwnerOf("X.bif"))) << result.out;
  EXPECT_TRUE(Holds(result.out, (dir / "a/chitin.key") + " refused: this run has written " + (dir / "a/chitin.key") +
                                    " for it already; nothing of it is written."))
      << result.out;
  EXPECT_TRUE(test::ReadFileBytes(dir / "NEW/X.bif") == GameFiles(1).at("X.bif"));
  std::string once = GameFiles(1).at("chitin.key");
  once[24 + 10] = 2;  // the first archive's flags, from KEY1's listing only
  EXPECT_EQ(test::ReadFileBytes(dir / "a/chitin.key"), once);
}

}  // namespace
}  // namespace trovex
