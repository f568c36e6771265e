#include <gtest/gtest.h>

#include "builders/Bytes.hpp"
#include "builders/ImageBuilder.hpp"
#include "framework/Stream.hpp"
#include "imaging/MosConvert.hpp"

namespace trovex {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes Mos(std::uint16_t width, std::uint16_t height, std::uint32_t block = 64, std::uint32_t seed = 1) {
  const std::string bytes = build::MakeMos(width, height, block, seed);
  return Bytes(bytes.begin(), bytes.end());
}

// The colour of image pixel (x, y) read straight from the file.
TColor StoredColor(const Bytes& mos, std::uint32_t x, std::uint32_t y) {
  const MosLayout layout = ReadMosLayout(mos.data(), mos.size());
  const std::uint32_t b = layout.blockSize;
  const std::size_t tile = std::size_t{y / b} * layout.columns + x / b;
  const std::uint32_t rowLength = std::min(b, layout.width - x / b * b);
  const std::size_t at =
      layout.dataOffset + LoadU32(mos.data() + layout.tableOffset + 4 * tile) + std::size_t{y % b} * rowLength + x % b;
  const unsigned char* entry = mos.data() + layout.paletteOffset + 1024 * tile + 4 * mos[at];
  return MakeColor(entry[2], entry[1], entry[0]);
}

TEST(Mos, PixelsTakeTheirTileColoursAndShortTilesFollowEachOther) {
  const Bytes mos = Mos(100, 70);  // tiles of 64 × 64, 36 × 64, 64 × 6 and 36 × 6
  const MosLayout layout = ReadMosLayout(mos.data(), mos.size());
  EXPECT_EQ(LoadU32(mos.data() + layout.tableOffset + 4), 64u * 64);
  EXPECT_EQ(LoadU32(mos.data() + layout.tableOffset + 12), 64u * 64 + 36 * 64 + 64 * 6);
  EXPECT_EQ(mos.size(), layout.dataOffset + 100 * 70);  // the last tile ends the file
  const TBitmap bitmap = MosToBitmap(mos);
  ASSERT_EQ(bitmap.Format(), PixelFormat::pf24bit);
  ASSERT_EQ(bitmap.Width(), 100u);
  ASSERT_EQ(bitmap.Height(), 70u);
  for (std::uint32_t y = 0; y < 70; ++y) {
    for (std::uint32_t x = 0; x < 100; ++x) ASSERT_EQ(bitmap.Pixel(x, y), StoredColor(mos, x, y)) << x << "," << y;
  }
}

TEST(Mos, TheUnchangedBitmapGivesEveryTileBackDespiteRepeatedColours) {
  for (auto [w, h] : {std::pair{100, 70}, std::pair{128, 64}, std::pair{1, 1}, std::pair{200, 129}}) {
    const Bytes mos =
        Mos(static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h), 64, static_cast<std::uint32_t>(w));
    Bytes rebuilt = mos;
    BitmapToMos(rebuilt, MosToBitmap(mos));
    EXPECT_EQ(rebuilt, mos) << w << "x" << h;
  }
}

TEST(Mos, APaintedRectangleChangesThosePixelsAlone) {
  const Bytes mos = Mos(150, 90, 64, 3);
  TBitmap bitmap = MosToBitmap(mos);
  const TColor paint = MakeColor(250, 10, 10);
  for (std::uint32_t y = 50; y < 80; ++y) {
    for (std::uint32_t x = 60; x < 70; ++x) bitmap.SetColor(x, y, paint);
  }
  Bytes rebuilt = mos;
  BitmapToMos(rebuilt, bitmap);
  ASSERT_EQ(rebuilt.size(), mos.size());
  const TBitmap after = MosToBitmap(rebuilt);
  const MosLayout layout = ReadMosLayout(mos.data(), mos.size());
  for (std::uint32_t y = 0; y < 90; ++y) {
    for (std::uint32_t x = 0; x < 150; ++x) {
      const bool painted = y >= 50 && y < 80 && x >= 60 && x < 70;
      if (!painted) {
        ASSERT_EQ(StoredColor(rebuilt, x, y), StoredColor(mos, x, y)) << x << "," << y;
        continue;
      }
      // The nearest colour of the pixel's own tile palette.
      const std::size_t tile = std::size_t{y / 64} * layout.columns + x / 64;
      unsigned char entries[1024];
      std::copy_n(mos.data() + layout.paletteOffset + 1024 * tile, 1024, entries);
      TColorTable table{};
      for (int i = 0; i < 256; ++i) table[i] = MakeColor(entries[4 * i + 2], entries[4 * i + 1], entries[4 * i]);
      ASSERT_EQ(after.Pixel(x, y), table[NearestColorIndex(table, paint)]);
    }
  }
  // Header, palettes and tile table are untouched.
  EXPECT_TRUE(std::equal(mos.begin(), mos.begin() + static_cast<std::ptrdiff_t>(layout.dataOffset), rebuilt.begin()));
}

TEST(Mos, ABitmapOfAnotherSizeIsRefusedAndNothingChanges) {
  const Bytes mos = Mos(100, 70);
  Bytes rebuilt = mos;
  EXPECT_THROW(BitmapToMos(rebuilt, TBitmap(PixelFormat::pf24bit, 100, 71)), EFormatError);
  EXPECT_EQ(rebuilt, mos);
}

TEST(Mos, NearestColourPrefersTheLowestIndexOnATie) {
  TColorTable table{};
  table[0] = MakeColor(10, 10, 10);
  table[1] = MakeColor(30, 10, 10);
  table[2] = MakeColor(20, 10, 10);
  EXPECT_EQ(NearestColorIndex(table, MakeColor(25, 10, 10)), 1u);
  table[2] = MakeColor(30, 10, 10);
  EXPECT_EQ(NearestColorIndex(table, MakeColor(29, 10, 10)), 1u);
}

TEST(Mos, DamagedImagesAreRefusedWithoutReadingOutside) {
  const Bytes mos = Mos(100, 70);
  auto refused = [](Bytes b) {
    try {
      MosToBitmap(b);
      return false;
    } catch (const EFormatError&) {
      return true;
    }
  };
  Bytes b = mos;
  StoreU32(&b.at(24 + 4 * 1024 + 4), 0x7FFFFFFF);  // tile 1 beyond the end
  EXPECT_TRUE(refused(b));
  b = mos;
  StoreU16(&b.at(12), 65535);  // tiles the file cannot hold
  StoreU16(&b.at(14), 65535);
  EXPECT_TRUE(refused(b));
  b = mos;
  StoreU16(&b.at(8), 65535);  // an image far larger than its data
  StoreU16(&b.at(10), 65535);
  EXPECT_TRUE(refused(b));
  EXPECT_TRUE(refused(Bytes(mos.begin(), mos.end() - 1)));
  build::Random random(4);
  for (int round = 0; round < 2000; ++round) {
    Bytes damaged = mos;
    damaged[random.Below(24)] = static_cast<unsigned char>(random.Next());
    damaged[24 + 4 * 1024 + random.Below(16)] = static_cast<unsigned char>(random.Next());
    try {
      MosToBitmap(damaged);
    } catch (const EFormatError&) {
    } catch (const EInvalidGraphic&) {
    }
  }
}

}  // namespace
}  // namespace trovex
