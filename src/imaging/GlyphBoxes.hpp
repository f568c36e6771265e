// Glyph sheets cut into bands: column 0 is the marker column, whose black
// pixels separate the bands.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/Bitmap.hpp"

namespace trovex {

// The ink of one band: the bounding box, over columns 1 and up, of the pixels
// whose colour differs from that of pixel (1, 0), and the baseline: the last
// row of the band whose marker pixel differs from pixel (0, 0) (or 0 when
// none does) − top + 1. A band without ink has left = width, top = height
// and right = bottom = 0.
struct GlyphBox {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
  std::int32_t baseline;
};

// One box per band, from the top.
std::vector<GlyphBox> ScanGlyphBoxes(const TBitmap& sheet);

}  // namespace trovex
