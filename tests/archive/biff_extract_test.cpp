#include <gtest/gtest.h>

#include <functional>

#include "archive/BiffExtract.hpp"
#include "archive/BiffFormat.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/Bytes.hpp"
#include "compress/Zlib.hpp"
#include "framework/Paths.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::BiffItem;

struct Extraction {
  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};
  Extraction() {
    run.OutputDir = dir / "out";
    ForceDirectories(run.OutputDir);
  }
  std::string Input(const std::string& name, const std::string& bytes) {
    test::WriteFileBytes(dir / name, bytes);
    return dir / name;
  }
  std::string Out(const std::string& name) const { return JoinPath(run.OutputDir, test::NativePath(name)); }
  std::vector<std::string> Listing() const { return test::ListDirectory(run.OutputDir); }
};

TEST(ExtractBiff, WavcSoundLosesItsHeaderAndIsLogged) {
  Extraction x;
  std::vector<BiffItem> items;
  for (std::uint32_t i = 0; i < 30; ++i) items.push_back({4, build::MakeWavc(i == 26 ? 1000 : 100 + i, i), i});
  const std::string archive = x.Input("Sounds.bif", build::MakeBiff(items));
  ExtractBiff(x.run, archive);

  const std::string acm = x.Out("ACM Sound/Sounds_001A.acm");
  EXPECT_EQ(test::ReadFileBytes(acm), items[26].data.substr(28));
  EXPECT_EQ(x.window.results.size(), 30u);
  EXPECT_EQ(x.window.results[26], "Item 27 extracted sucessfully.");
  EXPECT_EQ(x.run.JobLog.Get(26), "#Target WAV 0x0000001A: " + acm);
  EXPECT_EQ(x.window.labels[Label::CurrentMessage], "Processing Sounds.bif...");
  EXPECT_EQ(x.window.positions[Bar::Progress], 29 * 100 / 30);
}

TEST(ExtractBiff, EveryKindGoesToItsFolderAndOtherTypesArePassedOver) {
  Extraction x;
  const std::vector<BiffItem> items = {
      {4, build::MakeRiffWave(500, 1)}, {0x3ED, "opaque"},          {1, build::MakeBitmap(5, 3, 2)},
      {2, build::MakeMovie(3000, 3)},   {1000, "BAMCV1  whatever"}, {1004, "MOSCV1  whatever"},
      {4, std::string("WAV")},  // too short to be a WAVC sound: a wave kept whole
  };
  ExtractBiff(x.run, x.Input("Mixed.v1.bif", build::MakeBiff(items)));
  EXPECT_EQ(test::ReadFileBytes(x.Out("RIFF Wave/Mixed_0000.wav")), items[0].data);
  EXPECT_EQ(test::ReadFileBytes(x.Out("BMP/Mixed_0002.bmp")), items[2].data);
  EXPECT_EQ(test::ReadFileBytes(x.Out("Video/Mixed_0003.mve")), items[3].data);
  EXPECT_EQ(test::ReadFileBytes(x.Out("RIFF Wave/Mixed_0006.wav")), "WAV");
  EXPECT_EQ(x.Listing(), (std::vector<std::string>{"BMP", "Images", "RIFF Wave", "Video"}));
  // The two image items are damaged: their lengths cannot come from their data.
  EXPECT_EQ(x.window.results,
            (std::vector<std::string>{"Item 1 extracted sucessfully.", "Item 3 extracted sucessfully.",
                                      "Item 4 extracted sucessfully.",
                                      "Mixed.v1.bif entry 0x00000004: Item 5 skipped: 1952540791 bytes cannot come from 4 compressed bytes.",
                                      "Mixed.v1.bif entry 0x00000005: Item 6 skipped: 1952540791 bytes cannot come from 4 compressed bytes.",
                                      "Item 7 extracted sucessfully."}));
  ASSERT_EQ(x.run.JobLog.Count(), 4u);
  EXPECT_EQ(x.run.JobLog.Get(0), "#Target WAV 0x00000000: " + x.Out("RIFF Wave/Mixed_0000.wav"));
  EXPECT_EQ(x.run.JobLog.Get(1), "#Target BMP 0x00000002: " + x.Out("BMP/Mixed_0002.bmp"));
  EXPECT_EQ(x.run.JobLog.Get(2), "#Target MVE 0x00000003: " + x.Out("Video/Mixed_0003.mve"));
}

// Archives as the game lays them out: tables at the end, padding between
// entries, tile sets; every entry is found at the offsets the header gives.
TEST(ExtractBiff, RealLayoutsAreWalkedThroughTheHeadersOffsets) {
  const std::vector<BiffItem> items = {{4, build::MakeWavc(300, 1)}, {1, build::MakeBitmap(3, 3, 2)},
                                       {4, build::MakeRiffWave(200, 3)}, {4, build::MakeWavc(90, 4)}};
  const std::vector<build::BiffTileSet> tiles = {{3, 64, build::MakeTileData(3, 64, 1)}, {1, 64, build::MakeTileData(1, 64, 2)}};
  for (const bool atEnd : {true, false}) {
    Extraction x;
    ExtractBiff(x.run, x.Input("Area.bif", build::MakeBiff(items, tiles, {.tablesAtEnd = atEnd, .maxPadding = 4})));
    EXPECT_EQ(test::ReadFileBytes(x.Out("ACM Sound/Area_0000.acm")), items[0].data.substr(28));
    EXPECT_EQ(test::ReadFileBytes(x.Out("BMP/Area_0001.bmp")), items[1].data);
    EXPECT_EQ(test::ReadFileBytes(x.Out("RIFF Wave/Area_0002.wav")), items[2].data);
    EXPECT_EQ(test::ReadFileBytes(x.Out("ACM Sound/Area_0003.acm")), items[3].data.substr(28));
    EXPECT_EQ(x.run.JobLog.Count(), 4u);
  }
}

TEST(ExtractBiff, OnlyTheChosenKindsAreWritten) {
  Extraction x;
  x.run.ExtractKinds = kindBmp;
  ExtractBiff(x.run, x.Input("K.bif", build::MakeBiff({{4, build::MakeWavc(100, 1)}, {1, "bitmap"}, {2, "movie"}})));
  EXPECT_EQ(x.Listing(), std::vector<std::string>{"BMP"});
  EXPECT_EQ(x.window.results, std::vector<std::string>{"Item 2 extracted sucessfully."});
}

TEST(ExtractBiff, EmptyArchiveWritesNothing) {
  Extraction x;
  ExtractBiff(x.run, x.Input("E.bif", build::MakeBiff({})));
  EXPECT_TRUE(x.Listing().empty());
  EXPECT_EQ(x.window.positions[Bar::Progress], 0);
  EXPECT_EQ(x.run.JobLog.Count(), 0u);
}

TEST(ExtractBiff, NameWithoutAPointGivesStemsStartingWithAnUnderscore) {
  Extraction x;
  ExtractBiff(x.run, x.Input("NOEXT", build::MakeBiff({{2, "movie"}})));
  EXPECT_EQ(test::ReadFileBytes(x.Out("Video/_0000.mve")), "movie");
}

TEST(ExtractBiff, DamagedEntriesAreSkippedWithAReason) {
  Extraction x;
  std::string archive = build::MakeBiff({{4, build::MakeWavc(20, 1)}, {2, "movie"}, {4, build::MakeWavc(28, 2)}});
  build::SetU32(archive, 20 + 16 + 8, 1000);  // entry 1 claims 1000 bytes
  ExtractBiff(x.run, x.Input("D.bif", archive));
  EXPECT_EQ(x.window.results,
            (std::vector<std::string>{"D.bif entry 0x00000000: Item 1 skipped: sound shorter than its 28-byte header.",
                                      "D.bif entry 0x00000001: Item 2 skipped: data beyond end of archive.", "Item 3 extracted sucessfully."}));
  EXPECT_EQ(test::ReadFileBytes(x.Out("ACM Sound/D_0002.acm")), "");
  EXPECT_EQ(x.Listing(), std::vector<std::string>{"ACM Sound"});
}

TEST(ExtractBiff, ArchiveWithItsTableBeyondTheEndIsRefusedBeforeAnythingIsWritten) {
  Extraction x;
  std::string archive = build::MakeBiff({{2, "movie"}, {2, "movie"}});
  build::SetU32(archive, 8, 1000000);
  const std::string path = x.Input("T.bif", archive);
  try {
    ExtractBiff(x.run, path);
    FAIL();
  } catch (const EFormatError& error) {
    EXPECT_EQ(std::string(error.what()), "Invalid BIFF archive " + path + ": file table beyond end of file");
  }
  EXPECT_TRUE(x.Listing().empty());
  EXPECT_THROW(ExtractBiff(x.run, x.Input("S.bif", "BIFFV1  ")), EFormatError);
}

TEST(ExtractBiff, StopKeepsTheItemsUnderWayEachWithItsLines) {
  Extraction x;
  std::vector<BiffItem> items(200, BiffItem{2, "movie"});
  x.window.onPump = [&] {
    if (x.window.BarPosition(Bar::Progress) > 0) x.run.StopMark = true;
  };
  ExtractBiff(x.run, x.Input("Stop.bif", build::MakeBiff(items)));
  const auto files = test::ListDirectory(x.Out("Video"));  // temporary files would show here too
  EXPECT_LT(files.size(), 200u);
  ASSERT_EQ(x.run.JobLog.Count(), files.size());
  EXPECT_EQ(x.window.results.size(), files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(x.run.JobLog.Get(i), TargetLine("MVE", static_cast<std::uint32_t>(i), x.Out("Video/" + files[i])));
  }
}

std::string Plain(std::size_t size) {
  return build::MakeBiff({{4, build::MakeWavc(size / 2, 3)}, {2, build::MakeMovie(size / 2, 4)}}).substr(0, size);
}

TEST(ExtractCompressedBiff, GivesBackThePlainBytesUnderTheSameName) {
  for (std::size_t size : {0, 1, 8191, 8192, 8193, 100000}) {
    Extraction x;
    const std::string plain = Plain(size);
    ExtractBiff(x.run, x.Input("P.bif", build::CompressBiff(plain)));
    EXPECT_EQ(test::ReadFileBytes(x.Out("P.bif")), plain) << size;
    EXPECT_EQ(x.Listing(), std::vector<std::string>{"P.bif"});
    EXPECT_TRUE(x.window.results.empty());
    EXPECT_EQ(x.run.JobLog.Count(), 0u);
  }
}

TEST(ExtractCompressedBiff, ReadsOtherBlockLengthsAndLevels) {
  const std::string plain = build::MakeMovie(200000, 5) + build::MakeSoundData(900000, 6);
  for (auto [blockSize, level] : {std::pair{1000, 1}, std::pair{65536, 6}, std::pair{1 << 20, 9}}) {
    Extraction x;
    ExtractBiff(x.run, x.Input("L.bif", build::CompressBiff(plain, blockSize, level)));
    EXPECT_EQ(test::ReadFileBytes(x.Out("L.bif")), plain) << blockSize;
  }
}

// Offsets of the blocks of a compressed archive.
std::vector<std::size_t> BlockOffsets(const std::string& archive) {
  std::vector<std::size_t> offsets;
  for (std::size_t at = 12; at < archive.size();
       at += 8 + LoadU32(reinterpret_cast<const unsigned char*>(&archive[at + 4]))) {
    offsets.push_back(at);
  }
  return offsets;
}

// Builds a compressed archive, lets `damage` change it and expects extraction
// to fail with `message` ("<path>" standing for the archive's path), leaving
// nothing behind.
void ExpectDamagedCompressed(const std::function<void(std::string&, const std::vector<std::size_t>&)>& damage,
                             std::string message) {
  Extraction x;
  std::string archive = build::CompressBiff(build::MakeSoundData(30000, 7));
  damage(archive, BlockOffsets(archive));
  const std::string path = x.Input("C.bif", archive);
  if (const auto at = message.find("<path>"); at != std::string::npos) message.replace(at, 6, path);
  try {
    ExtractBiff(x.run, path);
    ADD_FAILURE() << message;
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()), message);
  }
  EXPECT_TRUE(x.Listing().empty()) << message;
}

TEST(ExtractCompressedBiff, DamagedArchivesEndTheRunAndLeaveNoPartialFile) {
  using Offsets = std::vector<std::size_t>;
  const std::string second = "Invalid compressed archive <path>: block 1 at offset " +
                             std::to_string(BlockOffsets(build::CompressBiff(build::MakeSoundData(30000, 7)))[1]) + ": ";
  // A wrong checksum at the end of the second block's stream.
  ExpectDamagedCompressed([](std::string& a, const Offsets& o) { a[o[2] - 1] ^= 1; }, second + "incorrect data check");
  // A stream that is not zlib data at all.
  ExpectDamagedCompressed([](std::string& a, const Offsets& o) { a[o[1] + 8] = 0x12; },
                          second + "incorrect header check");
  // A block that promises more than its stream holds.
  ExpectDamagedCompressed([](std::string& a, const Offsets& o) { build::SetU32(a, o[1], 8193); },
                          second + "its data ends before its 8193 bytes");
  ExpectDamagedCompressed([](std::string& a, const Offsets&) { a.resize(a.size() - 1); },
                          "Invalid BIFF archive <path>: block at offset " +
                              std::to_string(BlockOffsets(build::CompressBiff(build::MakeSoundData(30000, 7))).back()) +
                              " reaches beyond end of file");
  ExpectDamagedCompressed([](std::string& a, const Offsets&) { a += "12345"; },
                          "Invalid BIFF archive <path>: block header at offset " +
                              std::to_string(build::CompressBiff(build::MakeSoundData(30000, 7)).size()) +
                              " cut short");
  ExpectDamagedCompressed([](std::string& a, const Offsets&) { a.resize(10); },
                          "Invalid BIFF archive <path>: file shorter than its 12-byte header");
}

// Many small blocks, a block too large to be held in memory among them, and
// a damaged block far behind the first few hundred: the bytes come back in
// order, and the message counts the blocks and names the offset of the
// damaged one wherever it lies.
TEST(ExtractCompressedBiff, MixedBlockSizesKeepTheirOrderAndNumbers) {
  const std::vector<std::pair<std::string, std::size_t>> parts = {{build::MakeSoundData(700000, 1), 1000},
                                                                  {build::MakeMovie(400000, 2), 1 << 20},
                                                                  {build::MakeSoundData(300000, 3), 700}};
  std::string plain;
  std::string blocks;
  for (const auto& [bytes, blockSize] : parts) {
    plain += bytes;
    blocks += build::CompressBiff(bytes, blockSize).substr(12);
  }
  std::string archive = "BIFCV1.0";
  build::PutU32(archive, static_cast<std::uint32_t>(plain.size()));
  archive += blocks;
  Extraction x;
  ExtractBiff(x.run, x.Input("M.bif", archive));
  EXPECT_TRUE(test::ReadFileBytes(x.Out("M.bif")) == plain);

  const std::size_t damaged = 700 + 1 + 250;
  const std::size_t offset = BlockOffsets(archive)[damaged];
  archive[offset + 8] = 0x12;
  const std::string path = x.Input("D.bif", archive);
  try {
    ExtractBiff(x.run, path);
    ADD_FAILURE() << "a damaged block was accepted";
  } catch (const EFormatError& error) {
    EXPECT_EQ(std::string(error.what()), "Invalid compressed archive " + path + ": block " + std::to_string(damaged) +
                                             " at offset " + std::to_string(offset) + ": incorrect header check");
  }
}

TEST(ExtractCompressedBiff, IntoItsOwnFolderFailsAndLeavesTheInputAlone) {
  Extraction x;
  const std::string archive = build::CompressBiff(build::MakeSoundData(20000, 8));
  const std::string path = x.Input("Own.bif", archive);
  x.run.OutputDir = x.dir.path();
  try {
    ExtractBiff(x.run, path);
    FAIL();
  } catch (const EFCreateError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot write " + path + ": it is the file being read; choose another output folder.");
  }
  EXPECT_EQ(test::ReadFileBytes(path), archive);
  EXPECT_EQ(test::ListDirectory(x.dir.path()), (std::vector<std::string>{"Own.bif", "out"}));
}

TEST(ExtractCompressedBiff, StopLeavesNoPartialArchive) {
  Extraction x;
  x.window.onPump = [&] { x.run.StopMark = true; };
  ExtractBiff(x.run, x.Input("Big.bif", build::CompressBiff(build::MakeSoundData(300000, 9))));
  EXPECT_TRUE(x.Listing().empty());
}

// Every truncation and many single-byte changes of small valid archives end
// in a clean error or a normal return, never a crash (run it under the
// sanitizers).
TEST(ExtractBiffSweep, TruncatedAndFlippedArchivesNeverCrash) {
  const std::string plain = build::MakeBiff(
      {{4, build::MakeWavc(300, 1)}, {4, build::MakeRiffWave(200, 2)}, {1, build::MakeBitmap(4, 4, 3)}});
  const std::string packed = build::CompressBiff(plain, 256);
  Extraction x;
  const std::string path = x.dir / "F.bif";
  for (const std::string& valid : {plain, packed}) {
    build::Random random(11);
    for (std::size_t i = 0; i < valid.size() + 200; ++i) {
      std::string damaged = valid;
      if (i < valid.size()) {
        damaged.resize(i);
      } else {
        damaged[random.Below(static_cast<std::uint32_t>(damaged.size()))] ^= static_cast<char>(1 + random.Below(255));
      }
      test::WriteFileBytes(path, damaged);
      try {
        ExtractBiff(x.run, path);
      } catch (const Exception&) {
      }
    }
  }
}

}  // namespace
}  // namespace trovex
