#include <gtest/gtest.h>

#include "archive/BiffExtract.hpp"
#include "archive/BiffFormat.hpp"
#include "archive/BiffInsert.hpp"
#include "builders/BiffBuilder.hpp"
#include "builders/ImageBuilder.hpp"
#include "compress/Zlib.hpp"
#include "framework/BitmapFile.hpp"
#include "framework/MemoryStream.hpp"
#include "framework/Paths.hpp"
#include "imaging/BamConvert.hpp"
#include "imaging/MosConvert.hpp"
#include "support/FakeWindow.hpp"
#include "support/ImageMagick.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

build::BamShape Shape(unsigned char runValue, std::uint32_t seed) {
  build::BamShape shape;
  shape.runValue = runValue;
  shape.seed = seed;
  shape.frames = {{30, 20, true}, {1, 1, true}, {0, 0, true}, {12, 9, false}, {30, 20, true, 0}};
  return shape;
}

// Entry 0: a compressed BAM with run value 129; 1: a plain BAM; 2: a
// compressed MOS; 3: a plain MOS; 4: a version 2 BAM; 5: a sound.
struct ImageArchive {
  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};
  std::string bam0 = build::MakeBam(Shape(129, 3));
  std::string bam1 = build::MakeBam(Shape(0, 4));
  std::string mos2 = build::MakeMos(100, 70, 64, 5);
  std::string mos3 = build::MakeMos(130, 65, 64, 6);
  std::vector<build::BiffItem> items = {{1000, build::CompressItem("BAMCV1  ", bam0)}, {1000, bam1},
                                        {1004, build::CompressItem("MOSCV1  ", mos2)}, {1004, mos3},
                                        {1000, "BAM V2  " + std::string(40, '\0')},    {4, build::MakeWavc(300, 7)}};
  std::string source = dir / "AREA.bif";

  ImageArchive() {
    test::WriteFileBytes(source, build::MakeBiff(items));
    run.OutputDir = dir / "out";
    ForceDirectories(run.OutputDir);
    ExtractBiff(run, source);
  }
  std::string Out(const std::string& name) const { return JoinPath(run.OutputDir, test::NativePath(name)); }
  // Replays the extraction's job log into a new archive and returns its bytes.
  std::string Replay() {
    window.results.clear();
    run.OutputClaims.Clear();  // each replay is a run of its own
    run.ReplayLines.Clear();
    for (std::size_t i = 0; i < run.JobLog.Count(); ++i) run.ReplayLines.Add(run.JobLog.Get(i));
    run.SourcePath = source;
    run.SourceArchive = std::make_unique<TFileStream>(source, FileMode::OpenReadWrite);
    ForceDirectories(dir / "new");
    run.OutputDir = dir / "new";
    EXPECT_EQ(InsertBiff(run, dir / "new/AREA.bif", 0), run.ReplayLines.Count());
    run.SourceArchive.reset();
    run.OutputDir = dir / "out";
    return test::ReadFileBytes(dir / "new/AREA.bif");
  }
};

// Entry i's stored bytes.
std::string EntryData(const std::string& archive, std::uint32_t i) {
  TMemoryStream stream(ToBytes(archive));
  const BiffHeader header = ReadCheckedBiffHeader(stream, "archive");
  const BiffFileEntry entry = ReadBiffFileTable(stream, header)[i];
  return archive.substr(entry.dataOffset, entry.dataSize);
}

Bytes Inflate(const std::string& item) { return DecompressBuf(item.data() + 12, item.size() - 12); }

TEST(BiffImages, ExtractionWritesFrameAndTileBitmapsAndLogsThem) {
  ImageArchive x;
  const TStringList& log = x.run.JobLog;
  ASSERT_EQ(log.Count(), 1 + 5 + 1 + 5 + 1 + 1 + 1u);
  EXPECT_EQ(log.Get(0), "#Target IMAGE 0x00000000: Frames Data");
  EXPECT_EQ(log.Get(1), "#Target BMP: " + x.Out("Images/AREA_0000_0000.bmp"));
  EXPECT_EQ(log.Get(6), "#Target IMAGE 0x00000001: Frames Data");
  EXPECT_EQ(log.Get(12), "#Target MOS 0x00000002: " + x.Out("Images/AREA_0002.bmp"));
  EXPECT_EQ(log.Get(13), "#Target MOS 0x00000003: " + x.Out("Images/AREA_0003.bmp"));
  EXPECT_EQ(x.window.results[4], "AREA.bif entry 0x00000004: Item 5 skipped: unsupported signature \"BAM V2  \".");
  EXPECT_EQ(x.window.results[5], "Item 6 extracted sucessfully.");

  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  // ImageMagick sees the frame's palette colours and the MOS's tile colours.
  const std::vector<std::uint32_t> colours = build::BamPaletteColors(3);
  const std::string frame = build::FramePixels(Shape(129, 3), 0);
  const std::string rgb =
      test::RunProcess({"/usr/bin/env", "convert", x.Out("Images/AREA_0000_0000.bmp"), "-depth", "8", "rgb:-"}).out;
  ASSERT_EQ(rgb.size(), frame.size() * 3);
  for (std::size_t i = 0; i < frame.size(); ++i) {
    const auto index = static_cast<unsigned char>(frame[i]);
    const std::uint32_t c = index == 0 ? 0 : colours[index];
    ASSERT_EQ(static_cast<unsigned char>(rgb[3 * i]), (c >> 16) & 0xFF) << i;
    ASSERT_EQ(static_cast<unsigned char>(rgb[3 * i + 2]), c & 0xFF) << i;
  }
  EXPECT_EQ(test::Identify(x.Out("Images/AREA_0003.bmp")), "130 65 DirectClass sRGB ");
  const TBitmap mos = MosToBitmap(ToBytes(x.mos3));
  const std::string tiles =
      test::RunProcess({"/usr/bin/env", "convert", x.Out("Images/AREA_0003.bmp"), "-depth", "8", "rgb:-"}).out;
  ASSERT_EQ(tiles.size(), 130u * 65 * 3);
  for (std::uint32_t y = 0; y < 65; ++y) {
    for (std::uint32_t px = 0; px < 130; ++px) {
      const std::size_t at = (std::size_t{y} * 130 + px) * 3;
      const TColor c = MakeColor(static_cast<unsigned char>(tiles[at]), static_cast<unsigned char>(tiles[at + 1]),
                                 static_cast<unsigned char>(tiles[at + 2]));
      ASSERT_EQ(c, mos.Pixel(px, y)) << px << "," << y;
    }
  }
}

TEST(BiffImages, AnUneditedExtractionReplaysToTheSameArchive) {
  ImageArchive x;
  EXPECT_EQ(x.Replay(), test::ReadFileBytes(x.source));
}

TEST(BiffImages, AnEditedFrameChangesThatFrameAlone) {
  ImageArchive x;
  TBitmap frame = LoadBitmapFile(x.Out("Images/AREA_0000_0003.bmp"));
  frame.Row(4)[5] ^= 0x55;
  SaveBitmapFile(frame, x.Out("Images/AREA_0000_0003.bmp"));
  const std::string rebuilt = x.Replay();
  const std::string item = EntryData(rebuilt, 0);
  ASSERT_EQ(item.substr(0, 8), "BAMCV1  ");  // stored compressed, as it was
  const Bytes before = ToBytes(x.bam0);
  const Bytes after = Inflate(item);
  const BamLayout was = ReadBamLayout(before.data(), before.size());
  const BamLayout is = ReadBamLayout(after.data(), after.size());
  for (std::size_t f = 0; f < 5; ++f) {
    const Bytes old = DecodeBamFrame(before.data(), before.size(), was, was.frames[f]).pixels;
    const Bytes now = DecodeBamFrame(after.data(), after.size(), is, is.frames[f]).pixels;
    EXPECT_EQ(now, f == 3 ? frame.Pixels() : old) << f;
  }
  for (std::uint32_t i = 1; i < 6; ++i) EXPECT_EQ(EntryData(rebuilt, i), x.items[i].data) << i;
  EXPECT_EQ(x.window.results[0], "Frames Data inserted.");
}

// A compressed BAM as games have them: its palette repeats black (a shadow
// at 1 beside transparent 0), its palette and lookup table lie behind the
// frame data, and its empty frame points into the header. An unedited replay
// keeps the archive; a frame that an editor re-saved at 24 bits with one
// pixel painted changes that pixel alone.
TEST(BiffImages, AFrameResavedByAnEditorChangesItsPaintedPixelAlone) {
  std::vector<std::uint32_t> palette = build::BamPaletteColors(9);
  for (std::size_t i = 1; i < 256; i += 8) palette[i] = 0;
  const std::string bam = build::MoveBamTablesBehindData(
      build::PointEmptyFramesAt(build::MakeBamWithPalette(Shape(129, 9), palette), 0), true, true);
  ImageArchive x;
  x.items[0].data = build::CompressItem("BAMCV1  ", bam);
  test::WriteFileBytes(x.source, build::MakeBiff(x.items));
  x.run.JobLog.Clear();
  x.run.OutputClaims.Clear();  // a second extraction run
  ExtractBiff(x.run, x.source);
  EXPECT_EQ(x.Replay(), test::ReadFileBytes(x.source));

  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  const std::string path = x.Out("Images/AREA_0000_0000.bmp");
  ASSERT_TRUE(test::Convert({path, "-fill", "#FFFFFF", "-draw", "point 6,3", "-type", "TrueColor", "BMP3:" + path}));
  const Bytes before = ToBytes(bam);
  const Bytes after = Inflate(EntryData(x.Replay(), 0));
  const BamLayout was = ReadBamLayout(before.data(), before.size());
  const BamLayout is = ReadBamLayout(after.data(), after.size());
  EXPECT_EQ(is.palette, was.palette);
  for (std::size_t f = 0; f < 5; ++f) {
    Bytes expected = DecodeBamFrame(before.data(), before.size(), was, was.frames[f]).pixels;
    if (f == 0) expected[3 * 30 + 6] = static_cast<unsigned char>(NearestColorIndex(FramePalette(was), 0xFFFFFF));
    EXPECT_EQ(DecodeBamFrame(after.data(), after.size(), is, is.frames[f]).pixels, expected) << f;
  }
}

TEST(BiffImages, APaintedRectangleOnAMosChangesThosePixelsAlone) {
  ImageArchive x;
  const std::string path = x.Out("Images/AREA_0003.bmp");
  TBitmap bitmap = LoadBitmapFile(path);
  const TBitmap original = bitmap;
  for (std::uint32_t y = 60; y < 65; ++y) {
    for (std::uint32_t px = 120; px < 130; ++px) bitmap.SetColor(px, y, 0x00FFFF);
  }
  SaveBitmapFile(bitmap, path);
  const std::string rebuilt = x.Replay();
  const std::string item = EntryData(rebuilt, 3);
  ASSERT_EQ(item.size(), x.mos3.size());
  ASSERT_EQ(item.substr(0, 8), "MOS V1  ");  // stored plain, as it was
  const TBitmap after = MosToBitmap(ToBytes(item));
  for (std::uint32_t y = 0; y < 65; ++y) {
    for (std::uint32_t px = 0; px < 130; ++px) {
      if (y >= 60 && px >= 120) continue;
      ASSERT_EQ(after.Pixel(px, y), original.Pixel(px, y)) << px << "," << y;
    }
  }
  EXPECT_NE(after.Pixel(125, 62), original.Pixel(125, 62));
  for (std::uint32_t i : {0u, 1u, 2u, 4u, 5u}) EXPECT_EQ(EntryData(rebuilt, i), x.items[i].data) << i;
}

TEST(BiffImages, AMosBitmapOfAnotherSizeLeavesTheEntryAsItWas) {
  ImageArchive x;
  SaveBitmapFile(TBitmap(PixelFormat::pf24bit, 100, 71), x.Out("Images/AREA_0002.bmp"));
  const std::string rebuilt = x.Replay();
  EXPECT_EQ(rebuilt, test::ReadFileBytes(x.source));
  const auto& results = x.window.results;
  EXPECT_NE(std::find(results.begin(), results.end(),
                      "AREA.bif entry 0x00000002: AREA_0002.bmp not inserted: the bitmap is 100x71 pixels, the image "
                      "100x70; the entry keeps its data."),
            results.end());
}

}  // namespace
}  // namespace trovex
