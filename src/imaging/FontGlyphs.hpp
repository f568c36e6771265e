// The 64 glyphs that insertion adds to a font, cut from a glyph sheet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/Bitmap.hpp"
#include "imaging/BamFormat.hpp"
#include "imaging/GlyphBoxes.hpp"

namespace trovex {

inline constexpr std::size_t kNewGlyphs = 64;

// A glyph as the frame it becomes: stored uncompressed.
struct GlyphFrame {
  std::uint16_t width;
  std::uint16_t height;
  std::uint16_t centreX;
  std::uint16_t centreY;
  std::vector<unsigned char> pixels;  // width × height, row by row
};

// Why the sheet, read from a file, cannot give 64 glyphs (for the results
// pane), or nothing when it can: it must have been stored with 8 bits per
// pixel, and each of its first 64 bands must hold ink that fits a frame.
std::optional<std::string> GlyphSheetFault(const TBitmap& sheet, const std::vector<GlyphBox>& boxes);

// The frames of the first 64 boxes of a sheet without fault: each box and one
// column to its right (background where that column lies outside the sheet),
// centre x the width rounded up to even, centre y the baseline.
std::vector<GlyphFrame> CutGlyphs(const TBitmap& sheet, const std::vector<GlyphBox>& boxes);

// True when the font's last 64 frames are the glyphs, stored as insertion
// stores them, and lookup entries 192 to 255 name them: the sheet has been
// inserted already.
bool HoldsGlyphs(const std::vector<unsigned char>& font, const BamLayout& layout,
                 const std::vector<GlyphFrame>& glyphs);

}  // namespace trovex
