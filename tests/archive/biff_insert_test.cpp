#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "archive/BiffFormat.hpp"
#include "archive/BiffInsert.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/Bytes.hpp"
#include "builders/ImageBuilder.hpp"
#include "compress/Zlib.hpp"
#include "framework/Errors.hpp"
#include "framework/FaultInjection.hpp"
#include "framework/MemoryStream.hpp"
#include "support/FakeWindow.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using build::BiffItem;

struct Entry {
  BiffFileEntry record;
  std::string data;
};

struct Archive {
  std::vector<Entry> entries;
  std::vector<std::string> tileSets;
};

// An archive as a reader following the header's offsets sees it.
Archive ReadArchive(const std::string& bytes) {
  TMemoryStream stream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
  const BiffHeader header = ReadCheckedBiffHeader(stream, "archive");
  Archive archive;
  for (const auto& record : ReadBiffFileTable(stream, header)) {
    archive.entries.push_back({record, bytes.substr(record.dataOffset, record.dataSize)});
  }
  for (const auto& tile : ReadBiffTileTable(stream, header, "archive")) {
    archive.tileSets.push_back(bytes.substr(tile.dataOffset, tile.DataSize()));
  }
  return archive;
}

// The entries of a rebuilt archive, after checking the layout every rebuilt
// archive has: file table at 20, tile table behind it, the file entries'
// data back to back behind that, then the tile sets', up to the end.
std::vector<Entry> ReadRebuilt(const std::string& bytes) {
  TMemoryStream stream(std::vector<unsigned char>(bytes.begin(), bytes.end()));
  const BiffHeader header = ReadCheckedBiffHeader(stream, "rebuilt");
  EXPECT_EQ(header.fileTableOffset, kBiffHeaderSize);
  std::uint64_t expected = header.TablesEnd();
  for (const auto& record : ReadBiffFileTable(stream, header)) {
    EXPECT_EQ(record.dataOffset, expected);
    expected += record.dataSize;
  }
  for (const auto& tile : ReadBiffTileTable(stream, header, "rebuilt")) {
    EXPECT_EQ(tile.dataOffset, expected);
    expected += tile.DataSize();
  }
  EXPECT_EQ(expected, bytes.size());
  return ReadArchive(bytes).entries;
}

std::vector<BiffItem> TenSounds() {
  std::vector<BiffItem> items;
  for (std::uint32_t i = 0; i < 10; ++i) {
    items.push_back({rtSound, i % 2 ? build::MakeWavc(100 + i, i) : build::MakeRiffWave(90 + i, i), 0x1000 + i});
  }
  items[3] = {rtBitmap, build::MakeBitmap(3, 2, 3), 0x1003};
  return items;
}

class BiffInsertTest : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};
  std::string sourcePath = dir / "Sounds.bif";
  std::string targetPath;

  void SetUp() override {
    std::filesystem::create_directory(dir / "new");
    run.OutputDir = dir / "new";
    targetPath = dir / "new/Sounds.bif";
  }

  // Replays lines (after the "#Source:" line, at index 1) against archive.
  std::size_t Insert(const std::string& archive, const std::vector<std::string>& lines) {
    test::WriteFileBytes(sourcePath, archive);
    run.ReplayLines.Clear();
    run.ReplayLines.Add(sourcePath);
    for (const auto& line : lines) run.ReplayLines.Add(line);
    run.SourcePath = sourcePath;
    run.SourceArchive = std::make_unique<TFileStream>(sourcePath, FileMode::OpenReadWrite);
    const std::size_t next = InsertBiff(run, targetPath, 1);
    run.SourceArchive.reset();
    return next;
  }
  std::string Edited(const std::string& name, const std::string& bytes) {
    test::WriteFileBytes(dir / name, bytes);
    return dir / name;
  }
};

TEST_F(BiffInsertTest, ReplacesOneEntryAndLaysOutTheRestAfresh) {
  const auto items = TenSounds();
  const std::string acm = Edited("Sounds_0005.acm", std::string(333, 'e'));
  EXPECT_EQ(Insert(build::MakeBiff(items), {TargetLine("WAV", 5, acm), "#Format: BIFF"}), 2u);

  const std::string rebuilt = test::ReadFileBytes(targetPath);
  const auto entries = ReadRebuilt(rebuilt);
  ASSERT_EQ(entries.size(), 10u);
  for (std::uint32_t i = 0; i < 10; ++i) {
    EXPECT_EQ(entries[i].data, i == 5 ? std::string(333, 'e') : items[i].data) << i;
    EXPECT_EQ(entries[i].record.locator, 0x1000 + i);
    EXPECT_EQ(entries[i].record.type, items[i].type);
  }
  EXPECT_EQ(rebuilt.substr(0, 20), build::MakeBiff(items).substr(0, 20));
  EXPECT_EQ(window.results, (std::vector<std::string>{"Sounds_0005.acm inserted."}));
  EXPECT_EQ(window.labels[Label::CurrentMessage], "Processing Sounds.bif...");
  EXPECT_EQ(window.barHistory[Bar::Progress].back(), 100);
  EXPECT_EQ(test::ListDirectory(dir / "new"), (std::vector<std::string>{"Sounds.bif"}));
}

// Unchanged entries are copied in runs of data that lies back to back in the
// source; data out of table order, shared or with gaps must still land right.
TEST_F(BiffInsertTest, SourceDataInAnyOrderIsCopiedPerEntry) {
  auto items = TenSounds();
  std::string archive = build::MakeBiff(items);
  auto field = [&](std::uint32_t entry, std::uint32_t at) {
    return LoadU32(reinterpret_cast<const unsigned char*>(archive.data()) + 20 + 16 * entry + at);
  };
  const std::uint32_t offset1 = field(1, 4), size1 = field(1, 8);
  build::SetU32(archive, 20 + 16 * 1 + 4, field(2, 4));  // entries 1 and 2 swap their data
  build::SetU32(archive, 20 + 16 * 1 + 8, field(2, 8));
  build::SetU32(archive, 20 + 16 * 2 + 4, offset1);
  build::SetU32(archive, 20 + 16 * 2 + 8, size1);
  std::swap(items[1].data, items[2].data);
  build::SetU32(archive, 20 + 16 * 6 + 4, field(0, 4));  // entry 6 shares entry 0's data
  build::SetU32(archive, 20 + 16 * 6 + 8, field(0, 8));
  items[6].data = items[0].data;
  build::SetU32(archive, 20 + 16 * 8 + 8, field(8, 8) - 5);  // a gap behind entry 8
  items[8].data.resize(items[8].data.size() - 5);

  Insert(archive, {TargetLine("WAV", 4, Edited("a.wav", "AAAA"))});
  const auto entries = ReadRebuilt(test::ReadFileBytes(targetPath));
  for (std::uint32_t i = 0; i < 10; ++i) EXPECT_EQ(entries[i].data, i == 4 ? "AAAA" : items[i].data) << i;
}

// Archives as the game lays them out: tables at the end or behind the
// header, padding between entries, tile sets.
struct RealArchive {
  std::vector<BiffItem> items = TenSounds();
  std::vector<build::BiffTileSet> tiles;
  std::string bytes;

  RealArchive(std::uint32_t tileCount, const build::BiffLayout& layout) {
    for (std::uint32_t t = 0; t < tileCount; ++t) {
      tiles.push_back({t + 1, 64, build::MakeTileData(t + 1, 64, t), 0x2000 + t});
    }
    bytes = build::MakeBiff(items, tiles, layout);
  }
};

const build::BiffLayout kLayouts[] = {
    {.tablesAtEnd = true, .maxPadding = 0},
    {.tablesAtEnd = false, .maxPadding = 4},
    {.tablesAtEnd = true, .maxPadding = 4},
};

TEST_F(BiffInsertTest, RealLayoutsRebuildWithTileSetsIntact) {
  for (const auto& layout : kLayouts) {
    const RealArchive source(16, layout);
    const std::string acm = Edited("Sounds_0005.acm", std::string(333, 'e'));
    window.results.clear();
    Insert(source.bytes, {TargetLine("WAV", 5, acm)});

    const std::string rebuilt = test::ReadFileBytes(targetPath);
    const auto entries = ReadRebuilt(rebuilt);
    const Archive archive = ReadArchive(rebuilt);
    ASSERT_EQ(entries.size(), 10u);
    for (std::uint32_t i = 0; i < 10; ++i) {
      EXPECT_EQ(entries[i].data, i == 5 ? std::string(333, 'e') : source.items[i].data) << i;
      EXPECT_EQ(entries[i].record.locator, 0x1000 + i);
    }
    ASSERT_EQ(archive.tileSets.size(), 16u);
    for (std::size_t t = 0; t < 16; ++t) EXPECT_EQ(archive.tileSets[t], source.tiles[t].data) << t;
    // The header keeps every field but the table offset; the tile entries
    // keep every field but the data offset.
    EXPECT_EQ(rebuilt.substr(0, 16), source.bytes.substr(0, 16));
    const std::size_t sourceTiles = LoadU32(reinterpret_cast<const unsigned char*>(source.bytes.data()) + 16) + 160;
    for (std::size_t t = 0; t < 16; ++t) {
      const std::string was = source.bytes.substr(sourceTiles + 20 * t, 20), is = rebuilt.substr(180 + 20 * t, 20);
      EXPECT_EQ(was.substr(0, 4) + was.substr(8), is.substr(0, 4) + is.substr(8)) << t;
    }
    EXPECT_EQ(window.results, (std::vector<std::string>{"Sounds_0005.acm inserted."}));
  }
}

// Replaying what extraction wrote (the ACM payload of a WAVC sound, a RIFF
// wave or a bitmap whole) changes nothing: the archive is copied exactly,
// whatever its layout, and every file still counts as inserted.
TEST_F(BiffInsertTest, UneditedFilesGiveAnExactCopy) {
  for (const auto& layout : kLayouts) {
    const RealArchive source(3, layout);
    const std::string wavc = Edited("a.acm", source.items[1].data.substr(28));
    const std::string riff = Edited("b.wav", source.items[2].data);
    const std::string bitmap = Edited("c.bmp", source.items[3].data);
    window.results.clear();
    Insert(source.bytes, {TargetLine("WAV", 1, wavc), TargetLine("WAV", 2, riff), TargetLine("BMP", 3, bitmap)});
    EXPECT_EQ(test::ReadFileBytes(targetPath), source.bytes);
    EXPECT_EQ(window.results, (std::vector<std::string>{"a.acm inserted.", "b.wav inserted.", "c.bmp inserted."}));
  }
}

// Beside an edited entry, an entry whose file equals what it holds keeps its
// stored bytes: a WAVC sound its header, a font its compressed form (here
// made at another level than insertion uses).
TEST_F(BiffInsertTest, EqualReplacementsKeepTheirStoredBytes) {
  std::string bam = "BAM V1  ";
  for (int i = 0; i < 3000; ++i) bam.push_back(static_cast<char>(i % 7));
  const auto packed = CompressBuf(bam.data(), bam.size());
  std::string item = "BAMCV1  ";
  build::PutU32(item, static_cast<std::uint32_t>(bam.size()));
  item.append(packed.begin(), packed.end());
  auto items = TenSounds();
  items[6] = {rtBam, item, 0x1006};
  const std::string source = build::MakeBiff(items, {}, {.tablesAtEnd = true, .maxPadding = 3});

  Insert(source, {TargetLine("WAV", 1, Edited("a.acm", items[1].data.substr(28))), TargetLine("WAV", 2, Edited("b.wav", "new")),
                  TargetLine("FONT", 6, Edited("font.bam", bam)), TargetLine("WAV", 7, Edited("d.acm", "x" + items[7].data.substr(29)))});
  const auto entries = ReadRebuilt(test::ReadFileBytes(targetPath));
  for (std::uint32_t i = 0; i < 10; ++i) {
    const std::string expected = i == 2 ? "new" : i == 7 ? "x" + items[7].data.substr(29) : items[i].data;
    EXPECT_EQ(entries[i].data, expected) << i;
  }
  EXPECT_EQ(window.results.size(), 4u);
}

TEST_F(BiffInsertTest, SourceOnLastLineCreatesNothing) {
  test::WriteFileBytes(sourcePath, build::MakeBiff(TenSounds()));
  run.ReplayLines.Clear();
  run.ReplayLines.Add(sourcePath);
  run.SourceArchive = std::make_unique<TFileStream>(sourcePath, FileMode::OpenReadWrite);
  EXPECT_EQ(InsertBiff(run, targetPath, 1), 1u);
  EXPECT_TRUE(test::ListDirectory(dir / "new").empty());
}

// Deleted files keep their entry; a target before the current entry (out of
// order or twice) is consumed unused; targets of unknown kinds, and an IMAGE
// target whose entry holds no image, are reported and their entries copied;
// frame lines are passed over.
TEST_F(BiffInsertTest, TargetsThatReplaceNothing) {
  const auto items = TenSounds();
  const std::string a = Edited("a.wav", "AAAA"), b = Edited("b.wav", "BBBB"), c = Edited("c.bmp", "CCCC");
  const std::size_t next = Insert(build::MakeBiff(items), {
                                                              TargetLine("WAV", 1, dir / "deleted.acm"),
                                                              TargetLine("WAV", 4, a),
                                                              TargetLine("WAV", 2, b),
                                                              TargetLine("WAV", 4, b),
                                                              TargetLine("OGG", 5, a),
                                                              TargetLine("IMAGE", 6, "Frames Data"),
                                                              "#Target BMP: " + c,
                                                              TargetLine("BMP", 7, c),
                                                              "#Source: next.bif",
                                                          });
  EXPECT_EQ(next, 9u);
  const auto entries = ReadRebuilt(test::ReadFileBytes(targetPath));
  for (std::uint32_t i = 0; i < 10; ++i) {
    const std::string expected = i == 4 ? "AAAA" : i == 7 ? "CCCC" : items[i].data;
    EXPECT_EQ(entries[i].data, expected) << i;
  }
  EXPECT_EQ(window.results,
            (std::vector<std::string>{"a.wav inserted.", "Sounds.bif entry 0x00000005: a.wav not inserted: unknown kind OGG.",
                                      "Sounds.bif entry 0x00000006: Frames Data not inserted: unsupported signature "
                                      "\"RIFFX???\"; the entry keeps its data.",
                                      "c.bmp inserted."}));
}

TEST_F(BiffInsertTest, IndexBeyondTheTableEndsTheSection) {
  const auto items = TenSounds();
  const std::string a = Edited("a.wav", "AAAA");
  EXPECT_EQ(Insert(build::MakeBiff(items), {TargetLine("WAV", 10, a), TargetLine("WAV", 2, a)}), 2u);
  const auto entries = ReadRebuilt(test::ReadFileBytes(targetPath));
  for (std::uint32_t i = 0; i < 10; ++i) EXPECT_EQ(entries[i].data, items[i].data) << i;
  EXPECT_TRUE(window.results.empty());
  EXPECT_EQ(Insert(build::MakeBiff(items), {"#Target WAV 0x1000000000000000002: " + a}), 2u);
}

TEST_F(BiffInsertTest, FontIsStoredAsCompressedBam) {
  std::string bam = "BAM V1  ";
  for (int i = 0; i < 3000; ++i) bam.push_back(static_cast<char>(i % 7));
  const std::string font = Edited("font.bam", bam);
  Insert(build::MakeBiff({{rtBam, "old"}, {rtSound, "x"}}), {TargetLine("FONT", 0, font)});
  const auto entries = ReadRebuilt(test::ReadFileBytes(targetPath));
  const std::string& item = entries[0].data;
  ASSERT_GT(item.size(), 12u);
  EXPECT_EQ(item.substr(0, 8), "BAMCV1  ");
  EXPECT_EQ(LoadU32(reinterpret_cast<const unsigned char*>(item.data()) + 8), bam.size());
  const auto plain = DecompressBuf(item.data() + 12, item.size() - 12);
  EXPECT_EQ(std::string(plain.begin(), plain.end()), bam);
  EXPECT_EQ(entries[1].data, "x");
}

// A plain BAM stored as it is, named unchanged by a FONT line, keeps its
// bytes: the archive comes back as an exact copy. A stored item that merely
// carries a compressed item's layout under another signature is not one.
TEST_F(BiffInsertTest, PlainBamUnderAFontLineIsKeptWhenUnchanged) {
  build::BamShape shape;
  shape.frames = {{6, 5}, {3, 4, false}};
  const std::string bam = build::MakeBam(shape);
  const std::string source = build::MakeBiff({{rtBam, bam}, {rtSound, "x"}});
  Insert(source, {TargetLine("FONT", 0, Edited("font.bam", bam))});
  EXPECT_TRUE(test::ReadFileBytes(targetPath) == source);

  std::string foreign = build::CompressItem("BAMCV1  ", bam);
  foreign.replace(0, 8, "XAMCV1  ");
  Insert(build::MakeBiff({{rtBam, foreign}, {rtSound, "x"}}), {TargetLine("FONT", 0, Edited("font.bam", bam))});
  EXPECT_EQ(ReadRebuilt(test::ReadFileBytes(targetPath))[0].data.substr(0, 8), "BAMCV1  ");
}

TEST_F(BiffInsertTest, CompressedSourceIsPassedOver) {
  const std::string a = Edited("a.wav", "AAAA");
  EXPECT_EQ(Insert(build::CompressBiff(build::MakeBiff(TenSounds())), {TargetLine("WAV", 1, a)}), 1u);
  EXPECT_EQ(window.results, (std::vector<std::string>{"Sounds.bif is a compressed archive; passed over."}));
  EXPECT_TRUE(test::ListDirectory(dir / "new").empty());
}

TEST_F(BiffInsertTest, UnsupportedOrDamagedArchivesAreRefusedBeforeWriting) {
  const std::string a = Edited("a.wav", "AAAA");
  const std::string good = build::MakeBiff(TenSounds());
  std::string dataOutside = good;
  build::SetU32(dataOutside, 20 + 16 * 9 + 8, 1000);  // the last entry's size
  const std::string tiled =
      build::MakeBiff(TenSounds(), {{2, 8, build::MakeTileData(2, 8, 1)}}, {.tablesAtEnd = false, .maxPadding = 0});
  std::string tilesOutside = tiled;
  build::SetU32(tilesOutside, 20 + 16 * 10 + 8, 1u << 20);  // the tile count
  for (const auto& [archive, fault] : std::vector<std::pair<std::string, std::string>>{
           {build::MakeBiff(TenSounds(), 1), "Invalid BIFF archive " + sourcePath + ": data of tile entry 0 beyond end of file"},
           {build::MakeBiff(TenSounds(), 1).substr(0, 20 + 16 * 10 + 19),
            "Invalid BIFF archive " + sourcePath + ": tile table beyond end of file"},
           {tilesOutside, "Invalid BIFF archive " + sourcePath + ": data of tile entry 0 beyond end of file"},
           {dataOutside, "Invalid BIFF archive " + sourcePath + ": data of entry 9 beyond end of file"},
           {good.substr(0, 100), "Invalid BIFF archive " + sourcePath + ": file table beyond end of file"},
       }) {
    try {
      Insert(archive, {TargetLine("WAV", 1, a)});
      ADD_FAILURE() << fault;
    } catch (const EFormatError& error) {
      EXPECT_EQ(std::string(error.what()), fault);
    }
    EXPECT_TRUE(test::ListDirectory(dir / "new").empty()) << fault;
    EXPECT_EQ(test::ReadFileBytes(sourcePath), archive);
  }
}

TEST_F(BiffInsertTest, RebuildOverTheSourceFailsAndLeavesItUntouched) {
  const std::string archive = build::MakeBiff(TenSounds());
  targetPath = sourcePath;
  try {
    Insert(archive, {TargetLine("WAV", 1, Edited("a.wav", "AAAA"))});
    FAIL() << "the source was overwritten";
  } catch (const EFCreateError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot write " + sourcePath + ": it is the file being read; choose another output folder.");
  }
  EXPECT_EQ(test::ReadFileBytes(sourcePath), archive);
  EXPECT_EQ(test::ListDirectory(dir.path()), (std::vector<std::string>{"Sounds.bif", "a.wav", "new"}));
}

TEST_F(BiffInsertTest, StopAbandonsTheNewArchive) {
  window.onPump = [this] {
    if (window.BarPosition(Bar::Progress) >= 30) run.StopMark = true;
  };
  Insert(build::MakeBiff(TenSounds()), {TargetLine("WAV", 8, Edited("a.wav", "AAAA"))});
  EXPECT_TRUE(window.results.empty());
  EXPECT_TRUE(test::ListDirectory(dir / "new").empty());
}

// Every truncation and many flipped bytes of a small archive: the rebuild
// either succeeds with a well-formed archive or fails with a message.
TEST_F(BiffInsertTest, DamagedArchivesNeverCrash) {
  const std::string a = Edited("a.wav", "AAAA");
  const std::string archive = build::MakeBiff({{rtSound, "one"}, {rtBitmap, "two!"}, {rtMovie, "3"}});
  auto attempt = [&](const std::string& bytes) {
    try {
      Insert(bytes, {TargetLine("WAV", 1, a)});
      ReadRebuilt(test::ReadFileBytes(targetPath));
    } catch (const Exception&) {
    }
    run.SourceArchive.reset();
  };
  for (std::size_t length = 0; length < archive.size(); ++length) attempt(archive.substr(0, length));
  for (std::size_t at = 0; at < archive.size(); ++at) {
    std::string flipped = archive;
    flipped[at] = static_cast<char>(flipped[at] ^ 0xA5);
    attempt(flipped);
  }
}

// 4,200 entries sharing one megabyte: rebuilt, each gets its own copy, which
// passes 4 GiB. That is known from the tables alone, before any write.
TEST_F(BiffInsertTest, ArchivePassing4GiBIsRefusedBeforeAnyWrite) {
  constexpr std::uint32_t kEntries = 4200;
  constexpr std::uint32_t kShared = 1 << 20;
  const std::uint32_t dataOffset = 20 + 16 * kEntries;
  std::string archive = "BIFFV1  ";
  build::PutU32(archive, kEntries);
  build::PutU32(archive, 0);
  build::PutU32(archive, 20);
  for (std::uint32_t i = 0; i < kEntries; ++i) {
    build::PutU32(archive, i);
    build::PutU32(archive, dataOffset);
    build::PutU32(archive, kShared);
    build::PutU16(archive, rtBitmap);
    build::PutU16(archive, 0);
  }
  archive += std::string(kShared, 'd');
  const std::string bmp = Edited("Sounds_0000.bmp", "edited");
  faults::FailWrite(0, 0);
  try {
    Insert(archive, {TargetLine("BMP", 0, bmp)});
    FAIL() << "an archive beyond 4 GiB was written";
  } catch (const EFormatError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot create file " + targetPath + ": the archive would exceed 4 GiB");
  }
  EXPECT_EQ(faults::Writes(), 0u);
  EXPECT_TRUE(test::ListDirectory(dir / "new").empty());
  EXPECT_TRUE(window.results.empty());
}

}  // namespace
}  // namespace trovex
