// Glyph sheets painted in code, as a user prepares them for insertion.
#pragma once

#include <algorithm>

#include "framework/Bitmap.hpp"

namespace trovex::test {

// Palette entries of the painted sheets.
enum SheetColour : unsigned char { sheetBlack, sheetMarker, sheetBackground, sheetInk, sheetBaseline };

// An 8-bit sheet of background with a white marker column: 0 black
// (separator), 1 white (marker), 2 blue (background), 3 red (ink), 4 grey
// (baseline marker).
inline TBitmap BlankSheet(std::uint32_t width, std::uint32_t height) {
  TBitmap sheet(PixelFormat::pf8bit, width, height);
  sheet.Palette()[sheetMarker] = 0xFFFFFF;
  sheet.Palette()[sheetBackground] = 0xFF0000;
  sheet.Palette()[sheetInk] = 0x0000FF;
  sheet.Palette()[sheetBaseline] = 0x808080;
  std::fill(sheet.Pixels().begin(), sheet.Pixels().end(), sheetBackground);
  for (std::uint32_t y = 0; y < height; ++y) sheet.Row(y)[0] = sheetMarker;
  return sheet;
}

// bands bands of 12 rows with a separator row each; glyph k is a block of
// ink from column 2 to 2 + k % 9, rows 2 to 2 + k % 7 of its band, with its
// baseline marker in row 8.
inline TBitmap GlyphSheet(std::uint32_t bands, std::uint32_t width = 14) {
  TBitmap sheet = BlankSheet(width, bands * 13);
  for (std::uint32_t k = 0; k < bands; ++k) {
    const std::uint32_t top = k * 13;
    for (std::uint32_t y = 2; y <= 2 + k % 7; ++y) {
      for (std::uint32_t x = 2; x <= 2 + k % 9; ++x)
        sheet.Row(top + y)[x] = static_cast<unsigned char>(sheetInk + k % 3);
    }
    sheet.Row(top + 8)[0] = sheetBaseline;
    sheet.Row(top + 12)[0] = sheetBlack;
  }
  return sheet;
}

// An extracted sheet of bands of band rows as a user paints it: in each of
// the first 64 bands, columns 1 and up become background (the marker column
// keeps its baseline marker) and glyph k a block of ink, rows 2 to 2 + k % 3
// and columns 2 to 2 + k % 5 of its band.
inline void PaintGlyphs(TBitmap& sheet, std::uint32_t band, unsigned char background, unsigned char ink) {
  for (std::uint32_t k = 0; k < 64; ++k) {
    for (std::uint32_t y = k * band; y + 1 < (k + 1) * band; ++y) {
      std::fill(sheet.Row(y) + 1, sheet.Row(y) + sheet.Width(), background);
    }
    for (std::uint32_t y = 2; y <= 2 + k % 3; ++y) std::fill(sheet.Row(k * band + y) + 2, sheet.Row(k * band + y) + 3 + k % 5, ink);
  }
}

}  // namespace trovex::test
