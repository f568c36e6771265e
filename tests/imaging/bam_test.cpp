#include <gtest/gtest.h>

#include "builders/Bytes.hpp"
#include "builders/ImageBuilder.hpp"
#include "framework/BitmapFile.hpp"
#include "framework/Paths.hpp"
#include "imaging/BamConvert.hpp"
#include "imaging/FrameBitmaps.hpp"
#include "support/ImageMagick.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

build::BamShape MixedShape() {
  build::BamShape shape;
  shape.runValue = 129;
  shape.seed = 5;
  shape.frames = {{20, 9, true}, {1, 1, true}, {0, 0, true}, {17, 30, false}, {20, 9, true, 0}, {40, 12, true}};
  return shape;
}

using test::FrameLines;

struct Extracted : test::ExtractedBam {
  build::BamShape shape;
  explicit Extracted(const build::BamShape& s) : ExtractedBam(build::MakeBam(s)), shape(s) {}
};

TEST(BamFrames, EachFrameBecomesAnEightBitBitmapWithEntryZeroBlack) {
  Extracted x(MixedShape());
  ASSERT_EQ(x.paths.size(), 6u);
  EXPECT_EQ(x.paths[3], x.dir / "AREA_0012_0003.bmp");
  const std::vector<std::uint32_t> colours = build::BamPaletteColors(x.shape.seed);
  for (std::size_t f = 0; f < x.paths.size(); ++f) {
    SCOPED_TRACE(f);
    const TBitmap bitmap = LoadBitmapFile(x.paths[f]);
    EXPECT_EQ(bitmap.Format(), PixelFormat::pf8bit);
    const std::string pixels = build::FramePixels(x.shape, x.shape.frames[f].sharesWith >= 0 ? 0 : f);
    EXPECT_EQ(bitmap.Pixels(), ToBytes(pixels));
    EXPECT_EQ(bitmap.Palette()[0], 0u);
    EXPECT_EQ(bitmap.Palette()[7], MakeColor(colours[7] >> 16, colours[7] >> 8, colours[7]));
  }
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  EXPECT_EQ(test::Identify(x.paths[0]), "20 9 PseudoClass sRGB ");
  EXPECT_EQ(test::Identify(x.paths[1]), "1 1 PseudoClass sRGB ");
}

TEST(BamFrames, UntouchedBitmapsGiveTheBamBackByteForByte) {
  for (int layout = 0; layout < 3; ++layout) {
    SCOPED_TRACE(layout);
    build::BamShape shape = MixedShape();
    shape.dataInReverse = layout == 1;
    shape.runValue = layout == 2 ? 0 : 129;
    Extracted x(shape);
    EXPECT_EQ(x.Rebuilt(), x.bam);
    // Without any bitmap too.
    for (const auto& path : x.paths) DeleteFile(path);
    EXPECT_EQ(x.Rebuilt(), x.bam);
  }
  build::BamShape empty;
  Extracted none(empty);
  EXPECT_TRUE(none.paths.empty());
  Bytes copy = none.bam;
  EXPECT_EQ(BitmapsToBamFrames(copy, FrameLines({"unused"}), 0), 0u);
  EXPECT_EQ(copy, none.bam);
}

BamLayout Layout(const Bytes& bam) { return ReadBamLayout(bam.data(), bam.size()); }

Bytes StoredBytes(const Bytes& bam, std::size_t frame) {
  const BamLayout layout = Layout(bam);
  const DecodedFrame decoded = DecodeBamFrame(bam.data(), bam.size(), layout, layout.frames[frame]);
  const auto start = bam.begin() + layout.frames[frame].dataOffset;
  return Bytes(start, start + static_cast<std::ptrdiff_t>(decoded.storedBytes));
}

TEST(BamFrames, AnEditedFrameAloneChangesAndIsStoredUncompressed) {
  build::BamShape shape = MixedShape();
  shape.dataInReverse = true;
  Extracted x(shape);
  TBitmap edited = LoadBitmapFile(x.paths[5]);
  edited.Row(3)[4] = 200;
  SaveBitmapFile(edited, x.paths[5]);
  const Bytes rebuilt = x.Rebuilt();
  const BamLayout before = Layout(x.bam);
  const BamLayout after = Layout(rebuilt);
  for (std::size_t f = 0; f < 5; ++f) {
    SCOPED_TRACE(f);
    EXPECT_EQ(after.frames[f].uncompressed, before.frames[f].uncompressed);
    EXPECT_EQ(StoredBytes(rebuilt, f), StoredBytes(x.bam, f));
  }
  EXPECT_EQ(after.frames[4].dataOffset, after.frames[0].dataOffset);  // still shared
  EXPECT_TRUE(after.frames[5].uncompressed);
  EXPECT_EQ(DecodeBamFrame(rebuilt.data(), rebuilt.size(), after, after.frames[5]).pixels, edited.Pixels());
  // Header, tables and palette are as they were.
  EXPECT_TRUE(std::equal(x.bam.begin() + 24 + 12 * 6, x.bam.begin() + after.frames[0].dataOffset,
                         rebuilt.begin() + 24 + 12 * 6));
}

TEST(BamFrames, ResizedAndTrueColourBitmapsReplaceTheirFrames) {
  Extracted x(MixedShape());
  const TBitmap frame0 = LoadBitmapFile(x.paths[0]);
  TBitmap bigger(PixelFormat::pf8bit, 3, 2);
  bigger.Palette() = frame0.Palette();
  bigger.Pixels() = {1, 2, 3, 4, 5, 6};
  SaveBitmapFile(bigger, x.paths[1]);
  // A true-colour edit of frame 0: its colours map to the nearest frame colours.
  TBitmap rgb(PixelFormat::pf24bit, frame0.Width(), frame0.Height());
  for (std::uint32_t y = 0; y < rgb.Height(); ++y) {
    for (std::uint32_t x0 = 0; x0 < rgb.Width(); ++x0) rgb.SetColor(x0, y, frame0.Pixel(x0, y) ^ 0x010001);
  }
  rgb.SetColor(0, 0, 0x000000);  // black: entry 0
  SaveBitmapFile(rgb, x.paths[0]);
  const Bytes rebuilt = x.Rebuilt();
  const BamLayout after = Layout(rebuilt);
  EXPECT_EQ(after.frames[1].width, 3);
  EXPECT_EQ(after.frames[1].height, 2);
  EXPECT_EQ(DecodeBamFrame(rebuilt.data(), rebuilt.size(), after, after.frames[1]).pixels, bigger.Pixels());
  Bytes expected = frame0.Pixels();
  expected[0] = 0;
  EXPECT_EQ(DecodeBamFrame(rebuilt.data(), rebuilt.size(), after, after.frames[0]).pixels, expected);
  // Frame 4 shared frame 0's data, which frame 0 no longer has: it keeps its own.
  EXPECT_EQ(StoredBytes(rebuilt, 4), StoredBytes(x.bam, 4));
}

TEST(BamFrames, DamagedImagesAreRefusedWithoutReadingOutside) {
  const Bytes bam = ToBytes(build::MakeBam(MixedShape()));
  auto refused = [](Bytes b) {
    try {
      ReadBamLayout(b.data(), b.size());
      return false;
    } catch (const EFormatError&) {
      return true;
    }
  };
  Bytes b = bam;
  StoreU32(&b.at(24 + 8), 0x7FFFFFF0);  // frame 0 data beyond the end
  EXPECT_TRUE(refused(b));
  b = bam;
  StoreU16(&b.at(8), 60000);  // more frames than the table can hold
  EXPECT_TRUE(refused(b));
  b = bam;
  StoreU16(&b.at(24 + 12 * 3), 65535);  // an uncompressed frame too big for its data
  StoreU16(&b.at(24 + 12 * 3 + 2), 65535);
  EXPECT_TRUE(refused(b));
  b = bam;
  StoreU32(&b.at(16), static_cast<std::uint32_t>(b.size() - 100));  // palette past the end
  StoreU32(&b.at(20), 0);
  EXPECT_TRUE(refused(b));
  EXPECT_TRUE(refused(Bytes(bam.begin(), bam.begin() + 23)));
  // Flipped bytes and truncations give a valid layout or the error; a valid
  // layout decodes every frame without reading outside the image.
  build::Random random(3);
  for (int round = 0; round < 4000; ++round) {
    Bytes damaged(bam.begin(),
                  bam.begin() + static_cast<std::ptrdiff_t>(random.Below(static_cast<std::uint32_t>(bam.size()) + 1)));
    for (int k = 0; k < 2 && damaged.size() > 0; ++k) {
      damaged[random.Below(std::min<std::uint32_t>(120, static_cast<std::uint32_t>(damaged.size())))] =
          static_cast<unsigned char>(random.Next());
    }
    try {
      const BamLayout layout = ReadBamLayout(damaged.data(), damaged.size());
      for (const auto& frame : layout.frames) DecodeBamFrame(damaged.data(), damaged.size(), layout, frame);
    } catch (const EFormatError&) {
    }
  }
}

}  // namespace
}  // namespace trovex
