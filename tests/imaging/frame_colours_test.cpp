// Frame bitmaps as editors save them: other depths, colour tables of their
// own, palettes that repeat colours; and BAMs whose tables lie behind their
// frame data or whose empty frames point into the header.
#include <gtest/gtest.h>

#include "builders/Bytes.hpp"
#include "builders/ImageBuilder.hpp"
#include "framework/BitmapFile.hpp"
#include "imaging/BamConvert.hpp"
#include "imaging/FrameBitmaps.hpp"
#include "support/ImageMagick.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using Bytes = std::vector<unsigned char>;
using Colours = std::vector<std::uint32_t>;

build::BamShape Shape() {
  build::BamShape shape;
  shape.runValue = 129;
  shape.seed = 8;
  shape.frames = {{20, 9, true},    {1, 1, true},   {0, 0, true},   {17, 30, false},
                  {20, 9, true, 0}, {40, 12, true}, {64, 40, false}};
  return shape;
}

// Random colours, with black at 1, 17, 33 and so on as well as at 0 (a
// shadow): the nearest colour of a black pixel is 0, transparent.
Colours ShadowPalette() {
  Colours colours = build::BamPaletteColors(8);
  for (std::size_t i = 1; i < 256; i += 16) colours[i] = 0x000000;
  return colours;
}

// Every entry repeats one of `distinct` colours, the first of them black.
Colours RepeatingPalette(std::uint32_t distinct) {
  Colours colours(256);
  for (std::uint32_t i = 0; i < 256; ++i) colours[i] = i % distinct == 1 ? 0 : (i % distinct) * 0x3F2A17 % 0xFFFFFF;
  if (distinct == 2) {
    for (std::uint32_t i = 0; i < 256; ++i) colours[i] = i % 2 ? 0x000000 : 0xFFFFFF;
  }
  return colours;
}

using test::FrameLines;
using Extracted = test::ExtractedBam;

BamLayout Layout(const Bytes& bam) { return ReadBamLayout(bam.data(), bam.size()); }
Bytes Pixels(const Bytes& bam, std::size_t frame) {
  const BamLayout layout = Layout(bam);
  return DecodeBamFrame(bam.data(), bam.size(), layout, layout.frames[frame]).pixels;
}

// Each frame bitmap re-saved by ImageMagick at the depth that its colours
// allow, or at 24 bits, with a colour table of its own: nothing was edited,
// so the BAM comes back byte for byte, the index 1 shadows included.
TEST(FrameColours, BitmapsResavedByAnEditorKeepEveryIndex) {
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  struct Case {
    const char* name;
    Colours palette;
    std::vector<std::string> options;
    unsigned bits;
  };
  const Case cases[] = {{"1-bit", RepeatingPalette(2), {"-colors", "2"}, 1},
                        {"4-bit", RepeatingPalette(12), {"-colors", "16"}, 4},
                        {"8-bit, another table", ShadowPalette(), {"-colors", "255"}, 8},
                        {"24-bit", ShadowPalette(), {"-type", "TrueColor"}, 24}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Extracted x(build::MakeBamWithPalette(Shape(), c.palette));
    const TColorTable extracted = LoadBitmapFile(x.paths[0]).Palette();
    for (std::size_t f = 0; f < x.paths.size(); ++f) {
      if (f == 2) continue;  // no pixels
      std::vector<std::string> args = {x.paths[f], "+dither"};
      args.insert(args.end(), c.options.begin(), c.options.end());
      args.push_back("BMP3:" + x.paths[f]);
      ASSERT_TRUE(test::Convert(args));
    }
    // Frames of few colours may go to a lower depth; the largest takes c.bits.
    const TBitmap resaved = LoadBitmapFile(x.paths[6]);
    ASSERT_EQ(resaved.FileBitsPerPixel(), c.bits);
    ASSERT_NE(resaved.Palette(), extracted);
    EXPECT_EQ(x.Rebuilt(), x.bam);
  }
}

// Pixels painted in another colour take the nearest frame colour, pixels
// beyond the old frame too; the others keep their index even where it
// repeats the colour of a lower one. An 8-bit bitmap with the table that
// extraction wrote gives its indices as they stand.
TEST(FrameColours, EditedPixelsTakeTheNearestColourTheRestKeepTheirIndex) {
  Extracted x(build::MakeBamWithPalette(Shape(), ShadowPalette()));
  const Bytes frame0 = Pixels(x.bam, 0);
  const TColorTable palette = LoadBitmapFile(x.paths[0]).Palette();
  ASSERT_NE(std::count_if(frame0.begin(), frame0.end(), [&](unsigned char i) { return i != 0 && palette[i] == 0; }), 0);
  const TColor red = MakeColor(255, 0, 0);
  // Frame 0, 20 × 9, edited at 24 bits, one column wider, with a red pixel.
  TBitmap wider(PixelFormat::pf24bit, 21, 9);
  for (std::uint32_t y = 0; y < 9; ++y) {
    for (std::uint32_t px = 0; px < 20; ++px) wider.SetColor(px, y, palette[frame0[y * 20 + px]]);
  }
  wider.SetColor(4, 3, red);
  SaveBitmapFile(wider, x.paths[0]);
  // Frame 3 at 8 bits with the extracted table: index 1 painted is kept.
  TBitmap frame3 = LoadBitmapFile(x.paths[3]);
  frame3.Row(2)[5] = 1;
  SaveBitmapFile(frame3, x.paths[3]);

  const Bytes rebuilt = x.Rebuilt();
  Bytes expected(21 * 9, 0);  // the new column is black: index 0
  for (std::uint32_t y = 0; y < 9; ++y) std::copy_n(frame0.begin() + y * 20, 20, expected.begin() + y * 21);
  expected[3 * 21 + 4] = static_cast<unsigned char>(NearestColorIndex(palette, red));
  EXPECT_EQ(Pixels(rebuilt, 0), expected);
  EXPECT_EQ(Pixels(rebuilt, 3), frame3.Pixels());
  EXPECT_EQ(Pixels(rebuilt, 5), Pixels(x.bam, 5));
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  // The same through ImageMagick, painting at 4 bits per pixel.
  Extracted y(build::MakeBamWithPalette(Shape(), RepeatingPalette(12)));
  const TColorTable colours = LoadBitmapFile(y.paths[5]).Palette();
  ASSERT_TRUE(test::Convert({y.paths[5], "-fill", "#FF0000", "-draw", "point 7,2", "+dither", "-colors", "16", "-type",
                             "Palette", "BMP3:" + y.paths[5]}));
  ASSERT_EQ(LoadBitmapFile(y.paths[5]).FileBitsPerPixel(), 4u);
  Bytes painted = Pixels(y.bam, 5);
  painted[2 * 40 + 7] = static_cast<unsigned char>(NearestColorIndex(colours, red));
  const Bytes rebuiltY = y.Rebuilt();
  EXPECT_EQ(Pixels(rebuiltY, 5), painted);
  for (std::size_t f : {0u, 1u, 3u, 4u, 6u}) EXPECT_EQ(Pixels(rebuiltY, f), Pixels(y.bam, f)) << f;
}

// The stored lookup table: as many 2-byte entries as the one cycle names.
Bytes LookupTable(const Bytes& bam) {
  const BamLayout layout = Layout(bam);
  const std::size_t entries = LoadU16(bam.data() + 24 + 12 * layout.frameCount);
  return Bytes(bam.begin() + layout.lookupOffset, bam.begin() + layout.lookupOffset + 2 * entries);
}

TEST(FrameColours, TablesBehindTheFrameDataMoveBehindTheRebuiltData) {
  const std::string plain = build::MakeBam(Shape());
  for (int moved = 1; moved <= 3; ++moved) {
    SCOPED_TRACE(moved);
    Extracted x(build::MoveBamTablesBehindData(plain, moved & 1, moved & 2));
    const BamLayout before = Layout(x.bam);
    ASSERT_GT(moved & 1 ? before.paletteOffset : before.lookupOffset, before.frames[0].dataOffset);
    EXPECT_EQ(x.Rebuilt(), x.bam);
    TBitmap frame = LoadBitmapFile(x.paths[5]);
    frame.Row(1)[2] = 77;
    SaveBitmapFile(frame, x.paths[5]);
    const Bytes rebuilt = x.Rebuilt();
    const BamLayout after = Layout(rebuilt);
    EXPECT_EQ(after.palette, before.palette);
    EXPECT_EQ(LookupTable(rebuilt), LookupTable(x.bam));
    for (std::size_t f : {0u, 1u, 3u, 4u, 6u}) EXPECT_EQ(Pixels(rebuilt, f), Pixels(x.bam, f)) << f;
    EXPECT_EQ(Pixels(rebuilt, 5), frame.Pixels());
    // Frame 6, stored uncompressed, ends the rebuilt frame data.
    const std::uint32_t dataEnd = (after.frames[6].dataOffset & ~kUncompressedFlag) + 64 * 40;
    EXPECT_EQ(after.paletteOffset >= dataEnd, (moved & 1) != 0);
    EXPECT_EQ(after.lookupOffset >= dataEnd, (moved & 2) != 0);
    EXPECT_TRUE(std::equal(x.bam.begin(), x.bam.begin() + 16, rebuilt.begin()));
  }
}

// Where frame data begin is decided by the frames that have pixels; an empty
// frame pointing into the header keeps its entry.
TEST(FrameColours, AnEmptyFramePointingIntoTheHeaderDoesNotBlockEdits) {
  Extracted x(build::PointEmptyFramesAt(build::MakeBam(Shape()), 8));
  TBitmap frame = LoadBitmapFile(x.paths[3]);
  frame.Row(0)[0] ^= 0x40;
  SaveBitmapFile(frame, x.paths[3]);
  const Bytes rebuilt = x.Rebuilt();
  EXPECT_EQ(Pixels(rebuilt, 3), frame.Pixels());
  for (std::size_t f : {0u, 1u, 4u, 5u, 6u}) EXPECT_EQ(Pixels(rebuilt, f), Pixels(x.bam, f)) << f;
  EXPECT_TRUE(std::equal(x.bam.begin() + 24 + 12 * 2, x.bam.begin() + 24 + 12 * 3, rebuilt.begin() + 24 + 12 * 2));
}

// Edits that would change what nobody edited are refused, the BAM unchanged:
// a kept frame whose zero runs are cut short by the end of the file (moved,
// it would read what follows it), and a palette that shares the bytes of
// the frame table (rewriting the table would recolour every frame).
TEST(FrameColours, EditsThatWouldChangeKeptFramesOrColoursAreRefused) {
  build::BamShape shape;
  shape.frames = {{64, 40, true}, {40, 12, true}};
  shape.dataInReverse = true;  // frame 0's data end the file
  const std::string whole = build::MakeBam(shape);
  std::string shared = whole;
  build::SetU32(shared, 16, 24);  // the palette starts at the frame table
  const std::pair<std::string, std::string> cases[] = {
      {whole.substr(0, whole.size() - 3),
       "frame 0: its data are cut short by the end of the file; frames not replaced"},
      {shared, "its frame table overlaps its palette or lookup table; frames not replaced"}};
  for (const auto& [bam, message] : cases) {
    Extracted x(bam);
    TBitmap frame = LoadBitmapFile(x.paths[1]);
    frame.Row(0)[0] ^= 0x40;
    SaveBitmapFile(frame, x.paths[1]);
    Bytes copy = x.bam;
    try {
      BitmapsToBamFrames(copy, FrameLines(x.paths), 0);
      ADD_FAILURE() << "not refused: " << message;
    } catch (const EFormatError& error) {
      EXPECT_EQ(error.what(), message);
    }
    EXPECT_EQ(copy, x.bam);
  }
}

}  // namespace
}  // namespace trovex
