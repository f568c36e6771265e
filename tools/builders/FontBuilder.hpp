// Fonts in the layouts that real fonts have beside the one MakeFont gives:
// lookup tables of fewer than 256 entries with frame data or the palette
// right behind them, short palettes, many tall frames, 255 frames of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trovex::build {

// One entry of the cycle table: count lookup entries from first on.
struct FontCycle {
  std::uint16_t count;
  std::uint16_t first;
};

struct FontShape {
  std::uint16_t frameCount = 191;
  std::uint32_t seed = 1;
  // Frame heights run from tallest − 9 up to tallest (at least 10).
  std::uint16_t tallest = 14;
  // Stored palette entries (1 to 256); pixels use only these. A palette of
  // 256 entries holds black, white and grey at 1, 2 and 3.
  std::uint32_t paletteColours = 256;
  // The lookup table spans the largest first + count; entry i names frame
  // i modulo the frame count.
  std::vector<FontCycle> cycles = {{256, 0}};
  // The lookup table before the palette instead of behind it.
  bool paletteBehindLookup = false;
};

// Header, frame table, cycle table, palette and lookup table (in the order
// the shape asks), then the frame data, most of it zero-run encoded.
std::string MakeFontOf(const FontShape& shape);

}  // namespace trovex::build
