#include <gtest/gtest.h>

#include "imaging/GlyphBoxes.hpp"
#include "imaging/GlyphSheet.hpp"
#include "imaging/Palette.hpp"
#include "imaging/ZeroRuns.hpp"

namespace trovex {
namespace {

using Bytes = std::vector<unsigned char>;

TEST(Palette, ReshapersAndBuilders) {
  TMemoryStream quads(Bytes(1026, 7));
  quads.Bytes()[4] = 0x10;
  EXPECT_EQ(PaletteQuadsToTriples(quads), 256);
  EXPECT_EQ(quads.Size(), 768);
  EXPECT_EQ(quads.Bytes()[3], 0x10);  // entry 1 starts at byte 3 now
  const TColorTable triples = PaletteFromTriples(256, quads);
  EXPECT_EQ(triples[1], MakeColor(0x10, 7, 7));

  unsigned char entry[8] = {0x10, 0x20, 0x30, 0x40, 1, 2, 3, 4};
  SwapRedBlue(entry, sizeof entry);
  EXPECT_EQ(Bytes(entry, entry + 8), (Bytes{0x30, 0x20, 0x10, 0x00, 3, 2, 1, 0}));
  const TColorTable table = PaletteFromEntries(2, entry);
  EXPECT_EQ(table[0], MakeColor(0x30, 0x20, 0x10));
  EXPECT_EQ(table[2], 0u);  // beyond the count: black
}

TEST(ZeroRuns, DecodesRunsOfTheRunValueAndCountsWhatItConsumed) {
  Bytes target;
  const Bytes plain = {0x05, 0x00, 0x01, 0x07, 0x99};
  EXPECT_EQ(UnpackZeroRuns(plain.data(), plain.size(), target, 4, 1, 0), 4u);
  EXPECT_EQ(target, (Bytes{5, 0, 0, 7}));

  const Bytes longRun = {0x00, 0xFF};
  EXPECT_EQ(UnpackZeroRuns(longRun.data(), longRun.size(), target, 2, 2, 0), 2u);
  EXPECT_EQ(target.size(), 256u);

  // With run value 129, zeros are plain pixels and 129 counts runs.
  const Bytes other = {0x00, 0x81, 0x02, 0x05};
  EXPECT_EQ(UnpackZeroRuns(other.data(), other.size(), target, 5, 1, 0x81), 4u);
  EXPECT_EQ(target, (Bytes{0, 0x81, 0x81, 0x81, 5}));

  // Data that ends early repeats its last byte.
  const Bytes shortData = {0x03};
  EXPECT_EQ(UnpackZeroRuns(shortData.data(), shortData.size(), target, 3, 1, 0), 1u);
  EXPECT_EQ(target, (Bytes{3, 3, 3}));
}

TEST(GlyphBoxes, BandsBoxesAndBaselines) {
  TBitmap sheet = test::BlankSheet(12, 30);
  // Band 0: rows 0-19, ink from (3, 10) to (9, 12), baseline marker in row 17.
  sheet.Row(10)[3] = 3;
  sheet.Row(12)[9] = 3;
  sheet.Row(17)[0] = 4;
  sheet.Row(20)[0] = 0;
  // Two black rows in a row give an empty band between them.
  sheet.Row(21)[0] = 0;
  // Band 2: rows 22-29, ink in row 25 only, no baseline marker.
  sheet.Row(25)[5] = 3;
  const std::vector<GlyphBox> boxes = ScanGlyphBoxes(sheet);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].left, 3);
  EXPECT_EQ(boxes[0].top, 10);
  EXPECT_EQ(boxes[0].right, 9);
  EXPECT_EQ(boxes[0].bottom, 12);
  EXPECT_EQ(boxes[0].baseline, 8);
  EXPECT_EQ(boxes[1].left, 12);
  EXPECT_EQ(boxes[1].top, 30);
  EXPECT_EQ(boxes[1].right, 0);
  EXPECT_EQ(boxes[1].bottom, 0);
  EXPECT_EQ(boxes[2].top, 25);
  EXPECT_EQ(boxes[2].baseline, 1 - 25);
}

}  // namespace
}  // namespace trovex
