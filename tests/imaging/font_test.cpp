#include "imaging/Font.hpp"

#include <gtest/gtest.h>

#include "builders/Bytes.hpp"
#include "builders/FontBuilder.hpp"
#include "builders/ImageBuilder.hpp"
#include "framework/BitmapFile.hpp"
#include "framework/Paths.hpp"
#include "imaging/GlyphSheet.hpp"
#include "support/FakeWindow.hpp"
#include "support/ImageMagick.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

using Bytes = std::vector<unsigned char>;

struct FontRun {
  test::TempDir dir;
  test::FakeWindow window;
  RunState run{window};
  std::string font = dir / "FONT.fon";
  std::string sheet = dir / "sheet.bmp";
  explicit FontRun(const std::string& bytes) {
    test::WriteFileBytes(font, bytes);
    run.OutputDir = dir / "out";
    ForceDirectories(run.OutputDir);
  }
  Bytes FontBytes() const {
    const std::string s = test::ReadFileBytes(font);
    return Bytes(s.begin(), s.end());
  }
  // Replays "#Target: " + sheet against the font as replay would.
  std::size_t Insert(const TBitmap& bitmap) {
    SaveBitmapFile(bitmap, sheet);
    return InsertWith("#Target: " + sheet);
  }
  std::size_t InsertWith(const std::string& line) {
    run.ReplayLines.Clear();
    run.ReplayLines.Add(line);
    run.SourcePath = font;
    run.SourceArchive = std::make_unique<TFileStream>(font, FileMode::OpenReadWrite);
    const std::size_t next = InsertFont(run, run.OutputPath("FONT.fon"), 0);
    run.SourceArchive.reset();
    return next;
  }
  std::uint16_t Lookup(std::size_t entry) const {
    const Bytes b = FontBytes();
    return LoadU16(b.data() + LoadU32(b.data() + 20) + 2 * entry);
  }
};

std::string TwoFrameFont() {
  build::BamShape shape;
  shape.lookupEntries = 256;
  shape.frames = {{5, 7, true, -1, 3, 10}, {9, 12, false, -1, 4, 11}};
  return build::MakeBam(shape);
}

TEST(FontSheet, GeometryMarkersAndBaselines) {
  const std::string bytes = TwoFrameFont();
  const Bytes font(bytes.begin(), bytes.end());
  const BamLayout layout = ReadBamLayout(font.data(), font.size());
  const TBitmap sheet = DrawGlyphSheet(font, layout);
  ASSERT_EQ(sheet.Width(), 39u);
  ASSERT_EQ(sheet.Height(), 26u);
  const unsigned white = NearestColorIndex(layout.palette, 0xFFFFFF);
  const unsigned grey = NearestColorIndex(layout.palette, MakeColor(128, 128, 128));
  const unsigned black = NearestColorIndex(layout.palette, 0);
  // Frame 0 sits from row v = (13 - 1 - 7) / 2 = 2; its baseline is row 2 + 10.
  const DecodedFrame frame0 = DecodeBamFrame(font.data(), font.size(), layout, layout.frames[0]);
  for (std::uint32_t r = 0; r < 7; ++r) {
    if (r + 2 == 12) continue;
    EXPECT_TRUE(std::equal(frame0.pixels.begin() + 5 * r, frame0.pixels.begin() + 5 * r + 5, sheet.Row(2 + r) + 1));
  }
  for (std::uint32_t x = 0; x < 39; ++x) EXPECT_EQ(sheet.Row(12)[x], grey);
  EXPECT_EQ(sheet.Row(0)[0], white);
  EXPECT_EQ(sheet.Row(11)[0], white);
  EXPECT_EQ(sheet.Row(13)[0], white);  // band 0's separator row holds its baseline
  EXPECT_EQ(sheet.Row(0)[38], black);
  // Frame 1: v = 0, baseline in row 13 + 11.
  EXPECT_EQ(sheet.Row(24)[0], grey);
  EXPECT_EQ(sheet.Row(25)[0], black);
}

TEST(FontExtract, WritesTheSheetLogsItAndShowsProgress) {
  FontRun x(build::MakeFont(1, 3));
  ExtractFont(x.run, x.font);
  const std::string out = x.run.OutputPath("FONT.bmp");
  EXPECT_EQ(x.run.JobLog.Get(0), "#Target: " + out);
  EXPECT_EQ(x.window.results, std::vector<std::string>{"FONT.fon processed."});
  EXPECT_EQ(x.window.positions[Bar::Progress], 100);
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  EXPECT_EQ(test::Identify(out).substr(test::Identify(out).find(' ') + 1),
            std::to_string(LoadBitmapFile(out).Height()) + " PseudoClass sRGB ");
}

TEST(FontInsert, A191FrameFontGetsGlyphsAsFrames191To254) {
  FontRun x(build::MakeFont(191, 8));
  const Bytes before = x.FontBytes();
  const TBitmap sheet = test::GlyphSheet(64);
  EXPECT_EQ(x.Insert(sheet), 1u);
  const Bytes after = x.FontBytes();
  const BamLayout layout = ReadBamLayout(after.data(), after.size());
  ASSERT_EQ(layout.frameCount, 255);
  for (std::size_t e = 192; e < 256; ++e) EXPECT_EQ(x.Lookup(e), e - 1);
  // Everything behind the old frame table moved 768 bytes on; only lookup
  // entries 192 to 255 changed there.
  const std::size_t lookup = LoadU32(before.data() + 20);
  EXPECT_EQ(LoadU32(after.data() + 20), lookup + 768);
  EXPECT_TRUE(std::equal(before.begin() + 24 + 12 * 191, before.begin() + lookup + 384, after.begin() + 24 + 12 * 255));
  EXPECT_TRUE(std::equal(before.begin() + lookup + 512, before.end(), after.begin() + lookup + 512 + 768));
  for (std::size_t k = 0; k < 64; ++k) {
    const BamFrame& frame = layout.frames[191 + k];
    ASSERT_TRUE(frame.uncompressed);
    ASSERT_EQ(frame.width, k % 9 + 2);  // the glyph and one column to its right
    ASSERT_EQ(frame.height, k % 7 + 1);
    ASSERT_EQ(frame.centreX, (frame.width + 1) / 2 * 2);
    ASSERT_EQ(frame.centreY, 8 - 2 + 1);
    const DecodedFrame pixels = DecodeBamFrame(after.data(), after.size(), layout, frame);
    ASSERT_EQ(pixels.pixels[0], test::sheetInk + k % 3);
    ASSERT_EQ(pixels.pixels[frame.width - 1], test::sheetBackground);
  }
  // A second insertion replaces the 64 glyphs: same count, same tables.
  TBitmap other = test::GlyphSheet(64);
  std::fill(other.Row(13 * 5 + 2) + 1, other.Row(13 * 5 + 2) + 14, test::sheetBackground);  // glyph 5 loses a row
  x.Insert(other);
  const Bytes again = x.FontBytes();
  const BamLayout relaid = ReadBamLayout(again.data(), again.size());
  EXPECT_EQ(relaid.frameCount, 255);
  EXPECT_EQ(relaid.frames[196].height, 5);
  EXPECT_EQ(again.size(), after.size() - relaid.frames[196].width);
  const std::size_t cut = layout.frames[191].dataOffset;
  EXPECT_TRUE(std::equal(after.begin() + 24 + 12 * 255, after.begin() + cut, again.begin() + 24 + 12 * 255));
}

TEST(FontInsert, OtherFontsGrowBy64FramesEachTime) {
  FontRun x(build::MakeFont(100, 9));
  x.Insert(test::GlyphSheet(64));
  EXPECT_EQ(LoadU16(x.FontBytes().data() + 8), 164);
  EXPECT_EQ(x.Lookup(192), 100);
  EXPECT_EQ(x.Lookup(255), 163);
  TBitmap edited = test::GlyphSheet(70);
  edited.Row(13 * 8 + 2)[2] = test::sheetBackground;  // one pixel of glyph 8
  x.Insert(edited);
  EXPECT_EQ(LoadU16(x.FontBytes().data() + 8), 228);
  EXPECT_EQ(x.Lookup(192), 164);
  EXPECT_EQ(x.Lookup(255), 227);
}

TEST(FontInsert, GlyphsAtTheRightEdgeTakeBackgroundAsTheirExtraColumn) {
  FontRun x(build::MakeFont(30, 2));
  TBitmap sheet = test::GlyphSheet(64, 14);
  sheet.Row(5)[13] = test::sheetInk;  // glyph 0 now reaches the last column
  x.Insert(sheet);
  const Bytes after = x.FontBytes();
  const BamLayout layout = ReadBamLayout(after.data(), after.size());
  const BamFrame& glyph = layout.frames[30];
  EXPECT_EQ(glyph.width, 13);  // columns 2 to 13 and one beyond the sheet
  EXPECT_EQ(glyph.centreX, 14);
  const DecodedFrame pixels = DecodeBamFrame(after.data(), after.size(), layout, glyph);
  EXPECT_EQ(pixels.pixels[3 * 13 + 11], test::sheetInk);
  EXPECT_EQ(pixels.pixels[3 * 13 + 12], test::sheetBackground);
}

TEST(FontInsert, SheetsThatCannotGive64GlyphsLeaveTheFontAlone) {
  FontRun x(build::MakeFont(191, 4));
  const Bytes before = x.FontBytes();
  TBitmap empty = test::GlyphSheet(64);
  for (std::uint32_t y = 13 * 5; y < 13 * 6; ++y) std::fill(empty.Row(y) + 1, empty.Row(y) + 14, test::sheetBackground);
  TBitmap rgb(PixelFormat::pf24bit, 14, 13 * 64);
  const std::pair<TBitmap, std::string> cases[] = {
      {test::GlyphSheet(63), "the glyph sheet holds 63 glyph bands, 64 are needed"},
      {empty, "band 6 of the glyph sheet holds no glyph pixels"},
      {rgb, "the glyph sheet is not an 8-bit palette bitmap"},
  };
  for (const auto& [sheet, reason] : cases) {
    x.window.results.clear();
    EXPECT_EQ(x.Insert(sheet), 1u);
    EXPECT_EQ(x.window.results, std::vector<std::string>{"FONT.fon not changed: " + reason + " (" + x.sheet + ")."});
    EXPECT_EQ(x.FontBytes(), before);
  }
}

TEST(FontInsert, AnUneditedSheetOrAMissingOneChangesNothing) {
  FontRun x(build::MakeFont(191, 6));
  const Bytes before = x.FontBytes();
  ExtractFont(x.run, x.font);
  x.window.results.clear();
  EXPECT_EQ(x.InsertWith("#Target: " + x.run.OutputPath("FONT.bmp")), 1u);
  EXPECT_EQ(x.window.results, std::vector<std::string>{"FONT.fon: glyph sheet unchanged; nothing inserted."});
  EXPECT_EQ(x.FontBytes(), before);
  x.window.results.clear();
  EXPECT_EQ(x.InsertWith("#Target: " + (x.dir / "gone.bmp")), 1u);
  EXPECT_TRUE(x.window.results.empty());
  EXPECT_EQ(x.FontBytes(), before);
}

// The font's glyph sheet, read back as the user saved it, with 64 glyphs
// painted over its first bands in the colours the sheet shows.
TBitmap PaintedSheet(FontRun& x) {
  ExtractFont(x.run, x.font);
  TBitmap sheet = LoadBitmapFile(x.run.OutputPath("FONT.bmp"));
  const Bytes font = x.FontBytes();
  const std::uint32_t band = MeasureGlyphSheet(ReadBamLayout(font.data(), font.size())).band;
  const unsigned char background = sheet.Row(0)[sheet.Width() - 1];
  test::PaintGlyphs(sheet, band, background, static_cast<unsigned char>(background == 5 ? 6 : 5));
  return sheet;
}

std::string ResultOf(FontRun& x, const TBitmap& sheet) {
  x.window.results.clear();
  x.Insert(sheet);
  return x.window.results.empty() ? "" : x.window.results.back();
}

// Entries 192 to 255 of a shorter table would land on what follows it: frame
// data or the palette. The table's length is the reach of its longest cycle.
TEST(FontInsert, ShortLookupTablesAreRefusedUnchanged) {
  build::FontShape dataBehind;
  dataBehind.cycles = {{96, 0}};
  build::FontShape paletteBehind;
  paletteBehind.cycles = {{150, 50}, {10, 0}};
  paletteBehind.paletteBehindLookup = true;
  for (const auto& [shape, entries] : {std::pair{dataBehind, 96}, std::pair{paletteBehind, 200}}) {
    FontRun x(build::MakeFontOf(shape));
    const Bytes before = x.FontBytes();
    EXPECT_EQ(ResultOf(x, test::GlyphSheet(64)),
              "FONT.fon: its lookup table holds " + std::to_string(entries) + " entries, 256 are needed; nothing inserted.");
    EXPECT_EQ(x.FontBytes(), before);
  }
  build::FontShape twoCycles;
  twoCycles.cycles = {{96, 0}, {64, 192}};
  FontRun x(build::MakeFontOf(twoCycles));
  EXPECT_EQ(ResultOf(x, test::GlyphSheet(64)), "");
  EXPECT_EQ(LoadU16(x.FontBytes().data() + 8), 255);
}

// Only a font that an insertion extended loses frames 191 to 254 to the new
// glyphs; one with 255 frames of its own, or an extended one changed since,
// is refused.
TEST(FontInsert, A255FrameFontOfItsOwnIsRefusedUnchanged) {
  build::FontShape own;
  own.frameCount = 255;
  FontRun shipped(build::MakeFontOf(own));
  FontRun appended(build::MakeFont(191, 3));
  FontRun relinked(build::MakeFont(191, 4));
  for (FontRun* x : {&appended, &relinked}) x->Insert(test::GlyphSheet(64));
  test::WriteFileBytes(appended.font, test::ReadFileBytes(appended.font) + "tail");
  std::string relinkedBytes = test::ReadFileBytes(relinked.font);
  relinkedBytes[LoadU32(relinked.FontBytes().data() + 20) + 2 * 200] = 7;
  test::WriteFileBytes(relinked.font, relinkedBytes);

  TBitmap edited = test::GlyphSheet(64);
  edited.Row(13 * 8 + 2)[2] = test::sheetBackground;
  for (FontRun* x : {&shipped, &appended, &relinked}) {
    const Bytes before = x->FontBytes();
    EXPECT_EQ(ResultOf(*x, edited), "FONT.fon: it has 255 frames of its own, not 191 and 64 added glyphs; nothing inserted.");
    EXPECT_EQ(x->FontBytes(), before);
  }
}

// The same sheet again adds nothing, to an extended font and to one that
// grows by 64 frames at each insertion alike.
TEST(FontInsert, ASheetAlreadyInsertedAddsNothing) {
  for (const std::uint16_t frames : {191, 100}) {
    FontRun x(build::MakeFont(frames, 5));
    x.Insert(test::GlyphSheet(64));
    const Bytes first = x.FontBytes();
    EXPECT_EQ(ResultOf(x, test::GlyphSheet(64)), "FONT.fon: glyph sheet already inserted; nothing inserted.");
    EXPECT_EQ(x.FontBytes(), first);
  }
}

// A sheet that an editor saved with 1 or 4 bits per pixel holds indices of
// its own small table: refused, though it loads as an 8-bit bitmap.
TEST(FontInsert, SheetsStoredWithFewerBitsAreRefused) {
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  TBitmap twoColours = test::GlyphSheet(64);
  for (unsigned char& pixel : twoColours.Pixels()) pixel = pixel == test::sheetBlack || pixel >= test::sheetInk ? 0 : 1;
  for (std::uint32_t k = 0; k < 64; ++k) twoColours.Row(13 * k + 12)[0] = 0;
  twoColours.Palette() = {};
  twoColours.Palette()[1] = 0xFFFFFF;
  FontRun x(build::MakeFont(191, 2));
  const Bytes before = x.FontBytes();
  const std::tuple<TBitmap, unsigned, const char*> cases[] = {{twoColours, 1, "2"}, {test::GlyphSheet(64), 4, "5"}};
  for (const auto& [sheet, bits, colours] : cases) {
    SaveBitmapFile(sheet, x.sheet);
    const std::string converted = x.dir / ("sheet" + std::to_string(bits) + ".bmp");
    ASSERT_TRUE(test::Convert({x.sheet, "-type", "Palette", "-colors", colours, "BMP3:" + converted}));
    ASSERT_EQ(LoadBitmapFile(converted).FileBitsPerPixel(), bits);
    x.window.results.clear();
    x.InsertWith("#Target: " + converted);
    EXPECT_EQ(x.window.results, std::vector<std::string>{"FONT.fon not changed: the glyph sheet is not an 8-bit palette "
                                                         "bitmap (" + converted + ")."});
    EXPECT_EQ(x.FontBytes(), before);
  }
}

// Black, white and grey of the sheet take the nearest of the 16 stored
// colours, so the background that new glyphs carry is one the game has.
TEST(FontInsert, ShortPalettesKeepSheetsAndGlyphsInsideThem) {
  build::FontShape shape;
  shape.paletteColours = 16;
  FontRun x(build::MakeFontOf(shape));
  const TBitmap sheet = PaintedSheet(x);
  const TBitmap extracted = LoadBitmapFile(x.run.OutputPath("FONT.bmp"));
  for (std::uint32_t y = 0; y < extracted.Height(); ++y) {  // the marker column aside
    ASSERT_TRUE(std::all_of(extracted.Row(y) + 1, extracted.Row(y) + extracted.Width(), [](unsigned char p) { return p < 16; }));
  }
  EXPECT_EQ(ResultOf(x, sheet), "");
  const Bytes after = x.FontBytes();
  const BamLayout layout = ReadBamLayout(after.data(), after.size());
  ASSERT_EQ(layout.frameCount, 255);
  for (std::size_t j = 191; j < 255; ++j) {
    const DecodedFrame glyph = DecodeBamFrame(after.data(), after.size(), layout, layout.frames[j]);
    ASSERT_TRUE(std::all_of(glyph.pixels.begin(), glyph.pixels.end(), [](unsigned char p) { return p < 16; })) << j;
  }
}

// The sheet of 1,000 frames of up to 80 rows has 81,000 rows and goes back;
// a glyph of more than 65,535 rows does not fit a frame.
TEST(FontInsert, TallSheetsGoBackWhileOversizedGlyphsAreRefused) {
  build::FontShape tall;
  tall.frameCount = 1000;
  tall.tallest = 80;
  FontRun x(build::MakeFontOf(tall));
  const TBitmap sheet = PaintedSheet(x);
  ASSERT_GT(sheet.Height(), 65535u);
  EXPECT_EQ(ResultOf(x, sheet), "");
  EXPECT_EQ(LoadU16(x.FontBytes().data() + 8), 1064);

  const Bytes before = x.FontBytes();
  TBitmap oversized = test::BlankSheet(14, 66002 + 63 * 13);
  oversized.Row(1)[2] = oversized.Row(66000)[3] = test::sheetInk;
  oversized.Row(66001)[0] = test::sheetBlack;
  for (std::uint32_t k = 0; k < 63; ++k) {
    oversized.Row(66002 + 13 * k + 5)[4] = test::sheetInk;
    oversized.Row(66002 + 13 * k + 12)[0] = test::sheetBlack;
  }
  EXPECT_EQ(ResultOf(x, oversized), "FONT.fon not changed: band 1 of the glyph sheet holds a glyph of 3 x 66000 pixels, "
                                    "larger than a frame can be (" + x.sheet + ").");
  EXPECT_EQ(x.FontBytes(), before);
}

TEST(FontInsert, DamagedFontsAreRefusedUnchanged) {
  std::string bytes = build::MakeFont(191, 7);
  build::SetU32(bytes, 20, static_cast<std::uint32_t>(bytes.size() - 100));  // lookup table cut short
  FontRun x(bytes);
  SaveBitmapFile(test::GlyphSheet(64), x.sheet);
  EXPECT_THROW(x.InsertWith("#Target: " + x.sheet), EFormatError);
  EXPECT_EQ(test::ReadFileBytes(x.font), bytes);
}

}  // namespace
}  // namespace trovex
