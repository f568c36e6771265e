// Extract, edit and replay through trovex-cli as a process: the whole round
// trip as a user runs it.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "archive/BiffFormat.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/KeyBuilder.hpp"
#include "builders/MveBuilder.hpp"
#include "builders/TalkBuilder.hpp"
#include "framework/MemoryStream.hpp"
#include "framework/Paths.hpp"
#include "framework/StringList.hpp"
#include "support/ArchiveEntries.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::BiffItem;
using test::EntryData;
using test::RunCli;

constexpr std::uint16_t kScript = 0x3EF;  // a type that extraction passes over

std::vector<BiffItem> MixedItems() {
  return {
      {rtSound, build::MakeWavc(900, 1), 10},     {rtSound, build::MakeRiffWave(700, 2), 11},
      {rtBitmap, build::MakeBitmap(9, 5, 3), 12}, {kScript, "script bytes", 13},
      {rtMovie, build::MakeMovie(1500, 4), 14},   {rtSound, build::MakeWavc(1200, 5), 15},
      {rtSound, build::MakeRiffWave(400, 6), 16}, {rtBitmap, build::MakeBitmap(4, 4, 7), 17},
  };
}

// Entry index -> extracted file, from the target lines of a job log.
std::map<std::uint32_t, std::string> ExtractedFiles(const std::string& logPath) {
  TStringList log;
  log.LoadFromFile(logPath);
  std::map<std::uint32_t, std::string> files;
  for (const auto& line : log.Lines()) {
    unsigned index = 0;
    char kind[16];
    int pathAt = 0;
    if (std::sscanf(line.c_str(), "#Target %15s 0x%8X: %n", kind, &index, &pathAt) == 2 && pathAt > 0) {
      files[index] = line.substr(static_cast<std::size_t>(pathAt));
    }
  }
  return files;
}

TEST(RoundTrip, ExtractEditReplayRebuildsTheArchive) {
  test::TempDir dir;
  const auto items = MixedItems();
  const std::string archive = build::MakeBiff(items);
  test::WriteFileBytes(dir / "A.bif", archive);

  auto result = RunCli({"--type", "biff", "--output", "OUT", "A.bif"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  auto files = ExtractedFiles(dir / "OUT/result.log");
  ASSERT_EQ(files.size(), 7u);  // everything but the script

  // Two edited files (a WAVC sound and a bitmap), one deleted (a RIFF wave).
  test::WriteFileBytes(files.at(0), "edited acm payload");
  test::WriteFileBytes(files.at(7), build::MakeBitmap(2, 2, 99));
  ASSERT_EQ(std::remove(files.at(6).c_str()), 0);

  result = RunCli({"--type", "log", "--output", "NEW", "OUT/result.log"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("Operation complete!"), std::string::npos);
  EXPECT_NE(result.out.find(FileNamePart(files.at(7)) + " inserted."), std::string::npos);

  const auto rebuilt = EntryData(test::ReadFileBytes(dir / "NEW/A.bif"));
  ASSERT_EQ(rebuilt.size(), items.size());
  EXPECT_EQ(rebuilt[0], "edited acm payload");
  EXPECT_EQ(rebuilt[1], items[1].data);             // RIFF wave, byte for byte
  EXPECT_EQ(rebuilt[2], items[2].data);             // bitmap
  EXPECT_EQ(rebuilt[3], items[3].data);             // never extracted
  EXPECT_EQ(rebuilt[4], items[4].data);             // movie
  EXPECT_EQ(rebuilt[5], items[5].data);             // an untouched WAVC sound keeps its header
  EXPECT_EQ(rebuilt[6], items[6].data);             // deleted: old data kept
  EXPECT_EQ(rebuilt[7], build::MakeBitmap(2, 2, 99));
  EXPECT_EQ(test::ReadFileBytes(dir / "A.bif"), archive);
}

// Replaying an unedited extraction gives every game file back byte for byte:
// archives of any layout (WAVC sounds, tables at the end, padding, tile
// sets), a string table of CR LF paragraphs, a KEY index, movies. A compressed
// archive extracts to the plain archive it was made from, and its replay
// writes nothing.
TEST(RoundTrip, UneditedExtractionReplaysToEqualFiles) {
  test::TempDir dir;
  std::vector<BiffItem> wavcs;
  for (std::uint32_t i = 0; i < 6; ++i) wavcs.push_back({rtSound, build::MakeWavc(300 + 40 * i, i), i});
  std::vector<build::BiffTileSet> tiles;
  for (std::uint32_t t = 0; t < 4; ++t) tiles.push_back({2 + t, 512, build::MakeTileData(2 + t, 512, t), t});
  build::Random random(5);
  std::vector<std::string> strings;
  for (int i = 0; i < 20; ++i) strings.push_back(i % 2 ? build::ParagraphText(random, 3) : build::RandomTalkString(random, 30));
  build::MovieShape stereo, chime;
  stereo.channels = 2;
  stereo.compressed = true;
  chime.sixteenBit = false;
  const std::map<std::string, std::string> game = {
      {"INTRO.MVE", build::MakeMovie(stereo, build::ToneSamples(stereo, build::TrackFrames(stereo)))},
      {"CHIME.MVE", build::MakeMovie(chime, build::ToneSamples(chime, build::TrackFrames(chime)))},
      {"Sounds.bif", build::MakeBiff(wavcs)},
      {"Area.bif", build::MakeBiff(MixedItems(), tiles, {.tablesAtEnd = true, .maxPadding = 4})},
      {"Front.bif", build::MakeBiff(MixedItems(), tiles, {.tablesAtEnd = false, .maxPadding = 3})},
      {"dialog.tlk", build::MakeTalkTable(strings)},
      {"chitin.key", build::MakeKey({{"data\\Sounds.bif", 0x0001}}, {{"AMB", 4, 1}})},
  };
  for (const auto& [name, bytes] : game) test::WriteFileBytes(dir / name, bytes);
  const std::string packed = build::CompressBiff(game.at("Area.bif"));
  test::WriteFileBytes(dir / "Packed.bif", packed);

  const std::pair<const char*, std::vector<std::string>> runs[] = {
      {"biff", {"Sounds.bif", "Area.bif", "Front.bif", "Packed.bif"}}, {"talk", {"dialog.tlk"}}, {"key", {"chitin.key"}},
      {"mve", {"INTRO.MVE", "CHIME.MVE"}}};
  for (const auto& [type, names] : runs) {
    std::vector<std::string> args = {"--type", type, "--output", std::string("OUT-") + type};
    args.insert(args.end(), names.begin(), names.end());
    auto result = RunCli(args, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
    result = RunCli({"--type", "log", "--output", "NEW", std::string("OUT-") + type + "/result.log"}, dir.path());
    ASSERT_EQ(result.status, 0) << result.err;
  }
  for (const auto& [name, bytes] : game) {
    if (name != "chitin.key" && !name.ends_with(".MVE")) {  // changed in place, if at all
      EXPECT_EQ(test::ReadFileBytes(dir / ("NEW/" + name)), bytes) << name;
    }
    EXPECT_EQ(test::ReadFileBytes(dir / name), bytes) << name;
  }
  EXPECT_EQ(test::ReadFileBytes(dir / "OUT-biff/Packed.bif"), game.at("Area.bif"));
  EXPECT_FALSE(PathExists(dir / "NEW/Packed.bif"));
  EXPECT_EQ(test::ReadFileBytes(dir / "Packed.bif"), packed);
}

TEST(RoundTrip, KeyListingUneditedThenEdited) {
  test::TempDir dir;
  const std::string key = build::MakeKey({{"data\\Sounds.bif", 0x0001}, {"data\\Mixed.bif", 0x0005}}, {{"AMB", 4, 1}});
  test::WriteFileBytes(dir / "chitin.key", key);

  auto result = RunCli({"--type", "key", "--output", "OUT", "chitin.key"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(test::ReadFileBytes(dir / "OUT/chitin.txt"),
            "data\\Sounds.bif\r\n1000000000000000\r\ndata\\Mixed.bif\r\n1010000000000000\r\n");

  result = RunCli({"--type", "log", "--output", "NEW", "OUT/result.log"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(test::ReadFileBytes(dir / "chitin.key"), key);

  test::WriteFileBytes(dir / "OUT/chitin.txt", "DATA\\MIXED.BIF\r\n01\r\n");
  result = RunCli({"--type", "log", "--output", "NEW", "OUT/result.log"}, dir.path());
  ASSERT_EQ(result.status, 0) << result.err;
  std::string expected = key;
  expected[24 + 12 + 10] = 2;
  EXPECT_EQ(test::ReadFileBytes(dir / "chitin.key"), expected);
}

}  // namespace
}  // namespace trovex
