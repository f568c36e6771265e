// Fonts: every glyph frame drawn into one glyph sheet bitmap, and 64 glyphs
// painted on such a sheet added back as new frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Bitmap.hpp"
#include "imaging/BamFormat.hpp"
#include "run/RunState.hpp"

namespace trovex {

// How big the glyph sheet of a font is: its width, the rows of one band and
// its height (one band per frame).
struct GlyphSheetSize {
  std::uint32_t width;
  std::uint32_t band;
  std::uint64_t height;
};
GlyphSheetSize MeasureGlyphSheet(const BamLayout& layout);

// The glyph sheet of a font: band f (of the tallest frame's height + 1 rows)
// holds frame f, centred in height, from column 1, under a white marker
// column whose last row is black, crossed by a grey baseline row. Colours
// land on the nearest of the entries the font's palette stores; only the
// black separators may take an entry beyond them. frameDone is called after
// each frame.
TBitmap DrawGlyphSheet(const std::vector<unsigned char>& font, const BamLayout& layout,
                       const std::function<void(std::size_t frame)>& frameDone = {});

// Handler of format code 7: writes the input's glyph sheet as OutputDir +
// its file name with the extension ".bmp" and logs it.
void ExtractFont(RunState& run, const std::string& path);

// Replay handler for fonts: adds the glyphs of the sheet named by the
// "#Target: " line at startIndex to the source font, in place and all at
// once, and returns the index after that line. A font it cannot extend
// safely, a sheet it cannot take glyphs from, and glyphs the font holds
// already leave the font as it is, with a line in the results pane.
std::size_t InsertFont(RunState& run, const std::string& targetPath, std::size_t startIndex);

}  // namespace trovex
