#include <gtest/gtest.h>

#include "builders/Bytes.hpp"
#include "builders/ImageBuilder.hpp"
#include "framework/BitmapFile.hpp"
#include "framework/Stream.hpp"
#include "support/ImageMagick.hpp"
#include "support/TempDir.hpp"

namespace trovex {
namespace {

// A 24-bit bitmap whose pixels take `colours` distinct colours.
TBitmap ColourfulBitmap(std::uint32_t width, std::uint32_t height, std::uint32_t colours, std::uint32_t seed) {
  build::Random random(seed);
  std::vector<TColor> table(colours);
  for (auto& c : table) c = random.Next() & 0xFFFFFF;
  if (colours == 2) table = {0x000000, 0xFFFFFF};
  TBitmap bitmap(PixelFormat::pf24bit, width, height);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) bitmap.SetColor(x, y, table[(x / 3 + y * 7 + random.Below(2)) % colours]);
  }
  return bitmap;
}

void ExpectSamePixels(const TBitmap& expected, const TBitmap& actual) {
  ASSERT_EQ(actual.Width(), expected.Width());
  ASSERT_EQ(actual.Height(), expected.Height());
  for (std::uint32_t y = 0; y < expected.Height(); ++y) {
    for (std::uint32_t x = 0; x < expected.Width(); ++x) {
      ASSERT_EQ(actual.Pixel(x, y), expected.Pixel(x, y)) << "pixel " << x << "," << y;
    }
  }
}

TEST(BitmapFile, WrittenFilesReadBackAndOpenInIdentify) {
  test::TempDir dir;
  TBitmap indexed(PixelFormat::pf8bit, 13, 5);  // rows padded to 16 bytes
  for (std::size_t i = 0; i < 256; ++i) indexed.Palette()[i] = MakeColor(i, 255 - i, i / 2);
  for (std::size_t i = 0; i < indexed.Pixels().size(); ++i) indexed.Pixels()[i] = static_cast<unsigned char>(i * 37);
  SaveBitmapFile(indexed, dir / "indexed.bmp");
  const TBitmap back = LoadBitmapFile(dir / "indexed.bmp");
  EXPECT_EQ(back.Format(), PixelFormat::pf8bit);
  EXPECT_EQ(back.Pixels(), indexed.Pixels());
  EXPECT_EQ(back.Palette(), indexed.Palette());

  const TBitmap rgb = ColourfulBitmap(7, 3, 50, 4);
  SaveBitmapFile(rgb, dir / "rgb.bmp");
  EXPECT_EQ(LoadBitmapFile(dir / "rgb.bmp").Pixels(), rgb.Pixels());

  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  EXPECT_EQ(test::Identify(dir / "indexed.bmp"), "13 5 PseudoClass sRGB ");
  EXPECT_EQ(test::Identify(dir / "rgb.bmp"), "7 3 DirectClass sRGB ");
}

// Bitmaps that ImageMagick writes in every depth it offers, from one of ours,
// load with the colours of the original.
TEST(BitmapFile, ReadsWhatImageMagickWrites) {
  TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
  test::TempDir dir;
  struct Case {
    const char* name;
    std::uint32_t colours;
    std::vector<std::string> options;
    PixelFormat format;
    unsigned bits;
  };
  const Case cases[] = {
      {"1-bit", 2, {"-type", "Palette", "BMP3:"}, PixelFormat::pf8bit, 1},
      {"4-bit", 12, {"-type", "Palette", "BMP3:"}, PixelFormat::pf8bit, 4},
      {"8-bit", 60, {"-type", "Palette", "BMP3:"}, PixelFormat::pf8bit, 8},
      {"8-bit RLE", 60, {"-type", "Palette", "-compress", "RLE", "BMP3:"}, PixelFormat::pf8bit, 8},
      {"24-bit", 300, {"-type", "TrueColor", "BMP3:"}, PixelFormat::pf24bit, 24},
      {"32-bit", 300, {"-alpha", "on", "BMP:"}, PixelFormat::pf24bit, 32},
      {"16-bit fields", 2, {"-define", "bmp:subtype=RGB565", "BMP:"}, PixelFormat::pf24bit, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TBitmap original = ColourfulBitmap(37, 11, c.colours, c.colours);
    SaveBitmapFile(original, dir / "original.bmp");
    std::vector<std::string> args = {dir / "original.bmp", "+dither"};
    args.insert(args.end(), c.options.begin(), c.options.end() - 1);
    args.push_back(c.options.back() + dir / "converted.bmp");
    ASSERT_TRUE(test::Convert(args));
    const TBitmap loaded = LoadBitmapFile(dir / "converted.bmp");
    EXPECT_EQ(loaded.Format(), c.format);
    EXPECT_EQ(loaded.FileBitsPerPixel(), c.bits);
    EXPECT_EQ(loaded.FileColorCount() == 0, c.bits > 8);
    ExpectSamePixels(original, loaded);
  }
}

// Top-down rows, and RLE4 data written by hand.
TEST(BitmapFile, ReadsTopDownRowsAndRle4) {
  TBitmap bitmap(PixelFormat::pf8bit, 3, 2);
  bitmap.Pixels() = {1, 2, 3, 4, 5, 6};
  bitmap.Palette()[5] = 0x123456;
  std::vector<unsigned char> file = EncodeBitmap(bitmap);
  // Rows stored bottom-up (4, 5, 6 first) become top-down when the height is negated.
  StoreU32(&file.at(22), static_cast<std::uint32_t>(-2));
  const TBitmap topDown = DecodeBitmap(file.data(), file.size());
  EXPECT_EQ(topDown.FileBitsPerPixel(), 8u);
  EXPECT_EQ(topDown.FileColorCount(), 256u);
  EXPECT_EQ(topDown.Pixels(), (std::vector<unsigned char>{4, 5, 6, 1, 2, 3}));

  std::string rle = "BM";
  build::PutU32(rle, 0);
  build::PutU32(rle, 0);
  build::PutU32(rle, 14 + 40 + 16 * 4);
  build::PutU32(rle, 40);
  build::PutU32(rle, 7);
  build::PutU32(rle, 2);
  build::PutU16(rle, 1);
  build::PutU16(rle, 4);
  build::PutU32(rle, 2);  // RLE4
  rle.append(20, '\0');
  for (int i = 0; i < 16; ++i) build::PutU32(rle, static_cast<std::uint32_t>(i * 0x111111));
  // Bottom row: a run of 5 alternating 1 and 2, then the literal nibbles 3, 4, 5
  // (the 5 falls beyond the width); end of line. Top row: a move past the
  // right edge, then end of bitmap, so the row stays 0.
  const unsigned char pixels[] = {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 0xFF, 0, 0, 1};
  rle.append(reinterpret_cast<const char*>(pixels), sizeof pixels);
  const auto* data = reinterpret_cast<const unsigned char*>(rle.data());
  const TBitmap decoded = DecodeBitmap(data, rle.size());
  EXPECT_EQ(decoded.Pixels(), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 1, 2, 1, 2, 1, 3, 4}));
  EXPECT_EQ(decoded.Palette()[3], 0x333333u);
}

// Literal runs whose bytes are odd carry a pad byte to keep 16-bit
// alignment; a reader that missed it would take the pad as the next count and
// garble every pixel after it. ImageMagick writes no such run, so the builder
// makes them, and ImageMagick checks the builder.
TEST(BitmapFile, ReadsOddLiteralRunsOfRle8AndRle4) {
  std::vector<std::uint32_t> colours(16);
  for (std::uint32_t i = 0; i < 16; ++i) colours[i] = (i * 0x3B1F0D + 0x102030) & 0xFFFFFF;
  // Per row, literal stretches of 3, 5, 6, 7 and 9 pixels between repeats.
  std::vector<unsigned char> pixels;
  std::uint32_t width = 0;
  for (std::uint32_t y = 0; y < 4; ++y) {
    unsigned value = y;
    for (std::uint32_t literal : {3u, 5u, 6u, 7u, 9u}) {
      for (std::uint32_t i = 0; i < literal; ++i) pixels.push_back(static_cast<unsigned char>(++value % 16));
      pixels.insert(pixels.end(), 4, static_cast<unsigned char>((value + 8) % 16));
    }
    width = static_cast<std::uint32_t>(pixels.size()) / (y + 1);
  }
  test::TempDir dir;
  for (unsigned bits : {8u, 4u}) {
    SCOPED_TRACE(bits);
    const std::string file = build::MakeRleBitmap(bits, width, 4, pixels, colours);
    const TBitmap bitmap = DecodeBitmap(reinterpret_cast<const unsigned char*>(file.data()), file.size());
    EXPECT_EQ(bitmap.FileBitsPerPixel(), bits);
    EXPECT_EQ(bitmap.Pixels(), pixels);
    TROVEX_SKIP_WITHOUT_OUTSIDE_CHECKERS();
    test::WriteFileBytes(dir / "rle.bmp", file);
    const std::string rgb = test::RunProcess({"/usr/bin/env", "convert", dir / "rle.bmp", "-depth", "8", "rgb:-"}).out;
    ASSERT_EQ(rgb.size(), pixels.size() * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      const std::uint32_t c = colours[pixels[i]];
      ASSERT_EQ(MakeColor(static_cast<unsigned char>(rgb[3 * i]), static_cast<unsigned char>(rgb[3 * i + 1]),
                          static_cast<unsigned char>(rgb[3 * i + 2])),
                MakeColor(c >> 16, c >> 8, c))
          << i;
    }
  }
}

// Every truncation and many byte flips of valid files give a bitmap or the
// error, never a crash or a read outside the data.
TEST(BitmapFile, DamagedFilesFailCleanly) {
  TBitmap bitmap(PixelFormat::pf8bit, 9, 4);
  for (std::size_t i = 0; i < bitmap.Pixels().size(); ++i) bitmap.Pixels()[i] = static_cast<unsigned char>(i);
  const std::vector<unsigned char> file = EncodeBitmap(bitmap);
  for (std::size_t length = 0; length < file.size(); ++length) {
    EXPECT_THROW(DecodeBitmap(file.data(), length), EInvalidGraphic) << length;
  }
  build::Random random(9);
  for (int round = 0; round < 3000; ++round) {
    std::vector<unsigned char> damaged = file;
    for (int k = 0; k < 3; ++k) damaged[random.Below(54)] = static_cast<unsigned char>(random.Next());
    try {
      DecodeBitmap(damaged.data(), damaged.size());
    } catch (const EInvalidGraphic&) {
    }
  }
}

TEST(BitmapFile, HeadersThatLieAboutSizesAreRefusedBeforeAllocating) {
  std::vector<unsigned char> file = EncodeBitmap(TBitmap(PixelFormat::pf24bit, 4, 4));
  StoreU32(&file.at(18), 0x7FFFFFFF);  // width
  EXPECT_THROW(DecodeBitmap(file.data(), file.size()), EInvalidGraphic);
  file = EncodeBitmap(TBitmap(PixelFormat::pf8bit, 4, 4));
  StoreU32(&file.at(30), 1);      // RLE8 ...
  StoreU32(&file.at(22), 60000);  // ... claiming 240,000 pixels from 16 bytes
  EXPECT_THROW(DecodeBitmap(file.data(), file.size()), EInvalidGraphic);
  StoreU32(&file.at(14), 0xFFFFFFF0);  // information header size
  EXPECT_THROW(DecodeBitmap(file.data(), file.size()), EInvalidGraphic);
  // No pixels in millions of rows: read at once, as the empty bitmap it is.
  file = EncodeBitmap(TBitmap(PixelFormat::pf8bit, 0, 0));
  StoreU32(&file.at(22), 0x01000000);
  EXPECT_EQ(DecodeBitmap(file.data(), file.size()).Height(), 0x01000000u);
  test::TempDir dir;
  test::WriteFileBytes(dir / "bad.bmp", "BM nonsense");
  try {
    LoadBitmapFile(dir / "bad.bmp");
    FAIL();
  } catch (const EInvalidGraphic& error) {
    EXPECT_EQ(std::string(error.what()), "Bitmap image is not valid: " + (dir / "bad.bmp"));
  }
}

}  // namespace
}  // namespace trovex
